#pragma once

// Text services of the platform. All texts are UTF-8 in std::string. Bytes
// that are not valid UTF-8 (Linux file names need not be) pass through every
// conversion unchanged, each counting as one character.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

// Full-width letters, digits, symbols and katakana become their half-width
// forms (ＡＢＣ１２３ → ABC123, ガ → ｶﾞ, 「」 → ｢｣, the ideographic space → " ");
// hiragana, kanji and everything else stay as they are.
std::string toHalfWidth(std::string_view text);

// Upper-case conversion character by character that keeps the number of
// characters: ａｂｃ → ＡＢＣ (full-width stays full-width), ß stays ß.
std::string toUpperKeepLength(std::string_view text);

// Width of `text` as the Shift-JIS code page counts it, the same on every
// system: 1 for an ASCII character or a half-width katakana (U+FF61 to
// U+FF9F), 2 for any other character (also one that Shift-JIS lacks) and for
// each byte that is not part of a well-formed UTF-8 character.
std::size_t shiftJisWidth(std::string_view text);

// Whether `bytes` is well-formed UTF-8.
bool isValidUtf8(std::string_view bytes);

// How a text file's characters are written.
enum class TextEncoding {
    Utf8,     // UTF-8 without a byte-order mark
    Utf8Bom,  // UTF-8 after the byte-order mark
    ShiftJis, // Shift-JIS (CP932)
};

// Text of a file's bytes: UTF-8 when the bytes are valid UTF-8 or begin with
// the UTF-8 byte-order mark (the mark dropped, any stray byte after it kept),
// else decoded as Shift-JIS (CP932, 0x5C the backslash, with the NEC and IBM
// extensions, every byte below 0x80 its ASCII character); a byte sequence
// CP932 does not define becomes U+FFFD. `unreadable`, when given, tells
// whether some bytes were not read as characters (they became U+FFFD, or
// are stray bytes after the mark).
// `found`, when given, tells which of the three it was read as.
std::string decodeTextFile(std::string_view bytes, bool* unreadable = nullptr,
                           TextEncoding* found = nullptr);

// The text of the settings file, which a user may have edited and saved in
// the system's ANSI code page: on Windows a file that is not valid UTF-8 is
// read as decodeTextFile reads a list (Shift-JIS, CP932); elsewhere the
// bytes stay as they are, as a folder's name need not be UTF-8 there.
std::string decodeSettingsText(std::string bytes);

// The first character of a text that an encoding cannot hold: its line,
// counted from 1 at each LF, and the character (a byte that is not UTF-8 as
// "\xNN").
struct UnencodableCharacter {
    std::size_t line = 0;
    std::string character;
};

// Bytes of a text file for `text` in `encoding`. UTF-8 passes every byte
// through. Shift-JIS uses the table decodeTextFile reads with, every ASCII
// character as its own byte, and no fallback: a character without its own
// CP932 code (or a byte that is not UTF-8) gives nothing, and `refused`, when
// given, names the first one.
std::optional<std::string> encodeTextFile(std::string_view text,
                                          TextEncoding encoding = TextEncoding::Utf8,
                                          UnencodableCharacter* refused = nullptr);

// Orders two names without regard to case (simple case folding per
// character, folded characters in code point order, a byte that is not UTF-8
// after every character); names that fold equal are ordered by their bytes,
// so the order is total and stable. Negative, zero or positive like strcmp.
int compareNoCase(std::string_view a, std::string_view b);

// `text` turned in place into the form under which two names or paths
// name the same file for a comparison of lists. On Windows, whose file
// systems ignore case and read "/" as "\\", every character in upper case
// (the system's table, one character for one, a character whose upper case
// has another UTF-8 length kept as it is) and "/" as "\\"; elsewhere the
// text itself. The byte length never changes.
void toMatchingForm(std::string& text);

// A byte string whose plain byte order is the order of compareNoCase before
// its tie-break: sort many names by their keys (computed once each), then by
// their bytes, instead of folding them again at every comparison.
std::string foldedSortKey(std::string_view text);
// The same key, appended to `out` (no allocation of its own).
void appendFoldedSortKey(std::string& out, std::string_view text);

// Sorts `names` in the order of compareNoCase, folding each name once.
void sortNoCase(std::vector<std::string>& names);
// The same for views, with all sort keys in one buffer: a folder's names
// cost no allocation each.
void sortViewsNoCase(std::vector<std::string_view>& names);
// The order in which sortViewsNoCase would put `texts`: their indexes.
std::vector<std::uint32_t> orderNoCase(const std::vector<std::string_view>& texts);

// UTF-8 of CP932 `bytes`: 0x5C the backslash, the NEC and IBM extensions
// in, every byte below 0x80 its ASCII character; `replaced` tells whether
// some bytes became U+FFFD. Each system converts with its own table.
std::string decodeCp932(std::string_view bytes, bool& replaced);

// The code point of the character of `text` at `pos`, or -1 for a byte
// that does not start a well-formed sequence (an overlong form, a
// surrogate, past U+10FFFF, cut short), which then counts as one character
// of its own. Moves `pos` past the character.
inline std::int32_t nextCodePoint(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t length = 0;
    std::int32_t c = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
    } else {
        ++pos;
        return -1;
    }
    if (pos + length > text.size()) {
        ++pos;
        return -1;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto byte = static_cast<unsigned char>(text[pos + k]);
        if ((byte & 0xC0) != 0x80) {
            ++pos;
            return -1;
        }
        c = (c << 6) | (byte & 0x3F);
    }
    const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
    if (overlong || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
        ++pos;
        return -1;
    }
    pos += length;
    return c;
}

// What each system's text file gives the portable one (text.cpp) and the
// file-name patterns; not for callers outside the platform.

// Bytes that are not UTF-8 fold to this base plus the byte: after every code
// point, and distinct from each other.
inline constexpr char32_t ForeignByteRank = 0x110000;

// The folding of an ASCII byte: to lower case on Linux, to upper case on
// Windows (whose order puts "_" after the letters).
char32_t foldedAscii(unsigned char c);

// The simple case folding of a character beyond ASCII.
char32_t foldedCodePoint(char32_t c);

// The simple case folding of the character at `pos` (ASCII without any
// table), moving `pos` past it; the same on every system (text.cpp).
char32_t nextFoldedCharacter(std::string_view text, std::size_t& pos);

// The CP932 bytes of one character, given as its UTF-8 `character` and its
// code point, written to `bytes`: how many, or 0 when the table has no code
// of its own for it.
std::size_t cp932Bytes(std::string_view character, char32_t codePoint, char (&bytes)[8]);

// ASCII helpers of the stores' file formats.
namespace ascii {

inline constexpr char HexDigits[] = "0123456789ABCDEF";

inline char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = lower(c);
    return out;
}

// Equal without regard to ASCII case (other bytes must match exactly).
inline bool sameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The value of a hexadecimal digit, or -1.
inline int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = lower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// `byte` as two upper-case hexadecimal digits after `out`.
inline void appendHex(std::string& out, unsigned char byte) {
    out += HexDigits[byte >> 4];
    out += HexDigits[byte & 0x0F];
}

// The byte that the two hexadecimal digits at `at` of `text` write, or -1
// when there are not two there.
inline int hexByteAt(std::string_view text, std::size_t at) {
    if (at + 1 >= text.size() || hexValue(text[at]) < 0 || hexValue(text[at + 1]) < 0)
        return -1;
    return hexValue(text[at]) * 16 + hexValue(text[at + 1]);
}

} // namespace ascii

} // namespace kestro
