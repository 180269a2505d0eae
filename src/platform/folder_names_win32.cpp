#include "platform/folder_names.h"

#include "platform/wide_path.h"

#include <windows.h>

namespace kestro {

Result<std::vector<std::string>> listFolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    // Folders only where the file system can tell; every entry is checked
    // below anyway.
    HANDLE search = ::FindFirstFileExW(win32::childPath(win32::longPath(folder), "*").c_str(),
                                       FindExInfoBasic, &found, FindExSearchLimitToDirectories,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES)
            return names; // a drive's root without folders has no "." entry
        return failureFromErrno(win32::errnoOf(error), folder, true);
    }
    do {
        const std::wstring_view wide(found.cFileName);
        // Hidden folders and junctions to folders are offered too, as links
        // to folders are on Linux.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && wide != L"." && wide != L"..")
            names.push_back(win32::narrow(wide));
    } while (::FindNextFileW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    if (error != ERROR_NO_MORE_FILES)
        return failureFromErrno(win32::errnoOf(error), folder, true);
    return names;
}

} // namespace kestro
