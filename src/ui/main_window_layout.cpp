// MainWindow's controls and menus: where each one stands (in twips) and its
// caption. The option controls are built from the option table
// (main_window_options.cpp).

#include "ui/folder_tree.h"
#include "ui/list_pane_editor.h"
#include "ui/main_window.h"
#include "ui/twips.h"
#include "ui/value_check_box.h"
#include "ui/window_fonts.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>

#include <algorithm>

namespace kestro {

namespace {

// A window with a fixed border: a 3-pixel border around it and a caption
// bar of 20 pixels above, at 15 twips per pixel. Used until the window
// system tells the real frame.
constexpr int AssumedBorderTwips = 45;
constexpr int AssumedCaptionTwips = 300;

// Object names of the two option pages, in tab order.
constexpr const char* TabPageNames[] = {"columnsPage", "outputPage"};

// Left column: drive list, folder list, pattern box.
constexpr int ColumnLeft = 90;
constexpr int ColumnWidth = 2190;
constexpr int DriveTop = 90;
constexpr int DriveHeight = 330;
constexpr int FolderTreeTop = 480;
constexpr int FolderTreeHeight = 2370;
constexpr int PatternTop = 2955;
constexpr int PatternHeight = 315;

// Tab strip, right of the column; its pages end above the command row.
constexpr int StripLeft = 2400;
constexpr int StripTop = 60;
constexpr int StripWidth = 4740;
constexpr int StripBottom = 2910;

// Command row.
constexpr int ButtonTop = 2970;
constexpr int ButtonWidth = 855;
constexpr int ButtonHeight = 280;
constexpr int ButtonGap = 60;

// The list pane starts below the row and runs to the status bar.
constexpr int PaneTop = 3345;
constexpr int ThinStripHeight = 30;

} // namespace

int MainWindow::toPixels(double twips) const {
    return twipsToPixels(twips, twipsPerPixel_);
}

double MainWindow::toTwips(int pixels) const {
    return pixelsToTwips(pixels, twipsPerPixel_);
}

void MainWindow::buildControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralArea"));
    setCentralWidget(central);
    central->installEventFilter(this);

    auto place = [this](QWidget* widget, int left, int top, int width, int height) {
        widget->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
    };
    auto named = [](QObject* object, const char* name) { object->setObjectName(name); };

    // The etched separator under the menu bar.
    menuRuleUpper = new QFrame(central);
    menuRuleLower = new QFrame(central);
    named(menuRuleUpper, "menuRuleUpper");
    named(menuRuleLower, "menuRuleLower");
    for (QFrame* line : {menuRuleUpper, menuRuleLower}) {
        line->setAutoFillBackground(true);
        line->setFrameShape(QFrame::NoFrame);
    }
    menuRuleUpper->setBackgroundRole(QPalette::Light);
    menuRuleLower->setBackgroundRole(QPalette::Dark);

    // Left column.
    driveList = new QComboBox(central);
    named(driveList, "driveList");
    place(driveList, ColumnLeft, DriveTop, ColumnWidth, DriveHeight);
    folderTree = new FolderTree(central);
    named(folderTree, "folderTree");
    place(folderTree, ColumnLeft, FolderTreeTop, ColumnWidth, FolderTreeHeight);
    patternBox = new QLineEdit(QStringLiteral("*.*"), central);
    named(patternBox, "patternBox");
    patternBox->setToolTip(QStringLiteral("ｾﾐｺﾛﾝ(;) で区切れば複数指定可能です"));
    place(patternBox, ColumnLeft, PatternTop, ColumnWidth, PatternHeight);

    // Tab strip: the tabs, a panel under them, and the two page frames
    // stacked on the panel's client area.
    tabStrip = new QTabBar(central);
    named(tabStrip, "tabStrip");
    tabStrip->setDrawBase(false);
    tabStrip->setExpanding(false);
    tabStrip->addTab(QStringLiteral("出力項目"));
    tabStrip->addTab(QStringLiteral("出力設定"));
    const int tabsHeight = tabStrip->sizeHint().height();
    tabStrip->setGeometry(toPixels(StripLeft) + 2, toPixels(StripTop), toPixels(StripWidth) - 4,
                          tabsHeight);
    auto* stripPanel = new QFrame(central);
    named(stripPanel, "tabStripPanel");
    stripPanel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    const int panelTop = toPixels(StripTop) + tabsHeight - 1;
    stripPanel->setGeometry(toPixels(StripLeft), panelTop, toPixels(StripWidth),
                            toPixels(StripBottom) - panelTop);
    stripPanel->lower();
    const QRect pageRect = stripPanel->contentsRect().adjusted(1, 1, -1, -1);
    for (int i = 0; i < 2; ++i) {
        tabPages[i] = new QFrame(stripPanel);
        tabPages[i]->setObjectName(QString::fromLatin1(TabPageNames[i]));
        tabPages[i]->setFrameShape(QFrame::NoFrame);
        // The front page hides the one behind it.
        tabPages[i]->setAutoFillBackground(true);
        tabPages[i]->setGeometry(pageRect);
    }

    buildColumnsPage();
    buildOutputPage();

    // Command row.
    auto button = [&](const char* name, const char* caption, int left) {
        auto* pushButton = new QPushButton(QString::fromUtf8(caption), central);
        named(pushButton, name);
        place(pushButton, left, ButtonTop, ButtonWidth, ButtonHeight);
        return pushButton;
    };
    createButton = button("createButton", "作成", StripLeft);
    copyButton = button("copyButton", "ｺﾋﾟｰ", StripLeft + ButtonWidth + ButtonGap);
    clearButton = button("clearButton", "ｸﾘｱ", StripLeft + 2 * (ButtonWidth + ButtonGap));
    abortButton = button("abortButton", "中止", 0);
    abortButton->hide();
    buildCommandRowOptions();

    // The list pane.
    listPane = makeListPane(central);
    named(listPane, "listPane");
    statusRule = new QFrame(central);
    named(statusRule, "statusRule");
    statusRule->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    // Status bar with its two panels.
    statusPanelBar = new QStatusBar(this);
    named(statusPanelBar, "statusPanelBar");
    statusPanelBar->setSizeGripEnabled(false);
    statusPanelBar->setFont(captionFont());
    for (int i = 0; i < 2; ++i) {
        statusPanels[i] = new QLabel(statusPanelBar);
        statusPanels[i]->setObjectName(QStringLiteral("statusPanel%1").arg(i + 1));
        statusPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusPanels[i]->setTextFormat(Qt::PlainText);
    }
    statusPanels[0]->setFixedWidth(toPixels(2400));
    statusPanelBar->addWidget(statusPanels[0]);
    statusPanelBar->addWidget(statusPanels[1], 1);
    setStatusBar(statusPanelBar);

    // The controls the window's own rules reach.
    pathColumnCheck = checkBoxFor(SettingRow::PathColumn);
    shortPathCheck = checkBoxFor(SettingRow::ShortPath);
    upperCaseFolderCheck = checkBoxFor(SettingRow::UpperCaseFolder);
    halfWidthFolderCheck = checkBoxFor(SettingRow::HalfWidthFolder);
    joinPathAndNameCheck = checkBoxFor(SettingRow::JoinPathAndName);
    shortNameCheck = checkBoxFor(SettingRow::ShortName);
    upperCaseNameCheck = checkBoxFor(SettingRow::UpperCaseName);
    sizeColumnCheck = checkBoxFor(SettingRow::SizeColumn);
    insertPathLineCheck = checkBoxFor(SettingRow::InsertPathLine);
    dropDriveCheck = checkBoxFor(SettingRow::DropDrive);
    subFoldersCheck = checkBoxFor(SettingRow::SubFolders);
    orderTabStops();
}

// The row's check boxes stand at its right end, from right to left.
void MainWindow::buildCommandRowOptions() {
    int right = toPixels(StripLeft + StripWidth);
    for (const SettingDefinition* row : rowsOn(OptionPage::Window)) {
        if (row->place.group != OptionGroup::CommandRow)
            continue;
        for (QWidget* control : makeOptionControls(*row, centralWidget())) {
            const int width = control->sizeHint().width() + 4;
            control->setGeometry(right - width, toPixels(ButtonTop), width, toPixels(ButtonHeight));
            right -= width;
        }
    }
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    auto entry = [](QMenu* menu, const char* name, const char* caption) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(name);
        return action;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* action = menu->addSeparator();
        action->setObjectName(name);
        return action;
    };

    fileMenu = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    fileMenu->setObjectName("fileMenu");
    openEntry = entry(fileMenu, "openEntry", "ﾌｧｲﾙを開く(&O)...");
    compareEntry = entry(fileMenu, "compareEntry", "一覧と比較(&C)...");
    openSeparator = separator(fileMenu, "openSeparator");
    saveEntry = entry(fileMenu, "saveEntry", "上書き保存(&S)");
    saveAsEntry = entry(fileMenu, "saveAsEntry", "名前を付けて保存(&A)...");
    printSeparator = separator(fileMenu, "printSeparator");
    printEntry = entry(fileMenu, "printEntry", "印刷(&P)...");
    printEntry->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    pdfEntry = entry(fileMenu, "pdfEntry", "PDF に保存...");
    exitSeparator = separator(fileMenu, "exitSeparator");
    exitEntry = entry(fileMenu, "exitEntry", "終了(&X)");

    settingsMenu = bar->addMenu(QStringLiteral("設定(&S)"));
    settingsMenu->setObjectName("settingsMenu");
    listedFilesMenu = settingsMenu->addMenu(QStringLiteral("出力対象ﾌｧｲﾙ(&F)"));
    listedFilesMenu->setObjectName("listedFilesMenu");
    readOnlyEntry = entry(listedFilesMenu, "readOnlyEntry", "読み取り専用(&R)");
    archiveEntry = entry(listedFilesMenu, "archiveEntry", "ｱｰｶｲﾌﾞ(&C)");
    hiddenEntry = entry(listedFilesMenu, "hiddenEntry", "隠しﾌｧｲﾙ(&D)");
    systemEntry = entry(listedFilesMenu, "systemEntry", "ｼｽﾃﾑ(&S)");
    for (QAction* target : {readOnlyEntry, archiveEntry, hiddenEntry, systemEntry})
        target->setCheckable(true);
    // Read-only and archive files are always listed.
    readOnlyEntry->setVisible(false);
    archiveEntry->setVisible(false);
    skipUnreadableEntry =
        entry(settingsMenu, "skipUnreadableEntry", "読めないﾌｫﾙﾀﾞを除いて続ける(&U)");
    skipUnreadableEntry->setCheckable(true);

    editMenu = bar->addMenu(QStringLiteral("編集(&E)"));
    editMenu->setObjectName("editMenu");
    const char* editCaptions[] = {nullptr,        "元に戻す(&Z)", nullptr,
                                  "切り取り(&X)", "ｺﾋﾟｰ(&C)",     "張り付け(&V)",
                                  "削除(&D)",     nullptr,        "すべて選択(&A)"};
    const char* editNames[] = {nullptr,       "undoEntry",          "undoSeparator",
                               "cutEntry",    "copyEntry",          "pasteEntry",
                               "deleteEntry", "selectAllSeparator", "selectAllEntry"};
    for (int i = 1; i <= 8; ++i) {
        editEntries[i] = editCaptions[i] ? entry(editMenu, editNames[i], editCaptions[i])
                                         : separator(editMenu, editNames[i]);
    }
    editEntries[1]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    editEntries[8]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));

    helpMenu = bar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    helpMenu->setObjectName("helpMenu");
    helpContentsEntry = entry(helpMenu, "helpContentsEntry", "Kestro ﾍﾙﾌﾟ(&F)");
    helpContentsEntry->setShortcut(QKeySequence(Qt::Key_F1));
    helpSearchEntry = entry(helpMenu, "helpSearchEntry", "ﾄﾋﾟｯｸの検索(&S)...");
    searchSeparator = separator(helpMenu, "searchSeparator");
    webSiteEntry = entry(helpMenu, "webSiteEntry", "WebSite(&W)");
    versionSeparator = separator(helpMenu, "versionSeparator");
    versionEntry = entry(helpMenu, "versionEntry", "ﾊﾞｰｼﾞｮﾝ情報(&V)...");
}

void MainWindow::placeBottomControls() {
    QWidget* central = centralWidget();
    const int lineEnd = toPixels(OuterWidthTwips - 150);
    menuRuleUpper->setGeometry(0, 0, lineEnd, 1);
    menuRuleLower->setGeometry(0, 1, lineEnd, 1);
    const int thin = std::max(1, toPixels(ThinStripHeight));
    const int paneTop = toPixels(PaneTop);
    const int bottom = central->height();
    statusRule->setGeometry(0, bottom - thin, central->width(), thin);
    listPane->setGeometry(0, paneTop, central->width(), std::max(0, bottom - thin - paneTop));
}

void MainWindow::fitOuterSize() {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    int left = inner.left() - outer.left();
    int top = inner.top() - outer.top();
    int right = outer.right() - inner.right();
    int bottom = outer.bottom() - inner.bottom();
    if (left == 0 && top == 0 && right == 0 && bottom == 0) {
        left = right = bottom = toPixels(AssumedBorderTwips);
        top = toPixels(AssumedBorderTwips + AssumedCaptionTwips);
    }
    const QSize client(toPixels(OuterWidthTwips) - left - right,
                       toPixels(OuterHeightTwips) - top - bottom);
    if (client != size() || minimumSize() != maximumSize())
        setFixedSize(client);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        placeBottomControls();
    return QMainWindow::eventFilter(watched, event);
}

} // namespace kestro
