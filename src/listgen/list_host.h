#pragma once

// What the create command needs from whoever runs it: the window, the
// command line and the tests are its three hosts. The engine calls these on
// the caller's thread, in the order the run takes.

#include "listgen/list_options.h"
#include "listgen/list_writer.h"
#include "platform/failure.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

// The finished list, read once from its start. The text has the line ends
// the options chose (CR LF unless LF alone was asked for).
class ListText {
public:
    virtual ~ListText() = default;
    // Total size in bytes.
    virtual std::size_t size() const = 0;
    // Next block of at most `maxBytes` bytes; an empty view at the end. A
    // read failure is returned as a failure.
    virtual Result<std::string_view> nextBlock(std::size_t maxBytes) = 0;
    // Back to the start, for another pass over the same bytes.
    virtual void rewind() = 0;
};

// The folder a run lists and whether it descends into sub-folders: read at
// the press of the button, before anything else.
struct RootChoice {
    std::string folder;
    bool subFolders = true;
};

// Before the path of a file whose contents changed while they were read.
inline constexpr const char* ChangedWhileReadNote =
    "読み取り中に内容が変わったため、ﾊｯｼｭを空けたﾌｧｲﾙ: ";

class ListHost {
public:
    virtual ~ListHost() = default;

    // Switches the host between idle (true) and running (false).
    virtual void enableControls(bool idle) = 0;
    virtual RootChoice readRoot() = 0;
    // Every other option, read once the folder search is done (the window
    // writes "*.*" into an empty pattern box here). RootFolder and SubFolders
    // of the answer are not used.
    virtual ListOptions readOptions() = 0;

    // One turn of the event loop.
    virtual void yield() = 0;
    virtual bool abortRequested() const = 0;
    virtual void clearAbortRequest() = 0;
    // The host is going away (the window was closed during the run): the run
    // stops at once, cleans up and reports nothing.
    virtual bool quitRequested() const { return false; }

    // Status panel 1 (phase) or 2 (folder).
    virtual void setStatus(int panel, const std::string& text) = 0;
    // False when the host shows no status (a command line whose standard
    // error is not a terminal): the run then makes no folder texts for it.
    virtual bool showsStatus() const { return true; }

    // A failure the run does not let pass: shown with the common report.
    virtual void reportFailure(const Failure& failure) = 0;
    // The user's abort: `text` with `title`, a stop icon and OK.
    virtual void reportAbort(const std::string& text, const std::string& title) = 0;

    // The folders left out of the list because they could not be read (each
    // failure names its folder once), handed over just before the list, only
    // when the run skips unreadable folders and some were skipped.
    virtual void noteSkippedFolders(const std::vector<Failure>& skipped) { (void)skipped; }
    // The same folders' full paths, as the list names folders (ending with
    // the separator), handed over just before noteSkippedFolders.
    virtual void noteSkippedFolderPaths(const std::vector<std::string>& folders) { (void)folders; }
    // A note to show after the list (in the window, below it in the pane; on
    // the command line, on standard error), handed over before the list.
    virtual void noteAfterList(const std::string& text) { (void)text; }
    // The files (full paths, control characters shown as their pictures)
    // whose contents changed while the checksum
    // column read them: their checksum cells are empty. Handed over before
    // the list; each is a note after it unless the host says otherwise.
    virtual void noteChangedWhileRead(const std::vector<std::string>& files) {
        for (const std::string& file : files)
            noteAfterList(std::string(ChangedWhileReadNote) + file);
    }

    // The writer that gives the run's records their form, made once the
    // options are read: by default the list's text as the options ask.
    virtual std::unique_ptr<ListWriter> makeWriter(const ListOptions& options) {
        return makeListWriter(options);
    }

    // The whole finished list, handed over once, before the run ends.
    virtual Status acceptList(ListText& list) = 0;
    // The run finished normally: the number of files listed and their size
    // (`text`, such as "17 ﾌｧｲﾙ  5,242,895 KB"; the size only when the run read
    // the files' sizes), to be shown until something else is.
    virtual void showListTotals(const std::string& text) { (void)text; }
    // The run finished normally.
    virtual void beep() {}
};

inline constexpr const char* AbortText = "ユーザーによって中断されました。";
inline constexpr const char* AbortTitle = "処理の中断";
inline constexpr const char* SearchingStatus = "ｻﾌﾞﾌｫﾙﾀﾞ検索中...";
inline constexpr const char* CollectingStatus = "ﾌｧｲﾙ情報取得中...";
// Followed by the bytes read so far, while the checksum column reads files.
inline constexpr const char* ReadingContentsStatus = "ﾌｧｲﾙ内容読み取り中... ";
// The heading of the note that names the skipped folders.
inline constexpr const char* SkippedFoldersNote = "読み取れないため一覧から除いたﾌｫﾙﾀﾞ:";

// A host that wraps another and passes every call on to it; a wrapper
// overrides only what it changes.
class ForwardingHost : public ListHost {
public:
    explicit ForwardingHost(ListHost& host) : host_(host) {}

    void enableControls(bool idle) override { host_.enableControls(idle); }
    RootChoice readRoot() override { return host_.readRoot(); }
    ListOptions readOptions() override { return host_.readOptions(); }
    void yield() override { host_.yield(); }
    bool abortRequested() const override { return host_.abortRequested(); }
    void clearAbortRequest() override { host_.clearAbortRequest(); }
    bool quitRequested() const override { return host_.quitRequested(); }
    void setStatus(int panel, const std::string& text) override { host_.setStatus(panel, text); }
    bool showsStatus() const override { return host_.showsStatus(); }
    void reportFailure(const Failure& failure) override { host_.reportFailure(failure); }
    void reportAbort(const std::string& text, const std::string& title) override {
        host_.reportAbort(text, title);
    }
    void noteSkippedFolders(const std::vector<Failure>& skipped) override {
        host_.noteSkippedFolders(skipped);
    }
    void noteSkippedFolderPaths(const std::vector<std::string>& folders) override {
        host_.noteSkippedFolderPaths(folders);
    }
    void noteAfterList(const std::string& text) override { host_.noteAfterList(text); }
    void noteChangedWhileRead(const std::vector<std::string>& files) override {
        host_.noteChangedWhileRead(files);
    }
    std::unique_ptr<ListWriter> makeWriter(const ListOptions& options) override {
        return host_.makeWriter(options);
    }
    Status acceptList(ListText& list) override { return host_.acceptList(list); }
    void showListTotals(const std::string& text) override { host_.showListTotals(text); }
    void beep() override { host_.beep(); }

protected:
    ListHost& host_;
};

} // namespace kestro
