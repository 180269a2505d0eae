// The Edit menu's enabling and items, and the copy and clear buttons.

#include "ui/document_commands.h"
#include "ui/main_window.h"

#include "ui/main_window_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <array>

using namespace kestro;
using namespace kestro::test;

namespace {

// Enabled states of items 1, 3, 4, 5, 6 and 8 (undo, cut, copy, paste,
// delete, select all).
using ItemStates = std::array<bool, 6>;

ItemStates itemStates(MainWindow& f) {
    return {f.editEntries[1]->isEnabled(), f.editEntries[3]->isEnabled(),
            f.editEntries[4]->isEnabled(), f.editEntries[5]->isEnabled(),
            f.editEntries[6]->isEnabled(), f.editEntries[8]->isEnabled()};
}

void select(QPlainTextEdit* pane, int from, int to) {
    QTextCursor cursor = pane->textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
}

} // namespace

class DocumentEditCommandsTest : public WindowTest {
    Q_OBJECT

private:
    DocumentCommands* commands_ = nullptr;
    QClipboard* clipboard_ = nullptr;

    // Opens the Edit menu as the user would and reads its items.
    ItemStates openEditMenu() {
        emit window_->editMenu->aboutToShow();
        return itemStates(*window_);
    }

    void prepare() override {
        commands_ = &attachDocumentCommands(
            *window_, DocumentServices{[](QWidget*, const FileDialogRequest&) {
                return std::optional<QString>();
            }});
        clipboard_ = QGuiApplication::clipboard();
        clipboard_->clear();
    }

private slots:

    void menuEnablingFollowsPaneAndClipboard() {
        MainWindow& f = *window_;
        QPlainTextEdit* pane = f.listPane;
        struct Case {
            const char* what;
            std::function<void()> arrange;
            ItemStates expected; // undo, cut, copy, paste, delete, select all
        };
        const std::vector<Case> cases = {
            {"empty pane, text on the clipboard",
             [&] {
                 pane->setPlainText(QString());
                 clipboard_->setText(QStringLiteral("clip"));
             },
             {false, false, false, true, false, false}},
            {"empty pane, empty clipboard",
             [&] {
                 pane->setPlainText(QString());
                 clipboard_->clear();
             },
             {false, false, false, false, false, false}},
            {"text without selection",
             [&] {
                 pane->setPlainText(QStringLiteral("one\ntwo"));
                 clipboard_->setText(QStringLiteral("clip"));
             },
             {false, false, false, true, false, true}},
            {"a selection",
             [&] {
                 pane->setPlainText(QStringLiteral("one\ntwo"));
                 select(pane, 1, 5);
             },
             {false, true, true, true, true, true}},
            {"typing makes undo available",
             [&] {
                 pane->setPlainText(QStringLiteral("one"));
                 pane->moveCursor(QTextCursor::End);
                 pane->insertPlainText(QStringLiteral("!"));
             },
             {true, false, false, true, false, true}},
            {"undo emptied",
             [&] { commands_->paneEditor().setCanUndo(false); },
             {false, false, false, true, false, true}},
            {"an empty text on the clipboard",
             [&] { clipboard_->setText(QString()); },
             {false, false, false, false, false, true}},
            {"only a picture on the clipboard",
             [&] {
                 QImage picture(4, 4, QImage::Format_RGB32);
                 picture.fill(Qt::red);
                 clipboard_->setImage(picture);
             },
             {false, false, false, false, false, true}},
            {"only a line end in the pane",
             [&] { pane->setPlainText(QStringLiteral("\n")); },
             {false, false, false, false, false, true}},
        };
        for (const Case& c : cases) {
            c.arrange();
            QVERIFY2(openEditMenu() == c.expected, c.what);
        }
        // The separators are left alone.
        QVERIFY(f.editEntries[2]->isSeparator());
        QVERIFY(f.editEntries[7]->isSeparator());
    }

    void shortcutItemsFollowThePaneWithoutOpeningTheMenu() {
        MainWindow& f = *window_;
        openEditMenu(); // empty pane: undo and select all off
        QVERIFY(!f.editEntries[8]->isEnabled());
        f.listPane->setPlainText(QStringLiteral("a list"));
        QVERIFY(f.editEntries[8]->isEnabled());
        f.listPane->insertPlainText(QStringLiteral("!"));
        QVERIFY(f.editEntries[1]->isEnabled());
    }

    void itemsActOnThePane() {
        MainWindow& f = *window_;
        QPlainTextEdit* pane = f.listPane;
        pane->setPlainText(QStringLiteral("alpha beta"));
        f.editEntries[8]->trigger(); // select all
        QCOMPARE(pane->textCursor().selectedText(), QStringLiteral("alpha beta"));
        select(pane, 0, 5);
        f.editEntries[4]->trigger(); // copy
        QCOMPARE(clipboard_->text(), QStringLiteral("alpha"));
        QCOMPARE(pane->toPlainText(), QStringLiteral("alpha beta"));
        select(pane, 5, 10);
        f.editEntries[3]->trigger(); // cut
        QCOMPARE(clipboard_->text(), QStringLiteral(" beta"));
        QCOMPARE(pane->toPlainText(), QStringLiteral("alpha"));
        QCOMPARE(window_->windowTitle(), QStringLiteral("Kestro - (更新)[新規]"));
        pane->moveCursor(QTextCursor::Start);
        f.editEntries[5]->trigger(); // paste
        QCOMPARE(pane->toPlainText(), QStringLiteral(" betaalpha"));
        select(pane, 0, 1);
        f.editEntries[6]->trigger(); // delete
        QCOMPARE(pane->toPlainText(), QStringLiteral("betaalpha"));
        QCOMPARE(clipboard_->text(), QStringLiteral(" beta"));
        f.editEntries[1]->trigger(); // undo the delete
        QCOMPARE(pane->toPlainText(), QStringLiteral(" betaalpha"));

        // Separators and indexes without an item do nothing.
        for (int index : {0, 2, 7, 9, -1, 100})
            commands_->onEditEntryChosen(index);
        QCOMPARE(pane->toPlainText(), QStringLiteral(" betaalpha"));
        QCOMPARE(clipboard_->text(), QStringLiteral(" beta"));
    }

    void copyButtonCopiesTheWholeTextAndChangesNothing() {
        MainWindow& f = *window_;
        f.listPane->setPlainText(QStringLiteral("line 1\nline 2\n\u00A0kept"));
        select(f.listPane, 2, 4);
        const QString title = f.windowTitle();
        const bool save = f.saveEntry->isEnabled();
        f.copyButton->click();
        QCOMPARE(clipboard_->text(), QStringLiteral("line 1\nline 2\n\u00A0kept"));
        QCOMPARE(f.listPane->textCursor().selectionStart(), 2);
        QCOMPARE(f.listPane->textCursor().selectionEnd(), 4);
        QCOMPARE(commands_->paneText(), QStringLiteral("line 1\nline 2\n\u00A0kept"));
        QCOMPARE(f.windowTitle(), title);
        QCOMPARE(f.saveEntry->isEnabled(), save);
    }

    void copyButtonWithEmptyPaneLeavesEmptyClipboardText() {
        MainWindow& f = *window_;
        clipboard_->setText(QStringLiteral("earlier"));
        f.listPane->clear();
        f.copyButton->click();
        QCOMPARE(clipboard_->text(), QString());
        QVERIFY(!openEditMenu()[3]); // paste off at the next opening
    }

    void clearButtonEmptiesPaneAndTitleIsProgramName() {
        MainWindow& f = *window_;
        const QTemporaryDir& folder = *folder_;
        const QString name = folder.filePath(QStringLiteral("named.txt"));
        DocumentCommands& commands =
            attachDocumentCommands(f, DocumentServices{[name](QWidget*, const FileDialogRequest&) {
                                       return std::optional<QString>(name);
                                   }});
        f.listPane->setPlainText(QStringLiteral("a list\n"));
        f.saveAsEntry->trigger();
        QVERIFY(!f.saveEntry->isEnabled());

        f.clearButton->click();
        QCOMPARE(f.listPane->toPlainText(), QString());
        QCOMPARE(f.windowTitle(), QStringLiteral("Kestro"));
        QVERIFY(f.saveEntry->isEnabled());
        QCOMPARE(commands.state().name(), name.toStdString());

        // Again on the empty pane: still the program name alone.
        f.listPane->insertPlainText(QStringLiteral("x"));
        QCOMPARE(f.windowTitle(), QStringLiteral("Kestro - (更新)[") + name + QLatin1Char(']'));
        f.clearButton->click();
        f.clearButton->click();
        QCOMPARE(f.windowTitle(), QStringLiteral("Kestro"));
        QVERIFY(f.saveEntry->isEnabled());
        QVERIFY(presenter_->messages.empty());
    }
};

QTEST_MAIN(DocumentEditCommandsTest)
#include "document_edit_commands_test.moc"
