#include "listgen/search_read_ahead.h"

#include <algorithm>

namespace kestro {

void SearchReadAhead::beginPass(
    std::size_t first, std::size_t count,
    const std::function<void(std::size_t index, SearchReading&)>& describe) {
    // The previous pass was taken whole: no reader works on it any more.
    segments_.clear();
    folders_.clear();
    started_ = 0;
    first_ = first;
    if (pool_.readers() == 0)
        return;
    folders_.resize(count);
    for (std::size_t at = 0; at < count; ++at)
        describe(first + at, folders_[at]);
    for (std::size_t begin = 0; begin < count; begin += Segment) {
        SearchReading* base = folders_.data() + begin;
        segments_.push_back(std::make_shared<ReaderPool::Batch>(
            std::min(Segment, count - begin),
            [base](std::size_t item, std::size_t) { read(base[item]); }));
    }
}

void SearchReadAhead::startFrom(std::size_t index) {
    if (segments_.empty() || index < first_)
        return;
    const std::size_t until =
        std::min(segments_.size(), (index - first_ + Lookahead) / Segment + 1);
    for (; started_ < until; ++started_)
        pool_.submit(segments_[started_], 1);
}

SearchReading* SearchReadAhead::take(std::size_t index, const std::function<bool()>& waiting,
                                     bool& stopped) {
    stopped = false;
    if (segments_.empty() || index < first_ || index - first_ >= folders_.size())
        return nullptr;
    const std::size_t at = index - first_;
    switch (pool_.claim(*segments_[at / Segment], at % Segment, waiting)) {
    case ReaderPool::Turn::Take:
        return nullptr;
    case ReaderPool::Turn::Finished:
        return folders_[at].read ? &folders_[at] : nullptr;
    case ReaderPool::Turn::Stopped:
        stopped = true;
        return nullptr;
    }
    return nullptr;
}

// On a reader: what the search does with a folder whose parent is open.
void SearchReadAhead::read(SearchReading& folder) {
    if (folder.parentFd < 0)
        return;
    auto opened = OpenFolder::openChildOf(folder.parentFd, folder.name.c_str(), folder.path);
    folder.read = true;
    if (!opened) {
        folder.failure = opened.failure();
        return;
    }
    folder.opened = std::move(opened).value();
    folder.entries = std::make_unique<FolderEntries>();
    if (auto done = readFolderEntries(folder.opened.fd(), *folder.entries, folder.path); !done) {
        folder.failure = done.failure();
        return;
    }
    // Sorted here, beside the search, the collection's choice of files
    // needs no sort of its own.
    folder.entries->sortByName();
}

} // namespace kestro
