// Form1's controls and menus: where each one stands (in twips) and its
// caption.

#include "ui/folder_tree.h"
#include "ui/form1.h"
#include "ui/frame_box.h"
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
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>

#include <tuple>

namespace kestro {

namespace {

// A window with a fixed border: a 3-pixel border around it and a caption
// bar of 20 pixels above, at 15 twips per pixel. Used until the window
// system tells the real frame.
constexpr int AssumedBorderTwips = 45;
constexpr int AssumedCaptionTwips = 300;

// Left column: drive list, folder list, pattern box.
constexpr int ColumnLeft = 90;
constexpr int ColumnWidth = 2190;
constexpr int DriveTop = 90;
constexpr int DriveHeight = 330;
constexpr int DirTop = 480;
constexpr int DirHeight = 2370;
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
constexpr int FirstRowBelowLine = 120;

} // namespace

int Form1::toPixels(double twips) const {
    return twipsToPixels(twips, twipsPerPixel_);
}

double Form1::toTwips(int pixels) const {
    return pixelsToTwips(pixels, twipsPerPixel_);
}

void Form1::buildControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Form1Client"));
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
    Line2 = new QFrame(central);
    Line1 = new QFrame(central);
    named(Line2, "Line2");
    named(Line1, "Line1");
    for (QFrame* line : {Line2, Line1}) {
        line->setAutoFillBackground(true);
        line->setFrameShape(QFrame::NoFrame);
    }
    Line2->setBackgroundRole(QPalette::Light);
    Line1->setBackgroundRole(QPalette::Dark);

    // Left column.
    Drive1 = new QComboBox(central);
    named(Drive1, "Drive1");
    place(Drive1, ColumnLeft, DriveTop, ColumnWidth, DriveHeight);
    Dir1 = new FolderTree(central);
    named(Dir1, "Dir1");
    place(Dir1, ColumnLeft, DirTop, ColumnWidth, DirHeight);
    Text2 = new QLineEdit(QStringLiteral("*.*"), central);
    named(Text2, "Text2");
    Text2->setToolTip(QStringLiteral("ｾﾐｺﾛﾝ(;) で区切れば複数指定可能です"));
    place(Text2, ColumnLeft, PatternTop, ColumnWidth, PatternHeight);

    // Tab strip: the tabs, a panel under them, and the two page frames
    // stacked on the panel's client area.
    TabStrip1 = new QTabBar(central);
    named(TabStrip1, "TabStrip1");
    TabStrip1->setDrawBase(false);
    TabStrip1->setExpanding(false);
    TabStrip1->addTab(QStringLiteral("出力項目"));
    TabStrip1->addTab(QStringLiteral("出力設定"));
    const int tabsHeight = TabStrip1->sizeHint().height();
    TabStrip1->setGeometry(toPixels(StripLeft) + 2, toPixels(StripTop), toPixels(StripWidth) - 4,
                           tabsHeight);
    auto* stripPanel = new QFrame(central);
    named(stripPanel, "TabStrip1Client");
    stripPanel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    const int panelTop = toPixels(StripTop) + tabsHeight - 1;
    stripPanel->setGeometry(toPixels(StripLeft), panelTop, toPixels(StripWidth),
                            toPixels(StripBottom) - panelTop);
    stripPanel->lower();
    const QRect pageRect = stripPanel->contentsRect().adjusted(1, 1, -1, -1);
    for (int i = 0; i < 2; ++i) {
        Edit[i] = new QFrame(stripPanel);
        Edit[i]->setObjectName(QStringLiteral("Edit%1").arg(i));
        Edit[i]->setFrameShape(QFrame::NoFrame);
        // The front page hides the one behind it.
        Edit[i]->setAutoFillBackground(true);
        Edit[i]->setGeometry(pageRect);
    }

    // Page 0: four frames in a two-by-two grid and a column of three boxes.
    // The path and size frames have no caption of their own: their check
    // boxes stand on the frame line where the other two show their captions.
    QWidget* page = Edit[0];
    auto* fileNameFrame = new FrameBox(QStringLiteral("ﾌｧｲﾙ名"), page);
    Frame4 = fileNameFrame;
    Frame1 = new FrameBox(QStringLiteral("ﾀｲﾑｽﾀﾝﾌﾟ"), page);
    Frame3 = new FrameBox(page);
    Frame2 = new FrameBox(page);
    named(Frame4, "Frame4");
    named(Frame1, "Frame1");
    named(Frame3, "Frame3");
    named(Frame2, "Frame2");

    const int rowHeight = toPixels(RowHeight);
    const int boxHalf = rowHeight / 2;
    const int frameWidth = toPixels(FrameWidth);
    const int leftFrameX = toPixels(FrameGap);
    const int middleFrameX = leftFrameX + frameWidth + toPixels(FrameGap);
    const int lineTop = fileNameFrame->lineTop();
    const int firstRow = fileNameFrame->contentTop();
    const QRect caption = fileNameFrame->captionPlace();
    const int upperHeight = firstRow + 4 * rowHeight + toPixels(90);
    const int lowerHeight = firstRow + 3 * rowHeight + toPixels(90);
    const int upperTop = std::max(toPixels(30), boxHalf - lineTop);
    const int lowerTop = upperTop + upperHeight + toPixels(FrameGap);
    for (auto [frame, x, y, height] : {std::tuple{Frame3, leftFrameX, upperTop, upperHeight},
                                       std::tuple{Frame4, middleFrameX, upperTop, upperHeight},
                                       std::tuple{Frame2, leftFrameX, lowerTop, lowerHeight},
                                       std::tuple{Frame1, middleFrameX, lowerTop, lowerHeight}})
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

    chkShortPath = checkBox(Frame3, "chkShortPath", "短いﾊﾟｽ");
    chkDirLarge = checkBox(Frame3, "chkDirLarge", "大文字に変換");
    chkDirHalf = checkBox(Frame3, "chkDirHalf", "半角に変換");
    chkDiv = checkBox(Frame3, "chkDiv", "区切り文字なし");
    rowsIn(Frame3, {chkShortPath, chkDirLarge, chkDirHalf, chkDiv});
    chkPath = checkBox(page, "chkPath", "ﾊﾟｽ名");
    captionBox(chkPath, Frame3);

    chkDelKaku = checkBox(Frame4, "chkDelKaku", "拡張子を削除");
    chkShort = checkBox(Frame4, "chkShort", "短い名前");
    chkFNameLarge = checkBox(Frame4, "chkFNameLarge", "大文字に変換");
    chkFNameHalf = checkBox(Frame4, "chkFNameHalf", "半角に変換");
    rowsIn(Frame4, {chkDelKaku, chkShort, chkFNameLarge, chkFNameHalf});

    const char* units[] = {"Byte", "KB", "MB"};
    for (int i = 0; i < 3; ++i) {
        optByte[i] = new QRadioButton(QString::fromUtf8(units[i]), Frame2);
        optByte[i]->setObjectName(QStringLiteral("optByte%1").arg(i));
    }
    rowsIn(Frame2, {optByte[0], optByte[1], optByte[2]});
    optByte[0]->setChecked(true);
    chkFileSize = checkBox(page, "chkFileSize", "ﾌｧｲﾙｻｲｽﾞ");
    captionBox(chkFileSize, Frame2);

    chkTimeMake = checkBox(Frame1, "chkTimeMake", "作成日時");
    chkTimeRenew = checkBox(Frame1, "chkTimeRenew", "更新日時");
    chkTimeAccess = checkBox(Frame1, "chkTimeAccess", "アクセス日");
    rowsIn(Frame1, {chkTimeMake, chkTimeRenew, chkTimeAccess});

    Check1 = checkBox(page, "Check1", "拡張子");
    chkAttribute = checkBox(page, "chkAttribute", "属性");
    chkFileType = checkBox(page, "chkFileType", "ﾌｧｲﾙﾀｲﾌﾟ");
    {
        const int x = middleFrameX + frameWidth + toPixels(FrameGap + 30);
        int y = upperTop + firstRow;
        for (QWidget* box : {static_cast<QWidget*>(Check1), static_cast<QWidget*>(chkAttribute),
                             static_cast<QWidget*>(chkFileType)}) {
            box->setGeometry(x, y, page->width() - x - 1, rowHeight);
            y += rowHeight;
        }
    }

    // The initial enabled states are those of the interlocks for the
    // initial values: path and size clear.
    Frame3->setEnabled(false);
    for (QWidget* box : {static_cast<QWidget*>(chkShortPath), static_cast<QWidget*>(chkDirLarge),
                         static_cast<QWidget*>(chkDirHalf), static_cast<QWidget*>(chkDiv)})
        box->setEnabled(false);
    for (QRadioButton* unit : optByte)
        unit->setEnabled(false);

    // Page 1: folder lines, leading tab, separator.
    page = Edit[1];
    chkInsPath = checkBox(page, "chkInsPath", "ﾌｫﾙﾀﾞが変わるごとにﾊﾟｽを挿入する");
    chkDirDelDrive = checkBox(page, "chkDirDelDrive", "ﾄﾞﾗｲﾌﾞ名を削除");
    chkTabs = checkBox(page, "chkTabs", "ﾌｧｲﾙ名の先頭にﾀﾌﾞを入れる");
    const int settingsWidth = page->width() - toPixels(240);
    chkInsPath->setGeometry(toPixels(120), toPixels(150), settingsWidth, rowHeight);
    chkDirDelDrive->setGeometry(toPixels(420), toPixels(150) + rowHeight + toPixels(30),
                                settingsWidth - toPixels(300), rowHeight);
    chkTabs->setGeometry(toPixels(120), toPixels(150) + 2 * rowHeight + toPixels(180),
                         settingsWidth, rowHeight);
    chkInsPath->setValue(1);
    Frame5 = new FrameBox(QStringLiteral("区切り文字"), page);
    named(Frame5, "Frame5");
    Frame5->setGeometry(toPixels(120), chkTabs->geometry().bottom() + toPixels(180), toPixels(2400),
                        firstRow + toPixels(330 + 120));
    Combo1 = new QComboBox(Frame5);
    named(Combo1, "Combo1");
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setGeometry(toPixels(FrameInset), firstRow, Frame5->width() - 2 * toPixels(FrameInset),
                        toPixels(330));

    // Command row.
    auto button = [&](const char* name, const char* caption, int left) {
        auto* pushButton = new QPushButton(QString::fromUtf8(caption), central);
        named(pushButton, name);
        place(pushButton, left, ButtonTop, ButtonWidth, ButtonHeight);
        return pushButton;
    };
    Command1 = button("Command1", "作成", StripLeft);
    Command2 = button("Command2", "ｺﾋﾟｰ", StripLeft + ButtonWidth + ButtonGap);
    Command3 = button("Command3", "ｸﾘｱ", StripLeft + 2 * (ButtonWidth + ButtonGap));
    Command5 = button("Command5", "中止", 0);
    Command5->hide();
    chkSub = checkBox(central, "chkSub", "ｻﾌﾞﾌｫﾙﾀﾞを調べる");
    chkSub->setValue(1);
    {
        const int width = chkSub->sizeHint().width() + 4;
        const int right = toPixels(StripLeft + StripWidth);
        chkSub->setGeometry(right - width, toPixels(ButtonTop), width, toPixels(ButtonHeight));
    }

    // The list pane.
    Text1 = new QPlainTextEdit(central);
    named(Text1, "Text1");
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setWordWrapMode(QTextOption::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setFont(paneFont());
    Text1->setTabStopDistance(QFontMetricsF(Text1->font()).horizontalAdvance(QLatin1Char(' ')) * 8);
    StatusBar1 = new QFrame(central);
    named(StatusBar1, "StatusBar1");
    StatusBar1->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    // Status bar with its two panels.
    SBar = new QStatusBar(this);
    named(SBar, "SBar");
    SBar->setSizeGripEnabled(false);
    SBar->setFont(captionFont());
    for (int i = 0; i < 2; ++i) {
        SBarPanel[i] = new QLabel(SBar);
        SBarPanel[i]->setObjectName(QStringLiteral("SBarPanel%1").arg(i + 1));
        SBarPanel[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        SBarPanel[i]->setTextFormat(Qt::PlainText);
    }
    SBarPanel[0]->setFixedWidth(toPixels(2400));
    SBar->addWidget(SBarPanel[0]);
    SBar->addWidget(SBarPanel[1], 1);
    setStatusBar(SBar);

    orderTabStops();
}

// Tab goes the way the eye reads the window: the folder column, the tab
// strip and its page (each master box before its sub-options), the command
// row, the pane. Enter presses a focused command button, as Space does.
void Form1::orderTabStops() {
    const std::initializer_list<QWidget*> order = {
        Drive1,         Dir1,       Text2,        TabStrip1,    chkPath,       chkShortPath,
        chkDirLarge,    chkDirHalf, chkDiv,       chkDelKaku,   chkShort,      chkFNameLarge,
        chkFNameHalf,   Check1,     chkAttribute, chkFileType,  chkFileSize,   optByte[0],
        optByte[1],     optByte[2], chkTimeMake,  chkTimeRenew, chkTimeAccess, chkInsPath,
        chkDirDelDrive, chkTabs,    Combo1,       Command1,     Command5,      Command2,
        Command3,       chkSub,     Text1};
    QWidget* previous = nullptr;
    for (QWidget* widget : order) {
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
    for (QPushButton* button : {Command1, Command2, Command3, Command5})
        button->setAutoDefault(true);
}

void Form1::buildMenus() {
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

    mnuFile = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    mnuFile->setObjectName("mnuFile");
    mnuFileOpen = entry(mnuFile, "mnuFileOpen", "ﾌｧｲﾙを開く(&O)...");
    mnuFileBar2 = separator(mnuFile, "mnuFileBar2");
    mnuFileSave = entry(mnuFile, "mnuFileSave", "上書き保存(&S)");
    mnuFileSaveAs = entry(mnuFile, "mnuFileSaveAs", "名前を付けて保存(&A)...");
    mnuFileBar1 = separator(mnuFile, "mnuFileBar1");
    mnuFileExit = entry(mnuFile, "mnuFileExit", "終了(&X)");

    mnuSet = bar->addMenu(QStringLiteral("設定(&S)"));
    mnuSet->setObjectName("mnuSet");
    mnuSetFile = mnuSet->addMenu(QStringLiteral("出力対象ﾌｧｲﾙ(&F)"));
    mnuSetFile->setObjectName("mnuSetFile");
    mnuSetReadOnly = entry(mnuSetFile, "mnuSetReadOnly", "読み取り専用(&R)");
    mnuSetArchive = entry(mnuSetFile, "mnuSetArchive", "ｱｰｶｲﾌﾞ(&C)");
    mnuSetHidden = entry(mnuSetFile, "mnuSetHidden", "隠しﾌｧｲﾙ(&D)");
    mnuSetSystem = entry(mnuSetFile, "mnuSetSystem", "ｼｽﾃﾑ(&S)");
    for (QAction* target : {mnuSetReadOnly, mnuSetArchive, mnuSetHidden, mnuSetSystem})
        target->setCheckable(true);
    // Read-only and archive files are always listed.
    mnuSetReadOnly->setVisible(false);
    mnuSetArchive->setVisible(false);
    mnuSetSkipUnreadable = entry(mnuSet, "mnuSetSkipUnreadable", "読めないﾌｫﾙﾀﾞを除いて続ける(&U)");
    mnuSetSkipUnreadable->setCheckable(true);

    mnuEdit = bar->addMenu(QStringLiteral("編集(&E)"));
    mnuEdit->setObjectName("mnuEdit");
    const char* editCaptions[] = {nullptr,        "元に戻す(&Z)", nullptr,
                                  "切り取り(&X)", "ｺﾋﾟｰ(&C)",     "張り付け(&V)",
                                  "削除(&D)",     nullptr,        "すべて選択(&A)"};
    for (int i = 1; i <= 8; ++i) {
        const QByteArray name = "mnuEditItem" + QByteArray::number(i);
        mnuEditItem[i] = editCaptions[i] ? entry(mnuEdit, name.constData(), editCaptions[i])
                                         : separator(mnuEdit, name.constData());
    }
    mnuEditItem[1]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuEditItem[8]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));

    mnuHelp = bar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    mnuHelp->setObjectName("mnuHelp");
    mnuHelpHelp = entry(mnuHelp, "mnuHelpHelp", "Kestro ﾍﾙﾌﾟ(&F)");
    mnuHelpHelp->setShortcut(QKeySequence(Qt::Key_F1));
    mnuHelpSerch = entry(mnuHelp, "mnuHelpSerch", "ﾄﾋﾟｯｸの検索(&S)...");
    mnuHelpBar2 = separator(mnuHelp, "mnuHelpBar2");
    mnuHelpWeb = entry(mnuHelp, "mnuHelpWeb", "WebSite(&W)");
    mnuHelpBar1 = separator(mnuHelp, "mnuHelpBar1");
    mnuHelpVer = entry(mnuHelp, "mnuHelpVer", "ﾊﾞｰｼﾞｮﾝ情報(&V)...");
}

void Form1::placeBottomControls() {
    QWidget* central = centralWidget();
    const int lineEnd = toPixels(OuterWidthTwips - 150);
    Line2->setGeometry(0, 0, lineEnd, 1);
    Line1->setGeometry(0, 1, lineEnd, 1);
    const int thin = std::max(1, toPixels(ThinStripHeight));
    const int paneTop = toPixels(PaneTop);
    const int bottom = central->height();
    StatusBar1->setGeometry(0, bottom - thin, central->width(), thin);
    Text1->setGeometry(0, paneTop, central->width(), std::max(0, bottom - thin - paneTop));
}

void Form1::fitOuterSize() {
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

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        placeBottomControls();
    return QMainWindow::eventFilter(watched, event);
}

} // namespace kestro
