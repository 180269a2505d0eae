#include "ui/form1.h"

#include "listgen/name_helpers.h"

#include "listgen/error_report.h"
#include "listgen/list_engine.h"
#include "platform/drives.h"
#include "platform/program_paths.h"
#include "ui/folder_tree.h"
#include "ui/twips.h"
#include "ui/value_check_box.h"
#include "ui/window_fonts.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTextDocument>

namespace kestro {

namespace {

QString uiText(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

Form1::Form1(Form1Services services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)) {
    presenter_ = services_.presenter ? services_.presenter : makeMessageBoxPresenter();
    if (!services_.listDrives)
        services_.listDrives = [] { return listDrives(); };
    if (!services_.openDriveRoot)
        services_.openDriveRoot = [](const std::string& drive) { return openDriveRoot(drive); };
    if (QScreen* shown = screen())
        twipsPerPixel_ = kestro::twipsPerPixel(shown->logicalDotsPerInch());

    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // Captions, menus and message boxes share the window's font.
    setAttribute(Qt::WA_WindowPropagation);
    setFont(captionFont());

    buildControls();
    buildMenus();
    Form_Load();

    // The session is ending: store the settings as a close would.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] {
        (void)Dir1->followRemoval();
        Form_QueryUnload();
    });
}

Form1::~Form1() = default;

void Form1::connectActions() {
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Drive1, &QComboBox::currentIndexChanged, this, &Form1::Drive1_Change);
    connect(Dir1, &FolderTree::pathChanged, this, &Form1::followFolder);
    connect(mnuFileExit, &QAction::triggered, this, &Form1::mnuFileExit_Click);
    // The switches follow the marks, however a mark changes.
    connect(mnuSetHidden, &QAction::toggled, this, [this](bool on) { File1.hidden = on; });
    connect(mnuSetSystem, &QAction::toggled, this, [this](bool on) { File1.system = on; });
    connect(TabStrip1, &QTabBar::currentChanged, this, &Form1::TabStrip1_Click);
    // A click on the tab already selected brings its page to the front too.
    connect(TabStrip1, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index == TabStrip1->currentIndex())
            TabStrip1_Click();
    });
    connect(chkFileSize, &QCheckBox::stateChanged, this, &Form1::chkFileSize_Click);
    connect(chkInsPath, &QCheckBox::stateChanged, this, &Form1::chkInsPath_Click);
    connect(chkPath, &QCheckBox::stateChanged, this, &Form1::chkPath_Click);
    connect(chkShort, &QCheckBox::stateChanged, this, &Form1::chkShort_Click);
    connect(chkShortPath, &QCheckBox::stateChanged, this, &Form1::chkShortPath_Click);
}

// Set-up, in the order the window has always used; every value assigned
// while loading the settings runs its control's action.
void Form1::Form_Load() {
    fileObject_ = std::make_unique<FileInfo>();
    fileObject_->setMessageSink([this](const std::string& text, const std::string& title) {
        presenter_->showMessage(this, uiText(text), uiText(title), MessageIcon::None);
    });
    Text1->clear();
    fitOuterSize();
    setWindowTitle(QStringLiteral("Kestro - [新規]"));
    Command5->setGeometry(Command1->geometry());
    placeBottomControls();
    TabStrip1->setCurrentIndex(0);
    Edit[0]->raise();
    keepTabOnFrontPage();
    Combo1->addItem(QString::fromUtf8(SeparatorTabChoice.data(), SeparatorTabChoice.size()));
    Combo1->addItem(
        QString::fromUtf8(SeparatorSemicolonChoice.data(), SeparatorSemicolonChoice.size()));
    Combo1->addItem(QString::fromUtf8(SeparatorBarChoice.data(), SeparatorBarChoice.size()));
    Combo1->setCurrentIndex(0);

    // The folder controls start in the program's folder, until the stored
    // one is known.
    for (const std::string& drive : services_.listDrives())
        Drive1->addItem(pathText(drive));
    (void)Dir1->setPath(programFolder());
    alignDriveWithFolder();

    connectActions();
    loadSettings();
}

void Form1::mnuFileExit_Click() {
    close();
}

bool Form1::event(QEvent* event) {
    // The window system tells the real frame only once the window is shown.
    if (event->type() == QEvent::Show || event->type() == QEvent::Move)
        fitOuterSize();
    return QMainWindow::event(event);
}

void Form1::closeEvent(QCloseEvent* event) {
    // A folder that went away is not stored; the folder shown is.
    (void)Dir1->followRemoval();
    Form_QueryUnload();
    // A list being made stops at its next turn of the event loop.
    if (running_)
        quitRequested_ = true;
    event->accept();
}

// ---- The create command ----------------------------------------------------

void Form1::Command1_Click() {
    if (running_)
        return;
    // The folder shown is the folder listed: one that went away since it
    // was chosen is reported, and the tree now shows the parent that is
    // left, for the next press.
    if (const auto vanished = Dir1->followRemoval()) {
        showFailure(makeFailure(failure::PathNotFound, withTrailingSeparator(*vanished)));
        return;
    }
    running_ = true;
    const RunOutcome outcome = runCreateCommand(*this);
    running_ = false;
    if (outcome == RunOutcome::Quit)
        QCoreApplication::quit();
}

void Form1::Command5_Click() {
    AbortRequested = true;
}

void Form1::EnableControls(bool on) {
    Command1->setVisible(on);
    Command5->setVisible(!on);
    Command2->setEnabled(on);
    Command3->setEnabled(on);
    TabStrip1->setEnabled(on);
    Edit[0]->setEnabled(on);
    Edit[1]->setEnabled(on);
    chkSub->setEnabled(on);
    Text1->setEnabled(on);
    Text2->setEnabled(on);
    Dir1->setEnabled(on);
    Drive1->setEnabled(on);
    for (QMenu* menu : {mnuFile, mnuSet, mnuEdit, mnuHelp})
        menu->menuAction()->setEnabled(on);
}

RootChoice Form1::readRoot() {
    return RootChoice{withTrailingSeparator(Dir1->path()), subFoldersFromCheckBox(chkSub->Value())};
}

ListOptions Form1::readListOptions() {
    if (Text2->text().isEmpty())
        Text2->setText(QStringLiteral("*.*"));
    ListOptions options;
    options.RootFolder = withTrailingSeparator(Dir1->path());
    options.SubFolders = subFoldersFromCheckBox(chkSub->Value());
    options.Patterns = Text2->text().toStdString();
    options.IncludeReadOnly = File1.readOnly;
    options.IncludeArchive = File1.archive;
    options.IncludeHidden = File1.hidden;
    options.IncludeSystem = File1.system;
    options.Separator = resolveSeparator(Combo1->currentText().toStdString());
    options.PathColumn = isTicked(chkPath->Value());
    options.JoinPathAndName = isTicked(chkDiv->Value());
    options.ShortPath = isTicked(chkShortPath->Value());
    options.DirHalf = isTicked(chkDirHalf->Value());
    options.DirLarge = isTicked(chkDirLarge->Value());
    options.ShortName = isTicked(chkShort->Value());
    options.FNameLarge = isTicked(chkFNameLarge->Value());
    options.FNameHalf = isTicked(chkFNameHalf->Value());
    options.DropExtension = isTicked(chkDelKaku->Value());
    options.DropDrive = isTicked(chkDirDelDrive->Value());
    options.ExtensionColumn = isTicked(Check1->Value());
    options.SizeColumn = isTicked(chkFileSize->Value());
    options.SizeUnit = 0;
    for (int i = 0; i < 3; ++i) {
        if (optByte[i]->isChecked()) {
            options.SizeUnit = i;
            break;
        }
    }
    options.AttributeColumn = isTicked(chkAttribute->Value());
    options.FileTypeColumn = isTicked(chkFileType->Value());
    options.CreationTimeColumn = isTicked(chkTimeMake->Value());
    options.WriteTimeColumn = isTicked(chkTimeRenew->Value());
    options.AccessTimeColumn = isTicked(chkTimeAccess->Value());
    options.LeadingTab = isTicked(chkTabs->Value());
    options.InsertPathLine = isTicked(chkInsPath->Value());
    options.SkipUnreadable = mnuSetSkipUnreadable->isChecked();
    return options;
}

void Form1::yield() {
    QCoreApplication::processEvents();
}

void Form1::setStatus(int panel, const std::string& text) {
    if (panel >= 1 && panel <= 2)
        SBarPanel[panel - 1]->setText(uiText(text));
}

void Form1::showFailure(const Failure& failure) {
    if (failure.number == 0)
        return;
    ReportText = kestro::ReportText(failure);
    presenter_->showMessage(this, uiText(ReportText), QString::fromUtf8(ReportTitle),
                            MessageIcon::Warning);
}

void Form1::reportAbort(const std::string& text, const std::string& title) {
    ReportText = text;
    presenter_->showMessage(this, uiText(ReportText), uiText(title), MessageIcon::Critical);
}

void Form1::noteSkippedFolders(const std::vector<Failure>& skipped) {
    // A note after the list, in the list's own line ends, naming each
    // folder once.
    skippedNote_ = "\r\n";
    skippedNote_ += SkippedFoldersNote;
    skippedNote_ += "\r\n";
    for (const Failure& failure : skipped) {
        skippedNote_ += "ｴﾗｰ番号 " + std::to_string(failure.number) + " ";
        appendShowingControls(skippedNote_, failure.description);
        skippedNote_ += "\r\n";
    }
}

Status Form1::acceptList(ListText& list) {
    const std::string note = std::move(skippedNote_);
    skippedNote_.clear();
    // Read the whole list before touching the pane, so that a read failure
    // leaves it as it was.
    std::string bytes;
    bytes.reserve(list.size());
    for (;;) {
        auto block = list.nextBlock(std::size_t{1} << 20);
        if (!block)
            return block.failure();
        if (block.value().empty())
            break;
        bytes.append(block.value());
    }
    bytes += note;
    // The pane keeps lines, not line ends.
    QString added = QString::fromUtf8(bytes);
    added.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QString text = Text1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text += added;
    Text1->setPlainText(text);
    return Ok{};
}

void Form1::beep() {
    presenter_->beep();
}

// ---- Folder navigation -------------------------------------------------------

std::string Form1::currentDrive() const {
    return pathBytes(Drive1->currentText());
}

std::string Form1::driveOfFolder(const std::string& folder) const {
    std::vector<std::string> drives;
    for (int i = 0; i < Drive1->count(); ++i)
        drives.push_back(pathBytes(Drive1->itemText(i)));
    const std::string drive = driveAmong(drives, folder);
    return drive.empty() ? driveOf(folder) : drive;
}

void Form1::selectDrive(const std::string& drive) {
    int index = Drive1->findText(pathText(drive), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        Drive1->addItem(pathText(drive));
        index = Drive1->count() - 1;
    }
    Drive1->setCurrentIndex(index);
}

void Form1::alignDriveWithFolder() {
    QSignalBlocker quiet(Drive1);
    selectDrive(driveOfFolder(Dir1->path()));
}

// The drive list shows the drive of the folder shown, however the folder
// changed: walked across a mount point, or moved up because its folder or
// its drive went away. The drives are looked up afresh, so a drive mounted
// or gone since start is seen.
void Form1::followFolder() {
    const std::vector<std::string> drives = services_.listDrives();
    QSignalBlocker quiet(Drive1);
    std::vector<std::string> shown;
    for (int i = 0; i < Drive1->count(); ++i)
        shown.push_back(pathBytes(Drive1->itemText(i)));
    if (shown != drives) {
        Drive1->clear();
        for (const std::string& drive : drives)
            Drive1->addItem(pathText(drive));
    }
    selectDrive(driveOfFolder(Dir1->path()));
}

void Form1::Drive1_Change() {
    const std::string drive = currentDrive();
    Status changed = services_.openDriveRoot(drive);
    if (changed)
        changed = Dir1->setPath(drive);
    if (changed)
        return;
    const Failure& failed = changed.failure();
    if (isSilentFailure(Command::DriveChange, failed.number)) {
        // Back to the drive of the folder still shown; that change runs
        // this action again for it.
        selectDrive(driveOfFolder(Dir1->path()));
        return;
    }
    showFailure(failed);
}

// ---- Option interlocks -------------------------------------------------------

void Form1::chkFileSize_Click() {
    const bool on = isTicked(chkFileSize->Value());
    for (QRadioButton* unit : optByte)
        unit->setEnabled(on);
}

void Form1::chkInsPath_Click() {
    chkDirDelDrive->setEnabled(isTicked(chkInsPath->Value()));
}

void Form1::chkPath_Click() {
    const bool on = isTicked(chkPath->Value());
    Frame3->setEnabled(on);
    chkDirLarge->setEnabled(on);
    chkDirHalf->setEnabled(on);
    chkShortPath->setEnabled(on);
    chkDiv->setEnabled(on);
}

void Form1::chkShort_Click() {
    chkFNameLarge->setEnabled(!isTicked(chkShort->Value()));
}

void Form1::chkShortPath_Click() {
    chkDirLarge->setEnabled(!isTicked(chkShortPath->Value()));
}

void Form1::mnuSetHidden_Click() {
    mnuSetHidden->setChecked(!mnuSetHidden->isChecked());
}

void Form1::mnuSetSystem_Click() {
    mnuSetSystem->setChecked(!mnuSetSystem->isChecked());
}

void Form1::TabStrip1_Click() {
    const QString caption = TabStrip1->tabText(TabStrip1->currentIndex());
    if (caption == QStringLiteral("出力項目"))
        Edit[0]->raise();
    else if (caption == QStringLiteral("出力設定"))
        Edit[1]->raise();
    keepTabOnFrontPage();
}

// The page behind stays shown under the front one, so the focus chain would
// still reach its controls: Tab would tick boxes the user cannot see. Its
// controls take no focus until their page comes to the front again.
void Form1::keepTabOnFrontPage() {
    constexpr const char* OwnPolicy = "kestroFocusPolicy";
    // Raising a page moves it to the end of its parent's children.
    const QObjectList stack = Edit[0]->parentWidget()->children();
    QWidget* front = stack.indexOf(Edit[0]) > stack.indexOf(Edit[1]) ? Edit[0] : Edit[1];
    QWidget* back = front == Edit[0] ? Edit[1] : Edit[0];
    for (QWidget* page : Edit) {
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
        TabStrip1->setFocus();
}

} // namespace kestro
