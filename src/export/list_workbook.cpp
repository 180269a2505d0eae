#include "export/list_workbook.h"

#include "export/workbook_library.h"

#include "fileinfo/time_text.h"
#include "listgen/list_columns.h"
#include "listgen/name_helpers.h"
#include "platform/failure.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace kestro {

namespace {

constexpr std::string_view FolderTitle = "ﾌｫﾙﾀﾞ";
constexpr std::string_view SheetName = "ﾌｧｲﾙ一覧";
constexpr std::string_view TotalLabel = "合計";
constexpr const char* TimeFormat = "yyyy/mm/dd hh:mm:ss";
// The list's digit patterns: grouped whole bytes; two decimals below ten KB
// and three below one MB, whole numbers above.
constexpr const char* SizeFormats[] = {
    R"(#,##0 "Byte")",
    R"([<10]0.0# "KB";#,##0 "KB")",
    R"([<1]0.0## "MB";#,##0 "MB")",
};
constexpr double SizeDivisors[] = {1, 1024, 1024 * 1024};
// Widths in characters of half-width: a column is never narrower than its
// title, nor wider than this.
constexpr std::size_t WidestColumn = 80;
constexpr std::size_t TimeWidth = 19;
// How much of each end of a text too long for its cell a failure shows.
constexpr std::size_t ShownEndBytes = 48;

// The start and the end of a long `text`, cut between characters.
std::string abbreviated(const std::string& text) {
    if (text.size() <= 2 * ShownEndBytes + 3)
        return text;
    const auto continuation = [&](std::size_t at) {
        return (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
    };
    std::size_t head = ShownEndBytes;
    while (head > 0 && continuation(head))
        --head;
    std::size_t tail = text.size() - ShownEndBytes;
    while (tail < text.size() && continuation(tail))
        ++tail;
    return text.substr(0, head) + "..." + text.substr(tail);
}

// `text` with each byte that is not part of a well-formed UTF-8 character
// replaced by U+FFFD: a workbook holds characters only.
void appendValidUtf8(std::string& out, std::string_view text) {
    if (isValidUtf8(text)) {
        out += text;
        return;
    }
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead >= 0xC2 && lead <= 0xDF)
            length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3;
        else if (lead >= 0xF0 && lead <= 0xF4)
            length = 4;
        else if (lead >= 0x80)
            length = 0;
        if (length > 0 && i + length <= text.size() && isValidUtf8(text.substr(i, length))) {
            out += text.substr(i, length);
            i += length;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
}

std::string sheetName(std::size_t index) {
    std::string name(SheetName);
    if (index > 0)
        name += " (" + std::to_string(index + 1) + ")";
    return name;
}

} // namespace

std::string ListWorkbook::columnName(std::uint16_t column) const {
    char name[LXW_MAX_COL_NAME_LENGTH];
    library_->columnName(name, column, 0);
    return name;
}

ListWorkbook::ListWorkbook(std::string path, ListOptions options, std::string temporaryFolder,
                           std::uint32_t sheetRows)
    : path_(std::move(path)), options_(std::move(options)),
      temporaryFolder_(std::move(temporaryFolder)),
      sheetRows_(std::clamp<std::uint32_t>(sheetRows, 2, SheetRows)) {
    Result<const WorkbookLibrary*> library = workbookLibrary();
    if (!library) {
        failure_ = library.failure();
        return;
    }
    library_ = library.value();
    lxw_workbook_options settings{};
    settings.constant_memory = LXW_TRUE;
    // The sheets' XML is some ten times the workbook: never in a /tmp that
    // lives in memory.
    settings.tmpdir = temporaryFolder_.empty() ? nullptr : temporaryFolder_.data();
    settings.use_zip64 = LXW_TRUE; // a million rows pass the 4 GB of plain zip's XML
    book_ = library_->newWorkbook(path_.c_str(), &settings);
    if (!book_) {
        note(LXW_ERROR_MEMORY_MALLOC_FAILED);
        return;
    }
    bold_ = library_->addFormat(book_);
    library_->setBold(bold_);
    const int unit = std::clamp(options_.sizeUnit, 0, 2);
    sizeFormat_ = library_->addFormat(book_);
    library_->setNumberFormat(sizeFormat_, SizeFormats[unit]);
    sizeDivisor_ = SizeDivisors[unit];
    timeFormat_ = library_->addFormat(book_);
    library_->setNumberFormat(timeFormat_, TimeFormat);
}

ListWorkbook::~ListWorkbook() {
    // Never finished: the file is written all the same (the library has no
    // other way to free the workbook); whoever asked for it removes it.
    if (book_)
        library_->close(book_);
}

void ListWorkbook::note(int error, std::string_view text) {
    const int system = errno;
    if (error == LXW_NO_ERROR || failure_)
        return;
    switch (error) {
    case LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED:
        failure_ = makeFailure(failure::Overflow);
        failure_->description += " Excel ﾌﾞｯｸのｾﾙには 32,767 文字までしか入りません。 (" +
                                 abbreviated(showingControls(text)) + ")";
        return;
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        failure_ = makeFailure(failure::OutOfMemory);
        return;
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
        if (system != 0) {
            failure_ = failureFromErrno(system, temporaryFolder_, true);
            return;
        }
        break;
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        if (system != 0) {
            failure_ = failureFromErrno(system, path_, false);
            return;
        }
        break;
    default:
        break;
    }
    failure_ = makeFailure(failure::PathFileAccess, path_);
}

void ListWorkbook::header(const ListRecord& titles, std::string&) {
    folderColumn_ = !options_.pathColumn;
    if (folderColumn_)
        titles_.emplace_back(FolderTitle);
    std::size_t cell = 0;
    for (const ListColumn& column : listColumns()) {
        if (column.chosen && !(options_.*column.chosen))
            continue;
        if (cell >= titles.cellCount())
            break;
        Kind kind = Kind::Text;
        if (column.chosen == &ListOptions::sizeColumn)
            kind = Kind::Size;
        else if (column.chosen == &ListOptions::creationTimeColumn)
            kind = Kind::CreationTime;
        else if (column.chosen == &ListOptions::writeTimeColumn)
            kind = Kind::WriteTime;
        else if (column.chosen == &ListOptions::accessTimeColumn)
            kind = Kind::AccessTime;
        const auto at = static_cast<std::uint16_t>(titles_.size());
        if (kind == Kind::Size)
            sizeColumn_ = at;
        if (!column.chosen)
            nameColumn_ = at;
        kinds_.push_back(kind);
        titles_.emplace_back(titles.cell(cell++));
    }
    widths_.assign(titles_.size(), 0);
    for (std::size_t i = 0; i < titles_.size(); ++i)
        fit(static_cast<std::uint16_t>(i), shiftJisWidth(titles_[i]) + 3); // the filter's button
    startSheet();
}

void ListWorkbook::startSheet() {
    if (!book_)
        return;
    endFiles();
    lxw_worksheet* sheet = library_->addWorksheet(book_, sheetName(sheets_.size()).c_str());
    if (!sheet) {
        note(LXW_ERROR_MEMORY_MALLOC_FAILED);
        return;
    }
    sheets_.push_back(sheet);
    filesEnded_ = false;
    row_ = 0;
    for (std::size_t i = 0; i < titles_.size(); ++i)
        writeText(0, static_cast<std::uint16_t>(i), titles_[i]);
}

// The filter over the current sheet's files, set while its last row is the
// one the library still holds (in constant-memory mode nothing earlier can
// be given a range).
void ListWorkbook::endFiles() {
    if (sheets_.empty() || filesEnded_)
        return;
    lastRows_.push_back(row_);
    const auto lastColumn = static_cast<std::uint16_t>(titles_.empty() ? 0 : titles_.size() - 1);
    note(library_->autofilter(sheets_.back(), 0, 0, std::max<std::uint32_t>(row_, 1), lastColumn));
    filesEnded_ = true;
}

std::uint32_t ListWorkbook::nextRow() {
    if (row_ + 1 >= sheetRows_)
        startSheet();
    return ++row_;
}

void ListWorkbook::fit(std::uint16_t column, std::size_t width) {
    if (column < widths_.size())
        widths_[column] = std::max(widths_[column], std::min(width, WidestColumn));
}

void ListWorkbook::writeText(std::uint32_t row, std::uint16_t column, std::string_view text) {
    if (sheets_.empty() || text.empty())
        return;
    text_.clear();
    appendValidUtf8(text_, text);
    note(library_->writeString(sheets_.back(), row, column, text_.c_str(),
                               row == 0 ? bold_ : nullptr),
         text_);
    // No character is wider than its bytes: a text no longer than the
    // column is wide cannot widen it, nor any once it is at its widest.
    if (row > 0 && column < widths_.size() && text_.size() > widths_[column] &&
        widths_[column] < WidestColumn)
        fit(column, shiftJisWidth(text_));
}

void ListWorkbook::writeTime(std::uint32_t row, std::uint16_t column, const FileTime& time) {
    const CalendarTime local = clock_.toLocal(time);
    // A spreadsheet's dates start in 1900; the list's text stands in for
    // anything outside them.
    if (local.year < 1900 || local.year > 9999) {
        writeText(row, column, timeText(local));
        return;
    }
    lxw_datetime cell{local.year, local.month, local.day, local.hour, local.minute, 0};
    cell.sec = local.second;
    note(library_->writeDateTime(sheets_.back(), row, column, &cell, timeFormat_));
    fit(column, TimeWidth);
}

void ListWorkbook::beginFolder(const ListRecord* folderLine, std::string&) {
    folder_.clear();
    if (folderLine && folderLine->cellCount() > 0)
        folder_ = folderLine->cell(0);
}

void ListWorkbook::nextFileFacts(const FileFacts* facts) {
    haveFacts_ = facts != nullptr;
    if (facts)
        facts_ = *facts;
}

void ListWorkbook::file(const ListRecord& cells, std::string&) {
    const std::uint32_t row = nextRow();
    if (sheets_.empty())
        return;
    std::uint16_t column = 0;
    if (folderColumn_)
        writeText(row, column++, folder_);
    for (std::size_t i = 0; i < cells.cellCount() && i < kinds_.size(); ++i, ++column) {
        switch (kinds_[i]) {
        case Kind::Text:
            writeText(row, column, cells.cell(i));
            break;
        case Kind::Size:
            if (haveFacts_) {
                const double size = static_cast<double>(facts_.size) / sizeDivisor_;
                note(library_->writeNumber(sheets_.back(), row, column, size, sizeFormat_));
                sizeTotal_ += size;
                fit(column, cells.cell(i).size() + 1);
            }
            break;
        case Kind::CreationTime:
            if (haveFacts_)
                writeTime(row, column, facts_.creation);
            break;
        case Kind::WriteTime:
            if (haveFacts_)
                writeTime(row, column, facts_.lastWrite);
            break;
        case Kind::AccessTime:
            if (haveFacts_)
                writeTime(row, column, facts_.lastAccess);
            break;
        }
    }
    ++files_;
}

void ListWorkbook::listTotal(const ListRecord&, std::string&) {
    // The total is not filtered with the files.
    endFiles();
    const std::uint32_t row = nextRow();
    if (sheets_.empty())
        return;
    // The ranges of every sheet's files.
    std::vector<std::uint32_t> lastRows = lastRows_;
    if (row == 1) // the total starts a sheet of its own
        lastRows.push_back(0);
    const auto ranges = [&](std::uint16_t column) {
        std::string list;
        const std::string name = columnName(column);
        for (std::size_t sheet = 0; sheet < lastRows.size(); ++sheet) {
            // A sheet whose only row is the total has no files to count.
            if (lastRows[sheet] < 1)
                continue;
            list += ",'";
            list += sheetName(sheet);
            list += "'!";
            list += name;
            list += "2:";
            list += name;
            list += std::to_string(lastRows[sheet] + 1);
        }
        return list.empty() ? std::string(",0") : list;
    };
    writeText(row, 0, TotalLabel);
    // 3 counts the visible cells that are not empty, 9 sums the visible ones.
    note(library_->writeFormula(sheets_.back(), row, nameColumn_,
                                ("=SUBTOTAL(3" + ranges(nameColumn_) + ")").c_str(), nullptr,
                                static_cast<double>(files_)));
    if (sizeColumn_ > 0)
        note(library_->writeFormula(sheets_.back(), row, sizeColumn_,
                                    ("=SUBTOTAL(9" + ranges(sizeColumn_) + ")").c_str(),
                                    sizeFormat_, sizeTotal_));
    filesEnded_ = true;
}

Status ListWorkbook::finish() {
    if (book_) {
        endFiles();
        const auto lastColumn =
            static_cast<std::uint16_t>(titles_.empty() ? 0 : titles_.size() - 1);
        for (lxw_worksheet* sheet : sheets_) {
            for (std::uint16_t column = 0; column <= lastColumn && column < widths_.size();
                 ++column)
                note(library_->setColumn(sheet, column, column,
                                         static_cast<double>(widths_[column]) + 1, nullptr));
            library_->freezePanes(sheet, 1, 0);
        }
        errno = 0; // a failure of the close without a system error leaves none
        note(library_->close(book_));
        book_ = nullptr;
    }
    if (!failure_)
        return Ok{};
    return *failure_;
}

} // namespace kestro
