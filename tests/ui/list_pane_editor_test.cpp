#include "ui/list_pane_editor.h"

#include <Qsci/qsciscintilla.h>

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>

#include <climits>
#include <cmath>
#include <memory>
#include <string>

using kestro::ListPaneEditor;

namespace {

QString numberedLines(int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("line %1\n").arg(i);
    return text;
}

// The list pane as the window makes it, on its own.
struct Pane {
    std::unique_ptr<QWidget> widget{kestro::makeListPane()};
    QAbstractScrollArea* area() const { return qobject_cast<QAbstractScrollArea*>(widget.get()); }
    QWidget* viewport() const { return area()->viewport(); }
    QWidget* get() const { return widget.get(); }
    QWidget* operator->() const { return widget.get(); }
};

// A pane without frame, scroll bars or blank strips at the sides, so that
// its formatting rectangle is its viewport.
Pane barePane() {
    Pane pane;
    auto* widget = static_cast<QsciScintilla*>(pane.get());
    widget->SendScintilla(QsciScintillaBase::SCI_SETMARGINLEFT, 0ul, 0l);
    widget->SendScintilla(QsciScintillaBase::SCI_SETMARGINRIGHT, 0ul, 0l);
    pane.area()->setFrameStyle(QFrame::NoFrame);
    pane.area()->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pane.area()->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pane->resize(200, 120);
    pane->show();
    return pane;
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
    void appendAddsTheNewTextAfterTheOld_data();
    void appendAddsTheNewTextAfterTheOld();
    void cancelledAppendLeavesTextUndoAndModifiedFlag();
    void accessibleTextCountsUtf16Units();
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

    QVERIFY(box.text().isEmpty());
    box.setText(QStringLiteral("x"));
    box.beginAppend(1);
    box.appendPiece("y");
    box.finishAppend();

    // A widget that is not a list pane is no target.
    QWidget plain;
    box.setTarget(&plain);
    QVERIFY(box.target() == nullptr);

    // A target that is destroyed is forgotten.
    auto edit = std::make_unique<Pane>();
    box.setTarget(edit->get());
    box.setText(QStringLiteral("text"));
    QCOMPARE(box.lineCount(), 1);
    edit.reset();
    QVERIFY(box.target() == nullptr);
    QCOMPARE(box.lineCount(), 0);
}

void ListPaneEditorTest::undoAndCanUndo() {
    Pane edit;
    ListPaneEditor box(edit.get());
    QVERIFY(!box.canUndo());
    box.typeText(QStringLiteral("typed"));
    QVERIFY(box.canUndo());
    // Writing true changes nothing.
    box.setCanUndo(true);
    QVERIFY(box.canUndo());
    box.undo();
    QCOMPARE(box.text(), QString());
    QVERIFY(!box.canUndo());

    box.typeText(QStringLiteral("again"));
    box.setCanUndo(false);
    QVERIFY(!box.canUndo());
    box.undo();
    QCOMPARE(box.text(), QStringLiteral("again"));
    // Emptied means emptied, not hidden: a true write does not bring it back.
    box.setCanUndo(true);
    QVERIFY(!box.canUndo());
}

void ListPaneEditorTest::modifyFlag() {
    Pane edit;
    ListPaneEditor box(edit.get());
    QVERIFY(!box.isModified());
    box.setModified(true);
    QVERIFY(!box.isModified());
    box.typeText(QStringLiteral("x"));
    QVERIFY(box.isModified());
    box.setModified(true);
    QVERIFY(box.isModified());
    box.setModified(false);
    QVERIFY(!box.isModified());
    QCOMPARE(box.text(), QStringLiteral("x"));
}

void ListPaneEditorTest::selectAllAndClipboardOperations() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    Pane edit;
    ListPaneEditor box(edit.get());

    // Nothing to select in an empty pane, and nothing else happens.
    box.selectAll();
    QVERIFY(!box.hasSelection());
    QVERIFY(!box.isModified());

    box.setText(QStringLiteral("alpha\nbeta"));
    box.selectAll();
    QCOMPARE(box.selectedText(), QStringLiteral("alpha\nbeta"));

    clipboard->setText(QStringLiteral("before"));
    box.select(6, 10);
    box.copy();
    QCOMPARE(clipboard->text(), QStringLiteral("beta"));
    QCOMPARE(box.text(), QStringLiteral("alpha\nbeta"));

    box.select(0, 5);
    box.cut();
    QCOMPARE(clipboard->text(), QStringLiteral("alpha"));
    QCOMPARE(box.text(), QStringLiteral("\nbeta"));

    // Paste inserts at the caret.
    box.moveCaretToEnd();
    box.paste();
    QCOMPARE(box.text(), QStringLiteral("\nbetaalpha"));
}

void ListPaneEditorTest::clearDeletesOnlyTheSelection() {
    Pane edit;
    ListPaneEditor box(edit.get());
    box.setText(QStringLiteral("one two three"));
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    box.deleteSelection(); // no selection: nothing to delete
    QCOMPARE(box.text(), QStringLiteral("one two three"));
    box.select(3, 7);
    box.deleteSelection();
    QCOMPARE(box.text(), QStringLiteral("one three"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    QVERIFY(box.canUndo());

    static_cast<QsciScintilla*>(edit.get())->setReadOnly(true);
    box.selectAll();
    box.deleteSelection();
    QCOMPARE(box.text(), QStringLiteral("one three"));
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
    Pane edit;
    ListPaneEditor box(edit.get());
    box.setText(QStringLiteral("ab\ncd\n\nef"));
    QCOMPARE(box.lineFromChar(position), line);
}

void ListPaneEditorTest::lineQueries() {
    Pane edit;
    ListPaneEditor box(edit.get());
    QCOMPARE(box.lineCount(), 1); // an empty text has one line
    box.setText(QStringLiteral("ab\ncd\n\nef"));
    QCOMPARE(box.lineCount(), 4);
    box.select(8, 4);
    QCOMPARE(box.lineFromChar(-1), 1); // the selection's start
    box.select(8, 8);
    QCOMPARE(box.lineFromChar(-1), 3); // the caret
}

void ListPaneEditorTest::scrolling() {
    Pane edit;
    edit->resize(200, 120);
    ListPaneEditor box(edit.get());
    box.setText(numberedLines(200) + QString(400, QLatin1Char('w')));
    edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(edit.get()));

    QCOMPARE(box.lineCount(), 201);
    QCOMPARE(box.topLine(), 0);
    box.scrollLines(10); // by lines, downwards
    QCOMPARE(box.topLine(), 10);
    box.scrollLines(-4);
    QCOMPARE(box.topLine(), 6);
    box.showBottom();
    QVERIFY(box.topLine() > 150);
    QCOMPARE(box.topLine(), edit.area()->verticalScrollBar()->maximum());
    box.showTop();
    QCOMPARE(box.topLine(), 0);
    box.scrollLines(INT_MIN); // no overflow at the extremes
    QCOMPARE(box.topLine(), 0);
    box.scrollLines(INT_MAX);
    QCOMPARE(box.topLine(), edit.area()->verticalScrollBar()->maximum());

    // Sideways by characters; the vertical position stays.
    const int top = box.topLine();
    const QScrollBar* sideways = edit.area()->horizontalScrollBar();
    box.scrollSideways(1);
    const int width = sideways->value();
    QVERIFY(width > 0);
    QVERIFY(std::abs(width - QFontMetrics(box.font()).averageCharWidth()) <= 1);
    box.scrollSideways(2);
    QCOMPARE(sideways->value(), 3 * width);
    box.scrollSideways(-1);
    QCOMPARE(sideways->value(), 2 * width);
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
    Pane edit = barePane();
    ListPaneEditor box(edit.get());
    box.setTwipsPerPixelSource([factor]() -> kestro::Result<double> { return factor; });
    QCOMPARE(box.scaleMode(), ListPaneEditor::ScaleTwips);

    QVERIFY(box.setMarginLeft(written).ok());
    QCOMPARE(pixels(box, &ListPaneEditor::marginLeft), storedPixels);
    QCOMPARE(edit.viewport()->geometry().left(), storedPixels);
    QCOMPARE(box.marginLeft().value(), readBack);

    // The horizontal factor serves the vertical edges as well.
    QVERIFY(box.setMarginTop(written).ok());
    QCOMPARE(pixels(box, &ListPaneEditor::marginTop), storedPixels);
    QCOMPARE(box.marginTop().value(), readBack);
}

void ListPaneEditorTest::allFourEdgesInPixels() {
    Pane edit; // the pane's own frame, scroll bars and blank strips
    edit->resize(300, 200);
    edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(edit.get()));
    ListPaneEditor box(edit.get());
    box.setScaleMode(ListPaneEditor::ScalePixels);

    const QRect area = edit.viewport()->geometry();
    // The strips are the same at both sides; none above and below.
    const int margin = box.marginLeft().value() - area.left();
    QVERIFY(margin > 0);
    QCOMPARE(box.rectRight().value(), area.x() + area.width() - margin);
    QCOMPARE(box.marginTop().value(), area.top());
    QCOMPARE(box.rectBottom().value(), area.y() + area.height());

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
    QCOMPARE(edit.viewport()->geometry().top(), 9);
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
    Pane edit = barePane();
    ListPaneEditor box(edit.get());
    box.setScaleMode(ListPaneEditor::ScalePixels);
    QVERIFY(box.setMarginLeft(4).ok());
    QVERIFY(box.setMarginTop(6).ok());
    const QRect before = edit.viewport()->geometry();
    box.setScaleMode(mode);
    QCOMPARE(box.scaleMode(), mode);
    QCOMPARE(box.marginLeft().value(), 0);
    QCOMPARE(box.marginTop().value(), 0);
    QCOMPARE(box.rectRight().value(), 0);
    QCOMPARE(box.rectBottom().value(), 0);
    QVERIFY(box.setMarginLeft(500).ok());
    QVERIFY(box.setRectBottom(1).ok());
    QCOMPARE(edit.viewport()->geometry(), before);
}

void ListPaneEditorTest::classicTextBoxRectangleIsOnePixelLarger() {
    Pane edit = barePane();
    ListPaneEditor box(edit.get());
    box.setScaleMode(ListPaneEditor::ScalePixels);
    QCOMPARE(kestro::windowClassName(edit.get()), std::string("QsciScintilla"));
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
    Pane edit = barePane();
    ListPaneEditor box(edit.get());
    box.setScaleMode(ListPaneEditor::ScalePixels);
    QVERIFY(box.setMarginLeft(7).ok());
    box.setScaleMode(ListPaneEditor::ScaleTwips);
    const QRect before = edit.viewport()->geometry();

    // A tiny factor makes the pixel count too large to store.
    box.setTwipsPerPixelSource([]() -> kestro::Result<double> { return 1e-6; });
    kestro::Status written = box.setMarginLeft(INT_MAX);
    QVERIFY(!written.ok());
    QCOMPARE(written.failure().number, 6);
    QCOMPARE(edit.viewport()->geometry(), before);

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
    QCOMPARE(edit.viewport()->geometry(), before);
}

// A large pane takes a list in pieces cut anywhere (inside a character,
// between CR and LF): the old text stays byte for byte, the new one follows
// with LF line ends, bytes that are not UTF-8 become U+FFFD; one change
// notification, no undo step, and the view at the start of the new text.
void ListPaneEditorTest::appendAddsTheNewTextAfterTheOld_data() {
    QTest::addColumn<int>("pieceBytes");
    QTest::newRow("1 byte") << 1;
    QTest::newRow("2 bytes") << 2;
    QTest::newRow("7 bytes") << 7;
    QTest::newRow("64 KiB") << 65536;
}

void ListPaneEditorTest::appendAddsTheNewTextAfterTheOld() {
    QFETCH(int, pieceBytes);
    Pane edit;
    edit->resize(300, 200);
    edit->show();
    ListPaneEditor box(edit.get());
    const QString old = numberedLines(100000) + QStringLiteral("ﾒﾓ: 漢字 and ｶﾀｶﾅ");
    box.setText(old);
    box.typeText(QStringLiteral("!"));
    const std::string before(box.textBytes());
    int changes = 0;
    QObject counting;
    box.onTextChanged(&counting, [&changes] { ++changes; });

    std::string list = "\r\nﾊﾟｽ名\tﾌｧｲﾙ名\r\n";
    for (int i = 0; i < 2000; ++i)
        list += "/データ/資料_" + std::to_string(i) + "/\tﾌｧｲﾙ" + std::to_string(i) + ".txt\r\n";
    list += "bad \xFF byte, lone \r end\r";
    std::string expected = before + "\nﾊﾟｽ名\tﾌｧｲﾙ名\n";
    for (int i = 0; i < 2000; ++i)
        expected += "/データ/資料_" + std::to_string(i) + "/\tﾌｧｲﾙ" + std::to_string(i) + ".txt\n";
    expected += "bad \uFFFD byte, lone \r end\r";

    box.beginAppend(list.size());
    for (std::size_t at = 0; at < list.size(); at += static_cast<std::size_t>(pieceBytes))
        box.appendPiece(std::string_view(list).substr(at, static_cast<std::size_t>(pieceBytes)));
    QCOMPARE(changes, 0);
    box.finishAppend();
    QCOMPARE(changes, 1);
    QVERIFY(std::string(box.textBytes()) == expected);
    // A lone CR ends a line too.
    QCOMPARE(box.lineCount(), 100001 + 1 + 2000 + 1 + 2);
    QVERIFY(!box.canUndo());
    QVERIFY(!box.isModified());
    // The caret and the first line shown are at the start of the new list.
    QCOMPARE(box.lineFromChar(-1), 100000);
    QCOMPARE(box.topLine(), 100000);
}

void ListPaneEditorTest::cancelledAppendLeavesTextUndoAndModifiedFlag() {
    Pane edit;
    ListPaneEditor box(edit.get());
    box.setText(QStringLiteral("memo"));
    box.moveCaretToEnd();
    box.typeText(QStringLiteral("!"));
    QVERIFY(box.isModified());
    int changes = 0;
    QObject counting;
    box.onTextChanged(&counting, [&changes] { ++changes; });
    box.beginAppend(100);
    box.appendPiece("\r\na list\r\nand more \xE3");
    QCOMPARE(box.text(), QStringLiteral("memo!\na list\nand more "));
    box.cancelAppend();
    QCOMPARE(changes, 0);
    QCOMPARE(box.text(), QStringLiteral("memo!"));
    QVERIFY(box.isModified());
    QVERIFY(box.canUndo());
    box.undo();
    QCOMPARE(box.text(), QStringLiteral("memo"));
    // The changes after it are noticed as before.
    QCOMPARE(changes, 1);
}

// Assistive technology reads the pane in UTF-16 offsets: characters beyond
// the basic plane count two, Japanese one, a line end one.
void ListPaneEditorTest::accessibleTextCountsUtf16Units() {
    Pane edit;
    ListPaneEditor box(edit.get());
    box.setText(QStringLiteral("ﾌｧｲﾙ\n\U0001F600日本\nend"));
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(edit.get());
    QVERIFY(shown);
    QAccessibleTextInterface* text = shown->textInterface();
    QVERIFY(text);
    QCOMPARE(shown->role(), QAccessible::EditableText);
    QCOMPARE(text->characterCount(), 13);
    QCOMPARE(text->text(5, 9), QStringLiteral("\U0001F600日本"));
    QCOMPARE(text->text(10, 99), QStringLiteral("end"));
    box.select(5, 9);
    int start = 0;
    int end = 0;
    text->selection(0, &start, &end);
    QCOMPARE(std::pair(start, end), std::pair(5, 9));
    QCOMPARE(box.selectedText(), QStringLiteral("\U0001F600日本"));
    text->setCursorPosition(11);
    QCOMPARE(text->cursorPosition(), 11);
    QCOMPARE(text->selectionCount(), 0);
    QCOMPARE(box.lineFromChar(-1), 2);
}

QTEST_MAIN(ListPaneEditorTest)
#include "list_pane_editor_test.moc"
