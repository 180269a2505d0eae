#include "platform/file_head.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro {

Result<FileHead> readFileHead(const std::string& path, std::size_t maxBytes) {
    // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failureFromErrno(errno, path, false);
    FileHead head;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int error = errno;
        ::close(fd);
        return failureFromErrno(error, path, false);
    }
    head.regular = S_ISREG(st.st_mode);
    head.anyExecuteBit = (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
    if (head.regular) {
        head.bytes.resize(maxBytes);
        std::size_t filled = 0;
        while (filled < maxBytes) {
            ssize_t got = ::read(fd, head.bytes.data() + filled, maxBytes - filled);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            filled += static_cast<std::size_t>(got);
        }
        head.bytes.resize(filled);
    }
    ::close(fd);
    return head;
}

} // namespace kestro
