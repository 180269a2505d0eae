#pragma once

// ListPaneEditor: the edit-control wrapper over the list pane. It holds no text
// of its own; every member performs one operation of the edit control on its
// target and passes the control's answer through. Without a target (or
// after the target is destroyed) every operation does nothing and every
// query answers 0 or false, as a message to no window would.
//
// Lines are the text's lines (the pane never wraps); positions count the
// characters of the pane's text, a line end being one character.
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

#include <QPointer>

#include <functional>
#include <string>

class QPlainTextEdit;
class QWidget;

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
    // The default factor source refers to the object itself.
    ListPaneEditor(const ListPaneEditor&) = delete;
    ListPaneEditor& operator=(const ListPaneEditor&) = delete;

    void setTarget(QPlainTextEdit* target);
    QPlainTextEdit* target() const;
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

    QPointer<QPlainTextEdit> target_;
    int scaleMode_ = ScaleTwips;
    FormatRect rect_;
    TwipsPerPixelSource twipsPerPixel_;
};

// The class name the wrapper compares, as the system would report it: the
// control's "windowClass" property when it has one, else its Qt class name
// ("QPlainTextEdit"); empty for no control.
std::string windowClassName(const QWidget* control);

// `value` rounded to the nearest integer, a half to the even neighbour;
// fails with 6 when that does not fit 32 bits (or is not a number).
Result<int> roundToInt32(double value);

} // namespace kestro
