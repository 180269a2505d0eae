#include "ui/list_pane_accessible.h"

#include <Qsci/qsciscintilla.h>

#include <QAccessibleWidget>

#include <algorithm>
#include <climits>

namespace kestro {

namespace {

using Sci = QsciScintillaBase;

constexpr const char* ListPaneProperty = "kestroListPane";

class ListPaneAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ListPaneAccessible(QsciScintilla* pane)
        : QAccessibleWidget(pane, QAccessible::EditableText) {}

    using QAccessibleWidget::text;

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = !pane()->isReadOnly();
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        if (index != 0 || selectionCount() == 0)
            return;
        *start = offsetOf(send(Sci::SCI_GETSELECTIONSTART));
        *end = offsetOf(send(Sci::SCI_GETSELECTIONEND));
    }
    int selectionCount() const override { return send(Sci::SCI_GETSELECTIONEMPTY) != 0 ? 0 : 1; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0)
            send(Sci::SCI_SETEMPTYSELECTION, send(Sci::SCI_GETCURRENTPOS));
    }
    void setSelection(int index, int start, int end) override {
        if (index == 0)
            send(Sci::SCI_SETSEL, positionOf(start), positionOf(end));
    }
    int cursorPosition() const override { return offsetOf(send(Sci::SCI_GETCURRENTPOS)); }
    void setCursorPosition(int position) override { send(Sci::SCI_GOTOPOS, positionOf(position)); }
    QString text(int start, int end) const override {
        const long from = positionOf(start);
        const long to = std::max(from, positionOf(end));
        // The widget answers with the address as a number.
        const auto* bytes = reinterpret_cast<const char*>( // NOLINT(performance-no-int-to-ptr)
            send(Sci::SCI_GETRANGEPOINTER, from, to - from));
        return bytes ? QString::fromUtf8(bytes, to - from) : QString();
    }
    int characterCount() const override { return offsetOf(send(Sci::SCI_GETLENGTH)); }
    QRect characterRect(int offset) const override {
        const long at = positionOf(offset);
        const auto x = static_cast<int>(send(Sci::SCI_POINTXFROMPOSITION, 0, at));
        const auto y = static_cast<int>(send(Sci::SCI_POINTYFROMPOSITION, 0, at));
        const long line = send(Sci::SCI_LINEFROMPOSITION, at);
        const auto height = static_cast<int>(send(Sci::SCI_TEXTHEIGHT, line));
        const auto width = static_cast<int>(
            send(Sci::SCI_POINTXFROMPOSITION, 0, send(Sci::SCI_POSITIONAFTER, at)) - x);
        const QPoint origin = pane()->viewport()->mapToGlobal(QPoint(x, y));
        return {origin, QSize(std::max(width, 1), height)};
    }
    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = pane()->viewport()->mapFromGlobal(point);
        const long at = send(Sci::SCI_POSITIONFROMPOINTCLOSE, local.x(), local.y());
        return at < 0 ? -1 : offsetOf(at);
    }
    void scrollToSubstring(int start, int end) override {
        send(Sci::SCI_SCROLLRANGE, positionOf(end), positionOf(start));
    }
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

private:
    QsciScintilla* pane() const { return static_cast<QsciScintilla*>(widget()); }

    long send(unsigned int message, long wParam = 0, long lParam = 0) const {
        return pane()->SendScintilla(message, static_cast<unsigned long>(wParam), lParam);
    }

    void ensureIndex() const {
        if ((send(Sci::SCI_GETLINECHARACTERINDEX) & Sci::SC_LINECHARACTERINDEX_UTF16) == 0)
            send(Sci::SCI_ALLOCATELINECHARACTERINDEX, Sci::SC_LINECHARACTERINDEX_UTF16);
    }

    // The UTF-16 offset of byte position `position`.
    int offsetOf(long position) const {
        ensureIndex();
        const long line = send(Sci::SCI_LINEFROMPOSITION, position);
        const long lineOffset =
            send(Sci::SCI_INDEXPOSITIONFROMLINE, line, Sci::SC_LINECHARACTERINDEX_UTF16);
        const long inLine =
            send(Sci::SCI_COUNTCODEUNITS, send(Sci::SCI_POSITIONFROMLINE, line), position);
        return static_cast<int>(std::min<long>(lineOffset + inLine, INT_MAX));
    }

    // The byte position of UTF-16 offset `offset` (the end for one past it).
    long positionOf(int offset) const {
        if (offset <= 0)
            return 0;
        ensureIndex();
        const long line =
            send(Sci::SCI_LINEFROMINDEXPOSITION, offset, Sci::SC_LINECHARACTERINDEX_UTF16);
        const long lineOffset =
            send(Sci::SCI_INDEXPOSITIONFROMLINE, line, Sci::SC_LINECHARACTERINDEX_UTF16);
        const long lineStart = send(Sci::SCI_POSITIONFROMLINE, line);
        const long at = send(Sci::SCI_POSITIONRELATIVECODEUNITS, lineStart, offset - lineOffset);
        // Past the end the widget answers 0.
        return at == 0 && offset > lineOffset ? send(Sci::SCI_GETLENGTH) : at;
    }
};

QAccessibleInterface* listPaneInterface(const QString&, QObject* object) {
    auto* pane = qobject_cast<QsciScintilla*>(object);
    if (pane && pane->property(ListPaneProperty).toBool())
        return new ListPaneAccessible(pane);
    return nullptr;
}

} // namespace

void installListPaneAccessibility(QsciScintilla* pane) {
    pane->setProperty(ListPaneProperty, true);
    // The factory installed last is asked first.
    static const bool installed = [] {
        QAccessible::installFactory(listPaneInterface);
        return true;
    }();
    (void)installed;
}

} // namespace kestro
