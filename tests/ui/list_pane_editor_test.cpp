#include "ui/list_pane_editor.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <climits>
#include <cmath>
#include <memory>

using kestro::ListPaneEditor;

namespace {

QString numberedLines(int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("line %1\n").arg(i);
    return text;
}

// A pane without frame or document margin, so that its formatting rectangle
// is its viewport.
std::unique_ptr<QPlainTextEdit> barePane() {
    auto edit = std::make_unique<QPlainTextEdit>();
    edit->setFrameStyle(QFrame::NoFrame);
    edit->document()->setDocumentMargin(0);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->resize(200, 120);
    edit->show();
    return edit;
}

int pixels(ListPaneEditor& box, kestro::Result<int> (ListPaneEditor::*edge)()) {
    const int mode = box.ScaleMode();
    box.ScaleMode(ListPaneEditor::ScalePixels);
    const kestro::Result<int> value = (box.*edge)();
    box.ScaleMode(mode);
    return value.ok() ? value.value() : INT_MIN;
}

} // namespace

class ListPaneEditorTest : public QObject {
    Q_OBJECT

private slots:
    void withoutTargetEverythingAnswersZero();
    void undoAndCanUndo();
    void modifyFlag();
    void selectAllAndClipboardOperations();
    void clearDeletesOnlyTheSelection();
    void lineQueries();
    void scrolling();
    void roundingHalfToEven_data();
    void roundingHalfToEven();
    void twipsMarginsConvertWithTheScreenFactor_data();
    void twipsMarginsConvertWithTheScreenFactor();
    void allFourEdgesInPixels();
    void otherScaleModesReadZeroAndWriteBackUnchanged();
    void classicTextBoxRectangleIsOnePixelLarger();
    void conversionFailuresSendNothing();
};

void ListPaneEditorTest::withoutTargetEverythingAnswersZero() {
    ListPaneEditor box;
    QCOMPARE(box.ScaleMode(), 1);
    QVERIFY(box.Target() == nullptr);
    box.Undo();
    box.SelectAll();
    box.Paste();
    box.Cut();
    box.Copy();
    box.Clear();
    box.ScrollLines(5);
    box.ScrollSideways(5);
    box.ShowTop();
    box.ShowBottom();
    box.CanUndo(false);
    box.Modify(false);
    QCOMPARE(box.TopLine(), 0);
    QCOMPARE(box.TotalLine(), 0);
    QCOMPARE(box.LineFromChar(3), 0);
    QVERIFY(!box.CanUndo());
    QVERIFY(!box.Modify());
    box.ScaleMode(ListPaneEditor::ScalePixels);
    QCOMPARE(box.MarginLeft().value(), 0);
    QVERIFY(box.MarginTop(10).ok());
    QCOMPARE(kestro::windowClassName(nullptr), std::string());

    // A target that is destroyed is forgotten.
    auto edit = std::make_unique<QPlainTextEdit>(QStringLiteral("text"));
    box.Target(edit.get());
    QCOMPARE(box.TotalLine(), 1);
    edit.reset();
    QVERIFY(box.Target() == nullptr);
    QCOMPARE(box.TotalLine(), 0);
}

void ListPaneEditorTest::undoAndCanUndo() {
    QPlainTextEdit edit;
    ListPaneEditor box;
    box.Target(&edit);
    QVERIFY(!box.CanUndo());
    edit.insertPlainText(QStringLiteral("typed"));
    QVERIFY(box.CanUndo());
    // Writing true changes nothing.
    box.CanUndo(true);
    QVERIFY(box.CanUndo());
    box.Undo();
    QCOMPARE(edit.toPlainText(), QString());
    QVERIFY(!box.CanUndo());

    edit.insertPlainText(QStringLiteral("again"));
    box.CanUndo(false);
    QVERIFY(!box.CanUndo());
    box.Undo();
    QCOMPARE(edit.toPlainText(), QStringLiteral("again"));
    // Emptied means emptied, not hidden: a true write does not bring it back.
    box.CanUndo(true);
    QVERIFY(!box.CanUndo());
}

void ListPaneEditorTest::modifyFlag() {
    QPlainTextEdit edit;
    ListPaneEditor box;
    box.Target(&edit);
    QVERIFY(!box.Modify());
    box.Modify(true);
    QVERIFY(!box.Modify());
    QVERIFY(!edit.document()->isModified());
    edit.insertPlainText(QStringLiteral("x"));
    QVERIFY(box.Modify());
    box.Modify(true);
    QVERIFY(box.Modify());
    box.Modify(false);
    QVERIFY(!box.Modify());
    QCOMPARE(edit.toPlainText(), QStringLiteral("x"));
}

void ListPaneEditorTest::selectAllAndClipboardOperations() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    QPlainTextEdit edit;
    ListPaneEditor box;
    box.Target(&edit);

    // Nothing to select in an empty pane, and nothing else happens.
    box.SelectAll();
    QVERIFY(!edit.textCursor().hasSelection());
    QVERIFY(!box.Modify());

    edit.setPlainText(QStringLiteral("alpha\nbeta"));
    box.SelectAll();
    QCOMPARE(edit.textCursor().selectionStart(), 0);
    QCOMPARE(edit.textCursor().selectionEnd(), 10);

    clipboard->setText(QStringLiteral("before"));
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(6);
    cursor.setPosition(10, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    box.Copy();
    QCOMPARE(clipboard->text(), QStringLiteral("beta"));
    QCOMPARE(edit.toPlainText(), QStringLiteral("alpha\nbeta"));

    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    box.Cut();
    QCOMPARE(clipboard->text(), QStringLiteral("alpha"));
    QCOMPARE(edit.toPlainText(), QStringLiteral("\nbeta"));

    // Paste inserts at the caret.
    cursor.setPosition(edit.document()->characterCount() - 1);
    edit.setTextCursor(cursor);
    box.Paste();
    QCOMPARE(edit.toPlainText(), QStringLiteral("\nbetaalpha"));
}

void ListPaneEditorTest::clearDeletesOnlyTheSelection() {
    QPlainTextEdit edit(QStringLiteral("one two three"));
    ListPaneEditor box;
    box.Target(&edit);
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    box.Clear(); // no selection: nothing to delete
    QCOMPARE(edit.toPlainText(), QStringLiteral("one two three"));
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(3);
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    box.Clear();
    QCOMPARE(edit.toPlainText(), QStringLiteral("one three"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    QVERIFY(box.CanUndo());

    edit.setReadOnly(true);
    box.SelectAll();
    box.Clear();
    QCOMPARE(edit.toPlainText(), QStringLiteral("one three"));
}

void ListPaneEditorTest::lineQueries() {
    QPlainTextEdit edit;
    ListPaneEditor box;
    box.Target(&edit);
    QCOMPARE(box.TotalLine(), 1); // an empty text has one line
    edit.setPlainText(QStringLiteral("ab\ncd\n\nef"));
    QCOMPARE(box.TotalLine(), 4);
    struct Case {
        int position;
        int line;
    };
    // Line ends count one character each.
    for (const Case c : {Case{0, 0}, Case{2, 0}, Case{3, 1}, Case{5, 1}, Case{6, 2}, Case{7, 3},
                         Case{9, 3}, Case{500, 3}, Case{-7, 3}}) {
        QCOMPARE(box.LineFromChar(c.position), c.line);
    }
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(8);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    QCOMPARE(box.LineFromChar(-1), 1); // the selection's start
    cursor.setPosition(8);
    edit.setTextCursor(cursor);
    QCOMPARE(box.LineFromChar(-1), 3); // the caret
}

void ListPaneEditorTest::scrolling() {
    QPlainTextEdit edit;
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    edit.resize(200, 120);
    edit.setPlainText(numberedLines(200) + QString(400, QLatin1Char('w')));
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    ListPaneEditor box;
    box.Target(&edit);

    QCOMPARE(box.TotalLine(), 201);
    QCOMPARE(box.TopLine(), 0);
    box.ScrollLines(10); // by lines, downwards
    QCOMPARE(box.TopLine(), 10);
    box.ScrollLines(-4);
    QCOMPARE(box.TopLine(), 6);
    box.ShowBottom();
    QVERIFY(box.TopLine() > 150);
    QCOMPARE(box.TopLine(), edit.verticalScrollBar()->maximum());
    box.ShowTop();
    QCOMPARE(box.TopLine(), 0);
    box.ScrollLines(INT_MIN); // no overflow at the extremes
    QCOMPARE(box.TopLine(), 0);
    box.ScrollLines(INT_MAX);
    QCOMPARE(box.TopLine(), edit.verticalScrollBar()->maximum());

    // Sideways by characters; the vertical position stays.
    const int top = box.TopLine();
    const int width = QFontMetrics(edit.font()).averageCharWidth();
    box.ScrollSideways(3);
    QCOMPARE(edit.horizontalScrollBar()->value(), 3 * width);
    box.ScrollSideways(-1);
    QCOMPARE(edit.horizontalScrollBar()->value(), 2 * width);
    QCOMPARE(box.TopLine(), top);
}

void ListPaneEditorTest::roundingHalfToEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected"); // -1: overflow
    QTest::newRow("6.5") << 6.5 << 6;
    QTest::newRow("7.5") << 7.5 << 8;
    QTest::newRow("-2.5") << -2.5 << -2;
    QTest::newRow("-3.5") << -3.5 << -4;
    QTest::newRow("6.67") << 100.0 / 15.0 << 7;
    QTest::newRow("largest") << 2147483647.0 << INT_MAX;
    QTest::newRow("largest + 0.4") << 2147483647.4 << INT_MAX;
    QTest::newRow("smallest") << -2147483648.0 << INT_MIN;
    QTest::newRow("too large") << 2147483647.5 << -1;
    QTest::newRow("too small") << -2147483648.6 << -1;
    QTest::newRow("infinite") << HUGE_VAL << -1;
    QTest::newRow("not a number") << std::nan("") << -1;
}

void ListPaneEditorTest::roundingHalfToEven() {
    QFETCH(double, value);
    QFETCH(int, expected);
    const kestro::Result<int> rounded = kestro::roundToInt32(value);
    if (expected == -1) {
        QVERIFY(!rounded.ok());
        QCOMPARE(rounded.failure().number, 6);
    } else {
        QVERIFY(rounded.ok());
        QCOMPARE(rounded.value(), expected);
    }
}

void ListPaneEditorTest::twipsMarginsConvertWithTheScreenFactor_data() {
    QTest::addColumn<double>("factor");
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("storedPixels");
    QTest::addColumn<int>("readBack");
    QTest::newRow("100 at 15") << 15.0 << 100 << 7 << 105;
    QTest::newRow("120 at 16") << 16.0 << 120 << 8 << 128;
    QTest::newRow("104 at 16") << 16.0 << 104 << 6 << 96;
    QTest::newRow("150 at 15") << 15.0 << 150 << 10 << 150;
    QTest::newRow("90 at 10") << 10.0 << 90 << 9 << 90;
}

void ListPaneEditorTest::twipsMarginsConvertWithTheScreenFactor() {
    QFETCH(double, factor);
    QFETCH(int, written);
    QFETCH(int, storedPixels);
    QFETCH(int, readBack);
    auto edit = barePane();
    ListPaneEditor box;
    box.Target(edit.get());
    box.TwipsPerPixel([factor]() -> kestro::Result<double> { return factor; });
    QCOMPARE(box.ScaleMode(), ListPaneEditor::ScaleTwips);

    QVERIFY(box.MarginLeft(written).ok());
    QCOMPARE(pixels(box, &ListPaneEditor::MarginLeft), storedPixels);
    QCOMPARE(edit->viewport()->geometry().left(), storedPixels);
    QCOMPARE(box.MarginLeft().value(), readBack);

    // The horizontal factor serves the vertical edges as well.
    QVERIFY(box.MarginTop(written).ok());
    QCOMPARE(pixels(box, &ListPaneEditor::MarginTop), storedPixels);
    QCOMPARE(box.MarginTop().value(), readBack);
}

void ListPaneEditorTest::allFourEdgesInPixels() {
    QPlainTextEdit edit; // the pane's own frame and document margin
    edit.resize(300, 200);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    ListPaneEditor box;
    box.Target(&edit);
    box.ScaleMode(ListPaneEditor::ScalePixels);

    const QRect area = edit.viewport()->geometry();
    const int margin = static_cast<int>(edit.document()->documentMargin());
    QCOMPARE(box.MarginLeft().value(), area.left() + margin);
    QCOMPARE(box.MarginTop().value(), area.top() + margin);
    QCOMPARE(box.RectRight().value(), area.x() + area.width() - margin);
    QCOMPARE(box.RectBottom().value(), area.y() + area.height() - margin);

    const int right = box.RectRight().value() - 20;
    const int bottom = box.RectBottom().value() - 30;
    QVERIFY(box.MarginLeft(12).ok());
    QVERIFY(box.MarginTop(9).ok());
    QVERIFY(box.RectRight(right).ok());
    QVERIFY(box.RectBottom(bottom).ok());
    QCOMPARE(box.MarginLeft().value(), 12);
    QCOMPARE(box.MarginTop().value(), 9);
    QCOMPARE(box.RectRight().value(), right);
    QCOMPARE(box.RectBottom().value(), bottom);
    QCOMPARE(edit.viewport()->geometry().left(), 12 - margin);
}

void ListPaneEditorTest::otherScaleModesReadZeroAndWriteBackUnchanged() {
    auto edit = barePane();
    ListPaneEditor box;
    box.Target(edit.get());
    box.ScaleMode(ListPaneEditor::ScalePixels);
    QVERIFY(box.MarginLeft(4).ok());
    QVERIFY(box.MarginTop(6).ok());
    const QRect before = edit->viewport()->geometry();
    for (int mode : {0, 2, 4, -1}) {
        box.ScaleMode(mode);
        QCOMPARE(box.ScaleMode(), mode);
        QCOMPARE(box.MarginLeft().value(), 0);
        QCOMPARE(box.MarginTop().value(), 0);
        QCOMPARE(box.RectRight().value(), 0);
        QCOMPARE(box.RectBottom().value(), 0);
        QVERIFY(box.MarginLeft(500).ok());
        QVERIFY(box.RectBottom(1).ok());
        QCOMPARE(edit->viewport()->geometry(), before);
    }
}

void ListPaneEditorTest::classicTextBoxRectangleIsOnePixelLarger() {
    auto edit = barePane();
    ListPaneEditor box;
    box.Target(edit.get());
    box.ScaleMode(ListPaneEditor::ScalePixels);
    QCOMPARE(kestro::windowClassName(edit.get()), std::string("QPlainTextEdit"));
    const int width = box.RectRight().value();
    const int height = box.RectBottom().value();
    QVERIFY(box.MarginLeft(1).ok());
    QVERIFY(box.MarginTop(5).ok());
    QVERIFY(box.RectRight(width - 5).ok());
    QVERIFY(box.RectBottom(height - 5).ok());
    QCOMPARE(box.MarginLeft().value(), 1);

    // The same control reported as a classic text box.
    edit->setProperty("windowClass", QStringLiteral("ThunderTextBox"));
    QCOMPARE(kestro::windowClassName(edit.get()), std::string("ThunderTextBox"));
    QCOMPARE(box.MarginLeft().value(), 0);
    QVERIFY(box.MarginLeft(3).ok());
    // The other three sides grew by a pixel each; reading them as a classic
    // box grows them once more.
    QCOMPARE(box.MarginTop().value(), 3);
    QCOMPARE(box.RectRight().value(), width - 3);
    edit->setProperty("windowClass", QStringLiteral("RichTextWndClass"));
    QCOMPARE(box.MarginLeft().value(), 3);
    QCOMPARE(box.MarginTop().value(), 4);
    QCOMPARE(box.RectRight().value(), width - 4);
    QCOMPARE(box.RectBottom().value(), height - 4);

    // Only a name that begins with it, in the same case, counts.
    for (const char* name :
         {"ThunderTextBoxEx", "ThunderRT6TextBox", "thundertextbox", "XThunderTextBox"}) {
        edit->setProperty("windowClass", QString::fromLatin1(name));
        const bool classic = QByteArray(name).startsWith("ThunderTextBox");
        QCOMPARE(box.MarginLeft().value(), classic ? 2 : 3);
    }
}

void ListPaneEditorTest::conversionFailuresSendNothing() {
    auto edit = barePane();
    ListPaneEditor box;
    box.Target(edit.get());
    box.ScaleMode(ListPaneEditor::ScalePixels);
    QVERIFY(box.MarginLeft(7).ok());
    box.ScaleMode(ListPaneEditor::ScaleTwips);
    const QRect before = edit->viewport()->geometry();

    // A tiny factor makes the pixel count too large to store.
    box.TwipsPerPixel([]() -> kestro::Result<double> { return 1e-6; });
    kestro::Status written = box.MarginLeft(INT_MAX);
    QVERIFY(!written.ok());
    QCOMPARE(written.failure().number, 6);
    QCOMPARE(edit->viewport()->geometry(), before);

    // A huge factor overflows the read.
    box.TwipsPerPixel([]() -> kestro::Result<double> { return 1e12; });
    QCOMPARE(box.MarginLeft().failure().number, 6);

    // A zero factor divides to infinity.
    box.TwipsPerPixel([]() -> kestro::Result<double> { return 0.0; });
    QCOMPARE(box.MarginTop(15).failure().number, 6);
    QCOMPARE(box.MarginLeft().value(), 0);

    // A failing screen query ends the member with its failure.
    box.TwipsPerPixel([]() -> kestro::Result<double> { return kestro::makeFailure(68); });
    QCOMPARE(box.MarginLeft().failure().number, 68);
    QCOMPARE(box.MarginLeft(30).failure().number, 68);
    QCOMPARE(edit->viewport()->geometry(), before);
}

QTEST_MAIN(ListPaneEditorTest)
#include "list_pane_editor_test.moc"
