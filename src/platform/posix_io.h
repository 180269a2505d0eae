#pragma once

// Small helpers shared by the POSIX implementations; not part of the
// platform's interface.

#include "platform/failure.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace kestro {

// Reads up to `length` bytes at `offset`, retrying short and interrupted
// reads; fewer bytes only at the end of the file. A failure carries the
// errno value as its number (the caller turns it into its own failure).
inline Result<std::size_t> readFully(int fd, char* buffer, std::size_t length,
                                     std::uint64_t offset) {
    std::size_t filled = 0;
    while (filled < length) {
        const ssize_t got =
            ::pread(fd, buffer + filled, length - filled, static_cast<off_t>(offset + filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Failure{errno, {}, {}, 0};
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    return filled;
}

} // namespace kestro
