#pragma once

// The version line of the version dialog: "Ver." + major + "." + minor with
// at least two digits + "." + revision with at least four digits, padded with
// leading zeros; wider numbers are written in full (1, 2, 3 give
// "Ver.1.02.0003"; minor 123 gives "Ver.1.123.0000"). A negative number
// keeps its sign in front of the padded digits.

#include <string>

namespace kestro {

std::string versionLine(int major, int minor, int revision);

// The line of this build, from the project's version.
std::string versionLine();

} // namespace kestro
