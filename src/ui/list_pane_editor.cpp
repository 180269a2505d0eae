#include "ui/list_pane_editor.h"

#include "ui/list_pane_accessible.h"
#include "ui/twips.h"
#include "ui/window_fonts.h"

#include <Qsci/qsciscintilla.h>

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <cstdio>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

namespace kestro {

namespace {

using Sci = QsciScintillaBase;

// Where the pane keeps the modified mark that emptying the undo history
// would otherwise lose: the widget counts a text as unmodified when it
// stands at the point of its last save, and emptying the history moves that
// point to the present.
constexpr const char* KeptModifiedProperty = "kestroKeptModified";

int clampToInt(qint64 value) {
    return static_cast<int>(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

long send(const QsciScintilla* pane, unsigned int message, unsigned long wParam = 0,
          long lParam = 0) {
    return pane->SendScintilla(message, wParam, lParam);
}

// The byte position of character (UTF-16 unit) `characters` of the text;
// the end of the text for a count past it.
long bytePosition(const QsciScintilla* pane, qint64 characters) {
    const long length = send(pane, Sci::SCI_GETLENGTH);
    if (characters <= 0)
        return 0;
    if (characters >= send(pane, Sci::SCI_COUNTCODEUNITS, 0, length))
        return length;
    return send(pane, Sci::SCI_POSITIONRELATIVECODEUNITS, 0, static_cast<long>(characters));
}

// The length of a UTF-8 character that starts with `lead`, or 0 for a byte
// that cannot start one; `second` is the first continuation's allowed range.
int sequenceLength(unsigned char lead, unsigned char& secondLow, unsigned char& secondHigh) {
    secondLow = 0x80;
    secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (lead == 0xE0)
            secondLow = 0xA0;
        else if (lead == 0xED)
            secondHigh = 0x9F;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (lead == 0xF0)
            secondLow = 0x90;
        else if (lead == 0xF4)
            secondHigh = 0x8F;
        return 4;
    }
    return 0;
}

struct Normalized {
    std::size_t written = 0;
    std::size_t held = 0;
};

// Writes `in` to `out` (room for three times its bytes: every byte may
// become U+FFFD) with each CR LF as LF and each byte that does not belong to
// a well-formed UTF-8 character as U+FFFD. Unless `final`, an incomplete
// character or a CR at the end is held back for the next piece.
Normalized normalize(std::string_view in, bool final, char* out) {
    char* to = out;
    const auto* from = reinterpret_cast<const unsigned char*>(in.data());
    const std::size_t size = in.size();
    std::size_t i = 0;
    std::size_t held = 0;
    constexpr std::uint64_t Ones = 0x0101010101010101ULL;
    constexpr std::uint64_t High = 0x8080808080808080ULL;
    constexpr std::uint64_t Returns = Ones * '\r';
    while (i < size) {
        // Plain ASCII without CR, eight bytes at a time.
        while (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, from + i, 8);
            const std::uint64_t returns = word ^ Returns;
            if ((word & High) != 0 || ((returns - Ones) & ~returns & High) != 0)
                break;
            std::memcpy(to, from + i, 8);
            to += 8;
            i += 8;
        }
        if (i >= size)
            break;
        const unsigned char byte = from[i];
        if (byte == '\r') {
            if (i + 1 < size) {
                if (from[i + 1] != '\n')
                    *to++ = '\r';
                ++i;
                continue;
            }
            if (!final) {
                held = 1;
                break;
            }
            *to++ = '\r';
            ++i;
            continue;
        }
        if (byte < 0x80) {
            *to++ = static_cast<char>(byte);
            ++i;
            continue;
        }
        unsigned char low = 0;
        unsigned char high = 0;
        const int length = sequenceLength(byte, low, high);
        int valid = length == 0 ? 0 : 1;
        for (int k = 1; valid == k && k < length && i + k < size; ++k) {
            const unsigned char next = from[i + k];
            const bool fits = k == 1 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
            if (fits)
                ++valid;
        }
        if (length != 0 && valid == length) {
            std::memcpy(to, from + i, length);
            to += length;
            i += length;
            continue;
        }
        if (length != 0 && i + valid == size && !final) {
            held = size - i;
            break;
        }
        // A malformed sequence: its well-formed start is one replacement.
        *to++ = static_cast<char>(0xEF);
        *to++ = static_cast<char>(0xBF);
        *to++ = static_cast<char>(0xBD);
        i += std::max(valid, 1);
    }
    return {static_cast<std::size_t>(to - out), held};
}

std::string normalized(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return paneForm(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

} // namespace

std::string paneForm(std::string_view text) {
    std::string bytes(text.size() * 3, '\0');
    bytes.resize(normalize(text, true, bytes.data()).written);
    return bytes;
}

QWidget* makeListPane(QWidget* parent) {
    auto* pane = new QsciScintilla(parent);
    // Its own accessible interface, after the widget's (which the first
    // widget installs).
    installListPaneAccessibility(pane);
    // A document without style bytes: the list has one style, and a style
    // byte per character would double what a long list takes.
    // The widget hands the document over as a number.
    void* document = reinterpret_cast<void*>( // NOLINT(performance-no-int-to-ptr)
        send(pane, Sci::SCI_CREATEDOCUMENT, 0,
             Sci::SC_DOCUMENTOPTION_STYLES_NONE | Sci::SC_DOCUMENTOPTION_TEXT_LARGE));
    pane->SendScintilla(Sci::SCI_SETDOCPOINTER, 0, document);
    send(pane, Sci::SCI_RELEASEDOCUMENT, 0, reinterpret_cast<long>(document));
    pane->setUtf8(true);
    pane->setEolMode(QsciScintilla::EolUnix);
    pane->setWrapMode(QsciScintilla::WrapNone);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    for (int margin = 0; margin < 5; ++margin)
        pane->setMarginWidth(margin, 0);
    // A little room between the frame and the text, at both sides.
    send(pane, Sci::SCI_SETMARGINLEFT, 0, 4);
    send(pane, Sci::SCI_SETMARGINRIGHT, 0, 4);
    const QFont font = paneFont();
    static_cast<QWidget*>(pane)->setFont(font);
    pane->setFont(font);
    pane->setTabWidth(8);
    pane->setIndentationsUseTabs(true);
    // A long list: nothing is styled or laid out beyond what is shown, and
    // the horizontal range (wide enough for a list line) grows with the
    // longest line shown rather than with a measure of every line.
    send(pane, Sci::SCI_SETIDLESTYLING, Sci::SC_IDLESTYLING_NONE);
    send(pane, Sci::SCI_SETLAYOUTCACHE, Sci::SC_CACHE_PAGE);
    send(pane, Sci::SCI_SETSCROLLWIDTH, 2000);
    send(pane, Sci::SCI_SETSCROLLWIDTHTRACKING, 1);
    return pane;
}

ListPaneEditor::ListPaneEditor() {
    twipsPerPixel_ = [this]() -> Result<double> {
        const QScreen* screen = target_ ? target_->screen() : nullptr;
        return kestro::twipsPerPixel(screen ? screen->logicalDotsPerInchX() : 0.0);
    };
}

ListPaneEditor::ListPaneEditor(QWidget* target) : ListPaneEditor() {
    setTarget(target);
}

void ListPaneEditor::setTarget(QWidget* target) {
    target_ = qobject_cast<QsciScintilla*>(target);
}

QWidget* ListPaneEditor::target() const {
    return target_.data();
}

QsciScintilla* ListPaneEditor::pane() const {
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
    return target_ ? clampToInt(send(target_, Sci::SCI_GETFIRSTVISIBLELINE)) : 0;
}

int ListPaneEditor::lineCount() const {
    return target_ ? clampToInt(send(target_, Sci::SCI_GETLINECOUNT)) : 0;
}

void ListPaneEditor::selectAll() {
    if (target_)
        send(target_, Sci::SCI_SELECTALL);
}

void ListPaneEditor::paste() {
    if (target_)
        target_->paste();
}

void ListPaneEditor::cut() {
    if (!hasSelection())
        return;
    copy();
    send(target_, Sci::SCI_CLEAR);
}

void ListPaneEditor::copy() {
    if (!hasSelection())
        return;
    const long from = send(target_, Sci::SCI_GETSELECTIONSTART);
    const long to = send(target_, Sci::SCI_GETSELECTIONEND);
    putOnClipboard(
        textBytes().substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
}

void ListPaneEditor::putOnClipboard(std::string_view utf8) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    // The clipboard keeps the text as the UTF-8 it is; it becomes UTF-16
    // only for a reader that asks for that, and a paste into another
    // program takes the bytes as they are.
    const QByteArray bytes(utf8.data(), static_cast<qsizetype>(utf8.size()));
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/plain;charset=utf-8"), bytes);
    data->setData(QStringLiteral("text/plain"), bytes); // the same bytes, shared
    clipboard->setMimeData(data);
}

bool ListPaneEditor::canUndo() const {
    return target_ && send(target_, Sci::SCI_CANUNDO) != 0;
}

void ListPaneEditor::setCanUndo(bool value) {
    if (!target_ || value)
        return;
    const bool modified = isModified();
    send(target_, Sci::SCI_EMPTYUNDOBUFFER);
    target_->setProperty(KeptModifiedProperty, modified);
}

void ListPaneEditor::deleteSelection() {
    // Without a selection the widget would delete the next character.
    if (hasSelection())
        send(target_, Sci::SCI_CLEAR);
}

void ListPaneEditor::scrollVerticallyBy(qint64 lines) {
    if (target_)
        send(target_, Sci::SCI_LINESCROLL, 0, static_cast<long>(lines));
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
    return target_ && (send(target_, Sci::SCI_GETMODIFY) != 0 ||
                       target_->property(KeptModifiedProperty).toBool());
}

void ListPaneEditor::setModified(bool value) {
    if (!target_ || value)
        return;
    send(target_, Sci::SCI_SETSAVEPOINT);
    target_->setProperty(KeptModifiedProperty, false);
}

void ListPaneEditor::scrollSideways(int characters) {
    if (target_)
        send(target_, Sci::SCI_LINESCROLL,
             static_cast<unsigned long>(static_cast<long>(characters)), 0);
}

int ListPaneEditor::lineFromChar(int position) const {
    if (!target_)
        return 0;
    long at = 0;
    if (position == -1)
        at = send(target_, Sci::SCI_GETSELECTIONSTART);
    else if (position < 0) // reads as a huge unsigned index: past the end
        at = send(target_, Sci::SCI_GETLENGTH);
    else
        at = bytePosition(target_, position);
    return clampToInt(send(target_, Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(at)));
}

// ---- The text ----------------------------------------------------------------

std::string_view ListPaneEditor::textBytes() const {
    if (!target_)
        return {};
    const auto* bytes =
        static_cast<const char*>(target_->SendScintillaPtrResult(Sci::SCI_GETCHARACTERPOINTER));
    return bytes ? std::string_view(bytes, byteLength()) : std::string_view();
}

std::size_t ListPaneEditor::byteLength() const {
    return target_ ? static_cast<std::size_t>(send(target_, Sci::SCI_GETLENGTH)) : 0;
}

QString ListPaneEditor::text() const {
    const std::string_view bytes = textBytes();
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

void ListPaneEditor::setText(const QString& text) {
    if (!target_)
        return;
    // Without an undo record: the history is emptied anyway, and a record
    // would hold a copy of all the text replaced.
    send(target_, Sci::SCI_SETUNDOCOLLECTION, 0);
    target_->SendScintilla(Sci::SCI_SETTEXT, normalized(text).c_str());
    send(target_, Sci::SCI_SETUNDOCOLLECTION, 1);
    send(target_, Sci::SCI_EMPTYUNDOBUFFER);
    setModified(false);
}

bool ListPaneEditor::hasSelection() const {
    return target_ && target_->hasSelectedText();
}

QString ListPaneEditor::selectedText() const {
    return target_ ? target_->selectedText() : QString();
}

void ListPaneEditor::select(int from, int to) {
    if (target_)
        send(target_, Sci::SCI_SETSEL, static_cast<unsigned long>(bytePosition(target_, from)),
             bytePosition(target_, to));
}

void ListPaneEditor::moveCaretToEnd() {
    if (target_)
        send(target_, Sci::SCI_DOCUMENTEND);
}

void ListPaneEditor::typeText(const QString& text) {
    if (!target_)
        return;
    target_->SendScintilla(Sci::SCI_REPLACESEL, normalized(text).c_str());
}

QFont ListPaneEditor::font() const {
    return target_ ? static_cast<const QWidget*>(target_.data())->font() : QFont();
}

double ListPaneEditor::tabStopDistance() const {
    if (!target_)
        return 0;
    return static_cast<double>(send(target_, Sci::SCI_GETTABWIDTH)) *
           static_cast<double>(target_->SendScintilla(Sci::SCI_TEXTWIDTH, Sci::STYLE_DEFAULT, " "));
}

QMetaObject::Connection ListPaneEditor::onTextChanged(QObject* context,
                                                      std::function<void()> handler) const {
    if (!target_)
        return {};
    return QObject::connect(target_.data(), &QsciScintilla::textChanged, context,
                            std::move(handler));
}

QMetaObject::Connection ListPaneEditor::onEditStateChanged(QObject* context,
                                                           std::function<void()> handler) const {
    if (!target_)
        return {};
    QObject::connect(target_.data(), &QsciScintilla::textChanged, context, handler);
    return QObject::connect(target_.data(), &QsciScintilla::selectionChanged, context,
                            std::move(handler));
}

// ---- Appending in pieces -----------------------------------------------------

void ListPaneEditor::beginAppend(std::size_t expectedBytes) {
    if (!target_)
        return;
    append_ = AppendState{};
    append_.active = true;
    append_.start = send(target_, Sci::SCI_GETLENGTH);
    append_.eventMask = send(target_, Sci::SCI_GETMODEVENTMASK);
    send(target_, Sci::SCI_SETMODEVENTMASK, 0);
    send(target_, Sci::SCI_SETUNDOCOLLECTION, 0);
    // A long text gets one allocation rather than a growing one, with room
    // for a few short lists after it: those then go into that room without
    // moving what the pane holds.
    const auto start = static_cast<std::size_t>(append_.start);
    if (expectedBytes > start / 4) {
        std::size_t wanted = start + expectedBytes + 1;
        wanted += wanted / 8;
        if (wanted < static_cast<std::size_t>(LONG_MAX))
            send(target_, Sci::SCI_ALLOCATE, static_cast<unsigned long>(wanted));
    }
}

void ListPaneEditor::appendPiece(std::string_view piece) {
    if (!target_ || !append_.active || piece.empty())
        return;
    std::string joined;
    if (!append_.carry.empty()) {
        // At most a few bytes are carried: the piece is joined to them.
        joined = std::move(append_.carry);
        joined.append(piece);
        piece = joined;
    }
    if (append_.capacity < piece.size() * 3) {
        // With room for the few bytes carried to the next piece, so that a
        // run of pieces of one size makes one buffer; never filled before use
        // (its pages are touched only as far as the converted text goes).
        append_.capacity = piece.size() * 3 + 64;
        append_.work = std::make_unique_for_overwrite<char[]>(append_.capacity);
    }
    const Normalized done = normalize(piece, false, append_.work.get());
    append_.carry.assign(piece.substr(piece.size() - done.held));
    if (done.written > 0)
        target_->SendScintilla(Sci::SCI_APPENDTEXT, static_cast<uintptr_t>(done.written),
                               append_.work.get());
}

void ListPaneEditor::endAppend() {
    send(target_, Sci::SCI_SETUNDOCOLLECTION, 1);
    send(target_, Sci::SCI_SETMODEVENTMASK, static_cast<unsigned long>(append_.eventMask));
    append_.active = false;
    append_.carry.clear();
    append_.work.reset();
    append_.capacity = 0;
}

void ListPaneEditor::finishAppend() {
    finishAppending(false);
}

void ListPaneEditor::finishReplacing() {
    finishAppending(true);
}

void ListPaneEditor::finishAppending(bool replacing) {
    if (!target_ || !append_.active)
        return;
    if (!append_.carry.empty()) {
        char rest[16];
        const Normalized done = normalize(append_.carry, true, rest);
        target_->SendScintilla(Sci::SCI_APPENDTEXT, static_cast<uintptr_t>(done.written), rest);
    }
    long start = append_.start;
    if (replacing && start > 0) {
        // Still without an undo step or a notification of its own.
        send(target_, Sci::SCI_DELETERANGE, 0, start);
        start = 0;
    }
    endAppend();
    // A new list starts a new history, as a text set anew does.
    send(target_, Sci::SCI_EMPTYUNDOBUFFER);
    setModified(false);
    // The start of the new list is shown, the caret on it.
    send(target_, Sci::SCI_SETEMPTYSELECTION, static_cast<unsigned long>(start));
    send(target_, Sci::SCI_SETFIRSTVISIBLELINE,
         static_cast<unsigned long>(
             send(target_, Sci::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start))));
    emit target_->textChanged();
}

void ListPaneEditor::cancelAppend() {
    if (!target_ || !append_.active)
        return;
    const long length = send(target_, Sci::SCI_GETLENGTH);
    if (length > append_.start)
        send(target_, Sci::SCI_DELETERANGE, static_cast<unsigned long>(append_.start),
             length - append_.start);
    endAppend();
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
