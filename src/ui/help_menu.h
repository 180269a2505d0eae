#pragma once

// The help menu of the main window: "Kestro ﾍﾙﾌﾟ(&F)" (F1) opens the help at
// its contents, "ﾄﾋﾟｯｸの検索(&S)..." the topic finder, "WebSite(&W)" the web
// page through the shell, and "ﾊﾞｰｼﾞｮﾝ情報(&V)..." shows the version dialog
// modally. None of them acts while the help menu is disabled (while a list
// is being made), so F1 does nothing then.
//
// The help file is read when the help is first opened; when it cannot be
// found the user is told where it was looked for, and the next choice looks
// again. The help window and the finder belong to the main window.

#include "ui/version_dialog.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestro {

class MainWindow;
class HelpWindow;
class MessagePresenter;

// What the help menu uses from outside; an empty member takes the
// program's own.
struct HelpServices {
    // The places of the help file (helpFileCandidates()).
    std::function<std::vector<std::string>()> helpFileCandidates;
    // The shell's "open" (shellOpen), for the web page and help links.
    std::function<void(const std::string& target)> open;
    // The page of "WebSite(&W)"; unset takes the build's web page. Without
    // a page the entry and the separator above it are left out.
    std::optional<std::string> webPage;
    // Where the missing-help message goes (the window's presenter).
    std::shared_ptr<MessagePresenter> presenter;
    // The version dialog's; its failures go to the window's failure report
    // unless set.
    VersionDialogServices version;
};

class HelpMenu : public QObject {
    Q_OBJECT

public:
    HelpMenu(MainWindow& window, HelpServices services);

    // The help window once the help has been read; null before.
    HelpWindow* helpWindow() const { return helpWindow_; }

public slots:
    void onHelpContentsChosen();
    void onHelpSearchChosen();
    void onWebSiteChosen();
    void onVersionChosen();

private:
    bool menuEnabled() const;
    HelpWindow* loadHelp();

    MainWindow& window_;
    HelpServices services_;
    HelpWindow* helpWindow_ = nullptr;
};

// Connects the window's help entries to their commands. The returned
// object belongs to the window.
HelpMenu& attachHelpMenu(MainWindow& window, HelpServices services);

// The same with the program's own services.
void attachHelpMenu(MainWindow& window);

} // namespace kestro
