#include "listgen/line_formatter.h"

#include "fileinfo/time_text.h"
#include "listgen/name_helpers.h"
#include "listgen/size_text.h"
#include "platform/folder.h"
#include "platform/text.h"

namespace kestro {

namespace {
constexpr const char* LineEnd = "\r\n";

struct ColumnTitle {
    bool ListOptions::*column;
    const char* title;
};

constexpr ColumnTitle ColumnTitles[] = {
    {&ListOptions::ExtensionColumn, "拡張子"},      {&ListOptions::SizeColumn, "ﾌｧｲﾙｻｲｽﾞ"},
    {&ListOptions::AttributeColumn, "属性"},        {&ListOptions::FileTypeColumn, "ﾌｧｲﾙﾀｲﾌﾟ"},
    {&ListOptions::CreationTimeColumn, "作成日時"}, {&ListOptions::WriteTimeColumn, "更新日時"},
    {&ListOptions::AccessTimeColumn, "アクセス日"},
};

bool hasDriveName(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}
} // namespace

LineFormatter::LineFormatter(const ListOptions& options)
    : options_(options),
      needsFacts_(options.SizeColumn || options.AttributeColumn || options.CreationTimeColumn ||
                  options.WriteTimeColumn || options.AccessTimeColumn),
      tab_(options.LeadingTab ? "\t" : "") {}

std::string LineFormatter::headerLine() const {
    std::string header;
    if (options_.PathColumn && options_.JoinPathAndName)
        header = "ﾊﾟｽ名 ﾌｧｲﾙ名";
    else if (options_.PathColumn)
        header = "ﾊﾟｽ名" + options_.Separator + "ﾌｧｲﾙ名";
    else
        header = "ﾌｧｲﾙ名";
    for (const auto& column : ColumnTitles) {
        if (options_.*(column.column)) {
            header += options_.Separator;
            header += column.title;
        }
    }
    return header;
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

std::string LineFormatter::folderLine() const {
    if (options_.DropDrive && hasDriveName(folder_))
        return showingControls(std::string_view(folder_).substr(2));
    return showingControls(folder_);
}

void LineFormatter::appendFileLine(std::string& body, std::string_view name,
                                   const FileFacts* facts) {
    if (options_.PathColumn) {
        body += LineEnd;
        body += tab_;
        body += pathCell_;
        if (!options_.JoinPathAndName)
            body += options_.Separator;
    } else {
        if (!body.empty())
            body += LineEnd;
        body += tab_;
    }

    // The name cell. Dropping the extension cuts the listed name at its first
    // "."; the conversions then apply to what is left.
    std::string_view shown = options_.DropExtension ? name.substr(0, name.find('.')) : name;
    // A short name equals the long one here; it is not upper-cased further.
    const bool upper = options_.UpperCaseName && !options_.ShortName;
    if (!upper && !options_.HalfWidthName) {
        appendShowingControls(body, shown);
    } else {
        std::string cell(shown);
        if (upper)
            cell = toUpperKeepLength(cell);
        if (options_.HalfWidthName)
            cell = toHalfWidth(cell);
        appendShowingControls(body, cell);
    }

    if (options_.ExtensionColumn) {
        body += options_.Separator;
        appendShowingControls(body, GetExtension(name));
    }
    if (options_.SizeColumn) {
        body += options_.Separator;
        if (facts)
            appendSizeText(body, facts->size, static_cast<SizeUnit>(options_.SizeUnit));
    }
    if (options_.AttributeColumn) {
        body += options_.Separator;
        if (facts) {
            const std::uint32_t bits = facts->attributes;
            body += (bits & attribute::ReadOnly) ? 'R' : '-';
            body += (bits & attribute::Archive) ? 'A' : '-';
            body += (bits & attribute::Hidden) ? 'H' : '-';
            body += (bits & attribute::System) ? 'S' : '-';
        }
    }
    if (options_.FileTypeColumn) {
        body += options_.Separator;
        body += typeName(name);
    }
    if (options_.CreationTimeColumn) {
        body += options_.Separator;
        if (facts)
            appendTime(body, facts->creation);
    }
    if (options_.WriteTimeColumn) {
        body += options_.Separator;
        if (facts)
            appendTime(body, facts->lastWrite);
    }
    if (options_.AccessTimeColumn) {
        body += options_.Separator;
        if (facts)
            appendTime(body, facts->lastAccess);
    }
}

void LineFormatter::appendTime(std::string& body, const FileTime& time) {
    appendTimeText(body, clock_.toLocal(time));
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
