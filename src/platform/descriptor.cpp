// Writing all and reading to the end, the same on every system over each
// one's writeSome and readSome.

#include "platform/descriptor.h"

#include <cerrno>
#include <new>

namespace kestro {

int writeAll(int fd, std::string_view bytes, const std::atomic<bool>* stop) {
    while (!bytes.empty()) {
        const long written = writeSome(fd, bytes.data(), bytes.size());
        const int error = written < 0 ? errno : 0;
        if (stop && *stop)
            return EINTR;
        if (error == EINTR)
            continue;
        if (error != 0)
            return error;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

int readAll(int fd, std::string& bytes, std::size_t limit) {
    char buffer[65536];
    for (;;) {
        const long got = readSome(fd, buffer, sizeof buffer);
        if (got < 0)
            return errno;
        if (got == 0)
            return 0;
        const auto length = static_cast<std::size_t>(got);
        if (bytes.size() > limit || length > limit - bytes.size())
            return EFBIG;
        try {
            bytes.append(buffer, length);
        } catch (const std::bad_alloc&) {
            return ENOMEM;
        }
    }
}

} // namespace kestro
