// The main window as it stands after set-up: controls, captions, sizes,
// fonts, menus and the tab strip.

#include "ui/folder_tree.h"
#include "ui/form1.h"
#include "ui/twips.h"
#include "ui/value_check_box.h"
#include "ui/window_fonts.h"

#include "ui/form_fixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace kestro;
using namespace kestro::test;

class Form1LayoutTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PrivateSettings> settings_;
    std::shared_ptr<RecordingPresenter> presenter_;
    std::unique_ptr<Form1> form_;

private slots:
    void init() {
        settings_ = std::make_unique<PrivateSettings>();
        presenter_ = std::make_shared<RecordingPresenter>();
        form_ = makeForm(presenter_);
    }
    void cleanup() {
        form_.reset();
        settings_.reset();
    }

    void twipsConversion_data() {
        QTest::addColumn<double>("dpi");
        QTest::addColumn<double>("factor");
        QTest::addColumn<int>("pixelsFor2400");
        QTest::newRow("96 dpi") << 96.0 << 15.0 << 160;
        QTest::newRow("120 dpi") << 120.0 << 12.0 << 200;
        QTest::newRow("144 dpi") << 144.0 << 10.0 << 240;
        QTest::newRow("192 dpi") << 192.0 << 7.5 << 320;
        QTest::newRow("unknown") << 0.0 << 15.0 << 160;
    }
    void twipsConversion() {
        QFETCH(double, dpi);
        QFETCH(double, factor);
        QFETCH(int, pixelsFor2400);
        QCOMPARE(twipsPerPixel(dpi), factor);
        QCOMPARE(twipsToPixels(2400, factor), pixelsFor2400);
        QCOMPARE(pixelsToTwips(pixelsFor2400, factor), 2400.0);
        // Rounded to the nearest pixel, not cut.
        QCOMPARE(twipsToPixels(22, 15.0), 1);
        QCOMPARE(twipsToPixels(7335, 15.0), 489);
    }

    void windowHasItsFixedSizeTitleAndPlace() {
        Form1& f = *form_;
        // Without a frame from the window system the usual fixed border
        // and caption are taken off the outer size.
        const int width = f.toPixels(Form1::OuterWidthTwips) - 2 * f.toPixels(45);
        const int height = f.toPixels(Form1::OuterHeightTwips) - f.toPixels(345) - f.toPixels(45);
        QCOMPARE(f.size(), QSize(width, height));
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QCOMPARE(f.windowTitle(), QStringLiteral("Kestro - [新規]"));
        QVERIFY(f.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(f.pos(), QPoint(0, 0));
    }

    void abortButtonLiesExactlyOnTheCreateButton() {
        Form1& f = *form_;
        const QRect expected(f.toPixels(2400), f.toPixels(2970), f.toPixels(855), f.toPixels(280));
        QCOMPARE(f.Command1->geometry(), expected);
        QCOMPARE(f.Command5->geometry(), expected);
        for (QPushButton* button : {f.Command2, f.Command3})
            QCOMPARE(button->size(), expected.size());
        QVERIFY(f.Command5->isHidden());
        QVERIFY(!f.Command1->isHidden());
    }

    void controlsCarryTheirNamesAndCaptions() {
        Form1& f = *form_;
        const std::pair<QAbstractButton*, const char*> captions[] = {
            {f.chkPath, "ﾊﾟｽ名"},
            {f.chkShortPath, "短いﾊﾟｽ"},
            {f.chkDirLarge, "大文字に変換"},
            {f.chkDirHalf, "半角に変換"},
            {f.chkDiv, "区切り文字なし"},
            {f.chkDelKaku, "拡張子を削除"},
            {f.chkShort, "短い名前"},
            {f.chkFNameLarge, "大文字に変換"},
            {f.chkFNameHalf, "半角に変換"},
            {f.chkFileSize, "ﾌｧｲﾙｻｲｽﾞ"},
            {f.optByte[0], "Byte"},
            {f.optByte[1], "KB"},
            {f.optByte[2], "MB"},
            {f.chkTimeMake, "作成日時"},
            {f.chkTimeRenew, "更新日時"},
            {f.chkTimeAccess, "アクセス日"},
            {f.Check1, "拡張子"},
            {f.chkAttribute, "属性"},
            {f.chkFileType, "ﾌｧｲﾙﾀｲﾌﾟ"},
            {f.chkInsPath, "ﾌｫﾙﾀﾞが変わるごとにﾊﾟｽを挿入する"},
            {f.chkDirDelDrive, "ﾄﾞﾗｲﾌﾞ名を削除"},
            {f.chkTabs, "ﾌｧｲﾙ名の先頭にﾀﾌﾞを入れる"},
            {f.chkSub, "ｻﾌﾞﾌｫﾙﾀﾞを調べる"},
            {f.Command1, "作成"},
            {f.Command2, "ｺﾋﾟｰ"},
            {f.Command3, "ｸﾘｱ"},
            {f.Command5, "中止"},
        };
        for (auto [button, caption] : captions) {
            QVERIFY(button);
            QCOMPARE(button->text(), QString::fromUtf8(caption));
            // The object name is the member's name, found from the window.
            QCOMPARE(f.findChild<QAbstractButton*>(button->objectName()), button);
        }
        QCOMPARE(f.optByte[1]->objectName(), QStringLiteral("optByte1"));
        QCOMPARE(f.Frame4->title(), QStringLiteral("ﾌｧｲﾙ名"));
        QCOMPARE(f.Frame1->title(), QStringLiteral("ﾀｲﾑｽﾀﾝﾌﾟ"));
        QCOMPARE(f.Frame5->title(), QStringLiteral("区切り文字"));
        QVERIFY(f.Frame3->title().isEmpty());
        QVERIFY(f.Frame2->title().isEmpty());
        for (const char* name : {"Drive1", "Dir1", "Text2", "TabStrip1", "Edit0", "Edit1", "Frame1",
                                 "Frame2", "Frame3", "Frame4", "Frame5", "Combo1", "Text1", "SBar",
                                 "Line1", "Line2", "StatusBar1"})
            QVERIFY2(f.findChild<QWidget*>(QString::fromLatin1(name)), name);
        QCOMPARE(f.Text2->text(), QStringLiteral("*.*"));
        QCOMPARE(f.Text2->toolTip(), QStringLiteral("ｾﾐｺﾛﾝ(;) で区切れば複数指定可能です"));
        // Path and size options belong to their frames; the title boxes
        // do not, or disabling a frame would lock its own switch.
        QCOMPARE(f.chkDiv->parentWidget(), f.Frame3);
        QCOMPARE(f.optByte[2]->parentWidget(), f.Frame2);
        QVERIFY(f.chkPath->parentWidget() != f.Frame3);
        QVERIFY(f.chkFileSize->parentWidget() != f.Frame2);
        QCOMPARE(f.Combo1->parentWidget(), f.Frame5);
    }

    void initialValuesAndEnabledStates() {
        Form1& f = *form_;
        // Every option at its first-start value: sub-folders and folder
        // lines ticked, the rest clear.
        for (ValueCheckBox* box : f.findChildren<ValueCheckBox*>()) {
            const int expected = (box == f.chkSub || box == f.chkInsPath) ? 1 : 0;
            QCOMPARE(box->Value(), expected);
        }
        QVERIFY(f.optByte[0]->isChecked());
        QVERIFY(!f.Frame3->isEnabled());
        for (QWidget* w :
             {static_cast<QWidget*>(f.chkShortPath), static_cast<QWidget*>(f.chkDirLarge),
              static_cast<QWidget*>(f.chkDirHalf), static_cast<QWidget*>(f.chkDiv),
              static_cast<QWidget*>(f.optByte[0]), static_cast<QWidget*>(f.optByte[1]),
              static_cast<QWidget*>(f.optByte[2])})
            QVERIFY2(!w->isEnabledTo(&f), qPrintable(w->objectName()));
        QVERIFY(f.chkPath->isEnabledTo(&f));
        QVERIFY(f.chkFileSize->isEnabledTo(&f));
        QVERIFY(f.chkDirDelDrive->isEnabledTo(&f));
        QVERIFY(f.chkFNameLarge->isEnabledTo(&f));
        QVERIFY(f.Text1->toPlainText().isEmpty());
        QVERIFY(f.SBarPanel[0]->text().isEmpty());
        QVERIFY(f.SBarPanel[1]->text().isEmpty());
    }

    void checkBoxesHoldThreeValuesButClicksOnlyTickAndClear() {
        ValueCheckBox& box = *form_->chkTabs;
        QSignalSpy changes(&box, &QCheckBox::stateChanged);
        box.setValue(2);
        QCOMPARE(box.Value(), 2);
        QCOMPARE(box.checkState(), Qt::PartiallyChecked);
        box.click(); // a grayed box is ticked by a click
        QCOMPARE(box.Value(), 1);
        box.click();
        QCOMPARE(box.Value(), 0);
        box.click();
        QCOMPARE(box.Value(), 1);
        QCOMPARE(changes.count(), 4);
        QCOMPARE(checkStateFor(7), Qt::Unchecked);
    }

    void separatorBoxIsEditableWithItsThreeChoices() {
        QComboBox& combo = *form_->Combo1;
        QVERIFY(combo.isEditable());
        QCOMPARE(combo.count(), 3);
        QCOMPARE(combo.itemText(0), QStringLiteral("ﾀﾌﾞ"));
        QCOMPARE(combo.itemText(1), QStringLiteral("ｾﾐｺﾛﾝ"));
        QCOMPARE(combo.itemText(2), QStringLiteral("|"));
        QCOMPARE(combo.currentText(), QStringLiteral("ﾀﾌﾞ"));
        // Typed text is kept, not added to the list.
        combo.setEditText(QStringLiteral(", "));
        QCOMPARE(combo.currentText(), QStringLiteral(", "));
        QCOMPARE(combo.count(), 3);
    }

    void listPaneIsPlainUnwrappedAndUsesTheJapaneseFixedFont() {
        QPlainTextEdit& pane = *form_->Text1;
        QCOMPARE(pane.lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(pane.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(pane.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(pane.font().pointSize(), 9);
        if (!QFontDatabase::families().contains(QStringLiteral("IPAGothic")))
            QSKIP("IPAGothic is not installed");
        const QString family = QFontInfo(pane.font()).family();
        QVERIFY2(family == QStringLiteral("IPAGothic") || family == QStringLiteral("ＭＳ ゴシック"),
                 qPrintable(family));
        // Columns line up only when a half-width character is exactly half
        // a full-width one.
        QFontMetricsF metrics(pane.font());
        const qreal half = metrics.horizontalAdvance(QStringLiteral("A"));
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("ｱ")), half);
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("漢")), 2 * half);
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("ア")), 2 * half);
    }

    void fontChoiceTakesOnlyAFamilyThatResolvesToItself() {
        QFont fallback(QStringLiteral("Sans"), 5);
        QFont chosen = firstAvailableFont({QStringLiteral("No Such Family Kestro")}, 9, fallback);
        QCOMPARE(chosen.family(), fallback.family());
        QCOMPARE(chosen.pointSize(), 9);
        if (QFontDatabase::families().contains(QStringLiteral("IPAGothic"))) {
            chosen = firstAvailableFont(
                {QStringLiteral("No Such Family Kestro"), QStringLiteral("IPAGothic")}, 9,
                fallback);
            QCOMPARE(QFontInfo(chosen).family(), QStringLiteral("IPAGothic"));
        }
    }

    void statusBarHasTwoPanels() {
        Form1& f = *form_;
        QCOMPARE(f.statusBar(), f.SBar);
        QCOMPARE(f.SBarPanel[0]->parentWidget(), f.SBar);
        QCOMPARE(f.SBarPanel[1]->parentWidget(), f.SBar);
        f.setStatus(1, "ﾌｧｲﾙ情報取得中...");
        f.setStatus(2, "/tmp/x");
        QCOMPARE(f.SBarPanel[0]->text(), QStringLiteral("ﾌｧｲﾙ情報取得中..."));
        QCOMPARE(f.SBarPanel[1]->text(), QStringLiteral("/tmp/x"));
    }

    void menusWithAccessKeysShortcutsAndHiddenEntries() {
        Form1& f = *form_;
        QStringList titles;
        for (QAction* action : f.menuBar()->actions())
            titles << action->text();
        QCOMPARE(titles, (QStringList{"ﾌｧｲﾙ(&F)", "設定(&S)", "編集(&E)", "ﾍﾙﾌﾟ(&H)"}));

        auto texts = [](QMenu* menu) {
            QStringList list;
            for (QAction* action : menu->actions())
                list << (action->isSeparator() ? QStringLiteral("-") : action->text());
            return list;
        };
        QCOMPARE(texts(f.mnuFile), (QStringList{"ﾌｧｲﾙを開く(&O)...", "-", "上書き保存(&S)",
                                                "名前を付けて保存(&A)...", "-", "終了(&X)"}));
        QCOMPARE(texts(f.mnuEdit),
                 (QStringList{"元に戻す(&Z)", "-", "切り取り(&X)", "ｺﾋﾟｰ(&C)", "張り付け(&V)",
                              "削除(&D)", "-", "すべて選択(&A)"}));
        QCOMPARE(texts(f.mnuHelp), (QStringList{"Kestro ﾍﾙﾌﾟ(&F)", "ﾄﾋﾟｯｸの検索(&S)...", "-",
                                                "WebSite(&W)", "-", "ﾊﾞｰｼﾞｮﾝ情報(&V)..."}));
        QCOMPARE(f.mnuSet->actions().size(), 2);
        QCOMPARE(f.mnuSet->actions().first()->menu(), f.mnuSetFile);
        QCOMPARE(f.mnuSet->actions().last(), f.mnuSetSkipUnreadable);
        QCOMPARE(f.mnuSetSkipUnreadable->text(), QStringLiteral("読めないﾌｫﾙﾀﾞを除いて続ける(&U)"));
        QVERIFY(f.mnuSetSkipUnreadable->isCheckable());
        QCOMPARE(f.mnuSetFile->title(), QStringLiteral("出力対象ﾌｧｲﾙ(&F)"));
        QCOMPARE(texts(f.mnuSetFile),
                 (QStringList{"読み取り専用(&R)", "ｱｰｶｲﾌﾞ(&C)", "隠しﾌｧｲﾙ(&D)", "ｼｽﾃﾑ(&S)"}));
        QStringList shown;
        for (QAction* action : f.mnuSetFile->actions()) {
            if (action->isVisible())
                shown << action->text();
        }
        QCOMPARE(shown, (QStringList{"隠しﾌｧｲﾙ(&D)", "ｼｽﾃﾑ(&S)"}));
        QVERIFY(!f.mnuSetHidden->isChecked());
        QVERIFY(!f.mnuSetSystem->isChecked());

        QCOMPARE(f.mnuEditItem[1]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(f.mnuEditItem[8]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
        QCOMPARE(f.mnuHelpHelp->shortcut(), QKeySequence(Qt::Key_F1));
        QVERIFY(f.mnuEditItem[2]->isSeparator());
        QVERIFY(f.mnuEditItem[7]->isSeparator());
        QVERIFY(!f.mnuEditItem[0]);
        for (QAction* separator : {f.mnuFileBar1, f.mnuFileBar2, f.mnuHelpBar1, f.mnuHelpBar2})
            QVERIFY(separator->isSeparator());
        QCOMPARE(f.mnuHelpSerch->objectName(), QStringLiteral("mnuHelpSerch"));
    }

    // The page in front is the one a click on its area reaches.
    void tabStripBringsTheSelectedPageToTheFront() {
        Form1& f = *form_;
        QWidget* panel = f.Edit[0]->parentWidget();
        QCOMPARE(f.Edit[1]->parentWidget(), panel);
        QCOMPARE(f.Edit[0]->geometry(), f.Edit[1]->geometry());
        auto front = [&] {
            // A point of the page area without a control of either page.
            const QPoint corner = f.Edit[0]->geometry().bottomRight() - QPoint(1, 1);
            QWidget* hit = panel->childAt(corner);
            while (hit && hit != f.Edit[0] && hit != f.Edit[1])
                hit = hit->parentWidget();
            return hit;
        };
        QCOMPARE(f.TabStrip1->count(), 2);
        QCOMPARE(f.TabStrip1->tabText(0), QStringLiteral("出力項目"));
        QCOMPARE(f.TabStrip1->tabText(1), QStringLiteral("出力設定"));
        QCOMPARE(f.TabStrip1->currentIndex(), 0);
        QCOMPARE(front(), f.Edit[0]);

        f.TabStrip1->setCurrentIndex(1);
        QCOMPARE(front(), f.Edit[1]);
        // Nothing is hidden or disabled: the pages only overlap.
        QVERIFY(!f.Edit[0]->isHidden());
        QVERIFY(f.Edit[0]->isEnabled());

        f.TabStrip1->setCurrentIndex(0);
        QCOMPARE(front(), f.Edit[0]);

        // A click on the tab already selected brings its page forward again.
        f.Edit[1]->raise();
        QCOMPARE(front(), f.Edit[1]);
        emit f.TabStrip1->tabBarClicked(0);
        QCOMPARE(front(), f.Edit[0]);
        QCOMPARE(f.TabStrip1->currentIndex(), 0);
    }

    // Tab visits what the user sees, in reading order, each master box
    // before its sub-options, and never a control of the page behind.
    void tabOrderFollowsWhatIsShown() {
        Form1& f = *form_;
        f.chkPath->setValue(1);
        f.chkFileSize->setValue(1);
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        auto tabStops = [&] {
            QStringList visited;
            f.Drive1->setFocus();
            for (QWidget* at = f.Drive1; at && at != f.Text1 && visited.size() < 60;
                 at = QApplication::focusWidget()) {
                visited.append(at->objectName());
                QTest::keyClick(at, Qt::Key_Tab);
            }
            return visited;
        };
        auto names = [](const QList<QWidget*>& widgets) {
            QStringList named;
            for (QWidget* widget : widgets)
                named.append(widget->objectName());
            return named;
        };
        const QList<QWidget*> lead = {f.Drive1, f.Dir1, f.Text2, f.TabStrip1};
        const QList<QWidget*> row = {f.Command1, f.Command2, f.Command3, f.chkSub};
        // Of the unit buttons Tab stops at the chosen one; the arrows move
        // between them.
        const QList<QWidget*> itemsPage = {
            f.chkPath,      f.chkShortPath, f.chkDirLarge,   f.chkDirHalf,   f.chkDiv,
            f.chkDelKaku,   f.chkShort,     f.chkFNameLarge, f.chkFNameHalf, f.Check1,
            f.chkAttribute, f.chkFileType,  f.chkFileSize,   f.optByte[0],   f.chkTimeMake,
            f.chkTimeRenew, f.chkTimeAccess};
        const QList<QWidget*> settingsPage = {f.chkInsPath, f.chkDirDelDrive, f.chkTabs, f.Combo1};
        QCOMPARE(tabStops(), names(lead + itemsPage + row));
        f.TabStrip1->setCurrentIndex(1);
        QCOMPARE(tabStops(), names(lead + settingsPage + row));
        // Leaving a page with the focus on it takes the focus off it too.
        f.chkTabs->setFocus();
        f.TabStrip1->setCurrentIndex(0);
        QCOMPARE(QApplication::focusWidget(), f.TabStrip1);
    }

    void enterPressesTheFocusedCommandButton() {
        QTemporaryDir empty;
        QVERIFY(form_->Dir1->setPath(empty.path().toStdString()));
        for (QPushButton* button :
             {form_->Command1, form_->Command2, form_->Command3, form_->Command5}) {
            QSignalSpy clicks(button, &QPushButton::clicked);
            QTest::keyClick(button, Qt::Key_Return);
            QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
            QVERIFY2(clicks.count() == 2, qPrintable(button->objectName()));
        }
    }

    void folderListShowsAndChangesTheCurrentFolder() {
        QTemporaryDir tree;
        const std::string root = tree.path().toStdString();
        QVERIFY(QDir(tree.path()).mkpath(QStringLiteral("a/b")));
        FolderTree& dir = *form_->Dir1;
        QSignalSpy changes(&dir, &FolderTree::pathChanged);

        QVERIFY(dir.setPath(root + "/a/"));
        QCOMPARE(dir.path(), root + "/a");
        QCOMPARE(changes.count(), 1);
        QCOMPARE(dir.pathAt(dir.currentIndex()), root + "/a");

        // A folder that is not there is refused, and the folder stays.
        auto missing = dir.setPath(root + "/gone");
        QVERIFY(!missing);
        QCOMPARE(missing.failure().number, 76);
        QCOMPARE(dir.path(), root + "/a");

        // The background reading moving the current row (here: code moving
        // it, as the model does when rows come and go) changes nothing.
        const QModelIndex a = dir.currentIndex();
        dir.setCurrentIndex(dir.model()->index(0, 0, a));
        QCOMPARE(dir.path(), root + "/a");
        QCOMPARE(changes.count(), 1);
        QTRY_COMPARE(dir.pathAt(dir.currentIndex()), root + "/a");

        // The user choosing a folder in the tree makes it current: the key
        // down from "a", once its sub-folder is read, moves to "a/b".
        dir.expand(dir.currentIndex());
        QTRY_COMPARE(dir.model()->rowCount(dir.currentIndex()), 1);
        QTest::keyClick(&dir, Qt::Key_Down);
        QCOMPARE(dir.path(), root + "/a/b");
        QCOMPARE(changes.count(), 2);
    }

    // Names are bytes: a folder whose name is not valid UTF-8 is shown and
    // chosen by its own name, so the list reads the folder that is there.
    void folderListTakesNamesThatAreNotUtf8() {
        QTemporaryDir tree;
        const std::string root = tree.path().toStdString();
        const std::string odd = root + "/caf\xe9";
        QCOMPARE(::mkdir(odd.c_str(), 0700), 0);
        FolderTree& dir = *form_->Dir1;
        QVERIFY(dir.setPath(odd));
        QCOMPARE(dir.pathAt(dir.currentIndex()), odd);

        QVERIFY(dir.setPath(root));
        dir.expand(dir.currentIndex());
        QTRY_COMPARE(dir.model()->rowCount(dir.currentIndex()), 1);
        QTest::keyClick(&dir, Qt::Key_Down);
        QCOMPARE(dir.path(), odd);
        QCOMPARE(form_->readRoot().folder, odd + "/");
        // QTemporaryDir cannot remove a name it cannot decode.
        QCOMPARE(::rmdir(odd.c_str()), 0);
    }

    void shownWindowScrollsTheFolderListToTheCurrentFolder() {
        QTemporaryDir tree;
        const QString deep = tree.path() + QStringLiteral("/x/y/z");
        QVERIFY(QDir().mkpath(deep));
        Form1& f = *form_;
        // Set before the window is shown, as at start-up.
        QVERIFY(f.Dir1->setPath(deep.toStdString()));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(QTest::qWaitFor([&] {
            const QRect shown = f.Dir1->visualRect(f.Dir1->currentIndex());
            // The row, and the start of its name, are in view.
            return shown.isValid() && f.Dir1->viewport()->rect().contains(
                                          QPoint(shown.left() + 1, shown.center().y()));
        }));
    }
};

QTEST_MAIN(Form1LayoutTest)
#include "form1_layout_test.moc"
