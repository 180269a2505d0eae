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
    const int mode = box.scaleMode();
    box.setScaleMode(ListPaneEditor::ScalePixels);
    const kestro::Result<int> value = (box.*edge)();
    box.setScaleMode(mode);
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
    void lineFromChar_data();
    void lineFromChar();
    void lineQueries();
    void scrolling();
    void roundingHalfToEven_data();
    void roundingHalfToEven();
    void twipsMarginsConvertWithTheScreenFactor_data();
    void twipsMarginsConvertWithTheScreenFactor();
    void allFourEdgesInPixels();
    void otherScaleModesReadZeroAndWriteBackUnchanged_data();
    void otherScaleModesReadZeroAndWriteBackUnchanged();
    void classicTextBoxRectangleIsOnePixelLarger();
    void conversionFailuresSendNothing();
};

void ListPaneEditorTest::withoutTargetEverythingAnswersZero() {
    ListPaneEditor box;
    QCOMPARE(box.scaleMode(), 1);
    QVERIFY(box.target() == nullptr);
    box.undo();
    box.selectAll();
    box.paste();
    box.cut();
    box.copy();
    box.deleteSelection();
    box.scrollLines(5);
    box.scrollSideways(5);
    box.showTop();
    box.showBottom();
    box.setCanUndo(false);
    box.setModified(false);
    QCOMPARE(box.topLine(), 0);
    QCOMPARE(box.lineCount(), 0);
    QCOMPARE(box.lineFromChar(3), 0);
    QVERIFY(!box.canUndo());
    QVERIFY(!box.isModified());
    box.setScaleMode(ListPaneEditor::ScalePixels);
    QCOMPARE(box.marginLeft().value(), 0);
    QVERIFY(box.setMarginTop(10).ok());
    QCOMPARE(kestro::windowClassName(nullptr), std::string());

    // A target that is destroyed is forgotten.
    auto edit = std::make_unique<QPlainTextEdit>(QStringLiteral("text"));
    box.setTarget(edit.get());
    QCOMPARE(box.lineCount(), 1);
    edit.reset();
    QVERIFY(box.target() == nullptr);
    QCOMPARE(box.lineCount(), 0);
}

void ListPaneEditorTest::undoAndCanUndo() {
    QPlainTextEdit edit;
    ListPaneEditor box;
    box.setTarget(&edit);
    QVERIFY(!box.canUndo());
    edit.insertPlainText(QStringLiteral("typed"));
    QVERIFY(box.canUndo());
    // Writing true changes nothing.
    box.setCanUndo(true);
    QVERIFY(box.canUndo());
    box.undo();
    QCOMPARE(edit.toPlainText(), QString());
    QVERIFY(!box.canUndo());

    edit.insertPlainText(QStringLiteral("again"));
    box.setCanUndo(false);
    QVERIFY(!box.canUndo());
    box.undo();
    QCOMPARE(edit.toPlainText(), QStringLiteral("again"));
    // Emptied means emptied, not hidden: a true write does not bring it back.
    box.setCanUndo(true);
    QVERIFY(!box.canUndo());
}

void ListPaneEditorTest::modifyFlag() {
    QPlainTextEdit edit;
    ListPaneEditor box;
    box.setTarget(&edit);
    QVERIFY(!box.isModified());
    box.setModified(true);
    QVERIFY(!box.isModified());
    QVERIFY(!edit.document()->isModified());
    edit.insertPlainText(QStringLiteral("x"));
    QVERIFY(box.isModified());
    box.setModified(true);
    QVERIFY(box.isModified());
    box.setModified(false);
    QVERIFY(!box.isModified());
    QCOMPARE(edit.toPlainText(), QStringLiteral("x"));
}

void ListPaneEditorTest::selectAllAndClipboardOperations() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    QPlainTextEdit edit;
    ListPaneEditor box;
    box.setTarget(&edit);

    // Nothing to select in an empty pane, and nothing else happens.
    box.selectAll();
    QVERIFY(!edit.textCursor().hasSelection());
    QVERIFY(!box.isModified());

    edit.setPlainText(QStringLiteral("alpha\nbeta"));
    box.selectAll();
    QCOMPARE(edit.textCursor().selectionStart(), 0);
    QCOMPARE(edit.textCursor().selectionEnd(), 10);

    clipboard->setText(QStringLiteral("before"));
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(6);
    cursor.setPosition(10, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    box.copy();
    QCOMPARE(clipboard->text(), QStringLiteral("beta"));
    QCOMPARE(edit.toPlainText(), QStringLiteral("alpha\nbeta"));

    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    box.cut();
    QCOMPARE(clipboard->text(), QStringLiteral("alpha"));
    QCOMPARE(edit.toPlainText(), QStringLiteral("\nbeta"));

    // Paste inserts at the caret.
    cursor.setPosition(edit.document()->characterCount() - 1);
    edit.setTextCursor(cursor);
    box.paste();
    QCOMPARE(edit.toPlainText(), QStringLiteral("\nbetaalpha"));
}

void ListPaneEditorTest::clearDeletesOnlyTheSelection() {
    QPlainTextEdit edit(QStringLiteral("one two three"));
    ListPaneEditor box;
    box.setTarget(&edit);
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    box.deleteSelection(); // no selection: nothing to delete
    QCOMPARE(edit.toPlainText(), QStringLiteral("one two three"));
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(3);
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    box.deleteSelection();
    QCOMPARE(edit.toPlainText(), QStringLiteral("one three"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    QVERIFY(box.canUndo());

    edit.setReadOnly(true);
    box.selectAll();
    box.deleteSelection();
    QCOMPARE(edit.toPlainText(), QStringLiteral("one three"));
}

// Line ends count one character each.
void ListPaneEditorTest::lineFromChar_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("line");
    QTest::newRow("start") << 0 << 0;
    QTest::newRow("first line end") << 2 << 0;
    QTest::newRow("second line") << 3 << 1;
    QTest::newRow("second line end") << 5 << 1;
    QTest::newRow("empty line") << 6 << 2;
    QTest::newRow("last line") << 7 << 3;
    QTest::newRow("text end") << 9 << 3;
    QTest::newRow("beyond the end") << 500 << 3;
    QTest::newRow("negative") << -7 << 3;
}

void ListPaneEditorTest::lineFromChar() {
    QFETCH(int, position);
    QFETCH(int, line);
    QPlainTextEdit edit;
    ListPaneEditor box;
    box.setTarget(&edit);
    edit.setPlainText(QStringLiteral("ab\ncd\n\nef"));
    QCOMPARE(box.lineFromChar(position), line);
}

void ListPaneEditorTest::lineQueries() {
    QPlainTextEdit edit;
    ListPaneEditor box;
    box.setTarget(&edit);
    QCOMPARE(box.lineCount(), 1); // an empty text has one line
    edit.setPlainText(QStringLiteral("ab\ncd\n\nef"));
    QCOMPARE(box.lineCount(), 4);
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(8);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    QCOMPARE(box.lineFromChar(-1), 1); // the selection's start
    cursor.setPosition(8);
    edit.setTextCursor(cursor);
    QCOMPARE(box.lineFromChar(-1), 3); // the caret
}

void ListPaneEditorTest::scrolling() {
    QPlainTextEdit edit;
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    edit.resize(200, 120);
    edit.setPlainText(numberedLines(200) + QString(400, QLatin1Char('w')));
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    ListPaneEditor box;
    box.setTarget(&edit);

    QCOMPARE(box.lineCount(), 201);
    QCOMPARE(box.topLine(), 0);
    box.scrollLines(10); // by lines, downwards
    QCOMPARE(box.topLine(), 10);
    box.scrollLines(-4);
    QCOMPARE(box.topLine(), 6);
    box.showBottom();
    QVERIFY(box.topLine() > 150);
    QCOMPARE(box.topLine(), edit.verticalScrollBar()->maximum());
    box.showTop();
    QCOMPARE(box.topLine(), 0);
    box.scrollLines(INT_MIN); // no overflow at the extremes
    QCOMPARE(box.topLine(), 0);
    box.scrollLines(INT_MAX);
    QCOMPARE(box.topLine(), edit.verticalScrollBar()->maximum());

    // Sideways by characters; the vertical position stays.
    const int top = box.topLine();
    const int width = QFontMetrics(edit.font()).averageCharWidth();
    box.scrollSideways(3);
    QCOMPARE(edit.horizontalScrollBar()->value(), 3 * width);
    box.scrollSideways(-1);
    QCOMPARE(edit.horizontalScrollBar()->value(), 2 * width);
    QCOMPARE(box.topLine(), top);
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
    box.setTarget(edit.get());
    box.setTwipsPerPixelSource([factor]() -> kestro::Result<double> { return factor; });
    QCOMPARE(box.scaleMode(), ListPaneEditor::ScaleTwips);

    QVERIFY(box.setMarginLeft(written).ok());
    QCOMPARE(pixels(box, &ListPaneEditor::marginLeft), storedPixels);
    QCOMPARE(edit->viewport()->geometry().left(), storedPixels);
    QCOMPARE(box.marginLeft().value(), readBack);

    // The horizontal factor serves the vertical edges as well.
    QVERIFY(box.setMarginTop(written).ok());
    QCOMPARE(pixels(box, &ListPaneEditor::marginTop), storedPixels);
    QCOMPARE(box.marginTop().value(), readBack);
}

void ListPaneEditorTest::allFourEdgesInPixels() {
    QPlainTextEdit edit; // the pane's own frame and document margin
    edit.resize(300, 200);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    ListPaneEditor box;
    box.setTarget(&edit);
    box.setScaleMode(ListPaneEditor::ScalePixels);

    const QRect area = edit.viewport()->geometry();
    const int margin = static_cast<int>(edit.document()->documentMargin());
    QCOMPARE(box.marginLeft().value(), area.left() + margin);
    QCOMPARE(box.marginTop().value(), area.top() + margin);
    QCOMPARE(box.rectRight().value(), area.x() + area.width() - margin);
    QCOMPARE(box.rectBottom().value(), area.y() + area.height() - margin);

    const int right = box.rectRight().value() - 20;
    const int bottom = box.rectBottom().value() - 30;
    QVERIFY(box.setMarginLeft(12).ok());
    QVERIFY(box.setMarginTop(9).ok());
    QVERIFY(box.setRectRight(right).ok());
    QVERIFY(box.setRectBottom(bottom).ok());
    QCOMPARE(box.marginLeft().value(), 12);
    QCOMPARE(box.marginTop().value(), 9);
    QCOMPARE(box.rectRight().value(), right);
    QCOMPARE(box.rectBottom().value(), bottom);
    QCOMPARE(edit.viewport()->geometry().left(), 12 - margin);
}

void ListPaneEditorTest::otherScaleModesReadZeroAndWriteBackUnchanged_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("0") << 0;
    QTest::newRow("2") << 2;
    QTest::newRow("4") << 4;
    QTest::newRow("-1") << -1;
}

void ListPaneEditorTest::otherScaleModesReadZeroAndWriteBackUnchanged() {
    QFETCH(int, mode);
    auto edit = barePane();
    ListPaneEditor box;
    box.setTarget(edit.get());
    box.setScaleMode(ListPaneEditor::ScalePixels);
    QVERIFY(box.setMarginLeft(4).ok());
    QVERIFY(box.setMarginTop(6).ok());
    const QRect before = edit->viewport()->geometry();
    box.setScaleMode(mode);
    QCOMPARE(box.scaleMode(), mode);
    QCOMPARE(box.marginLeft().value(), 0);
    QCOMPARE(box.marginTop().value(), 0);
    QCOMPARE(box.rectRight().value(), 0);
    QCOMPARE(box.rectBottom().value(), 0);
    QVERIFY(box.setMarginLeft(500).ok());
    QVERIFY(box.setRectBottom(1).ok());
    QCOMPARE(edit->viewport()->geometry(), before);
}

void ListPaneEditorTest::classicTextBoxRectangleIsOnePixelLarger() {
    auto edit = barePane();
    ListPaneEditor box;
    box.setTarget(edit.get());
    box.setScaleMode(ListPaneEditor::ScalePixels);
    QCOMPARE(kestro::windowClassName(edit.get()), std::string("QPlainTextEdit"));
    const int width = box.rectRight().value();
    const int height = box.rectBottom().value();
    QVERIFY(box.setMarginLeft(1).ok());
    QVERIFY(box.setMarginTop(5).ok());
    QVERIFY(box.setRectRight(width - 5).ok());
    QVERIFY(box.setRectBottom(height - 5).ok());
    QCOMPARE(box.marginLeft().value(), 1);

    // The same control reported as a classic text box.
    edit->setProperty("windowClass", QStringLiteral("ThunderTextBox"));
    QCOMPARE(kestro::windowClassName(edit.get()), std::string("ThunderTextBox"));
    QCOMPARE(box.marginLeft().value(), 0);
    QVERIFY(box.setMarginLeft(3).ok());
    // The other three sides grew by a pixel each; reading them as a classic
    // box grows them once more.
    QCOMPARE(box.marginTop().value(), 3);
    QCOMPARE(box.rectRight().value(), width - 3);
    edit->setProperty("windowClass", QStringLiteral("RichTextWndClass"));
    QCOMPARE(box.marginLeft().value(), 3);
    QCOMPARE(box.marginTop().value(), 4);
    QCOMPARE(box.rectRight().value(), width - 4);
    QCOMPARE(box.rectBottom().value(), height - 4);

    // Only a name that begins with it, in the same case, counts.
    for (const char* name :
         {"ThunderTextBoxEx", "ThunderRT6TextBox", "thundertextbox", "XThunderTextBox"}) {
        edit->setProperty("windowClass", QString::fromLatin1(name));
        const bool classic = QByteArray(name).startsWith("ThunderTextBox");
        QCOMPARE(box.marginLeft().value(), classic ? 2 : 3);
    }
}

void ListPaneEditorTest::conversionFailuresSendNothing() {
    auto edit = barePane();
    ListPaneEditor box;
    box.setTarget(edit.get());
    box.setScaleMode(ListPaneEditor::ScalePixels);
    QVERIFY(box.setMarginLeft(7).ok());
    box.setScaleMode(ListPaneEditor::ScaleTwips);
    const QRect before = edit->viewport()->geometry();

    // A tiny factor makes the pixel count too large to store.
    box.setTwipsPerPixelSource([]() -> kestro::Result<double> { return 1e-6; });
    kestro::Status written = box.setMarginLeft(INT_MAX);
    QVERIFY(!written.ok());
    QCOMPARE(written.failure().number, 6);
    QCOMPARE(edit->viewport()->geometry(), before);

    // A huge factor overflows the read.
    box.setTwipsPerPixelSource([]() -> kestro::Result<double> { return 1e12; });
    QCOMPARE(box.marginLeft().failure().number, 6);

    // A zero factor divides to infinity.
    box.setTwipsPerPixelSource([]() -> kestro::Result<double> { return 0.0; });
    QCOMPARE(box.setMarginTop(15).failure().number, 6);
    QCOMPARE(box.marginLeft().value(), 0);

    // A failing screen query ends the member with its failure.
    box.setTwipsPerPixelSource([]() -> kestro::Result<double> { return kestro::makeFailure(68); });
    QCOMPARE(box.marginLeft().failure().number, 68);
    QCOMPARE(box.setMarginLeft(30).failure().number, 68);
    QCOMPARE(edit->viewport()->geometry(), before);
}

QTEST_MAIN(ListPaneEditorTest)
#include "list_pane_editor_test.moc"
