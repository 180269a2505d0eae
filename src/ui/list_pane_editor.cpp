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

void ListPaneEditor::setTarget(QPlainTextEdit* target) {
    target_ = target;
}

QPlainTextEdit* ListPaneEditor::target() const {
    return target_.data();
}

void ListPaneEditor::setTwipsPerPixelSource(TwipsPerPixelSource source) {
    twipsPerPixel_ = std::move(source);
}

void ListPaneEditor::undo() {
    if (target_)
        target_->undo();
}

int ListPaneEditor::topLine() const {
    return target_ ? target_->verticalScrollBar()->value() : 0;
}

int ListPaneEditor::lineCount() const {
    return target_ ? target_->document()->blockCount() : 0;
}

void ListPaneEditor::selectAll() {
    if (target_)
        target_->selectAll();
}

void ListPaneEditor::paste() {
    if (target_)
        target_->paste();
}

void ListPaneEditor::cut() {
    if (target_)
        target_->cut();
}

void ListPaneEditor::copy() {
    if (target_)
        target_->copy();
}

bool ListPaneEditor::canUndo() const {
    return target_ && target_->document()->isUndoAvailable();
}

void ListPaneEditor::setCanUndo(bool value) {
    if (target_ && !value)
        target_->document()->clearUndoRedoStacks();
}

void ListPaneEditor::deleteSelection() {
    if (!target_ || target_->isReadOnly())
        return;
    QTextCursor cursor = target_->textCursor();
    cursor.removeSelectedText();
}

void ListPaneEditor::scrollVerticallyBy(qint64 lines) {
    if (target_)
        scrollBy(target_->verticalScrollBar(), lines);
}

void ListPaneEditor::scrollLines(int lines) {
    scrollVerticallyBy(lines);
}

void ListPaneEditor::showTop() {
    scrollVerticallyBy(-static_cast<qint64>(lineCount()));
}

void ListPaneEditor::showBottom() {
    scrollVerticallyBy(lineCount());
}

bool ListPaneEditor::isModified() const {
    return target_ && target_->document()->isModified();
}

void ListPaneEditor::setModified(bool value) {
    if (target_ && !value)
        target_->document()->setModified(false);
}

void ListPaneEditor::scrollSideways(int characters) {
    if (!target_)
        return;
    const int width = std::max(1, QFontMetrics(target_->font()).averageCharWidth());
    scrollBy(target_->horizontalScrollBar(), static_cast<qint64>(characters) * width);
}

int ListPaneEditor::lineFromChar(int position) const {
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
