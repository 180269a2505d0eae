#include "ui/list_pane_editor.h"

#include "ui/twips.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <climits>

namespace kestro {

namespace {

int clampToInt(qint64 value) {
    return static_cast<int>(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

// Moves a scroll bar by `steps`, kept within its range.
void scrollBy(QScrollBar* bar, qint64 steps) {
    bar->setValue(
        clampToInt(std::clamp<qint64>(bar->value() + steps, bar->minimum(), bar->maximum())));
}

} // namespace

ListPaneEditor::ListPaneEditor() {
    twipsPerPixel_ = [this]() -> Result<double> {
        const QScreen* screen = target_ ? target_->screen() : nullptr;
        return kestro::twipsPerPixel(screen ? screen->logicalDotsPerInchX() : 0.0);
    };
}

void ListPaneEditor::Target(QPlainTextEdit* target) {
    target_ = target;
}

QPlainTextEdit* ListPaneEditor::Target() const {
    return target_.data();
}

void ListPaneEditor::TwipsPerPixel(TwipsPerPixelSource source) {
    twipsPerPixel_ = std::move(source);
}

void ListPaneEditor::Undo() {
    if (target_)
        target_->undo();
}

int ListPaneEditor::TopLine() const {
    return target_ ? target_->verticalScrollBar()->value() : 0;
}

int ListPaneEditor::TotalLine() const {
    return target_ ? target_->document()->blockCount() : 0;
}

void ListPaneEditor::SelectAll() {
    if (target_)
        target_->selectAll();
}

void ListPaneEditor::Paste() {
    if (target_)
        target_->paste();
}

void ListPaneEditor::Cut() {
    if (target_)
        target_->cut();
}

void ListPaneEditor::Copy() {
    if (target_)
        target_->copy();
}

bool ListPaneEditor::CanUndo() const {
    return target_ && target_->document()->isUndoAvailable();
}

void ListPaneEditor::CanUndo(bool value) {
    if (target_ && !value)
        target_->document()->clearUndoRedoStacks();
}

void ListPaneEditor::Clear() {
    if (!target_ || target_->isReadOnly())
        return;
    QTextCursor cursor = target_->textCursor();
    cursor.removeSelectedText();
}

void ListPaneEditor::scrollVerticallyBy(qint64 lines) {
    if (target_)
        scrollBy(target_->verticalScrollBar(), lines);
}

void ListPaneEditor::ScrollLines(int lines) {
    scrollVerticallyBy(lines);
}

void ListPaneEditor::ShowTop() {
    scrollVerticallyBy(-static_cast<qint64>(TotalLine()));
}

void ListPaneEditor::ShowBottom() {
    scrollVerticallyBy(TotalLine());
}

bool ListPaneEditor::Modify() const {
    return target_ && target_->document()->isModified();
}

void ListPaneEditor::Modify(bool value) {
    if (target_ && !value)
        target_->document()->setModified(false);
}

void ListPaneEditor::ScrollSideways(int characters) {
    if (!target_)
        return;
    const int width = std::max(1, QFontMetrics(target_->font()).averageCharWidth());
    scrollBy(target_->horizontalScrollBar(), static_cast<qint64>(characters) * width);
}

int ListPaneEditor::LineFromChar(int position) const {
    if (!target_)
        return 0;
    const QTextDocument* document = target_->document();
    if (position == -1)
        return document->findBlock(target_->textCursor().selectionStart()).blockNumber();
    // Any other negative index reads as a huge unsigned one: past the end.
    const QTextBlock block = position < 0 ? QTextBlock() : document->findBlock(position);
    return block.isValid() ? block.blockNumber() : document->blockCount() - 1;
}

std::string windowClassName(const QWidget* control) {
    if (!control)
        return {};
    const QVariant named = control->property("windowClass");
    if (named.isValid())
        return named.toString().toStdString();
    return control->metaObject()->className();
}

} // namespace kestro
