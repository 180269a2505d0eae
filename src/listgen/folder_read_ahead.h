#pragma once

// The folders the create command is about to list, ready ahead of their
// turn: their files chosen, their folder held open, and their files' facts
// (and small files' digests) read by the reader pool while earlier folders
// are written. The command takes each file's result in the list's order;
// a file no reader has started yet it reads itself, as it would without
// readers. The command's thread alone calls these.

#include "listgen/list_engine_pool.h"
#include "platform/content_digest.h"
#include "platform/failure.h"
#include "platform/file_facts.h"
#include "platform/folder.h"
#include "platform/folder_closer.h"
#include "platform/reader_width.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

// What a reader found of one file.
struct FileReading {
    bool haveFacts = false;
    FileFacts facts;
    bool digested = false; // the reader read the contents: the fields below hold
    ContentDigester::Outcome outcome = ContentDigester::Outcome::NotRead;
    std::uint64_t digestedSize = 0;
    std::uint64_t bytes = 0;
    std::string digest;
};

struct PreparedFolder {
    std::uint32_t index = 0;
    // Why the folder's entries could not be had (told before its status).
    std::optional<Failure> failure;
    // Why it could not be opened for its files' facts (told after it).
    std::optional<Failure> openFailure;
    std::unique_ptr<FolderEntries> entries;
    std::vector<std::string_view> files; // into `entries`
    OpenFolder held;                     // the readers' descriptor
    int fd = -1;                         // -1 when no facts or contents are read
    std::vector<FileReading> readings;
    std::shared_ptr<ReaderPool::Batch> batch;
    bool started = false;
    // False while the descriptor the search kept for it awaits its check.
    bool confirmed = true;
};

class FolderReadAhead {
public:
    // Readers read facts when `facts` (with the creation time when
    // `creation`), and digests with `algorithm` when one is given (files up
    // to ReaderDigestLimit; larger ones are left to the command, which shows
    // its progress inside them). The folders done with go to `closer`.
    FolderReadAhead(ReaderPlan plan, bool facts, bool creation,
                    std::optional<DigestAlgorithm> algorithm, std::uint32_t effectiveUser,
                    std::function<bool(std::string_view)> skipped, FolderCloser& closer);

    std::size_t readers() const { return pool_.readers(); }
    // Whether another folder may be prepared now: one at a time without
    // readers, else up to MaxFolders folders of MaxFiles files.
    bool wantsMore() const;
    // Whether it is time to prepare folders: without readers when none is
    // left, else when half of what may be prepared is used up, so that the
    // kept folders are checked many at a time.
    bool wantsRefill() const;

    // Takes `folder`, its files chosen and `folderFd` (valid until the next
    // folder is opened) the folder's descriptor, or -1 when nothing is read
    // of its files. A failure to hold the folder open becomes its
    // openFailure.
    void add(std::unique_ptr<PreparedFolder> folder, int folderFd, const std::string& path);
    // Takes `folder`, with files to read, and `kept` the descriptor the
    // sub-folder search held open for it. Unless `confirmed`, the folder is
    // checked to be still there by the next confirmKept().
    void addKept(std::unique_ptr<PreparedFolder> folder, OpenFolder kept, const std::string& path,
                 bool confirmed);
    // Checks the folders taken by addKept since the last call, on the
    // readers and the calling thread together (no reader starts on their
    // files before): a folder removed since the search gets the failure of
    // opening it now as its openFailure. `waiting` and `stopped` as for
    // reading().
    void confirmKept(const std::function<bool()>& waiting, bool& stopped);
    bool empty() const { return folders_.empty(); }
    PreparedFolder& front() { return *folders_.front(); }
    void popFront();
    // Lets the readers start on every folder taken so far.
    void startAll();

    // The reading of file `item` of the front folder: nullptr when the
    // caller must read it itself. `waiting` as for ReaderPool::claim; when it
    // asks to stop, `stopped` is set.
    const FileReading* reading(std::size_t item, const std::function<bool()>& waiting,
                               bool& stopped);

    // No reader runs once this returns.
    void stop() { pool_.stop(); }

    static constexpr std::size_t MaxFolders = 64;
    static constexpr std::size_t MaxFiles = 4096;
    static constexpr std::size_t Chunk = 8;
    static constexpr std::uint64_t ReaderDigestLimit = std::uint64_t{4} << 20;

private:
    void read(PreparedFolder& folder, std::size_t item, std::size_t reader);
    void hold(PreparedFolder& folder, OpenFolder held);
    void push(std::unique_ptr<PreparedFolder> folder);

    struct Unconfirmed {
        PreparedFolder* folder;
        const std::string* path;
        std::optional<Failure> failure;
    };

    bool facts_;
    bool creation_;
    std::uint32_t effectiveUser_;
    std::function<bool(std::string_view)> skipped_;
    FolderCloser& closer_;
    std::vector<std::unique_ptr<ContentDigester>> digesters_;
    std::deque<std::unique_ptr<PreparedFolder>> folders_;
    std::size_t files_ = 0;
    std::vector<Unconfirmed> unconfirmed_;
    ReaderPool pool_; // last: its readers stop before the rest goes
};

} // namespace kestro
