// A list made by the create command, saved, cleared and opened again is the
// same text, byte for byte.

#include "listgen/list_engine.h"
#include "listgen/name_helpers.h"
#include "support/recording_host.h"
#include "ui/document_commands.h"
#include "ui/folder_tree.h"
#include "ui/main_window.h"
#include "ui/value_check_box.h"

#include "ui/main_window_fixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace kestro;
using namespace kestro::test;

class DocumentRoundTripTest : public WindowTest {
    Q_OBJECT

private slots:
    void listSurvivesSaveClearAndOpen() {
        MainWindow& f = *window_;
        QTemporaryDir tree;
        const QString listFile = inFolder(QStringLiteral("一覧.txt"));
        attachDocumentCommands(f, DocumentServices{[&](QWidget*, const FileDialogRequest&) {
                                   return std::optional<QString>(listFile);
                               }});

        makeFile(tree.filePath(QStringLiteral("readme")), "no extension");
        makeFile(tree.filePath(QStringLiteral("資料 (1).txt")), "12345");
        makeFile(tree.filePath(QStringLiteral("ﾃﾞｰﾀ/表.csv")), QByteArray(2000, 'x'));
        makeFile(tree.filePath(QStringLiteral("ﾃﾞｰﾀ/深い/ｶﾅ.TXT")), "k");
        makeFile(tree.filePath(QStringLiteral("sub/tab\tname.log")), "t");
        QVERIFY(f.folderTree->setPath(tree.path().toStdString()));
        for (ValueCheckBox* box :
             {f.pathColumnCheck, f.sizeColumnCheck, f.checkBoxFor(SettingRow::AttributeColumn),
              f.checkBoxFor(SettingRow::WriteTime), f.checkBoxFor(SettingRow::ExtensionColumn),
              f.insertPathLineCheck, f.subFoldersCheck})
            box->setValue(1);

        f.createButton->click();
        QVERIFY(presenter_->messages.empty());
        test::RecordingHost engine(f.readListOptions());
        QCOMPARE(runCreateCommand(engine), RunOutcome::Listed);
        QVERIFY(engine.failures.empty());
        QVERIFY(engine.list.find("表.csv") != std::string::npos);
        QVERIFY(engine.list.find("\r\n") != std::string::npos);
        DocumentCommands* commands = documentCommandsOf(f);
        QVERIFY(commands);
        const QString made = commands->paneText();

        f.saveAsEntry->trigger();
        QCOMPARE(fileBytes(listFile), QByteArray::fromStdString(engine.list));

        f.clearButton->click();
        QCOMPARE(commands->paneText(), QString());
        f.openEntry->trigger();
        QCOMPARE(commands->paneText(), made);
        const std::string shownName = shortenPath(listFile.toStdString(), 55);
        QCOMPARE(f.windowTitle(), QStringLiteral("Kestro - [") + QString::fromStdString(shownName) +
                                      QLatin1Char(']'));

        // Saved again as opened, the file is the same.
        QVERIFY(!f.saveEntry->isEnabled());
        QVERIFY(QFile::remove(listFile));
        f.saveAsEntry->trigger();
        QCOMPARE(fileBytes(listFile), QByteArray::fromStdString(engine.list));
        QVERIFY(presenter_->messages.empty());
    }
};

QTEST_MAIN(DocumentRoundTripTest)
#include "document_round_trip_test.moc"
