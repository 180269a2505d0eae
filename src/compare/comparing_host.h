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

class ComparingHost : public ForwardingHost {
public:
    ComparingHost(ListHost& host, SavedList& saved) : ForwardingHost(host), saved_(saved) {}

    // The counts once the comparison is done.
    const std::optional<DifferenceCounts>& counts() const { return counts_; }

    ListOptions readOptions() override;
    // Their files in the saved list are not known to be gone.
    void noteSkippedFolderPaths(const std::vector<std::string>& folders) override {
        skippedFolders_ = folders;
        host_.noteSkippedFolderPaths(folders);
    }
    // The list is made as text, to be compared with the saved one.
    std::unique_ptr<ListWriter> makeWriter(const ListOptions& options) override {
        return makeListWriter(options);
    }
    Status acceptList(ListText& list) override;
    void showListTotals(const std::string&) override;

private:
    SavedList& saved_;
    ListOptions options_;
    std::optional<DifferenceCounts> counts_;
    std::vector<std::string> skippedFolders_;
};

} // namespace kestro
