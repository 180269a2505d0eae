#include "platform/standard_streams.h"

#include "platform/descriptor.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro {

void ensureStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free descriptor is this one, as the lower ones are open.
        Descriptor opened(::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY));
        if (opened && opened.get() != fd)
            ::dup2(opened.get(), fd);
        else
            opened.release();
    }
}

Status writeStandardOutput(std::string_view bytes) {
    if (const int error = writeAll(STDOUT_FILENO, bytes); error != 0)
        return standardOutputFailure(error);
    return Ok{};
}

int writeStandardOutputUnless(std::string_view bytes, const std::atomic<bool>& stop) {
    return writeAll(STDOUT_FILENO, bytes, &stop);
}

bool standardOutputIsFile(const std::string& path) {
    struct stat output {};
    struct stat file {};
    return ::fstat(STDOUT_FILENO, &output) == 0 && ::stat(path.c_str(), &file) == 0 &&
           output.st_dev == file.st_dev && output.st_ino == file.st_ino;
}

Status closeStandardOutput() {
    // After a failed close the descriptor is gone all the same (Linux), so
    // it is never retried.
    if (::close(STDOUT_FILENO) != 0 && errno != EINTR)
        return standardOutputFailure(errno);
    return Ok{};
}

bool standardOutputShowsCharacters() {
    return false;
}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void showStatusLine(std::string_view text) {
    // Back to the line's start and erase it, then the new text.
    std::string line = "\r\033[K";
    line += text;
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace kestro
