#include "app/standard_streams.h"

#include "listgen/error_report.h"
#include "listgen/name_helpers.h"

#include <cerrno>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <unistd.h>

namespace kestro {

namespace {

constexpr const char* StandardOutputName = "stdout";

} // namespace

void ensureStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free descriptor is this one, as the lower ones are open.
        const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

Status writeStandardOutput(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return failureFromErrno(errno, StandardOutputName, false);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return Ok{};
}

Status closeStandardOutput() {
    // After a failed close the descriptor is gone all the same (Linux), so
    // it is never retried.
    if (::close(STDOUT_FILENO) != 0 && errno != EINTR)
        return failureFromErrno(errno, StandardOutputName, false);
    return Ok{};
}

void reportOnStandardError(const Failure& failure) {
    // A name's control characters never reach the terminal raw: an escape
    // sequence in a folder's name must not change the terminal.
    Failure shown = failure;
    shown.description = showingControls(failure.description);
    std::string text = reportText(shown);
    if (text.empty())
        return;
    for (char& c : text)
        if (c == '\r')
            c = '\n';
    std::cerr << "kestro: " << text << std::endl;
}

} // namespace kestro
