#pragma once

// The common failure report: the message text shown for a failure, and which
// failures each command lets pass without a message.

#include "platform/failure.h"

#include <string>

namespace kestro {

// "ｴﾗｰ番号 " + number + " でｴﾗｰが発生しました。" + CR + description. Empty for
// failure number 0, which is never shown.
std::string reportText(const Failure& failure);

inline constexpr const char* ReportTitle = "ｴﾗｰ";

// The commands that run under the common failure rule.
enum class Command {
    Create,      // the create command
    DriveChange, // change of drive
    StartUp,     // set-up of the main window
    OpenOrSaveAs,
    Save,
    VersionDialog,
};

// Whether `command` lets failure `number` pass without a message: 52 and 53
// for the create command, 68 for a drive change, 68 and 76 at start-up, a
// cancelled dialog (32755) for open and save as; nothing for the others.
bool isSilentFailure(Command command, int number);

} // namespace kestro
