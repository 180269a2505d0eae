// The formatting rectangle of the wrapper's target and its four edges.

#include "ui/list_pane_editor.h"

#include <QAbstractScrollArea>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string_view>

namespace kestro {

namespace {

// The viewport margins are only reachable from a subclass; the pane is a
// plain QPlainTextEdit, so they are reached through one.
struct ViewportMarginsAccess : QAbstractScrollArea {
    using QAbstractScrollArea::setViewportMargins;
    using QAbstractScrollArea::viewportMargins;
};

int marginFor(qint64 value) {
    return static_cast<int>(std::clamp<qint64>(value, 0, INT_MAX));
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
        // Text is laid out in the viewport, inside the document's margin.
        const QRect area = target_->viewport()->geometry();
        const int margin = static_cast<int>(std::lround(target_->document()->documentMargin()));
        read = {area.left() + margin, area.top() + margin, area.x() + area.width() - margin,
                area.y() + area.height() - margin};
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
    QPlainTextEdit& edit = *target_;
    const QRect area = edit.viewport()->geometry();
    QMargins (QAbstractScrollArea::*getMargins)() const = &ViewportMarginsAccess::viewportMargins;
    const QMargins current = (edit.*getMargins)();
    const qint64 margin = std::lround(edit.document()->documentMargin());
    // The viewport's place without margins; the new margins move its sides
    // to the rectangle, never beyond the control's own frame.
    const qint64 left = qint64{area.left()} - current.left();
    const qint64 top = qint64{area.top()} - current.top();
    const qint64 right = qint64{area.x()} + area.width() + current.right();
    const qint64 bottom = qint64{area.y()} + area.height() + current.bottom();
    const QMargins wanted(
        marginFor(rect_.left - margin - left), marginFor(rect_.top - margin - top),
        marginFor(right - (rect_.right + margin)), marginFor(bottom - (rect_.bottom + margin)));
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
