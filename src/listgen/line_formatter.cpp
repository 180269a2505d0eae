#include "listgen/line_formatter.h"

#include "fileinfo/time_text.h"
#include "listgen/name_helpers.h"
#include "listgen/size_text.h"
#include "platform/short_names.h"
#include "platform/text.h"

#include <utility>

namespace kestro {

namespace {
constexpr std::string_view FolderTotalLabel = "小計";
constexpr std::string_view ListTotalLabel = "合計";
constexpr std::string_view FileCountLabel = "ﾌｧｲﾙ数";
constexpr std::string_view FolderCountLabel = "ﾌｫﾙﾀﾞ数";
constexpr std::string_view SizeLabel = "ｻｲｽﾞ";

bool hasDriveName(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}
} // namespace

LineFormatter::LineFormatter(ListOptions options) : options_(std::move(options)) {
    for (const ListColumn& column : listColumns()) {
        if (column.chosen && !(options_.*column.chosen))
            continue;
        chosen_.push_back(&column);
        needsFacts_ = needsFacts_ || column.needsFacts;
        needsContents_ = needsContents_ || column.needsContents;
    }
    // The totals add up the sizes.
    needsFacts_ = needsFacts_ || options_.totals;
}

ListRecord LineFormatter::headerRecord() const {
    ListRecord record;
    for (const ListColumn* column : chosen_)
        record.addCell(column->titleFor ? column->titleFor(options_) : column->title);
    return record;
}

void LineFormatter::beginFolder(const std::string& folder) {
    folder_ = folder;
    if (!options_.pathColumn)
        return;
    // The short path takes precedence over the two conversions (where the
    // system keeps no 8.3 names it is the folder as it is); otherwise
    // half-width and upper case combine.
    pathCell_ = options_.shortPath ? shortPath(folder) : folder;
    if (!options_.shortPath) {
        if (options_.halfWidthFolder)
            pathCell_ = toHalfWidth(pathCell_);
        if (options_.upperCaseFolder)
            pathCell_ = toUpperKeepLength(pathCell_);
    }
    if (!options_.csv && hasControlCharacters(pathCell_))
        pathCell_ = showingControls(pathCell_);
}

ListRecord LineFormatter::folderRecord() const {
    ListRecord record;
    std::string_view folder = folder_;
    if (options_.dropDrive && hasDriveName(folder))
        folder.remove_prefix(2);
    appendName(record.openCell(), folder);
    record.endCell();
    return record;
}

void LineFormatter::appendName(std::string& out, std::string_view name) const {
    if (options_.csv)
        out += name;
    else
        appendShowingControls(out, name);
}

ListRecord LineFormatter::folderTotalRecord(std::uint64_t files, ByteTotal bytes) const {
    ListRecord record;
    record.addCell(FolderTotalLabel);
    record.addCell(FileCountLabel);
    record.addCell(std::to_string(files));
    record.addCell(SizeLabel);
    appendTotalSizeText(record.openCell(), bytes, static_cast<SizeUnit>(options_.sizeUnit));
    record.endCell();
    return record;
}

ListRecord LineFormatter::listTotalRecord(std::uint64_t files, std::uint64_t folders,
                                          ByteTotal bytes) const {
    ListRecord record;
    record.addCell(ListTotalLabel);
    record.addCell(FileCountLabel);
    record.addCell(std::to_string(files));
    record.addCell(FolderCountLabel);
    record.addCell(std::to_string(folders));
    record.addCell(SizeLabel);
    appendTotalSizeText(record.openCell(), bytes, static_cast<SizeUnit>(options_.sizeUnit));
    record.endCell();
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
    std::string extension = upperExtensionOf(name);
    auto found = typeNames_.find(extension);
    if (found == typeNames_.end()) {
        std::string full = folder_;
        full += name;
        found = typeNames_
                    .emplace(std::move(extension), showingControls(toHalfWidth(fileTypeName(full))))
                    .first;
    }
    return found->second;
}

} // namespace kestro
