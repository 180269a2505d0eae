#include "platform/short_names.h"

namespace kestro {

// POSIX file systems keep no short names.
std::string shortPath(const std::string& path) {
    return path;
}

std::string shortPathsRoot(const std::string& folder) {
    return folder;
}

std::string shortName(const std::string& /*folder*/, const std::string& name) {
    return name;
}

} // namespace kestro
