#include "listgen/list_columns.h"

#include "listgen/line_formatter.h"
#include "listgen/name_helpers.h"
#include "listgen/size_text.h"
#include "platform/folder.h"
#include "platform/short_names.h"
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
    std::string shortened;
    if (options.shortName) {
        shortened = shortName(formatter.folder(), std::string(name));
        name = shortened;
    }
    std::string_view shown = options.dropExtension ? name.substr(0, name.find('.')) : name;
    // A short name is not upper-cased further.
    const bool upper = options.upperCaseName && !options.shortName;
    if (!upper && !options.halfWidthName) {
        formatter.appendName(out, shown);
        return;
    }
    std::string cell(shown);
    if (upper)
        cell = toUpperKeepLength(cell);
    if (options.halfWidthName)
        cell = toHalfWidth(cell);
    formatter.appendName(out, cell);
}

void extensionCell(LineFormatter& formatter, std::string_view name, const FileFacts*,
                   std::string& out) {
    formatter.appendName(out, extensionOf(name));
}

void sizeCell(LineFormatter& formatter, std::string_view, const FileFacts* facts,
              std::string& out) {
    if (facts)
        appendSizeText(out, facts->size, static_cast<SizeUnit>(formatter.options().sizeUnit));
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

// The digest the run read for the file; empty when it could not be read.
void hashCell(LineFormatter& formatter, std::string_view, const FileFacts*, std::string& out) {
    out += formatter.contentDigest();
}

std::string_view hashTitle(const ListOptions& options) {
    return hashColumnTitle(options.hashAlgorithm);
}

constexpr ListColumn Columns[] = {
    {"ﾊﾟｽ名", &ListOptions::pathColumn, false, false, pathCell, nullptr},
    {"ﾌｧｲﾙ名", nullptr, false, false, nameCell, nullptr},
    {"拡張子", &ListOptions::extensionColumn, false, false, extensionCell, nullptr},
    {"ﾌｧｲﾙｻｲｽﾞ", &ListOptions::sizeColumn, true, false, sizeCell, nullptr},
    {"属性", &ListOptions::attributeColumn, true, false, attributeCell, nullptr},
    {"ﾌｧｲﾙﾀｲﾌﾟ", &ListOptions::fileTypeColumn, false, false, fileTypeCell, nullptr},
    {"作成日時", &ListOptions::creationTimeColumn, true, false, creationTimeCell, nullptr},
    {"更新日時", &ListOptions::writeTimeColumn, true, false, writeTimeCell, nullptr},
    {"アクセス日", &ListOptions::accessTimeColumn, true, false, accessTimeCell, nullptr},
    // Last: reading the contents is the slow part, and the other cells of
    // a line stay where they were without it.
    {"ﾊｯｼｭ", &ListOptions::hashColumn, false, true, hashCell, hashTitle},
};

} // namespace

std::string_view hashColumnTitle(int hashAlgorithm) {
    return hashAlgorithm == 1 ? "ﾊｯｼｭ(MD5)" : "ﾊｯｼｭ(SHA-256)";
}

std::span<const ListColumn> listColumns() {
    return Columns;
}

} // namespace kestro
