#include "platform/termination_signals.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
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

// Every signal whose default action ends the program and that a fault of
// the program itself does not raise; the realtime ones come after these.
constexpr int RequestSignals[] = {
    SIGHUP,    SIGINT,    SIGQUIT, SIGTERM, SIGUSR1, SIGUSR2,
    SIGALRM,   SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ,
#ifdef SIGIO
    SIGIO,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGEMT
    SIGEMT,
#endif
#ifdef SIGLOST
    SIGLOST,
#endif
};

// The signals a fault raises (and abort()). Sent by another process they
// are requests like the others; raised by a fault, the program cannot go
// on: the temporary list file is removed and the signal ends the program
// as it would have.
constexpr int FaultSignals[] = {SIGILL, SIGTRAP, SIGABRT, SIGBUS, SIGFPE, SIGSEGV, SIGSYS};

// The file removed before a fault ends the program, and which file it was.
std::atomic<const char*> fileOnFault{nullptr};
std::atomic<std::uint64_t> fileOnFaultDevice{0};
std::atomic<std::uint64_t> fileOnFaultInode{0};
struct sigaction faultDefaults[NSIG];

void (*faultRequest)(int) = onTerminationRequest;

extern "C" void onFault(int signal, siginfo_t* info, void*) {
    if (info && info->si_code <= 0 && info->si_pid != ::getpid()) {
        faultRequest(signal);
        return;
    }
    const int saved = errno;
    if (const char* path = fileOnFault.exchange(nullptr)) {
        struct stat st {};
        if (::lstat(path, &st) == 0 && st.st_dev == fileOnFaultDevice &&
            st.st_ino == fileOnFaultInode)
            ::unlink(path);
    }
    ::sigaction(signal, &faultDefaults[signal], nullptr);
    // A faulting instruction faults again once the handler returns; the
    // others are raised again, and come when it returns.
    const bool refaults =
        info && info->si_code > 0 &&
        (signal == SIGSEGV || signal == SIGBUS || signal == SIGILL || signal == SIGFPE);
    if (!refaults)
        ::raise(signal);
    errno = saved;
}

// Every signal that would end the program: the requests go to `handler`,
// the faults remove the temporary list file first.
void handleEveryEnd(void (*handler)(int), int flags) {
    for (int signal : RequestSignals)
        handle(signal, handler, flags);
#ifdef SIGRTMIN
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
        handle(signal, handler, flags);
#endif
    faultRequest = handler;
    for (int signal : FaultSignals) {
        struct sigaction action {};
        action.sa_sigaction = onFault;
        action.sa_flags = SA_SIGINFO | flags;
        ::sigemptyset(&action.sa_mask);
        struct sigaction before {};
        ::sigaction(signal, &action, &before);
        // Set up twice (the window, then a list): the first one's stays.
        if (before.sa_sigaction != onFault || !(before.sa_flags & SA_SIGINFO))
            faultDefaults[signal] = before;
    }
}

} // namespace

void abortOnTerminationRequests() {
    handleEveryEnd(onTerminationRequest, 0);
}

void removeOnFault(const char* path, std::uint64_t device, std::uint64_t inode) {
    fileOnFault = nullptr;
    fileOnFaultDevice = device;
    fileOnFaultInode = inode;
    fileOnFault = path;
}

void keepOnFault(const char* path) {
    const char* expected = path;
    fileOnFault.compare_exchange_strong(expected, nullptr);
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
    handleEveryEnd(onCloseRequest, SA_RESTART);
    return closePipe[0];
}

void drainCloseRequests() {
    char bytes[64];
    while (closePipe[0] >= 0 && ::read(closePipe[0], bytes, sizeof bytes) > 0) {
    }
}

} // namespace kestro
