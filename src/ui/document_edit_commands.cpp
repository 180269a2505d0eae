// The Edit menu and the copy and clear buttons.

#include "ui/document_commands.h"

#include "ui/form1.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace kestro {

namespace {

enum EditItem {
    UndoItem = 1,
    CutItem = 3,
    CopyItem = 4,
    PasteItem = 5,
    DeleteItem = 6,
    SelectAllItem = 8,
};

void enable(QAction* item, bool on) {
    if (item)
        item->setEnabled(on);
}

// The clipboard's plain text; one that holds no text, or none at all, reads
// as empty.
QString clipboardText() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}

} // namespace

void DocumentCommands::showPaneItems() {
    auto& items = window_.mnuEditItem;
    const bool selected = window_.Text1->textCursor().hasSelection();
    enable(items[UndoItem], paneEditor_.canUndo());
    enable(items[CutItem], selected);
    enable(items[CopyItem], selected);
    enable(items[DeleteItem], selected);
    enable(items[SelectAllItem], !window_.Text1->document()->isEmpty());
}

void DocumentCommands::mnuEdit_Click() {
    showPaneItems();
    enable(window_.mnuEditItem[PasteItem], !clipboardText().isEmpty());
}

void DocumentCommands::mnuEditItem_Click(int index) {
    switch (index) {
    case UndoItem:
        paneEditor_.undo();
        break;
    case CutItem:
        paneEditor_.cut();
        break;
    case CopyItem:
        paneEditor_.copy();
        break;
    case PasteItem:
        paneEditor_.paste();
        break;
    case DeleteItem:
        paneEditor_.deleteSelection();
        break;
    case SelectAllItem:
        paneEditor_.selectAll();
        break;
    default:
        break;
    }
}

void DocumentCommands::Command2_Click() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    clipboard->clear();
    clipboard->setText(paneText());
}

void DocumentCommands::Command3_Click() {
    // The emptying is a change (changed title, save enabled); the title then
    // shows the program name alone.
    window_.Text1->setPlainText(QString());
    state_.cleared();
    showState();
}

} // namespace kestro
