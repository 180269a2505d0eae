#include "compare/saved_list.h"

#include "document/document_file.h"
#include "platform/program_paths.h"
#include "platform/text.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <new>

namespace kestro {

namespace {

std::uint64_t hashOf(std::string_view key) {
    return std::hash<std::string_view>{}(key);
}

// The text of a saved list, with LF line ends. Its header's titles tell the
// encoding: a list in UTF-8 keeps every byte as it is, also the bytes of a
// name that is not valid UTF-8 (the list made now holds them the same way),
// where a text file's usual reading would take such a file for Shift-JIS.
// `unreadable` tells whether some bytes of a list read as Shift-JIS were no
// characters (they became U+FFFD). No list Kestro writes holds a NUL: one
// there becomes its control picture, as a name's would, so that it never
// reaches the difference list raw.
std::string savedListText(std::string bytes, bool& unreadable) {
    constexpr std::string_view Mark = "\xEF\xBB\xBF";
    if (std::string_view(bytes).substr(0, Mark.size()) == Mark)
        bytes.erase(0, Mark.size());
    const std::string_view header = std::string_view(bytes).substr(0, bytes.find('\n'));
    if (header.find("ﾌｧｲﾙ名") == std::string_view::npos)
        bytes = decodeTextFile(bytes, &unreadable);
    convertToPaneLineEnds(bytes);
    if (bytes.find('\0') != std::string::npos) {
        std::string shown;
        shown.reserve(bytes.size());
        for (const char c : bytes) {
            if (c == '\0')
                shown += "\xE2\x90\x80"; // U+2400
            else
                shown += c;
        }
        bytes = std::move(shown);
    }
    return bytes;
}

} // namespace

SavedList::SavedList(std::string text, ListLayout layout)
    : text_(std::move(text)), layout_(std::move(layout)), reader_(layout_) {}

Result<SavedList> SavedList::read(const std::string& path, const ListOptions& current) {
    try {
        auto bytes = readWholeFile(path, DocumentSizeLimit);
        if (!bytes)
            return bytes.failure();
        bool unreadable = false;
        auto list = fromText(savedListText(std::move(bytes).value(), unreadable), current);
        if (list)
            list.value().unreadableCharacters_ = unreadable;
        return list;
    } catch (const std::bad_alloc&) {
        return makeFailure(failure::OutOfMemory, path);
    }
}

Result<SavedList> SavedList::fromText(std::string text, const ListOptions& current) {
    const std::string_view header = std::string_view(text).substr(0, text.find('\n'));
    auto layout = layoutOfHeader(header, current);
    if (!layout)
        return layout.failure();
    if (auto differ = differentColumns(layout.value().titles, headerTitles(current)))
        return *differ;
    SavedList list(std::move(text), std::move(layout).value());
    const std::string root =
        printedFolder(list.comparisonOptions(current), current.rootFolder, list.layout().hasPath());
    if (auto indexed = list.index(root); !indexed)
        return indexed.failure();
    return list;
}

Status SavedList::index(const std::string& root) {
    // One entry a line at most, reserved at once: a growing table would
    // hold two copies at its last growth.
    entries_.reserve(static_cast<std::size_t>(std::count(text_.begin(), text_.end(), '\n')) + 1);
    ListRecord cells;
    CommonFolder folders(root);
    std::string_view rest = text_;
    // The folder lines' cells (a quoted one of comma-separated values is
    // not its text), each once; entry 0 is no folder.
    folders_.assign(1, std::string());
    for (std::size_t lineNumber = 1; !rest.empty();) {
        const std::size_t length = reader_.recordLength(rest, true);
        std::string_view record = rest.substr(0, length);
        const std::size_t start = text_.size() - rest.size();
        rest.remove_prefix(length);
        const std::size_t lines =
            static_cast<std::size_t>(std::count(record.begin(), record.end(), '\n'));
        if (!record.empty() && record.back() == '\n')
            record.remove_suffix(1);
        switch (reader_.read(record, cells)) {
        case LineKind::Folder:
            folderLines_ = true;
            folders_.emplace_back(cells.cell(0));
            break;
        case LineKind::File:
            folders.add(folderOfRecord(layout_, folders_.back(), cells));
            entries_.push_back(Entry{
                0, static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(record.size()),
                static_cast<std::uint32_t>(folders_.size() - 1), 0, false, false});
            break;
        case LineKind::Unreadable: {
            Failure failure;
            failure.number = ComparisonFailure;
            failure.description = "保存した一覧の " + std::to_string(lineNumber) +
                                  " 行目を一覧の行として読めません。";
            return failure;
        }
        case LineKind::Header:
            // The pane appends each list it makes: a file saved from it may
            // hold several, and the last is the newest. In a list of names
            // alone a file may bear the title's name: there the first
            // header counts only.
            if ((lists_ == 0 || layout_.titles.size() > 1 || layout_.joinedPath) && ++lists_ > 1) {
                entries_.clear();
                folders = CommonFolder(root);
                folderLines_ = false;
                folders_.assign(1, std::string());
            }
            break;
        case LineKind::Blank:
        case LineKind::Total:
            break;
        }
        lineNumber += lines;
    }
    // Another place when none of its folders lies in the folder listed now.
    moved_ = keysHoldFolders() && !entries_.empty() && !folders.anyUnderRoot();
    commonFolder_ = folders.common();
    root_ = root;
    const std::size_t strip = moved_ ? commonFolder_.size() : 0;
    // Now that the part of the folders to match is known: each file's key,
    // in a table by open addressing, at most half full, one slot per key.
    slots_.assign(std::bit_ceil(entries_.size() * 2 + 2), 0);
    std::vector<std::uint32_t> lastOfKey(slots_.size(), 0); // while the table is made
    const std::size_t mask = slots_.size() - 1;
    std::string key;
    ListRecord firstCells;
    // Folders in scope as the system tells them apart (on Windows without
    // regard to case); the form keeps byte lengths.
    std::string rootForm = root;
    toMatchingForm(rootForm);
    std::string folderForm;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        Entry& entry = entries_[i];
        reader_.read(lineOf(entry), cells);
        if (!moved_ && keysHoldFolders()) {
            folderForm.assign(folderOfRecord(layout_, folderOf(entry), cells));
            toMatchingForm(folderForm);
        }
        if (!moved_ && keysHoldFolders() && folderForm.substr(0, rootForm.size()) != rootForm) {
            entry.outOfScope = true;
            ++outOfScope_;
            continue;
        }
        makeKey(key, folderOf(entry), cells, strip);
        entry.hash = hashOf(key);
        std::size_t slot = entry.hash & mask;
        for (; slots_[slot] != 0; slot = (slot + 1) & mask) {
            const Entry& first = entries_[slots_[slot] - 1];
            if (first.hash != entry.hash)
                continue;
            keyOf(first, firstCells);
            if (savedKey_ == key)
                break;
        }
        const auto number = static_cast<std::uint32_t>(i + 1);
        if (slots_[slot] == 0)
            slots_[slot] = number;
        else
            entries_[lastOfKey[slot] - 1].next = number;
        lastOfKey[slot] = number;
    }
    return Ok{};
}

void SavedList::keyOf(const Entry& entry, ListRecord& cells) {
    reader_.read(lineOf(entry), cells);
    makeKey(savedKey_, folderOf(entry), cells, moved_ ? commonFolder_.size() : 0);
}

ListOptions SavedList::comparisonOptions(ListOptions current) const {
    current.csv = layout_.csv;
    if (!layout_.csv)
        current.separator = layout_.separator;
    // Folder lines always: they name the folders of the list made now,
    // whatever the saved list keys its files by.
    current.insertPathLine = true;
    current.leadingTab = false;
    current.totals = false;
    return current;
}

void SavedList::makeKey(std::string& key, std::string_view folderLine, const ListRecord& cells,
                        std::size_t strip) const {
    key.clear();
    if (layout_.joinedPath) {
        key += cells.cell(0).substr(strip);
    } else {
        if (layout_.pathCell >= 0 || usesFolderLines()) {
            key += folderOfRecord(layout_, folderLine, cells).substr(strip);
            key += '\0';
        }
        key += cells.cell(static_cast<std::size_t>(layout_.nameCell));
    }
    // Folders and names as the system tells files apart.
    toMatchingForm(key);
}

bool SavedList::match(std::string_view key, ListRecord& cells) {
    if (entries_.empty())
        return false;
    const std::uint64_t hash = hashOf(key);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
        Entry& entry = entries_[slots_[slot] - 1];
        if (entry.hash != hash)
            continue;
        keyOf(entry, cells);
        if (savedKey_ != key)
            continue;
        // The key's slot: its first file not yet matched, or none left.
        if (entry.matched)
            return false;
        entry.matched = true;
        if (entry.next != 0)
            slots_[slot] = entry.next;
        return true;
    }
    return false;
}

} // namespace kestro
