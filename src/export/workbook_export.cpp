#include "export/workbook_export.h"

#include "export/background_writer.h"
#include "export/list_workbook.h"
#include "platform/program_paths.h"

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <random>

namespace kestro {

namespace {

constexpr const char* WritingStatus = "Excel ﾌﾞｯｸ書き込み中...";

// Wraps the host of a window or the command line: the options of a
// workbook, and the workbook saved where the list would have been handed.
class WorkbookHost : public ForwardingHost {
public:
    WorkbookHost(ListHost& host, std::string path) : ForwardingHost(host), path_(std::move(path)) {}
    ~WorkbookHost() override {
        book_.reset();
        if (!temporary_.empty()) {
            std::error_code ignored;
            std::filesystem::remove(temporary_, ignored);
        }
    }

    ListOptions readOptions() override {
        ListOptions options = host_.readOptions();
        // The cells hold the names as the list shows them; every row names
        // its folder, from the path column or else the folder line.
        options.csv = false;
        options.leadingTab = false;
        if (!options.pathColumn)
            options.insertPathLine = true;
        return options;
    }

    std::unique_ptr<ListWriter> makeWriter(const ListOptions& options) override {
        const std::string folder = cacheHome() + "/Kestro";
        if (auto made = makeFolders(folder); !made)
            folderFailure_ = made.failure();
        std::random_device random;
        temporary_ =
            folder + "/workbook-" + std::to_string(random()) + std::to_string(random()) + ".xlsx";
        book_ = std::make_unique<ListWorkbook>(temporary_, options, folder);
        // The cells are written beside the walk.
        auto background = std::make_unique<BackgroundListWriter>(*book_);
        background_ = background.get();
        return background;
    }

    Status acceptList(ListText&) override {
        host_.setStatus(1, WritingStatus);
        host_.yield();
        if (folderFailure_)
            return *folderFailure_;
        if (!book_ || !background_)
            return makeFailure(75, path_);
        // The rows still queued and the compression of the sheets take seconds
        // on a long list; the window keeps answering meanwhile.
        std::future<Status> closed = std::async(std::launch::async, [this]() -> Status {
            const bool handedOn = background_->finish();
            Status written = book_->finish();
            if (written && !handedOn) // rows were dropped: the memory ran out
                return makeFailure(failure::OutOfMemory);
            return written;
        });
        while (closed.wait_for(std::chrono::milliseconds(16)) != std::future_status::ready)
            host_.yield();
        // Told as the workbook tells it: a library that could not be
        // loaded, a full disc, a text too long for a cell.
        if (Status written = closed.get(); !written)
            return written;
        // An abort or a close asked for meanwhile leaves the user's file as
        // it was; the run then ends as asked.
        if (host_.abortRequested() || host_.quitRequested())
            return Ok{};
        return saveFileKeepingIdentityFrom(path_, temporary_);
    }

private:
    std::string path_;
    std::string temporary_;
    std::unique_ptr<ListWorkbook> book_;
    // Feeds book_; the run owns it and keeps it until the list is accepted.
    BackgroundListWriter* background_ = nullptr;
    std::optional<Failure> folderFailure_;
};

} // namespace

bool canWriteWorkbooks() {
    return true;
}

RunOutcome runWorkbookCommand(ListHost& host, const std::string& path) {
    WorkbookHost workbook(host, path);
    return runCreateCommand(workbook);
}

} // namespace kestro
