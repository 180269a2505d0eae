#pragma once

// The file a line of a list stands for, read from the list's text as the
// comparison reads a saved list (compare/list_layout.h): the header above
// the line gives the columns, the line's record its cells, and the folder
// line above it (or its path cell, or its joined path) the folder.
//
// A list shows names as its options made them: control characters as
// pictures, perhaps upper case, half-width or without the extension, and in
// the pane bytes that are not UTF-8 as U+FFFD. None of this can be undone
// from the text alone, so the finder goes the other way: it reads each
// folder on the way and takes the entry whose shown form is the cell. When
// no entry shows so, the line's file is not there (an edited line, a file
// removed since): 76 for a folder, 53 for the file. When two or more do
// (ｶﾀｶﾅ.txt and カタカナ.txt both show ｶﾀｶﾅ.TXT in a half-width upper-case
// list), the line is refused with 52 rather than taken for one of them; so
// is a line of a list that names no folder at all.
//
// Lines are counted from 0 at each LF. A record of comma-separated values
// may span lines (a name with a line break); it belongs to every line it
// spans and is given under its first.

#include "listgen/list_options.h"
#include "platform/failure.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

class FolderCache;

// Put before a file line whose file went to the trash; such a line stands
// for no file any more.
inline constexpr std::string_view TrashedMark = "[ごみ箱] ";

struct LineFile {
    int line = 0;     // the first line of the file's record
    std::string file; // the file, its bytes as the system names it
    Failure refusal;  // number 0 when `file` was found
    bool found() const { return refusal.number == 0; }
};

class ListedFiles {
public:
    // How the text shows the bytes of a name (the pane's U+FFFD for bytes
    // that are not UTF-8); empty: as they are.
    using TextForm = std::function<std::string(std::string_view bytes)>;

    // `text` (LF line ends) stays the caller's and must outlive the object.
    // `current` decides where a header reads two ways, as for a comparison.
    ListedFiles(std::string_view text, ListOptions current, TextForm textForm = {});
    ~ListedFiles();
    ListedFiles(const ListedFiles&) = delete;
    ListedFiles& operator=(const ListedFiles&) = delete;

    // The file lines that lines [first, last] touch, in their order, each
    // with its file or why it has none. Headers, folder lines, totals,
    // notes, marked lines and text that is no list record are left out.
    std::vector<LineFile> filesOf(int first, int last);

private:
    std::string_view text_;
    ListOptions current_;
    TextForm textForm_;
    std::unique_ptr<FolderCache> folders_; // what was read of each folder, once
};

} // namespace kestro
