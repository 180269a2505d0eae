#pragma once

// Reading a list back: what its header says about its columns and cells, and
// how each of its records splits into cells again. Both the list the user
// saved and the list made now for a comparison are read this way, so that
// the same file gives the same cells on both sides.
//
// The header (the first line) tells the format: comma-separated values, or
// cells joined by a separator, which is whatever text stands between the
// titles. A file line of a separated list may hold its separator inside a
// cell (a name with ";" in a ";" list): the cells after the name are taken
// from the right, the path from the left (it ends with the folder separator,
// which a name never holds), and what is left is the name.

#include "listgen/list_options.h"
#include "listgen/list_record.h"
#include "platform/failure.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

// The number of every failure of a comparison itself (a list that cannot be
// read as one, columns that differ).
inline constexpr int ComparisonFailure = 5;

struct ListLayout {
    bool csv = false;
    // Between the cells of a separated list; for a list of one column, the
    // current options' separator.
    std::string separator;
    // The header's titles; a joined path and name is one title.
    std::vector<std::string> titles;
    int pathCell = -1; // the path's cell when it stands apart from the name
    int nameCell = 0;  // the name's cell (the path and name when joined)
    bool joinedPath = false;

    // Whether each file line holds its folder.
    bool hasPath() const { return pathCell >= 0 || joinedPath; }
};

// The titles of the header the options write.
std::vector<std::string> headerTitles(const ListOptions& options);

// The layout of a list whose first line is `header` (without its line end).
// `current`, the options of the comparison, decides where two readings fit
// the header equally (a "," separator or comma-separated values; a list of
// one column).
Result<ListLayout> layoutOfHeader(std::string_view header, const ListOptions& current);

// The refusal to compare lists whose columns differ, naming those columns;
// nothing when they are the same.
std::optional<Failure> differentColumns(const std::vector<std::string>& saved,
                                        const std::vector<std::string>& current);

enum class LineKind {
    Header, // the header: a saved file may hold several lists one after another
    Blank,  // an empty line, the note after a list
    Folder, // a folder line: its one cell is the folder
    File,   // a file line: one cell per title
    Total,  // a folder's or the list's total
    Unreadable,
};

// The folder of a file record of `layout`: the folder line's cell it
// follows (`folderLine`), its path cell, or the folder part of its joined
// path and name; empty in a list without folders.
std::string_view folderOfRecord(const ListLayout& layout, std::string_view folderLine,
                                const ListRecord& cells);

// `folder` as a list made with `options` writes it: its path cell when
// `pathCell`, else its folder line.
std::string printedFolder(const ListOptions& options, const std::string& folder, bool pathCell);

// The folder names that begin every folder given (up to and including their
// last separator), and whether every folder, or any, begins with `root`.
class CommonFolder {
public:
    explicit CommonFolder(std::string root = {});
    void add(std::string_view folder);
    std::string_view common() const;
    bool allUnderRoot() const { return allUnderRoot_; }
    bool anyUnderRoot() const { return anyUnderRoot_; }

private:
    std::string root_;
    std::string common_;
    std::string commonMatching_; // common_ and the folder added last, as matched
    std::string matching_;
    bool any_ = false;
    bool allUnderRoot_ = true;
    bool anyUnderRoot_ = false;
};

class RecordReader {
public:
    explicit RecordReader(const ListLayout& layout);

    // The length of the record at the start of `text`, its line end (LF)
    // included; 0 when `text` does not yet hold the whole record and more
    // text follows (`atEnd` false). A quoted cell of comma-separated values
    // may hold line ends.
    std::size_t recordLength(std::string_view text, bool atEnd) const;

    // What the record `text` (without its line end) is; a folder's or a
    // file's cells are put into `cells`.
    LineKind read(std::string_view text, ListRecord& cells) const;

private:
    LineKind readSeparated(std::string_view text, ListRecord& cells) const;
    LineKind readCsv(std::string_view text, ListRecord& cells) const;
    bool isHeader(std::string_view text) const;

    ListLayout layout_;
    std::string header_;  // as a separated list writes it
    std::string pathEnd_; // the folder separator and the cell separator
};

} // namespace kestro
