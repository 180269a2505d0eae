#include "listgen/list_engine.h"

#include "listgen/folder_chain.h"
#include "listgen/line_formatter.h"
#include "listgen/list_collection.h"
#include "listgen/name_helpers.h"
#include "listgen/search_read_ahead.h"
#include "platform/folder.h"
#include "platform/folder_closer.h"
#include "platform/list_spool.h"
#include "platform/paths.h"
#include "platform/reader_width.h"
#include "platform/text.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace kestro {

namespace {

constexpr std::size_t SearchYieldEvery = 5;
// What the sub-folder search may keep of the folders it read (about a
// million names), so that the collection does not read them again; past it,
// folders are read twice and memory stays flat on any tree.
constexpr std::size_t EntryCacheBudget = std::size_t{24} << 20;
// The run of the create command: the sub-folder search, then the
// collection; the yields, and the end of the run whatever its outcome.
class CreateCommand : public RunSteps {
public:
    CreateCommand(ListHost& host, std::string spoolFolder)
        : host_(host), spoolFolder_(std::move(spoolFolder)), chain_(nodes_) {}

    RunOutcome run();

    Checkpoint yieldAndCheck() override;
    bool yieldForQuit() override;
    bool quitting() const override { return quit_ || host_.quitRequested(); }
    RunOutcome endRun(RunOutcome outcome, const Failure* failure = nullptr) override;

private:
    bool expand(std::uint32_t index, bool showStatus, SearchReading* ahead);
    void release(std::uint32_t index);
    bool searchSubFolders();

    ListHost& host_;
    std::string spoolFolder_;
    std::vector<FolderNode> nodes_; // the root first, then in order of discovery
    FolderChain chain_;
    std::size_t cachedBytes_ = 0;
    // The folders the search holds open (FolderNode::kept), up to maxKept_.
    std::size_t kept_ = 0;
    std::size_t maxKept_ = 0;
    // Whether folders are kept open for the collection's reads of their files.
    bool keepForFiles_ = false;
    bool quit_ = false;
    FolderCloser closer_; // outlives the collection, which closes through it too
    std::unique_ptr<ListCollection> collection_;
};

CreateCommand::Checkpoint CreateCommand::yieldAndCheck() {
    if (yieldForQuit())
        return Checkpoint::Quit;
    return host_.abortRequested() ? Checkpoint::Abort : Checkpoint::Go;
}

bool CreateCommand::yieldForQuit() {
    host_.yield();
    quit_ = quit_ || host_.quitRequested();
    return quit_;
}

RunOutcome CreateCommand::endRun(RunOutcome outcome, const Failure* failure) {
    if (collection_)
        collection_->stopReaders(); // no reader runs past the end of the run
    if (outcome == RunOutcome::Failed && failure)
        host_.reportFailure(*failure);
    if (collection_)
        collection_->dropSpool(); // closes and removes the temporary file
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

// Reads folder `index` once: its sub-folders join the walk, and its entries
// are kept for the collection while they fit the budget, and so is the
// folder's descriptor while descriptors are to spare. A folder that cannot
// be read keeps its failure for the collection, which applies the failure
// rule to it in its turn. Whether a sub-folder was found.
bool CreateCommand::expand(std::uint32_t index, bool showStatus, SearchReading* ahead) {
    auto entries = std::make_unique<FolderEntries>();
    // A parent held open by the previous pass saves opening the chain to it.
    OpenFolder own;
    int fd = -1;
    const std::uint32_t parent = nodes_[index].parent;
    if (ahead) {
        // A reader opened and read it, as below.
        if (ahead->failure) {
            nodes_[index].failure = std::make_unique<Failure>(std::move(*ahead->failure));
            return false;
        }
        own = std::move(ahead->opened);
        fd = own.fd();
        entries = std::move(ahead->entries);
    } else if (parent != FolderNode::NoParent && nodes_[parent].kept.isOpen()) {
        auto opened =
            nodes_[parent].kept.openChild(nodes_[index].name().c_str(), nodes_[index].path);
        if (!opened) {
            nodes_[index].failure = std::make_unique<Failure>(opened.failure());
            return false;
        }
        own = std::move(opened).value();
        fd = own.fd();
    } else {
        auto chained = chain_.open(index);
        if (!chained) {
            nodes_[index].failure = std::make_unique<Failure>(chained.failure());
            return false;
        }
        fd = chained.value();
    }
    if (auto read = ahead ? Status(Ok{}) : readFolderEntries(fd, *entries, nodes_[index].path);
        !read) {
        nodes_[index].failure = std::make_unique<Failure>(read.failure());
        return false;
    }
    bool found = false;
    bool hasFiles = false;
    entries->forEach([&](const FolderEntries::Entry& entry) {
        hasFiles = hasFiles || entry.kind != EntryKind::Folder;
    });
    forEachWalkableSubFolder(*entries, [&](std::string_view name) {
        FolderNode child;
        child.parent = index;
        child.nameStart = static_cast<std::uint32_t>(nodes_[index].path.size());
        child.path = nodes_[index].path;
        child.path += name;
        if (showStatus)
            host_.setStatus(2, shortenPath(showingControls(child.path), StatusPathLimit));
        child.path += PathSeparator;
        nodes_.push_back(std::move(child));
        found = true;
    });
    FolderNode& node = nodes_[index];
    entries->shrink(); // kept for a while: no room to grow
    const bool cached = cachedBytes_ + entries->bytes() <= EntryCacheBudget;
    if (cached) {
        cachedBytes_ += entries->bytes();
        node.entries = std::move(entries);
    }
    // The next pass reads the sub-folders found here, one after another;
    // the collection reads the files of a folder whose entries it has.
    const bool forFiles = keepForFiles_ && cached && hasFiles;
    const bool keep = (found || forFiles) && kept_ < maxKept_;
    if (keep && own.isOpen()) {
        node.kept = std::move(own);
    } else {
        if (keep) {
            if (auto copy = OpenFolder::duplicate(fd, node.path))
                node.kept = std::move(copy).value();
        }
        closer_.close(std::move(own)); // a folder the search opened and is done with
    }
    if (keep && node.kept.isOpen()) {
        node.keptForFiles = forFiles;
        ++kept_;
    }
    return found;
}

// Closes folder `index` when it was held open only for its sub-folders.
void CreateCommand::release(std::uint32_t index) {
    if (index == FolderNode::NoParent)
        return;
    FolderNode& node = nodes_[index];
    if (node.kept.isOpen() && !node.keptForFiles) {
        closer_.close(std::move(node.kept));
        --kept_;
    }
}

// Breadth-first, in passes: each pass visits exactly the folders found by
// the previous one. Returns false when the run must stop (abort or quit).
bool CreateCommand::searchSubFolders() {
    // Readers beside the search hold up to a lookahead's folders open.
    SearchReadAhead readAhead(factReaders(nodes_[0].path));
    closer_.useThread(usableProcessors() > 1);
    const std::size_t spare = spareFolderDescriptors();
    // A list of names reads nothing through its folders. The options are
    // read again for the collection: a change meanwhile costs opening the
    // folders again, nothing else.
    const LineFormatter formatter(host_.readOptions());
    keepForFiles_ = formatter.needsFacts() || formatter.needsContents();
    maxKept_ = readAhead.readers() == 0                 ? spare
               : spare > 2 * SearchReadAhead::Lookahead ? spare - SearchReadAhead::Lookahead
                                                        : spare / 2;
    expand(0, false, nullptr);
    std::uint32_t previousParent = FolderNode::NoParent;
    std::size_t start = 1;
    bool found = true;
    bool stopped = false;
    const auto waiting = [&] { return yieldAndCheck() == Checkpoint::Go; };
    while (found) {
        found = false;
        const std::size_t end = nodes_.size();
        readAhead.beginPass(start, end - start, [&](std::size_t index, SearchReading& folder) {
            const FolderNode& node = nodes_[index];
            folder.parentFd = nodes_[node.parent].kept.fd();
            folder.name = node.name();
            folder.path = node.path;
        });
        for (std::size_t index = start; index < end; ++index) {
            if ((index - 1) % SearchYieldEvery == 0) {
                if (yieldAndCheck() != Checkpoint::Go)
                    return false;
                // The readers start only after a yield: what the host did
                // during it is seen as if there were no readers.
                readAhead.startFrom(index);
            }
            // The sub-folders of one folder follow each other: once past
            // them, their parent is not needed open for them any more.
            const std::uint32_t parent = nodes_[index].parent;
            if (parent != previousParent) {
                release(previousParent);
                previousParent = parent;
            }
            SearchReading* ahead = readAhead.take(index, waiting, stopped);
            if (stopped)
                return false;
            if (expand(static_cast<std::uint32_t>(index), host_.showsStatus(), ahead))
                found = true;
            if (yieldForQuit())
                return false;
        }
        start = end;
    }
    readAhead.stop();
    for (std::uint32_t index = 0; index < nodes_.size(); ++index)
        release(index);
    return true;
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
    collection_ =
        std::make_unique<ListCollection>(host_, *this, nodes_, chain_, closer_, spoolFolder_);
    return collection_->collect(collectionOrder(nodes_));
}

} // namespace

RunOutcome runCreateCommand(ListHost& host) {
    return runCreateCommand(host, defaultSpoolFolder());
}

RunOutcome runCreateCommand(ListHost& host, const std::string& spoolFolder) {
    return CreateCommand(host, spoolFolder).run();
}

} // namespace kestro
