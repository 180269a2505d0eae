#include "platform/termination_signals.h"

#include <windows.h>

// Ctrl+C, Ctrl+Break and a closed console window reach the program through
// its console's control handler, which runs on a thread of its own: it sets
// the flag and cancels a write to standard output that blocks.

namespace kestro {

namespace {

std::atomic<bool> requested{false};
HANDLE mainThread = nullptr;

BOOL WINAPI onControlEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        requested = true;
        if (mainThread)
            ::CancelSynchronousIo(mainThread);
        // The system ends the process when the handler of a closed window
        // returns: give the run the time to remove its temporary file.
        if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
            ::Sleep(2000);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void abortOnTerminationRequests() {
    if (!mainThread)
        ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(),
                          &mainThread, 0, FALSE, DUPLICATE_SAME_ACCESS);
    ::SetConsoleCtrlHandler(onControlEvent, TRUE);
}

const std::atomic<bool>& terminationRequested() {
    return requested;
}

// A reader that went away makes the write fail on Windows anyway.
void ignoreClosedReader() {}

// The window's requests to close are not built on Windows.
int closeRequestDescriptor() {
    return -1;
}

void drainCloseRequests() {}

} // namespace kestro
