#include "platform/descriptor.h"

#include "platform/wide_path.h"

#include <cerrno>
#include <io.h>
#include <windows.h>

// Descriptors are the C runtime's, each over a handle of the system; reads
// and writes at an offset go to the handle with the offset in an OVERLAPPED,
// which leaves the file position alone like pread and pwrite.

namespace kestro {

void Descriptor::reset(int fd) noexcept {
    if (fd_ >= 0 && fd_ != fd) {
        win32::forgetFolder(fd_);
        ::_close(fd_);
    }
    fd_ = fd;
}

int Descriptor::close() noexcept {
    int error = 0;
    if (fd_ >= 0) {
        win32::forgetFolder(fd_);
        error = ::_close(fd_) != 0 ? errno : 0;
    }
    fd_ = -1;
    return error;
}

namespace {

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset);
    where.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return where;
}

} // namespace

int writeAllAt(int fd, std::string_view bytes, std::uint64_t offset) {
    HANDLE file = win32::handleOf(fd);
    if (!file)
        return EBADF;
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        OVERLAPPED where = at(offset);
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, &where))
            return win32::lastErrno();
        bytes.remove_prefix(written);
        offset += written;
    }
    return 0;
}

int readAllAt(int fd, char* buffer, std::size_t length, std::uint64_t offset, std::size_t& filled) {
    filled = 0;
    HANDLE file = win32::handleOf(fd);
    if (!file)
        return EBADF;
    while (filled < length) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(length - filled, 1u << 30));
        OVERLAPPED where = at(offset + filled);
        DWORD got = 0;
        if (!::ReadFile(file, buffer + filled, chunk, &got, &where)) {
            if (::GetLastError() == ERROR_HANDLE_EOF)
                break;
            return win32::lastErrno();
        }
        if (got == 0)
            break;
        filled += got;
    }
    return 0;
}

long readSome(int fd, char* buffer, std::size_t length) {
    const auto chunk = static_cast<unsigned>(std::min<std::size_t>(length, 1u << 30));
    return retryInterrupted([&] { return ::_read(fd, buffer, chunk); });
}

long writeSome(int fd, const char* bytes, std::size_t length) {
    return ::_write(fd, bytes, static_cast<unsigned>(std::min<std::size_t>(length, 1u << 30)));
}

} // namespace kestro
