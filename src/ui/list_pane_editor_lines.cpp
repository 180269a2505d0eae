// The lines of the wrapper's target and the pane's hooks for acting on
// them: its context menu, a double click, keys.

#include "ui/list_pane_editor.h"

#include <Qsci/qsciscintilla.h>

#include <QShortcut>

#include <algorithm>
#include <climits>

namespace kestro {

namespace {

using Sci = QsciScintillaBase;

long send(const QsciScintilla* pane, unsigned int message, unsigned long wParam = 0,
          long lParam = 0) {
    return pane->SendScintilla(message, wParam, lParam);
}

int lineOf(const QsciScintilla* pane, long position) {
    return static_cast<int>(std::clamp<long>(
        send(pane, Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)), 0, INT_MAX));
}

} // namespace

std::pair<int, int> ListPaneEditor::selectedLines() const {
    if (!target_)
        return {0, 0};
    const long start = send(target_, Sci::SCI_GETSELECTIONSTART);
    const long end = send(target_, Sci::SCI_GETSELECTIONEND);
    const int first = lineOf(target_, start);
    int last = lineOf(target_, end);
    if (end > start && last > first &&
        send(target_, Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(last)) == end)
        --last;
    return {first, last};
}

int ListPaneEditor::lineAt(const QPoint& point) const {
    if (!target_)
        return -1;
    const long position = send(target_, Sci::SCI_POSITIONFROMPOINTCLOSE,
                               static_cast<unsigned long>(point.x()), point.y());
    if (position >= 0)
        return lineOf(target_, position);
    // Beyond the end of a line: the line at that height, if there is one.
    const long near =
        send(target_, Sci::SCI_POSITIONFROMPOINT, static_cast<unsigned long>(point.x()), point.y());
    const int line = lineOf(target_, near);
    const long height = send(target_, Sci::SCI_TEXTHEIGHT, static_cast<unsigned long>(line));
    const long top =
        send(target_, Sci::SCI_POINTYFROMPOSITION, 0,
             send(target_, Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)));
    return point.y() < top + height ? line : -1;
}

void ListPaneEditor::moveCaretToLine(int line) {
    if (target_)
        send(target_, Sci::SCI_GOTOLINE, static_cast<unsigned long>(std::max(line, 0)));
}

void ListPaneEditor::prefixLines(const std::vector<int>& lines, std::string_view text) {
    if (!target_ || lines.empty())
        return;
    const std::string prefix(text);
    send(target_, Sci::SCI_BEGINUNDOACTION);
    for (const int line : lines) {
        const long start =
            send(target_, Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        if (start >= 0)
            target_->SendScintilla(Sci::SCI_INSERTTEXT, static_cast<unsigned long>(start),
                                   prefix.c_str());
    }
    send(target_, Sci::SCI_ENDUNDOACTION);
}

QPoint ListPaneEditor::toGlobal(const QPoint& point) const {
    return target_ ? target_->viewport()->mapToGlobal(point) : point;
}

QMetaObject::Connection
ListPaneEditor::onContextMenu(QObject* context, std::function<void(const QPoint&)> handler) const {
    if (!target_)
        return {};
    // The request reaches the scroll area with a point of its viewport.
    target_->setContextMenuPolicy(Qt::CustomContextMenu);
    return QObject::connect(target_.data(), &QWidget::customContextMenuRequested, context,
                            std::move(handler));
}

QMetaObject::Connection ListPaneEditor::onDoubleClick(QObject* context,
                                                      std::function<void(int line)> handler) const {
    if (!target_)
        return {};
    return QObject::connect(target_.data(), &QsciScintillaBase::SCN_DOUBLECLICK, context,
                            [handler = std::move(handler)](int, int line, int) { handler(line); });
}

void ListPaneEditor::onKeys(const QKeySequence& keys, QObject* context,
                            std::function<void()> handler) const {
    if (!target_)
        return;
    auto* shortcut = new QShortcut(keys, target_.data());
    shortcut->setContext(Qt::WidgetShortcut);
    QObject::connect(shortcut, &QShortcut::activated, context, std::move(handler));
}

} // namespace kestro
