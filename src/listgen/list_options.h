#pragma once

// Every option of one run of the create command, read from the window (or the
// command line) when the run starts. The walk and the line formatter read
// only this record.

#include "platform/paths.h"

#include <string>
#include <string_view>

namespace kestro {

struct ListOptions {
    std::string rootFolder; // always ends with "/" once built
    bool subFolders = true;
    std::string patterns = "*.*";
    bool includeReadOnly = true;
    bool includeArchive = true;
    bool includeHidden = false;
    bool includeSystem = false;
    std::string separator = "\t"; // the resolved separator text
    bool pathColumn = false;
    bool joinPathAndName = false;
    bool shortPath = false;
    bool halfWidthFolder = false;
    bool upperCaseFolder = false;
    bool shortName = false;
    bool upperCaseName = false;
    bool halfWidthName = false;
    bool dropExtension = false;
    bool dropDrive = false;
    bool extensionColumn = false;
    bool sizeColumn = false;
    int sizeUnit = 0; // 0 Byte, 1 KB, 2 MB
    bool attributeColumn = false;
    bool fileTypeColumn = false;
    bool creationTimeColumn = false;
    bool writeTimeColumn = false;
    bool accessTimeColumn = false;
    // The digest of each file's contents as the last cell.
    bool hashColumn = false;
    int hashAlgorithm = 0; // 0 SHA-256, 1 MD5
    bool leadingTab = false;
    bool insertPathLine = true;
    // A folder below the root that cannot be opened or read (or vanished) is
    // left out and named after the list, instead of ending the run.
    bool skipUnreadable = false;
    // Lines end with LF alone instead of CR LF.
    bool lineFeedOnly = false;
    // Comma-separated values for a spreadsheet instead of the separator.
    bool csv = false;
    // A count and size record after each folder's group and at the end.
    bool totals = false;
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
