#include "platform/file_facts.h"

#include "platform/folder.h"
#include "platform/paths.h"
#include "platform/wide_path.h"

#include <cerrno>
#include <windows.h>

namespace kestro {

namespace {

std::uint64_t ticks(const FILETIME& time) {
    return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

// The facts of the file at the long path `path`, or the errno value. A
// missing folder on the way is a missing file, as for the file itself.
int queryFacts(const std::wstring& path, FileFacts& facts) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        const int error = win32::lastErrno();
        return error == ENOTDIR ? ENOENT : error;
    }
    const std::uint64_t size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    facts = win32::factsOf(data.dwFileAttributes, ticks(data.ftCreationTime),
                           ticks(data.ftLastAccessTime), ticks(data.ftLastWriteTime), size);
    return 0;
}

// Whether the file at the long path `path` opens for reading; a folder
// never counts.
bool opensForReading(const std::wstring& path) {
    const DWORD bits = ::GetFileAttributesW(path.c_str());
    if (bits == INVALID_FILE_ATTRIBUTES || (bits & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

} // namespace

bool probeEnabled(const std::string& path) {
    if (path.empty() || isPathSeparator(path.back()))
        return false;
    return opensForReading(win32::longPath(path));
}

bool probeReadable(const std::string& path) {
    return opensForReading(win32::longPath(path));
}

Result<FileFacts> readFileFacts(const std::string& path) {
    FileFacts facts;
    if (const int error = queryFacts(win32::longPath(path), facts); error != 0)
        return failureFromErrno(error, path, false);
    return facts;
}

bool probeReadableAt(int folderFd, const char* name) {
    return opensForReading(win32::childPath(win32::folderPathOf(folderFd), name));
}

Result<FileFacts> readFileFactsAt(int folderFd, const char* name) {
    FileFacts facts;
    if (win32::enumeratedFacts(folderFd, name, facts))
        return facts;
    const int error = queryFacts(win32::childPath(win32::folderPathOf(folderFd), name), facts);
    if (error != 0)
        return failureFromErrno(error, name, false);
    return facts;
}

// Whether the user may read a file is a matter of its access list, which
// only an open would ask; the list takes what the enumeration tells, and
// a file that cannot be opened shows up where its contents are read.
Result<FileFacts> readReadableFileFactsAt(int folderFd, const char* name,
                                          std::uint32_t /*effectiveUser*/, bool /*withCreation*/) {
    return readFileFactsAt(folderFd, name);
}

std::uint32_t effectiveUserId() {
    return 0;
}

Result<std::uint32_t> readAttributes(const std::string& path) {
    const DWORD bits = ::GetFileAttributesW(win32::longPath(path).c_str());
    if (bits == INVALID_FILE_ATTRIBUTES) {
        const int error = win32::lastErrno();
        return failureFromErrno(error == ENOTDIR ? ENOENT : error, path, false);
    }
    return win32::attributesOf(bits);
}

Status writeAttributes(const std::string& path, std::uint32_t attributes) {
    const std::wstring wide = win32::longPath(path);
    const DWORD old = ::GetFileAttributesW(wide.c_str());
    if (old == INVALID_FILE_ATTRIBUTES) {
        const int error = win32::lastErrno();
        return failureFromErrno(error == ENOTDIR ? ENOENT : error, path, false);
    }
    constexpr DWORD Writable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    DWORD wanted = old & ~Writable;
    if (attributes & attribute::ReadOnly)
        wanted |= FILE_ATTRIBUTE_READONLY;
    if (attributes & attribute::Hidden)
        wanted |= FILE_ATTRIBUTE_HIDDEN;
    if (attributes & attribute::System)
        wanted |= FILE_ATTRIBUTE_SYSTEM;
    if (attributes & attribute::Archive)
        wanted |= FILE_ATTRIBUTE_ARCHIVE;
    if (wanted == old)
        return Ok{};
    if (!::SetFileAttributesW(wide.c_str(), wanted))
        return failureFromErrno(win32::lastErrno(), path, false);
    return Ok{};
}

} // namespace kestro
