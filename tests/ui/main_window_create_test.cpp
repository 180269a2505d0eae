// The create and abort commands in the window, its idle and running states,
// closing during a run, and the drive list's change rule.

#include "listgen/list_engine.h"
#include "platform/program_paths.h"
#include "platform/settings_store.h"
#include "settings/persisted_settings.h"
#include "support/recording_host.h"
#include "ui/document_commands.h"
#include "ui/folder_tree.h"
#include "ui/list_pane_editor.h"
#include "ui/main_window.h"
#include "ui/run_window.h"
#include "ui/value_check_box.h"

#include "ui/main_window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace kestro;
using namespace kestro::test;

class MainWindowCreateTest : public WindowTest {
    Q_OBJECT

private:
    std::string treePath() const { return folder_->path().toStdString(); }

    // What the engine writes for the window's current options.
    QString expectedList() {
        test::RecordingHost host(window_->readListOptions());
        if (runCreateCommand(host) != RunOutcome::Listed)
            return QStringLiteral("<run failed>");
        QString text = QString::fromStdString(host.list);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        return text;
    }

    // Whether the window is in its idle state, controls and panels; after a
    // list the second panel shows its totals.
    void verifyIdle(const QString& totals = {}) {
        MainWindow& f = *window_;
        QVERIFY(!f.createButton->isHidden());
        QVERIFY(f.abortButton->isHidden());
        QVERIFY(f.listPane->isEnabled());
        QVERIFY(f.folderTree->isEnabled());
        QVERIFY(f.fileMenu->menuAction()->isEnabled());
        QVERIFY(f.statusPanels[0]->text().isEmpty());
        QCOMPARE(f.statusPanels[1]->text(), totals);
        QVERIFY(!f.abortPending);
    }

    void prepare() override {
        makeFile(inFolder(QStringLiteral("b.txt")), "bb");
        makeFile(inFolder(QStringLiteral("a.txt")), "a");
        makeFile(inFolder(QStringLiteral("sub/c.dat")), "ccc");
        makeFile(inFolder(QStringLiteral("sub/ｶﾀｶﾅ.txt")), "k");
        QVERIFY(window_->folderTree->setPath(treePath()));
    }

private slots:

    void createAppendsTheWholeListAfterTheTextInThePane() {
        MainWindow& f = *window_;
        f.sizeColumnCheck->setValue(1);
        const QString before = QStringLiteral("前からあるメモ\n");
        ListPaneEditor(f.listPane).setText(before);
        const QString list = expectedList();
        QVERIFY(list.contains(QStringLiteral("a.txt")));
        QVERIFY(list.contains(QStringLiteral("ｶﾀｶﾅ.txt")));
        QVERIFY(list.contains(QString::fromStdString(treePath() + "/sub")));

        int changes = 0;
        QObject counting;
        ListPaneEditor(f.listPane).onTextChanged(&counting, [&changes] { ++changes; });
        f.onCreateClicked();
        QCOMPARE(ListPaneEditor(f.listPane).text(), before + list);
        QCOMPARE(changes, 1); // one change notification
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(presenter_->beeps, 1);
        verifyIdle(QStringLiteral("4 ﾌｧｲﾙ  7 Byte"));

        // A second run appends a second complete list.
        f.onCreateClicked();
        QCOMPARE(ListPaneEditor(f.listPane).text(), before + list + list);
        QCOMPARE(presenter_->beeps, 2);
    }

    void emptyPatternBoxBecomesAllFiles() {
        MainWindow& f = *window_;
        f.patternBox->clear();
        f.onCreateClicked();
        QCOMPARE(f.patternBox->text(), QStringLiteral("*.*"));
        QVERIFY(ListPaneEditor(f.listPane).text().contains(QStringLiteral("b.txt")));
    }

    void abortDuringTheRunLeavesThePaneAlone() {
        MainWindow& f = *window_;
        ListPaneEditor(f.listPane).setText(QStringLiteral("memo"));
        bool sawRunning = false;
        QString phase;
        // Pressed at the run's first turn of the event loop.
        QTimer::singleShot(0, &f, [&] {
            sawRunning = f.createButton->isHidden() && !f.abortButton->isHidden() &&
                         !f.listPane->isEnabled() && !f.driveList->isEnabled();
            phase = f.statusPanels[0]->text();
            f.abortButton->click();
        });
        bool idleWhileShown = false;
        presenter_->onMessage = [&](const ShownMessage&) {
            idleWhileShown = !f.createButton->isHidden() && f.abortButton->isHidden();
        };
        f.onCreateClicked();
        QVERIFY(sawRunning);
        QCOMPARE(phase, QStringLiteral("ｻﾌﾞﾌｫﾙﾀﾞ検索中..."));
        QCOMPARE(ListPaneEditor(f.listPane).text(), QStringLiteral("memo"));
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        const ShownMessage& shown = presenter_->messages.front();
        QCOMPARE(shown.text, QStringLiteral("ユーザーによって中断されました。"));
        QCOMPARE(shown.title, QStringLiteral("処理の中断"));
        QCOMPARE(shown.icon, MessageIcon::Critical);
        QCOMPARE(f.lastReportText, std::string("ユーザーによって中断されました。"));
        QVERIFY(idleWhileShown);
        QCOMPARE(presenter_->beeps, 0);
        verifyIdle();

        // The next run is complete.
        presenter_->onMessage = nullptr;
        ListPaneEditor(f.listPane).setText(QString());
        f.onCreateClicked();
        QCOMPARE(ListPaneEditor(f.listPane).text(), expectedList());
    }

    void abortButtonOnlyRaisesTheFlag() {
        MainWindow& f = *window_;
        f.onAbortClicked();
        QVERIFY(f.abortPending);
        QVERIFY(presenter_->messages.empty());
        QVERIFY(ListPaneEditor(f.listPane).text().isEmpty());
        // A run clears a flag left from before it started.
        f.onCreateClicked();
        QVERIFY(presenter_->messages.empty());
        QVERIFY(ListPaneEditor(f.listPane).text().contains(QStringLiteral("a.txt")));
    }

    void folderThatVanishedIsReportedAndThePaneStays() {
        MainWindow& f = *window_;
        QVERIFY(f.folderTree->setPath(treePath() + "/sub"));
        QVERIFY(QDir(folder_->path() + QStringLiteral("/sub")).removeRecursively());
        ListPaneEditor(f.listPane).setText(QStringLiteral("memo"));
        f.onCreateClicked();
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QCOMPARE(presenter_->messages[0].title, QStringLiteral("ｴﾗｰ"));
        QCOMPARE(presenter_->messages[0].icon, MessageIcon::Warning);
        QVERIFY(presenter_->messages[0].text.startsWith(QStringLiteral("ｴﾗｰ番号 76 ")));
        QCOMPARE(presenter_->messages[0].text, QString::fromStdString(f.lastReportText));
        QCOMPARE(ListPaneEditor(f.listPane).text(), QStringLiteral("memo"));
        QCOMPARE(presenter_->beeps, 0);
        verifyIdle();
        // The tree now shows the parent that is left, and the next press
        // lists what it shows.
        QCOMPARE(f.folderTree->path(), treePath());
        QCOMPARE(f.folderTree->pathAt(f.folderTree->currentIndex()), treePath());
        f.onCreateClicked();
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QVERIFY(ListPaneEditor(f.listPane).text().contains(QStringLiteral("a.txt")));
    }

    // The folder highlighted is the folder listed and stored, and the drive
    // list shows its drive: walking across a mount point, and when the
    // folder or its drive goes away while the window is open.
    void folderAndDriveListFollowWhatIsThere() {
        const std::string mount = treePath() + "/mnt";
        QVERIFY(QDir(folder_->path()).mkpath(QStringLiteral("mnt/x/y")));
        bool mounted = true;
        MainWindowServices services;
        services.listDrives = [&] {
            return mounted ? std::vector<std::string>{"/", mount} : std::vector<std::string>{"/"};
        };
        window_ = makeWindow(presenter_, services);
        MainWindow& f = *window_;
        FolderTree& dir = *f.folderTree;
        QVERIFY(dir.setPath(treePath()));
        QCOMPARE(f.driveList->currentText(), QStringLiteral("/"));
        dir.expand(dir.currentIndex());
        QTRY_COMPARE(dir.model()->rowCount(dir.currentIndex()), 2); // mnt, sub
        QTest::keyClick(&dir, Qt::Key_Down);
        QCOMPARE(dir.path(), mount);
        QCOMPARE(f.driveList->currentText(), QString::fromStdString(mount));
        QTest::keyClick(&dir, Qt::Key_Left);
        QCOMPARE(dir.path(), treePath());
        QCOMPARE(f.driveList->currentText(), QStringLiteral("/"));
        // A link into the drive leads onto the drive.
        QVERIFY(QFile::link(QString::fromStdString(mount), folder_->path() + "/link"));
        QVERIFY(dir.setPath(treePath() + "/link"));
        QCOMPARE(f.driveList->currentText(), QString::fromStdString(mount));

        // Removed while shown: the tree notices by itself.
        QVERIFY(dir.setPath(mount + "/x/y"));
        QCOMPARE(f.driveList->currentText(), QString::fromStdString(mount));
        QVERIFY(QDir(QString::fromStdString(mount + "/x/y")).removeRecursively());
        QTRY_COMPARE(dir.path(), mount + "/x");
        QCOMPARE(dir.pathAt(dir.currentIndex()), mount + "/x");

        // The drive goes: its mount point leaves the drive list as well.
        mounted = false;
        QVERIFY(QDir(QString::fromStdString(mount)).removeRecursively());
        QVERIFY(dir.followRemoval());
        QCOMPARE(dir.path(), treePath());
        QCOMPARE(f.driveList->currentText(), QStringLiteral("/"));
        QCOMPARE(f.driveList->findText(QString::fromStdString(mount)), -1);
        QCOMPARE(f.readRoot().folder, treePath() + "/");

        // Closing right after a removal stores the folder left, not the gone one.
        QVERIFY(dir.setPath(treePath() + "/sub"));
        QVERIFY(QDir(folder_->path() + QStringLiteral("/sub")).removeRecursively());
        f.close();
        window_ = makeWindow(presenter_);
        QCOMPARE(window_->folderTree->path(), treePath());
        QVERIFY(presenter_->messages.empty());
    }

    void unreadableFolderIsLeftOutAndNamedAfterTheList() {
        MainWindow& f = *window_;
        makeFile(folder_->path() + QStringLiteral("/zz/gone.txt"), "z");
        f.skipUnreadableEntry->setChecked(true);
        // The first turn of the event loop comes before the search reads
        // any sub-folder.
        QTimer::singleShot(
            0, [this] { QDir(folder_->path() + QStringLiteral("/zz")).removeRecursively(); });
        f.onCreateClicked();
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(presenter_->beeps, 1);
        const QString text = ListPaneEditor(f.listPane).text();
        QVERIFY(text.contains(QStringLiteral("b.txt")));
        QVERIFY(!text.contains(QStringLiteral("gone.txt")));
        const QString note =
            QStringLiteral("\n\n読み取れないため一覧から除いたﾌｫﾙﾀﾞ:\nｴﾗｰ番号 76 ");
        QVERIFY2(text.contains(note), qPrintable(text));
        QVERIFY(text.endsWith(QString::fromStdString(treePath()) + QStringLiteral("/zz/)\n")));
        // No size was read: the count alone.
        verifyIdle(QStringLiteral("4 ﾌｧｲﾙ"));
    }

    // 「一覧と比較」 from the file menu: the saved list is picked in the
    // dialog, the difference list is appended and the counts shown.
    void compareAppendsTheDifferencesOfTheSavedList() {
        MainWindow& f = *window_;
        f.sizeColumnCheck->setValue(1);
        const QString saved = inFolder(QStringLiteral("../saved.txt"));
        QFile file(saved);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(expectedList().toUtf8());
        file.close();
        makeFile(inFolder(QStringLiteral("b.txt")), "bbbb");
        QFile::remove(inFolder(QStringLiteral("a.txt")));
        ListPaneEditor(f.listPane).setText(QStringLiteral("メモ\n"));
        attachDocumentCommands(f, DocumentServices{[&](QWidget*, const FileDialogRequest&) {
                                   return std::optional<FileDialogAnswer>(saved);
                               }});
        f.compareEntry->trigger();
        const QString text = ListPaneEditor(f.listPane).text();
        QVERIFY2(text.startsWith(QStringLiteral("メモ\n差分\tﾌｫﾙﾀﾞ\tﾌｧｲﾙ名\tﾌｧｲﾙｻｲｽﾞ\n")),
                 qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("\tb.txt\t2 Byte → 4 Byte\n")));
        QVERIFY(text.contains(QStringLiteral("-\t") + QString::fromStdString(treePath()) +
                              QStringLiteral("/\ta.txt\t1 Byte\n")));
        QVERIFY(presenter_->messages.empty());
        verifyIdle(QStringLiteral("追加 0  削除 1  変更 1"));

        // Other columns: refused before anything is made.
        f.checkBoxFor(SettingRow::AttributeColumn)->setValue(1);
        f.compareEntry->trigger();
        QCOMPARE(ListPaneEditor(f.listPane).text(), text);
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QVERIFY(presenter_->messages[0].text.contains(QStringLiteral("今の設定だけの列: 属性")));
    }

    // 「名前を付けて保存」 with the workbook's filter: the list of the folder
    // shown is made again as a workbook; the pane, its document name and
    // title stay as they were, so that 「上書き保存」 still writes the text.
    void savingAsWorkbookMakesTheListOfTheFolderShown() {
        MainWindow& f = *window_;
        f.sizeColumnCheck->setValue(1);
        ListPaneEditor(f.listPane).setText(QStringLiteral("メモ\n"));
        const QString book = inFolder(QStringLiteral("../list"));
        attachDocumentCommands(f, DocumentServices{[&](QWidget*, const FileDialogRequest&) {
                                   FileDialogAnswer answer(book + QStringLiteral(".xlsx"));
                                   answer.workbook = true;
                                   return std::optional<FileDialogAnswer>(answer);
                               }});
        const QString title = f.windowTitle();
        f.saveAsEntry->trigger();
        QFile file(book + QStringLiteral(".xlsx"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(2), QByteArray("PK")); // a zip, as every workbook is
        QCOMPARE(ListPaneEditor(f.listPane).text(), QStringLiteral("メモ\n"));
        QCOMPARE(f.windowTitle(), title);
        QCOMPARE(documentCommandsOf(f)->state().name(), std::string());
        QVERIFY(presenter_->messages.empty());
    }

    // The hand-over of the finished list turns the event loop; an abort or
    // a close there takes the list out again: the text, its undo history
    // and the title are those from before the press.
    void abortOrCloseDuringTheHandOverLeavesPaneUndoAndTitle_data() {
        QTest::addColumn<bool>("close");
        QTest::newRow("abort") << false;
        QTest::newRow("close") << true;
    }

    void abortOrCloseDuringTheHandOverLeavesPaneUndoAndTitle() {
        QFETCH(bool, close);
        MainWindow& f = *window_;
        f.show();
        attachDocumentCommands(f);
        ListPaneEditor pane(f.listPane);
        pane.setText(QStringLiteral("memo"));
        pane.moveCaretToEnd();
        pane.typeText(QStringLiteral("!"));
        const QString title = f.windowTitle();
        QCOMPARE(title, QStringLiteral("Kestro - (更新)[新規]"));
        f.handOverTurnInterval = 0; // a turn after every piece
        bool handingOver = false;
        QTimer watch;
        watch.setInterval(0);
        connect(&watch, &QTimer::timeout, &f, [&] {
            if (f.statusPanels[0]->text() != QString::fromUtf8(HandOverStatus))
                return;
            handingOver = true;
            watch.stop();
            if (close)
                f.close();
            else
                f.abortButton->click();
        });
        watch.start();
        f.onCreateClicked();
        QVERIFY(handingOver);
        QCOMPARE(pane.text(), QStringLiteral("memo!"));
        QCOMPARE(f.windowTitle(), title);
        QCOMPARE(presenter_->beeps, 0);
        if (close) {
            QVERIFY(presenter_->messages.empty());
        } else {
            QCOMPARE(presenter_->messages.size(), std::size_t{1});
            QCOMPARE(presenter_->messages[0].text,
                     QStringLiteral("ユーザーによって中断されました。"));
            verifyIdle();
        }
        QVERIFY(pane.canUndo());
        pane.undo();
        QCOMPARE(pane.text(), QStringLiteral("memo"));
    }

    void closingDuringARunStoresTheSettingsAndStops() {
        MainWindow& f = *window_;
        f.show();
        f.checkBoxFor(SettingRow::LeadingTab)->setValue(1);
        ListPaneEditor(f.listPane).setText(QStringLiteral("memo"));
        QTimer::singleShot(0, &f, [&] { f.close(); });
        f.onCreateClicked();
        QVERIFY(f.quitRequested());
        QVERIFY(!f.isVisible());
        QCOMPARE(ListPaneEditor(f.listPane).text(), QStringLiteral("memo"));
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(presenter_->beeps, 0);
        SettingsStore store(SettingsApplication);
        QCOMPARE(store.get("chk", "Tabs"), std::string("1"));
        QCOMPARE(store.get("Setting", "Dir"), treePath());
    }

    void terminationSignalsCloseLikeTheCloseBox() {
        // During a run: the list stops, the settings are stored and the
        // temporary file is gone; when idle the window simply closes.
        for (int signal : {SIGTERM, SIGHUP}) {
            auto form = makeWindow(presenter_);
            MainWindow& f = *form;
            QVERIFY(f.folderTree->setPath(treePath()));
            f.show();
            f.checkBoxFor(SettingRow::LeadingTab)->setValue(signal == SIGTERM ? 1 : 0);
            closeOnTerminationSignals(f);
            ::raise(signal);
            if (signal == SIGTERM) {
                f.onCreateClicked();
                QVERIFY(f.quitRequested());
                QVERIFY(!QFile::exists(QString::fromStdString(programFolder()) +
                                       QStringLiteral("/_Kestro.tmp")));
            } else {
                QTRY_VERIFY(!f.isVisible());
            }
            QVERIFY(!f.isVisible());
            QVERIFY(ListPaneEditor(f.listPane).text().isEmpty());
            const SettingsStore store(SettingsApplication);
            QCOMPARE(store.get("chk", "Tabs"), signal == SIGTERM ? "1" : "0");
        }
        QVERIFY(presenter_->messages.empty());
    }

    void enableControlsSwitchesExactlyTheRunningSet() {
        MainWindow& f = *window_;
        const std::vector<QWidget*> switched = {
            f.copyButton,      f.clearButton, f.tabStrip,   f.tabPages[0], f.tabPages[1],
            f.subFoldersCheck, f.listPane,    f.patternBox, f.folderTree,  f.driveList};
        const std::vector<QAction*> menus = {f.fileMenu->menuAction(), f.settingsMenu->menuAction(),
                                             f.editMenu->menuAction(), f.helpMenu->menuAction()};
        // Controls inside the pages keep their own switches.
        f.pathColumnCheck->setValue(1);
        const std::vector<QWidget*> untouched = {f.pathColumnCheck, f.upperCaseFolderCheck,
                                                 f.separatorBox, f.statusPanelBar, f.menuBar()};
        for (bool on : {false, true, false, true}) {
            f.enableControls(on);
            QCOMPARE(f.createButton->isHidden(), !on);
            QCOMPARE(f.abortButton->isHidden(), on);
            for (QWidget* widget : switched)
                QVERIFY2(widget->isEnabledTo(widget->parentWidget()) == on,
                         qPrintable(widget->objectName()));
            for (QAction* menu : menus)
                QCOMPARE(menu->isEnabled(), on);
            for (QWidget* widget : untouched)
                QVERIFY2(widget->isEnabledTo(widget->parentWidget()),
                         qPrintable(widget->objectName()));
            QCOMPARE(f.abortButton->geometry(), f.createButton->geometry());
        }
    }

    void driveChangeFollowsTheReadyAndUnreadyRules() {
        QTemporaryDir drives;
        const std::string missing = drives.path().toStdString() + "/nomedia";
        const std::string locked = drives.path().toStdString() + "/locked";
        const std::string ready = drives.path().toStdString() + "/ready";
        QVERIFY(QDir(drives.path()).mkpath(QStringLiteral("ready")));
        MainWindowServices services;
        services.listDrives = [&] { return std::vector<std::string>{"/", missing, locked, ready}; };
        services.openDriveRoot = [&](const std::string& drive) -> Status {
            if (drive == missing)
                return makeFailure(68, drive);
            if (drive == locked)
                return makeFailure(70, drive);
            return Ok{};
        };
        window_ = makeWindow(presenter_, services);
        MainWindow& f = *window_;
        const std::string work = treePath() + "/sub";
        QVERIFY(f.folderTree->setPath(work));
        QCOMPARE(f.driveList->currentText(), QStringLiteral("/"));

        // A drive that is not there: no message, back to the drive of the
        // folder shown, whose change then shows that drive's root.
        f.driveList->setCurrentText(QString::fromStdString(missing));
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(f.driveList->currentText(), QStringLiteral("/"));
        QCOMPARE(f.folderTree->path(), std::string("/"));

        // Any other failure is reported; the drive list keeps the drive.
        QVERIFY(f.folderTree->setPath(work));
        f.driveList->setCurrentText(QString::fromStdString(locked));
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QCOMPARE(presenter_->messages[0].title, QStringLiteral("ｴﾗｰ"));
        QVERIFY(presenter_->messages[0].text.startsWith(QStringLiteral("ｴﾗｰ番号 70 ")));
        QCOMPARE(f.driveList->currentText(), QString::fromStdString(locked));
        QCOMPARE(f.folderTree->path(), work);

        // A ready drive shows its root.
        f.driveList->setCurrentText(QString::fromStdString(ready));
        QCOMPARE(f.folderTree->path(), ready);
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
    }
};

QTEST_MAIN(MainWindowCreateTest)
#include "main_window_create_test.moc"
