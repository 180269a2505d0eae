#include "compare/list_layout.h"

#include "listgen/line_formatter.h"
#include "listgen/list_columns.h"
#include "listgen/list_host.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <algorithm>
#include <array>

namespace kestro {

namespace {

constexpr std::string_view PathTitle = "ﾊﾟｽ名";
constexpr std::string_view NameTitle = "ﾌｧｲﾙ名";
constexpr std::string_view JoinedTitle = "ﾊﾟｽ名 ﾌｧｲﾙ名";
constexpr std::string_view TotalLabels[] = {"小計", "合計"};
constexpr std::string_view FileCountLabel = "ﾌｧｲﾙ数";
// More than a list has.
constexpr std::size_t MaxColumns = 16;
// How each folder left out is named in the note after a list.
constexpr std::string_view SkippedFolderLine = "ｴﾗｰ番号 ";

// Every title a header may hold, longest first, so that the joined title
// is found before the path's alone.
std::vector<std::string_view> knownTitles() {
    std::vector<std::string_view> titles{JoinedTitle, hashColumnTitle(0), hashColumnTitle(1)};
    for (const ListColumn& column : listColumns()) {
        if (!column.titleFor)
            titles.push_back(column.title);
    }
    std::stable_sort(titles.begin(), titles.end(),
                     [](std::string_view a, std::string_view b) { return a.size() > b.size(); });
    return titles;
}

bool isKnownTitle(std::string_view text) {
    const auto titles = knownTitles();
    return std::find(titles.begin(), titles.end(), text) != titles.end();
}

// `text` cut at each `separator`.
std::vector<std::string_view> split(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> parts;
    for (std::size_t at; (at = text.find(separator)) != std::string_view::npos;) {
        parts.push_back(text.substr(0, at));
        text.remove_prefix(at + separator.size());
    }
    parts.push_back(text);
    return parts;
}

// Where `text` holds `part` last. The library's search backwards compares
// at every place; this one looks for the last character first.
std::size_t lastOf(std::string_view text, std::string_view part) {
    if (part.empty() || part.size() > text.size())
        return part.empty() ? text.size() : std::string_view::npos;
    const char last = part.back();
    for (std::size_t end = text.size(); end >= part.size(); --end) {
        end = text.substr(0, end).rfind(last) + 1;
        if (end == 0 || end < part.size())
            return std::string_view::npos;
        if (text.substr(end - part.size(), part.size()) == part)
            return end - part.size();
    }
    return std::string_view::npos;
}

bool allKnown(const std::vector<std::string_view>& titles) {
    return std::all_of(titles.begin(), titles.end(), isKnownTitle);
}

Failure comparisonFailure(std::string text) {
    Failure failure;
    failure.number = ComparisonFailure;
    failure.description = std::move(text);
    return failure;
}

bool isTotal(std::string_view first, std::string_view second) {
    return std::find(std::begin(TotalLabels), std::end(TotalLabels), first) !=
               std::end(TotalLabels) &&
           second == FileCountLabel;
}

// Takes the formula guard ("'") off each cell of comma-separated values
// that starts with it; the writer guards a cell starting with "'" too.
void dropGuards(ListRecord& cells) {
    bool guarded = false;
    for (std::size_t i = 0; i < cells.cellCount() && !guarded; ++i)
        guarded = cells.cell(i).substr(0, 1) == "'";
    if (!guarded)
        return;
    const ListRecord written = cells;
    cells.clear();
    for (std::size_t i = 0; i < written.cellCount(); ++i) {
        const std::string_view cell = written.cell(i);
        cells.addCell(cell.substr(0, 1) == "'" ? cell.substr(1) : cell);
    }
}

} // namespace

std::vector<std::string> headerTitles(const ListOptions& options) {
    const ListRecord header = LineFormatter(options).headerRecord();
    std::vector<std::string> titles;
    for (std::size_t i = 0; i < header.cellCount(); ++i)
        titles.emplace_back(header.cell(i));
    if (options.pathColumn && options.joinPathAndName && titles.size() > 1) {
        titles[0] = JoinedTitle;
        titles.erase(titles.begin() + 1);
    }
    return titles;
}

Result<ListLayout> layoutOfHeader(std::string_view header, const ListOptions& current) {
    ListLayout layout;
    std::vector<std::string_view> titles;
    // No title needs quotes: a header of comma-separated values is the
    // titles joined by commas.
    const std::vector<std::string_view> csvTitles = split(header, ",");
    const bool commaSeparated = !current.csv && current.separator == ",";
    if (csvTitles.size() > 1 && !commaSeparated && allKnown(csvTitles)) {
        layout.csv = true;
        layout.separator = ",";
        titles = csvTitles;
    } else {
        // The first title, then the separator: the shortest text after it
        // that splits the rest of the header into known titles. With a space
        // as separator a path and name read joined or apart; the current
        // options say which is tried first.
        auto known = knownTitles();
        if (current.pathColumn && !current.joinPathAndName)
            std::stable_partition(known.begin(), known.end(),
                                  [](std::string_view title) { return title == PathTitle; });
        bool withoutSeparator = false;
        for (std::string_view first : known) {
            if (header.substr(0, first.size()) != first || !titles.empty())
                continue;
            const std::string_view rest = header.substr(first.size());
            if (rest.empty()) {
                layout.csv = current.csv;
                layout.separator = current.csv ? "," : current.separator;
                titles.push_back(first);
                break;
            }
            withoutSeparator = withoutSeparator ||
                               std::any_of(known.begin(), known.end(), [&](std::string_view title) {
                                   return rest.substr(0, title.size()) == title;
                               });
            for (std::size_t length = 1; length < rest.size() && titles.empty(); ++length) {
                const std::string_view separator = rest.substr(0, length);
                auto parts = split(rest.substr(length), separator);
                if (!allKnown(parts))
                    continue;
                layout.separator = separator;
                titles.push_back(first);
                titles.insert(titles.end(), parts.begin(), parts.end());
            }
        }
        if (titles.empty())
            return comparisonFailure(withoutSeparator
                                         ? "区切り文字のない一覧とは比較できません。"
                                         : "保存した一覧の 1 行目が一覧の見出しではありません。");
    }
    if (std::find(titles.begin(), titles.end(), NameTitle) == titles.end() &&
        titles.front() != JoinedTitle)
        return comparisonFailure("保存した一覧の 1 行目にﾌｧｲﾙ名の列がありません。");
    layout.titles.assign(titles.begin(), titles.end());
    if (titles.size() > 1 && titles[0] == PathTitle) {
        layout.pathCell = 0;
        layout.nameCell = 1;
    }
    layout.joinedPath = titles[0] == JoinedTitle;
    return layout;
}

std::optional<Failure> differentColumns(const std::vector<std::string>& saved,
                                        const std::vector<std::string>& current) {
    if (saved == current)
        return std::nullopt;
    auto onlyIn = [](const std::vector<std::string>& these, const std::vector<std::string>& other) {
        std::string names;
        for (const std::string& title : these) {
            if (std::find(other.begin(), other.end(), title) != other.end())
                continue;
            if (!names.empty())
                names += "、";
            names += title;
        }
        return names;
    };
    std::string text = "保存した一覧と今の設定とで列が違うため、比較できません。";
    if (const std::string names = onlyIn(saved, current); !names.empty())
        text += "保存した一覧だけの列: " + names + "。";
    if (const std::string names = onlyIn(current, saved); !names.empty())
        text += "今の設定だけの列: " + names + "。";
    return comparisonFailure(std::move(text));
}

std::string_view folderOfRecord(const ListLayout& layout, std::string_view folderLine,
                                const ListRecord& cells) {
    if (layout.pathCell >= 0)
        return cells.cell(static_cast<std::size_t>(layout.pathCell));
    if (!layout.joinedPath)
        return folderLine;
    const std::string_view joined = cells.cell(0);
    const std::size_t last = joined.rfind(PathSeparator);
    return last == std::string_view::npos ? std::string_view() : joined.substr(0, last + 1);
}

std::string printedFolder(const ListOptions& options, const std::string& folder, bool pathCell) {
    LineFormatter formatter(options);
    formatter.beginFolder(withTrailingSeparator(folder));
    return pathCell ? formatter.pathCell() : std::string(formatter.folderRecord().cell(0));
}

CommonFolder::CommonFolder(std::string root) : root_(std::move(root)) {
    toMatchingForm(root_);
}

void CommonFolder::add(std::string_view folder) {
    // Folders as the system tells them apart; the form keeps byte lengths.
    matching_.assign(folder);
    toMatchingForm(matching_);
    if (matching_.substr(0, root_.size()) != root_)
        allUnderRoot_ = false;
    else
        anyUnderRoot_ = true;
    if (!any_) {
        common_ = folder;
        commonMatching_ = matching_;
        any_ = true;
        return;
    }
    std::size_t same = 0;
    while (same < commonMatching_.size() && same < matching_.size() &&
           commonMatching_[same] == matching_[same])
        ++same;
    common_.resize(same);
    commonMatching_.resize(same);
}

std::string_view CommonFolder::common() const {
    const std::size_t last = common_.rfind(PathSeparator);
    return last == std::string::npos ? std::string_view()
                                     : std::string_view(common_).substr(0, last + 1);
}

RecordReader::RecordReader(const ListLayout& layout) : layout_(layout), pathEnd_(1, PathSeparator) {
    pathEnd_ += layout.separator;
    for (const std::string& title : layout.titles) {
        if (!header_.empty())
            header_ += layout.separator;
        header_ += title;
    }
}

std::size_t RecordReader::recordLength(std::string_view text, bool atEnd) const {
    if (!layout_.csv) {
        const std::size_t end = text.find('\n');
        return end != std::string_view::npos ? end + 1 : atEnd ? text.size() : 0;
    }
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == '\n' && !quoted)
            return i + 1;
    }
    return atEnd ? text.size() : 0;
}

LineKind RecordReader::read(std::string_view text, ListRecord& cells) const {
    cells.clear();
    if (isHeader(text))
        return LineKind::Header;
    if (text.empty() || text == SkippedFoldersNote ||
        text.substr(0, SkippedFolderLine.size()) == SkippedFolderLine)
        return LineKind::Blank;
    return layout_.csv ? readCsv(text, cells) : readSeparated(text, cells);
}

bool RecordReader::isHeader(std::string_view text) const {
    // Comma-separated values write the header as a separated list does.
    return text == header_;
}

LineKind RecordReader::readSeparated(std::string_view text, ListRecord& cells) const {
    const std::string_view separator = layout_.separator;
    const std::size_t count = layout_.titles.size();
    for (std::string_view label : TotalLabels) {
        if (text.substr(0, label.size()) != label)
            continue;
        // The separator of a list of one column is not known: any text
        // between the label and the next may be it. Earlier lists with a
        // joined path and name joined a total's label with the next too.
        const std::string_view rest = text.substr(label.size());
        const std::size_t at = count == 1 ? rest.find(FileCountLabel)
                               : rest.substr(0, separator.size()) == separator ? separator.size()
                               : layout_.joinedPath                            ? 0
                                                                               : rest.size();
        if (at != std::string_view::npos &&
            rest.substr(at, FileCountLabel.size()) == FileCountLabel)
            return LineKind::Total;
    }
    // Only file lines start with the leading tab.
    if (text.front() == '\t') {
        text.remove_prefix(1);
    } else if (isPathSeparator(text.back())) {
        cells.addCell(text);
        return LineKind::Folder;
    }
    const std::size_t after = count - 1 - static_cast<std::size_t>(layout_.nameCell);
    if (count == 1 || separator.empty()) {
        cells.addCell(text);
        return count == 1 ? LineKind::File : LineKind::Unreadable;
    }
    // The cells after the name, from the right.
    std::array<std::string_view, MaxColumns> right;
    if (after > right.size())
        return LineKind::Unreadable;
    for (std::size_t i = after; i-- > 0;) {
        const std::size_t at = lastOf(text, separator);
        if (at == std::string_view::npos)
            return LineKind::Unreadable;
        right[i] = text.substr(at + separator.size());
        text = text.substr(0, at);
    }
    if (layout_.pathCell >= 0) {
        // The path ends with the folder separator, which no name holds.
        const std::size_t at = lastOf(text, pathEnd_);
        if (at == std::string_view::npos)
            return LineKind::Unreadable;
        cells.addCell(text.substr(0, at + 1));
        text.remove_prefix(at + pathEnd_.size());
    }
    cells.addCell(text);
    for (std::size_t i = 0; i < after; ++i)
        cells.addCell(right[i]);
    return LineKind::File;
}

LineKind RecordReader::readCsv(std::string_view text, ListRecord& cells) const {
    // Unquoted straight into the record, which allocates nothing once grown,
    // a run of plain characters at a time.
    bool quoted = false;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = quoted ? std::min(text.find('"', i), text.size()) : i;
        while (!quoted && end < text.size() && text[end] != ',' && text[end] != '"')
            ++end;
        cells.openCell() += text.substr(i, end - i);
        if (end == text.size())
            break;
        i = end + 1;
        if (text[end] == ',') {
            cells.endCell();
        } else if (!quoted) {
            quoted = true;
        } else if (i < text.size() && text[i] == '"') {
            cells.openCell() += '"'; // a doubled quote
            ++i;
        } else {
            quoted = false;
        }
    }
    cells.endCell();
    // The formula guard is no part of a cell: the comparison matches and
    // writes the real names.
    dropGuards(cells);
    if (cells.cellCount() > 1 && isTotal(cells.cell(0), cells.cell(1)))
        return LineKind::Total;
    const std::size_t count = layout_.titles.size();
    if (cells.cellCount() == 1 && !cells.cell(0).empty() && isPathSeparator(cells.cell(0).back()))
        return LineKind::Folder;
    // The leading tab of a file line is an empty first cell.
    if (cells.cellCount() == count + 1 && cells.cell(0).empty())
        cells.dropFirstCell();
    return cells.cellCount() == count ? LineKind::File : LineKind::Unreadable;
}

} // namespace kestro
