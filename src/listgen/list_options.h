#pragma once

// Every option of one run of the create command, read from the window (or the
// command line) when the run starts. The walk and the line formatter read
// only this record.

#include "platform/paths.h"

#include <string>
#include <string_view>

namespace kestro {

struct ListOptions {
    std::string RootFolder; // always ends with "/" once built
    bool SubFolders = true;
    std::string Patterns = "*.*";
    bool IncludeReadOnly = true;
    bool IncludeArchive = true;
    bool IncludeHidden = false;
    bool IncludeSystem = false;
    std::string Separator = "\t"; // the resolved separator text
    bool PathColumn = false;
    bool JoinPathAndName = false;
    bool ShortPath = false;
    bool HalfWidthFolder = false;
    bool UpperCaseFolder = false;
    bool ShortName = false;
    bool UpperCaseName = false;
    bool HalfWidthName = false;
    bool DropExtension = false;
    bool DropDrive = false;
    bool ExtensionColumn = false;
    bool SizeColumn = false;
    int SizeUnit = 0; // 0 Byte, 1 KB, 2 MB
    bool AttributeColumn = false;
    bool FileTypeColumn = false;
    bool CreationTimeColumn = false;
    bool WriteTimeColumn = false;
    bool AccessTimeColumn = false;
    bool LeadingTab = false;
    bool InsertPathLine = true;
    // A folder below the root that cannot be opened or read (or vanished) is
    // left out and named after the list, instead of ending the run.
    bool SkipUnreadable = false;
    // Lines end with LF alone instead of CR LF.
    bool LineFeedOnly = false;
    // Comma-separated values for a spreadsheet instead of the separator.
    bool Csv = false;
    // A count and size record after each folder's group and at the end.
    bool Totals = false;
};

// The separator choices of the separator box, as shown.
inline constexpr std::string_view SeparatorTabChoice = "ﾀﾌﾞ";
inline constexpr std::string_view SeparatorSemicolonChoice = "ｾﾐｺﾛﾝ";
inline constexpr std::string_view SeparatorBarChoice = "|";
inline constexpr std::string_view SeparatorCsvChoice = "CSV";

// The separator text for the separator box's text: "ﾀﾌﾞ" gives one tab,
// "ｾﾐｺﾛﾝ" gives ";", any other text (the empty text and "|" included) is used
// unchanged. "CSV" chooses comma-separated values (see isCsvChoice).
std::string resolveSeparator(std::string_view boxText);
bool isCsvChoice(std::string_view boxText);

// Check boxes have three values: 0 clear, 1 ticked, 2 grayed. An option is on
// only when its box is exactly 1 ...
bool isTicked(int checkBoxValue);
// ... except the sub-folder switch, which is on for any value but 0.
bool subFoldersFromCheckBox(int checkBoxValue);

} // namespace kestro
