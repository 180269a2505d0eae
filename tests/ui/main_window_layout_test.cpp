// The main window as it stands after set-up: controls, captions, sizes,
// fonts, menus and the tab strip.

#include "ui/folder_tree.h"
#include "ui/list_pane_editor.h"
#include "ui/main_window.h"
#include "ui/twips.h"
#include "ui/value_check_box.h"
#include "ui/window_fonts.h"

#include "ui/main_window_fixture.h"

#include <QAbstractScrollArea>
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
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace kestro;
using namespace kestro::test;

class MainWindowLayoutTest : public WindowTest {
    Q_OBJECT

private slots:

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
        MainWindow& f = *window_;
        // Without a frame from the window system the usual fixed border
        // and caption are taken off the outer size.
        const int width = f.toPixels(MainWindow::OuterWidthTwips) - 2 * f.toPixels(45);
        const int height =
            f.toPixels(MainWindow::OuterHeightTwips) - f.toPixels(345) - f.toPixels(45);
        QCOMPARE(f.size(), QSize(width, height));
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QCOMPARE(f.windowTitle(), QStringLiteral("Kestro - [新規]"));
        QVERIFY(f.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(f.pos(), QPoint(0, 0));
    }

    void abortButtonLiesExactlyOnTheCreateButton() {
        MainWindow& f = *window_;
        const QRect expected(f.toPixels(2400), f.toPixels(2970), f.toPixels(855), f.toPixels(280));
        QCOMPARE(f.createButton->geometry(), expected);
        QCOMPARE(f.abortButton->geometry(), expected);
        for (QPushButton* button : {f.copyButton, f.clearButton})
            QCOMPARE(button->size(), expected.size());
        QVERIFY(f.abortButton->isHidden());
        QVERIFY(!f.createButton->isHidden());
    }

    void controlsCarryTheirNamesAndCaptions() {
        MainWindow& f = *window_;
        const std::pair<QAbstractButton*, const char*> captions[] = {
            {f.sizeUnitButtons[0], "Byte"}, {f.sizeUnitButtons[1], "KB"},
            {f.sizeUnitButtons[2], "MB"},   {f.createButton, "作成"},
            {f.copyButton, "ｺﾋﾟｰ"},         {f.clearButton, "ｸﾘｱ"},
            {f.abortButton, "中止"},
        };
        for (auto [button, caption] : captions) {
            QVERIFY(button);
            QCOMPARE(button->text(), QString::fromUtf8(caption));
            // The object name is the member's name, found from the window.
            QCOMPARE(f.findChild<QAbstractButton*>(button->objectName()), button);
        }
        QCOMPARE(f.sizeUnitButtons[1]->objectName(), QStringLiteral("sizeUnitButton1"));
        QCOMPARE(f.fileNameFrame->title(), QStringLiteral("ﾌｧｲﾙ名"));
        QCOMPARE(f.timeFrame->title(), QStringLiteral("ﾀｲﾑｽﾀﾝﾌﾟ"));
        QCOMPARE(f.separatorFrame->title(), QStringLiteral("区切り文字"));
        QVERIFY(f.pathFrame->title().isEmpty());
        QVERIFY(f.sizeFrame->title().isEmpty());
        for (const char* name : {"driveList", "folderTree", "patternBox", "tabStrip", "columnsPage",
                                 "outputPage", "timeFrame", "sizeFrame", "pathFrame",
                                 "fileNameFrame", "separatorFrame", "separatorBox", "listPane",
                                 "statusPanelBar", "menuRuleLower", "menuRuleUpper", "statusRule"})
            QVERIFY2(f.findChild<QWidget*>(QString::fromLatin1(name)), name);
        QCOMPARE(f.patternBox->text(), QStringLiteral("*.*"));
        QCOMPARE(f.patternBox->toolTip(), QStringLiteral("ｾﾐｺﾛﾝ(;) で区切れば複数指定可能です"));
        // Path and size options belong to their frames; the title boxes
        // do not, or disabling a frame would lock its own switch.
        QCOMPARE(f.joinPathAndNameCheck->parentWidget(), f.pathFrame);
        QCOMPARE(f.sizeUnitButtons[2]->parentWidget(), f.sizeFrame);
        QVERIFY(f.pathColumnCheck->parentWidget() != f.pathFrame);
        QVERIFY(f.sizeColumnCheck->parentWidget() != f.sizeFrame);
        QCOMPARE(f.separatorBox->parentWidget(), f.separatorFrame);
    }

    // Every row the table places has its control, named by the row, on the
    // page and in the group the row names; a check box shows the row's
    // caption and a frame's title stands on the frame's line.
    void optionControlsStandWhereTheTableSays() {
        MainWindow& f = *window_;
        const std::pair<OptionPage, QWidget*> pages[] = {{OptionPage::Window, f.centralWidget()},
                                                         {OptionPage::Columns, f.tabPages[0]},
                                                         {OptionPage::Output, f.tabPages[1]}};
        for (auto [page, pageWidget] : pages) {
            for (const SettingDefinition* row : rowsOn(page)) {
                const char* name = row->control.data();
                const std::vector<QWidget*> controls = f.tabStopsOf(*row);
                QVERIFY2(!controls.empty(), name);
                QWidget* group = f.groupWidget(row->place.group);
                QVERIFY2(group && (group == pageWidget || pageWidget->isAncestorOf(group)), name);
                for (QWidget* control : controls) {
                    QVERIFY2(control, name);
                    QVERIFY2(control->objectName().startsWith(QString::fromLatin1(name)), name);
                    QVERIFY2(pageWidget->isAncestorOf(control), name);
                    if (!row->place.titlesFrame) {
                        QVERIFY2(group->isAncestorOf(control), name);
                        continue;
                    }
                    QCOMPARE(control->parentWidget(), pageWidget);
                    const QRect box = control->geometry();
                    QVERIFY2(group->geometry().contains(box.center()), name);
                    QVERIFY2(box.top() < group->y() + group->height() / 4, name);
                }
                if (row->kind == SettingKind::CheckBox) {
                    QCOMPARE(f.checkBoxFor(row->row), controls.front());
                    QCOMPARE(f.checkBoxFor(row->row)->text(),
                             QString::fromUtf8(row->place.caption.data(),
                                               static_cast<qsizetype>(row->place.caption.size())));
                }
            }
        }
    }

    void initialValuesAndEnabledStates() {
        MainWindow& f = *window_;
        // Every option at its first-start value: sub-folders and folder
        // lines ticked, the rest clear.
        for (ValueCheckBox* box : f.findChildren<ValueCheckBox*>()) {
            const int expected = (box == f.subFoldersCheck || box == f.insertPathLineCheck) ? 1 : 0;
            QCOMPARE(box->value(), expected);
        }
        QVERIFY(f.sizeUnitButtons[0]->isChecked());
        QVERIFY(!f.pathFrame->isEnabled());
        for (QWidget* w : {static_cast<QWidget*>(f.shortPathCheck),
                           static_cast<QWidget*>(f.upperCaseFolderCheck),
                           static_cast<QWidget*>(f.halfWidthFolderCheck),
                           static_cast<QWidget*>(f.joinPathAndNameCheck),
                           static_cast<QWidget*>(f.sizeUnitButtons[0]),
                           static_cast<QWidget*>(f.sizeUnitButtons[1]),
                           static_cast<QWidget*>(f.sizeUnitButtons[2])})
            QVERIFY2(!w->isEnabledTo(&f), qPrintable(w->objectName()));
        QVERIFY(f.pathColumnCheck->isEnabledTo(&f));
        QVERIFY(f.sizeColumnCheck->isEnabledTo(&f));
        QVERIFY(f.dropDriveCheck->isEnabledTo(&f));
        QVERIFY(f.upperCaseNameCheck->isEnabledTo(&f));
        QVERIFY(ListPaneEditor(f.listPane).text().isEmpty());
        QVERIFY(f.statusPanels[0]->text().isEmpty());
        QVERIFY(f.statusPanels[1]->text().isEmpty());
    }

    void checkBoxesHoldThreeValuesButClicksOnlyTickAndClear() {
        ValueCheckBox& box = *window_->checkBoxFor(SettingRow::LeadingTab);
        QSignalSpy changes(&box, &QCheckBox::stateChanged);
        box.setValue(2);
        QCOMPARE(box.value(), 2);
        QCOMPARE(box.checkState(), Qt::PartiallyChecked);
        box.click(); // a grayed box is ticked by a click
        QCOMPARE(box.value(), 1);
        box.click();
        QCOMPARE(box.value(), 0);
        box.click();
        QCOMPARE(box.value(), 1);
        QCOMPARE(changes.count(), 4);
        QCOMPARE(checkStateFor(7), Qt::Unchecked);
    }

    void separatorBoxIsEditableWithItsFourChoices() {
        QComboBox& combo = *window_->separatorBox;
        QVERIFY(combo.isEditable());
        QCOMPARE(combo.count(), 4);
        QCOMPARE(combo.itemText(0), QStringLiteral("ﾀﾌﾞ"));
        QCOMPARE(combo.itemText(1), QStringLiteral("ｾﾐｺﾛﾝ"));
        QCOMPARE(combo.itemText(2), QStringLiteral("|"));
        QCOMPARE(combo.itemText(3), QStringLiteral("CSV"));
        QCOMPARE(combo.currentText(), QStringLiteral("ﾀﾌﾞ"));
        // Typed text is kept, not added to the list.
        combo.setEditText(QStringLiteral(", "));
        QCOMPARE(combo.currentText(), QStringLiteral(", "));
        QCOMPARE(combo.count(), 4);
    }

    void listPaneIsPlainUnwrappedAndUsesTheJapaneseFixedFont() {
        auto* area = qobject_cast<QAbstractScrollArea*>(window_->listPane);
        QVERIFY(area);
        QCOMPARE(area->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(area->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        ListPaneEditor pane(window_->listPane);
        QCOMPARE(pane.font().pointSize(), 9);
        // Tab stops every eight half-width columns.
        QCOMPARE(qRound(pane.tabStopDistance()),
                 qRound(8 * QFontMetricsF(pane.font()).horizontalAdvance(QLatin1Char(' '))));
        // A line longer than the pane is not wrapped: it is reached by
        // scrolling sideways.
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        pane.setText(QString(2000, QLatin1Char('w')) + QStringLiteral("\nnext"));
        QCoreApplication::processEvents();
        pane.scrollSideways(10);
        QVERIFY(area->horizontalScrollBar()->value() > 0);
        pane.scrollSideways(-10);
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

    // Each box shows its longest entry whole, inside its page.
    void comboBoxesShowTheirLongestEntry() {
        for (QComboBox* box : {window_->hashAlgorithmBox, window_->separatorBox}) {
            QVERIFY2(box->width() >= box->sizeHint().width(), qPrintable(box->objectName()));
            QVERIFY(box->geometry().left() >= 0);
            QVERIFY(box->geometry().right() < box->parentWidget()->width());
        }
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
        MainWindow& f = *window_;
        QCOMPARE(f.statusBar(), f.statusPanelBar);
        QCOMPARE(f.statusPanels[0]->parentWidget(), f.statusPanelBar);
        QCOMPARE(f.statusPanels[1]->parentWidget(), f.statusPanelBar);
        f.setStatus(1, "ﾌｧｲﾙ情報取得中...");
        f.setStatus(2, "/tmp/x");
        QCOMPARE(f.statusPanels[0]->text(), QStringLiteral("ﾌｧｲﾙ情報取得中..."));
        QCOMPARE(f.statusPanels[1]->text(), QStringLiteral("/tmp/x"));
    }

    void menusWithAccessKeysShortcutsAndHiddenEntries() {
        MainWindow& f = *window_;
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
        QCOMPARE(texts(f.fileMenu), (QStringList{"ﾌｧｲﾙを開く(&O)...", "一覧と比較(&C)...", "-",
                                                 "上書き保存(&S)", "名前を付けて保存(&A)...", "-",
                                                 "印刷(&P)...", "PDF に保存...", "-", "終了(&X)"}));
        QCOMPARE(texts(f.editMenu),
                 (QStringList{"元に戻す(&Z)", "-", "切り取り(&X)", "ｺﾋﾟｰ(&C)", "張り付け(&V)",
                              "削除(&D)", "-", "すべて選択(&A)"}));
        QCOMPARE(texts(f.helpMenu), (QStringList{"Kestro ﾍﾙﾌﾟ(&F)", "ﾄﾋﾟｯｸの検索(&S)...", "-",
                                                 "WebSite(&W)", "-", "ﾊﾞｰｼﾞｮﾝ情報(&V)..."}));
        QCOMPARE(f.settingsMenu->actions().size(), 2);
        QCOMPARE(f.settingsMenu->actions().first()->menu(), f.listedFilesMenu);
        QCOMPARE(f.settingsMenu->actions().last(), f.skipUnreadableEntry);
        QCOMPARE(f.skipUnreadableEntry->text(), QStringLiteral("読めないﾌｫﾙﾀﾞを除いて続ける(&U)"));
        QVERIFY(f.skipUnreadableEntry->isCheckable());
        QCOMPARE(f.listedFilesMenu->title(), QStringLiteral("出力対象ﾌｧｲﾙ(&F)"));
        QCOMPARE(texts(f.listedFilesMenu),
                 (QStringList{"読み取り専用(&R)", "ｱｰｶｲﾌﾞ(&C)", "隠しﾌｧｲﾙ(&D)", "ｼｽﾃﾑ(&S)"}));
        QStringList shown;
        for (QAction* action : f.listedFilesMenu->actions()) {
            if (action->isVisible())
                shown << action->text();
        }
        QCOMPARE(shown, (QStringList{"隠しﾌｧｲﾙ(&D)", "ｼｽﾃﾑ(&S)"}));
        QVERIFY(!f.hiddenEntry->isChecked());
        QVERIFY(!f.systemEntry->isChecked());

        QCOMPARE(f.editEntries[1]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(f.editEntries[8]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
        QCOMPARE(f.helpContentsEntry->shortcut(), QKeySequence(Qt::Key_F1));
        QVERIFY(f.editEntries[2]->isSeparator());
        QVERIFY(f.editEntries[7]->isSeparator());
        QVERIFY(!f.editEntries[0]);
        for (QAction* separator :
             {f.exitSeparator, f.openSeparator, f.versionSeparator, f.searchSeparator})
            QVERIFY(separator->isSeparator());
        QCOMPARE(f.helpSearchEntry->objectName(), QStringLiteral("helpSearchEntry"));
    }

    // The page in front is the one a click on its area reaches.
    void tabStripBringsTheSelectedPageToTheFront() {
        MainWindow& f = *window_;
        QWidget* panel = f.tabPages[0]->parentWidget();
        QCOMPARE(f.tabPages[1]->parentWidget(), panel);
        QCOMPARE(f.tabPages[0]->geometry(), f.tabPages[1]->geometry());
        auto front = [&] {
            // A point of the page area without a control of either page.
            const QPoint corner = f.tabPages[0]->geometry().bottomRight() - QPoint(1, 1);
            QWidget* hit = panel->childAt(corner);
            while (hit && hit != f.tabPages[0] && hit != f.tabPages[1])
                hit = hit->parentWidget();
            return hit;
        };
        QCOMPARE(f.tabStrip->count(), 2);
        QCOMPARE(f.tabStrip->tabText(0), QStringLiteral("出力項目"));
        QCOMPARE(f.tabStrip->tabText(1), QStringLiteral("出力設定"));
        QCOMPARE(f.tabStrip->currentIndex(), 0);
        QCOMPARE(front(), f.tabPages[0]);

        f.tabStrip->setCurrentIndex(1);
        QCOMPARE(front(), f.tabPages[1]);
        // Nothing is hidden or disabled: the pages only overlap.
        QVERIFY(!f.tabPages[0]->isHidden());
        QVERIFY(f.tabPages[0]->isEnabled());

        f.tabStrip->setCurrentIndex(0);
        QCOMPARE(front(), f.tabPages[0]);

        // A click on the tab already selected brings its page forward again.
        f.tabPages[1]->raise();
        QCOMPARE(front(), f.tabPages[1]);
        emit f.tabStrip->tabBarClicked(0);
        QCOMPARE(front(), f.tabPages[0]);
        QCOMPARE(f.tabStrip->currentIndex(), 0);
    }

    // Tab visits what the user sees, in reading order, each master box
    // before its sub-options, and never a control of the page behind.
    void tabOrderFollowsWhatIsShown() {
        MainWindow& f = *window_;
        f.pathColumnCheck->setValue(1);
        f.sizeColumnCheck->setValue(1);
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        auto tabStops = [&] {
            QStringList visited;
            f.driveList->setFocus();
            for (QWidget* at = f.driveList; at && at != f.listPane && visited.size() < 60;
                 at = QApplication::focusWidget()) {
                visited.append(at->objectName());
                QTest::keyClick(at, Qt::Key_Tab);
            }
            return visited;
        };
        auto names = [](const QList<QWidget*>& widgets) {
            QStringList named;
            for (QWidget* widget : widgets)
                named.append(widget ? widget->objectName() : QStringLiteral("(none)"));
            return named;
        };
        // The stops of the table's rows on a page or in a group, in the
        // table's order; of the unit buttons Tab stops at the chosen one,
        // the arrows moving between them.
        auto rowStops = [&](OptionPage page, OptionGroup group) {
            QList<QWidget*> stops;
            for (const SettingDefinition* row : rowsOn(page)) {
                if (group != OptionGroup::None && row->place.group != group)
                    continue;
                stops.append(f.tabStopsOf(*row).front());
            }
            return stops;
        };
        const QList<QWidget*> lead = QList<QWidget*>{f.driveList} +
                                     rowStops(OptionPage::Window, OptionGroup::FolderColumn) +
                                     QList<QWidget*>{f.tabStrip};
        const QList<QWidget*> row = QList<QWidget*>{f.createButton, f.copyButton, f.clearButton} +
                                    rowStops(OptionPage::Window, OptionGroup::CommandRow);
        QCOMPARE(tabStops(), names(lead + rowStops(OptionPage::Columns, {}) + row));
        f.tabStrip->setCurrentIndex(1);
        QCOMPARE(tabStops(), names(lead + rowStops(OptionPage::Output, {}) + row));
        // Leaving a page with the focus on it takes the focus off it too.
        f.dropDriveCheck->setFocus();
        f.tabStrip->setCurrentIndex(0);
        QCOMPARE(QApplication::focusWidget(), f.tabStrip);
    }

    void enterPressesTheFocusedCommandButton() {
        const QTemporaryDir& empty = *folder_;
        QVERIFY(window_->folderTree->setPath(empty.path().toStdString()));
        for (QPushButton* button : {window_->createButton, window_->copyButton,
                                    window_->clearButton, window_->abortButton}) {
            QSignalSpy clicks(button, &QPushButton::clicked);
            QTest::keyClick(button, Qt::Key_Return);
            QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
            QVERIFY2(clicks.count() == 2, qPrintable(button->objectName()));
        }
    }

    void folderListShowsAndChangesTheCurrentFolder() {
        const QTemporaryDir& tree = *folder_;
        const std::string root = tree.path().toStdString();
        QVERIFY(QDir(tree.path()).mkpath(QStringLiteral("a/b")));
        FolderTree& dir = *window_->folderTree;
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
        const QTemporaryDir& tree = *folder_;
        const std::string root = tree.path().toStdString();
        const std::string odd = root + "/caf\xe9";
        QCOMPARE(::mkdir(odd.c_str(), 0700), 0);
        FolderTree& dir = *window_->folderTree;
        QVERIFY(dir.setPath(odd));
        QCOMPARE(dir.pathAt(dir.currentIndex()), odd);

        QVERIFY(dir.setPath(root));
        dir.expand(dir.currentIndex());
        QTRY_COMPARE(dir.model()->rowCount(dir.currentIndex()), 1);
        QTest::keyClick(&dir, Qt::Key_Down);
        QCOMPARE(dir.path(), odd);
        QCOMPARE(window_->readRoot().folder, odd + "/");
        // QTemporaryDir cannot remove a name it cannot decode.
        QCOMPARE(::rmdir(odd.c_str()), 0);
    }

    void shownWindowScrollsTheFolderListToTheCurrentFolder() {
        const QTemporaryDir& tree = *folder_;
        const QString deep = tree.path() + QStringLiteral("/x/y/z");
        QVERIFY(QDir().mkpath(deep));
        MainWindow& f = *window_;
        // Set before the window is shown, as at start-up.
        QVERIFY(f.folderTree->setPath(deep.toStdString()));
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(QTest::qWaitFor([&] {
            const QRect shown = f.folderTree->visualRect(f.folderTree->currentIndex());
            // The row, and the start of its name, are in view.
            return shown.isValid() && f.folderTree->viewport()->rect().contains(
                                          QPoint(shown.left() + 1, shown.center().y()));
        }));
    }
};

QTEST_MAIN(MainWindowLayoutTest)
#include "main_window_layout_test.moc"
