// How the options govern each other: the five check-box rules (grayed counts
// as clear, rules touch enabled states only), the output-target menu, and
// the options a run reads from the controls.

#include "ui/folder_tree.h"
#include "ui/main_window.h"
#include "ui/value_check_box.h"

#include "ui/main_window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

using namespace kestro;
using namespace kestro::test;

using OptionField = bool ListOptions::*;
Q_DECLARE_METATYPE(OptionField)

class MainWindowInterlocksTest : public WindowTest {
    Q_OBJECT

private:
    // The rule of `box`: the controls it governs, and whether they are
    // enabled when the box is ticked.
    struct Rule {
        ValueCheckBox* box;
        std::vector<QWidget*> governed;
        bool enabledWhenTicked;
    };
    std::vector<Rule> rules() {
        MainWindow& f = *window_;
        return {
            {f.sizeColumnCheck,
             {f.sizeUnitButtons[0], f.sizeUnitButtons[1], f.sizeUnitButtons[2]},
             true},
            {f.insertPathLineCheck, {f.dropDriveCheck}, true},
            {f.pathColumnCheck,
             {f.pathFrame, f.upperCaseFolderCheck, f.halfWidthFolderCheck, f.shortPathCheck,
              f.joinPathAndNameCheck},
             true},
            {f.shortNameCheck, {f.upperCaseNameCheck}, false},
            {f.shortPathCheck, {f.upperCaseFolderCheck}, false},
        };
    }

private slots:
    void eachRuleFollowsItsBoxAndGrayedCountsAsClear() {
        for (const Rule& rule : rules()) {
            for (int value : {1, 2, 0, 1, 0, 2}) {
                rule.box->setValue(value);
                const bool expected = (value == 1) == rule.enabledWhenTicked;
                for (QWidget* governed : rule.governed) {
                    // The control's own switch; a disabled frame around it
                    // is another rule's business.
                    QVERIFY2(governed->isEnabledTo(governed->parentWidget()) == expected,
                             qPrintable(rule.box->objectName() + " " + QString::number(value) +
                                        " " + governed->objectName()));
                }
            }
        }
    }

    void rulesNeverChangeValues() {
        MainWindow& f = *window_;
        f.pathColumnCheck->setValue(1);
        f.joinPathAndNameCheck->setValue(1);
        f.halfWidthFolderCheck->setValue(2);
        f.sizeColumnCheck->setValue(1);
        f.sizeUnitButtons[1]->setChecked(true);
        f.dropDriveCheck->setValue(1);
        f.upperCaseNameCheck->setValue(1);
        for (const Rule& rule : rules()) {
            rule.box->setValue(0);
            rule.box->setValue(1);
            rule.box->setValue(2);
        }
        f.pathColumnCheck->setValue(0);
        QVERIFY(!f.joinPathAndNameCheck->isEnabled());
        QCOMPARE(f.joinPathAndNameCheck->value(), 1);
        QCOMPARE(f.halfWidthFolderCheck->value(), 2);
        QVERIFY(f.sizeUnitButtons[1]->isChecked());
        QCOMPARE(f.dropDriveCheck->value(), 1);
        QCOMPARE(f.upperCaseNameCheck->value(), 1);
        // A disabled but ticked box still counts for the list.
        f.insertPathLineCheck->setValue(0);
        QVERIFY(!f.dropDriveCheck->isEnabled());
        QVERIFY(f.readListOptions().dropDrive);
        QVERIFY(f.readListOptions().joinPathAndName);
    }

    void tickingSizeKeepsTheUnitChosenBefore() {
        MainWindow& f = *window_;
        QVERIFY(f.sizeUnitButtons[0]->isChecked());
        f.sizeColumnCheck->click();
        for (QRadioButton* unit : f.sizeUnitButtons)
            QVERIFY(unit->isEnabled());
        QVERIFY(f.sizeUnitButtons[0]->isChecked());
        f.sizeUnitButtons[2]->click();
        f.sizeColumnCheck->click();
        QVERIFY(!f.sizeUnitButtons[2]->isEnabled());
        QVERIFY(f.sizeUnitButtons[2]->isChecked());
    }

    void pathRuleReenablesUpperCaseEvenWithShortPathTicked() {
        MainWindow& f = *window_;
        f.pathColumnCheck->setValue(1);
        f.shortPathCheck->setValue(1);
        QVERIFY(!f.upperCaseFolderCheck->isEnabled());
        f.pathColumnCheck->setValue(0);
        f.pathColumnCheck->setValue(1);
        QVERIFY(f.upperCaseFolderCheck->isEnabled());
        // The list still gives the short path precedence; the record only
        // carries both switches.
        f.upperCaseFolderCheck->setValue(1);
        const ListOptions options = f.readListOptions();
        QVERIFY(options.shortPath);
        QVERIFY(options.upperCaseFolder);
    }

    void outputTargetMarkAndSwitchAlwaysAgree() {
        MainWindow& f = *window_;
        struct Entry {
            QAction* action;
            bool IncludeSwitches::*field;
            void (MainWindow::*click)();
        };
        const Entry entries[] = {
            {f.hiddenEntry, &IncludeSwitches::hidden, &MainWindow::onHiddenEntryClicked},
            {f.systemEntry, &IncludeSwitches::system, &MainWindow::onSystemEntryClicked},
        };
        for (const Entry& entry : entries) {
            QVERIFY(!entry.action->isChecked());
            (f.*entry.click)();
            QVERIFY(entry.action->isChecked());
            QVERIFY(f.includeSwitches.*entry.field);
            (f.*entry.click)();
            QVERIFY(!entry.action->isChecked());
            QVERIFY(!(f.includeSwitches.*entry.field));
            // The menu's own trigger, as a user's click.
            entry.action->trigger();
            QVERIFY(entry.action->isChecked());
            QVERIFY(f.includeSwitches.*entry.field);
            entry.action->trigger();
            QVERIFY(!(f.includeSwitches.*entry.field));
        }
        // Read-only and archive files are always listed.
        QVERIFY(f.includeSwitches.readOnly);
        QVERIFY(f.includeSwitches.archive);
        f.onHiddenEntryClicked();
        const ListOptions options = f.readListOptions();
        QVERIFY(options.includeHidden);
        QVERIFY(!options.includeSystem);
        QVERIFY(options.includeReadOnly);
        QVERIFY(options.includeArchive);
    }

    // Each option box, found by its row's name, sets its row's option only
    // when ticked (the sub-folder box also when grayed).
    void optionBoxesAreReadOnlyWhenTicked_data() {
        QTest::addColumn<OptionField>("field");
        QTest::addColumn<bool>("grayedCounts");
        for (const SettingDefinition& row : optionTable()) {
            if (row.kind == SettingKind::CheckBox && row.flag)
                QTest::newRow(row.control.data()) << row.flag << row.grayedCounts;
        }
    }
    void optionBoxesAreReadOnlyWhenTicked() {
        QFETCH(OptionField, field);
        QFETCH(bool, grayedCounts);
        auto* box = window_->findChild<ValueCheckBox*>(QString::fromUtf8(QTest::currentDataTag()));
        QVERIFY(box);
        for (int value : {0, 1, 2}) {
            box->setValue(value);
            QVERIFY2(window_->readListOptions().*field == (value == 1 || (grayedCounts && value)),
                     qPrintable(QStringLiteral("value %1").arg(value)));
        }
    }

    void separatorIsReadAsShown_data() {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("used");
        QTest::newRow("tab") << QStringLiteral("ﾀﾌﾞ") << QByteArray("\t");
        QTest::newRow("semicolon") << QStringLiteral("ｾﾐｺﾛﾝ") << QByteArray(";");
        QTest::newRow("bar") << QStringLiteral("|") << QByteArray("|");
        QTest::newRow("comma and space") << QStringLiteral(", ") << QByteArray(", ");
        QTest::newRow("empty") << QString() << QByteArray();
    }
    void separatorIsReadAsShown() {
        QFETCH(QString, shown);
        QFETCH(QByteArray, used);
        window_->separatorBox->setEditText(shown);
        QCOMPARE(window_->readListOptions().separator, used.toStdString());
    }

    void otherOptionsAreReadFromTheControls() {
        MainWindow& f = *window_;
        QVERIFY(f.folderTree->setPath(folder_->path().toStdString()));
        // Sub-folders are searched for any value but clear.
        for (int value : {0, 1, 2}) {
            f.subFoldersCheck->setValue(value);
            QCOMPARE(f.readListOptions().subFolders, value != 0);
            QCOMPARE(f.readRoot().subFolders, value != 0);
        }
        QCOMPARE(f.readRoot().folder, folder_->path().toStdString() + "/");

        f.sizeUnitButtons[1]->setChecked(true);
        QCOMPARE(f.readListOptions().sizeUnit, 1);

        // An empty pattern box becomes "*.*", in the box too.
        f.patternBox->clear();
        QCOMPARE(f.readListOptions().patterns, std::string("*.*"));
        QCOMPARE(f.patternBox->text(), QStringLiteral("*.*"));
        f.patternBox->setText(QStringLiteral("*.txt;*.ﾃｷｽﾄ"));
        QCOMPARE(f.readListOptions().patterns, std::string("*.txt;*.ﾃｷｽﾄ"));
    }
};

QTEST_MAIN(MainWindowInterlocksTest)
#include "main_window_interlocks_test.moc"
