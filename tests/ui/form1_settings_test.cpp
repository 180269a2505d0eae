// The window's stored settings: first start, a save and load of every row,
// bad stored values, a stored folder that is gone or on another drive, and
// saving on close.

#include "platform/program_paths.h"
#include "platform/settings_store.h"
#include "settings/persisted_settings.h"
#include "ui/folder_tree.h"
#include "ui/form1.h"
#include "ui/value_check_box.h"

#include "ui/form_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

using namespace kestro;
using namespace kestro::test;

namespace {

void writeConf(const PrivateSettings& settings, const std::string& text) {
    QDir().mkpath(QString::fromStdString(settings.configFolder() + "/Kestro"));
    QFile file(QString::fromStdString(settings.confPath()));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray::fromStdString(text));
}

// Every option box of the window, in the order of the stored rows.
std::vector<ValueCheckBox*> optionBoxes(Form1& f) {
    return {f.chkSub,      f.chkPath,        f.chkShortPath, f.chkDirLarge,   f.chkDirHalf,
            f.chkDiv,      f.chkDelKaku,     f.chkShort,     f.chkFNameLarge, f.chkFNameHalf,
            f.chkFileSize, f.chkTimeMake,    f.chkTimeRenew, f.chkTimeAccess, f.Check1,
            f.chkInsPath,  f.chkDirDelDrive, f.chkTabs,      f.chkAttribute,  f.chkFileType};
}

} // namespace

class Form1SettingsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PrivateSettings> settings_;
    std::shared_ptr<RecordingPresenter> presenter_;

private slots:
    void init() {
        settings_ = std::make_unique<PrivateSettings>();
        presenter_ = std::make_shared<RecordingPresenter>();
    }
    void cleanup() { settings_.reset(); }

    void firstStartUsesEveryDefault() {
        auto form = makeForm(presenter_);
        Form1& f = *form;
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(f.pos(), QPoint(0, 0));
        QCOMPARE(f.Dir1->path(), programFolder());
        for (ValueCheckBox* box : optionBoxes(f))
            QCOMPARE(box->Value(), (box == f.chkSub || box == f.chkInsPath) ? 1 : 0);
        QVERIFY(f.optByte[0]->isChecked());
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("ﾀﾌﾞ"));
        QVERIFY(!f.mnuSetHidden->isChecked());
        QVERIFY(!f.mnuSetSystem->isChecked());
        QVERIFY(!f.mnuSetSkipUnreadable->isChecked());
        QVERIFY(!f.readListOptions().SkipUnreadable);
        QVERIFY(!f.File1.hidden);
        QVERIFY(!f.File1.system);
        QVERIFY(f.File1.readOnly);
        QVERIFY(f.File1.archive);
        QCOMPARE(f.TabStrip1->currentIndex(), 0);
        QCOMPARE(f.windowTitle(), QStringLiteral("Kestro - [新規]"));
        // Loading the defaults leaves the interlocks as built.
        QVERIFY(!f.Frame3->isEnabled());
        QVERIFY(!f.optByte[1]->isEnabled());
        QVERIFY(f.chkDirDelDrive->isEnabled());
        // Nothing is written before the window closes.
        QVERIFY(!QFile::exists(QString::fromStdString(settings_->confPath())));
    }

    void everyRowSurvivesCloseAndRestart() {
        QTemporaryDir folder;
        const std::string chosen = folder.path().toStdString();
        std::string top;
        std::string left;
        {
            auto form = makeForm(presenter_);
            Form1& f = *form;
            f.move(100, 40);
            top = singleText(static_cast<float>(f.toTwips(40)));
            left = singleText(static_cast<float>(f.toTwips(100)));
            QVERIFY(f.Dir1->setPath(chosen));
            // Every box away from its default; one grayed by code.
            for (ValueCheckBox* box : optionBoxes(f))
                box->setValue(box->Value() == 1 ? 0 : 1);
            f.chkTimeRenew->setValue(2);
            f.optByte[2]->setChecked(true);
            f.mnuSetHidden_Click();
            f.mnuSetSystem_Click();
            f.mnuSetSkipUnreadable->trigger();
            f.Combo1->setEditText(QStringLiteral(", "));
            f.close();
        }
        // All 28 rows were written, in their stored forms.
        SettingsStore store(SettingsApplication);
        for (const SettingDefinition& row : settingDefinitions())
            QVERIFY2(store.contains(std::string(row.section), std::string(row.key)),
                     row.key.data());
        QCOMPARE(store.get("Setting", "Top"), top);
        QCOMPARE(store.get("Setting", "Left"), left);
        QCOMPARE(QString::fromStdString(store.get("File", "Hidden")), QStringLiteral("True"));
        QCOMPARE(QString::fromStdString(store.get("chk", "TimeRenew")), QStringLiteral("2"));
        QCOMPARE(QString::fromStdString(store.get("chk", "chkSub")), QStringLiteral("0"));
        QCOMPARE(QString::fromStdString(store.get("Setting", "SkipUnreadable")),
                 QStringLiteral("True"));

        auto form = makeForm(presenter_);
        Form1& f = *form;
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(f.pos(), QPoint(100, 40));
        QCOMPARE(f.Dir1->path(), chosen);
        for (ValueCheckBox* box : optionBoxes(f)) {
            const int expected =
                box == f.chkTimeRenew ? 2 : ((box == f.chkSub || box == f.chkInsPath) ? 0 : 1);
            QCOMPARE(box->Value(), expected);
        }
        QVERIFY(f.optByte[2]->isChecked());
        QVERIFY(f.mnuSetHidden->isChecked());
        QVERIFY(f.mnuSetSystem->isChecked());
        QVERIFY(f.mnuSetSkipUnreadable->isChecked());
        QVERIFY(f.readListOptions().SkipUnreadable);
        QVERIFY(f.File1.hidden);
        QVERIFY(f.File1.system);
        QCOMPARE(f.Combo1->currentText(), QStringLiteral(", "));
        QCOMPARE(f.readListOptions().Separator, std::string(", "));
        // The loaded values ran their interlocks.
        QVERIFY(f.Frame3->isEnabled());
        QVERIFY(f.optByte[0]->isEnabled());
        QVERIFY(!f.chkDirDelDrive->isEnabled()); // InsPath now clear
        QVERIFY(!f.chkFNameLarge->isEnabled());  // Short ticked
        QVERIFY(!f.chkDirLarge->isEnabled());    // ShortPath ticked
    }

    void badValueIsReportedOnceAndTheOtherRowsStillLoad() {
        QTemporaryDir folder;
        writeConf(*settings_, "[Setting]\nTop=150\nLeft=300\nDir=" + folder.path().toStdString() +
                                  "\n[File]\nHidden=True\n"
                                  "[chk]\nPath=1\nFileSize=abc\nByte=1\nTabs=1\nDivStr=|\n");
        auto form = makeForm(presenter_);
        Form1& f = *form;
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        const ShownMessage& shown = presenter_->messages.front();
        QCOMPARE(shown.title, QStringLiteral("ｴﾗｰ"));
        QCOMPARE(shown.icon, MessageIcon::Warning);
        QCOMPARE(shown.text, QString::fromStdString(f.ReportText));
        QVERIFY(shown.text.startsWith(QStringLiteral("ｴﾗｰ番号 13 でｴﾗｰが発生しました。\r")));
        QVERIFY(shown.text.contains(QStringLiteral("chk/FileSize")));
        // The bad row kept the box's state; the rows before and after it
        // were applied.
        QCOMPARE(f.chkFileSize->Value(), 0);
        QVERIFY(!f.optByte[1]->isEnabled());
        QCOMPARE(f.pos(), QPoint(f.toPixels(300), f.toPixels(150)));
        QCOMPARE(f.Dir1->path(), folder.path().toStdString());
        QVERIFY(f.mnuSetHidden->isChecked());
        QCOMPARE(f.chkPath->Value(), 1);
        QVERIFY(f.Frame3->isEnabled());
        QVERIFY(f.optByte[1]->isChecked());
        QCOMPARE(f.chkTabs->Value(), 1);
        QCOMPARE(f.Combo1->currentText(), QStringLiteral("|"));
    }

    void eachBadRowHasItsOwnReport() {
        // A place beyond a window's coordinates cannot be applied either.
        writeConf(*settings_, "[Setting]\nTop=x\nLeft=1e12\n[chk]\nPath=7\nByte=5\nKaku=1\n");
        auto form = makeForm(presenter_);
        QCOMPARE(presenter_->messages.size(), std::size_t{4});
        QVERIFY(presenter_->messages[0].text.contains(QStringLiteral("ｴﾗｰ番号 13 ")));
        QVERIFY(presenter_->messages[1].text.contains(QStringLiteral("ｴﾗｰ番号 6 ")));
        QVERIFY(presenter_->messages[1].text.contains(QStringLiteral("Setting/Left")));
        QCOMPARE(form->pos(), QPoint(0, 0));
        QVERIFY(presenter_->messages[2].text.contains(QStringLiteral("ｴﾗｰ番号 380 ")));
        QVERIFY(presenter_->messages[3].text.contains(QStringLiteral("ｴﾗｰ番号 340 ")));
        QCOMPARE(form->chkPath->Value(), 0);
        QVERIFY(form->optByte[0]->isChecked());
        QCOMPARE(form->Check1->Value(), 1);
    }

    void removedFolderStartsSilentlyInTheProgramFolder() {
        std::string removed;
        {
            QTemporaryDir folder;
            removed = folder.path().toStdString() + "/gone";
        }
        writeConf(*settings_, "[Setting]\nDir=" + removed + "\n[chk]\nTabs=1\n");
        auto form = makeForm(presenter_);
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(form->Dir1->path(), programFolder());
        QCOMPARE(form->chkTabs->Value(), 1);
        // Closing stores the folder actually shown.
        form->close();
        QCOMPARE(SettingsStore(SettingsApplication).get("Setting", "Dir"), programFolder());
    }

    // The stored folder survives even when the drive list showed another
    // drive: the list follows the folder without running its change.
    void storedFolderOnAnotherDriveIsKept() {
        QTemporaryDir drive;
        const std::string driveRoot = drive.path().toStdString();
        QVERIFY(QDir(drive.path()).mkpath(QStringLiteral("deep/er")));
        const std::string stored = driveRoot + "/deep/er";
        writeConf(*settings_, "[Setting]\nDir=" + stored + "\n");
        std::vector<std::string> opened;
        Form1Services services;
        services.listDrives = [&] { return std::vector<std::string>{"/", driveRoot}; };
        services.openDriveRoot = [&](const std::string& root) -> Status {
            opened.push_back(root);
            return Ok{};
        };
        auto form = makeForm(presenter_, services);
        QCOMPARE(form->Dir1->path(), stored);
        QCOMPARE(form->Drive1->currentText(), QString::fromStdString(driveRoot));
        QVERIFY(opened.empty());
        QVERIFY(presenter_->messages.empty());
    }

    void exitEntryStoresTheSettingsLikeTheCloseBox() {
        auto form = makeForm(presenter_);
        form->chkAttribute->setValue(1);
        form->mnuFileExit->trigger();
        QVERIFY(!form->isVisible());
        QCOMPARE(SettingsStore(SettingsApplication).get("chk", "Attribute"), std::string("1"));
    }

    void unreadableSettingsAreReportedOnceAndKeptAtClose() {
        // A folder in place of the file: it cannot be read, and the window
        // must not replace it with the defaults.
        QVERIFY(QDir().mkpath(QString::fromStdString(settings_->confPath())));
        auto form = makeForm(presenter_);
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QVERIFY(presenter_->messages[0].text.startsWith(QStringLiteral("ｴﾗｰ番号 75 ")));
        QVERIFY(presenter_->messages[0].text.contains(QString::fromUtf8(SettingsKeptNote)));
        QCOMPARE(form->chkInsPath->Value(), 1);
        form->chkAttribute->setValue(1);
        QVERIFY(form->close());
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QVERIFY(QFileInfo(QString::fromStdString(settings_->confPath())).isDir());
    }

    void unwritableSettingsAreReportedAndTheWindowStillCloses() {
        // A file where the settings folder should be.
        QFile blocker(QString::fromStdString(settings_->configFolder() + "/Kestro"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto form = makeForm(presenter_);
        QVERIFY(presenter_->messages.empty());
        form->show();
        QVERIFY(form->close());
        QVERIFY(!form->isVisible());
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QCOMPARE(presenter_->messages[0].title, QStringLiteral("ｴﾗｰ"));
    }
};

QTEST_MAIN(Form1SettingsTest)
#include "form1_settings_test.moc"
