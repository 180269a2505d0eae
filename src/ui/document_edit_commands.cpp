// The Edit menu and the copy and clear buttons.

#include "ui/document_commands.h"

#include "ui/main_window.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

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
    auto& items = window_.editEntries;
    const bool selected = paneEditor_.hasSelection();
    enable(items[UndoItem], paneEditor_.canUndo());
    enable(items[CutItem], selected);
    enable(items[CopyItem], selected);
    enable(items[DeleteItem], selected);
    enable(items[SelectAllItem], !paneEditor_.isEmpty());
}

void DocumentCommands::onEditMenuOpening() {
    showPaneItems();
    enable(window_.editEntries[PasteItem], !clipboardText().isEmpty());
}

void DocumentCommands::onEditEntryChosen(int index) {
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

void DocumentCommands::onCopyClicked() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    clipboard->clear();
    ListPaneEditor::putOnClipboard(paneEditor_.textBytes());
}

void DocumentCommands::onClearClicked() {
    // The emptying is a change (changed title, save enabled); the title then
    // shows the program name alone.
    paneEditor_.setText(QString());
    state_.cleared();
    showState();
}

} // namespace kestro
