#pragma once

// The sub-folder search's folders of one pass, opened and read by the
// reader pool ahead of the search, which takes each folder's reading in its
// own order (or reads a folder itself when no reader has started on it).
// The command's thread alone calls these.

#include "listgen/list_engine_pool.h"
#include "platform/failure.h"
#include "platform/folder.h"
#include "platform/reader_width.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestro {

// One folder of a pass as a reader read it.
struct SearchReading {
    int parentFd = -1; // the open parent's; -1: only the search can reach it
    std::string name;
    std::string path;
    bool read = false;
    std::optional<Failure> failure;
    OpenFolder opened;
    std::unique_ptr<FolderEntries> entries;
};

class SearchReadAhead {
public:
    explicit SearchReadAhead(ReaderPlan plan) : pool_(plan.readers, !plan.remote) {}

    std::size_t readers() const { return pool_.readers(); }

    // A new pass of folders first .. first + count - 1; `describe(index)`
    // gives the descriptor of a folder's open parent (held open, unchanged,
    // until the pass has taken that folder) or -1, and its name and path.
    void beginPass(std::size_t first, std::size_t count,
                   const std::function<void(std::size_t index, SearchReading&)>& describe);
    // Lets the readers start on the folders up to Lookahead past `index`.
    void startFrom(std::size_t index);
    // The reading of folder `index` of the pass, or null when the caller
    // reads it itself. `waiting` and `stopped` as for FolderReadAhead.
    SearchReading* take(std::size_t index, const std::function<bool()>& waiting, bool& stopped);
    void stop() { pool_.stop(); }

    static constexpr std::size_t Lookahead = 256;
    static constexpr std::size_t Segment = 32;

private:
    static void read(SearchReading& folder);

    std::size_t first_ = 0;
    std::vector<SearchReading> folders_;
    std::vector<std::shared_ptr<ReaderPool::Batch>> segments_;
    std::size_t started_ = 0; // segments handed to the readers
    ReaderPool pool_;         // last: its readers stop before the rest goes
};

} // namespace kestro
