// Reading to the end, the same on every system over each one's readSome.

#include "platform/descriptor.h"

#include <cerrno>
#include <new>

namespace kestro {

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
