#pragma once

// The program's arguments as UTF-8 texts, whatever code page the system
// hands them to main() in.

#include <string>
#include <vector>

namespace kestro {

// The arguments, the program's name first. On Linux the bytes of `argv`; on
// Windows the command line's own UTF-16 text, converted.
std::vector<std::string> commandLineArguments(int argc, char** argv);

} // namespace kestro
