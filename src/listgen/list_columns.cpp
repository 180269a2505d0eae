#include "listgen/list_columns.h"

#include "listgen/line_formatter.h"
#include "listgen/name_helpers.h"
#include "listgen/size_text.h"
#include "platform/folder.h"
#include "platform/text.h"

namespace kestro {

namespace {

void pathCell(LineFormatter& formatter, std::string_view, const FileFacts*, std::string& out) {
    out += formatter.pathCell();
}

void nameCell(LineFormatter& formatter, std::string_view name, const FileFacts*, std::string& out) {
    const ListOptions& options = formatter.options();
    // Dropping the extension cuts the listed name at its first "."; the
    // conversions then apply to what is left.
    std::string_view shown = options.DropExtension ? name.substr(0, name.find('.')) : name;
    // A short name equals the long one here; it is not upper-cased further.
    const bool upper = options.UpperCaseName && !options.ShortName;
    if (!upper && !options.HalfWidthName) {
        formatter.appendName(out, shown);
        return;
    }
    std::string cell(shown);
    if (upper)
        cell = toUpperKeepLength(cell);
    if (options.HalfWidthName)
        cell = toHalfWidth(cell);
    formatter.appendName(out, cell);
}

void extensionCell(LineFormatter& formatter, std::string_view name, const FileFacts*,
                   std::string& out) {
    formatter.appendName(out, GetExtension(name));
}

void sizeCell(LineFormatter& formatter, std::string_view, const FileFacts* facts,
              std::string& out) {
    if (facts)
        appendSizeText(out, facts->size, static_cast<SizeUnit>(formatter.options().SizeUnit));
}

void attributeCell(LineFormatter&, std::string_view, const FileFacts* facts, std::string& out) {
    if (!facts)
        return;
    const std::uint32_t bits = facts->attributes;
    out += (bits & attribute::ReadOnly) ? 'R' : '-';
    out += (bits & attribute::Archive) ? 'A' : '-';
    out += (bits & attribute::Hidden) ? 'H' : '-';
    out += (bits & attribute::System) ? 'S' : '-';
}

void fileTypeCell(LineFormatter& formatter, std::string_view name, const FileFacts*,
                  std::string& out) {
    out += formatter.typeName(name);
}

void creationTimeCell(LineFormatter& formatter, std::string_view, const FileFacts* facts,
                      std::string& out) {
    if (facts)
        formatter.appendTime(out, facts->creation);
}

void writeTimeCell(LineFormatter& formatter, std::string_view, const FileFacts* facts,
                   std::string& out) {
    if (facts)
        formatter.appendTime(out, facts->lastWrite);
}

void accessTimeCell(LineFormatter& formatter, std::string_view, const FileFacts* facts,
                    std::string& out) {
    if (facts)
        formatter.appendTime(out, facts->lastAccess);
}

constexpr ListColumn Columns[] = {
    {"ﾊﾟｽ名", &ListOptions::PathColumn, false, pathCell},
    {"ﾌｧｲﾙ名", nullptr, false, nameCell},
    {"拡張子", &ListOptions::ExtensionColumn, false, extensionCell},
    {"ﾌｧｲﾙｻｲｽﾞ", &ListOptions::SizeColumn, true, sizeCell},
    {"属性", &ListOptions::AttributeColumn, true, attributeCell},
    {"ﾌｧｲﾙﾀｲﾌﾟ", &ListOptions::FileTypeColumn, false, fileTypeCell},
    {"作成日時", &ListOptions::CreationTimeColumn, true, creationTimeCell},
    {"更新日時", &ListOptions::WriteTimeColumn, true, writeTimeCell},
    {"アクセス日", &ListOptions::AccessTimeColumn, true, accessTimeCell},
};

} // namespace

std::span<const ListColumn> listColumns() {
    return Columns;
}

} // namespace kestro
