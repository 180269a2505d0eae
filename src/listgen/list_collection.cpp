#include "listgen/list_collection.h"

#include "listgen/name_helpers.h"
#include "listgen/size_text.h"
#include "platform/file_facts.h"
#include "platform/file_pattern.h"
#include "platform/key_store.h"
#include "platform/list_spool.h"
#include "platform/reader_width.h"
#include "platform/text.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace kestro {

namespace {

constexpr std::size_t FileYieldEvery = 50;
// Folders without a matching file have no checkpoint of their own; this one
// keeps a long run of them from freezing the window or ignoring the abort.
constexpr std::size_t FolderYieldEvery = 50;
// Reading contents for the checksum column yields after this many bytes, also
// inside one big file, so that the window stays responsive and the abort
// is seen within a fraction of a second.
constexpr std::uint64_t ContentYieldBytes = std::uint64_t{16} << 20;
// The list goes to the spool in pieces of whole folders of at least this
// size: one write per folder was a tenth of a names-only list's time.
constexpr std::size_t SpoolPieceBytes = std::size_t{256} << 10;

// Names never listed: the list's own temporary file and the old swap file.
bool isSkippedName(std::string_view name) {
    return name == ListSpoolName || name == "WIN386.SWP";
}

class ListSpoolText : public ListText {
public:
    explicit ListSpoolText(ListSpool& spool) : spool_(spool) { spool_.rewind(); }
    std::size_t size() const override { return spool_.size(); }
    Result<std::string_view> nextBlock(std::size_t maxBytes) override {
        return spool_.readBlock(maxBytes);
    }
    void rewind() override { spool_.rewind(); }

private:
    ListSpool& spool_;
};

} // namespace

ListCollection::ListCollection(ListHost& host, RunSteps& run, std::vector<FolderNode>& nodes,
                               FolderChain& chain, FolderCloser& closer, std::string spoolFolder)
    : host_(host), run_(run), nodes_(nodes), chain_(chain), spoolFolder_(std::move(spoolFolder)),
      closer_(closer) {}

ListCollection::~ListCollection() = default;

void ListCollection::stopReaders() {
    if (readAhead_)
        readAhead_->stop();
}

void ListCollection::dropSpool() {
    spool_.reset();
}

// A yield with the abort check of the collection: when the run must stop,
// it is ended here and its outcome given back.
std::optional<RunOutcome> ListCollection::checkpoint() {
    switch (run_.yieldAndCheck()) {
    case RunSteps::Checkpoint::Go:
        // The readers start on the folders prepared before the yield: what
        // the host did during it is seen as if there were no readers.
        if (readAhead_)
            readAhead_->startAll();
        break;
    case RunSteps::Checkpoint::Abort:
        return run_.endRun(RunOutcome::Aborted);
    case RunSteps::Checkpoint::Quit:
        return run_.endRun(RunOutcome::Quit);
    }
    return std::nullopt;
}

// Counts `bytes` more of contents read; after every ContentYieldBytes, a
// checkpoint that shows the bytes read so far. When the run must stop
// there, it is ended and its outcome given back.
std::optional<RunOutcome> ListCollection::countContentBytes(std::uint64_t bytes) {
    bytesSinceYield_ += bytes;
    if (bytesSinceYield_ < ContentYieldBytes)
        return std::nullopt;
    bytesSinceYield_ = 0;
    host_.setStatus(1,
                    std::string(ReadingContentsStatus) +
                        sizeText(static_cast<std::int64_t>(digester_->bytesRead() + readerBytes_),
                                 SizeUnit::Byte));
    return checkpoint();
}

// Reads the digest of file `name` of the open folder `folderFd` into `digest`
// (left empty when the file cannot be read), counting its bytes as they are
// read, also inside one big file. When the run must stop there, it is ended
// and its outcome given back.
std::optional<RunOutcome> ListCollection::readDigest(int folderFd, const std::string& folder,
                                                     const char* name, const FileFacts* known,
                                                     std::string& digest) {
    std::optional<RunOutcome> stop;
    std::uint64_t counted = 0;
    const auto outcome = digester_->digestAt(folderFd, name, digest, [&](std::uint64_t read) {
        stop = countContentBytes(read - counted);
        counted = read;
        return !stop;
    });
    if (outcome == ContentDigester::Outcome::Stopped)
        return stop;
    checkDigest(outcome, digester_->digestedSize(), folder, name, known, digest);
    return std::nullopt;
}

// A file that changed while it was read, or since its facts `known` were
// read, gets no digest and is named after the list: its cells must all be
// of one state.
void ListCollection::checkDigest(ContentDigester::Outcome outcome, std::uint64_t digestedSize,
                                 const std::string& folder, const char* name,
                                 const FileFacts* known, std::string& digest) {
    if (outcome == ContentDigester::Outcome::NotRead)
        digest.clear();
    if (outcome == ContentDigester::Outcome::Changed ||
        (outcome == ContentDigester::Outcome::Digested && known &&
         digestedSize != static_cast<std::uint64_t>(known->size))) {
        digest.clear();
        changed_.push_back(showingControls(folder + name));
    }
}

// The failure rule for a folder that cannot be read. The failures the
// command lets pass are those of single files; a folder is never passed
// over in silence: below the root it is left out and named after the list
// when the run skips unreadable folders, and otherwise, like the root, it
// ends the run with its report.
std::optional<RunOutcome> ListCollection::folderFailed(std::uint32_t index, const Failure& failure,
                                                       bool skipUnreadable) {
    if (index != 0 && skipUnreadable) {
        skipped_.push_back(failure);
        skippedPaths_.push_back(nodes_[index].path);
        return std::nullopt;
    }
    // The folders before it are listed first: a spool that cannot take
    // them is the earlier failure.
    if (auto stop = writeListed())
        return stop;
    return run_.endRun(RunOutcome::Failed, &failure);
}

// Writes the folders listed since the last write to the spool.
std::optional<RunOutcome> ListCollection::writeListed() {
    auto written = spool_->append(body_);
    body_.clear();
    if (!written)
        return run_.endRun(RunOutcome::Failed, &written.failure());
    return std::nullopt;
}

// Prepares the folders of `order` from `next` on while the read-ahead
// takes more: each folder's entries (kept by the search, or read now), its
// files, and, when `readsFiles`, its descriptor (the one the search kept,
// once it is known to be still there, or opened now). A failure is kept
// with the folder, to be applied in its turn. When the run must stop while
// the kept folders are checked, it is ended and its outcome given back.
std::optional<RunOutcome> ListCollection::prepareAhead(const std::vector<std::uint32_t>& order,
                                                       std::size_t& next,
                                                       const FilePatternSet& patterns,
                                                       const IncludeSwitches& include,
                                                       bool readsFiles) {
    if (!readAhead_->wantsRefill())
        return std::nullopt;
    while (next < order.size() && readAhead_->wantsMore()) {
        const std::uint32_t index = order[next++];
        FolderNode& node = nodes_[index];
        auto folder = std::make_unique<PreparedFolder>();
        folder->index = index;
        folder->entries = std::move(node.entries);
        OpenFolder kept = std::move(node.kept);
        int fd = -1;
        if (node.failure) {
            folder->failure = *node.failure;
        } else if (!folder->entries) {
            folder->entries = std::make_unique<FolderEntries>();
            auto opened = chain_.open(index);
            Status done = opened ? readFolderEntries(opened.value(), *folder->entries, node.path)
                                 : Status(opened.failure());
            if (!done)
                folder->failure = done.failure();
        }
        if (!folder->failure) {
            // A kept folder removed since the search fails as opening it
            // would; its check is made here when the files need it, else
            // with the others' after the loop.
            std::optional<Failure> gone;
            bool confirmed = false;
            folder->files = selectFiles(*folder->entries, patterns, include, [&] {
                if (!kept.isOpen()) {
                    auto opened = chain_.open(index);
                    return opened ? opened.value() : -1;
                }
                if (auto present = kept.checkPresent(node.path); !present) {
                    gone = present.failure();
                    kept = OpenFolder();
                    return -1;
                }
                confirmed = true;
                return kept.fd();
            });
            if (readsFiles && !folder->files.empty()) {
                if (gone) {
                    folder->openFailure = std::move(gone);
                } else if (kept.isOpen()) {
                    readAhead_->addKept(std::move(folder), std::move(kept), node.path, confirmed);
                    continue;
                } else if (auto opened = chain_.open(index)) {
                    fd = opened.value();
                } else {
                    folder->openFailure = opened.failure();
                }
            }
        }
        readAhead_->add(std::move(folder), fd, node.path);
    }
    std::optional<RunOutcome> stop;
    bool stopped = false;
    readAhead_->confirmKept(
        [&] {
            stop = checkpoint();
            return !stop;
        },
        stopped);
    return stop;
}

// Writes the lines of one prepared folder, in its turn.
std::optional<RunOutcome> ListCollection::listFolder(PreparedFolder& folder,
                                                     const ListOptions& options,
                                                     LineFormatter& formatter, ListWriter& writer,
                                                     ListTotals& totals) {
    const std::string& path = nodes_[folder.index].path;
    if (folder.failure)
        return folderFailed(folder.index, *folder.failure, options.skipUnreadable);
    if (host_.showsStatus())
        host_.setStatus(2, shortenPath(showingControls(path), StatusPathLimit));
    if (folder.files.empty())
        return std::nullopt;
    if (folder.openFailure)
        return folderFailed(folder.index, *folder.openFailure, options.skipUnreadable);

    formatter.beginFolder(path);
    if (options.insertPathLine) {
        const ListRecord folderLine = formatter.folderRecord();
        writer.beginFolder(&folderLine, body_);
    } else {
        writer.beginFolder(nullptr, body_);
    }
    std::optional<RunOutcome> stop;
    const auto waiting = [&] {
        stop = checkpoint();
        return !stop;
    };
    FileFacts facts;
    std::string digest;
    std::uint64_t folderFiles = 0;
    ByteTotal folderBytes = 0;
    for (std::size_t j = 0; j < folder.files.size(); ++j) {
        if (j % FileYieldEvery == 0) {
            if ((stop = checkpoint()))
                return stop;
        }
        const std::string_view name = folder.files[j];
        if (isSkippedName(name))
            continue;
        bool stopped = false;
        const FileReading* read = readAhead_->reading(j, waiting, stopped);
        if (stopped)
            return stop;
        const FileFacts* known = nullptr;
        if (read) {
            if (read->haveFacts)
                known = &read->facts;
        } else if (folder.fd >= 0 && formatter.needsFacts()) {
            // One statx (and a probe where the owner's bits do not answer
            // it) per file, relative to its folder; a file that vanished or
            // cannot be read keeps its line with those cells empty.
            if (auto readFacts = readReadableFileFactsAt(folder.fd, name.data(), effectiveUser_,
                                                         formatter.needsCreationTime())) {
                facts = readFacts.value();
                known = &facts;
            }
        }
        if (digester_) {
            if (read && read->digested) {
                digest = read->digest;
                checkDigest(read->outcome, read->digestedSize, path, name.data(), known, digest);
                readerBytes_ += read->bytes;
                if ((stop = countContentBytes(read->bytes)))
                    return stop;
            } else if ((stop = readDigest(folder.fd, path, name.data(), known, digest))) {
                return stop;
            }
            formatter.setContentDigest(digest);
        }
        formatter.fileRecord(record_, name, known);
        writer.nextFileFacts(known);
        writer.file(record_, body_);
        ++folderFiles;
        if (known && known->size > 0)
            folderBytes += static_cast<std::uint64_t>(known->size);
    }
    if (options.totals)
        writer.folderTotal(formatter.folderTotalRecord(folderFiles, folderBytes), body_);
    writer.endFolder(body_);
    totals.files += folderFiles;
    totals.bytes += folderBytes;
    if (folderFiles > 0)
        ++totals.folders;
    if (body_.size() >= SpoolPieceBytes)
        return writeListed();
    return std::nullopt;
}

RunOutcome ListCollection::collect(const std::vector<std::uint32_t>& order) {
    const ListOptions options = host_.readOptions();
    const FilePatternSet patterns(options.patterns);
    const IncludeSwitches include{options.includeReadOnly, options.includeArchive,
                                  options.includeHidden, options.includeSystem};
    LineFormatter formatter(options);
    const std::unique_ptr<ListWriter> writer = host_.makeWriter(options);
    // Folders are closed beside the walk only on a processor free for it.
    closer_.useThread(usableProcessors() > (writer->busiesAThread() ? 2u : 1u));
    host_.setStatus(1, CollectingStatus);
    if (options.fileTypeColumn) {
        if (Status types = fileTypesAvailable(); !types)
            return run_.endRun(RunOutcome::Failed, &types.failure());
    }

    auto spool = ListSpool::create(spoolFolder_);
    if (!spool)
        return run_.endRun(RunOutcome::Failed, &spool.failure());
    spool_ = std::move(spool).value();
    body_.clear();
    writer->header(formatter.headerRecord(), body_);

    // One digester, and so one read buffer, for the whole run (and one for
    // each reader).
    std::optional<DigestAlgorithm> algorithm;
    if (formatter.needsContents()) {
        algorithm = options.hashAlgorithm == 1 ? DigestAlgorithm::Md5 : DigestAlgorithm::Sha256;
        digester_ = std::make_unique<ContentDigester>(*algorithm);
    }
    effectiveUser_ = effectiveUserId();
    const bool readsFiles = formatter.needsFacts() || digester_;
    readAhead_ = std::make_unique<FolderReadAhead>(
        readsFiles ? factReaders(nodes_[0].path) : ReaderPlan{}, formatter.needsFacts(),
        formatter.needsCreationTime(), algorithm, effectiveUser_, isSkippedName, closer_);
    ListTotals totals;
    std::size_t prepared = 0;
    for (std::size_t position = 0; position < order.size(); ++position) {
        if (position > 0 && position % FolderYieldEvery == 0) {
            if (auto stop = checkpoint())
                return *stop;
        }
        if (auto stop = prepareAhead(order, prepared, patterns, include, readsFiles))
            return *stop;
        const std::optional<RunOutcome> stop =
            listFolder(readAhead_->front(), options, formatter, *writer, totals);
        readAhead_->popFront();
        if (stop)
            return *stop;
    }
    readAhead_->stop();

    if (options.totals)
        writer->listTotal(formatter.listTotalRecord(totals.files, totals.folders, totals.bytes),
                          body_);
    if (auto stop = writeListed())
        return *stop;
    if (!skipped_.empty()) {
        host_.noteSkippedFolderPaths(skippedPaths_);
        host_.noteSkippedFolders(skipped_);
    }
    if (!changed_.empty())
        host_.noteChangedWhileRead(changed_);
    ListSpoolText text(*spool_);
    if (auto accepted = host_.acceptList(text); !accepted)
        return run_.endRun(RunOutcome::Failed, &accepted.failure());
    // The host turns the event loop while it takes the list; an abort or a
    // close asked for then leaves its pane as it was.
    if (run_.quitting())
        return run_.endRun(RunOutcome::Quit);
    if (host_.abortRequested())
        return run_.endRun(RunOutcome::Aborted);
    run_.endRun(RunOutcome::Listed);
    if (run_.yieldForQuit())
        return RunOutcome::Quit;
    std::string totalsText = groupedCount(totals.files) + " ﾌｧｲﾙ";
    if (formatter.needsFacts()) {
        // Unlike a list line's size cell, the total always has its digits.
        std::string size;
        appendTotalSizeText(size, totals.bytes, static_cast<SizeUnit>(options.sizeUnit));
        if (size.starts_with(' '))
            size = "0" + size;
        totalsText += "  " + size;
    }
    host_.showListTotals(totalsText);
    host_.beep();
    return RunOutcome::Listed;
}

} // namespace kestro
