#include "platform/drives.h"

#include "platform/paths.h"
#include "platform/wide_path.h"

#include <algorithm>
#include <cerrno>
#include <windows.h>

// The drives of Windows: the letters GetLogicalDriveStringsW gives, as their
// roots ("C:\"), those with a type (no unmounted letter).

namespace kestro {

namespace {

// The drive letter of a path in upper case with ":\" ("c:\x" gives "C:\"),
// the network share's root for a network path; empty for none.
std::string rootOf(std::string_view path) {
    const std::size_t length = rootLength(path);
    if (length == 0)
        return {};
    std::string root(path.substr(0, length));
    if (root.size() == 3 && root[0] >= 'a' && root[0] <= 'z')
        root[0] = static_cast<char>(root[0] - 'a' + 'A');
    for (char& c : root) {
        if (c == '/')
            c = '\\';
    }
    if (!isPathSeparator(root.back()))
        root += '\\';
    return root;
}

std::string absolute(const std::string& path) {
    return win32::userPath(win32::longPath(path));
}

} // namespace

std::vector<std::string> listDrives() {
    std::vector<std::string> drives;
    wchar_t buffer[512];
    const DWORD length = ::GetLogicalDriveStringsW(512, buffer);
    if (length == 0 || length > 512)
        return drives;
    for (const wchar_t* at = buffer; *at; at += wcslen(at) + 1) {
        const UINT type = ::GetDriveTypeW(at);
        if (type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR)
            drives.push_back(win32::narrow(at));
    }
    std::sort(drives.begin(), drives.end());
    return drives;
}

std::string driveAmong(const std::vector<std::string>& drives, const std::string& path) {
    const std::string root = rootOf(absolute(path));
    for (const std::string& drive : drives) {
        if (rootOf(drive) == root)
            return drive;
    }
    return {};
}

std::string driveOf(const std::string& path) {
    const std::string drive = driveAmong(listDrives(), path);
    if (!drive.empty())
        return drive;
    const std::string root = rootOf(absolute(path));
    return root.empty() ? std::string("C:\\") : root;
}

std::string mountPointOf(const std::string& path) {
    const std::wstring wide = win32::longPath(path);
    std::wstring volume(wide.size() + 64, L'\0');
    if (!::GetVolumePathNameW(wide.c_str(), volume.data(), static_cast<DWORD>(volume.size())))
        return rootOf(absolute(path));
    volume.resize(wcslen(volume.c_str()));
    return win32::userPath(volume);
}

Status openDriveRoot(const std::string& drive) {
    const std::wstring root = win32::widen(rootOf(drive).empty() ? drive : rootOf(drive));
    if (::GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_NOT_READY || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_INVALID_DRIVE || error == ERROR_FILE_NOT_FOUND)
            return makeFailure(failure::DeviceUnavailable, drive);
        return failureFromErrno(win32::errnoOf(error), drive, true);
    }
    return Ok{};
}

} // namespace kestro
