// The window's stored settings: first start, a save and load of every row,
// bad stored values, a stored folder that is gone or on another drive, and
// saving on close.

#include "platform/program_paths.h"
#include "platform/settings_store.h"
#include "settings/persisted_settings.h"
#include "ui/folder_tree.h"
#include "ui/main_window.h"
#include "ui/value_check_box.h"

#include "ui/main_window_fixture.h"

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

// Every option box of the window: the check box of each check box row.
std::vector<ValueCheckBox*> optionBoxes(MainWindow& f) {
    std::vector<ValueCheckBox*> boxes;
    for (const SettingDefinition& row : settingDefinitions()) {
        if (row.kind == SettingKind::CheckBox)
            boxes.push_back(f.checkBoxFor(row.row));
    }
    return boxes;
}

} // namespace

// Each test makes its windows: the settings are read when a window is made.
class MainWindowSettingsTest : public WindowTest {
    Q_OBJECT

public:
    MainWindowSettingsTest() : WindowTest(Window::MadeByTests) {}

private slots:

    void firstStartUsesEveryDefault() {
        auto form = makeWindow(presenter_);
        MainWindow& f = *form;
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(f.pos(), QPoint(0, 0));
        QCOMPARE(f.folderTree->path(), programFolder());
        for (ValueCheckBox* box : optionBoxes(f))
            QCOMPARE(box->value(),
                     (box == f.subFoldersCheck || box == f.insertPathLineCheck) ? 1 : 0);
        QVERIFY(f.sizeUnitButtons[0]->isChecked());
        QCOMPARE(f.separatorBox->currentText(), QStringLiteral("ﾀﾌﾞ"));
        QVERIFY(!f.hiddenEntry->isChecked());
        QVERIFY(!f.systemEntry->isChecked());
        QVERIFY(!f.skipUnreadableEntry->isChecked());
        QVERIFY(!f.readListOptions().skipUnreadable);
        QVERIFY(!f.includeSwitches.hidden);
        QVERIFY(!f.includeSwitches.system);
        QVERIFY(f.includeSwitches.readOnly);
        QVERIFY(f.includeSwitches.archive);
        QCOMPARE(f.tabStrip->currentIndex(), 0);
        QCOMPARE(f.windowTitle(), QStringLiteral("Kestro - [新規]"));
        // Loading the defaults leaves the interlocks as built.
        QVERIFY(!f.pathFrame->isEnabled());
        QVERIFY(!f.sizeUnitButtons[1]->isEnabled());
        QVERIFY(f.dropDriveCheck->isEnabled());
        // Nothing is written before the window closes.
        QVERIFY(!QFile::exists(QString::fromStdString(settings_->confPath())));
    }

    void everyRowSurvivesCloseAndRestart() {
        QTemporaryDir folder;
        const std::string chosen = folder.path().toStdString();
        std::string top;
        std::string left;
        {
            auto form = makeWindow(presenter_);
            MainWindow& f = *form;
            f.move(100, 40);
            top = singleText(static_cast<float>(f.toTwips(40)));
            left = singleText(static_cast<float>(f.toTwips(100)));
            QVERIFY(f.folderTree->setPath(chosen));
            // Every box away from its default; one grayed by code.
            for (ValueCheckBox* box : optionBoxes(f))
                box->setValue(box->value() == 1 ? 0 : 1);
            f.checkBoxFor(SettingRow::WriteTime)->setValue(2);
            f.sizeUnitButtons[2]->setChecked(true);
            f.onHiddenEntryClicked();
            f.onSystemEntryClicked();
            f.skipUnreadableEntry->trigger();
            f.separatorBox->setCurrentIndex(3);
            f.saveEncoding = TextEncoding::ShiftJis;
            f.hashAlgorithmBox->setCurrentIndex(1);
            f.close();
        }
        // All 31 rows were written, in their stored forms.
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
        QCOMPARE(QString::fromStdString(store.get("Setting", "Encoding")), QStringLiteral("sjis"));

        auto form = makeWindow(presenter_);
        MainWindow& f = *form;
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(f.pos(), QPoint(100, 40));
        QCOMPARE(f.folderTree->path(), chosen);
        for (ValueCheckBox* box : optionBoxes(f)) {
            const int expected =
                box == f.checkBoxFor(SettingRow::WriteTime)
                    ? 2
                    : ((box == f.subFoldersCheck || box == f.insertPathLineCheck) ? 0 : 1);
            QCOMPARE(box->value(), expected);
        }
        QVERIFY(f.sizeUnitButtons[2]->isChecked());
        QVERIFY(f.hiddenEntry->isChecked());
        QVERIFY(f.systemEntry->isChecked());
        QVERIFY(f.skipUnreadableEntry->isChecked());
        QVERIFY(f.readListOptions().skipUnreadable);
        QVERIFY(f.includeSwitches.hidden);
        QVERIFY(f.includeSwitches.system);
        QCOMPARE(QString::fromStdString(store.get("chk", "DivStr")), QStringLiteral("CSV"));
        QCOMPARE(f.separatorBox->currentText(), QStringLiteral("CSV"));
        QVERIFY(f.readListOptions().csv);
        QCOMPARE(f.saveEncoding, TextEncoding::ShiftJis);
        QCOMPARE(QString::fromStdString(store.get("chk", "HashAlgorithm")), QStringLiteral("md5"));
        QCOMPARE(f.hashAlgorithmBox->currentIndex(), 1);
        QCOMPARE(f.readListOptions().hashAlgorithm, 1);
        // The window reads its controls as the option table says, and so
        // agrees with the stored file on every switch.
        const ListOptions shown = f.readListOptions();
        const ListOptions stored = readStoredList(SettingsStore(SettingsApplication)).options;
        for (const SettingDefinition& option : optionTable()) {
            if (option.flag && !option.control.empty())
                QVERIFY2(shown.*option.flag == stored.*option.flag, option.control.data());
        }
        QCOMPARE(shown.sizeUnit, 2);
        // The loaded values ran their interlocks.
        QVERIFY(f.pathFrame->isEnabled());
        QVERIFY(f.sizeUnitButtons[0]->isEnabled());
        QVERIFY(!f.dropDriveCheck->isEnabled());       // InsPath now clear
        QVERIFY(!f.upperCaseNameCheck->isEnabled());   // Short ticked
        QVERIFY(!f.upperCaseFolderCheck->isEnabled()); // ShortPath ticked
    }

    void everyControlOfTheOptionTableIsFoundByItsName() {
        auto form = makeWindow(presenter_);
        for (const SettingDefinition& option : optionTable()) {
            if (option.control.empty())
                continue;
            QString name = QString::fromLatin1(option.control.data(),
                                               static_cast<qsizetype>(option.control.size()));
            if (option.kind == SettingKind::SizeUnit)
                name += QLatin1Char('0'); // the first of the unit buttons
            auto* control = form->findChild<QObject*>(name);
            QVERIFY2(control, option.control.data());
            if (option.kind == SettingKind::CheckBox)
                QVERIFY(qobject_cast<ValueCheckBox*>(control));
            if (option.kind == SettingKind::Truth)
                QVERIFY(qobject_cast<QAction*>(control));
        }
    }

    void badValueIsReportedOnceAndTheOtherRowsStillLoad() {
        QTemporaryDir folder;
        writeConf(*settings_, "[Setting]\nTop=150\nLeft=300\nDir=" + folder.path().toStdString() +
                                  "\n[File]\nHidden=True\n"
                                  "[chk]\nPath=1\nFileSize=abc\nByte=1\nTabs=1\nDivStr=|\n");
        auto form = makeWindow(presenter_);
        MainWindow& f = *form;
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        const ShownMessage& shown = presenter_->messages.front();
        QCOMPARE(shown.title, QStringLiteral("ｴﾗｰ"));
        QCOMPARE(shown.icon, MessageIcon::Warning);
        QCOMPARE(shown.text, QString::fromStdString(f.lastReportText));
        QVERIFY(shown.text.startsWith(QStringLiteral("ｴﾗｰ番号 13 でｴﾗｰが発生しました。\r")));
        QVERIFY(shown.text.contains(QStringLiteral("chk/FileSize")));
        // The bad row kept the box's state; the rows before and after it
        // were applied.
        QCOMPARE(f.sizeColumnCheck->value(), 0);
        QVERIFY(!f.sizeUnitButtons[1]->isEnabled());
        QCOMPARE(f.pos(), QPoint(f.toPixels(300), f.toPixels(150)));
        QCOMPARE(f.folderTree->path(), folder.path().toStdString());
        QVERIFY(f.hiddenEntry->isChecked());
        QCOMPARE(f.pathColumnCheck->value(), 1);
        QVERIFY(f.pathFrame->isEnabled());
        QVERIFY(f.sizeUnitButtons[1]->isChecked());
        QCOMPARE(f.checkBoxFor(SettingRow::LeadingTab)->value(), 1);
        QCOMPARE(f.separatorBox->currentText(), QStringLiteral("|"));
    }

    void eachBadRowHasItsOwnReport() {
        // A place beyond a window's coordinates cannot be applied either.
        writeConf(*settings_, "[Setting]\nTop=x\nLeft=1e12\n[chk]\nPath=7\nByte=5\nKaku=1\n");
        auto form = makeWindow(presenter_);
        QCOMPARE(presenter_->messages.size(), std::size_t{4});
        QVERIFY(presenter_->messages[0].text.contains(QStringLiteral("ｴﾗｰ番号 13 ")));
        QVERIFY(presenter_->messages[1].text.contains(QStringLiteral("ｴﾗｰ番号 6 ")));
        QVERIFY(presenter_->messages[1].text.contains(QStringLiteral("Setting/Left")));
        QCOMPARE(form->pos(), QPoint(0, 0));
        QVERIFY(presenter_->messages[2].text.contains(QStringLiteral("ｴﾗｰ番号 380 ")));
        QVERIFY(presenter_->messages[3].text.contains(QStringLiteral("ｴﾗｰ番号 340 ")));
        QCOMPARE(form->pathColumnCheck->value(), 0);
        QVERIFY(form->sizeUnitButtons[0]->isChecked());
        QCOMPARE(form->checkBoxFor(SettingRow::ExtensionColumn)->value(), 1);
    }

    void removedFolderStartsSilentlyInTheProgramFolder() {
        std::string removed;
        {
            QTemporaryDir folder;
            removed = folder.path().toStdString() + "/gone";
        }
        writeConf(*settings_, "[Setting]\nDir=" + removed + "\n[chk]\nTabs=1\n");
        auto form = makeWindow(presenter_);
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(form->folderTree->path(), programFolder());
        QCOMPARE(form->checkBoxFor(SettingRow::LeadingTab)->value(), 1);
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
        MainWindowServices services;
        services.listDrives = [&] { return std::vector<std::string>{"/", driveRoot}; };
        services.openDriveRoot = [&](const std::string& root) -> Status {
            opened.push_back(root);
            return Ok{};
        };
        auto form = makeWindow(presenter_, services);
        QCOMPARE(form->folderTree->path(), stored);
        QCOMPARE(form->driveList->currentText(), QString::fromStdString(driveRoot));
        QVERIFY(opened.empty());
        QVERIFY(presenter_->messages.empty());
    }

    void exitEntryStoresTheSettingsLikeTheCloseBox() {
        auto form = makeWindow(presenter_);
        form->checkBoxFor(SettingRow::AttributeColumn)->setValue(1);
        form->exitEntry->trigger();
        QVERIFY(!form->isVisible());
        QCOMPARE(SettingsStore(SettingsApplication).get("chk", "Attribute"), std::string("1"));
    }

    void unreadableSettingsAreReportedOnceAndKeptAtClose() {
        // A folder in place of the file: it cannot be read, and the window
        // must not replace it with the defaults.
        QVERIFY(QDir().mkpath(QString::fromStdString(settings_->confPath())));
        auto form = makeWindow(presenter_);
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QVERIFY(presenter_->messages[0].text.startsWith(QStringLiteral("ｴﾗｰ番号 75 ")));
        QVERIFY(presenter_->messages[0].text.contains(QString::fromUtf8(SettingsKeptNote)));
        QCOMPARE(form->insertPathLineCheck->value(), 1);
        form->checkBoxFor(SettingRow::AttributeColumn)->setValue(1);
        QVERIFY(form->close());
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QVERIFY(QFileInfo(QString::fromStdString(settings_->confPath())).isDir());
    }

    void unwritableSettingsAreReportedAndTheWindowStillCloses() {
        // A file where the settings folder should be.
        QFile blocker(QString::fromStdString(settings_->configFolder() + "/Kestro"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto form = makeWindow(presenter_);
        QVERIFY(presenter_->messages.empty());
        form->show();
        QVERIFY(form->close());
        QVERIFY(!form->isVisible());
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QCOMPARE(presenter_->messages[0].title, QStringLiteral("ｴﾗｰ"));
    }
};

QTEST_MAIN(MainWindowSettingsTest)
#include "main_window_settings_test.moc"
