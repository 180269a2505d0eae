#pragma once

// The list options, each declared once: the ListOptions member it feeds, the
// section, key and default it is stored under (spelled as stored files have
// always spelled them), the window's control that shows it (by object name,
// resolved by the window), its command-line switches and its line in
// `kestro --help`, and where the window shows that control (page, group,
// tab order, caption). The settings store, the window's building, reading and
// restoring of its controls, the command-line parser and the help are all
// driven by this table; the few options of a special shape (the window's
// place, the folder, the size unit buttons, the separator box, the pattern
// box) are told apart by their kind.
//
// The stored rows come first, in the one order in which they are read and
// written; after them the options that are not stored.

#include "listgen/list_options.h"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace kestro {

enum class SettingKind {
    Position,  // window edge in twips: a single-precision number
    Folder,    // a full folder path that must exist
    CheckBox,  // 16-bit integer, 0 clear, 1 ticked, 2 grayed
    Truth,     // "True" or "False"
    SizeUnit,  // 16-bit integer, index 0-2 of the size-unit buttons
    Separator, // any text, kept as typed
    Digest,    // the checksum algorithm: "sha256" or "md5"
    Patterns,  // the pattern text; not stored
    Switch,    // a command-line switch without a control; not stored
};

// The rows in their order, named for what they hold; the keys they are
// stored under are kept as they always were (see optionTable()).
enum class SettingRow {
    Top,
    Left,
    Folder,
    SubFolders,
    Hidden,
    System,
    PathColumn,
    ShortPath,
    UpperCaseFolder,
    HalfWidthFolder,
    JoinPathAndName,
    DropExtension,
    ShortName,
    UpperCaseName,
    HalfWidthName,
    SizeColumn,
    SizeUnit,
    CreationTime,
    WriteTime,
    AccessTime,
    ExtensionColumn,
    InsertPathLine,
    DropDrive,
    LeadingTab,
    AttributeColumn,
    FileTypeColumn,
    Separator,
    // The program's own addition, after the original rows: a settings file
    // written before it simply lacks the key, which then reads as False.
    SkipUnreadable,
    Totals,
    HashColumn,
    HashAlgorithm,
    // Not stored; a stored row goes before these.
    Patterns,
    LineFeedOnly,
    Csv,
};

// The stored rows: all rows before the first one that is not stored.
inline constexpr std::size_t SettingRowCount = static_cast<std::size_t>(SettingRow::Patterns);

// An option's line in `kestro --help`.
struct HelpLine {
    // Where the line stands among the others; 0: the option is not shown.
    int place = 0;
    // What the option does. Empty: the option is listed beside the one
    // placed just before it, under that one's text. A "\n" starts another
    // line of the text.
    std::string_view text{};
};

// Where the window shows an option's control.
enum class OptionPage {
    None,    // no control, or a menu entry (the window's menus place those)
    Window,  // outside the tab pages: the folder column and the command row
    Columns, // the first page, "出力項目"
    Output,  // the second page, "出力設定"
};

// The group of controls an option's control stands in. A frame's controls
// are its rows, top to bottom in tab order; an option titling a frame stands
// on the frame's line in place of a caption, on the page rather than in the
// frame (disabling the frame must not lock its own switch).
enum class OptionGroup {
    None,
    FolderColumn,   // under the drive list, left; placed by the window
    CommandRow,     // at the right end of the command buttons' row
    PathFrame,      // the columns page's frames: top left,
    NameFrame,      // top middle,
    SizeFrame,      // bottom left,
    TimeFrame,      // bottom middle
    ColumnList,     // the columns page's right-hand column, without a frame
    OutputRows,     // the output page's rows, without a frame
    SeparatorFrame, // the output page's separator frame, among its rows
};

// A control's place in the window.
struct ControlPlace {
    OptionPage page = OptionPage::None;
    OptionGroup group = OptionGroup::None;
    // The control's place in the tab order: a page's controls are visited by
    // rising order, and so are the rows of each group. Unique among placed
    // rows.
    int order = 0;
    // The check box's caption.
    std::string_view caption{};
    // Stands on its frame's line as the frame's title.
    bool titlesFrame = false;
    // On the output page, in twips: how far the control is indented from the
    // page's rows (and so narrower), and how far below its row it stands,
    // its row being its place among the page's rows; with `belowPrevious`,
    // how far below the bottom of the control or frame before it.
    int indent = 0;
    int drop = 0;
    bool belowPrevious = false;
};

struct SettingDefinition {
    SettingRow row{};
    // Where the value is stored; empty for an option that is not stored.
    std::string_view section{};
    std::string_view key{};
    SettingKind kind{};
    // The default in stored form; empty for the folder, whose default is the
    // program's own folder.
    std::string_view defaultText{};
    // The member a check box, truth or switch row feeds; the other kinds
    // feed their own members (see applySetting in settings/persisted_settings.h).
    bool ListOptions::*flag = nullptr;
    // A grayed check box (value 2) counts as ticked, not only a ticked one.
    bool grayedCounts = false;
    // The object name of the window's control; empty for none of its own.
    std::string_view control{};
    // The command-line switch that turns the option on (or takes its value),
    // and the one that turns it off.
    std::string_view onFlag{};
    std::string_view offFlag{};
    HelpLine help{};
    ControlPlace place{};
};

// Every option, stored rows first.
std::span<const SettingDefinition> optionTable();
// The stored rows, in reading and writing order.
std::span<const SettingDefinition> settingDefinitions();
const SettingDefinition& definitionOf(SettingRow row);
// The rows whose controls stand on `page`, in tab order.
std::vector<const SettingDefinition*> rowsOn(OptionPage page);

} // namespace kestro
