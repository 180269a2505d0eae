// MainWindow's controls and menus: where each one stands (in twips) and its
// caption.

#include "ui/folder_tree.h"
#include "ui/frame_box.h"
#include "ui/list_pane_editor.h"
#include "ui/main_window.h"
#include "ui/twips.h"
#include "ui/value_check_box.h"
#include "ui/window_fonts.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>

#include <algorithm>
#include <tuple>

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

// Rows of check boxes on the pages.
constexpr int RowHeight = 240;
constexpr int FrameWidth = 1650;
constexpr int FrameGap = 60;
constexpr int FrameInset = 90;

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
    auto checkBox = [&](QWidget* parent, const char* name, const char* caption) {
        auto* box = new ValueCheckBox(QString::fromUtf8(caption), parent);
        named(box, name);
        return box;
    };

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

    // Page 0: four frames in a two-by-two grid and a column of three boxes.
    // The path and size frames have no caption of their own: their check
    // boxes stand on the frame line where the other two show their captions.
    QWidget* page = tabPages[0];
    auto* nameFrame = new FrameBox(QStringLiteral("ﾌｧｲﾙ名"), page);
    fileNameFrame = nameFrame;
    timeFrame = new FrameBox(QStringLiteral("ﾀｲﾑｽﾀﾝﾌﾟ"), page);
    pathFrame = new FrameBox(page);
    sizeFrame = new FrameBox(page);
    named(fileNameFrame, "fileNameFrame");
    named(timeFrame, "timeFrame");
    named(pathFrame, "pathFrame");
    named(sizeFrame, "sizeFrame");

    const int rowHeight = toPixels(RowHeight);
    const int boxHalf = rowHeight / 2;
    const int frameWidth = toPixels(FrameWidth);
    const int leftFrameX = toPixels(FrameGap);
    const int middleFrameX = leftFrameX + frameWidth + toPixels(FrameGap);
    const int lineTop = nameFrame->lineTop();
    const int firstRow = nameFrame->contentTop();
    const QRect caption = nameFrame->captionPlace();
    const int upperHeight = firstRow + 4 * rowHeight + toPixels(90);
    const int lowerHeight = firstRow + 3 * rowHeight + toPixels(90);
    const int upperTop = std::max(toPixels(30), boxHalf - lineTop);
    const int lowerTop = upperTop + upperHeight + toPixels(FrameGap);
    for (auto [frame, x, y, height] :
         {std::tuple{pathFrame, leftFrameX, upperTop, upperHeight},
          std::tuple{fileNameFrame, middleFrameX, upperTop, upperHeight},
          std::tuple{sizeFrame, leftFrameX, lowerTop, lowerHeight},
          std::tuple{timeFrame, middleFrameX, lowerTop, lowerHeight}})
        frame->setGeometry(x, y, frameWidth, height);

    auto rowsIn = [&](QGroupBox* frame, std::initializer_list<QWidget*> rows) {
        int y = firstRow;
        for (QWidget* row : rows) {
            row->setGeometry(toPixels(FrameInset), y, frame->width() - toPixels(FrameInset) - 2,
                             rowHeight);
            y += rowHeight;
        }
    };
    // A check box on the line of a frame without a caption, in the
    // caption's place.
    auto captionBox = [&](ValueCheckBox* box, QGroupBox* frame) {
        box->setGeometry(frame->x() + caption.left(), frame->y() + lineTop - boxHalf,
                         box->sizeHint().width() + 2, rowHeight);
        box->setAutoFillBackground(true);
        box->raise();
    };

    shortPathCheck = checkBox(pathFrame, "shortPathCheck", "短いﾊﾟｽ");
    upperCaseFolderCheck = checkBox(pathFrame, "upperCaseFolderCheck", "大文字に変換");
    halfWidthFolderCheck = checkBox(pathFrame, "halfWidthFolderCheck", "半角に変換");
    joinPathAndNameCheck = checkBox(pathFrame, "joinPathAndNameCheck", "区切り文字なし");
    rowsIn(pathFrame,
           {shortPathCheck, upperCaseFolderCheck, halfWidthFolderCheck, joinPathAndNameCheck});
    pathColumnCheck = checkBox(page, "pathColumnCheck", "ﾊﾟｽ名");
    captionBox(pathColumnCheck, pathFrame);

    dropExtensionCheck = checkBox(fileNameFrame, "dropExtensionCheck", "拡張子を削除");
    shortNameCheck = checkBox(fileNameFrame, "shortNameCheck", "短い名前");
    upperCaseNameCheck = checkBox(fileNameFrame, "upperCaseNameCheck", "大文字に変換");
    halfWidthNameCheck = checkBox(fileNameFrame, "halfWidthNameCheck", "半角に変換");
    rowsIn(fileNameFrame,
           {dropExtensionCheck, shortNameCheck, upperCaseNameCheck, halfWidthNameCheck});

    const char* units[] = {"Byte", "KB", "MB"};
    for (int i = 0; i < 3; ++i) {
        sizeUnitButtons[i] = new QRadioButton(QString::fromUtf8(units[i]), sizeFrame);
        sizeUnitButtons[i]->setObjectName(QStringLiteral("sizeUnitButton%1").arg(i));
    }
    rowsIn(sizeFrame, {sizeUnitButtons[0], sizeUnitButtons[1], sizeUnitButtons[2]});
    sizeUnitButtons[0]->setChecked(true);
    sizeColumnCheck = checkBox(page, "sizeColumnCheck", "ﾌｧｲﾙｻｲｽﾞ");
    captionBox(sizeColumnCheck, sizeFrame);

    creationTimeCheck = checkBox(timeFrame, "creationTimeCheck", "作成日時");
    writeTimeCheck = checkBox(timeFrame, "writeTimeCheck", "更新日時");
    accessTimeCheck = checkBox(timeFrame, "accessTimeCheck", "アクセス日");
    rowsIn(timeFrame, {creationTimeCheck, writeTimeCheck, accessTimeCheck});

    extensionColumnCheck = checkBox(page, "extensionColumnCheck", "拡張子");
    attributeColumnCheck = checkBox(page, "attributeColumnCheck", "属性");
    fileTypeColumnCheck = checkBox(page, "fileTypeColumnCheck", "ﾌｧｲﾙﾀｲﾌﾟ");
    hashColumnCheck = checkBox(page, "hashColumnCheck", "ﾊｯｼｭ");
    hashAlgorithmBox = new QComboBox(page);
    named(hashAlgorithmBox, "hashAlgorithmBox");
    hashAlgorithmBox->addItems({QStringLiteral("SHA-256"), QStringLiteral("MD5")});
    {
        const int x = middleFrameX + frameWidth + toPixels(FrameGap + 30);
        int y = upperTop + firstRow;
        for (QWidget* box :
             {static_cast<QWidget*>(extensionColumnCheck),
              static_cast<QWidget*>(attributeColumnCheck),
              static_cast<QWidget*>(fileTypeColumnCheck), static_cast<QWidget*>(hashColumnCheck)}) {
            box->setGeometry(x, y, page->width() - x - 1, rowHeight);
            y += rowHeight;
        }
        // The algorithm under its check box, indented like a frame's rows
        // as far as the page leaves room for its longest name.
        const int indent = x + toPixels(FrameInset);
        const QSize hint = hashAlgorithmBox->sizeHint();
        const int right = page->width() - toPixels(FrameGap);
        const int left = std::max(0, std::min(indent, right - hint.width()));
        hashAlgorithmBox->setGeometry(left, y, std::max(right - left, hint.width()), hint.height());
    }

    // The initial enabled states are those of the interlocks for the
    // initial values: path and size clear.
    pathFrame->setEnabled(false);
    for (QWidget* box :
         {static_cast<QWidget*>(shortPathCheck), static_cast<QWidget*>(upperCaseFolderCheck),
          static_cast<QWidget*>(halfWidthFolderCheck), static_cast<QWidget*>(joinPathAndNameCheck)})
        box->setEnabled(false);
    for (QRadioButton* unit : sizeUnitButtons)
        unit->setEnabled(false);

    // Page 1: folder lines, leading tab, separator.
    page = tabPages[1];
    insertPathLineCheck = checkBox(page, "insertPathLineCheck", "ﾌｫﾙﾀﾞが変わるごとにﾊﾟｽを挿入する");
    dropDriveCheck = checkBox(page, "dropDriveCheck", "ﾄﾞﾗｲﾌﾞ名を削除");
    leadingTabCheck = checkBox(page, "leadingTabCheck", "ﾌｧｲﾙ名の先頭にﾀﾌﾞを入れる");
    const int settingsWidth = page->width() - toPixels(240);
    insertPathLineCheck->setGeometry(toPixels(120), toPixels(150), settingsWidth, rowHeight);
    dropDriveCheck->setGeometry(toPixels(420), toPixels(150) + rowHeight + toPixels(30),
                                settingsWidth - toPixels(300), rowHeight);
    leadingTabCheck->setGeometry(toPixels(120), toPixels(150) + 2 * rowHeight + toPixels(180),
                                 settingsWidth, rowHeight);
    insertPathLineCheck->setValue(1);
    separatorFrame = new FrameBox(QStringLiteral("区切り文字"), page);
    named(separatorFrame, "separatorFrame");
    separatorFrame->setGeometry(toPixels(120), leadingTabCheck->geometry().bottom() + toPixels(180),
                                toPixels(2400), firstRow + toPixels(330 + 120));
    separatorBox = new QComboBox(separatorFrame);
    named(separatorBox, "separatorBox");
    separatorBox->setEditable(true);
    separatorBox->setInsertPolicy(QComboBox::NoInsert);
    separatorBox->setGeometry(toPixels(FrameInset), firstRow,
                              separatorFrame->width() - 2 * toPixels(FrameInset), toPixels(330));
    totalsCheck = checkBox(page, "totalsCheck", "合計");
    totalsCheck->setGeometry(toPixels(120), separatorFrame->geometry().bottom() + toPixels(180),
                             settingsWidth, rowHeight);

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
    subFoldersCheck = checkBox(central, "subFoldersCheck", "ｻﾌﾞﾌｫﾙﾀﾞを調べる");
    subFoldersCheck->setValue(1);
    {
        const int width = subFoldersCheck->sizeHint().width() + 4;
        const int right = toPixels(StripLeft + StripWidth);
        subFoldersCheck->setGeometry(right - width, toPixels(ButtonTop), width,
                                     toPixels(ButtonHeight));
    }

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

    orderTabStops();
}

// Tab goes the way the eye reads the window: the folder column, the tab
// strip and its page (each master box before its sub-options), the command
// row, the pane. Enter presses a focused command button, as Space does.
void MainWindow::orderTabStops() {
    const std::initializer_list<QWidget*> order = {driveList,
                                                   folderTree,
                                                   patternBox,
                                                   tabStrip,
                                                   pathColumnCheck,
                                                   shortPathCheck,
                                                   upperCaseFolderCheck,
                                                   halfWidthFolderCheck,
                                                   joinPathAndNameCheck,
                                                   dropExtensionCheck,
                                                   shortNameCheck,
                                                   upperCaseNameCheck,
                                                   halfWidthNameCheck,
                                                   extensionColumnCheck,
                                                   attributeColumnCheck,
                                                   fileTypeColumnCheck,
                                                   hashColumnCheck,
                                                   hashAlgorithmBox,
                                                   sizeColumnCheck,
                                                   sizeUnitButtons[0],
                                                   sizeUnitButtons[1],
                                                   sizeUnitButtons[2],
                                                   creationTimeCheck,
                                                   writeTimeCheck,
                                                   accessTimeCheck,
                                                   insertPathLineCheck,
                                                   dropDriveCheck,
                                                   leadingTabCheck,
                                                   separatorBox,
                                                   totalsCheck,
                                                   createButton,
                                                   abortButton,
                                                   copyButton,
                                                   clearButton,
                                                   subFoldersCheck,
                                                   listPane};
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
    for (QPushButton* button : {createButton, copyButton, clearButton, abortButton})
        button->setAutoDefault(true);
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
