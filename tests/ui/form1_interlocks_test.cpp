// How the options govern each other: the five check-box rules (grayed counts
// as clear, rules touch enabled states only), the output-target menu, and
// the options a run reads from the controls.

#include "ui/folder_tree.h"
#include "ui/form1.h"
#include "ui/value_check_box.h"

#include "ui/form_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

using namespace kestro;
using namespace kestro::test;

class Form1InterlocksTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PrivateSettings> settings_;
    std::shared_ptr<RecordingPresenter> presenter_;
    std::unique_ptr<Form1> form_;

    // The rule of `box`: the controls it governs, and whether they are
    // enabled when the box is ticked.
    struct Rule {
        ValueCheckBox* box;
        std::vector<QWidget*> governed;
        bool enabledWhenTicked;
    };
    std::vector<Rule> rules() {
        Form1& f = *form_;
        return {
            {f.chkFileSize, {f.optByte[0], f.optByte[1], f.optByte[2]}, true},
            {f.chkInsPath, {f.chkDirDelDrive}, true},
            {f.chkPath, {f.Frame3, f.chkDirLarge, f.chkDirHalf, f.chkShortPath, f.chkDiv}, true},
            {f.chkShort, {f.chkFNameLarge}, false},
            {f.chkShortPath, {f.chkDirLarge}, false},
        };
    }

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
        Form1& f = *form_;
        f.chkPath->setValue(1);
        f.chkDiv->setValue(1);
        f.chkDirHalf->setValue(2);
        f.chkFileSize->setValue(1);
        f.optByte[1]->setChecked(true);
        f.chkDirDelDrive->setValue(1);
        f.chkFNameLarge->setValue(1);
        for (const Rule& rule : rules()) {
            rule.box->setValue(0);
            rule.box->setValue(1);
            rule.box->setValue(2);
        }
        f.chkPath->setValue(0);
        QVERIFY(!f.chkDiv->isEnabled());
        QCOMPARE(f.chkDiv->Value(), 1);
        QCOMPARE(f.chkDirHalf->Value(), 2);
        QVERIFY(f.optByte[1]->isChecked());
        QCOMPARE(f.chkDirDelDrive->Value(), 1);
        QCOMPARE(f.chkFNameLarge->Value(), 1);
        // A disabled but ticked box still counts for the list.
        f.chkInsPath->setValue(0);
        QVERIFY(!f.chkDirDelDrive->isEnabled());
        QVERIFY(f.readListOptions().DropDrive);
        QVERIFY(f.readListOptions().JoinPathAndName);
    }

    void tickingSizeKeepsTheUnitChosenBefore() {
        Form1& f = *form_;
        QVERIFY(f.optByte[0]->isChecked());
        f.chkFileSize->click();
        for (QRadioButton* unit : f.optByte)
            QVERIFY(unit->isEnabled());
        QVERIFY(f.optByte[0]->isChecked());
        f.optByte[2]->click();
        f.chkFileSize->click();
        QVERIFY(!f.optByte[2]->isEnabled());
        QVERIFY(f.optByte[2]->isChecked());
    }

    void pathRuleReenablesUpperCaseEvenWithShortPathTicked() {
        Form1& f = *form_;
        f.chkPath->setValue(1);
        f.chkShortPath->setValue(1);
        QVERIFY(!f.chkDirLarge->isEnabled());
        f.chkPath->setValue(0);
        f.chkPath->setValue(1);
        QVERIFY(f.chkDirLarge->isEnabled());
        // The list still gives the short path precedence; the record only
        // carries both switches.
        f.chkDirLarge->setValue(1);
        const ListOptions options = f.readListOptions();
        QVERIFY(options.ShortPath);
        QVERIFY(options.DirLarge);
    }

    void outputTargetMarkAndSwitchAlwaysAgree() {
        Form1& f = *form_;
        struct Entry {
            QAction* action;
            bool IncludeSwitches::*field;
            void (Form1::*click)();
        };
        const Entry entries[] = {
            {f.mnuSetHidden, &IncludeSwitches::hidden, &Form1::mnuSetHidden_Click},
            {f.mnuSetSystem, &IncludeSwitches::system, &Form1::mnuSetSystem_Click},
        };
        for (const Entry& entry : entries) {
            QVERIFY(!entry.action->isChecked());
            (f.*entry.click)();
            QVERIFY(entry.action->isChecked());
            QVERIFY(f.File1.*entry.field);
            (f.*entry.click)();
            QVERIFY(!entry.action->isChecked());
            QVERIFY(!(f.File1.*entry.field));
            // The menu's own trigger, as a user's click.
            entry.action->trigger();
            QVERIFY(entry.action->isChecked());
            QVERIFY(f.File1.*entry.field);
            entry.action->trigger();
            QVERIFY(!(f.File1.*entry.field));
        }
        // Read-only and archive files are always listed.
        QVERIFY(f.File1.readOnly);
        QVERIFY(f.File1.archive);
        f.mnuSetHidden_Click();
        const ListOptions options = f.readListOptions();
        QVERIFY(options.IncludeHidden);
        QVERIFY(!options.IncludeSystem);
        QVERIFY(options.IncludeReadOnly);
        QVERIFY(options.IncludeArchive);
    }

    void optionsAreReadFromTheControls() {
        Form1& f = *form_;
        QTemporaryDir folder;
        QVERIFY(f.Dir1->setPath(folder.path().toStdString()));
        struct Case {
            ValueCheckBox* box;
            bool ListOptions::*field;
        };
        const Case cases[] = {
            {f.chkPath, &ListOptions::PathColumn},
            {f.chkDiv, &ListOptions::JoinPathAndName},
            {f.chkShortPath, &ListOptions::ShortPath},
            {f.chkDirHalf, &ListOptions::DirHalf},
            {f.chkDirLarge, &ListOptions::DirLarge},
            {f.chkShort, &ListOptions::ShortName},
            {f.chkFNameLarge, &ListOptions::FNameLarge},
            {f.chkFNameHalf, &ListOptions::FNameHalf},
            {f.chkDelKaku, &ListOptions::DropExtension},
            {f.chkDirDelDrive, &ListOptions::DropDrive},
            {f.Check1, &ListOptions::ExtensionColumn},
            {f.chkFileSize, &ListOptions::SizeColumn},
            {f.chkAttribute, &ListOptions::AttributeColumn},
            {f.chkFileType, &ListOptions::FileTypeColumn},
            {f.chkTimeMake, &ListOptions::CreationTimeColumn},
            {f.chkTimeRenew, &ListOptions::WriteTimeColumn},
            {f.chkTimeAccess, &ListOptions::AccessTimeColumn},
            {f.chkTabs, &ListOptions::LeadingTab},
            {f.chkInsPath, &ListOptions::InsertPathLine},
        };
        for (const Case& c : cases) {
            for (int value : {0, 1, 2}) {
                c.box->setValue(value);
                QVERIFY2(f.readListOptions().*c.field == (value == 1),
                         qPrintable(c.box->objectName() + " " + QString::number(value)));
            }
        }
        // Sub-folders are searched for any value but clear.
        for (int value : {0, 1, 2}) {
            f.chkSub->setValue(value);
            QCOMPARE(f.readListOptions().SubFolders, value != 0);
            QCOMPARE(f.readRoot().subFolders, value != 0);
        }
        QCOMPARE(f.readRoot().folder, folder.path().toStdString() + "/");

        const std::pair<const char*, const char*> separators[] = {
            {"ﾀﾌﾞ", "\t"}, {"ｾﾐｺﾛﾝ", ";"}, {"|", "|"}, {", ", ", "}, {"", ""}};
        for (auto [shown, used] : separators) {
            f.Combo1->setEditText(QString::fromUtf8(shown));
            QCOMPARE(f.readListOptions().Separator, std::string(used));
        }

        f.optByte[1]->setChecked(true);
        QCOMPARE(f.readListOptions().SizeUnit, 1);

        // An empty pattern box becomes "*.*", in the box too.
        f.Text2->clear();
        QCOMPARE(f.readListOptions().Patterns, std::string("*.*"));
        QCOMPARE(f.Text2->text(), QStringLiteral("*.*"));
        f.Text2->setText(QStringLiteral("*.txt;*.ﾃｷｽﾄ"));
        QCOMPARE(f.readListOptions().Patterns, std::string("*.txt;*.ﾃｷｽﾄ"));
    }
};

QTEST_MAIN(Form1InterlocksTest)
#include "form1_interlocks_test.moc"
