#pragma once

// What the program does when the system asks it to end (Ctrl+C, a closed
// terminal, kill ...). Until one of these is called, such a request ends the
// program at once: nothing has been changed yet.

#include <atomic>
#include <cstdint>

namespace kestro {

// Command line: every request that would end the program without a word
// only sets the flag that terminationRequested() gives, so that the run
// aborts like Ctrl+C and no temporary file stays behind.
void abortOnTerminationRequests();
const std::atomic<bool>& terminationRequested();

// POSIX: the file a fault removes before it ends the program (the temporary
// list file while a run writes it), while the name still holds the file
// `device`/`inode`; `path` must stay valid until keepOnFault(path).
void removeOnFault(const char* path, std::uint64_t device, std::uint64_t inode);
void keepOnFault(const char* path);

// A reader of standard output that went away makes the write fail instead
// of ending the program.
void ignoreClosedReader();

// Window: a request to end (terminate, hang-up, interrupt, any signal that
// would end the program) becomes readable
// data on the descriptor returned, to be watched by the event loop; -1 when
// none can be made. The handler only writes a byte; the close runs on the
// event loop. The same descriptor on every call.
int closeRequestDescriptor();
// Takes the pending requests off that descriptor once they are handled.
void drainCloseRequests();

} // namespace kestro
