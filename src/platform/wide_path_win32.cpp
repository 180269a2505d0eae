#include "platform/wide_path.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <mutex>
#include <unordered_map>
#include <windows.h>

namespace kestro::win32 {

std::wstring widen(std::string_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string narrow(std::wstring_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::wstring longPath(std::string_view path) {
    std::wstring wide = widen(path);
    for (wchar_t& c : wide) {
        if (c == L'/')
            c = L'\\';
    }
    if (wide.starts_with(L"\\\\?\\"))
        return wide;
    // GetFullPathNameW makes the path absolute and resolves "." and ".."; it
    // takes paths of any length, without the prefix.
    DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return wide;
    std::wstring full(size, L'\0');
    size = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    full.resize(size);
    // The device namespace ("\\.\C:\...") is a local one like "\\?\";
    // only "\\server\share" is a network path.
    const bool device = full.starts_with(L"\\\\.\\");
    if (device)
        full.erase(0, 4);
    // A trailing separator stays only on a drive's root ("C:\").
    while (full.size() > 3 && full.back() == L'\\')
        full.pop_back();
    if (!device && full.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::wstring childPath(const std::wstring& folder, std::string_view name) {
    std::wstring path = folder;
    if (path.empty() || path.back() != L'\\')
        path += L'\\';
    path += widen(name);
    return path;
}

std::string userPath(std::wstring_view path) {
    if (path.starts_with(L"\\\\?\\UNC\\"))
        return "\\\\" + narrow(path.substr(8));
    if (path.starts_with(L"\\\\?\\"))
        return narrow(path.substr(4));
    return narrow(path);
}

int errnoOf(std::uint32_t windowsError) {
    switch (windowsError) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
        return ENOENT;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_NOT_READY:
    case ERROR_BAD_UNIT:
    case ERROR_INVALID_DRIVE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_NETPATH:
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
        return EIO;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return EPIPE;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_OPERATION_ABORTED:
        return EINTR;
    default:
        return EIO + 1000; // no errno of its own: "path/file access"
    }
}

int lastErrno() {
    return errnoOf(::GetLastError());
}

int descriptorOf(void* handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return -1;
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        return -1;
    }
    ::_setmode(fd, _O_BINARY);
    return fd;
}

void* handleOf(int fd) {
    const intptr_t handle = fd >= 0 ? ::_get_osfhandle(fd) : -1;
    return handle == -1 ? nullptr : reinterpret_cast<void*>(handle);
}

namespace {

std::mutex folderPathsLock;
std::unordered_map<int, std::wstring>& folderPaths() {
    static std::unordered_map<int, std::wstring> paths;
    return paths;
}

} // namespace

void rememberFolder(int fd, std::wstring path) {
    const std::lock_guard lock(folderPathsLock);
    folderPaths()[fd] = std::move(path);
}

std::wstring folderPathOf(int fd) {
    const std::lock_guard lock(folderPathsLock);
    const auto found = folderPaths().find(fd);
    return found == folderPaths().end() ? std::wstring() : found->second;
}

void forgetFolder(int fd) {
    const std::lock_guard lock(folderPathsLock);
    folderPaths().erase(fd);
}

std::uint32_t attributesOf(std::uint32_t fileAttributes) {
    std::uint32_t attributes = 0;
    if (fileAttributes & FILE_ATTRIBUTE_READONLY)
        attributes |= 1;
    if (fileAttributes & FILE_ATTRIBUTE_HIDDEN)
        attributes |= 2;
    if (fileAttributes & FILE_ATTRIBUTE_SYSTEM)
        attributes |= 4;
    if (fileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        attributes |= 16;
    if (fileAttributes & FILE_ATTRIBUTE_ARCHIVE)
        attributes |= 32;
    return attributes;
}

FileFacts factsOf(std::uint32_t fileAttributes, std::uint64_t creation, std::uint64_t lastAccess,
                  std::uint64_t lastWrite, std::uint64_t size) {
    FileFacts facts;
    facts.size = static_cast<std::int64_t>(size);
    facts.allocatedSize = facts.size;
    facts.attributes = attributesOf(fileAttributes);
    facts.linkCount = 1;
    fromFileTime(creation, facts.creation.seconds, facts.creation.nanoseconds);
    fromFileTime(lastAccess, facts.lastAccess.seconds, facts.lastAccess.nanoseconds);
    fromFileTime(lastWrite, facts.lastWrite.seconds, facts.lastWrite.nanoseconds);
    return facts;
}

namespace {
// 100-nanosecond ticks from 1601-01-01 to 1970-01-01.
constexpr std::uint64_t EpochTicks = 116444736000000000ull;
} // namespace

void fromFileTime(std::uint64_t ticks, std::int64_t& seconds, std::uint32_t& nanoseconds) {
    const auto since = static_cast<std::int64_t>(ticks - EpochTicks);
    std::int64_t whole = since / 10000000;
    std::int64_t rest = since % 10000000;
    if (rest < 0) {
        rest += 10000000;
        --whole;
    }
    seconds = whole;
    nanoseconds = static_cast<std::uint32_t>(rest * 100);
}

std::uint64_t toFileTime(std::int64_t seconds, std::uint32_t nanoseconds) {
    return static_cast<std::uint64_t>(seconds * 10000000 + nanoseconds / 100) + EpochTicks;
}

} // namespace kestro::win32
