#pragma once

// Paths as the operating system writes them: the separator, the folder part,
// whether one path lies inside another, whether a path is absolute. The core
// and the window ask these instead of looking for a "/" of their own. Paths
// are native byte strings (UTF-8 on Windows); the separator is found by byte.
// The one place where the platform's path syntax is chosen by the compiler:
// these are inline, so that the core's loops over paths stay cheap.

#include <string>
#include <string_view>

namespace kestro {

#ifdef _WIN32
// Windows writes "\\" and accepts "/" as well; a path is absolute with its
// drive ("C:\\") or as a network path ("\\\\server\\share").
inline constexpr char PathSeparator = '\\';
inline constexpr std::string_view PathSeparators = "\\/";

inline bool isPathSeparator(char c) {
    return c == '\\' || c == '/';
}

// The length of the root that begins `path` ("C:\\" 3, "\\\\server\\share\\"
// up to and including the separator after the share), 0 when it has none.
inline std::size_t rootLength(std::string_view path) {
    if (path.size() >= 3 && path[1] == ':' && isPathSeparator(path[2]))
        return 3;
    if (path.size() >= 2 && isPathSeparator(path[0]) && isPathSeparator(path[1])) {
        std::size_t at = path.find_first_of(PathSeparators, 2);
        if (at != std::string_view::npos)
            at = path.find_first_of(PathSeparators, at + 1);
        return at == std::string_view::npos ? path.size() : at + 1;
    }
    return 0;
}
#else
inline constexpr char PathSeparator = '/';
// The top of the file system's tree.
inline constexpr std::string_view RootFolder = "/";
inline constexpr std::string_view PathSeparators = "/";

inline bool isPathSeparator(char c) {
    return c == PathSeparator;
}

inline std::size_t rootLength(std::string_view path) {
    return !path.empty() && isPathSeparator(path.front()) ? 1 : 0;
}
#endif

// `path` written with the system's separator alone: on Windows each "/"
// becomes "\\", so that a folder typed as "C:/Lists" is listed in one form.
inline std::string nativeSeparators(std::string path) {
    if constexpr (PathSeparators.size() > 1) {
        for (char& c : path) {
            if (isPathSeparator(c))
                c = PathSeparator;
        }
    }
    return path;
}

inline bool isAbsolutePath(std::string_view path) {
    return rootLength(path) > 0;
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
    const std::size_t last = path.find_last_of(PathSeparators);
    return last == std::string_view::npos ? std::string_view() : path.substr(0, last + 1);
}

// The folder that holds the absolute `path` (given without a trailing
// separator), without its own trailing separator; the root (with its
// separator) for the root and for what lies directly in it, and for a path
// without any separator.
inline std::string parentFolder(std::string_view path) {
    const std::size_t root = rootLength(path);
    const std::size_t last = path.find_last_of(PathSeparators);
    if (last == std::string_view::npos || last < root)
        return root > 0 ? std::string(path.substr(0, root)) : std::string(1, PathSeparator);
    return std::string(path.substr(0, last));
}

// Whether `path` is `folder` itself or lies somewhere below it, by name
// only: "/mnt/a" holds "/mnt/a/b" but not "/mnt/ab". `folder` is given
// without a trailing separator (the root as itself).
inline bool isInside(std::string_view path, std::string_view folder) {
    if (!folder.empty() && rootLength(folder) == folder.size())
        return path.starts_with(folder);
    return path.starts_with(folder) &&
           (path.size() == folder.size() || isPathSeparator(path[folder.size()]));
}

} // namespace kestro
