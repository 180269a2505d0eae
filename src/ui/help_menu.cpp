#include "ui/help_menu.h"

#include "kestro_version.h"
#include "platform/shell.h"
#include "ui/help_file.h"
#include "ui/help_window.h"
#include "ui/main_window.h"
#include "ui/message_presenter.h"

#include <QAction>
#include <QMenu>

namespace kestro {

namespace {

constexpr auto HelpTitle = "Kestro ﾍﾙﾌﾟ";

// The window's presenter, shared without being owned.
std::shared_ptr<MessagePresenter> borrowed(MessagePresenter& presenter) {
    return {&presenter, [](MessagePresenter*) {}};
}

} // namespace

HelpMenu::HelpMenu(MainWindow& window, HelpServices services)
    : QObject(&window), window_(window), services_(std::move(services)) {
    setObjectName(QStringLiteral("HelpMenu"));
    if (!services_.helpFileCandidates)
        services_.helpFileCandidates = [] { return kestro::helpFileCandidates(); };
    if (!services_.open)
        services_.open = [](const std::string& target) { shellOpen(target); };
    if (!services_.webPage)
        services_.webPage = build::webPage;
    // An entry that opened nothing would only disappoint.
    const bool hasWebPage = !services_.webPage->empty();
    window.webSiteEntry->setVisible(hasWebPage);
    window.searchSeparator->setVisible(hasWebPage);
    if (!services_.presenter)
        services_.presenter = borrowed(window.presenter());
    if (!services_.version.reportFailure)
        services_.version.reportFailure = [&window](const Failure& failure) {
            window.showFailure(failure);
        };
    if (!services_.version.open)
        services_.version.open = services_.open;
    if (!services_.version.webPage)
        services_.version.webPage = services_.webPage;

    connect(window.helpContentsEntry, &QAction::triggered, this, &HelpMenu::onHelpContentsChosen);
    connect(window.helpSearchEntry, &QAction::triggered, this, &HelpMenu::onHelpSearchChosen);
    connect(window.webSiteEntry, &QAction::triggered, this, &HelpMenu::onWebSiteChosen);
    connect(window.versionEntry, &QAction::triggered, this, &HelpMenu::onVersionChosen);
}

// Disabling the menu in the menu bar leaves its entries' shortcuts alive
// (F1); the entries check for themselves.
bool HelpMenu::menuEnabled() const {
    QMenu* menu = window_.helpMenu;
    return menu && menu->isEnabled() && menu->menuAction()->isEnabled();
}

HelpWindow* HelpMenu::loadHelp() {
    if (helpWindow_)
        return helpWindow_;
    auto file = readHelpFile(services_.helpFileCandidates());
    if (!file) {
        services_.presenter->showMessage(&window_,
                                         QString::fromStdString(file.failure().description),
                                         QString::fromUtf8(HelpTitle), MessageIcon::Warning);
        return nullptr;
    }
    helpWindow_ = new HelpWindow(file.value(), services_.open, &window_);
    return helpWindow_;
}

void HelpMenu::onHelpContentsChosen() {
    if (!menuEnabled())
        return;
    if (HelpWindow* help = loadHelp())
        help->showContents();
}

void HelpMenu::onHelpSearchChosen() {
    if (!menuEnabled())
        return;
    if (HelpWindow* help = loadHelp())
        help->showTopicFinder();
}

void HelpMenu::onWebSiteChosen() {
    if (!menuEnabled() || services_.webPage->empty())
        return;
    services_.open(*services_.webPage);
}

void HelpMenu::onVersionChosen() {
    if (!menuEnabled())
        return;
    showVersionDialog(&window_, services_.version);
}

HelpMenu& attachHelpMenu(MainWindow& window, HelpServices services) {
    return *new HelpMenu(window, std::move(services));
}

void attachHelpMenu(MainWindow& window) {
    attachHelpMenu(window, HelpServices{});
}

} // namespace kestro
