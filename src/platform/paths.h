#pragma once

// Paths as the operating system writes them: the separator, the folder part,
// whether one path lies inside another, whether a path is absolute. The core
// and the window ask these instead of looking for a "/" of their own. Paths
// are native byte strings; the separator is found by byte.

#include <string>
#include <string_view>

namespace kestro {

inline constexpr char PathSeparator = '/';
// The top of the file system's tree.
inline constexpr std::string_view RootFolder = "/";

inline bool isPathSeparator(char c) {
    return c == PathSeparator;
}

inline bool isAbsolutePath(std::string_view path) {
    return !path.empty() && isPathSeparator(path.front());
}

// `folder` with a separator appended when it does not end with one (the
// empty text too: a separator alone).
inline std::string withTrailingSeparator(std::string folder) {
    if (folder.empty() || !isPathSeparator(folder.back()))
        folder += PathSeparator;
    return folder;
}

// `folder`, then a separator unless it ends with one, then `name`.
inline std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path = withTrailingSeparator(std::string(folder));
    path += name;
    return path;
}

// The text up to and including the last separator (empty when there is
// none): "/a/b.txt" gives "/a/".
inline std::string_view folderPart(std::string_view path) {
    const std::size_t last = path.rfind(PathSeparator);
    return last == std::string_view::npos ? std::string_view() : path.substr(0, last + 1);
}

// The folder that holds the absolute `path` (given without a trailing
// separator), without its own trailing separator; the root for the root and
// for what lies directly in it, and for a path without any separator.
inline std::string parentFolder(std::string_view path) {
    const std::size_t last = path.rfind(PathSeparator);
    if (last == 0 || last == std::string_view::npos)
        return std::string(RootFolder);
    return std::string(path.substr(0, last));
}

// Whether `path` is `folder` itself or lies somewhere below it, by name
// only: "/mnt/a" holds "/mnt/a/b" but not "/mnt/ab". `folder` is given
// without a trailing separator (the root as itself).
inline bool isInside(std::string_view path, std::string_view folder) {
    if (folder == RootFolder)
        return isAbsolutePath(path);
    return path.starts_with(folder) &&
           (path.size() == folder.size() || isPathSeparator(path[folder.size()]));
}

} // namespace kestro
