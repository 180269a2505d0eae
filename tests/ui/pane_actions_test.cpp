// The list pane as a working view: each line of every golden list finds its
// file in the golden tree, and the pane's actions reach the file object, the
// file manager, the clipboard and the trash.

#include "main_window_fixture.h"

#include "compare/listed_file.h"
#include "ui/document_commands.h"
#include "ui/list_pane_editor.h"
#include "ui/pane_actions.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QUrl>

#include <Qsci/qsciscintilla.h>

#include <sys/stat.h>

#include <set>

using namespace kestro;

namespace {

// A program of the test's own on PATH in place of xdg-open or lp: it adds
// its arguments, one a line, to a record file of the same name.
void installRecorder(const QString& folder, const QString& name) {
    const QString program = folder + QStringLiteral("/bin/") + name;
    test::makeFile(program, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" +
                                (folder + QLatin1Char('/') + name).toUtf8() + "'\n");
    QFile(program).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ExeOwner);
}

QByteArray sortedLines(const QByteArray& record) {
    QList<QByteArray> lines = record.split('\n');
    std::sort(lines.begin(), lines.end());
    return lines.join('\n');
}

// Fills the pane as a finished list does, so that bytes that are no
// characters show as they would.
void showList(ListPaneEditor& pane, const QByteArray& list) {
    pane.setText(QString());
    pane.beginAppend(static_cast<std::size_t>(list.size()));
    pane.appendPiece(std::string_view(list.constData(), static_cast<std::size_t>(list.size())));
    pane.finishAppend();
}

QByteArray goldenList(const QString& name) {
    return test::fileBytes(qEnvironmentVariable("KESTRO_SOURCE_DIR") +
                           QStringLiteral("/tests/golden/") + name + QStringLiteral(".out"));
}

} // namespace

class PaneActionsTest : public test::WindowTest {
    Q_OBJECT

    std::unique_ptr<ListPaneEditor> pane_;
    PaneActions* actions_ = nullptr;
    std::vector<std::vector<std::string>> shownItems_;
    bool fileManagerAnswers_ = false;
    std::vector<std::string> openedFolders_;
    QByteArray oldPath_;
    QByteArray oldDataHome_;

    void prepare() override {
        attachDocumentCommands(*window_);
        PaneActionServices services;
        services.showInFileManager = [this](const std::vector<std::string>& files) {
            shownItems_.push_back(files);
            return fileManagerAnswers_;
        };
        services.openFolder = [this](const std::string& folder) {
            openedFolders_.push_back(folder);
        };
        actions_ = &attachPaneActions(*window_, services);
        pane_ = std::make_unique<ListPaneEditor>(window_->listPane);
        shownItems_.clear();
        openedFolders_.clear();
        fileManagerAnswers_ = false;
        oldPath_ = qgetenv("PATH");
        oldDataHome_ = qgetenv("XDG_DATA_HOME");
        installRecorder(folder_->path(), QStringLiteral("xdg-open"));
        installRecorder(folder_->path(), QStringLiteral("lp"));
        qputenv("PATH", (folder_->path() + QStringLiteral("/bin:/usr/bin:/bin")).toUtf8());
        qputenv("XDG_DATA_HOME", inFolder(QStringLiteral("data")).toUtf8());
    }

    // A list of the files `names` in the test's folder, with a folder line.
    QString listOf(const QStringList& names) {
        QString text = QStringLiteral("ﾌｧｲﾙ名\n\n") + folder_->path() + QStringLiteral("/\n");
        for (const QString& name : names) {
            test::makeFile(inFolder(name), name.toUtf8());
            text += name + QLatin1Char('\n');
        }
        return text;
    }

    void selectLines(int first, int last) {
        const QString text = pane_->text();
        int from = 0;
        for (int line = 0; line < first; ++line)
            from = static_cast<int>(text.indexOf(QLatin1Char('\n'), from)) + 1;
        int to = from;
        for (int line = first; line <= last; ++line)
            to = static_cast<int>(text.indexOf(QLatin1Char('\n'), to)) + 1;
        pane_->select(from, to - 1);
    }

private slots:
    void cleanup() {
        qputenv("PATH", oldPath_);
        qputenv("XDG_DATA_HOME", oldDataHome_);
    }

    void everyGoldenLineFindsItsFile_data();
    void everyGoldenLineFindsItsFile();
    void oddNamesFindTheRealFile_data();
    void oddNamesFindTheRealFile();
    void actionsReachTheShellForEverySelectedLine();
    void fileManagerOrElseTheFolder();
    void aLineWithoutItsFileStopsTheAction_data();
    void aLineWithoutItsFileStopsTheAction();
    void trashAsksFirstAndMarksTheLines();
    void trashThatFailsChangesNothing();
    void menuKeysAndDoubleClick();
};

// Each golden list read back: every file line finds one file of the tree,
// no two lines the same, except the lines the list cannot tell apart.
void PaneActionsTest::everyGoldenLineFindsItsFile_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("found");
    QTest::addColumn<int>("refused");
    const struct {
        const char* list;
        int found;
        int refused;
    } rows[] = {
        {"created-column", 1, 0},
        {"csv-join-lf", 21, 0},
        {"csv-totals", 21, 0},
        {"csv", 17, 0},
        {"dir-conversions", 12, 0},
        {"drop-ext", 17, 0}, // ".profile" without its extension is a blank name
        {"every-column", 17, 0},
        {"flat", 0, 21}, // no folders in the list
        {"hash-column", 17, 0},
        {"hidden-patterns", 11, 0},
        {"hidden-system", 23, 0},
        {"leading-tab-path", 13, 0},
        {"leading-tab", 17, 0},
        {"name-conversions", 8, 2}, // ｶﾀｶﾅ.txt and カタカナ.txt show the same
        {"names", 21, 0},
        {"path-join", 21, 0},
        {"patterns", 14, 0},
        {"portable-columns", 0, 8},
        {"portable-csv", 0, 4},
        {"separator-empty", 0, 0}, // cells that cannot be told apart: no list
        {"separator-literal", 17, 0},
        {"separator-semicolon", 17, 0},
        {"short-names-change-nothing", 12, 0},
        {"size-kb", 17, 0},
        {"size-mb-lf", 0, 17},
        {"totals", 21, 0},
        {"type-column", 3, 0},
        {"worked-example", 2, 0},
    };
    for (const auto& row : rows)
        QTest::newRow(row.list) << QString::fromUtf8(row.list) << row.found << row.refused;
}

void PaneActionsTest::everyGoldenLineFindsItsFile() {
    QFETCH(QString, list);
    QFETCH(int, found);
    QFETCH(int, refused);
    const QString golden = qEnvironmentVariable("KESTRO_GOLDEN_FOLDER");
    QVERIFY2(!golden.isEmpty(), "the golden tree's folder is not given");
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(golden));
    showList(*pane_, goldenList(list));
    ListedFiles listed(pane_->textBytes(), window_->readListOptions(), paneForm);
    std::set<std::string> files;
    int refusals = 0;
    for (const LineFile& file : listed.filesOf(0, pane_->lineCount() - 1)) {
        if (!file.found()) {
            ++refusals;
            QCOMPARE(file.refusal.number, failure::BadFileName);
            continue;
        }
        struct stat facts {};
        QVERIFY2(file.file.rfind("tree/", 0) == 0 && ::lstat(file.file.c_str(), &facts) == 0,
                 file.file.c_str());
        QVERIFY2(files.insert(file.file).second, file.file.c_str());
    }
    QDir::setCurrent(before);
    QCOMPARE(static_cast<int>(files.size()), found);
    QCOMPARE(refusals, refused);
}

void PaneActionsTest::oddNamesFindTheRealFile_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("shown");   // a text of the line's first line
    QTest::addColumn<QByteArray>("file"); // empty: refused
    QTest::newRow("tab") << "names"
                         << "tab␉name.txt" << QByteArray("tree/tab\tname.txt");
    QTest::newRow("line feed") << "names"
                               << "new␊line.txt" << QByteArray("tree/new\nline.txt");
    QTest::newRow("not UTF-8") << "names"
                               << "bad-\uFFFD\uFFFD.txt" << QByteArray("tree/bad-\xff\xfe.txt");
    QTest::newRow("folder with a tab") << "names"
                                       << "z.txt" << QByteArray("tree/tab\tfolder/z.txt");
    QTest::newRow("full-width folder") << "names"
                                       << "file.txt" << QByteArray("tree/全角ａｂｃ/file.txt");
    QTest::newRow("csv line feed") << "csv-join-lf"
                                   << "\"tree/new" << QByteArray("tree/new\nline.txt");
    QTest::newRow("joined") << "path-join"
                            << "tree/Beta/inner/Y.TXT" << QByteArray("tree/Beta/inner/Y.TXT");
    QTest::newRow("extension dropped") << "drop-ext"
                                       << "ARCHIVE" << QByteArray("tree/archive.tar.gz");
    QTest::newRow("folder converted") << "dir-conversions"
                                      << "TREE/全角ABC/" << QByteArray("tree/全角ａｂｃ/file.txt");
    QTest::newRow("half-width twice") << "name-conversions"
                                      << "ｶﾀｶﾅ.TXT" << QByteArray();
    QTest::newRow("no folder") << "flat"
                               << "x.c" << QByteArray();
}

void PaneActionsTest::oddNamesFindTheRealFile() {
    QFETCH(QString, list);
    QFETCH(QString, shown);
    QFETCH(QByteArray, file);
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(qEnvironmentVariable("KESTRO_GOLDEN_FOLDER")));
    showList(*pane_, goldenList(list));
    const QStringList lines = pane_->text().split(QLatin1Char('\n'));
    const auto line = std::find_if(lines.begin(), lines.end(),
                                   [&](const QString& text) { return text.startsWith(shown); });
    QVERIFY(line != lines.end());
    ListedFiles listed(pane_->textBytes(), window_->readListOptions(), paneForm);
    const int number = static_cast<int>(line - lines.begin());
    const std::vector<LineFile> files = listed.filesOf(number, number);
    QDir::setCurrent(before);
    QCOMPARE(files.size(), std::size_t{1});
    QCOMPARE(files[0].line, number);
    QCOMPARE(QByteArray::fromStdString(files[0].file), file);
    QCOMPARE(files[0].found(), !file.isEmpty());
}

void PaneActionsTest::actionsReachTheShellForEverySelectedLine() {
    pane_->setText(listOf({QStringLiteral("a.txt"), QStringLiteral("b c.txt")}));
    selectLines(1, 4); // a blank line and the folder line are no file lines
    const QByteArray a = inFolder(QStringLiteral("a.txt")).toUtf8();
    const QByteArray b = inFolder(QStringLiteral("b c.txt")).toUtf8();
    actions_->openAction->trigger();
    actions_->printAction->trigger();
    actions_->copyPathAction->trigger();
    QTRY_COMPARE(sortedLines(test::fileBytes(inFolder(QStringLiteral("xdg-open")))),
                 sortedLines(a + "\n" + b + "\n"));
    QTRY_COMPARE(sortedLines(test::fileBytes(inFolder(QStringLiteral("lp")))),
                 sortedLines(a + "\n" + b + "\n"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8(a + "\n" + b + "\n"));
    QVERIFY(presenter_->messages.empty());

    // The header alone has no file.
    selectLines(0, 0);
    actions_->openAction->trigger();
    QCOMPARE(presenter_->messages.size(), std::size_t{1});
    QCOMPARE(presenter_->messages[0].text, QStringLiteral("選択した行にﾌｧｲﾙの行がありません。"));
}

void PaneActionsTest::fileManagerOrElseTheFolder() {
    pane_->setText(listOf({QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    selectLines(3, 4);
    const std::string folder = folder_->path().toStdString() + "/";
    fileManagerAnswers_ = true;
    actions_->showFolderAction->trigger();
    const std::vector<std::string> both = {folder + "a.txt", folder + "b.txt"};
    QCOMPARE(shownItems_, std::vector<std::vector<std::string>>{both});
    QVERIFY(openedFolders_.empty());
    fileManagerAnswers_ = false;
    actions_->showFolderAction->trigger();
    QCOMPARE(openedFolders_, std::vector<std::string>{folder});
}

// Nothing is done for any line when one of them has no file.
void PaneActionsTest::aLineWithoutItsFileStopsTheAction_data() {
    QTest::addColumn<QString>("edited");
    QTest::addColumn<QString>("report");
    QTest::newRow("gone") << "gone.txt"
                          << "ｴﾗｰ番号 53 でｴﾗｰが発生しました。";
    QTest::newRow("folder gone") << "sub/x.txt"
                                 << "ｴﾗｰ番号 76 でｴﾗｰが発生しました。";
}

void PaneActionsTest::aLineWithoutItsFileStopsTheAction() {
    QFETCH(QString, edited);
    QFETCH(QString, report);
    QString text = listOf({QStringLiteral("a.txt")});
    text.insert(text.indexOf(QStringLiteral("a.txt")), edited + QLatin1Char('\n'));
    if (edited.contains(QLatin1Char('/')))
        text = text.replace(folder_->path() + QStringLiteral("/\n") + edited,
                            folder_->path() + QStringLiteral("/sub/\nx.txt"));
    pane_->setText(text);
    selectLines(3, 4);
    actions_->trashAction->trigger();
    QCOMPARE(presenter_->messages.size(), std::size_t{1});
    QVERIFY2(presenter_->messages[0].text.startsWith(report),
             qPrintable(presenter_->messages[0].text));
    QVERIFY(presenter_->messages[0].text.contains(QStringLiteral("(4 行目")));
    QVERIFY(presenter_->questions.empty());
    QVERIFY(QFile::exists(inFolder(QStringLiteral("a.txt"))));
    QCOMPARE(pane_->text(), text);
}

void PaneActionsTest::trashAsksFirstAndMarksTheLines() {
    const QString text = listOf({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    pane_->setText(text);
    selectLines(3, 4);
    actions_->trashAction->trigger(); // answered no
    QCOMPARE(presenter_->questions.size(), std::size_t{1});
    const QString question = presenter_->questions[0].text;
    QVERIFY(question.contains(inFolder(QStringLiteral("a.txt"))));
    QVERIFY(question.contains(inFolder(QStringLiteral("b.txt"))));
    QVERIFY(QFile::exists(inFolder(QStringLiteral("a.txt"))));
    QCOMPARE(pane_->text(), text);

    presenter_->answer = true;
    actions_->trashAction->trigger();
    const QString trash = inFolder(QStringLiteral("data/Trash/"));
    for (const QString& name : {QStringLiteral("a.txt"), QStringLiteral("b.txt")}) {
        QVERIFY(!QFile::exists(inFolder(name)));
        QCOMPARE(test::fileBytes(trash + QStringLiteral("files/") + name), name.toUtf8());
        const QByteArray info =
            test::fileBytes(trash + QStringLiteral("info/") + name + QStringLiteral(".trashinfo"));
        QVERIFY2(info.startsWith("[Trash Info]\nPath=" +
                                 QUrl::toPercentEncoding(inFolder(name), "/") + "\nDeletionDate="),
                 info.constData());
    }
    QCOMPARE(pane_->text().split(QLatin1Char('\n')).mid(3, 2),
             QStringList({QStringLiteral("[ごみ箱] a.txt"), QStringLiteral("[ごみ箱] b.txt")}));
    // A marked line stands for no file any more; one undo takes the marks back.
    actions_->trashAction->trigger();
    QCOMPARE(presenter_->messages.back().text,
             QStringLiteral("選択した行にﾌｧｲﾙの行がありません。"));
    pane_->undo();
    QCOMPARE(pane_->text(), text);
}

void PaneActionsTest::trashThatFailsChangesNothing() {
    const QString text = listOf({QStringLiteral("a.txt")});
    pane_->setText(text);
    // A data home that cannot be made: no trash on the file's file system.
    test::makeFile(inFolder(QStringLiteral("data")));
    selectLines(3, 3);
    presenter_->answer = true;
    actions_->trashAction->trigger();
    QCOMPARE(presenter_->questions.size(), std::size_t{1});
    QCOMPARE(presenter_->messages.size(), std::size_t{1});
    QVERIFY(presenter_->messages[0].text.startsWith(QStringLiteral("ｴﾗｰ番号 76 ")));
    QCOMPARE(presenter_->messages[0].title, QStringLiteral("ｴﾗｰ"));
    QVERIFY(QFile::exists(inFolder(QStringLiteral("a.txt"))));
    QCOMPARE(pane_->text(), text);
}

// Ctrl+Enter and a double click open without changing the text; the menu
// asked for outside the selection acts on the line under the pointer.
void PaneActionsTest::menuKeysAndDoubleClick() {
    const QString text = listOf({QStringLiteral("a.txt"), QStringLiteral("b.txt")});
    pane_->setText(text);
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    selectLines(3, 3);
    window_->listPane->setFocus();
    QTest::keyClick(window_->listPane, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(pane_->text(), text);
    QTRY_COMPARE(test::fileBytes(inFolder(QStringLiteral("xdg-open"))),
                 inFolder(QStringLiteral("a.txt")).toUtf8() + "\n");

    QFile::remove(inFolder(QStringLiteral("xdg-open")));
    auto* widget = static_cast<QsciScintilla*>(window_->listPane);
    QWidget* viewport = widget->viewport();
    const long lineB = widget->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, 4ul);
    const QPoint onB(10, static_cast<int>(widget->SendScintilla(
                             QsciScintillaBase::SCI_POINTYFROMPOSITION, 0ul, lineB)) +
                             3);
    QCOMPARE(pane_->lineAt(onB), 4);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, onB);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, onB);
    QTRY_COMPARE(test::fileBytes(inFolder(QStringLiteral("xdg-open"))),
                 inFolder(QStringLiteral("b.txt")).toUtf8() + "\n");

    // On the header a double click only selects a word.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(10, 3));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(10, 3));
    QVERIFY(pane_->hasSelection());
    QVERIFY(presenter_->messages.empty());

    selectLines(3, 3);
    emit window_->listPane->customContextMenuRequested(onB);
    QTRY_VERIFY(actions_->menu()->isVisible());
    QCOMPARE(pane_->selectedLines(), std::make_pair(4, 4));
    const QString picture = qEnvironmentVariable("KESTRO_PANE_MENU_PICTURE");
    if (!picture.isEmpty()) {
        QTest::qWait(300);
        const QRect shown =
            window_->frameGeometry().united(actions_->menu()->geometry()).adjusted(0, 0, 8, 8);
        QVERIFY(window_->screen()->grabWindow(0).copy(shown).save(picture));
    }
    actions_->menu()->hide();
}

QTEST_MAIN(PaneActionsTest)
#include "pane_actions_test.moc"
