// The create and abort commands in the window, its idle and running states,
// closing during a run, and the drive list's change rule.

#include "listgen/list_engine.h"
#include "platform/program_paths.h"
#include "platform/settings_store.h"
#include "settings/persisted_settings.h"
#include "support/recording_host.h"
#include "ui/folder_tree.h"
#include "ui/form1.h"
#include "ui/run_window.h"
#include "ui/value_check_box.h"

#include "ui/form_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
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

class Form1CreateTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PrivateSettings> settings_;
    std::shared_ptr<RecordingPresenter> presenter_;
    std::unique_ptr<Form1> form_;
    std::unique_ptr<QTemporaryDir> tree_;

    std::string treePath() const { return tree_->path().toStdString(); }

    // What the engine writes for the window's current options.
    QString expectedList() {
        test::RecordingHost host(form_->readListOptions());
        if (runCreateCommand(host) != RunOutcome::Listed)
            return QStringLiteral("<run failed>");
        QString text = QString::fromStdString(host.list);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        return text;
    }

    // Whether the window is in its idle state, controls and panels.
    void verifyIdle() {
        Form1& f = *form_;
        QVERIFY(!f.Command1->isHidden());
        QVERIFY(f.Command5->isHidden());
        QVERIFY(f.Text1->isEnabled());
        QVERIFY(f.Dir1->isEnabled());
        QVERIFY(f.mnuFile->menuAction()->isEnabled());
        QVERIFY(f.SBarPanel[0]->text().isEmpty());
        QVERIFY(f.SBarPanel[1]->text().isEmpty());
        QVERIFY(!f.AbortRequested);
    }

private slots:
    void init() {
        settings_ = std::make_unique<PrivateSettings>();
        presenter_ = std::make_shared<RecordingPresenter>();
        form_ = makeForm(presenter_);
        tree_ = std::make_unique<QTemporaryDir>();
        makeFile(tree_->path() + QStringLiteral("/b.txt"), "bb");
        makeFile(tree_->path() + QStringLiteral("/a.txt"), "a");
        makeFile(tree_->path() + QStringLiteral("/sub/c.dat"), "ccc");
        makeFile(tree_->path() + QStringLiteral("/sub/ｶﾀｶﾅ.txt"), "k");
        QVERIFY(form_->Dir1->setPath(treePath()));
    }
    void cleanup() {
        form_.reset();
        tree_.reset();
        settings_.reset();
    }

    void createAppendsTheWholeListAfterTheTextInThePane() {
        Form1& f = *form_;
        f.chkFileSize->setValue(1);
        const QString before = QStringLiteral("前からあるメモ\n");
        f.Text1->setPlainText(before);
        const QString list = expectedList();
        QVERIFY(list.contains(QStringLiteral("a.txt")));
        QVERIFY(list.contains(QStringLiteral("ｶﾀｶﾅ.txt")));
        QVERIFY(list.contains(QString::fromStdString(treePath() + "/sub")));

        QSignalSpy changes(f.Text1, &QPlainTextEdit::textChanged);
        f.Command1_Click();
        QCOMPARE(f.Text1->toPlainText(), before + list);
        QCOMPARE(changes.count(), 1); // one assignment
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(presenter_->beeps, 1);
        verifyIdle();

        // A second run appends a second complete list.
        f.Command1_Click();
        QCOMPARE(f.Text1->toPlainText(), before + list + list);
        QCOMPARE(presenter_->beeps, 2);
    }

    void emptyPatternBoxBecomesAllFiles() {
        Form1& f = *form_;
        f.Text2->clear();
        f.Command1_Click();
        QCOMPARE(f.Text2->text(), QStringLiteral("*.*"));
        QVERIFY(f.Text1->toPlainText().contains(QStringLiteral("b.txt")));
    }

    void abortDuringTheRunLeavesThePaneAlone() {
        Form1& f = *form_;
        f.Text1->setPlainText(QStringLiteral("memo"));
        bool sawRunning = false;
        QString phase;
        // Pressed at the run's first turn of the event loop.
        QTimer::singleShot(0, &f, [&] {
            sawRunning = f.Command1->isHidden() && !f.Command5->isHidden() &&
                         !f.Text1->isEnabled() && !f.Drive1->isEnabled();
            phase = f.SBarPanel[0]->text();
            f.Command5->click();
        });
        bool idleWhileShown = false;
        presenter_->onMessage = [&](const ShownMessage&) {
            idleWhileShown = !f.Command1->isHidden() && f.Command5->isHidden();
        };
        f.Command1_Click();
        QVERIFY(sawRunning);
        QCOMPARE(phase, QStringLiteral("ｻﾌﾞﾌｫﾙﾀﾞ検索中..."));
        QCOMPARE(f.Text1->toPlainText(), QStringLiteral("memo"));
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        const ShownMessage& shown = presenter_->messages.front();
        QCOMPARE(shown.text, QStringLiteral("ユーザーによって中断されました。"));
        QCOMPARE(shown.title, QStringLiteral("処理の中断"));
        QCOMPARE(shown.icon, MessageIcon::Critical);
        QCOMPARE(f.ReportText, std::string("ユーザーによって中断されました。"));
        QVERIFY(idleWhileShown);
        QCOMPARE(presenter_->beeps, 0);
        verifyIdle();

        // The next run is complete.
        presenter_->onMessage = nullptr;
        f.Text1->clear();
        f.Command1_Click();
        QCOMPARE(f.Text1->toPlainText(), expectedList());
    }

    void abortButtonOnlyRaisesTheFlag() {
        Form1& f = *form_;
        f.Command5_Click();
        QVERIFY(f.AbortRequested);
        QVERIFY(presenter_->messages.empty());
        QVERIFY(f.Text1->toPlainText().isEmpty());
        // A run clears a flag left from before it started.
        f.Command1_Click();
        QVERIFY(presenter_->messages.empty());
        QVERIFY(f.Text1->toPlainText().contains(QStringLiteral("a.txt")));
    }

    void folderThatVanishedIsReportedAndThePaneStays() {
        Form1& f = *form_;
        QVERIFY(f.Dir1->setPath(treePath() + "/sub"));
        QVERIFY(QDir(tree_->path() + QStringLiteral("/sub")).removeRecursively());
        f.Text1->setPlainText(QStringLiteral("memo"));
        f.Command1_Click();
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QCOMPARE(presenter_->messages[0].title, QStringLiteral("ｴﾗｰ"));
        QCOMPARE(presenter_->messages[0].icon, MessageIcon::Warning);
        QVERIFY(presenter_->messages[0].text.startsWith(QStringLiteral("ｴﾗｰ番号 76 ")));
        QCOMPARE(presenter_->messages[0].text, QString::fromStdString(f.ReportText));
        QCOMPARE(f.Text1->toPlainText(), QStringLiteral("memo"));
        QCOMPARE(presenter_->beeps, 0);
        verifyIdle();
        // The tree now shows the parent that is left, and the next press
        // lists what it shows.
        QCOMPARE(f.Dir1->path(), treePath());
        QCOMPARE(f.Dir1->pathAt(f.Dir1->currentIndex()), treePath());
        f.Command1_Click();
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QVERIFY(f.Text1->toPlainText().contains(QStringLiteral("a.txt")));
    }

    // The folder highlighted is the folder listed and stored, and the drive
    // list shows its drive: walking across a mount point, and when the
    // folder or its drive goes away while the window is open.
    void folderAndDriveListFollowWhatIsThere() {
        const std::string mount = treePath() + "/mnt";
        QVERIFY(QDir(tree_->path()).mkpath(QStringLiteral("mnt/x/y")));
        bool mounted = true;
        Form1Services services;
        services.listDrives = [&] {
            return mounted ? std::vector<std::string>{"/", mount} : std::vector<std::string>{"/"};
        };
        form_ = makeForm(presenter_, services);
        Form1& f = *form_;
        FolderTree& dir = *f.Dir1;
        QVERIFY(dir.setPath(treePath()));
        QCOMPARE(f.Drive1->currentText(), QStringLiteral("/"));
        dir.expand(dir.currentIndex());
        QTRY_COMPARE(dir.model()->rowCount(dir.currentIndex()), 2); // mnt, sub
        QTest::keyClick(&dir, Qt::Key_Down);
        QCOMPARE(dir.path(), mount);
        QCOMPARE(f.Drive1->currentText(), QString::fromStdString(mount));
        QTest::keyClick(&dir, Qt::Key_Left);
        QCOMPARE(dir.path(), treePath());
        QCOMPARE(f.Drive1->currentText(), QStringLiteral("/"));
        // A link into the drive leads onto the drive.
        QVERIFY(QFile::link(QString::fromStdString(mount), tree_->path() + "/link"));
        QVERIFY(dir.setPath(treePath() + "/link"));
        QCOMPARE(f.Drive1->currentText(), QString::fromStdString(mount));

        // Removed while shown: the tree notices by itself.
        QVERIFY(dir.setPath(mount + "/x/y"));
        QCOMPARE(f.Drive1->currentText(), QString::fromStdString(mount));
        QVERIFY(QDir(QString::fromStdString(mount + "/x/y")).removeRecursively());
        QTRY_COMPARE(dir.path(), mount + "/x");
        QCOMPARE(dir.pathAt(dir.currentIndex()), mount + "/x");

        // The drive goes: its mount point leaves the drive list as well.
        mounted = false;
        QVERIFY(QDir(QString::fromStdString(mount)).removeRecursively());
        QVERIFY(dir.followRemoval());
        QCOMPARE(dir.path(), treePath());
        QCOMPARE(f.Drive1->currentText(), QStringLiteral("/"));
        QCOMPARE(f.Drive1->findText(QString::fromStdString(mount)), -1);
        QCOMPARE(f.readRoot().folder, treePath() + "/");

        // Closing right after a removal stores the folder left, not the gone one.
        QVERIFY(dir.setPath(treePath() + "/sub"));
        QVERIFY(QDir(tree_->path() + QStringLiteral("/sub")).removeRecursively());
        f.close();
        form_ = makeForm(presenter_);
        QCOMPARE(form_->Dir1->path(), treePath());
        QVERIFY(presenter_->messages.empty());
    }

    void unreadableFolderIsLeftOutAndNamedAfterTheList() {
        Form1& f = *form_;
        makeFile(tree_->path() + QStringLiteral("/zz/gone.txt"), "z");
        f.mnuSetSkipUnreadable->setChecked(true);
        // The first turn of the event loop comes before the search reads
        // any sub-folder.
        QTimer::singleShot(
            0, [this] { QDir(tree_->path() + QStringLiteral("/zz")).removeRecursively(); });
        f.Command1_Click();
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(presenter_->beeps, 1);
        const QString text = f.Text1->toPlainText();
        QVERIFY(text.contains(QStringLiteral("b.txt")));
        QVERIFY(!text.contains(QStringLiteral("gone.txt")));
        const QString note =
            QStringLiteral("\n\n読み取れないため一覧から除いたﾌｫﾙﾀﾞ:\nｴﾗｰ番号 76 ");
        QVERIFY2(text.contains(note), qPrintable(text));
        QVERIFY(text.endsWith(QString::fromStdString(treePath()) + QStringLiteral("/zz/)\n")));
        verifyIdle();
    }

    void closingDuringARunStoresTheSettingsAndStops() {
        Form1& f = *form_;
        f.show();
        f.chkTabs->setValue(1);
        f.Text1->setPlainText(QStringLiteral("memo"));
        QTimer::singleShot(0, &f, [&] { f.close(); });
        f.Command1_Click();
        QVERIFY(f.quitRequested());
        QVERIFY(!f.isVisible());
        QCOMPARE(f.Text1->toPlainText(), QStringLiteral("memo"));
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
            auto form = makeForm(presenter_);
            Form1& f = *form;
            QVERIFY(f.Dir1->setPath(treePath()));
            f.show();
            f.chkTabs->setValue(signal == SIGTERM ? 1 : 0);
            closeOnTerminationSignals(f);
            ::raise(signal);
            if (signal == SIGTERM) {
                f.Command1_Click();
                QVERIFY(f.quitRequested());
                QVERIFY(!QFile::exists(QString::fromStdString(programFolder()) +
                                       QStringLiteral("/_Kestro.tmp")));
            } else {
                QTRY_VERIFY(!f.isVisible());
            }
            QVERIFY(!f.isVisible());
            QVERIFY(f.Text1->toPlainText().isEmpty());
            const SettingsStore store(SettingsApplication);
            QCOMPARE(store.get("chk", "Tabs"), signal == SIGTERM ? "1" : "0");
        }
        QVERIFY(presenter_->messages.empty());
    }

    void enableControlsSwitchesExactlyTheRunningSet() {
        Form1& f = *form_;
        const std::vector<QWidget*> switched = {f.Command2, f.Command3, f.TabStrip1, f.Edit[0],
                                                f.Edit[1],  f.chkSub,   f.Text1,     f.Text2,
                                                f.Dir1,     f.Drive1};
        const std::vector<QAction*> menus = {f.mnuFile->menuAction(), f.mnuSet->menuAction(),
                                             f.mnuEdit->menuAction(), f.mnuHelp->menuAction()};
        // Controls inside the pages keep their own switches.
        f.chkPath->setValue(1);
        const std::vector<QWidget*> untouched = {f.chkPath, f.chkDirLarge, f.Combo1, f.SBar,
                                                 f.menuBar()};
        for (bool on : {false, true, false, true}) {
            f.EnableControls(on);
            QCOMPARE(f.Command1->isHidden(), !on);
            QCOMPARE(f.Command5->isHidden(), on);
            for (QWidget* widget : switched)
                QVERIFY2(widget->isEnabledTo(widget->parentWidget()) == on,
                         qPrintable(widget->objectName()));
            for (QAction* menu : menus)
                QCOMPARE(menu->isEnabled(), on);
            for (QWidget* widget : untouched)
                QVERIFY2(widget->isEnabledTo(widget->parentWidget()),
                         qPrintable(widget->objectName()));
            QCOMPARE(f.Command5->geometry(), f.Command1->geometry());
        }
    }

    void driveChangeFollowsTheReadyAndUnreadyRules() {
        QTemporaryDir drives;
        const std::string missing = drives.path().toStdString() + "/nomedia";
        const std::string locked = drives.path().toStdString() + "/locked";
        const std::string ready = drives.path().toStdString() + "/ready";
        QVERIFY(QDir(drives.path()).mkpath(QStringLiteral("ready")));
        Form1Services services;
        services.listDrives = [&] { return std::vector<std::string>{"/", missing, locked, ready}; };
        services.openDriveRoot = [&](const std::string& drive) -> Status {
            if (drive == missing)
                return makeFailure(68, drive);
            if (drive == locked)
                return makeFailure(70, drive);
            return Ok{};
        };
        form_ = makeForm(presenter_, services);
        Form1& f = *form_;
        const std::string work = treePath() + "/sub";
        QVERIFY(f.Dir1->setPath(work));
        QCOMPARE(f.Drive1->currentText(), QStringLiteral("/"));

        // A drive that is not there: no message, back to the drive of the
        // folder shown, whose change then shows that drive's root.
        f.Drive1->setCurrentText(QString::fromStdString(missing));
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(f.Drive1->currentText(), QStringLiteral("/"));
        QCOMPARE(f.Dir1->path(), std::string("/"));

        // Any other failure is reported; the drive list keeps the drive.
        QVERIFY(f.Dir1->setPath(work));
        f.Drive1->setCurrentText(QString::fromStdString(locked));
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QCOMPARE(presenter_->messages[0].title, QStringLiteral("ｴﾗｰ"));
        QVERIFY(presenter_->messages[0].text.startsWith(QStringLiteral("ｴﾗｰ番号 70 ")));
        QCOMPARE(f.Drive1->currentText(), QString::fromStdString(locked));
        QCOMPARE(f.Dir1->path(), work);

        // A ready drive shows its root.
        f.Drive1->setCurrentText(QString::fromStdString(ready));
        QCOMPARE(f.Dir1->path(), ready);
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
    }
};

QTEST_MAIN(Form1CreateTest)
#include "form1_create_test.moc"
