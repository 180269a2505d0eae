#include "platform/short_names.h"

#include "platform/paths.h"
#include "platform/wide_path.h"

#include <windows.h>

namespace kestro {

namespace {

// The short form of a long path ("\\?\" prefix kept), or empty.
std::wstring shortLongPath(const std::wstring& path) {
    const DWORD size = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::wstring found(size, L'\0');
    const DWORD length = ::GetShortPathNameW(path.c_str(), found.data(), size);
    if (length == 0 || length >= size)
        return {};
    found.resize(length);
    return found;
}

} // namespace

std::string shortPath(const std::string& path) {
    const std::wstring found = shortLongPath(win32::longPath(path));
    if (found.empty())
        return path;
    // A path typed in a namespace ("\\?\", "\\.\") keeps its prefix.
    const std::string_view typed = std::string_view(path).substr(0, 4);
    std::string shortened = typed == "\\\\?\\" || typed == "\\\\.\\"
                                ? std::string(typed) + win32::narrow(found.substr(4))
                                : win32::userPath(found);
    // A relative path stays relative: the current folder's part goes.
    if (!isAbsolutePath(path)) {
        const std::string here = win32::userPath(shortLongPath(win32::longPath(".")));
        if (!here.empty() && shortened.starts_with(here) && shortened.size() > here.size() &&
            isPathSeparator(shortened[here.size()]))
            shortened.erase(0, here.size() + 1);
    }
    // A folder keeps the trailing separator it was given.
    if (!path.empty() && isPathSeparator(path.back()) && !shortened.empty() &&
        !isPathSeparator(shortened.back()))
        shortened += PathSeparator;
    return shortened;
}

std::string shortPathsRoot(const std::string& folder) {
    if (isAbsolutePath(folder))
        return folder;
    std::string absolute = win32::userPath(win32::longPath(folder));
    // A folder keeps the trailing separator it was given.
    if (!folder.empty() && isPathSeparator(folder.back()))
        absolute = withTrailingSeparator(std::move(absolute));
    return absolute;
}

std::string shortName(const std::string& folder, const std::string& name) {
    const std::wstring found = shortLongPath(win32::childPath(win32::longPath(folder), name));
    const std::size_t last = found.rfind(L'\\');
    if (found.empty() || last == std::wstring::npos)
        return name;
    return win32::narrow(std::wstring_view(found).substr(last + 1));
}

} // namespace kestro
