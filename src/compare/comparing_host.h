#pragma once

// Runs the create command for a comparison: wraps the host of a window or
// command line, makes the list with the saved list's format, compares it with
// the saved list instead of handing it over, and hands the host the
// difference list in its place; the counts take the place of the list's
// totals.

#include "compare/list_comparison.h"
#include "listgen/list_host.h"

#include <optional>

namespace kestro {

class ComparingHost : public ListHost {
public:
    ComparingHost(ListHost& host, SavedList& saved) : host_(host), saved_(saved) {}

    // The counts once the comparison is done.
    const std::optional<DifferenceCounts>& counts() const { return counts_; }

    void enableControls(bool idle) override { host_.enableControls(idle); }
    RootChoice readRoot() override { return host_.readRoot(); }
    ListOptions readOptions() override;
    void yield() override { host_.yield(); }
    bool abortRequested() const override { return host_.abortRequested(); }
    void clearAbortRequest() override { host_.clearAbortRequest(); }
    bool quitRequested() const override { return host_.quitRequested(); }
    void setStatus(int panel, const std::string& text) override { host_.setStatus(panel, text); }
    void reportFailure(const Failure& failure) override { host_.reportFailure(failure); }
    void reportAbort(const std::string& text, const std::string& title) override {
        host_.reportAbort(text, title);
    }
    void noteSkippedFolders(const std::vector<Failure>& skipped) override {
        host_.noteSkippedFolders(skipped);
    }
    // Their files in the saved list are not known to be gone.
    void noteSkippedFolderPaths(const std::vector<std::string>& folders) override {
        skippedFolders_ = folders;
        host_.noteSkippedFolderPaths(folders);
    }
    void noteAfterList(const std::string& text) override { host_.noteAfterList(text); }
    void noteChangedWhileRead(const std::vector<std::string>& files) override {
        host_.noteChangedWhileRead(files);
    }
    Status acceptList(ListText& list) override;
    void showListTotals(const std::string&) override;
    void beep() override { host_.beep(); }

private:
    ListHost& host_;
    SavedList& saved_;
    ListOptions options_;
    std::optional<DifferenceCounts> counts_;
    std::vector<std::string> skippedFolders_;
};

} // namespace kestro
