#pragma once

// The command line's standard streams. Output that cannot be written is a
// failure like any other: every write to standard output and its final
// close are checked, and the failure is reported on standard error.

#include "platform/failure.h"

#include <string_view>

namespace kestro {

// Makes sure descriptors 0-2 are open before anything else is opened, so that
// no file the program opens (the temporary list file) ends up as standard
// output. A closed one gets /dev/null, opened the wrong way round (standard
// input for writing, standard output and error for reading): using it then
// fails instead of losing what is written without a word.
void ensureStandardDescriptors();

// Writes all of `bytes` to standard output. Failures carry the errno's
// number (61 for a full disk, 75 for most others).
Status writeStandardOutput(std::string_view bytes);

// Closes standard output; a failure here means written output was lost.
Status closeStandardOutput();

// The report text of `failure` on standard error, after "kestro: ", its line
// break as a line feed. Failure number 0 prints nothing.
void reportOnStandardError(const Failure& failure);

} // namespace kestro
