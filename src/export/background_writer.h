#pragma once

// Hands the records of a list to another writer on a thread of its own, so
// that a writer slow per record (a workbook's cells) works beside the walk
// that makes them rather than after each one.
//
// Each call is copied into a batch of calls; full batches pass to the thread
// through a queue of a few batches, which the walk waits on when the thread
// falls behind, so no more than those few batches of records are held at any
// time. The other writer's text is dropped: it is for writers that write
// somewhere else.

#include "listgen/list_writer.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kestro {

class BackgroundListWriter : public ListWriter {
public:
    // Calls `target` on the thread; `target` must outlive finish().
    explicit BackgroundListWriter(ListWriter& target);
    // Finishes (every call is handed on before the thread ends).
    ~BackgroundListWriter() override;
    BackgroundListWriter(const BackgroundListWriter&) = delete;
    BackgroundListWriter& operator=(const BackgroundListWriter&) = delete;

    void header(const ListRecord& titles, std::string& out) override;
    void beginFolder(const ListRecord* folderLine, std::string& out) override;
    void nextFileFacts(const FileFacts* facts) override;
    void file(const ListRecord& cells, std::string& out) override;
    void endFolder(std::string& out) override;
    void folderTotal(const ListRecord& cells, std::string& out) override;
    void listTotal(const ListRecord& cells, std::string& out) override;
    bool busiesAThread() const override { return true; }

    // Waits until `target` has had every call and ends the thread. False
    // when the thread failed (the memory ran out); the calls after the
    // failure were dropped. Calls after finish() are dropped.
    bool finish();

    // The calls one batch holds, and the batches there are.
    static constexpr std::size_t BatchCalls = 1024;
    static constexpr std::size_t Batches = 4;

private:
    enum class Kind {
        Header,
        Folder,
        FolderLine,
        File,
        FileWithFacts,
        EndFolder,
        FolderTotal,
        ListTotal
    };
    struct Call {
        Kind kind = Kind::File;
        ListRecord record;
        FileFacts facts;
    };
    struct Batch {
        std::vector<Call> calls{BatchCalls};
        std::size_t used = 0;
    };

    // The next call of the batch being filled, `record` copied into it.
    void add(Kind kind, const ListRecord* record);
    // Queues the batch being filled and takes a free one.
    void submit();
    void run();
    void handOn(Batch& batch);

    ListWriter& target_;
    std::unique_ptr<Batch> filling_;
    bool haveFacts_ = false;
    FileFacts facts_;
    bool finished_ = false;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Batch>> full_; // oldest first
    std::vector<std::unique_ptr<Batch>> free_;
    bool ending_ = false; // no batch comes after those in full_
    bool failed_ = false;
    std::thread thread_;
};

} // namespace kestro
