#pragma once

// A list as a spreadsheet workbook, written with libxlsxwriter in its
// constant-memory mode: each row goes to the file as it is made, so a list of
// millions of files takes no more memory than one row.
//
// One row per file under one bold, frozen header row with an autofilter:
// the list's columns in their order, led by a 「ﾌｫﾙﾀﾞ」 column (the folder
// line's text) when the list has no path column, so that every row names
// its folder. Sizes are numbers in the unit the list shows (bytes, or KB and
// MB of 1,024 and 1,048,576 bytes: a number format cannot divide by 1,024),
// with a number format that writes the unit as the list does; the three
// times are date-time cells in local time formatted yyyy/mm/dd hh:mm:ss;
// every other cell is a text cell, never a formula, exactly the list's text
// (control characters as their pictures; a byte that is no UTF-8 as U+FFFD,
// as the pane shows it). A cell whose fact could not be read stays empty.
// Folder lines and folder totals make no rows; with totals, the last row
// holds SUBTOTAL formulas over the visible rows (so a filter changes them).
// More rows than a sheet holds continue on another sheet with the same
// header. Column widths fit the longest cell (up to a limit).

#include "listgen/list_options.h"
#include "listgen/list_writer.h"
#include "platform/failure.h"
#include "platform/local_time.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace kestro {

struct WorkbookLibrary;

class ListWorkbook : public ListWriter {
public:
    // The most rows of a sheet, the header included.
    static constexpr std::uint32_t SheetRows = 1048576;

    // Writes the workbook to the file `path` (made at finish()), each sheet
    // in a temporary file in `temporaryFolder` until then (the system's
    // when empty). A sheet holds up to `sheetRows` rows, its header
    // included.
    ListWorkbook(std::string path, ListOptions options, std::string temporaryFolder = {},
                 std::uint32_t sheetRows = SheetRows);
    ~ListWorkbook() override;
    ListWorkbook(const ListWorkbook&) = delete;
    ListWorkbook& operator=(const ListWorkbook&) = delete;

    void header(const ListRecord& titles, std::string& out) override;
    void beginFolder(const ListRecord* folderLine, std::string& out) override;
    void nextFileFacts(const FileFacts* facts) override;
    void file(const ListRecord& cells, std::string& out) override;
    void endFolder(std::string&) override {}
    void folderTotal(const ListRecord&, std::string&) override {}
    void listTotal(const ListRecord& cells, std::string& out) override;

    // Gives every sheet its widths, filter and frozen row, and writes the
    // file. The first failure of the workbook is returned: libxlsxwriter
    // that could not be loaded, in the loader's words; a file that could not
    // be made or written, as the system told it (61 for a full disc) naming
    // that file; a text longer than a cell holds (6, naming the text); else
    // 75 naming `path`.
    Status finish();

private:
    enum class Kind { Text, Size, CreationTime, WriteTime, AccessTime };

    void startSheet();
    void endFiles();
    // The row the next record goes to, on a new sheet when this one is full.
    std::uint32_t nextRow();
    void writeText(std::uint32_t row, std::uint16_t column, std::string_view text);
    void writeTime(std::uint32_t row, std::uint16_t column, const FileTime& time);
    void fit(std::uint16_t column, std::size_t width);
    // Keeps the first failure: `error` of the library call just made
    // (errno still that call's), about `text` when a cell's text.
    void note(int error, std::string_view text = {});
    std::string columnName(std::uint16_t column) const;

    std::string path_;
    ListOptions options_;
    std::string temporaryFolder_;
    const WorkbookLibrary* library_ = nullptr;
    lxw_workbook* book_ = nullptr;
    std::vector<lxw_worksheet*> sheets_;
    lxw_format* bold_ = nullptr;
    lxw_format* sizeFormat_ = nullptr;
    lxw_format* timeFormat_ = nullptr;
    std::vector<std::string> titles_;
    std::vector<Kind> kinds_; // of the record's cells
    bool folderColumn_ = false;
    std::uint16_t sizeColumn_ = 0; // 0: none (the first column is never the size)
    std::uint16_t nameColumn_ = 0;
    std::vector<std::size_t> widths_;
    std::uint32_t sheetRows_;
    std::uint32_t row_ = 0;               // the last row written on the current sheet
    std::vector<std::uint32_t> lastRows_; // of each sheet's files
    std::string folder_;
    bool haveFacts_ = false;
    FileFacts facts_;
    double sizeDivisor_ = 1;
    std::uint64_t files_ = 0;
    double sizeTotal_ = 0;
    LocalTimeConverter clock_;
    std::string text_;               // a cell's text, reused
    bool filesEnded_ = false;        // the current sheet's filter is set
    std::optional<Failure> failure_; // the first
};

} // namespace kestro
