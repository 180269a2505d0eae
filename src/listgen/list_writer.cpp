#include "listgen/list_writer.h"

namespace kestro {

SeparatedListWriter::SeparatedListWriter(const ListOptions& options)
    : separator_(options.separator), tab_(options.leadingTab ? "\t" : ""),
      lineEnd_(options.lineFeedOnly ? "\n" : "\r\n"), pathColumn_(options.pathColumn),
      joinPathAndName_(options.pathColumn && options.joinPathAndName) {}

void SeparatedListWriter::appendCells(const ListRecord& record, std::string_view pathJoint,
                                      std::string& out) const {
    for (std::size_t i = 0; i < record.cellCount(); ++i) {
        if (i == 1 && joinPathAndName_)
            out += pathJoint;
        else if (i > 0)
            out += separator_;
        out += record.cell(i);
    }
}

void SeparatedListWriter::header(const ListRecord& titles, std::string& out) {
    // Joined path and name read as one title, "ﾊﾟｽ名 ﾌｧｲﾙ名".
    appendCells(titles, " ", out);
    out += lineEnd_;
}

void SeparatedListWriter::beginFolder(const ListRecord* folderLine, std::string& out) {
    lineOpen_ = false;
    if (!folderLine)
        return;
    out += lineEnd_;
    appendCells(*folderLine, "", out);
    lineOpen_ = true;
}

void SeparatedListWriter::file(const ListRecord& cells, std::string& out) {
    // A path column starts every file line on a new line, so a folder's
    // group begins with an empty line even without a folder line.
    if (pathColumn_ || lineOpen_)
        out += lineEnd_;
    out += tab_;
    appendCells(cells, "", out);
    lineOpen_ = true;
}

void SeparatedListWriter::endFolder(std::string& out) {
    out += lineEnd_;
    lineOpen_ = false;
}

void SeparatedListWriter::folderTotal(const ListRecord& cells, std::string& out) {
    if (lineOpen_)
        out += lineEnd_;
    appendCells(cells, separator_, out); // a total's cells are never joined
    lineOpen_ = true;
}

void SeparatedListWriter::listTotal(const ListRecord& cells, std::string& out) {
    out += lineEnd_;
    appendCells(cells, separator_, out);
    out += lineEnd_;
}

CsvListWriter::CsvListWriter(const ListOptions& options)
    : lineEnd_(options.lineFeedOnly ? "\n" : "\r\n"), leadingCell_(options.leadingTab),
      joinPathAndName_(options.pathColumn && options.joinPathAndName) {}

namespace {

// Whether a cell must be quoted: it holds a comma, a double quote, CR or LF.
// A plain loop: the list's every cell passes here.
bool needsQuotes(std::string_view text) {
    for (const char c : text) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    }
    return false;
}

} // namespace

void CsvListWriter::appendCell(std::string_view text, std::string& out) {
    // A cell that starts with the guard itself gets it too, so that the
    // guard can be taken off again: "=x" and "'=x" stay two cells.
    const bool guarded =
        !text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@' ||
                          text[0] == '\t' || text[0] == '\r' || text[0] == '\'');
    if (!needsQuotes(text)) {
        if (guarded)
            out += '\'';
        out += text;
        return;
    }
    out += '"';
    if (guarded)
        out += '\'';
    // Each quote is written twice: the text up to and including it, then
    // the quote once more.
    for (std::size_t quote; (quote = text.find('"')) != std::string_view::npos;) {
        out += text.substr(0, quote + 1);
        out += '"';
        text.remove_prefix(quote + 1);
    }
    out += text;
    out += '"';
}

void CsvListWriter::appendRecord(const ListRecord& record, bool join, std::string_view pathJoint,
                                 std::string& out) {
    for (std::size_t i = 0; i < record.cellCount(); ++i) {
        if (join && i == 0 && record.cellCount() > 1) {
            joined_.assign(record.cell(0));
            joined_ += pathJoint;
            joined_ += record.cell(1);
            appendCell(joined_, out);
            ++i;
        } else {
            if (i > 0)
                out += ',';
            appendCell(record.cell(i), out);
        }
    }
    out += lineEnd_;
}

void CsvListWriter::header(const ListRecord& titles, std::string& out) {
    appendRecord(titles, joinPathAndName_, " ", out);
}

void CsvListWriter::beginFolder(const ListRecord* folderLine, std::string& out) {
    if (folderLine)
        appendRecord(*folderLine, false, "", out);
}

void CsvListWriter::file(const ListRecord& cells, std::string& out) {
    if (leadingCell_)
        out += ',';
    appendRecord(cells, joinPathAndName_, "", out);
}

void CsvListWriter::endFolder(std::string&) {}

void CsvListWriter::folderTotal(const ListRecord& cells, std::string& out) {
    appendRecord(cells, false, "", out);
}

void CsvListWriter::listTotal(const ListRecord& cells, std::string& out) {
    appendRecord(cells, false, "", out);
}

std::unique_ptr<ListWriter> makeListWriter(const ListOptions& options) {
    if (options.csv)
        return std::make_unique<CsvListWriter>(options);
    return std::make_unique<SeparatedListWriter>(options);
}

} // namespace kestro
