#include "platform/descriptor.h"

#include <cerrno>
#include <unistd.h>

namespace kestro {

void Descriptor::reset(int fd) noexcept {
    if (fd_ >= 0 && fd_ != fd)
        ::close(fd_);
    fd_ = fd;
}

int Descriptor::close() noexcept {
    // After a failed close the descriptor is gone all the same (Linux), so
    // it is never closed twice.
    const int error = fd_ >= 0 && ::close(fd_) != 0 ? errno : 0;
    fd_ = -1;
    return error;
}

int writeAllAt(int fd, std::string_view bytes, std::uint64_t offset) {
    while (!bytes.empty()) {
        const ssize_t written = retryInterrupted(
            [&] { return ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)); });
        if (written < 0)
            return errno;
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
    return 0;
}

int readAllAt(int fd, char* buffer, std::size_t length, std::uint64_t offset, std::size_t& filled) {
    filled = 0;
    while (filled < length) {
        const ssize_t got = retryInterrupted([&] {
            return ::pread(fd, buffer + filled, length - filled,
                           static_cast<off_t>(offset + filled));
        });
        if (got < 0)
            return errno;
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    return 0;
}

long readSome(int fd, char* buffer, std::size_t length) {
    return retryInterrupted([&] { return ::read(fd, buffer, length); });
}

long writeSome(int fd, const char* bytes, std::size_t length) {
    return ::write(fd, bytes, length);
}

} // namespace kestro
