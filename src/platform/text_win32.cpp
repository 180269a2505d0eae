#include "platform/text.h"

#include "platform/wide_path.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <windows.h>

// Text services from the system: LCMapStringEx for the half-width and
// upper-case forms, code page 932 for Shift-JIS, the system's upper-case
// table (the one its ordinal comparison without regard to case applies) for
// the case-blind order. Runs of valid UTF-8 go to the system; bytes that are
// not UTF-8 pass through, each one character.

namespace kestro {

namespace {

constexpr UINT ShiftJisCodePage = 932;

// Calls `run(valid)` for each stretch of valid UTF-8 and `stray(byte)` for
// each byte between them.
template <class Run, class Stray> void forEachRun(std::string_view text, Run&& run, Stray&& stray) {
    std::size_t start = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t at = pos;
        if (nextCodePoint(text, pos) >= 0)
            continue;
        if (at > start)
            run(text.substr(start, at - start));
        stray(text[at]);
        start = pos;
    }
    if (pos > start)
        run(text.substr(start, pos - start));
}

// `text` mapped by LCMapStringEx with `flags` for `locale`.
std::string mapped(std::string_view text, const wchar_t* locale, DWORD flags) {
    const std::wstring wide = win32::widen(text);
    const int size = static_cast<int>(wide.size());
    const int length =
        ::LCMapStringEx(locale, flags, wide.data(), size, nullptr, 0, nullptr, nullptr, 0);
    if (length <= 0)
        return std::string(text);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    ::LCMapStringEx(locale, flags, wide.data(), size, out.data(), length, nullptr, nullptr, 0);
    return win32::narrow(out);
}

std::string mappedKeepingStrays(std::string_view text, const wchar_t* locale, DWORD flags) {
    std::string out;
    out.reserve(text.size());
    forEachRun(
        text, [&](std::string_view run) { out += mapped(run, locale, flags); },
        [&](char byte) { out += byte; });
    return out;
}

// The system's upper case of every UTF-16 unit (surrogates map to
// themselves), read once.
const std::array<wchar_t, 65536>& upperCaseTable() {
    static std::array<wchar_t, 65536> table;
    static std::once_flag made;
    std::call_once(made, [] {
        for (std::size_t unit = 0; unit < table.size(); ++unit)
            table[unit] = static_cast<wchar_t>(unit);
        // Two stretches without surrogates; NUL stays NUL.
        for (const auto& [first, last] : {std::pair{1u, 0xD7FFu}, std::pair{0xE000u, 0xFFFFu}}) {
            const int count = static_cast<int>(last - first + 1);
            std::wstring upper(static_cast<std::size_t>(count), L'\0');
            if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, &table[first], count,
                                upper.data(), count, nullptr, nullptr, 0) == count)
                std::copy(upper.begin(), upper.end(), table.begin() + first);
        }
    });
    return table;
}

} // namespace

std::string decodeCp932(std::string_view bytes, bool& replaced) {
    replaced = false;
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(ShiftJisCodePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                             size, nullptr, 0);
    if (length > 0) {
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        ::MultiByteToWideChar(ShiftJisCodePage, MB_ERR_INVALID_CHARS, bytes.data(), size,
                              wide.data(), length);
        return win32::narrow(wide);
    }
    // Some sequence is not in the table: character by character, each one
    // that is not becoming U+FFFD.
    std::wstring wide;
    wide.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[pos]);
        const bool pair = ::IsDBCSLeadByteEx(ShiftJisCodePage, lead) && pos + 1 < bytes.size();
        const int count = pair ? 2 : 1;
        wchar_t unit = 0;
        if (::MultiByteToWideChar(ShiftJisCodePage, MB_ERR_INVALID_CHARS, bytes.data() + pos, count,
                                  &unit, 1) == 1) {
            wide += unit;
            pos += static_cast<std::size_t>(count);
            continue;
        }
        replaced = true;
        wide += L'\xFFFD';
        // A second byte that cannot follow a lead byte is read on its own.
        const auto trail = pair ? static_cast<unsigned char>(bytes[pos + 1]) : 0;
        pos += pair && trail >= 0x40 && trail != 0x7F ? 2 : 1;
    }
    return win32::narrow(wide);
}

std::size_t cp932Bytes(std::string_view character, char32_t, char (&bytes)[8]) {
    const std::wstring units = win32::widen(character);
    BOOL usedDefault = FALSE;
    const int length = ::WideCharToMultiByte(ShiftJisCodePage, WC_NO_BEST_FIT_CHARS, units.data(),
                                             static_cast<int>(units.size()), bytes, sizeof bytes,
                                             nullptr, &usedDefault);
    return usedDefault || length <= 0 ? 0 : static_cast<std::size_t>(length);
}

char32_t foldedAscii(unsigned char c) {
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

char32_t foldedCodePoint(char32_t c) {
    if (c > 0xFFFF)
        return c; // the table has no pairs
    return upperCaseTable()[c];
}

std::string toHalfWidth(std::string_view text) {
    return mappedKeepingStrays(text, L"ja-JP", LCMAP_HALFWIDTH);
}

std::string toUpperKeepLength(std::string_view text) {
    return mappedKeepingStrays(text, LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE);
}

std::string decodeSettingsText(std::string bytes) {
    if (isValidUtf8(bytes))
        return bytes;
    return decodeTextFile(bytes);
}

void toMatchingForm(std::string& text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            text[pos] = text[pos] == '/' ? '\\' : static_cast<char>(foldedAscii(byte));
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        const std::int32_t c = nextCodePoint(text, pos);
        if (c < 0x80 || c > 0xFFFF)
            continue; // a stray byte, or a pair the table does not map
        const char32_t upper = upperCaseTable()[static_cast<std::size_t>(c)];
        const std::size_t length = upper < 0x800 ? 2 : 3;
        if (upper < 0x80 || length != pos - start)
            continue;
        if (length == 2) {
            text[start] = static_cast<char>(0xC0 | (upper >> 6));
        } else {
            text[start] = static_cast<char>(0xE0 | (upper >> 12));
            text[start + 1] = static_cast<char>(0x80 | ((upper >> 6) & 0x3F));
        }
        text[pos - 1] = static_cast<char>(0x80 | (upper & 0x3F));
    }
}

} // namespace kestro
