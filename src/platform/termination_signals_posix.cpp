#include "platform/termination_signals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace kestro {

namespace {

std::atomic<bool> requested{false};

extern "C" void onTerminationRequest(int) {
    requested = true;
}

// Read end, write end.
int closePipe[2] = {-1, -1};

extern "C" void onCloseRequest(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a close request.
    (void)!::write(closePipe[1], &byte, 1);
    errno = saved;
}

void handle(int signal, void (*handler)(int), int flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

} // namespace

void abortOnTerminationRequests() {
    for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM,
                       SIGPROF, SIGXCPU, SIGXFSZ})
        handle(signal, onTerminationRequest, 0);
        // Signals that not every system has.
#ifdef SIGIO
    handle(SIGIO, onTerminationRequest, 0);
#endif
#ifdef SIGPWR
    handle(SIGPWR, onTerminationRequest, 0);
#endif
#ifdef SIGRTMIN
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
        handle(signal, onTerminationRequest, 0);
#endif
}

const std::atomic<bool>& terminationRequested() {
    return requested;
}

void ignoreClosedReader() {
    std::signal(SIGPIPE, SIG_IGN);
}

int closeRequestDescriptor() {
    if (closePipe[0] >= 0)
        return closePipe[0];
    if (::pipe2(closePipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return -1;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        handle(signal, onCloseRequest, SA_RESTART);
    return closePipe[0];
}

void drainCloseRequests() {
    char bytes[64];
    while (closePipe[0] >= 0 && ::read(closePipe[0], bytes, sizeof bytes) > 0) {
    }
}

} // namespace kestro
