#include "platform/folder_closer.h"

#include <system_error>
#include <utility>

namespace kestro {

FolderCloser::~FolderCloser() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
    gathering_.clear();
}

void FolderCloser::close(OpenFolder folder) {
    if (!folder.isOpen() || unavailable_)
        return;
    gathering_.push_back(std::move(folder));
    if (gathering_.size() >= Batch)
        handOn();
}

void FolderCloser::handOn() {
    if (!thread_.joinable() && !unavailable_) {
        try {
            thread_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            unavailable_ = true;
        }
    }
    {
        const std::lock_guard lock(mutex_);
        if (handed_.empty() && !unavailable_)
            handed_.swap(gathering_);
    }
    if (gathering_.empty())
        changed_.notify_one();
    else
        gathering_.clear(); // the thread is behind: closed here
}

void FolderCloser::run() {
    std::vector<OpenFolder> closing;
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !handed_.empty() || ending_; });
        if (handed_.empty())
            return;
        closing.swap(handed_);
        lock.unlock();
        closing.clear(); // each closes as it goes
        lock.lock();
    }
}

} // namespace kestro
