#pragma once

// A list the user saved, held for a comparison: its text once, and for each
// file line an entry in a hash table of the files' keys (folder and name).
// Files with the same key (matched by name alone, or a line repeated) share
// one slot of the table, chained in the list's order, so each costs the
// same as any other. A million files take the list's own bytes and about
// forty bytes each.
//
// A key's folder is the folder as listed. When the saved list was made of
// another place (a copy of the folder, the same folder mounted elsewhere),
// none of its folders begins with the folder listed now: then each list's
// folders are taken from their common start on, so that the same tree
// matches wherever it lies. When some of its folders begin with the folder
// listed now and others do not (a list of a parent folder compared with one
// of its sub-folders), the files outside are out of the comparison's scope:
// they are matched with nothing and reported neither removed nor unchanged.

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
    // The folder listed now, as the saved list writes folders.
    const std::string& root() const { return root_; }
    // Whether some bytes of the saved file could not be read as characters
    // (they became U+FFFD, in the names too).
    bool unreadableCharacters() const { return unreadableCharacters_; }
    // How many saved files lie outside the folder listed now.
    std::size_t outOfScopeCount() const { return outOfScope_; }

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

    // Calls `removed(cells, folder)` for each saved file in scope never
    // matched, in the saved list's order.
    template <class F> void forEachUnmatched(F removed) const {
        ListRecord cells;
        for (const Entry& entry : entries_) {
            if (entry.matched || entry.outOfScope)
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
        std::uint32_t next;   // the next entry with the same key + 1; 0 for none
        bool matched;
        bool outOfScope;
    };

    SavedList(std::string text, ListLayout layout);

    Status index(const std::string& root);
    std::string_view lineOf(const Entry& entry) const {
        return std::string_view(text_).substr(entry.line, entry.lineLength);
    }
    std::string_view folderOf(const Entry& entry) const { return folders_[entry.folder]; }
    // The key of `entry` into savedKey_, its cells into `cells`.
    void keyOf(const Entry& entry, ListRecord& cells);

    std::string text_;
    ListLayout layout_;
    RecordReader reader_;
    bool folderLines_ = false;
    bool moved_ = false;
    bool unreadableCharacters_ = false;
    std::size_t lists_ = 0;
    std::string commonFolder_;
    std::string root_;
    std::size_t outOfScope_ = 0;
    std::vector<Entry> entries_;
    std::vector<std::string> folders_;
    // Per key, the first of its entries not yet matched (the last when all
    // are), index + 1; 0 is free.
    std::vector<std::uint32_t> slots_;
    std::string savedKey_; // reused by match
};

} // namespace kestro
