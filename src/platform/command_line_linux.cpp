#include "platform/command_line.h"

namespace kestro {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return {argv, argv + argc};
}

} // namespace kestro
