#pragma once

// The program's standard descriptors as the command line uses them: output
// that cannot be written is a failure like any other, so every write to
// standard output and its final close are checked.

#include "platform/failure.h"

#include <atomic>
#include <cerrno>
#include <string>
#include <string_view>

namespace kestro {

// Makes sure descriptors 0-2 are open before anything else is opened, so that
// no file the program opens (the temporary list file) ends up as standard
// output. A closed one gets the null device, opened the wrong way round
// (standard input for writing, standard output and error for reading): using
// it then fails instead of losing what is written without a word.
void ensureStandardDescriptors();

// Writes all of `bytes` to standard output. Failures carry the errno's
// number (61 for a full disk, 75 for most others).
Status writeStandardOutput(std::string_view bytes);

// The same straight to the descriptor, for a list that Ctrl+C must be able
// to end even while a reader that does not read blocks the write: a set
// `stop` ends it. 0 when all was written, else the errno value (EINTR when
// stopped).
int writeStandardOutputUnless(std::string_view bytes, const std::atomic<bool>& stop);
// Whether such an errno value says that the reader went away (a pipe into
// "head"), which is not worth a report.
inline bool readerWentAway(int error) {
    return error == EPIPE;
}
// The failure of standard output for such an errno value.
inline Failure standardOutputFailure(int error) {
    return failureFromErrno(error, "stdout", false);
}

// Whether standard output is the file `path` itself (a list compared with
// its own output would be written into while it is read).
bool standardOutputIsFile(const std::string& path);

// Whether standard output shows characters rather than taking bytes: a
// Windows console, which is written the list's text whatever encoding the
// list has in a file. False on POSIX, where a terminal takes the bytes.
bool standardOutputShowsCharacters();

// Closes standard output; a failure here means written output was lost.
Status closeStandardOutput();

// Whether standard error is a terminal, where a status line may be shown.
bool standardErrorIsTerminal();
// Replaces the status line on the terminal at standard error with `text`
// (empty: clears it). `text` must hold no control characters.
void showStatusLine(std::string_view text);

} // namespace kestro
