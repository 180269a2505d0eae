// The formatting rectangle of the wrapper's target and its four edges.

#include "ui/list_pane_editor.h"

#include <Qsci/qsciscintilla.h>

#include <QAbstractScrollArea>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string_view>

namespace kestro {

namespace {

// The viewport margins are only reachable from a subclass; the pane is the
// widget's own class, so they are reached through one.
struct ViewportMarginsAccess : QAbstractScrollArea {
    using QAbstractScrollArea::setViewportMargins;
    using QAbstractScrollArea::viewportMargins;
};

int marginFor(qint64 value) {
    return static_cast<int>(std::clamp<qint64>(value, 0, INT_MAX));
}

// The room between the viewport's sides and the text: the widths of the
// margins (none are shown) and the blank strips at the left and right.
QMargins textInsets(const QsciScintilla& pane) {
    qint64 left = pane.SendScintilla(QsciScintillaBase::SCI_GETMARGINLEFT);
    for (int margin = 0; margin < 5; ++margin)
        left += pane.SendScintilla(QsciScintillaBase::SCI_GETMARGINWIDTHN, margin);
    const qint64 right = pane.SendScintilla(QsciScintillaBase::SCI_GETMARGINRIGHT);
    return {marginFor(left), 0, marginFor(right), 0};
}

} // namespace

Result<int> roundToInt32(double value) {
    // The default rounding mode sends a half to the even neighbour.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= static_cast<double>(INT_MIN) && rounded <= static_cast<double>(INT_MAX)))
        return makeFailure(failure::Overflow);
    return static_cast<int>(rounded);
}

void ListPaneEditor::readFormatRect() {
    FormatRect read;
    if (target_) {
        // Text is laid out in the viewport, inside the blank strips.
        const QRect area = target_->viewport()->geometry();
        const QMargins inset = textInsets(*target_);
        read = {area.left() + inset.left(), area.top() + inset.top(),
                area.x() + area.width() - inset.right(), area.y() + area.height() - inset.bottom()};
    }
    // A classic text box reports its rectangle one pixel inside the one it
    // takes.
    if (std::string_view(windowClassName(target_.data())).starts_with("ThunderTextBox"))
        rect_ = {read.left - 1, read.top - 1, read.right + 1, read.bottom + 1};
    else
        rect_ = read;
}

void ListPaneEditor::applyFormatRect() {
    if (!target_)
        return;
    QsciScintilla& edit = *target_;
    const QRect area = edit.viewport()->geometry();
    QMargins (QAbstractScrollArea::*getMargins)() const = &ViewportMarginsAccess::viewportMargins;
    const QMargins current = (edit.*getMargins)();
    const QMargins inset = textInsets(edit);
    // The viewport's place without margins; the new margins move its sides
    // to the rectangle, never beyond the control's own frame.
    const qint64 left = qint64{area.left()} - current.left();
    const qint64 top = qint64{area.top()} - current.top();
    const qint64 right = qint64{area.x()} + area.width() + current.right();
    const qint64 bottom = qint64{area.y()} + area.height() + current.bottom();
    const QMargins wanted(marginFor(rect_.left - inset.left() - left),
                          marginFor(rect_.top - inset.top() - top),
                          marginFor(right - (rect_.right + inset.right())),
                          marginFor(bottom - (rect_.bottom + inset.bottom())));
    void (QAbstractScrollArea::*setMargins)(const QMargins&) =
        &ViewportMarginsAccess::setViewportMargins;
    (edit.*setMargins)(wanted);
}

Result<int> ListPaneEditor::readEdge(int FormatRect::*edge) {
    readFormatRect();
    switch (scaleMode_) {
    case ScaleTwips: {
        Result<double> factor = twipsPerPixel_();
        if (!factor)
            return factor.failure();
        return roundToInt32(rect_.*edge * factor.value());
    }
    case ScalePixels:
        return rect_.*edge;
    default:
        return 0;
    }
}

Status ListPaneEditor::writeEdge(int FormatRect::*edge, int value) {
    readFormatRect();
    if (scaleMode_ == ScaleTwips) {
        Result<double> factor = twipsPerPixel_();
        if (!factor)
            return factor.failure();
        Result<int> pixels = roundToInt32(value / factor.value());
        if (!pixels)
            return pixels.failure();
        rect_.*edge = pixels.value();
    } else if (scaleMode_ == ScalePixels) {
        rect_.*edge = value;
    }
    applyFormatRect();
    return Ok{};
}

Result<int> ListPaneEditor::marginTop() {
    return readEdge(&FormatRect::top);
}

Status ListPaneEditor::setMarginTop(int value) {
    return writeEdge(&FormatRect::top, value);
}

Result<int> ListPaneEditor::marginLeft() {
    return readEdge(&FormatRect::left);
}

Status ListPaneEditor::setMarginLeft(int value) {
    return writeEdge(&FormatRect::left, value);
}

Result<int> ListPaneEditor::rectRight() {
    return readEdge(&FormatRect::right);
}

Status ListPaneEditor::setRectRight(int value) {
    return writeEdge(&FormatRect::right, value);
}

Result<int> ListPaneEditor::rectBottom() {
    return readEdge(&FormatRect::bottom);
}

Status ListPaneEditor::setRectBottom(int value) {
    return writeEdge(&FormatRect::bottom, value);
}

} // namespace kestro
