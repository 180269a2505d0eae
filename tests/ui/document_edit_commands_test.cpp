// The Edit menu's enabling and items, and the copy and clear buttons.

#include "ui/document_commands.h"
#include "ui/list_pane_editor.h"
#include "ui/main_window.h"

#include "ui/main_window_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMimeData>
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
        ListPaneEditor pane(f.listPane);
        struct Case {
            const char* what;
            std::function<void()> arrange;
            ItemStates expected; // undo, cut, copy, paste, delete, select all
        };
        const std::vector<Case> cases = {
            {"empty pane, text on the clipboard",
             [&] {
                 pane.setText(QString());
                 clipboard_->setText(QStringLiteral("clip"));
             },
             {false, false, false, true, false, false}},
            {"empty pane, empty clipboard",
             [&] {
                 pane.setText(QString());
                 clipboard_->clear();
             },
             {false, false, false, false, false, false}},
            {"text without selection",
             [&] {
                 pane.setText(QStringLiteral("one\ntwo"));
                 clipboard_->setText(QStringLiteral("clip"));
             },
             {false, false, false, true, false, true}},
            {"a selection",
             [&] {
                 pane.setText(QStringLiteral("one\ntwo"));
                 pane.select(1, 5);
             },
             {false, true, true, true, true, true}},
            {"typing makes undo available",
             [&] {
                 pane.setText(QStringLiteral("one"));
                 pane.moveCaretToEnd();
                 pane.typeText(QStringLiteral("!"));
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
             [&] { pane.setText(QStringLiteral("\n")); },
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
        ListPaneEditor(f.listPane).setText(QStringLiteral("a list"));
        QVERIFY(f.editEntries[8]->isEnabled());
        ListPaneEditor(f.listPane).typeText(QStringLiteral("!"));
        QVERIFY(f.editEntries[1]->isEnabled());
    }

    void itemsActOnThePane() {
        MainWindow& f = *window_;
        ListPaneEditor pane(f.listPane);
        pane.setText(QStringLiteral("alpha beta"));
        f.editEntries[8]->trigger(); // select all
        QCOMPARE(pane.selectedText(), QStringLiteral("alpha beta"));
        pane.select(0, 5);
        f.editEntries[4]->trigger(); // copy
        QCOMPARE(clipboard_->text(), QStringLiteral("alpha"));
        QCOMPARE(pane.text(), QStringLiteral("alpha beta"));
        pane.select(5, 10);
        f.editEntries[3]->trigger(); // cut
        QCOMPARE(clipboard_->text(), QStringLiteral(" beta"));
        QCOMPARE(pane.text(), QStringLiteral("alpha"));
        QCOMPARE(window_->windowTitle(), QStringLiteral("Kestro - (更新)[新規]"));
        pane.select(0, 0);
        f.editEntries[5]->trigger(); // paste
        QCOMPARE(pane.text(), QStringLiteral(" betaalpha"));
        pane.select(0, 1);
        f.editEntries[6]->trigger(); // delete
        QCOMPARE(pane.text(), QStringLiteral("betaalpha"));
        QCOMPARE(clipboard_->text(), QStringLiteral(" beta"));
        f.editEntries[1]->trigger(); // undo the delete
        QCOMPARE(pane.text(), QStringLiteral(" betaalpha"));

        // Separators and indexes without an item do nothing.
        for (int index : {0, 2, 7, 9, -1, 100})
            commands_->onEditEntryChosen(index);
        QCOMPARE(pane.text(), QStringLiteral(" betaalpha"));
        QCOMPARE(clipboard_->text(), QStringLiteral(" beta"));
    }

    void copyButtonCopiesTheWholeTextAndChangesNothing() {
        MainWindow& f = *window_;
        ListPaneEditor(f.listPane).setText(QStringLiteral("line 1\nline 2\n\u00A0kept"));
        ListPaneEditor(f.listPane).select(2, 4);
        const QString title = f.windowTitle();
        const bool save = f.saveEntry->isEnabled();
        f.copyButton->click();
        QCOMPARE(clipboard_->text(), QStringLiteral("line 1\nline 2\n\u00A0kept"));
        QCOMPARE(ListPaneEditor(f.listPane).selectedText(), QStringLiteral("ne"));
        QCOMPARE(commands_->paneText(), QStringLiteral("line 1\nline 2\n\u00A0kept"));
        QCOMPARE(f.windowTitle(), title);
        QCOMPARE(f.saveEntry->isEnabled(), save);
    }

    void copyButtonWithEmptyPaneLeavesEmptyClipboardText() {
        MainWindow& f = *window_;
        clipboard_->setText(QStringLiteral("earlier"));
        ListPaneEditor(f.listPane).setText(QString());
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
        ListPaneEditor(f.listPane).setText(QStringLiteral("a list\n"));
        f.saveAsEntry->trigger();
        QVERIFY(!f.saveEntry->isEnabled());

        f.clearButton->click();
        QCOMPARE(ListPaneEditor(f.listPane).text(), QString());
        QCOMPARE(f.windowTitle(), QStringLiteral("Kestro"));
        QVERIFY(f.saveEntry->isEnabled());
        QCOMPARE(commands.state().name(), name.toStdString());

        // Again on the empty pane: still the program name alone.
        ListPaneEditor(f.listPane).typeText(QStringLiteral("x"));
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
