#include "platform/regular_file.h"

#include "platform/wide_path.h"

#include <cerrno>
#include <utility>
#include <windows.h>

namespace kestro {

Result<std::optional<RegularFile>> RegularFile::open(const std::string& path) {
    const std::wstring wide = win32::longPath(path);
    const DWORD bits = ::GetFileAttributesW(wide.c_str());
    if (bits == INVALID_FILE_ATTRIBUTES) {
        const int error = win32::lastErrno();
        return failureFromErrno(error == ENOTDIR ? ENOENT : error, path, false);
    }
    if (bits & FILE_ATTRIBUTE_DIRECTORY)
        return std::optional<RegularFile>{};
    HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return failureFromErrno(win32::lastErrno(), path, false);
    // A console or a pipe behind the name is no file to read pieces of.
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        return std::optional<RegularFile>{};
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle, &size)) {
        const int error = win32::lastErrno();
        ::CloseHandle(handle);
        return failureFromErrno(error, path, false);
    }
    Descriptor file(win32::descriptorOf(handle));
    if (!file)
        return failureFromErrno(EMFILE, path, false);
    // Windows has no execute bits: what runs is told by the name's
    // extension and the file's format, not by the file system.
    return std::optional<RegularFile>{
        RegularFile(std::move(file), static_cast<std::uint64_t>(size.QuadPart), false, path)};
}

} // namespace kestro
