#pragma once

// How many threads read the files' facts of a folder walk beside the walk's
// own, and how many processors there are to run threads on. On a network
// file system every stat is a round trip, and requests sent side by side
// overlap their waits; on a local disc with a warm cache the kernel's work
// of a stat or a folder read is what takes the time, and two readers share
// it out over the processors while the walk's own thread writes the list.

#include <cstddef>
#include <string>

namespace kestro {

// How a walk reads beside itself: with `readers` threads, each read of
// which is a round trip to another machine when `remote`.
struct ReaderPlan {
    std::size_t readers = 0;
    bool remote = false;
};

// The readers for a walk of `folder`: KESTRO_READERS when it is set to a
// number (at most MaxFactReaders), otherwise NetworkFactReaders when the
// folder lies on a network file system (NFS, CIFS/SMB, 9p, FUSE such as
// sshfs), else LocalFactReaders when the process may run on more than one
// processor, and none on one. Always none on Windows.
ReaderPlan factReaders(const std::string& folder);

// The processors this process may run on (its affinity, where the system
// has one), at least 1.
unsigned usableProcessors();

inline constexpr std::size_t NetworkFactReaders = 16;
inline constexpr std::size_t LocalFactReaders = 2;
inline constexpr std::size_t MaxFactReaders = 64;

} // namespace kestro
