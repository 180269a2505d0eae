#pragma once

// The comparison of the list made now with a saved list: one record per file
// added (+), removed (-) or changed (~, each differing cell as "old → new",
// the others as they are), then a record with the three counts. Added and
// changed files come in the order of the list made now, removed ones after
// them in the saved list's order. The difference list is written in the
// saved list's format (its separator, or comma-separated values), with the
// line ends the options choose.

#include "compare/saved_list.h"
#include "listgen/list_host.h"
#include "listgen/list_writer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestro {

struct DifferenceCounts {
    std::uint64_t added = 0;
    std::uint64_t removed = 0;
    std::uint64_t changed = 0;

    bool any() const { return added + removed + changed > 0; }
    // "追加 3  削除 1  変更 2", for a status line.
    std::string text() const;
};

inline constexpr std::string_view AddedMark = "+";
// ASCII, like the others: every encoding a list is saved in holds it.
inline constexpr std::string_view RemovedMark = "-";
inline constexpr std::string_view ChangedMark = "~";
// Said when the lists name no folders but the list made now holds files of
// several folders.
inline constexpr std::string_view MatchedByNameNote =
    "一覧にﾌｫﾙﾀﾞの情報がないため、ﾌｧｲﾙ名だけで照合しました。";

// Said once when the saved file held bytes that are no characters.
inline constexpr std::string_view UnreadableCharactersNote =
    "保存した一覧に読み込めない文字がありました。その文字は置換文字 (\uFFFD) "
    "として照合しました。";

class ListComparison {
public:
    // `options` are those the list made now was made with.
    ListComparison(SavedList& saved, const ListOptions& options);

    // Reads the whole list made now and makes the difference list.
    // `keepGoing` is asked now and then; when it answers false the
    // comparison stops with a failure numbered 0.
    Status compare(ListText& current, const std::function<bool()>& keepGoing);

    const std::string& differenceList() const { return out_; }
    const DifferenceCounts& counts() const { return counts_; }
    bool matchedByName() const { return matchedByName_; }
    // When the saved list was made of another place: which folders were
    // matched with which.
    const std::string& movedNote() const { return movedNote_; }

    // The folders (full paths, as the engine names them) that the list made
    // now left out because they could not be read: the saved files in them
    // (or, matched by name alone, every saved file unmatched) are neither
    // removed nor unchanged, only counted in a note. Before compare().
    void setUnknownFolders(std::vector<std::string> folders) { unknown_ = std::move(folders); }
    // Notes on the saved files compared with nothing: those outside the
    // folder listed now, those in a folder that could not be read.
    const std::vector<std::string>& scopeNotes() const { return scopeNotes_; }

private:
    // Reads `list` from where it stands, calling `file` with each file
    // record and the folder line before it.
    Status forEachRecord(
        ListText& list, const std::function<bool()>& keepGoing,
        const std::function<void(std::string_view folder, const ListRecord& cells)>& file);
    void compareFile(std::string_view folder, const ListRecord& cells, std::size_t strip);
    // Whether cell `i` of a matched file differs from the saved one.
    bool differs(std::size_t i, const ListRecord& cells) const;
    void writeRecord(std::string_view mark, std::string_view folder, const ListRecord& cells,
                     const ListRecord* old);

    // Whether the saved file `cells` of the folder line `folder` lies in a
    // folder left out (of the printed `unknown`); counted there.
    bool inUnknownFolder(std::string_view folder, const ListRecord& cells,
                         const std::vector<std::string>& unknown,
                         std::vector<std::uint64_t>& counts) const;

    SavedList& saved_;
    ListOptions options_;
    std::vector<std::string> unknown_;
    std::vector<std::string> scopeNotes_;
    std::unique_ptr<ListWriter> writer_;
    std::string out_;
    DifferenceCounts counts_;
    bool matchedByName_ = false;
    std::string movedNote_;
    std::string key_;
    ListRecord savedCells_;
    ListRecord record_;
};

} // namespace kestro
