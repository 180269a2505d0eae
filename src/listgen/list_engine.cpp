#include "listgen/list_engine.h"

#include "listgen/error_report.h"
#include "listgen/line_formatter.h"
#include "listgen/name_helpers.h"
#include "platform/file_facts.h"
#include "platform/file_pattern.h"
#include "platform/folder.h"
#include "platform/list_spool.h"
#include "platform/text.h"

#include <memory>
#include <optional>
#include <vector>

namespace kestro {

namespace {

constexpr std::size_t StatusLimit = 60;
constexpr std::size_t SearchYieldEvery = 5;
constexpr std::size_t FileYieldEvery = 50;
// Folders without a matching file have no checkpoint of their own; this one
// keeps a long run of them from freezing the window or ignoring the abort.
constexpr std::size_t FolderYieldEvery = 50;

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

private:
    ListSpool& spool_;
};

class CreateCommand {
public:
    CreateCommand(ListHost& host, std::string spoolFolder)
        : host_(host), spoolFolder_(std::move(spoolFolder)) {}

    RunOutcome run();

private:
    enum class Checkpoint { Go, Abort, Quit };

    Checkpoint yieldAndCheck();
    std::optional<RunOutcome> checkpoint();
    bool yieldForQuit();
    bool searchSubFolders(const std::string& root, std::vector<std::string>& queue);
    RunOutcome collect(const std::vector<std::string>& folders);
    RunOutcome endRun(RunOutcome outcome, const Failure* failure = nullptr);

    ListHost& host_;
    std::string spoolFolder_;
    std::unique_ptr<ListSpool> spool_;
    bool quit_ = false;
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

// Breadth-first, in passes: each pass visits exactly the folders found by
// the previous one. Returns false when the run must stop (abort or quit).
bool CreateCommand::searchSubFolders(const std::string& root, std::vector<std::string>& queue) {
    auto appendChildren = [&](const std::string& folder, bool showStatus) {
        auto children = listWalkableSubFolders(folder);
        // A folder that cannot be read has no sub-folders to offer; its own
        // failure is reported when its files are listed.
        if (!children)
            return false;
        for (const auto& child : children.value()) {
            queue.push_back(folder + child);
            if (showStatus)
                host_.setStatus(2, ShortenPath(queue.back(), StatusLimit));
        }
        return !children.value().empty();
    };

    appendChildren(root, false);
    std::size_t start = 0;
    bool found = true;
    while (found) {
        found = false;
        const std::size_t end = queue.size();
        for (std::size_t index = start; index < end; ++index) {
            if (index % SearchYieldEvery == 0) {
                if (yieldAndCheck() != Checkpoint::Go)
                    return false;
            }
            const std::string folder = withTrailingSeparator(queue[index]);
            if (appendChildren(folder, true))
                found = true;
            if (yieldForQuit())
                return false;
        }
        start = end;
    }
    return true;
}

RunOutcome CreateCommand::collect(const std::vector<std::string>& folders) {
    const ListOptions options = host_.readOptions();
    const FilePatternSet patterns(options.Patterns);
    const IncludeSwitches include{options.IncludeReadOnly, options.IncludeArchive,
                                  options.IncludeHidden, options.IncludeSystem};
    LineFormatter formatter(options);
    host_.setStatus(1, CollectingStatus);

    auto spool = ListSpool::create(spoolFolder_);
    if (!spool)
        return endRun(RunOutcome::Failed, &spool.failure());
    spool_ = std::move(spool).value();
    if (auto written = spool_->append(formatter.headerLine() + "\r\n"); !written)
        return endRun(RunOutcome::Failed, &written.failure());

    std::string body;
    std::string path;
    FileFacts facts;
    for (std::size_t index = 0; index < folders.size(); ++index) {
        if (index > 0 && index % FolderYieldEvery == 0) {
            if (auto stop = checkpoint())
                return *stop;
        }
        auto names = listFiles(folders[index], patterns, include);
        if (!names) {
            if (isSilentFailure(Command::Create, names.failure().number))
                continue;
            return endRun(RunOutcome::Failed, &names.failure());
        }
        const std::string folder = withTrailingSeparator(folders[index]);
        host_.setStatus(2, ShortenPath(folder, StatusLimit));
        if (names.value().empty())
            continue;

        formatter.beginFolder(folder);
        body.clear();
        if (options.InsertPathLine) {
            body += "\r\n";
            body += formatter.folderLine();
        }
        const auto& files = names.value();
        for (std::size_t j = 0; j < files.size(); ++j) {
            if (j % FileYieldEvery == 0) {
                if (auto stop = checkpoint())
                    return *stop;
            }
            const std::string& name = files[j];
            if (isSkippedName(name))
                continue;
            const FileFacts* known = nullptr;
            if (formatter.needsFacts()) {
                // One probe and one statx per file; a file that vanished or
                // cannot be read keeps its line with those cells empty.
                path.assign(folder).append(name);
                if (probeReadable(path)) {
                    if (auto read = readFileFacts(path)) {
                        facts = read.value();
                        known = &facts;
                    }
                }
            }
            formatter.appendFileLine(body, name, known);
        }
        body += "\r\n";
        if (auto written = spool_->append(body); !written)
            return endRun(RunOutcome::Failed, &written.failure());
    }

    ListSpoolText text(*spool_);
    if (auto accepted = host_.acceptList(text); !accepted)
        return endRun(RunOutcome::Failed, &accepted.failure());
    endRun(RunOutcome::Listed);
    if (yieldForQuit())
        return RunOutcome::Quit;
    host_.beep();
    return RunOutcome::Listed;
}

RunOutcome CreateCommand::run() {
    host_.clearAbortRequest();
    host_.enableControls(false);
    const RootChoice choice = host_.readRoot();
    const std::string root = withTrailingSeparator(choice.folder);
    host_.setStatus(1, SearchingStatus);

    std::vector<std::string> queue;
    if (choice.subFolders && !searchSubFolders(root, queue))
        return endRun(quit_ ? RunOutcome::Quit : RunOutcome::Aborted);

    // The root comes first: it is a prefix of every other folder.
    sortNoCase(queue);
    queue.insert(queue.begin(), root);
    return collect(queue);
}

} // namespace

RunOutcome runCreateCommand(ListHost& host) {
    return runCreateCommand(host, defaultSpoolFolder());
}

RunOutcome runCreateCommand(ListHost& host, const std::string& spoolFolder) {
    return CreateCommand(host, spoolFolder).run();
}

} // namespace kestro
