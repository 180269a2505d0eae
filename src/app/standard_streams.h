#pragma once

// The command line's standard streams: failures are reported on standard
// error. The descriptors themselves are the platform's.

#include "platform/failure.h"
#include "platform/standard_streams.h"

#include <string_view>

namespace kestro {

// The report text of `failure` on standard error, after "kestro: ", its line
// break as a line feed. Failure number 0 prints nothing.
void reportOnStandardError(const Failure& failure);

} // namespace kestro
