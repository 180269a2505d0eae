#include "export/background_writer.h"

#include <new>

namespace kestro {

BackgroundListWriter::BackgroundListWriter(ListWriter& target)
    : target_(target), filling_(std::make_unique<Batch>()) {
    for (std::size_t i = 1; i < Batches; ++i)
        free_.push_back(std::make_unique<Batch>());
    thread_ = std::thread([this] { run(); });
}

BackgroundListWriter::~BackgroundListWriter() {
    finish();
}

void BackgroundListWriter::add(Kind kind, const ListRecord* record) {
    if (finished_)
        return;
    Call& call = filling_->calls[filling_->used++];
    call.kind = kind;
    if (record)
        call.record = *record; // the call's strings keep their room from batch to batch
    if (kind == Kind::FileWithFacts)
        call.facts = facts_;
    if (filling_->used == filling_->calls.size())
        submit();
}

void BackgroundListWriter::submit() {
    std::unique_lock lock(mutex_);
    full_.push_back(std::move(filling_));
    changed_.notify_all();
    changed_.wait(lock, [this] { return !free_.empty(); });
    filling_ = std::move(free_.back());
    free_.pop_back();
}

void BackgroundListWriter::header(const ListRecord& titles, std::string&) {
    add(Kind::Header, &titles);
}

void BackgroundListWriter::beginFolder(const ListRecord* folderLine, std::string&) {
    add(folderLine ? Kind::FolderLine : Kind::Folder, folderLine);
}

void BackgroundListWriter::nextFileFacts(const FileFacts* facts) {
    haveFacts_ = facts != nullptr;
    if (facts)
        facts_ = *facts;
}

void BackgroundListWriter::file(const ListRecord& cells, std::string&) {
    add(haveFacts_ ? Kind::FileWithFacts : Kind::File, &cells);
    haveFacts_ = false;
}

void BackgroundListWriter::endFolder(std::string&) {
    add(Kind::EndFolder, nullptr);
}

void BackgroundListWriter::folderTotal(const ListRecord& cells, std::string&) {
    add(Kind::FolderTotal, &cells);
}

void BackgroundListWriter::listTotal(const ListRecord& cells, std::string&) {
    add(Kind::ListTotal, &cells);
}

bool BackgroundListWriter::finish() {
    if (!finished_) {
        finished_ = true;
        {
            const std::lock_guard lock(mutex_);
            if (filling_->used > 0)
                full_.push_back(std::move(filling_));
            ending_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    const std::lock_guard lock(mutex_);
    return !failed_;
}

void BackgroundListWriter::run() {
    for (;;) {
        std::unique_ptr<Batch> batch;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !full_.empty() || ending_; });
            if (full_.empty())
                return;
            batch = std::move(full_.front());
            full_.pop_front();
        }
        if (!failed_) {
            try {
                handOn(*batch);
            } catch (const std::bad_alloc&) {
                const std::lock_guard lock(mutex_);
                failed_ = true;
            }
        }
        batch->used = 0;
        const std::lock_guard lock(mutex_);
        free_.push_back(std::move(batch));
        changed_.notify_all();
    }
}

void BackgroundListWriter::handOn(Batch& batch) {
    std::string dropped;
    for (std::size_t i = 0; i < batch.used; ++i) {
        const Call& call = batch.calls[i];
        switch (call.kind) {
        case Kind::Header:
            target_.header(call.record, dropped);
            break;
        case Kind::Folder:
            target_.beginFolder(nullptr, dropped);
            break;
        case Kind::FolderLine:
            target_.beginFolder(&call.record, dropped);
            break;
        case Kind::File:
            target_.nextFileFacts(nullptr);
            target_.file(call.record, dropped);
            break;
        case Kind::FileWithFacts:
            target_.nextFileFacts(&call.facts);
            target_.file(call.record, dropped);
            break;
        case Kind::EndFolder:
            target_.endFolder(dropped);
            break;
        case Kind::FolderTotal:
            target_.folderTotal(call.record, dropped);
            break;
        case Kind::ListTotal:
            target_.listTotal(call.record, dropped);
            break;
        }
        dropped.clear();
    }
}

} // namespace kestro
