#pragma once

// ListPaneEditor: the edit-control wrapper over the list pane. It holds no text
// of its own; every member performs one operation of the edit control on its
// target and passes the control's answer through. Without a target (or
// after the target is destroyed) every operation does nothing and every
// query answers 0 or false, as a message to no window would.
//
// The pane itself is made by makeListPane: a widget built for long texts
// (the text is held as UTF-8 bytes with an index of its lines, so a list of
// a million lines is appended, copied and saved in a fraction of a second).
// The rest of the window knows it only as a QWidget and reaches its text
// through this wrapper.
//
// Lines are the text's lines (the pane never wraps); a line end is LF.
// Positions count the characters (UTF-16 units) of the pane's text, a line
// end being one character.
//
// The four edges (marginTop, marginLeft, rectRight, rectBottom) are the
// sides of the formatting rectangle: the area, in pixels of the target's own
// coordinates, in which text is laid out (the viewport less the document
// margin). They are read and written in the unit of scaleMode: 1 twips, 3
// pixels; any other mode reads 0 and writes the rectangle back unchanged.
// Twips use the screen's horizontal twips-per-pixel factor for all four
// edges, rounded half to even; a result outside 32 bits fails with 6
// (overflow) and nothing is written; a failing factor source fails the
// member with the source's failure.
//
// The wrapper does not own its target.

#include "platform/failure.h"

#include <QFont>
#include <QKeySequence>
#include <QMetaObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QObject;
class QWidget;
class QsciScintilla;

namespace kestro {

class ListPaneEditor {
public:
    static constexpr int ScaleTwips = 1;
    static constexpr int ScalePixels = 3;

    // The width of one screen pixel in twips.
    using TwipsPerPixelSource = std::function<Result<double>()>;

    // Scale mode 1, no target, a zero rectangle; the factor from the
    // target's screen.
    ListPaneEditor();
    // Bound to `target` at once.
    explicit ListPaneEditor(QWidget* target);
    // The default factor source refers to the object itself.
    ListPaneEditor(const ListPaneEditor&) = delete;
    ListPaneEditor& operator=(const ListPaneEditor&) = delete;

    // A widget made by makeListPane; any other widget acts as no target.
    void setTarget(QWidget* target);
    QWidget* target() const;
    // Replaces where the twips-per-pixel factor comes from (tests, or a
    // window that keeps its own).
    void setTwipsPerPixelSource(TwipsPerPixelSource source);

    void undo();
    // Index of the first visible line, from 0.
    int topLine() const;
    // Number of lines; an empty text has one.
    int lineCount() const;
    // Selects the whole text; an empty text selects nothing.
    void selectAll();
    void paste();
    void cut();
    void copy();
    bool canUndo() const;
    // False empties the undo (and redo) history; true does nothing.
    void setCanUndo(bool value);
    // Deletes the selection.
    void deleteSelection();
    // Scrolls by `lines` lines, towards the top when negative.
    void scrollLines(int lines);
    void showTop();
    void showBottom();
    bool isModified() const;
    // False clears the modified flag; true does nothing.
    void setModified(bool value);
    // Scrolls sideways by `characters` average character widths.
    void scrollSideways(int characters);
    Result<int> marginTop();
    Status setMarginTop(int value);
    Result<int> marginLeft();
    Status setMarginLeft(int value);
    int scaleMode() const { return scaleMode_; }
    void setScaleMode(int value) { scaleMode_ = value; }
    // Index of the line that holds character `position`: -1 means the line
    // of the caret (or of the selection's start); a position past the end
    // gives the last line.
    int lineFromChar(int position) const;
    // Nothing in the program uses these two.
    Result<int> rectRight();
    Status setRectRight(int value);
    Result<int> rectBottom();
    Status setRectBottom(int value);

    // ---- The text, for the window's own commands --------------------------
    // The whole text (LF line ends).
    QString text() const;
    // The whole text as UTF-8 bytes, valid until the next change of the
    // text; nothing is copied.
    std::string_view textBytes() const;
    // Length of the text in UTF-8 bytes.
    std::size_t byteLength() const;
    bool isEmpty() const { return byteLength() == 0; }
    // Replaces the whole text (a change; the undo history is emptied).
    void setText(const QString& text);
    // Whether some text is selected.
    bool hasSelection() const;
    // The selected text.
    QString selectedText() const;
    // Selects characters [from, to) of the text.
    void select(int from, int to);
    // Puts the caret after the last character (no selection) and shows it.
    void moveCaretToEnd();
    // Types `text` at the caret, replacing the selection (a change that
    // undo takes back).
    void typeText(const QString& text);
    // The pane's font and the distance of its tab stops in pixels.
    QFont font() const;
    double tabStopDistance() const;

    // Calls `handler` after every change of the text, while `context`
    // lives.
    QMetaObject::Connection onTextChanged(QObject* context, std::function<void()> handler) const;
    // Calls `handler` when the selection or what undo can do may have
    // changed.
    QMetaObject::Connection onEditStateChanged(QObject* context,
                                               std::function<void()> handler) const;

    // ---- Lines, for acting on what a line names ---------------------------
    // (list_pane_editor_lines.cpp)
    // The lines the selection touches, first and last (from 0); the caret's
    // line when nothing is selected. A selection that ends at the start of
    // a line does not touch that line.
    std::pair<int, int> selectedLines() const;
    // The line under `point` (in the pane's viewport), or -1 below the text.
    int lineAt(const QPoint& point) const;
    // Puts the caret at the start of `line`, nothing selected.
    void moveCaretToLine(int line);
    // Puts `text` before each of `lines` as one change, which one undo takes
    // back.
    void prefixLines(const std::vector<int>& lines, std::string_view text);
    // `point` of the viewport on the screen.
    QPoint toGlobal(const QPoint& point) const;
    // Calls `handler` with the point in the viewport where the pane's
    // context menu is asked for (right button, menu key); the pane's own
    // menu is no longer shown.
    QMetaObject::Connection onContextMenu(QObject* context,
                                          std::function<void(const QPoint&)> handler) const;
    // Calls `handler` with the line of a double click, after the pane has
    // selected the word clicked.
    QMetaObject::Connection onDoubleClick(QObject* context,
                                          std::function<void(int line)> handler) const;
    // Calls `handler` when `keys` are pressed while the pane has the focus.
    void onKeys(const QKeySequence& keys, QObject* context, std::function<void()> handler) const;

    // ---- Appending a long text in pieces ----------------------------------
    // The pieces are added at the end without a change notification and
    // without an undo step; the pane keeps painting between them. Then
    // either finishAppend (one change notification, the undo history
    // emptied as for any new list, the view at the start of what was added)
    // or cancelAppend (the appended text removed: the text, its undo
    // history and its modified flag as they were before beginAppend, and no
    // change notification).
    //
    // `expectedBytes` is what will be appended, for one allocation.
    void beginAppend(std::size_t expectedBytes);
    // UTF-8 text with CR LF or LF line ends; a multi-byte character may be
    // split between two pieces. Bytes that are not UTF-8 become U+FFFD.
    void appendPiece(std::string_view piece);
    void finishAppend();
    // As finishAppend, with the text that was there before beginAppend
    // removed: the appended text replaces it.
    void finishReplacing();
    void cancelAppend();

    // Puts UTF-8 text on the clipboard as its plain text (what copy does
    // with the selection).
    static void putOnClipboard(std::string_view utf8);

private:
    struct FormatRect {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
    };

    void readFormatRect();
    void applyFormatRect();
    Result<int> readEdge(int FormatRect::*edge);
    Status writeEdge(int FormatRect::*edge, int value);
    void scrollVerticallyBy(qint64 lines);
    void endAppend();
    void finishAppending(bool replacing);

    // An append under way: where it started, the change events it turned
    // off, the bytes of a character split between two pieces.
    struct AppendState {
        bool active = false;
        long start = 0;
        long eventMask = 0;
        std::string carry;
        std::unique_ptr<char[]> work;
        std::size_t capacity = 0;
    };

    QsciScintilla* pane() const;

    QPointer<QsciScintilla> target_;
    int scaleMode_ = ScaleTwips;
    FormatRect rect_;
    TwipsPerPixelSource twipsPerPixel_;
    AppendState append_;
};

// The class name the wrapper compares, as the system would report it: the
// control's "windowClass" property when it has one, else its Qt class name;
// empty for no control.
std::string windowClassName(const QWidget* control);

// Makes the list pane, a child of `parent`: editable, not wrapped, both
// scroll bars, the Japanese fixed font, tab stops every 8 columns, LF line
// ends.
QWidget* makeListPane(QWidget* parent = nullptr);

// `bytes` as the pane holds them: CR LF as LF, each byte that does not
// belong to a well-formed UTF-8 character as U+FFFD.
std::string paneForm(std::string_view bytes);

// `value` rounded to the nearest integer, a half to the even neighbour;
// fails with 6 when that does not fit 32 bits (or is not a number).
Result<int> roundToInt32(double value);

} // namespace kestro
