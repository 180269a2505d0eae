#include "listgen/line_formatter.h"

#include "fileinfo/time_text.h"
#include "listgen/name_helpers.h"
#include "platform/text.h"

namespace kestro {

namespace {
bool hasDriveName(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}
} // namespace

LineFormatter::LineFormatter(const ListOptions& options) : options_(options) {
    for (const ListColumn& column : listColumns()) {
        if (column.chosen && !(options_.*column.chosen))
            continue;
        chosen_.push_back(&column);
        needsFacts_ = needsFacts_ || column.needsFacts;
        needsContents_ = needsContents_ || column.needsContents;
    }
}

ListRecord LineFormatter::headerRecord() const {
    ListRecord record;
    for (const ListColumn* column : chosen_)
        record.addCell(column->titleFor ? column->titleFor(options_) : column->title);
    return record;
}

void LineFormatter::beginFolder(const std::string& folder) {
    folder_ = folder;
    if (!options_.PathColumn)
        return;
    // The short path of a file is its long path here, so the short-path
    // choice shows the folder as it is and takes precedence over the two
    // conversions; otherwise half-width and upper case combine.
    pathCell_ = folder;
    if (!options_.ShortPath) {
        if (options_.HalfWidthFolder)
            pathCell_ = toHalfWidth(pathCell_);
        if (options_.UpperCaseFolder)
            pathCell_ = toUpperKeepLength(pathCell_);
    }
    if (hasControlCharacters(pathCell_))
        pathCell_ = showingControls(pathCell_);
}

ListRecord LineFormatter::folderRecord() const {
    ListRecord record;
    if (options_.DropDrive && hasDriveName(folder_))
        record.addCell(showingControls(std::string_view(folder_).substr(2)));
    else
        record.addCell(showingControls(folder_));
    return record;
}

void LineFormatter::fileRecord(ListRecord& record, std::string_view name, const FileFacts* facts) {
    record.clear();
    if (!needsFacts_)
        facts = nullptr;
    for (const ListColumn* column : chosen_) {
        column->cell(*this, name, facts, record.openCell());
        record.endCell();
    }
}

void LineFormatter::appendTime(std::string& out, const FileTime& time) {
    appendTimeText(out, clock_.toLocal(time));
}

const std::string& LineFormatter::typeName(std::string_view name) {
    // The type name depends on the extension alone, so it is looked up once
    // per extension and run.
    std::string extension = GetUpperExtension(name);
    auto found = typeNames_.find(extension);
    if (found == typeNames_.end()) {
        std::string full = folder_;
        full += name;
        found =
            typeNames_
                .emplace(std::move(extension), showingControls(toHalfWidth(GetFileTypeName(full))))
                .first;
    }
    return found->second;
}

} // namespace kestro
