// The list pane as a document: the title and the save entry through every
// transition, open, save, save as and exit, and their failures.

#include "document/document_file.h"
#include "listgen/name_helpers.h"
#include "platform/text.h"
#include "ui/document_commands.h"
#include "ui/list_pane_editor.h"
#include "ui/main_window.h"

#include "ui/main_window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace kestro;
using namespace kestro::test;

namespace {

// Answers the window's file dialogs from a queue and records what they were
// asked; an empty answer is a cancel.
struct ScriptedDialog {
    std::deque<std::optional<FileDialogAnswer>> answers;
    std::vector<FileDialogRequest> requests;

    FileDialogRunner runner() {
        return
            [this](QWidget*, const FileDialogRequest& request) -> std::optional<FileDialogAnswer> {
                requests.push_back(request);
                std::optional<FileDialogAnswer> answer;
                if (!answers.empty()) {
                    answer.swap(answers.front());
                    answers.pop_front();
                }
                return answer;
            };
    }
};

// Runs `check` where the user may not write `folder`: in this process when
// it is unprivileged, else in a child that has become "nobody". Whether the
// check passed; nothing when privileges cannot be dropped.
std::optional<bool> runWithoutWriteAccess(const QString& folder,
                                          const std::function<bool()>& check) {
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                      QFileDevice::ReadOther | QFileDevice::ExeOther);
    std::optional<bool> passed;
    if (::geteuid() != 0) {
        passed = check();
    } else {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
            ::_exit(check() ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 3)
            passed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return passed;
}

// Counts the close requests a window receives.
struct CloseCounter : QObject {
    int closes = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close)
            ++closes;
        return false;
    }
};

} // namespace

class DocumentCommandsTest : public WindowTest {
    Q_OBJECT

private:
    ScriptedDialog dialog_;
    DocumentCommands* commands_ = nullptr;

    QString title() const { return window_->windowTitle(); }
    bool saveEnabled() const { return window_->saveEntry->isEnabled(); }
    QString pane() const { return commands_->paneText(); }
    void type(const QString& text) {
        ListPaneEditor(window_->listPane).moveCaretToEnd();
        ListPaneEditor(window_->listPane).typeText(text);
    }
    static QString stored(const QString& name) {
        return QStringLiteral("Kestro - [") +
               QString::fromStdString(shortenPath(name.toStdString(), 55)) + QLatin1Char(']');
    }
    static QString changed(const QString& name) {
        return QStringLiteral("Kestro - (更新)[") + name + QLatin1Char(']');
    }

    void prepare() override {
        dialog_ = ScriptedDialog{};
        // Something in the pane before the commands are attached, as a
        // window may have; attaching shows a new document all the same.
        ListPaneEditor(window_->listPane).setText(QStringLiteral("left over"));
        ListPaneEditor(window_->listPane).setText(QString());
        commands_ = &attachDocumentCommands(*window_, DocumentServices{dialog_.runner()});
    }

private slots:
    void startsAsNewDocumentWithSaveEnabled() {
        QCOMPARE(title(), QStringLiteral("Kestro - [新規]"));
        QVERIFY(saveEnabled());
        QVERIFY(commands_->state().name().empty());
        QCOMPARE(documentCommandsOf(*window_), commands_);
        QCOMPARE(commands_->paneEditor().target(), window_->listPane);
    }

    // Every transition of the document through the menus and buttons, with
    // the title and the save entry after each.
    void titleAndSaveEntryFollowEveryTransition() {
        const QString first = inFolder(QStringLiteral("first.txt"));
        const QString second = inFolder(QStringLiteral("second.txt"));
        const QString third = inFolder(QStringLiteral("third.txt"));
        makeFile(third, "opened\r\ntext\r\n");
        MainWindow& f = *window_;
        struct Step {
            const char* what;
            std::function<void()> act;
            QString title;
            bool saveEnabled;
        };
        const std::vector<Step> steps = {
            {"change of a new document", [&] { type(QStringLiteral("a")); },
             QStringLiteral("Kestro - (更新)[新規]"), true},
            {"save without a name, cancelled",
             [&] {
                 dialog_.answers = {std::nullopt};
                 f.saveEntry->trigger();
             },
             QStringLiteral("Kestro - (更新)[新規]"), true},
            {"save without a name asks for one",
             [&] {
                 dialog_.answers = {first};
                 f.saveEntry->trigger();
             },
             stored(first), false},
            {"change of a named document", [&] { type(QStringLiteral("b")); }, changed(first),
             true},
            {"save under the name", [&] { f.saveEntry->trigger(); }, stored(first), false},
            {"save as",
             [&] {
                 dialog_.answers = {second};
                 f.saveAsEntry->trigger();
             },
             stored(second), false},
            {"save as, cancelled",
             [&] {
                 dialog_.answers = {std::nullopt};
                 f.saveAsEntry->trigger();
             },
             stored(second), false},
            {"open",
             [&] {
                 dialog_.answers = {third};
                 f.openEntry->trigger();
             },
             stored(third), false},
            {"open, cancelled",
             [&] {
                 dialog_.answers = {std::nullopt};
                 f.openEntry->trigger();
             },
             stored(third), false},
            {"clear", [&] { f.clearButton->click(); }, QStringLiteral("Kestro"), true},
            {"change after clear", [&] { type(QStringLiteral("c")); }, changed(third), true},
        };
        for (const Step& step : steps) {
            step.act();
            QVERIFY2(title() == step.title, step.what);
            QVERIFY2(saveEnabled() == step.saveEnabled, step.what);
        }
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(fileBytes(first), QByteArray("ab"));
        QCOMPARE(fileBytes(second), QByteArray("ab"));
        QCOMPARE(fileBytes(third), QByteArray("opened\r\ntext\r\n")); // never saved
        QCOMPARE(pane(), QStringLiteral("c"));
        QCOMPARE(commands_->state().name(), third.toStdString());

        // What the dialogs were asked: the kind, the kept name and the
        // filters, every time (a save offers the workbook too).
        const std::vector<std::pair<FileDialogRequest::Kind, QString>> asked = {
            {FileDialogRequest::Kind::Save, QString()}, {FileDialogRequest::Kind::Save, QString()},
            {FileDialogRequest::Kind::Save, first},     {FileDialogRequest::Kind::Save, second},
            {FileDialogRequest::Kind::Open, second},    {FileDialogRequest::Kind::Open, third},
        };
        QCOMPARE(dialog_.requests.size(), asked.size());
        for (std::size_t i = 0; i < asked.size(); ++i) {
            QCOMPARE(dialog_.requests[i].kind, asked[i].first);
            QCOMPARE(dialog_.requests[i].startName, asked[i].second);
            QStringList filters = {QStringLiteral("ﾃｷｽﾄ(*.txt)"),
                                   QStringLiteral("すべてのﾌｧｲﾙ(*.*)")};
            if (asked[i].first == FileDialogRequest::Kind::Save)
                filters.insert(1, QStringLiteral("Excel ﾌﾞｯｸ(*.xlsx)"));
            QCOMPARE(dialog_.requests[i].nameFilters, filters);
        }
    }

    void openAndSaveAsClearTheModifiedFlagSaveDoesNot() {
        const QString name = inFolder(QStringLiteral("flag.txt"));
        type(QStringLiteral("x"));
        QVERIFY(commands_->paneEditor().isModified());
        dialog_.answers = {name};
        window_->saveAsEntry->trigger();
        QVERIFY(!commands_->paneEditor().isModified());
        type(QStringLiteral("y"));
        window_->saveEntry->trigger();
        QVERIFY(commands_->paneEditor().isModified());
        dialog_.answers = {name};
        window_->openEntry->trigger();
        QVERIFY(!commands_->paneEditor().isModified());
        QCOMPARE(pane(), QStringLiteral("xy"));
    }

    void longNameIsShortAfterSaveAndWholeAfterChange() {
        const QString folder =
            inFolder(QStringLiteral("a-rather-long-folder-name/and-another-one/third"));
        QVERIFY(QDir().mkpath(folder));
        const QString name = folder + QStringLiteral("/リスト.txt");
        QVERIFY(name.toUtf8().size() > 55);
        type(QStringLiteral("list"));
        dialog_.answers = {name};
        window_->saveAsEntry->trigger();
        const QString shortName = QString::fromStdString(shortenPath(name.toStdString(), 55));
        QVERIFY(shortName.contains(QStringLiteral("...")));
        QVERIFY(shiftJisWidth(shortName.toStdString()) <= 55);
        QVERIFY(shortName.endsWith(QStringLiteral("/リスト.txt")));
        QCOMPARE(title(), QStringLiteral("Kestro - [") + shortName + QLatin1Char(']'));
        type(QStringLiteral("!"));
        QCOMPARE(title(), changed(name));
        window_->saveEntry->trigger();
        QCOMPARE(title(), QStringLiteral("Kestro - [") + shortName + QLatin1Char(']'));
        // Open shows it short as well.
        dialog_.answers = {name};
        window_->openEntry->trigger();
        QCOMPARE(title(), QStringLiteral("Kestro - [") + shortName + QLatin1Char(']'));
    }

    void titleShowsAPlaceholderLikeNameAsWritten() {
        const QString name = inFolder(QStringLiteral("x[*]y.txt"));
        dialog_.answers = {name};
        window_->saveAsEntry->trigger();
        QVERIFY(presenter_->messages.empty());
        QVERIFY(window_->windowTitle().contains(QStringLiteral("x[*][*]y.txt")));
        QCOMPARE(fileBytes(name), QByteArray());
    }

    void saveAfterClearWritesAnEmptyFileUnderTheKeptName() {
        const QString name = inFolder(QStringLiteral("kept.txt"));
        type(QStringLiteral("some\nlines\n"));
        dialog_.answers = {name};
        window_->saveAsEntry->trigger();
        QCOMPARE(fileBytes(name), QByteArray("some\r\nlines\r\n"));
        window_->clearButton->click();
        QCOMPARE(title(), QStringLiteral("Kestro"));
        QVERIFY(saveEnabled());
        const std::size_t asked = dialog_.requests.size();
        window_->saveEntry->trigger();
        QCOMPARE(dialog_.requests.size(), asked); // no dialog
        QCOMPARE(fileBytes(name), QByteArray());
        QCOMPARE(title(), stored(name));
        QVERIFY(!saveEnabled());
    }

    void saveAfterClearWithoutNameAsksForOne() {
        type(QStringLiteral("text"));
        window_->clearButton->click();
        dialog_.answers = {std::nullopt};
        window_->saveEntry->trigger();
        QCOMPARE(dialog_.requests.size(), std::size_t{1});
        QCOMPARE(dialog_.requests[0].kind, FileDialogRequest::Kind::Save);
        QCOMPARE(title(), QStringLiteral("Kestro"));
        QVERIFY(saveEnabled());
    }

    void openReplacesUnsavedTextWithoutAQuestion() {
        const QString name = inFolder(QStringLiteral("other.txt"));
        makeFile(name, "from the file\r\nsecond line");
        type(QStringLiteral("unsaved work\n"));
        QSignalSpy titles(window_.get(), &QWidget::windowTitleChanged);
        dialog_.answers = {name};
        window_->openEntry->trigger();
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(pane(), QStringLiteral("from the file\nsecond line"));
        // The load itself is a change; the finished open shows the name.
        QCOMPARE(titles.count(), 2);
        QCOMPARE(titles.at(0).at(0).toString(), changed(name));
        QCOMPARE(title(), stored(name));
        QVERIFY(!saveEnabled());
        QVERIFY(!commands_->paneEditor().canUndo());
    }

    void shiftJisAndUtf8FilesOpenAsTheirText_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("unreadable");
        // "日本語のリスト" CR LF "ｶﾅ.TXT" CR LF in Shift-JIS.
        QTest::newRow("shift-jis") << QByteArray("\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x8a\x83\x58"
                                                 "\x83\x67\r\n\xb6\xc5.TXT\r\n")
                                   << QStringLiteral("日本語のリスト\nｶﾅ.TXT\n") << false;
        QTest::newRow("utf-8 with mark")
            << QByteArray("\xEF\xBB\xBF資料\r\n") << QStringLiteral("資料\n") << false;
        QTest::newRow("no-break space kept") << QByteArray("a\xC2\xA0"
                                                           "b")
                                             << QStringLiteral("a\u00A0b") << false;
        QTest::newRow("lone CR") << QByteArray("a\rb\r") << QStringLiteral("a\nb\n") << false;
        QTest::newRow("empty") << QByteArray() << QString() << false;
        // Neither UTF-8 nor Shift-JIS: opened all the same, and the user is told.
        QTest::newRow("unreadable")
            << QByteArray("\x93\xfa\xa0") << QStringLiteral("日\uFFFD") << true;
    }

    void shiftJisAndUtf8FilesOpenAsTheirText() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(bool, unreadable);
        const QString name = inFolder(QStringLiteral("in.txt"));
        makeFile(name, bytes);
        dialog_.answers = {name};
        window_->openEntry->trigger();
        QCOMPARE(presenter_->messages.size(), std::size_t{unreadable});
        if (unreadable) {
            QVERIFY(presenter_->messages[0].text.startsWith(
                QStringLiteral("読み込めない文字がありました。")));
            QCOMPARE(presenter_->messages[0].title, QStringLiteral("Kestro"));
        }
        QCOMPARE(title(), stored(name));
        QCOMPARE(pane(), text);
        // Saving writes UTF-8 with CR LF.
        ListPaneEditor(window_->listPane).moveCaretToEnd();
        type(QString());
        dialog_.answers = {name};
        window_->saveAsEntry->trigger();
        QByteArray expected = text.toUtf8();
        expected.replace("\n", "\r\n");
        QCOMPARE(fileBytes(name), expected);
    }

    void failedOpenKeepsPaneAndTitleButTakesTheName() {
        type(QStringLiteral("keep me"));
        const QString missing = inFolder(QStringLiteral("missing.txt"));
        dialog_.answers = {missing};
        window_->openEntry->trigger();
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        const ShownMessage& shown = presenter_->messages.front();
        QVERIFY(shown.text.startsWith(QStringLiteral("ｴﾗｰ番号 53 でｴﾗｰが発生しました。\r")));
        QVERIFY(shown.text.contains(missing));
        QCOMPARE(shown.title, QStringLiteral("ｴﾗｰ"));
        QCOMPARE(shown.icon, MessageIcon::Warning);
        QCOMPARE(QString::fromStdString(window_->lastReportText), shown.text);
        QCOMPARE(pane(), QStringLiteral("keep me"));
        QCOMPARE(title(), QStringLiteral("Kestro - (更新)[新規]"));
        // The typed name is the document name from now on.
        type(QStringLiteral("!"));
        QCOMPARE(title(), changed(missing));
        window_->saveEntry->trigger();
        QCOMPARE(fileBytes(missing), QByteArray("keep me!"));
    }

    void tooBigFileLeavesPaneAndTitle() {
        type(QStringLiteral("keep me"));
        const QString huge = inFolder(QStringLiteral("huge.txt"));
        QFile file(huge);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(qint64{DocumentSizeLimit} + 1)); // sparse
        file.close();
        dialog_.answers = {huge};
        window_->openEntry->trigger();
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QVERIFY(presenter_->messages[0].text.startsWith(
            QStringLiteral("ｴﾗｰ番号 7 でｴﾗｰが発生しました。\rメモリが不足しています。")));
        QVERIFY(presenter_->messages[0].text.contains(huge));
        QCOMPARE(pane(), QStringLiteral("keep me"));
        QCOMPARE(title(), QStringLiteral("Kestro - (更新)[新規]"));
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void failedSaveLeavesFileTitleAndEntry() {
        const QString folder = inFolder(QStringLiteral("folder"));
        QVERIFY(QDir().mkpath(folder));
        // Others may pass through, so that an unprivileged user reaches the file.
        QFile::setPermissions(folder_->path(), QFile::permissions(folder_->path()) |
                                                   QFileDevice::ReadOther | QFileDevice::ExeOther);
        const QString name = folder + QStringLiteral("/list.txt");
        type(QStringLiteral("saved\n"));
        dialog_.answers = {name};
        window_->saveAsEntry->trigger();
        type(QStringLiteral("more\n"));
        const QString before = title();
        QCOMPARE(before, changed(name));

        // A file the user may not write (in a folder they may not write
        // either): the old file stays as it was.
        MainWindow& f = *window_;
        RecordingPresenter& presenter = *presenter_;
        const std::optional<bool> passed = runWithoutWriteAccess(folder, [&] {
            f.saveEntry->trigger();
            return presenter.messages.size() == 1 &&
                   presenter.messages[0].text.startsWith(
                       QStringLiteral("ｴﾗｰ番号 70 でｴﾗｰが発生しました。")) &&
                   presenter.messages[0].text.contains(name) && f.windowTitle() == before &&
                   f.saveEntry->isEnabled() && fileBytes(name) == "saved\r\n";
        });
        if (!passed)
            QSKIP("cannot drop privileges");
        QVERIFY(*passed);
        QCOMPARE(fileBytes(name), QByteArray("saved\r\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"list.txt"});

        // The folder vanished.
        presenter_->messages.clear();
        QVERIFY(QDir(folder).removeRecursively());
        window_->saveEntry->trigger();
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QVERIFY(presenter_->messages[0].text.startsWith(
            QStringLiteral("ｴﾗｰ番号 76 でｴﾗｰが発生しました。\r")));
        QVERIFY(presenter_->messages[0].text.contains(name));
        QCOMPARE(title(), before);
        QVERIFY(saveEnabled());
        QVERIFY(commands_->paneEditor().isModified());
    }

    void failedSaveAsKeepsTitleAndTakesTheName() {
        const QString first = inFolder(QStringLiteral("first.txt"));
        type(QStringLiteral("x"));
        dialog_.answers = {first};
        window_->saveAsEntry->trigger();
        const QString nowhere = inFolder(QStringLiteral("no/such/folder/list.txt"));
        dialog_.answers = {nowhere};
        window_->saveAsEntry->trigger();
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QVERIFY(presenter_->messages[0].text.contains(nowhere));
        QCOMPARE(title(), stored(first));
        QVERIFY(!saveEnabled());
        QCOMPARE(commands_->state().name(), nowhere.toStdString());
        QVERIFY(!QFile::exists(nowhere));
    }

    void saveAsReplacesAnExistingFileWithoutAQuestion() {
        const QString name = inFolder(QStringLiteral("existing.txt"));
        makeFile(name, "old old old old");
        type(QStringLiteral("new"));
        dialog_.answers = {name};
        window_->saveAsEntry->trigger();
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(fileBytes(name), QByteArray("new"));
    }

    void exitClosesTheWindowOnceAndStoresSettings() {
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        type(QStringLiteral("unsaved"));
        QFile::remove(QString::fromStdString(settings_->confPath()));
        CloseCounter counter;
        window_->installEventFilter(&counter);
        window_->exitEntry->trigger();
        window_->removeEventFilter(&counter);
        QCOMPARE(counter.closes, 1);
        QVERIFY(!window_->isVisible());
        QVERIFY(QFile::exists(QString::fromStdString(settings_->confPath())));
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(dialog_.requests.size(), std::size_t{0});
    }

    // The program's own save dialog: choosing a filter never changes the
    // typed or proposed name.
    void fileDialogKeepsTheTypedName_data() {
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("filter");
        QTest::newRow("typed, all files") << QString() << QStringLiteral("list.csv") << 1;
        QTest::newRow("proposed, all files") << QStringLiteral("one.txt") << QString() << 1;
        QTest::newRow("typed, text files") << QString() << QStringLiteral("list.csv") << 0;
    }

    void fileDialogKeepsTheTypedName() {
        QFETCH(QString, proposed);
        QFETCH(QString, typed);
        QFETCH(int, filter);
        FileDialogRequest request;
        request.kind = FileDialogRequest::Kind::Save;
        request.nameFilters = {QStringLiteral("ﾃｷｽﾄ(*.txt)"), QStringLiteral("すべてのﾌｧｲﾙ(*.*)")};
        if (!proposed.isEmpty())
            request.startName = inFolder(proposed);
        QString shown;
        QStringList namesShown;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* name =
                modal ? modal->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
            auto* types =
                modal ? modal->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")) : nullptr;
            auto* model = modal ? modal->findChild<QFileSystemModel*>() : nullptr;
            if (name && types && model) {
                if (!typed.isEmpty())
                    name->setText(typed);
                // As the combo box reports a choice.
                types->setCurrentIndex(filter);
                emit types->activated(filter);
                emit types->textActivated(types->currentText());
                shown = name->text();
                namesShown = model->nameFilters();
            }
            if (modal)
                QMetaObject::invokeMethod(modal, "accept");
        });
        const std::optional<FileDialogAnswer> chosen = runFileDialog(window_.get(), request);
        const QString expected = typed.isEmpty() ? proposed : typed;
        QCOMPARE(shown, expected);
        // All files are all names, those without a dot too.
        QCOMPARE(namesShown, filter == 1 ? QStringList{QStringLiteral("*")}
                                         : QStringList{QStringLiteral("*.txt")});
        QVERIFY(chosen);
        QCOMPARE(QFileInfo(chosen->name).fileName(), expected);
    }

    // The save dialog's 「文字ｺｰﾄﾞ」 box shows the offered encoding and
    // gives the one chosen; the open dialog has none.
    void saveDialogOffersTheEncodings() {
        for (const auto kind : {FileDialogRequest::Kind::Save, FileDialogRequest::Kind::Open}) {
            FileDialogRequest request;
            request.kind = kind;
            request.startName = inFolder(QStringLiteral("list.txt"));
            request.encoding = TextEncoding::Utf8Bom;
            QStringList items;
            int offered = -1;
            bool found = false;
            QTimer::singleShot(0, [&] {
                QWidget* modal = QApplication::activeModalWidget();
                auto* box =
                    modal ? modal->findChild<QComboBox*>(QStringLiteral("encodingCombo")) : nullptr;
                if (box) {
                    found = true;
                    for (int i = 0; i < box->count(); ++i)
                        items << box->itemText(i);
                    offered = box->currentIndex();
                    box->setCurrentIndex(2);
                }
                if (modal)
                    QMetaObject::invokeMethod(modal, "accept");
            });
            const std::optional<FileDialogAnswer> chosen = runFileDialog(window_.get(), request);
            QVERIFY(chosen);
            if (kind == FileDialogRequest::Kind::Open) {
                QVERIFY(!found);
                QVERIFY(!chosen->encoding);
                continue;
            }
            QCOMPARE(items, (QStringList{QStringLiteral("UTF-8"), QStringLiteral("UTF-8 (BOM付き)"),
                                         QStringLiteral("ｼﾌﾄJIS (CP932)")}));
            QCOMPARE(offered, 1);
            QCOMPARE(chosen->encoding, std::optional<TextEncoding>(TextEncoding::ShiftJis));
        }
    }

    // Save as writes in the encoding chosen and remembers it for the next
    // dialog; save keeps the encoding the document was opened or saved in.
    void saveKeepsTheDocumentsEncoding() {
        const QString name = inFolder(QStringLiteral("sjis.txt"));
        type(QStringLiteral("ｶﾅ\n"));
        window_->saveEncoding = TextEncoding::Utf8;
        dialog_.answers = {FileDialogAnswer(name, TextEncoding::ShiftJis)};
        window_->saveAsEntry->trigger();
        QCOMPARE(dialog_.requests.back().encoding, TextEncoding::Utf8);
        QCOMPARE(window_->saveEncoding, TextEncoding::ShiftJis);
        QCOMPARE(fileBytes(name), QByteArray("\xB6\xC5\r\n"));
        type(QStringLiteral("日本\n"));
        window_->saveEntry->trigger();
        QCOMPARE(fileBytes(name), QByteArray("\xB6\xC5\r\n\x93\xFA\x96\x7B\r\n"));

        // Opened with the mark: the mark is not shown, and save writes it.
        const QString marked = inFolder(QStringLiteral("marked.txt"));
        makeFile(marked, "\xEF\xBB\xBF一覧\r\n");
        dialog_.answers = {marked};
        window_->openEntry->trigger();
        QCOMPARE(pane(), QStringLiteral("一覧\n"));
        type(QStringLiteral("ｶﾅ"));
        window_->saveEntry->trigger();
        QCOMPARE(fileBytes(marked), QByteArray("\xEF\xBB\xBF一覧\r\nｶﾅ"));
        QVERIFY(presenter_->messages.empty());
        QCOMPARE(dialog_.requests.size(), std::size_t{2});
    }

    // A character Shift-JIS cannot hold refuses the save, the file as it
    // was, and the save dialog comes back for another encoding.
    void shiftJisRefusesWhatItCannotHold() {
        const QString name = inFolder(QStringLiteral("refused.txt"));
        makeFile(name, "old\r\n");
        type(QStringLiteral("ok\ncafé\n"));
        dialog_.answers = {FileDialogAnswer(name, TextEncoding::ShiftJis), std::nullopt};
        window_->saveAsEntry->trigger();
        QCOMPARE(dialog_.requests.size(), std::size_t{2});
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        QCOMPARE(
            presenter_->messages[0].text,
            QStringLiteral("2 行目の「é」はシフトJIS (CP932) にない文字のため、書き込めません。\n"
                           "別の文字ｺｰﾄﾞを選んでください。"));
        QCOMPARE(fileBytes(name), QByteArray("old\r\n"));
        QVERIFY(saveEnabled());

        // Save with the document's Shift-JIS: refused the same way, then
        // saved in the encoding picked in the dialog.
        makeFile(name, "\x93\xFA\r\n");
        dialog_.answers = {name};
        window_->openEntry->trigger();
        type(QStringLiteral("é"));
        dialog_.answers = {FileDialogAnswer(name, TextEncoding::Utf8)};
        window_->saveEntry->trigger();
        QCOMPARE(presenter_->messages.size(), std::size_t{2});
        QCOMPARE(dialog_.requests.back().kind, FileDialogRequest::Kind::Save);
        QCOMPARE(fileBytes(name), QByteArray("日\r\né"));
        QCOMPARE(title(), stored(name));
    }

    void attachingAgainReplacesTheCommands() {
        ScriptedDialog other;
        DocumentCommands& again =
            attachDocumentCommands(*window_, DocumentServices{other.runner()});
        QCOMPARE(documentCommandsOf(*window_), &again);
        QCOMPARE(window_->findChildren<DocumentCommands*>().size(), qsizetype{1});
        commands_ = &again;
        other.answers = {std::nullopt};
        window_->saveAsEntry->trigger();
        QCOMPARE(other.requests.size(), std::size_t{1});
        QCOMPARE(dialog_.requests.size(), std::size_t{0});
        // One change, one handler.
        QSignalSpy titles(window_.get(), &QWidget::windowTitleChanged);
        type(QStringLiteral("x"));
        QCOMPARE(titles.count(), 1);
    }
};

QTEST_MAIN(DocumentCommandsTest)
#include "document_commands_test.moc"
