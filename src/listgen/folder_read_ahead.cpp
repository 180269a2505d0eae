#include "listgen/folder_read_ahead.h"

namespace kestro {

FolderReadAhead::FolderReadAhead(ReaderPlan plan, bool facts, bool creation,
                                 std::optional<DigestAlgorithm> algorithm,
                                 std::uint32_t effectiveUser,
                                 std::function<bool(std::string_view)> skipped,
                                 FolderCloser& closer)
    : facts_(facts), creation_(creation), effectiveUser_(effectiveUser),
      skipped_(std::move(skipped)), closer_(closer),
      pool_(facts || algorithm ? plan.readers : 0, !plan.remote) {
    // Made before any reader can be handed work.
    if (algorithm) {
        for (std::size_t reader = 0; reader < pool_.readers(); ++reader)
            digesters_.push_back(std::make_unique<ContentDigester>(*algorithm));
    }
}

bool FolderReadAhead::wantsMore() const {
    if (folders_.empty())
        return true;
    return pool_.readers() > 0 && folders_.size() < MaxFolders && files_ < MaxFiles;
}

bool FolderReadAhead::wantsRefill() const {
    if (folders_.empty())
        return true;
    return pool_.readers() > 0 && folders_.size() <= MaxFolders / 2 && files_ <= MaxFiles / 2;
}

void FolderReadAhead::add(std::unique_ptr<PreparedFolder> folder, int folderFd,
                          const std::string& path) {
    if (folderFd >= 0 && !folder->files.empty()) {
        if (pool_.readers() == 0) {
            folder->fd = folderFd;
        } else if (auto copy = OpenFolder::duplicate(folderFd, path)) {
            hold(*folder, std::move(copy).value());
        } else {
            folder->openFailure = copy.failure();
        }
    }
    push(std::move(folder));
}

void FolderReadAhead::addKept(std::unique_ptr<PreparedFolder> folder, OpenFolder kept,
                              const std::string& path, bool confirmed) {
    hold(*folder, std::move(kept));
    if (!confirmed) {
        folder->confirmed = false;
        unconfirmed_.push_back({folder.get(), &path, std::nullopt});
    }
    push(std::move(folder));
}

void FolderReadAhead::hold(PreparedFolder& folder, OpenFolder held) {
    folder.held = std::move(held);
    folder.fd = folder.held.fd();
    if (pool_.readers() == 0)
        return;
    folder.readings.resize(folder.files.size());
    PreparedFolder* at = &folder;
    folder.batch = std::make_shared<ReaderPool::Batch>(
        folder.files.size(),
        [this, at](std::size_t item, std::size_t reader) { read(*at, item, reader); });
}

void FolderReadAhead::push(std::unique_ptr<PreparedFolder> folder) {
    files_ += folder->files.size();
    folders_.push_back(std::move(folder));
}

void FolderReadAhead::confirmKept(const std::function<bool()>& waiting, bool& stopped) {
    stopped = false;
    if (unconfirmed_.empty())
        return;
    const auto check = [this](std::size_t item) {
        Unconfirmed& folder = unconfirmed_[item];
        if (auto present = folder.folder->held.checkPresent(*folder.path); !present)
            folder.failure = present.failure();
    };
    const auto batch = std::make_shared<ReaderPool::Batch>(
        unconfirmed_.size(), [&check](std::size_t item, std::size_t) { check(item); });
    pool_.submit(batch, 1, true);
    for (std::size_t item = 0; item < unconfirmed_.size(); ++item) {
        switch (pool_.claim(*batch, item, waiting)) {
        case ReaderPool::Turn::Take:
            check(item);
            break;
        case ReaderPool::Turn::Finished:
            break;
        case ReaderPool::Turn::Stopped:
            stopped = true; // the pool is stopped: no reader runs a check
            return;
        }
    }
    for (Unconfirmed& checked : unconfirmed_) {
        PreparedFolder& folder = *checked.folder;
        folder.confirmed = true;
        if (!checked.failure)
            continue;
        // Never handed to the readers: nothing of it is being read.
        folder.openFailure = std::move(checked.failure);
        folder.batch.reset();
        folder.readings.clear();
        folder.held = OpenFolder();
        folder.fd = -1;
    }
    unconfirmed_.clear();
}

void FolderReadAhead::popFront() {
    files_ -= folders_.front()->files.size();
    closer_.close(std::move(folders_.front()->held));
    folders_.pop_front();
}

void FolderReadAhead::startAll() {
    for (const auto& folder : folders_) {
        if (!folder->confirmed)
            continue;
        if (folder->batch && !folder->started)
            pool_.submit(folder->batch, Chunk);
        folder->started = true;
    }
}

const FileReading* FolderReadAhead::reading(std::size_t item, const std::function<bool()>& waiting,
                                            bool& stopped) {
    stopped = false;
    PreparedFolder& folder = front();
    if (!folder.batch)
        return nullptr;
    switch (pool_.claim(*folder.batch, item, waiting)) {
    case ReaderPool::Turn::Take:
        return nullptr;
    case ReaderPool::Turn::Finished:
        return &folder.readings[item];
    case ReaderPool::Turn::Stopped:
        stopped = true;
        return nullptr;
    }
    return nullptr;
}

// On a reader: the same calls the command makes for a file, with the
// reader's own digester. A file found larger than ReaderDigestLimit is left
// unread (`digested` stays false).
void FolderReadAhead::read(PreparedFolder& folder, std::size_t item, std::size_t reader) {
    const std::string_view name = folder.files[item];
    if (skipped_(name))
        return;
    FileReading& result = folder.readings[item];
    if (facts_) {
        if (auto facts =
                readReadableFileFactsAt(folder.fd, name.data(), effectiveUser_, creation_)) {
            result.facts = facts.value();
            result.haveFacts = true;
        }
    }
    if (digesters_.empty() ||
        (result.haveFacts && static_cast<std::uint64_t>(result.facts.size) > ReaderDigestLimit))
        return;
    ContentDigester& digester = *digesters_[reader];
    const std::uint64_t before = digester.bytesRead();
    result.outcome = digester.digestAt(folder.fd, name.data(), result.digest,
                                       [](std::uint64_t read) { return read < ReaderDigestLimit; });
    if (result.outcome == ContentDigester::Outcome::Stopped)
        return;
    result.digested = true;
    result.digestedSize = digester.digestedSize();
    result.bytes = digester.bytesRead() - before;
}

} // namespace kestro
