#include "compare/list_comparison.h"

#include "document/document_file.h"
#include "listgen/list_writer.h"
#include "listgen/name_helpers.h"
#include "platform/paths.h"

#include <algorithm>

namespace kestro {

namespace {

constexpr std::string_view DifferenceTitle = "差分";
constexpr std::string_view FolderTitle = "ﾌｫﾙﾀﾞ";
constexpr std::string_view SummaryLabel = "合計";
constexpr std::string_view AddedLabel = "追加";
constexpr std::string_view RemovedLabel = "削除";
constexpr std::string_view ChangedLabel = "変更";
constexpr std::string_view ChangeArrow = " → ";

ListOptions writerOptions(const ListLayout& layout, const ListOptions& options) {
    ListOptions written;
    written.csv = layout.csv;
    written.separator = layout.separator;
    written.lineFeedOnly = options.lineFeedOnly;
    written.pathColumn = false;
    written.leadingTab = false;
    return written;
}

} // namespace

std::string DifferenceCounts::text() const {
    return std::string(AddedLabel) + " " + std::to_string(added) + "  " +
           std::string(RemovedLabel) + " " + std::to_string(removed) + "  " +
           std::string(ChangedLabel) + " " + std::to_string(changed);
}

ListComparison::ListComparison(SavedList& saved, const ListOptions& options)
    : saved_(saved), options_(options),
      writer_(makeListWriter(writerOptions(saved.layout(), options))) {}

Status ListComparison::compare(ListText& current, const std::function<bool()>& keepGoing) {
    ListRecord header;
    header.addCell(DifferenceTitle);
    if (saved_.usesFolderLines())
        header.addCell(FolderTitle);
    for (const std::string& title : saved_.layout().titles)
        header.addCell(title);
    writer_->header(header, out_);

    // A saved list of another place: the folders of the list made now are
    // matched from their own common start, found in a first pass.
    std::size_t strip = 0;
    if (saved_.moved()) {
        CommonFolder common;
        auto read = forEachRecord(current, keepGoing,
                                  [&](std::string_view folder, const ListRecord& cells) {
                                      common.add(folderOfRecord(saved_.layout(), folder, cells));
                                  });
        if (!read)
            return read;
        strip = common.common().size();
        // The folders as the pane shows names: a CSV list holds them raw.
        movedNote_ = "保存した一覧の「" + showingControls(saved_.commonFolder()) + "」を今の「" +
                     showingControls(common.common()) + "」と対応させて照合しました。";
        current.rewind();
    }
    std::string lastFilesFolder;
    std::uint64_t folders = 0;
    auto compared =
        forEachRecord(current, keepGoing, [&](std::string_view folder, const ListRecord& cells) {
            if (folders == 0 || folder != lastFilesFolder) {
                ++folders;
                lastFilesFolder = folder;
            }
            compareFile(folder, cells, strip);
        });
    if (!compared)
        return compared;
    // The folders left out as the lists write folders, from where the
    // folders are matched.
    std::vector<std::string> unknown;
    for (const std::string& folder : unknown_) {
        std::string printed = printedFolder(options_, folder, saved_.layout().hasPath());
        printed.erase(0, std::min(strip, printed.size()));
        unknown.push_back(std::move(printed));
    }
    std::vector<std::uint64_t> unknownCounts(unknown.size() + 1, 0);
    saved_.forEachUnmatched([&](const ListRecord& removed, std::string_view removedFolder) {
        if (inUnknownFolder(removedFolder, removed, unknown, unknownCounts))
            return;
        ++counts_.removed;
        writeRecord(RemovedMark, removedFolder, removed, nullptr);
    });
    if (saved_.outOfScopeCount() > 0)
        scopeNotes_.push_back("保存した一覧のﾌｧｲﾙのうち " +
                              std::to_string(saved_.outOfScopeCount()) + " 個は、今の「" +
                              showingControls(saved_.root()) +
                              "」の外にあるため比較していません (削除とはしていません)。");
    for (std::size_t i = 0; i < unknownCounts.size(); ++i) {
        if (unknownCounts[i] == 0)
            continue;
        const std::string where = i < unknown_.size()
                                      ? "読み取れなかった「" + showingControls(unknown_[i]) + "」"
                                      : std::string("読み取れなかったﾌｫﾙﾀﾞ");
        scopeNotes_.push_back(
            "保存した一覧のﾌｧｲﾙのうち " + std::to_string(unknownCounts[i]) + " 個は" + where +
            "にあるため、削除されたかどうか分かりません (差分に含めていません)。");
    }
    if (counts_.any())
        writer_->endFolder(out_);
    ListRecord summary;
    summary.addCell(SummaryLabel);
    summary.addCell(AddedLabel);
    summary.addCell(std::to_string(counts_.added));
    summary.addCell(RemovedLabel);
    summary.addCell(std::to_string(counts_.removed));
    summary.addCell(ChangedLabel);
    summary.addCell(std::to_string(counts_.changed));
    writer_->listTotal(summary, out_);
    matchedByName_ = !saved_.keysHoldFolders() && folders > 1;
    return Ok{};
}

Status ListComparison::forEachRecord(
    ListText& list, const std::function<bool()>& keepGoing,
    const std::function<void(std::string_view folder, const ListRecord& cells)>& file) {
    const RecordReader& reader = saved_.reader();
    std::string pending; // text not yet read as whole records, LF line ends
    bool carriageReturn = false;
    std::string folder;
    ListRecord cells;
    for (bool atEnd = false; !atEnd;) {
        if (!keepGoing())
            return Failure{};
        auto block = list.nextBlock(std::size_t{1} << 20);
        if (!block)
            return block.failure();
        std::string_view bytes = block.value();
        atEnd = bytes.empty();
        // Line ends as the saved list was read with: CR LF and a lone CR
        // become LF, also when a block ends between CR and LF.
        if (carriageReturn) {
            pending += '\n';
            if (!bytes.empty() && bytes.front() == '\n')
                bytes.remove_prefix(1);
            carriageReturn = false;
        }
        if (!bytes.empty() && bytes.back() == '\r') {
            carriageReturn = true;
            bytes.remove_suffix(1);
        }
        pending += toPaneLineEnds(bytes);

        std::string_view rest = pending;
        for (std::size_t length;
             !rest.empty() && (length = reader.recordLength(rest, atEnd)) > 0;) {
            std::string_view record = rest.substr(0, length);
            rest.remove_prefix(length);
            if (record.back() == '\n')
                record.remove_suffix(1);
            switch (reader.read(record, cells)) {
            case LineKind::Folder:
                folder.assign(cells.cell(0));
                break;
            case LineKind::File:
                file(folder, cells);
                break;
            case LineKind::Unreadable:
                // The list made now has the saved list's columns and format.
                return makeFailure(ComparisonFailure);
            case LineKind::Header:
            case LineKind::Blank:
            case LineKind::Total:
                break;
            }
        }
        pending.erase(0, pending.size() - rest.size());
    }
    return Ok{};
}

void ListComparison::compareFile(std::string_view folder, const ListRecord& cells,
                                 std::size_t strip) {
    saved_.makeKey(key_, folder, cells, strip);
    if (!saved_.match(key_, savedCells_)) {
        ++counts_.added;
        writeRecord(AddedMark, folder, cells, nullptr);
        return;
    }
    for (std::size_t i = 0; i < cells.cellCount(); ++i) {
        if (differs(i, cells)) {
            ++counts_.changed;
            writeRecord(ChangedMark, folder, cells, &savedCells_);
            return;
        }
    }
}

bool ListComparison::inUnknownFolder(std::string_view folder, const ListRecord& cells,
                                     const std::vector<std::string>& unknown,
                                     std::vector<std::uint64_t>& counts) const {
    if (unknown.empty())
        return false;
    // Matched by name alone, any unmatched file may be in such a folder.
    if (!saved_.keysHoldFolders()) {
        ++counts.back();
        return true;
    }
    std::string_view savedFolder = folderOfRecord(saved_.layout(), folder, cells);
    if (saved_.moved())
        savedFolder.remove_prefix(std::min(savedFolder.size(), saved_.commonFolder().size()));
    for (std::size_t i = 0; i < unknown.size(); ++i) {
        if (savedFolder.substr(0, unknown[i].size()) == unknown[i]) {
            ++counts[i];
            return true;
        }
    }
    return false;
}

bool ListComparison::differs(std::size_t i, const ListRecord& cells) const {
    // The cells of the key matched already, the folder from where the two
    // lists' trees start.
    const ListLayout& layout = saved_.layout();
    if (static_cast<int>(i) == layout.pathCell)
        return false;
    if (static_cast<int>(i) == layout.nameCell) {
        // Names that match as the system compares them (without regard to
        // case on Windows): a rename that changed only the case is a change.
        const std::string_view saved = savedCells_.cell(i);
        const std::string_view now = cells.cell(i);
        return saved.substr(folderPart(saved).size()) != now.substr(folderPart(now).size());
    }
    return savedCells_.cell(i) != cells.cell(i);
}

void ListComparison::writeRecord(std::string_view mark, std::string_view folder,
                                 const ListRecord& cells, const ListRecord* old) {
    record_.clear();
    record_.addCell(mark);
    if (saved_.usesFolderLines())
        record_.addCell(folder);
    for (std::size_t i = 0; i < cells.cellCount(); ++i) {
        if (old && differs(i, cells)) {
            std::string& cell = record_.openCell();
            cell += old->cell(i);
            cell += ChangeArrow;
            cell += cells.cell(i);
            record_.endCell();
        } else {
            record_.addCell(cells.cell(i));
        }
    }
    writer_->file(record_, out_);
}

} // namespace kestro
