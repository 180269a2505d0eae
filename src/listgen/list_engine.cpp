#include "listgen/list_engine.h"

#include "listgen/line_formatter.h"
#include "listgen/list_writer.h"
#include "listgen/name_helpers.h"
#include "listgen/size_text.h"
#include "platform/content_digest.h"
#include "platform/file_facts.h"
#include "platform/file_pattern.h"
#include "platform/folder.h"
#include "platform/list_spool.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace kestro {

namespace {

constexpr std::size_t StatusLimit = 60;
constexpr std::size_t SearchYieldEvery = 5;
constexpr std::size_t FileYieldEvery = 50;
// Folders without a matching file have no checkpoint of their own; this one
// keeps a long run of them from freezing the window or ignoring the abort.
constexpr std::size_t FolderYieldEvery = 50;
// What the sub-folder search may keep of the folders it read (about a
// million names), so that the collection does not read them again; past it,
// folders are read twice and memory stays flat on any tree.
constexpr std::size_t EntryCacheBudget = std::size_t{24} << 20;
// Reading contents for the checksum column yields after this many bytes, also
// inside one big file, so that the window stays responsive and the abort
// is seen within a fraction of a second.
constexpr std::uint64_t ContentYieldBytes = std::uint64_t{16} << 20;

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

// What the walk knows of one folder: its path, its place in the tree, and
// what the sub-folder search read of it.
struct FolderNode {
    static constexpr std::uint32_t NoParent = UINT32_MAX;

    std::string path; // full path, ending with "/"
    std::uint32_t parent = NoParent;
    std::uint32_t nameStart = 0; // where the folder's own name begins in `path`
    // The failure that kept the search from reading the folder.
    std::optional<Failure> failure;
    // The entries the search read, kept for the collection while they fit.
    std::unique_ptr<FolderEntries> entries;

    std::string name() const { return path.substr(nameStart, path.size() - 1 - nameStart); }
};

// The open folders from the root down to the last folder asked for. Each
// folder is opened relative to its parent, so no path the kernel resolves is
// longer than one name; folders visited one after another share most of
// their chain, so each folder is opened about once.
class FolderChain {
public:
    static constexpr std::size_t MaxOpenFolders = 64;

    explicit FolderChain(const std::vector<FolderNode>& nodes) : nodes_(nodes) {}

    // The descriptor of folder `index`, valid until the next call. A failure
    // names that folder, whichever folder of its chain could not be opened.
    Result<int> open(std::uint32_t index) {
        wanted_.clear();
        for (std::uint32_t at = index; at != FolderNode::NoParent; at = nodes_[at].parent)
            wanted_.push_back(at);
        std::reverse(wanted_.begin(), wanted_.end());
        std::size_t common = 0;
        while (common < open_.size() && common < wanted_.size() &&
               open_[common].first == wanted_[common])
            ++common;
        // Go down from the deepest folder of the shared part still open.
        while (common > 0 && !open_[common - 1].second.isOpen())
            --common;
        open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(common), open_.end());
        for (std::size_t level = common; level < wanted_.size(); ++level) {
            const FolderNode& node = nodes_[wanted_[level]];
            auto opened = level == 0
                              ? OpenFolder::open(node.path)
                              : open_.back().second.openChild(node.name().c_str(), node.path);
            if (!opened) {
                open_.clear();
                return makeFailure(opened.failure().number, nodes_[index].path);
            }
            open_.emplace_back(wanted_[level], std::move(opened).value());
        }
        // A very deep tree must not use up the descriptors: only the lowest
        // folders stay open, the ones above are opened again when needed.
        for (std::size_t level = 0; level + MaxOpenFolders < open_.size(); ++level)
            open_[level].second = OpenFolder();
        return open_.back().second.fd();
    }

private:
    const std::vector<FolderNode>& nodes_;
    std::vector<std::pair<std::uint32_t, OpenFolder>> open_;
    std::vector<std::uint32_t> wanted_;
};

class CreateCommand {
public:
    CreateCommand(ListHost& host, std::string spoolFolder)
        : host_(host), spoolFolder_(std::move(spoolFolder)), chain_(nodes_) {}

    RunOutcome run();

private:
    enum class Checkpoint { Go, Abort, Quit };

    Checkpoint yieldAndCheck();
    std::optional<RunOutcome> checkpoint();
    bool yieldForQuit();
    bool expand(std::uint32_t index, bool showStatus);
    bool searchSubFolders();
    std::vector<std::uint32_t> collectionOrder() const;

    // What the collection carries from folder to folder: the run's options
    // and what they make, the text of the folder at hand, and the counts.
    struct Collection {
        explicit Collection(ListOptions listOptions);

        const ListOptions options;
        const FilePatternSet patterns;
        const IncludeSwitches include;
        LineFormatter formatter;
        const std::unique_ptr<ListWriter> writer;
        std::unique_ptr<ContentDigester> digester;
        std::uint32_t effectiveUser = 0;
        std::string body; // the lines not yet in the temporary file
        FolderEntries read;
        ListRecord record;
        FileFacts facts;
        std::string digest;
        std::uint64_t files = 0;
        std::uint64_t folders = 0;
        ByteTotal bytes = 0;
    };

    // The collection, in its steps: after the search, the folders in
    // `order` are listed one by one into the temporary file, which then
    // goes to the host.
    RunOutcome collect(const std::vector<std::uint32_t>& order);
    std::optional<RunOutcome> startList(Collection& run);
    std::optional<RunOutcome> listFolder(Collection& run, std::uint32_t index);
    std::optional<RunOutcome> writeFolder(Collection& run, const std::string& folder,
                                          const std::vector<std::string_view>& files, int folderFd);
    std::optional<RunOutcome> writeFile(Collection& run, const std::string& folder, int folderFd,
                                        std::string_view name, const FileFacts*& known);
    std::optional<RunOutcome> endList(Collection& run);
    RunOutcome handOver(const Collection& run);
    std::optional<RunOutcome> folderFailed(std::uint32_t index, const Failure& failure,
                                           bool skipUnreadable);
    RunOutcome endRun(RunOutcome outcome, const Failure* failure = nullptr);
    std::optional<RunOutcome> readDigest(ContentDigester& digester, int folderFd,
                                         const std::string& folder, const char* name,
                                         const FileFacts* known, std::string& digest);

    ListHost& host_;
    std::string spoolFolder_;
    std::unique_ptr<ListSpool> spool_;
    std::vector<FolderNode> nodes_; // the root first, then in order of discovery
    FolderChain chain_;
    std::size_t cachedBytes_ = 0;
    // Folders of the previous pass of the search whose sub-folders the
    // current pass reads, held open (up to maxParked_) by their index.
    std::unordered_map<std::uint32_t, OpenFolder> parked_;
    std::size_t maxParked_ = 0;
    std::vector<Failure> skipped_;
    std::vector<std::string> skippedPaths_;
    // Files whose contents changed while they were read for the checksum.
    std::vector<std::string> changed_;
    bool quit_ = false;
    std::uint64_t bytesSinceYield_ = 0;
};

CreateCommand::Checkpoint CreateCommand::yieldAndCheck() {
    if (yieldForQuit())
        return Checkpoint::Quit;
    return host_.abortRequested() ? Checkpoint::Abort : Checkpoint::Go;
}

// A yield with the abort check of the collection: when the run must stop,
// it is ended here and its outcome given back.
std::optional<RunOutcome> CreateCommand::checkpoint() {
    switch (yieldAndCheck()) {
    case Checkpoint::Go:
        break;
    case Checkpoint::Abort:
        return endRun(RunOutcome::Aborted);
    case Checkpoint::Quit:
        return endRun(RunOutcome::Quit);
    }
    return std::nullopt;
}

bool CreateCommand::yieldForQuit() {
    host_.yield();
    quit_ = quit_ || host_.quitRequested();
    return quit_;
}

RunOutcome CreateCommand::endRun(RunOutcome outcome, const Failure* failure) {
    if (outcome == RunOutcome::Failed && failure)
        host_.reportFailure(*failure);
    spool_.reset(); // closes and removes the temporary file
    if (outcome == RunOutcome::Quit)
        return outcome;
    host_.enableControls(true);
    host_.clearAbortRequest();
    host_.setStatus(1, "");
    host_.setStatus(2, "");
    if (outcome == RunOutcome::Aborted) {
        if (yieldForQuit())
            return RunOutcome::Quit;
        host_.reportAbort(AbortText, AbortTitle);
    }
    return outcome;
}

// Reads the digest of file `name` of the open folder `folderFd` into `digest`
// (left empty when the file cannot be read), with a checkpoint after every
// ContentYieldBytes, which shows the bytes read so far. When the run must
// stop there, it is ended and its outcome given back. A file that changed
// while it was read, or since its facts `known` were read, gets no digest
// and is named after the list: its cells must all be of one state.
std::optional<RunOutcome> CreateCommand::readDigest(ContentDigester& digester, int folderFd,
                                                    const std::string& folder, const char* name,
                                                    const FileFacts* known, std::string& digest) {
    std::optional<RunOutcome> stop;
    std::uint64_t counted = 0;
    const auto outcome = digester.digestAt(folderFd, name, digest, [&](std::uint64_t read) {
        bytesSinceYield_ += read - counted;
        counted = read;
        if (bytesSinceYield_ < ContentYieldBytes)
            return true;
        bytesSinceYield_ = 0;
        host_.setStatus(
            1, std::string(ReadingContentsStatus) +
                   sizeText(static_cast<std::int64_t>(digester.bytesRead()), SizeUnit::Byte));
        stop = checkpoint();
        return !stop;
    });
    if (outcome == ContentDigester::Outcome::Stopped)
        return stop;
    if (outcome == ContentDigester::Outcome::NotRead)
        digest.clear();
    if (outcome == ContentDigester::Outcome::Changed ||
        (outcome == ContentDigester::Outcome::Digested && known &&
         digester.digestedSize() != static_cast<std::uint64_t>(known->size))) {
        digest.clear();
        changed_.push_back(showingControls(folder + name));
    }
    return std::nullopt;
}

// Reads folder `index` once: its sub-folders join the walk, and its entries
// are kept for the collection while they fit the budget. A folder that
// cannot be read keeps its failure for the collection, which applies the
// failure rule to it in its turn. Whether a sub-folder was found.
bool CreateCommand::expand(std::uint32_t index, bool showStatus) {
    auto entries = std::make_unique<FolderEntries>();
    // A parent kept open by the previous pass saves opening the chain to it.
    OpenFolder own;
    int fd = -1;
    const auto parked = parked_.find(nodes_[index].parent);
    if (parked != parked_.end()) {
        auto opened = parked->second.openChild(nodes_[index].name().c_str(), nodes_[index].path);
        if (!opened) {
            nodes_[index].failure = opened.failure();
            return false;
        }
        own = std::move(opened).value();
        fd = own.fd();
    } else {
        auto chained = chain_.open(index);
        if (!chained) {
            nodes_[index].failure = chained.failure();
            return false;
        }
        fd = chained.value();
    }
    if (auto read = readFolderEntries(fd, *entries, nodes_[index].path); !read) {
        nodes_[index].failure = read.failure();
        return false;
    }
    bool found = false;
    forEachWalkableSubFolder(*entries, [&](const char* name) {
        FolderNode child;
        child.parent = index;
        child.nameStart = static_cast<std::uint32_t>(nodes_[index].path.size());
        child.path = nodes_[index].path;
        child.path += name;
        if (showStatus)
            host_.setStatus(2, ShortenPath(showingControls(child.path), StatusLimit));
        child.path += PathSeparator;
        nodes_.push_back(std::move(child));
        found = true;
    });
    // The next pass reads the sub-folders found here, one after another.
    if (found && parked_.size() < maxParked_) {
        if (own.isOpen()) {
            parked_.emplace(index, std::move(own));
        } else if (auto copy = OpenFolder::duplicate(fd, nodes_[index].path)) {
            parked_.emplace(index, std::move(copy).value());
        }
    }
    entries->shrink(); // kept for a while: no room to grow
    if (cachedBytes_ + entries->bytes() <= EntryCacheBudget) {
        cachedBytes_ += entries->bytes();
        nodes_[index].entries = std::move(entries);
    }
    return found;
}

// Breadth-first, in passes: each pass visits exactly the folders found by
// the previous one. Returns false when the run must stop (abort or quit).
bool CreateCommand::searchSubFolders() {
    maxParked_ = spareFolderDescriptors();
    expand(0, false);
    std::uint32_t previousParent = FolderNode::NoParent;
    std::size_t start = 1;
    bool found = true;
    while (found) {
        found = false;
        const std::size_t end = nodes_.size();
        for (std::size_t index = start; index < end; ++index) {
            if ((index - 1) % SearchYieldEvery == 0) {
                if (yieldAndCheck() != Checkpoint::Go)
                    return false;
            }
            // The sub-folders of one folder follow each other: once past
            // them, their parent is not needed open any more.
            const std::uint32_t parent = nodes_[index].parent;
            if (parent != previousParent) {
                parked_.erase(previousParent);
                previousParent = parent;
            }
            if (expand(static_cast<std::uint32_t>(index), true))
                found = true;
            if (yieldForQuit())
                return false;
        }
        start = end;
    }
    parked_.clear();
    return true;
}

// The root first (it is a prefix of every other folder), then the others
// in ascending order of their paths without regard to case.
std::vector<std::uint32_t> CreateCommand::collectionOrder() const {
    struct Key {
        std::string folded;
        std::uint32_t index;
    };
    std::vector<Key> keys;
    keys.reserve(nodes_.size());
    for (std::uint32_t index = 1; index < nodes_.size(); ++index) {
        const std::string& path = nodes_[index].path;
        keys.push_back({foldedSortKey(std::string_view(path).substr(0, path.size() - 1)), index});
    }
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        if (const int order = a.folded.compare(b.folded); order != 0)
            return order < 0;
        const std::string& left = nodes_[a.index].path;
        const std::string& right = nodes_[b.index].path;
        return std::string_view(left).substr(0, left.size() - 1) <
               std::string_view(right).substr(0, right.size() - 1);
    });
    std::vector<std::uint32_t> order;
    order.reserve(nodes_.size());
    order.push_back(0);
    for (const Key& key : keys)
        order.push_back(key.index);
    return order;
}

// The failure rule for a folder that cannot be read. The failures the
// command lets pass are those of single files; a folder is never passed
// over in silence: below the root it is left out and named after the list
// when the run skips unreadable folders, and otherwise, like the root, it
// ends the run with its report.
std::optional<RunOutcome> CreateCommand::folderFailed(std::uint32_t index, const Failure& failure,
                                                      bool skipUnreadable) {
    if (index != 0 && skipUnreadable) {
        skipped_.push_back(failure);
        skippedPaths_.push_back(nodes_[index].path);
        return std::nullopt;
    }
    return endRun(RunOutcome::Failed, &failure);
}

CreateCommand::Collection::Collection(ListOptions listOptions)
    : options(std::move(listOptions)),
      patterns(options.Patterns), include{options.IncludeReadOnly, options.IncludeArchive,
                                          options.IncludeHidden, options.IncludeSystem},
      formatter(options), writer(makeListWriter(options)) {}

// The list's temporary file with the header line, and the digester when a
// column shows a checksum.
std::optional<RunOutcome> CreateCommand::startList(Collection& run) {
    auto spool = ListSpool::create(spoolFolder_);
    if (!spool)
        return endRun(RunOutcome::Failed, &spool.failure());
    spool_ = std::move(spool).value();
    run.writer->header(run.formatter.headerRecord(), run.body);
    if (auto written = spool_->append(run.body); !written)
        return endRun(RunOutcome::Failed, &written.failure());
    // One digester, and so one read buffer, for the whole run.
    if (run.formatter.needsContents())
        run.digester = std::make_unique<ContentDigester>(
            run.options.HashAlgorithm == 1 ? DigestAlgorithm::Md5 : DigestAlgorithm::Sha256);
    run.effectiveUser = effectiveUserId();
    return std::nullopt;
}

// Finds the files of folder `index` that the list shows and has them
// written; a folder that cannot be read goes to the failure rule.
std::optional<RunOutcome> CreateCommand::listFolder(Collection& run, std::uint32_t index) {
    FolderNode& node = nodes_[index];
    if (node.failure)
        return folderFailed(index, *node.failure, run.options.SkipUnreadable);
    // What the search kept, or else one more reading of the folder. Held
    // until the folder's lines are made: the names point into it.
    const std::unique_ptr<FolderEntries> kept = std::move(node.entries);
    if (kept)
        cachedBytes_ -= kept->bytes();
    const FolderEntries* entries = kept.get();
    if (!entries) {
        auto fd = chain_.open(index);
        Status done =
            fd ? readFolderEntries(fd.value(), run.read, node.path) : Status(fd.failure());
        if (!done)
            return folderFailed(index, done.failure(), run.options.SkipUnreadable);
        entries = &run.read;
    }
    const std::vector<std::string_view> files =
        selectFiles(*entries, run.patterns, run.include, [&] {
            auto fd = chain_.open(index);
            return fd ? fd.value() : -1;
        });
    host_.setStatus(2, ShortenPath(showingControls(node.path), StatusLimit));
    if (files.empty())
        return std::nullopt;

    int folderFd = -1;
    if (run.formatter.needsFacts() || run.digester) {
        auto fd = chain_.open(index);
        if (!fd)
            return folderFailed(index, fd.failure(), run.options.SkipUnreadable);
        folderFd = fd.value();
    }
    return writeFolder(run, node.path, files, folderFd);
}

// The lines of one folder: its path line, a line per file, its total; added
// to the list's temporary file as one block.
std::optional<RunOutcome> CreateCommand::writeFolder(Collection& run, const std::string& folder,
                                                     const std::vector<std::string_view>& files,
                                                     int folderFd) {
    run.formatter.beginFolder(folder);
    run.body.clear();
    if (run.options.InsertPathLine) {
        const ListRecord folderLine = run.formatter.folderRecord();
        run.writer->beginFolder(&folderLine, run.body);
    } else {
        run.writer->beginFolder(nullptr, run.body);
    }
    std::uint64_t folderFiles = 0;
    ByteTotal folderBytes = 0;
    for (std::size_t j = 0; j < files.size(); ++j) {
        if (j % FileYieldEvery == 0) {
            if (auto stop = checkpoint())
                return *stop;
        }
        const std::string_view name = files[j];
        if (isSkippedName(name))
            continue;
        const FileFacts* known = nullptr;
        if (auto stop = writeFile(run, folder, folderFd, name, known))
            return *stop;
        ++folderFiles;
        if (known && known->size > 0)
            folderBytes += static_cast<std::uint64_t>(known->size);
    }
    if (run.options.Totals)
        run.writer->folderTotal(run.formatter.folderTotalRecord(folderFiles, folderBytes),
                                run.body);
    run.writer->endFolder(run.body);
    run.files += folderFiles;
    run.bytes += folderBytes;
    if (folderFiles > 0)
        ++run.folders;
    if (auto written = spool_->append(run.body); !written)
        return endRun(RunOutcome::Failed, &written.failure());
    return std::nullopt;
}

// The line of one file, with its facts and checksum when a column shows
// them; `known` is left at its facts, or null when there are none.
std::optional<RunOutcome> CreateCommand::writeFile(Collection& run, const std::string& folder,
                                                   int folderFd, std::string_view name,
                                                   const FileFacts*& known) {
    if (folderFd >= 0 && run.formatter.needsFacts()) {
        // One statx (and a probe where the owner's bits do not answer it)
        // per file, relative to its folder; a file that vanished or cannot
        // be read keeps its line with those cells empty.
        if (auto readFacts = readReadableFileFactsAt(folderFd, name.data(), run.effectiveUser)) {
            run.facts = readFacts.value();
            known = &run.facts;
        }
    }
    if (run.digester) {
        if (auto stop = readDigest(*run.digester, folderFd, folder, name.data(), known, run.digest))
            return *stop;
        run.formatter.setContentDigest(run.digest);
    }
    run.formatter.fileRecord(run.record, name, known);
    run.writer->file(run.record, run.body);
    return std::nullopt;
}

// The list's total line, and what the host is told of the folders left out
// and the files that changed while they were read.
std::optional<RunOutcome> CreateCommand::endList(Collection& run) {
    if (run.options.Totals) {
        run.body.clear();
        run.writer->listTotal(run.formatter.listTotalRecord(run.files, run.folders, run.bytes),
                              run.body);
        if (auto written = spool_->append(run.body); !written)
            return endRun(RunOutcome::Failed, &written.failure());
    }
    if (!skipped_.empty()) {
        host_.noteSkippedFolderPaths(skippedPaths_);
        host_.noteSkippedFolders(skipped_);
    }
    if (!changed_.empty())
        host_.noteChangedWhileRead(changed_);
    return std::nullopt;
}

// Gives the finished list to the host and ends the run; the host shows the
// number of files listed and their size.
RunOutcome CreateCommand::handOver(const Collection& run) {
    ListSpoolText text(*spool_);
    if (auto accepted = host_.acceptList(text); !accepted)
        return endRun(RunOutcome::Failed, &accepted.failure());
    // The host turns the event loop while it takes the list; an abort or a
    // close asked for then leaves its pane as it was.
    if (quit_ || host_.quitRequested())
        return endRun(RunOutcome::Quit);
    if (host_.abortRequested())
        return endRun(RunOutcome::Aborted);
    endRun(RunOutcome::Listed);
    if (yieldForQuit())
        return RunOutcome::Quit;
    std::string totals = groupedCount(run.files) + " ﾌｧｲﾙ";
    if (run.formatter.needsFacts()) {
        // Unlike a list line's size cell, the total always has its digits.
        std::string size;
        appendTotalSizeText(size, run.bytes, static_cast<SizeUnit>(run.options.SizeUnit));
        if (size.starts_with(' '))
            size.insert(0, "0");
        totals += "  " + size;
    }
    host_.showListTotals(totals);
    host_.beep();
    return RunOutcome::Listed;
}

RunOutcome CreateCommand::collect(const std::vector<std::uint32_t>& order) {
    Collection run(host_.readOptions());
    host_.setStatus(1, CollectingStatus);
    if (auto stop = startList(run))
        return *stop;
    for (std::size_t position = 0; position < order.size(); ++position) {
        if (position > 0 && position % FolderYieldEvery == 0) {
            if (auto stop = checkpoint())
                return *stop;
        }
        if (auto stop = listFolder(run, order[position]))
            return *stop;
    }
    if (auto stop = endList(run))
        return *stop;
    return handOver(run);
}

RunOutcome CreateCommand::run() {
    host_.clearAbortRequest();
    host_.enableControls(false);
    const RootChoice choice = host_.readRoot();
    host_.setStatus(1, SearchingStatus);

    FolderNode root;
    root.path = withTrailingSeparator(choice.folder);
    nodes_.push_back(std::move(root));
    if (choice.subFolders && !searchSubFolders())
        return endRun(quit_ ? RunOutcome::Quit : RunOutcome::Aborted);
    return collect(collectionOrder());
}

} // namespace

RunOutcome runCreateCommand(ListHost& host) {
    return runCreateCommand(host, defaultSpoolFolder());
}

RunOutcome runCreateCommand(ListHost& host, const std::string& spoolFolder) {
    return CreateCommand(host, spoolFolder).run();
}

} // namespace kestro
