#include "listgen/list_writer.h"

namespace kestro {

SeparatedListWriter::SeparatedListWriter(const ListOptions& options)
    : separator_(options.Separator), tab_(options.LeadingTab ? "\t" : ""),
      lineEnd_(options.LineFeedOnly ? "\n" : "\r\n"), pathColumn_(options.PathColumn),
      joinPathAndName_(options.PathColumn && options.JoinPathAndName) {}

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

std::unique_ptr<ListWriter> makeListWriter(const ListOptions& options) {
    return std::make_unique<SeparatedListWriter>(options);
}

} // namespace kestro
