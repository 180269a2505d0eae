#pragma once

// MainWindow: the program's one main window. It holds the folder choice, the
// pattern box, the options on two tab pages, the command buttons, the list
// pane and the status bar, and it is the create command's host.
//
// Construction is the window's set-up: it builds every control, fixes the
// window's size, and loads the stored settings (a value that does not
// convert is reported and skipped; a stored folder that is gone gives the
// program's folder silently). Every way of closing stores the settings
// again. The window owns its controls, its file object and its message
// presenter.
//
// Controls and menu entries are public under their own names, which are
// also their object names (each page and edit entry has a name of its own),
// so that the document, edit and help commands can be connected to them.
// Entries and buttons whose commands live elsewhere are present here
// without an action.

#include "fileinfo/file_info.h"
#include "listgen/list_host.h"
#include "platform/failure.h"
#include "platform/folder.h"
#include "settings/persisted_settings.h"
#include "ui/message_presenter.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabBar;

namespace kestro {

class FolderTree;
class ValueCheckBox;

// What the window uses from outside; an empty member takes the program's
// own (message boxes, the platform's drives).
struct MainWindowServices {
    std::shared_ptr<MessagePresenter> presenter;
    std::function<std::vector<std::string>()> listDrives;
    // Whether a drive's root can be opened; fails with 68 for a drive that
    // is not there.
    std::function<Status(const std::string& drive)> openDriveRoot;
};

// Status panel 1 while a finished list goes to the pane.
inline constexpr const char* HandOverStatus = "一覧を表示中...";

class MainWindow : public QMainWindow, public ListHost {
    Q_OBJECT

public:
    // The window's outer size in twips.
    static constexpr int OuterWidthTwips = 7335;
    static constexpr int OuterHeightTwips = 7305;
    // The finished list goes to the pane in pieces of this many bytes, with
    // a turn of the event loop after the pieces of every interval (ms).
    static constexpr std::size_t ListPieceBytes = std::size_t{4} << 20;
    static constexpr qint64 ListTurnInterval = 40;
    // The walk asks for a turn of the event loop at every folder; the window
    // turns it when this many ms have passed since the last turn (about a
    // frame), as each turn repaints what changed, the status bar among it.
    static constexpr qint64 YieldInterval = 16;

    explicit MainWindow(MainWindowServices services = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Folder choice and patterns.
    QComboBox* driveList = nullptr;
    FolderTree* folderTree = nullptr;
    QLineEdit* patternBox = nullptr;

    // Tab strip with its two overlapping page frames; the selected page is
    // in front.
    QTabBar* tabStrip = nullptr;
    std::array<QFrame*, 2> tabPages{};

    // The option controls are built from the option table (settings/
    // option_table.h), each named by its row; checkBoxFor and groupWidget
    // find them. Those the window's own rules reach are held here too.
    // Page "出力項目": four frames in a two-by-two grid and a column.
    QGroupBox* pathFrame = nullptr; // path options, titled by pathColumnCheck
    ValueCheckBox* pathColumnCheck = nullptr;
    ValueCheckBox* shortPathCheck = nullptr;
    ValueCheckBox* upperCaseFolderCheck = nullptr;
    ValueCheckBox* halfWidthFolderCheck = nullptr;
    ValueCheckBox* joinPathAndNameCheck = nullptr;
    QGroupBox* fileNameFrame = nullptr;
    ValueCheckBox* shortNameCheck = nullptr;
    ValueCheckBox* upperCaseNameCheck = nullptr;
    QGroupBox* sizeFrame = nullptr; // size, titled by sizeColumnCheck
    ValueCheckBox* sizeColumnCheck = nullptr;
    std::array<QRadioButton*, 3> sizeUnitButtons{};
    QGroupBox* timeFrame = nullptr;        // time stamps
    QComboBox* hashAlgorithmBox = nullptr; // SHA-256, MD5

    // Page "出力設定".
    ValueCheckBox* insertPathLineCheck = nullptr;
    ValueCheckBox* dropDriveCheck = nullptr;
    QGroupBox* separatorFrame = nullptr;
    QComboBox* separatorBox = nullptr;

    // Command row.
    QPushButton* createButton = nullptr;
    QPushButton* copyButton = nullptr;
    QPushButton* clearButton = nullptr;
    QPushButton* abortButton = nullptr; // abort, in createButton's place
    ValueCheckBox* subFoldersCheck = nullptr;

    // The list pane (reached through ListPaneEditor) and the status bar with
    // its two panels.
    QWidget* listPane = nullptr;
    QStatusBar* statusPanelBar = nullptr;
    std::array<QLabel*, 2> statusPanels{}; // panels 1 and 2
    QFrame* statusRule = nullptr;          // thin strip above the status bar
    QFrame* menuRuleLower = nullptr;       // etched separator under the menu bar
    QFrame* menuRuleUpper = nullptr;

    // Menus.
    QMenu* fileMenu = nullptr;
    QAction* openEntry = nullptr;
    QAction* compareEntry = nullptr;
    QAction* openSeparator = nullptr;
    QAction* saveEntry = nullptr;
    QAction* saveAsEntry = nullptr;
    QAction* printSeparator = nullptr;
    QAction* printEntry = nullptr; // the print preview, which prints
    QAction* pdfEntry = nullptr;
    QAction* exitSeparator = nullptr;
    QAction* exitEntry = nullptr;
    QMenu* settingsMenu = nullptr;
    QMenu* listedFilesMenu = nullptr;
    QAction* readOnlyEntry = nullptr; // never shown
    QAction* archiveEntry = nullptr;  // never shown
    QAction* hiddenEntry = nullptr;
    QAction* systemEntry = nullptr;
    // Folders that cannot be read are left out and named after the list,
    // instead of ending the run.
    QAction* skipUnreadableEntry = nullptr;
    QMenu* editMenu = nullptr;
    std::array<QAction*, 9> editEntries{}; // 1 to 8; 2 and 7 are separators
    QMenu* helpMenu = nullptr;
    QAction* helpContentsEntry = nullptr;
    QAction* helpSearchEntry = nullptr;
    QAction* searchSeparator = nullptr;
    QAction* webSiteEntry = nullptr;
    QAction* versionSeparator = nullptr;
    QAction* versionEntry = nullptr;

    // Set by the abort button, tested by the create command.
    bool abortPending = false;
    // How long (ms) the hand-over of a finished list to the pane works
    // between two turns of the event loop.
    qint64 handOverTurnInterval = ListTurnInterval;
    // The text of the last failure report or abort message.
    std::string lastReportText;
    // The file list's include switches; hidden and system follow the marks
    // of their menu entries.
    IncludeSwitches includeSwitches;
    // The encoding the save dialog offers first: the last one saved with.
    TextEncoding saveEncoding = TextEncoding::Utf8;

    // The file object the pane's actions open, print and trash through.
    FileInfo& fileObject() { return *fileObject_; }
    MessagePresenter& presenter() { return *presenter_; }
    double twipsPerPixel() const { return twipsPerPixel_; }
    int toPixels(double twips) const;
    double toTwips(int pixels) const;

    // The check box of a check box row; null for another row.
    ValueCheckBox* checkBoxFor(SettingRow row) const;
    // The widget a group's controls stand in: its frame, or the page or
    // the window's area for a group without one.
    QWidget* groupWidget(OptionGroup group) const;
    // The controls of a row that Tab stops at, in order: the size unit's
    // three buttons, the separator's box, else the row's own control.
    std::vector<QWidget*> tabStopsOf(const SettingDefinition& row) const;

    // The options of a list as the controls show them; an empty pattern box
    // becomes "*.*", in the box too.
    ListOptions readListOptions();

    // Shows `failure` with the common report (nothing for number 0).
    void showFailure(const Failure& failure);

    // Makes the list of the folder shown with the current options and
    // appends its comparison with the list saved in `path` to the pane; the
    // status bar shows the counts. A saved list that cannot be compared is
    // reported and nothing is made.
    void compareWithSavedList(const std::string& path);
    // Makes the list of the folder and options shown, as the create button
    // would, and writes it as a workbook to `path` (export/workbook_export.h)
    // instead of appending it to the pane; failures and the abort are shown
    // as the create button shows them.
    void saveListAsWorkbook(const std::string& path);

    // Writes all stored rows (on every way of closing).
    void storeSettingsOnClose();

    // ListHost.
    // Switches between idle (true) and making a list (false).
    void enableControls(bool idle) override;
    RootChoice readRoot() override;
    ListOptions readOptions() override { return readListOptions(); }
    void yield() override;
    bool abortRequested() const override { return abortPending; }
    void clearAbortRequest() override { abortPending = false; }
    bool quitRequested() const override { return quitRequested_; }
    void setStatus(int panel, const std::string& text) override;
    void reportFailure(const Failure& failure) override { showFailure(failure); }
    void reportAbort(const std::string& text, const std::string& title) override;
    void noteSkippedFolders(const std::vector<Failure>& skipped) override;
    void noteAfterList(const std::string& text) override;
    Status acceptList(ListText& list) override;
    void showListTotals(const std::string& text) override;
    void beep() override;

public slots:
    void onCreateClicked();
    void onAbortClicked();
    void onDriveChanged();
    // Closes the window, which stores the settings (connected to "終了(&X)").
    void onExitChosen();
    // A click on the entry: the mark flips and the file list's switch
    // follows it (the menu's own trigger does the same).
    void onHiddenEntryClicked();
    void onSystemEntryClicked();
    void onTabChosen();
    void onSizeColumnClicked();
    void onInsertPathLineClicked();
    void onPathColumnClicked();
    void onShortNameClicked();
    void onShortPathClicked();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One turn of the event loop, whenever asked.
    void turnEventLoop();
    // Whether the folder the tree shows is still there; reports it when not.
    bool folderStillShown();
    // With `workbook`, the list goes to that workbook file.
    void runCreateCommandWith(ListHost& host, const std::string* workbook = nullptr);
    void buildControls();
    void buildColumnsPage();
    void buildOutputPage();
    void buildCommandRowOptions();
    // The widgets that stand for `row` in `parent`, one per row of its
    // group, its kind telling what they are.
    std::vector<QWidget*> makeOptionControls(const SettingDefinition& row, QWidget* parent);
    void buildMenus();
    void connectActions();
    void orderTabStops();
    void keepTabOnFrontPage();
    void placeBottomControls();
    void fitOuterSize();
    void loadWindow();
    void loadSettings();
    Status saveSettings();
    Status applySetting(SettingRow row, const SettingValue& value);
    SettingValue currentSetting(SettingRow row) const;
    QAction* menuItemFor(SettingRow row) const;
    std::string currentDrive() const;
    std::string driveOfFolder(const std::string& folder) const;
    void selectDrive(const std::string& drive);
    void alignDriveWithFolder();
    void followFolder();

    MainWindowServices services_;
    std::shared_ptr<MessagePresenter> presenter_;
    std::unique_ptr<FileInfo> fileObject_;
    double twipsPerPixel_ = 15.0;
    bool running_ = false;
    bool quitRequested_ = false;
    QElapsedTimer sinceYield_;
    // The settings file could not be read at start: it is not written.
    bool keepStoredSettings_ = false;
    std::string notesAfterList_; // appended after the list of the current run
};

} // namespace kestro
