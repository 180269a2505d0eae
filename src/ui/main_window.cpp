#include "ui/main_window.h"

#include "listgen/name_helpers.h"

#include "compare/comparing_host.h"
#include "export/workbook_export.h"

#include "listgen/error_report.h"
#include "listgen/list_engine.h"
#include "platform/drives.h"
#include "platform/program_paths.h"
#include "ui/folder_tree.h"
#include "ui/list_pane_editor.h"
#include "ui/twips.h"
#include "ui/value_check_box.h"
#include "ui/window_fonts.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabBar>

namespace kestro {

namespace {

QString uiText(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

MainWindow::MainWindow(MainWindowServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)) {
    presenter_ = services_.presenter ? services_.presenter : makeMessageBoxPresenter();
    if (!services_.listDrives)
        services_.listDrives = [] { return listDrives(); };
    if (!services_.openDriveRoot)
        services_.openDriveRoot = [](const std::string& drive) { return openDriveRoot(drive); };
    if (QScreen* shown = screen())
        twipsPerPixel_ = kestro::twipsPerPixel(shown->logicalDotsPerInch());

    setObjectName(QStringLiteral("MainWindow"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // Captions, menus and message boxes share the window's font.
    setAttribute(Qt::WA_WindowPropagation);
    setFont(captionFont());

    buildControls();
    buildMenus();
    loadWindow();

    // The session is ending: store the settings as a close would.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] {
        (void)folderTree->followRemoval();
        storeSettingsOnClose();
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::connectActions() {
    connect(createButton, &QPushButton::clicked, this, &MainWindow::onCreateClicked);
    connect(abortButton, &QPushButton::clicked, this, &MainWindow::onAbortClicked);
    connect(driveList, &QComboBox::currentIndexChanged, this, &MainWindow::onDriveChanged);
    connect(folderTree, &FolderTree::pathChanged, this, &MainWindow::followFolder);
    connect(exitEntry, &QAction::triggered, this, &MainWindow::onExitChosen);
    // The switches follow the marks, however a mark changes.
    connect(hiddenEntry, &QAction::toggled, this, [this](bool on) { includeSwitches.hidden = on; });
    connect(systemEntry, &QAction::toggled, this, [this](bool on) { includeSwitches.system = on; });
    connect(tabStrip, &QTabBar::currentChanged, this, &MainWindow::onTabChosen);
    // A click on the tab already selected brings its page to the front too.
    connect(tabStrip, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index == tabStrip->currentIndex())
            onTabChosen();
    });
    connect(sizeColumnCheck, &QCheckBox::stateChanged, this, &MainWindow::onSizeColumnClicked);
    connect(insertPathLineCheck, &QCheckBox::stateChanged, this,
            &MainWindow::onInsertPathLineClicked);
    connect(pathColumnCheck, &QCheckBox::stateChanged, this, &MainWindow::onPathColumnClicked);
    connect(shortNameCheck, &QCheckBox::stateChanged, this, &MainWindow::onShortNameClicked);
    connect(shortPathCheck, &QCheckBox::stateChanged, this, &MainWindow::onShortPathClicked);
}

// Set-up, in the order the window has always used; every value assigned
// while loading the settings runs its control's action.
void MainWindow::loadWindow() {
    fileObject_ = std::make_unique<FileInfo>();
    fileObject_->setMessageSink([this](const std::string& text, const std::string& title) {
        presenter_->showMessage(this, uiText(text), uiText(title), MessageIcon::None);
    });
    ListPaneEditor(listPane).setText(QString());
    fitOuterSize();
    setWindowTitle(QStringLiteral("Kestro - [新規]"));
    abortButton->setGeometry(createButton->geometry());
    placeBottomControls();
    tabStrip->setCurrentIndex(0);
    tabPages[0]->raise();
    keepTabOnFrontPage();
    separatorBox->addItem(QString::fromUtf8(SeparatorTabChoice.data(), SeparatorTabChoice.size()));
    separatorBox->addItem(
        QString::fromUtf8(SeparatorSemicolonChoice.data(), SeparatorSemicolonChoice.size()));
    separatorBox->addItem(QString::fromUtf8(SeparatorBarChoice.data(), SeparatorBarChoice.size()));
    separatorBox->addItem(QString::fromUtf8(SeparatorCsvChoice.data(), SeparatorCsvChoice.size()));
    separatorBox->setCurrentIndex(0);

    // The folder controls start in the program's folder, until the stored
    // one is known.
    for (const std::string& drive : services_.listDrives())
        driveList->addItem(pathText(drive));
    (void)folderTree->setPath(programFolder());
    alignDriveWithFolder();

    connectActions();
    loadSettings();
}

void MainWindow::onExitChosen() {
    close();
}

bool MainWindow::event(QEvent* event) {
    // The window system tells the real frame only once the window is shown.
    if (event->type() == QEvent::Show || event->type() == QEvent::Move)
        fitOuterSize();
    return QMainWindow::event(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A folder that went away is not stored; the folder shown is.
    (void)folderTree->followRemoval();
    storeSettingsOnClose();
    // A list being made stops at its next turn of the event loop.
    if (running_)
        quitRequested_ = true;
    event->accept();
}

// ---- The create command ----------------------------------------------------

void MainWindow::onCreateClicked() {
    runCreateCommandWith(*this);
}

void MainWindow::compareWithSavedList(const std::string& path) {
    if (running_)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    Result<SavedList> saved = SavedList::read(path, readListOptions());
    QGuiApplication::restoreOverrideCursor();
    if (!saved) {
        showFailure(saved.failure());
        return;
    }
    ComparingHost comparing(*this, saved.value());
    runCreateCommandWith(comparing);
}

bool MainWindow::folderStillShown() {
    // The folder shown is the folder listed: one that went away since it
    // was chosen is reported, and the tree now shows the parent that is
    // left, for the next press.
    if (const auto vanished = folderTree->followRemoval()) {
        showFailure(makeFailure(failure::PathNotFound, withTrailingSeparator(*vanished)));
        return false;
    }
    return true;
}

void MainWindow::saveListAsWorkbook(const std::string& path) {
    runCreateCommandWith(*this, &path);
}

void MainWindow::runCreateCommandWith(ListHost& host, const std::string* workbook) {
    if (running_ || !folderStillShown())
        return;
    running_ = true;
    sinceYield_.invalidate(); // the first yield of a run turns the loop
    const RunOutcome outcome =
        workbook ? runWorkbookCommand(host, *workbook) : runCreateCommand(host);
    running_ = false;
    // Closed during the run, also while a comparison was being made.
    if (outcome == RunOutcome::Quit || quitRequested_)
        QCoreApplication::quit();
}

void MainWindow::onAbortClicked() {
    abortPending = true;
}

void MainWindow::enableControls(bool idle) {
    createButton->setVisible(idle);
    abortButton->setVisible(!idle);
    copyButton->setEnabled(idle);
    clearButton->setEnabled(idle);
    tabStrip->setEnabled(idle);
    tabPages[0]->setEnabled(idle);
    tabPages[1]->setEnabled(idle);
    subFoldersCheck->setEnabled(idle);
    listPane->setEnabled(idle);
    patternBox->setEnabled(idle);
    folderTree->setEnabled(idle);
    driveList->setEnabled(idle);
    for (QMenu* menu : {fileMenu, settingsMenu, editMenu, helpMenu})
        menu->menuAction()->setEnabled(idle);
}

RootChoice MainWindow::readRoot() {
    return RootChoice{withTrailingSeparator(folderTree->path()),
                      subFoldersFromCheckBox(subFoldersCheck->value())};
}

ListOptions MainWindow::readListOptions() {
    if (patternBox->text().isEmpty())
        patternBox->setText(QStringLiteral("*.*"));
    ListOptions options;
    // Read whether or not a control is enabled: a disabled but ticked box
    // still counts, and the formatter's precedence rules decide.
    for (const SettingDefinition& definition : optionTable()) {
        if (!definition.control.empty())
            applyToOptions(options, definition, currentSetting(definition.row));
    }
    // Never shown, so always as the file list starts.
    options.includeReadOnly = includeSwitches.readOnly;
    options.includeArchive = includeSwitches.archive;
    return options;
}

void MainWindow::yield() {
    if (!sinceYield_.isValid() || sinceYield_.elapsed() >= YieldInterval)
        turnEventLoop();
}

void MainWindow::turnEventLoop() {
    QCoreApplication::processEvents();
    sinceYield_.start();
}

void MainWindow::setStatus(int panel, const std::string& text) {
    if (panel >= 1 && panel <= 2)
        statusPanels[panel - 1]->setText(uiText(text));
}

void MainWindow::showListTotals(const std::string& text) {
    statusPanels[1]->setText(uiText(text));
}

void MainWindow::showFailure(const Failure& failure) {
    if (failure.number == 0)
        return;
    lastReportText = reportText(failure);
    presenter_->showMessage(this, uiText(lastReportText), QString::fromUtf8(ReportTitle),
                            MessageIcon::Warning);
}

void MainWindow::reportAbort(const std::string& text, const std::string& title) {
    lastReportText = text;
    presenter_->showMessage(this, uiText(lastReportText), uiText(title), MessageIcon::Critical);
}

void MainWindow::noteSkippedFolders(const std::vector<Failure>& skipped) {
    // A note after the list, in the list's own line ends, naming each
    // folder once.
    notesAfterList_ += "\r\n";
    notesAfterList_ += SkippedFoldersNote;
    notesAfterList_ += "\r\n";
    for (const Failure& failure : skipped) {
        notesAfterList_ += "ｴﾗｰ番号 " + std::to_string(failure.number) + " ";
        appendShowingControls(notesAfterList_, failure.description);
        notesAfterList_ += "\r\n";
    }
}

void MainWindow::noteAfterList(const std::string& text) {
    notesAfterList_ += "\r\n" + text + "\r\n";
}

// The list goes to the end of the pane in pieces, with a turn of the event
// loop whenever a piece took long enough to be felt: the window repaints,
// and the abort button and the close box work as during the walk. An abort
// or a close removes what was added, so the pane, its undo history and the
// title stay as they were before the run; the create command then ends the
// run as aborted or closed.
Status MainWindow::acceptList(ListText& list) {
    const std::string note = std::move(notesAfterList_);
    notesAfterList_.clear();
    ListPaneEditor pane(listPane);
    setStatus(1, HandOverStatus);
    pane.beginAppend(list.size() + note.size());
    QElapsedTimer sinceTurn;
    sinceTurn.start();
    for (;;) {
        auto block = list.nextBlock(ListPieceBytes);
        if (!block) {
            pane.cancelAppend();
            return block.failure();
        }
        if (block.value().empty())
            break;
        pane.appendPiece(block.value());
        if (sinceTurn.elapsed() >= handOverTurnInterval) {
            turnEventLoop();
            sinceTurn.restart();
            if (abortPending || quitRequested_) {
                pane.cancelAppend();
                return Ok{};
            }
        }
    }
    pane.appendPiece(note);
    pane.finishAppend();
    return Ok{};
}

void MainWindow::beep() {
    presenter_->beep();
}

// ---- Folder navigation -------------------------------------------------------

std::string MainWindow::currentDrive() const {
    return pathBytes(driveList->currentText());
}

std::string MainWindow::driveOfFolder(const std::string& folder) const {
    std::vector<std::string> drives;
    drives.reserve(static_cast<std::size_t>(driveList->count()));
    for (int i = 0; i < driveList->count(); ++i)
        drives.push_back(pathBytes(driveList->itemText(i)));
    const std::string drive = driveAmong(drives, folder);
    return drive.empty() ? driveOf(folder) : drive;
}

void MainWindow::selectDrive(const std::string& drive) {
    int index = driveList->findText(pathText(drive), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        driveList->addItem(pathText(drive));
        index = driveList->count() - 1;
    }
    driveList->setCurrentIndex(index);
}

void MainWindow::alignDriveWithFolder() {
    QSignalBlocker quiet(driveList);
    selectDrive(driveOfFolder(folderTree->path()));
}

// The drive list shows the drive of the folder shown, however the folder
// changed: walked across a mount point, or moved up because its folder or
// its drive went away. The drives are looked up afresh, so a drive mounted
// or gone since start is seen.
void MainWindow::followFolder() {
    const std::vector<std::string> drives = services_.listDrives();
    QSignalBlocker quiet(driveList);
    std::vector<std::string> shown;
    shown.reserve(static_cast<std::size_t>(driveList->count()));
    for (int i = 0; i < driveList->count(); ++i)
        shown.push_back(pathBytes(driveList->itemText(i)));
    if (shown != drives) {
        driveList->clear();
        for (const std::string& drive : drives)
            driveList->addItem(pathText(drive));
    }
    selectDrive(driveOfFolder(folderTree->path()));
}

void MainWindow::onDriveChanged() {
    const std::string drive = currentDrive();
    Status changed = services_.openDriveRoot(drive);
    if (changed)
        changed = folderTree->setPath(drive);
    if (changed)
        return;
    const Failure& failed = changed.failure();
    if (isSilentFailure(Command::DriveChange, failed.number)) {
        // Back to the drive of the folder still shown; that change runs
        // this action again for it.
        selectDrive(driveOfFolder(folderTree->path()));
        return;
    }
    showFailure(failed);
}

// ---- Option interlocks -------------------------------------------------------

void MainWindow::onSizeColumnClicked() {
    const bool on = isTicked(sizeColumnCheck->value());
    for (QRadioButton* unit : sizeUnitButtons)
        unit->setEnabled(on);
}

void MainWindow::onInsertPathLineClicked() {
    dropDriveCheck->setEnabled(isTicked(insertPathLineCheck->value()));
}

void MainWindow::onPathColumnClicked() {
    const bool on = isTicked(pathColumnCheck->value());
    pathFrame->setEnabled(on);
    upperCaseFolderCheck->setEnabled(on);
    halfWidthFolderCheck->setEnabled(on);
    shortPathCheck->setEnabled(on);
    joinPathAndNameCheck->setEnabled(on);
}

void MainWindow::onShortNameClicked() {
    upperCaseNameCheck->setEnabled(!isTicked(shortNameCheck->value()));
}

void MainWindow::onShortPathClicked() {
    upperCaseFolderCheck->setEnabled(!isTicked(shortPathCheck->value()));
}

void MainWindow::onHiddenEntryClicked() {
    hiddenEntry->setChecked(!hiddenEntry->isChecked());
}

void MainWindow::onSystemEntryClicked() {
    systemEntry->setChecked(!systemEntry->isChecked());
}

void MainWindow::onTabChosen() {
    const QString caption = tabStrip->tabText(tabStrip->currentIndex());
    if (caption == QStringLiteral("出力項目"))
        tabPages[0]->raise();
    else if (caption == QStringLiteral("出力設定"))
        tabPages[1]->raise();
    keepTabOnFrontPage();
}

// The page behind stays shown under the front one, so the focus chain would
// still reach its controls: Tab would tick boxes the user cannot see. Its
// controls take no focus until their page comes to the front again.
void MainWindow::keepTabOnFrontPage() {
    constexpr const char* OwnPolicy = "kestroFocusPolicy";
    // Raising a page moves it to the end of its parent's children.
    const QObjectList stack = tabPages[0]->parentWidget()->children();
    QWidget* front =
        stack.indexOf(tabPages[0]) > stack.indexOf(tabPages[1]) ? tabPages[0] : tabPages[1];
    QWidget* back = front == tabPages[0] ? tabPages[1] : tabPages[0];
    for (QWidget* page : tabPages) {
        for (QWidget* control : page->findChildren<QWidget*>()) {
            QVariant own = control->property(OwnPolicy);
            if (!own.isValid()) {
                own = static_cast<int>(control->focusPolicy());
                control->setProperty(OwnPolicy, own);
            }
            control->setFocusPolicy(page == front ? static_cast<Qt::FocusPolicy>(own.toInt())
                                                  : Qt::NoFocus);
        }
    }
    // A control left focused behind the front page would still take keys.
    if (QWidget* focused = focusWidget(); focused && back->isAncestorOf(focused))
        tabStrip->setFocus();
}

} // namespace kestro
