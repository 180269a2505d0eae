#pragma once

// Closes folders on a thread of its own. A folder read long before its files
// are listed is costly to close: the file system frees what it kept of the
// reading then (ext4 holds a folder's entries in a tree until its last
// descriptor closes), and by then none of it is in the processor's caches.
// On a thread of its own, that time runs beside the walk.
//
// Only descriptors nobody reads through any more are handed over. They pass
// to the thread Batch at a time, so the walk seldom wakes it; while the
// thread still closes one batch, the caller closes the next itself, so no
// more than two batches stay open past their use.
//
// A thread helps only where a processor has nothing else to do: with
// useThread(false) every folder is closed at once.

#include "platform/folder.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace kestro {

class FolderCloser {
public:
    FolderCloser() = default;
    // Every folder handed over is closed before this returns.
    ~FolderCloser();
    FolderCloser(const FolderCloser&) = delete;
    FolderCloser& operator=(const FolderCloser&) = delete;

    // Whether folders are closed on the thread (as at first); from now on:
    // what the thread holds already it still closes.
    void useThread(bool use) { unavailable_ = !use; }
    // Closes `folder`, soon, or now without the thread.
    void close(OpenFolder folder);

    static constexpr std::size_t Batch = 64;

private:
    void handOn();
    void run();

    std::vector<OpenFolder> gathering_; // the caller's
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<OpenFolder> handed_; // the thread's, under mutex_
    bool ending_ = false;
    bool unavailable_ = false; // not to be used, or none could be started
    std::thread thread_;
};

} // namespace kestro
