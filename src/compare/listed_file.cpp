#include "compare/listed_file.h"

#include "compare/list_layout.h"
#include "listgen/name_helpers.h"
#include "platform/folder.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <utility>

namespace kestro {

namespace {

constexpr std::string_view NameTitle = "ﾌｧｲﾙ名"; // in every header
constexpr std::string_view ExtensionTitle = "拡張子";

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// What the cells of one list tell about the options it was made with: a
// conversion is possible until a cell shows it was not applied (a name with
// a dot was not cut at its extension, one with a small letter not upper-cased).
struct Conversions {
    bool cut = true;
    bool upper = true;
    bool half = true;

    void learn(std::string_view cell, bool names) {
        if (names && cut && cell.find('.') != std::string_view::npos)
            cut = false;
        if (upper && toUpperKeepLength(cell) != cell)
            upper = false;
        if (half && !isAscii(cell) && toHalfWidth(cell) != cell)
            half = false;
    }
};

struct ListEvidence {
    Conversions names;
    Conversions paths; // path cells and joined paths; folder lines are never converted
};

std::optional<ListLayout> headerLayout(std::string_view line, const ListOptions& current) {
    if (line.find(NameTitle) == std::string_view::npos)
        return std::nullopt;
    auto layout = layoutOfHeader(line, current);
    if (!layout)
        return std::nullopt;
    return std::move(layout).value();
}

// The header of a list of one column reads the same in both formats; a
// quoted cell at the start of one of its lines, before the next header,
// tells comma-separated values.
void learnFormat(ListLayout& layout, std::string_view text, std::size_t start,
                 const ListOptions& current) {
    if (layout.titles.size() != 1 || layout.csv)
        return;
    for (std::size_t at = start; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        if (headerLayout(line, current))
            return;
        if (line.substr(0, 1) == "\"" || line.substr(0, 2) == ",\"") {
            layout.csv = true;
            layout.separator = ",";
            return;
        }
        at = end + 1;
    }
}

// The name of a file record: its name cell, or what follows the folder in a
// joined path and name.
std::string_view nameOfRecord(const ListLayout& layout, const ListRecord& cells) {
    const std::string_view cell = cells.cell(static_cast<std::size_t>(layout.nameCell));
    if (!layout.joinedPath)
        return cell;
    const std::size_t last = cell.find_last_of(PathSeparators);
    return last == std::string_view::npos ? cell : cell.substr(last + 1);
}

int extensionCell(const ListLayout& layout) {
    const auto found = std::find(layout.titles.begin(), layout.titles.end(), ExtensionTitle);
    return found == layout.titles.end() ? -1 : static_cast<int>(found - layout.titles.begin());
}

// The forms a list may show `name` in, before its control pictures: as it
// is, and through each conversion that `may` allows, in the orders the
// list's cells apply them.
void addConverted(std::vector<std::string>& forms, std::string_view name, const Conversions& may) {
    forms.emplace_back(name);
    if (isAscii(name)) {
        // Half-width changes no ASCII character.
        if (may.upper)
            forms.push_back(toUpperKeepLength(name));
        return;
    }
    const std::string upper = may.upper ? toUpperKeepLength(name) : std::string(name);
    const std::string half = may.half ? toHalfWidth(name) : std::string(name);
    forms.push_back(upper);
    forms.push_back(half);
    if (may.upper && may.half) {
        forms.push_back(toHalfWidth(upper));
        forms.push_back(toUpperKeepLength(half));
    }
}

Failure refusal(std::string text) {
    Failure failure;
    failure.number = failure::BadFileName;
    failure.description = std::move(text);
    return failure;
}

// One list of the text: its layout and what its cells tell.
struct ListRead {
    ListLayout layout;
    RecordReader reader;
    ListEvidence evidence;
    int extension; // the extension's cell, -1 for none

    explicit ListRead(ListLayout read)
        : layout(std::move(read)), reader(layout), extension(extensionCell(layout)) {}
};

// The records of a text from `start` on, with the lines each spans.
class Records {
public:
    Records(std::string_view text, std::size_t start, int line)
        : text_(text), at_(start), line_(line) {}

    // The next record without its line end; false at the end.
    bool next(const RecordReader& reader, std::string_view& record, int& first, int& last) {
        if (at_ >= text_.size())
            return false;
        const std::size_t length = reader.recordLength(text_.substr(at_), true);
        record = text_.substr(at_, length);
        at_ += length;
        first = line_;
        line_ += static_cast<int>(std::count(record.begin(), record.end(), '\n'));
        last = line_;
        if (!record.empty() && record.back() == '\n') {
            record.remove_suffix(1);
            last = line_ - 1;
        }
        return true;
    }

    std::size_t at() const { return at_; }

private:
    std::string_view text_;
    std::size_t at_;
    int line_;
};

bool isMarked(std::string_view record) {
    return record.substr(0, TrashedMark.size()) == TrashedMark;
}

// What the cells of `list`, whose header ends before `start`, tell, up to
// the next header.
ListEvidence evidenceOf(std::string_view text, std::size_t start, const ListRead& list,
                        const ListOptions& current) {
    ListEvidence evidence;
    Records records(text, start, 0);
    std::string_view record;
    int first = 0;
    int last = 0;
    ListRecord cells;
    while (records.next(list.reader, record, first, last)) {
        if (isMarked(record))
            continue;
        if (headerLayout(record, current))
            break;
        if (list.reader.read(record, cells) != LineKind::File)
            continue;
        evidence.names.learn(nameOfRecord(list.layout, cells), true);
        if (list.layout.hasPath())
            evidence.paths.learn(folderOfRecord(list.layout, {}, cells), false);
    }
    return evidence;
}

struct Lookup {
    const ListedFiles::TextForm& textForm;
    bool pictures; // a separated list shows control characters as pictures

    std::string shown(std::string_view form) const {
        std::string text = pictures ? showingControls(form) : std::string(form);
        return textForm ? textForm(text) : text;
    }
};

// The entries of one folder read once, by each form a list may show them in.
struct FolderIndex {
    std::vector<std::string> names;
    std::unordered_map<std::string, std::vector<std::uint32_t>> byForm;

    const std::vector<std::uint32_t>* named(const std::string& shown) const {
        const auto found = byForm.find(shown);
        return found == byForm.end() ? nullptr : &found->second;
    }
};

Result<FolderIndex> readIndex(const std::string& folder, bool folders, bool cut,
                              const Conversions& may, const Lookup& lookup) {
    auto open = OpenFolder::open(folder.empty() ? std::string(".") : folder);
    if (!open)
        return open.failure();
    FolderEntries entries;
    if (Status read = readFolderEntries(open.value().fd(), entries, folder); !read)
        return read.failure();
    FolderIndex index;
    std::vector<std::string> forms;
    entries.forEach([&](const FolderEntries::Entry& entry) {
        if ((entry.kind == EntryKind::Folder) != folders)
            return;
        const std::string_view name = entry.name;
        const auto number = static_cast<std::uint32_t>(index.names.size());
        index.names.emplace_back(name);
        forms.clear();
        addConverted(forms, name, may);
        if (cut && name.find('.') != std::string_view::npos)
            addConverted(forms, name.substr(0, name.find('.')), may);
        std::sort(forms.begin(), forms.end());
        forms.erase(std::unique(forms.begin(), forms.end()), forms.end());
        for (const std::string& form : forms)
            index.byForm[lookup.shown(form)].push_back(number);
    });
    return index;
}

std::string candidatesText(const FolderIndex& index, const std::vector<std::uint32_t>& found) {
    std::string text;
    for (const std::uint32_t number : found) {
        if (!text.empty())
            text += "、";
        text += showingControls(index.names[number]);
    }
    return text;
}

} // namespace

// What was read of each folder, once per way of showing its entries.
class FolderCache {
public:
    const Result<FolderIndex>& index(const std::string& folder, bool folders, bool cut,
                                     const Conversions& may, const Lookup& lookup) {
        std::string key = folder;
        key += '\0';
        for (const bool flag : {folders, cut, may.upper, may.half, lookup.pictures})
            key += flag ? '1' : '0';
        auto found = read_.find(key);
        if (found == read_.end())
            found = read_.emplace(key, readIndex(folder, folders, cut, may, lookup)).first;
        return found->second;
    }

private:
    std::unordered_map<std::string, Result<FolderIndex>> read_;
};

namespace {

// The one entry of `folder` that shows as `shown`: 76 or 53 when none does,
// 52 when several do.
Result<std::uint32_t> onlyEntry(const FolderIndex& index, const std::string& shown,
                                const std::string& shownPath, bool folder,
                                const std::function<bool(const std::string&)>& fits = {}) {
    std::vector<std::uint32_t> found;
    if (const auto* named = index.named(shown)) {
        for (const std::uint32_t number : *named) {
            if (!fits || fits(index.names[number]))
                found.push_back(number);
        }
    }
    if (found.empty())
        return makeFailure(folder ? failure::PathNotFound : failure::FileNotFound, shownPath);
    if (found.size() > 1)
        return refusal("「" + shownPath + "」に当たる" + (folder ? "ﾌｫﾙﾀﾞ" : "ﾌｧｲﾙ") + "が " +
                       std::to_string(found.size()) +
                       " 個あり、どれか決められないため、この行には何もしません: " +
                       candidatesText(index, found));
    return found.front();
}

} // namespace

ListedFiles::ListedFiles(std::string_view text, ListOptions current, TextForm textForm)
    : text_(text), current_(std::move(current)), textForm_(std::move(textForm)),
      folders_(std::make_unique<FolderCache>()) {}

ListedFiles::~ListedFiles() = default;

namespace {

struct FileFinder {
    FolderCache& folders;
    const ListedFiles::TextForm& textForm;

    Result<std::string> find(const ListRead& list, std::string_view folderLine,
                             const ListRecord& cells) {
        const ListLayout& layout = list.layout;
        const std::string_view folder = folderOfRecord(layout, folderLine, cells);
        const std::string_view name = nameOfRecord(layout, cells);
        if (folder.empty())
            return refusal("この一覧にはﾌｧｲﾙのﾌｫﾙﾀﾞが書かれていないため、「" + std::string(name) +
                           "」がどのﾌｧｲﾙか決められません。");
        const Lookup lookup{textForm, !layout.csv};
        // Folder lines show the folder as it is; path cells may convert it.
        const Conversions none{false, false, false};
        const Conversions& folderMay = layout.hasPath() ? list.evidence.paths : none;
        const std::size_t root = rootLength(folder);
        std::string real(folder.substr(0, root));
        std::string shownPath(real);
        std::string_view rest = folder.substr(root);
        while (!rest.empty()) {
            const std::size_t end = std::min(rest.find_first_of(PathSeparators), rest.size());
            const std::string part(rest.substr(0, end));
            rest.remove_prefix(std::min(end + 1, rest.size()));
            shownPath += part;
            shownPath += PathSeparator;
            if (part.empty())
                continue;
            const auto& index = folders.index(real, true, false, folderMay, lookup);
            if (!index)
                return index.failure();
            auto entry = onlyEntry(index.value(), part, shownPath, true);
            if (!entry)
                return entry.failure();
            real += index.value().names[entry.value()];
            real += PathSeparator;
        }
        const auto& index =
            folders.index(real, false, list.evidence.names.cut, list.evidence.names, lookup);
        if (!index)
            return index.failure();
        std::function<bool(const std::string&)> fits;
        if (list.extension >= 0) {
            const std::string_view extension = cells.cell(static_cast<std::size_t>(list.extension));
            fits = [extension, &lookup](const std::string& candidate) {
                return lookup.shown(extensionOf(candidate)) == extension;
            };
        }
        auto entry =
            onlyEntry(index.value(), std::string(name), shownPath + std::string(name), false, fits);
        if (!entry)
            return entry.failure();
        return real + index.value().names[entry.value()];
    }
};

} // namespace

std::vector<LineFile> ListedFiles::filesOf(int first, int last) {
    std::vector<LineFile> files;
    // The start of line `first`, then the header at or above it.
    std::size_t start = 0;
    for (int line = 0; line < first; ++line) {
        start = text_.find('\n', start);
        if (start == std::string_view::npos)
            return files;
        ++start;
    }
    int headerLine = first;
    std::optional<ListLayout> layout;
    for (;;) {
        const std::size_t end = std::min(text_.find('\n', start), text_.size());
        if ((layout = headerLayout(text_.substr(start, end - start), current_)))
            break;
        if (start == 0)
            return files; // no list above the lines
        const std::size_t before =
            start == 1 ? std::string_view::npos : text_.rfind('\n', start - 2);
        start = before == std::string_view::npos ? 0 : before + 1;
        --headerLine;
    }

    auto list = std::make_unique<ListRead>(*layout);
    FileFinder finder{*folders_, textForm_};
    Records records(text_, start, headerLine);
    std::string_view record;
    int recordFirst = 0;
    int recordLast = 0;
    ListRecord cells;
    std::string folderLine;
    while (records.next(list->reader, record, recordFirst, recordLast) && recordFirst <= last) {
        if (isMarked(record))
            continue;
        if (auto header = headerLayout(record, current_)) {
            // This list's header, or that of a list after it.
            learnFormat(*header, text_, records.at(), current_);
            list = std::make_unique<ListRead>(std::move(*header));
            list->evidence = evidenceOf(text_, records.at(), *list, current_);
            folderLine.clear();
            continue;
        }
        const LineKind kind = list->reader.read(record, cells);
        if (kind == LineKind::Folder)
            folderLine.assign(cells.cell(0));
        if (kind != LineKind::File || recordLast < first)
            continue;
        LineFile file;
        file.line = recordFirst;
        Result<std::string> found = finder.find(*list, folderLine, cells);
        if (found)
            file.file = std::move(found).value();
        else
            file.refusal = found.failure();
        files.push_back(std::move(file));
    }
    return files;
}

} // namespace kestro
