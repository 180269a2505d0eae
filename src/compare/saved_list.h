#pragma once

// A list the user saved, held for a comparison: its text once, and for each
// file line an entry in a hash table of the files' keys (folder and name).
// A million files take the list's own bytes and about thirty bytes each.
//
// A key's folder is the folder as listed. When the saved list was made of
// another place (a copy of the folder, the same folder mounted elsewhere),
// some of its folders do not begin with the folder listed now: then each
// list's folders are taken from their common start on, so that the same
// tree matches wherever it lies.

#include "compare/list_layout.h"
#include "listgen/list_options.h"
#include "listgen/list_record.h"
#include "platform/failure.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

class SavedList {
public:
    // The list saved in the file `path` (any encoding and line end Kestro
    // writes), to be compared with a list made with `current`. Fails when
    // the file cannot be read, is not a list, or its columns differ from
    // those `current` chooses.
    static Result<SavedList> read(const std::string& path, const ListOptions& current);
    // The same for a list's text with LF line ends.
    static Result<SavedList> fromText(std::string text, const ListOptions& current);

    const ListLayout& layout() const { return layout_; }
    const RecordReader& reader() const { return reader_; }
    std::size_t fileCount() const { return entries_.size(); }
    // Whether the files' keys hold their folders: the list has a path
    // column, or folder lines before each folder's files. Without either,
    // files are matched by name alone.
    bool keysHoldFolders() const { return layout_.hasPath() || folderLines_; }
    // Whether the keys take the folder from the folder lines.
    bool usesFolderLines() const { return !layout_.hasPath() && folderLines_; }
    // Whether the saved list was made of another place; its folders are then
    // matched from `commonFolder()` on.
    bool moved() const { return moved_; }
    // How many lists the saved file holds; only the last is compared.
    std::size_t listCount() const { return lists_; }
    std::string_view commonFolder() const { return commonFolder_; }

    // The options that make a list this one can be compared with: `current`
    // with the saved list's format, folder lines, and no totals.
    ListOptions comparisonOptions(ListOptions current) const;

    // The key of a file line: its folder (from the folder line `folderLine`
    // or its path cell) less its first `strip` bytes, and its name.
    void makeKey(std::string& key, std::string_view folderLine, const ListRecord& cells,
                 std::size_t strip) const;

    // The first saved file with `key` not yet matched, marked matched now,
    // with its cells; false when there is none.
    bool match(std::string_view key, ListRecord& cells);

    // Calls `removed(cells, folder)` for each saved file never matched, in
    // the saved list's order.
    template <class F> void forEachUnmatched(F removed) const {
        ListRecord cells;
        for (const Entry& entry : entries_) {
            if (entry.matched)
                continue;
            reader_.read(lineOf(entry), cells);
            removed(cells, folderOf(entry));
        }
    }

private:
    struct Entry {
        std::uint64_t hash;
        std::uint32_t line;
        std::uint32_t lineLength;
        std::uint32_t folder; // in folders_
        bool matched;
    };

    SavedList(std::string text, ListLayout layout);

    Status index(const std::string& root);
    std::string_view lineOf(const Entry& entry) const {
        return std::string_view(text_).substr(entry.line, entry.lineLength);
    }
    std::string_view folderOf(const Entry& entry) const { return folders_[entry.folder]; }

    std::string text_;
    ListLayout layout_;
    RecordReader reader_;
    bool folderLines_ = false;
    bool moved_ = false;
    std::size_t lists_ = 0;
    std::string commonFolder_;
    std::vector<Entry> entries_;
    std::vector<std::string> folders_;
    std::vector<std::uint32_t> slots_; // entry index + 1; 0 is free
    std::string savedKey_;             // reused by match
};

} // namespace kestro
