#pragma once

// Form1: the program's one main window. It holds the folder choice, the
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
// Controls and menu entries are public under their own names (also their
// object names) so that the document, edit and help commands can be
// connected to them. Entries and buttons whose commands live elsewhere are
// present here without an action.

#include "fileinfo/file_info.h"
#include "listgen/list_host.h"
#include "platform/failure.h"
#include "platform/folder.h"
#include "settings/persisted_settings.h"
#include "ui/message_presenter.h"

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
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabBar;

namespace kestro {

class FolderTree;
class ValueCheckBox;

// What the window uses from outside; an empty member takes the program's
// own (message boxes, the platform's drives).
struct Form1Services {
    std::shared_ptr<MessagePresenter> presenter;
    std::function<std::vector<std::string>()> listDrives;
    // Whether a drive's root can be opened; fails with 68 for a drive that
    // is not there.
    std::function<Status(const std::string& drive)> openDriveRoot;
};

class Form1 : public QMainWindow, public ListHost {
    Q_OBJECT

public:
    // The window's outer size in twips.
    static constexpr int OuterWidthTwips = 7335;
    static constexpr int OuterHeightTwips = 7305;

    explicit Form1(Form1Services services = {}, QWidget* parent = nullptr);
    ~Form1() override;

    // Folder choice and patterns.
    QComboBox* Drive1 = nullptr;
    FolderTree* Dir1 = nullptr;
    QLineEdit* Text2 = nullptr;

    // Tab strip with its two overlapping page frames; the selected page is
    // in front.
    QTabBar* TabStrip1 = nullptr;
    std::array<QFrame*, 2> Edit{};

    // Page "出力項目".
    QGroupBox* Frame3 = nullptr; // path options, titled by chkPath
    ValueCheckBox* chkPath = nullptr;
    ValueCheckBox* chkShortPath = nullptr;
    ValueCheckBox* chkDirLarge = nullptr;
    ValueCheckBox* chkDirHalf = nullptr;
    ValueCheckBox* chkDiv = nullptr;
    QGroupBox* Frame4 = nullptr; // file name
    ValueCheckBox* chkDelKaku = nullptr;
    ValueCheckBox* chkShort = nullptr;
    ValueCheckBox* chkFNameLarge = nullptr;
    ValueCheckBox* chkFNameHalf = nullptr;
    QGroupBox* Frame2 = nullptr; // size, titled by chkFileSize
    ValueCheckBox* chkFileSize = nullptr;
    std::array<QRadioButton*, 3> optByte{};
    QGroupBox* Frame1 = nullptr; // time stamps
    ValueCheckBox* chkTimeMake = nullptr;
    ValueCheckBox* chkTimeRenew = nullptr;
    ValueCheckBox* chkTimeAccess = nullptr;
    ValueCheckBox* Check1 = nullptr; // extension column
    ValueCheckBox* chkAttribute = nullptr;
    ValueCheckBox* chkFileType = nullptr;

    // Page "出力設定".
    ValueCheckBox* chkInsPath = nullptr;
    ValueCheckBox* chkDirDelDrive = nullptr;
    ValueCheckBox* chkTabs = nullptr;
    QGroupBox* Frame5 = nullptr; // separator
    QComboBox* Combo1 = nullptr;

    // Command row.
    QPushButton* Command1 = nullptr; // create
    QPushButton* Command2 = nullptr; // copy
    QPushButton* Command3 = nullptr; // clear
    QPushButton* Command5 = nullptr; // abort, in Command1's place
    ValueCheckBox* chkSub = nullptr;

    // The list pane and the status bar with its two panels.
    QPlainTextEdit* Text1 = nullptr;
    QStatusBar* SBar = nullptr;
    std::array<QLabel*, 2> SBarPanel{}; // panels 1 and 2
    QFrame* StatusBar1 = nullptr;       // thin strip above the status bar
    QFrame* Line1 = nullptr;            // etched separator under the menu bar
    QFrame* Line2 = nullptr;

    // Menus.
    QMenu* mnuFile = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileBar2 = nullptr;
    QAction* mnuFileSave = nullptr;
    QAction* mnuFileSaveAs = nullptr;
    QAction* mnuFileBar1 = nullptr;
    QAction* mnuFileExit = nullptr;
    QMenu* mnuSet = nullptr;
    QMenu* mnuSetFile = nullptr;
    QAction* mnuSetReadOnly = nullptr; // never shown
    QAction* mnuSetArchive = nullptr;  // never shown
    QAction* mnuSetHidden = nullptr;
    QAction* mnuSetSystem = nullptr;
    // Folders that cannot be read are left out and named after the list,
    // instead of ending the run.
    QAction* mnuSetSkipUnreadable = nullptr;
    QMenu* mnuEdit = nullptr;
    std::array<QAction*, 9> mnuEditItem{}; // 1 to 8; 2 and 7 are separators
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpHelp = nullptr;
    QAction* mnuHelpSerch = nullptr;
    QAction* mnuHelpBar2 = nullptr;
    QAction* mnuHelpWeb = nullptr;
    QAction* mnuHelpBar1 = nullptr;
    QAction* mnuHelpVer = nullptr;

    // Set by the abort button, tested by the create command.
    bool AbortRequested = false;
    // The text of the last failure report or abort message.
    std::string ReportText;
    // The file list's include switches; hidden and system follow the marks
    // of their menu entries.
    IncludeSwitches File1;

    FileInfo& fileObject() { return *fileObject_; }
    MessagePresenter& presenter() { return *presenter_; }
    double twipsPerPixel() const { return twipsPerPixel_; }
    int toPixels(double twips) const;
    double toTwips(int pixels) const;

    // Switches between idle (true) and making a list (false).
    void EnableControls(bool on);

    // The options of a list as the controls show them; an empty pattern box
    // becomes "*.*", in the box too.
    ListOptions readListOptions();

    // Shows `failure` with the common report (nothing for number 0).
    void showFailure(const Failure& failure);

    // Writes all stored rows (on every way of closing).
    void Form_QueryUnload();

    // ListHost.
    void enableControls(bool idle) override { EnableControls(idle); }
    RootChoice readRoot() override;
    ListOptions readOptions() override { return readListOptions(); }
    void yield() override;
    bool abortRequested() const override { return AbortRequested; }
    void clearAbortRequest() override { AbortRequested = false; }
    bool quitRequested() const override { return quitRequested_; }
    void setStatus(int panel, const std::string& text) override;
    void reportFailure(const Failure& failure) override { showFailure(failure); }
    void reportAbort(const std::string& text, const std::string& title) override;
    void noteSkippedFolders(const std::vector<Failure>& skipped) override;
    Status acceptList(ListText& list) override;
    void beep() override;

public slots:
    void Command1_Click();
    void Command5_Click();
    void Drive1_Change();
    // Closes the window, which stores the settings (connected to "終了(&X)").
    void mnuFileExit_Click();
    // A click on the entry: the mark flips and the file list's switch
    // follows it (the menu's own trigger does the same).
    void mnuSetHidden_Click();
    void mnuSetSystem_Click();
    void TabStrip1_Click();
    void chkFileSize_Click();
    void chkInsPath_Click();
    void chkPath_Click();
    void chkShort_Click();
    void chkShortPath_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void connectActions();
    void orderTabStops();
    void keepTabOnFrontPage();
    void placeBottomControls();
    void fitOuterSize();
    void Form_Load();
    void loadSettings();
    Status saveSettings();
    Status applySetting(SettingRow row, const SettingValue& value);
    SettingValue currentSetting(SettingRow row) const;
    ValueCheckBox* checkBoxFor(SettingRow row) const;
    QAction* menuItemFor(SettingRow row) const;
    std::string currentDrive() const;
    std::string driveOfFolder(const std::string& folder) const;
    void selectDrive(const std::string& drive);
    void alignDriveWithFolder();
    void followFolder();

    Form1Services services_;
    std::shared_ptr<MessagePresenter> presenter_;
    std::unique_ptr<FileInfo> fileObject_;
    double twipsPerPixel_ = 15.0;
    bool running_ = false;
    bool quitRequested_ = false;
    // The settings file could not be read at start: it is not written.
    bool keepStoredSettings_ = false;
    std::string skippedNote_; // appended after the list of the current run
};

} // namespace kestro
