#include "platform/text.h"

#include <algorithm>

#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace kestro {

namespace {

bool isAscii(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80)
            return false;
    }
    return true;
}

void appendUtf8(std::string& out, UChar32 c) {
    char buffer[U8_MAX_LENGTH];
    std::int32_t length = 0;
    U8_APPEND_UNSAFE(buffer, length, c);
    out.append(buffer, static_cast<std::size_t>(length));
}

// Code points the Fullwidth-Halfwidth transform can change (full-width forms,
// CJK symbols and katakana, the few symbols and jamo with half-width forms),
// plus the two spacing sound marks handled after it. Text without any of them
// never reaches ICU.
bool mayNarrow(UChar32 c) {
    if (c < 0x1100)
        return false;
    if (c <= 0x11FF)
        return true; // Hangul jamo
    if (c >= 0x2190 && c <= 0x25CB)
        return true; // arrows, box drawing and shapes with half-width forms
    if (c >= 0x3000 && c <= 0x300D)
        return true; // ideographic space and punctuation, corner brackets
    if (c >= 0x3099 && c <= 0x30FF)
        return true; // sound marks and katakana
    return c >= 0xFF01 && c <= 0xFFEF;
}

// Used from the user-interface thread only, but a per-thread instance keeps
// a stray second caller safe at no cost.
icu::Transliterator* halfWidthTransliterator() {
    thread_local std::unique_ptr<icu::Transliterator> instance = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> created(
            icu::Transliterator::createInstance("Fullwidth-Halfwidth", UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            created.reset();
        return created;
    }();
    return instance.get();
}

// Converts one run of well-formed UTF-8.
void appendHalfWidth(std::string& out, std::string_view run) {
    std::size_t pos = 0;
    bool needed = false;
    while (pos < run.size() && !needed)
        needed = mayNarrow(nextCodePoint(run, pos));
    icu::Transliterator* transliterator = needed ? halfWidthTransliterator() : nullptr;
    if (!transliterator) {
        out.append(run);
        return;
    }
    icu::UnicodeString text = icu::UnicodeString::fromUTF8(
        icu::StringPiece(run.data(), static_cast<std::int32_t>(run.size())));
    transliterator->transliterate(text);
    // The transform leaves the spacing sound marks alone, although their
    // half-width forms are the ones half-width katakana use.
    text.findAndReplace(icu::UnicodeString(static_cast<UChar32>(0x309B)),
                        icu::UnicodeString(static_cast<UChar32>(0xFF9E)));
    text.findAndReplace(icu::UnicodeString(static_cast<UChar32>(0x309C)),
                        icu::UnicodeString(static_cast<UChar32>(0xFF9F)));
    text.toUTF8String(out);
}

// Writes U+FFFD for every byte sequence CP932 does not define, instead of
// ICU's default control character SUB, and notes that it did.
void replaceUndecodable(const void* context, UConverterToUnicodeArgs* args, const char*, int32_t,
                        UConverterCallbackReason reason, UErrorCode* status) {
    if (reason > UCNV_IRREGULAR)
        return;
    *static_cast<bool*>(const_cast<void*>(context)) = true;
    static const UChar replacement = 0xFFFD;
    *status = U_ZERO_ERROR;
    ucnv_cbToUWriteUChars(args, &replacement, 1, 0, status);
}

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

} // namespace

// Decodes CP932 bytes; `replaced` tells whether some bytes became U+FFFD.
// ICU's "ibm-943_P15A-2003" is the Windows table: 0x5C is the backslash,
// 0x7E the tilde, and the NEC and IBM extensions are in.
std::string decodeCp932(std::string_view bytes, bool& replaced) {
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr source(ucnv_open("ibm-943_P15A-2003", &status));
    ConverterPtr target(ucnv_open("UTF-8", &status));
    if (U_FAILURE(status)) {
        replaced = true;
        return std::string(bytes);
    }
    ucnv_setToUCallBack(source.get(), replaceUndecodable, &replaced, nullptr, nullptr, &status);

    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    UChar pivot[1024];
    UChar* pivotSource = pivot;
    UChar* pivotTarget = pivot;
    const char* next = bytes.data();
    const char* end = bytes.data() + bytes.size();
    char buffer[16384];
    bool reset = true;
    do {
        status = U_ZERO_ERROR;
        char* written = buffer;
        ucnv_convertEx(target.get(), source.get(), &written, buffer + sizeof buffer, &next, end,
                       pivot, &pivotSource, &pivotTarget, pivot + std::size(pivot), reset, true,
                       &status);
        reset = false;
        out.append(buffer, static_cast<std::size_t>(written - buffer));
    } while (status == U_BUFFER_OVERFLOW_ERROR);
    // That table is IBM's, which swaps three control codes (0x1A, 0x1C and
    // 0x7F); put them back, so that every byte below 0x80 reads as ASCII. No
    // other byte sequence gives these code points, and UTF-8 never uses
    // these bytes inside a longer character.
    for (char& c : out) {
        if (c == '\x1C')
            c = '\x1A';
        else if (c == '\x7F')
            c = '\x1C';
        else if (c == '\x1A')
            c = '\x7F';
    }
    return out;
}

char32_t foldedAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

char32_t foldedCodePoint(char32_t c) {
    // Kana, kanji, hangul and the half-width katakana have no case: most
    // Japanese names never need the case tables.
    if ((c >= 0x3040 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3) ||
        (c >= 0xFF61 && c <= 0xFF9F))
        return c;
    return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

std::string toHalfWidth(std::string_view text) {
    if (isAscii(text))
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t runStart = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t here = pos;
        if (nextCodePoint(text, pos) >= 0)
            continue;
        appendHalfWidth(out, text.substr(runStart, here - runStart));
        out += text[here];
        runStart = pos;
    }
    appendHalfWidth(out, text.substr(runStart));
    return out;
}

std::string toUpperKeepLength(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            out += static_cast<char>((byte >= 'a' && byte <= 'z') ? byte - ('a' - 'A') : byte);
            ++pos;
            continue;
        }
        std::size_t here = pos;
        UChar32 c = nextCodePoint(text, pos);
        if (c < 0)
            out += text[here];
        else
            appendUtf8(out, u_toupper(c));
    }
    return out;
}

std::string decodeSettingsText(std::string bytes) {
    return bytes;
}

void toMatchingForm(std::string&) {
    // Names differ by their bytes: "a" and "A" are two files.
}

namespace {

// The converter that writes one character at a time, one per thread; a
// null one when ICU has no such table.
UConverter* cp932Encoder() {
    thread_local const ConverterPtr instance = [] {
        UErrorCode status = U_ZERO_ERROR;
        ConverterPtr opened(ucnv_open("ibm-943_P15A-2003", &status));
        if (U_SUCCESS(status))
            ucnv_setFromUCallBack(opened.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr,
                                  nullptr, &status);
        if (U_FAILURE(status))
            opened.reset();
        return opened;
    }();
    return instance.get();
}

} // namespace

std::size_t cp932Bytes(std::string_view, char32_t codePoint, char (&bytes)[8]) {
    UConverter* converter = cp932Encoder();
    if (!converter)
        return 0;
    UChar units[2];
    std::int32_t count = 0;
    U16_APPEND_UNSAFE(units, count, static_cast<UChar32>(codePoint));
    UErrorCode converted = U_ZERO_ERROR;
    ucnv_resetFromUnicode(converter);
    const std::int32_t length =
        ucnv_fromUChars(converter, bytes, sizeof bytes, units, count, &converted);
    return U_FAILURE(converted) || length <= 0 ? 0 : static_cast<std::size_t>(length);
}

} // namespace kestro
