#pragma once

// Acting on the files a list names, from the list pane: its context menu
// offers 「開く」, 「ﾌｫﾙﾀﾞを開く」, 「ﾊﾟｽをｺﾋﾟｰ」, 「印刷」 and 「ごみ箱へ移動」
// (then the Edit menu's entries); Ctrl+Enter and a double click open (a
// double click on a line that is no file line only selects a word). Each
// acts on every file line the selection touches, or on the line under the
// pointer when the menu is asked for outside the selection.
//
// A line's file is found as compare/listed_file.h tells. Before anything
// is done, every file line of the selection must have its file: a line
// that has none (gone, or named so that several files fit) is reported
// with the window's failure report and nothing is done. Lines that are no
// file lines are passed over; a selection without any is told so.
//
// Open and print are the file object's; more than a few files are opened
// or printed only after a question. 「ﾌｫﾙﾀﾞを開く」 asks the desktop's file
// manager to show the files selected, else opens their folders. 「ﾊﾟｽをｺﾋﾟｰ」
// puts the full paths on the clipboard, one a line (refused for a path
// that holds a line break or bytes that are no characters). 「ごみ箱へ移動」
// asks first, naming the files; each file that went to the trash gets
// "[ごみ箱] " before its line, as one change that undo takes back. The first
// file that cannot be trashed is reported; it and those after it stay as
// they were.

#include "compare/listed_file.h"
#include "fileinfo/file_info.h"

#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QPoint;

namespace kestro {

class MainWindow;

struct PaneActionServices {
    // Asks the desktop's file manager to show `files` selected; false when
    // none answers. Empty: the FileManager1 interface of the session bus.
    std::function<bool(const std::vector<std::string>& files)> showInFileManager;
    // Opens a folder in the desktop's file manager. Empty: the shell's open.
    std::function<void(const std::string& folder)> openFolder;
};

class PaneActions : public QObject {
    Q_OBJECT

public:
    // More files than this are opened or printed only after a question.
    static constexpr std::size_t FilesWithoutQuestion = 10;

    PaneActions(MainWindow& window, PaneActionServices services);
    ~PaneActions() override;

    QMenu* menu() const { return menu_; }
    QAction* openAction = nullptr;
    QAction* showFolderAction = nullptr;
    QAction* copyPathAction = nullptr;
    QAction* printAction = nullptr;
    QAction* trashAction = nullptr;

    // The files of the lines the selection touches; empty, after telling
    // why, when one of them has no file or (unless `quietWithoutFiles`)
    // there are none.
    std::vector<LineFile> selectedFiles(bool quietWithoutFiles = false);

public slots:
    void onOpenChosen();
    void onShowFolderChosen();
    void onCopyPathChosen();
    void onPrintChosen();
    void onTrashChosen();

private:
    void showMenu(const QPoint& point);
    bool confirmMany(std::size_t count, const char* doing);
    void runFileOperation(Status (FileInfo::*operation)() const, const char* doing,
                          bool quietWithoutFiles = false);

    MainWindow& window_;
    PaneActionServices services_;
    QMenu* menu_ = nullptr;
};

// Connects the pane's menu, keys and double click to their actions. The
// returned object belongs to the window.
PaneActions& attachPaneActions(MainWindow& window, PaneActionServices services = {});

// Asks org.freedesktop.FileManager1 on the session bus to show `files`;
// false when nothing answers.
bool showItemsOnSessionBus(const std::vector<std::string>& files);

} // namespace kestro
