// The text services that are the same on every system: the text files'
// encodings, the Shift-JIS width and the case-blind order. Each system's
// file (text_linux.cpp, text_win32.cpp) gives the conversions of its own:
// the Shift-JIS table, the folding of one character, the half-width and
// upper-case forms.

#include "platform/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace kestro {

namespace {

// foldedAscii of every ASCII byte, looked up instead of called: names are
// folded byte by byte to be sorted.
const std::array<char, 0x80>& asciiFolding() {
    static const std::array<char, 0x80> table = [] {
        std::array<char, 0x80> folded{};
        for (std::size_t c = 0; c < folded.size(); ++c)
            folded[c] = static_cast<char>(foldedAscii(static_cast<unsigned char>(c)));
        return folded;
    }();
    return table;
}

// Whether the sort key of `text` is `text` itself: ASCII that folding
// leaves as it is.
bool foldsToItself(std::string_view text, const std::array<char, 0x80>& fold) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || fold[byte] != c)
            return false;
    }
    return true;
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
    constexpr std::uint64_t HighBits = 0x8080808080808080U;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // ASCII, most of any list and any name, eight bytes at a time.
        std::uint64_t eight = 0;
        if (pos + sizeof eight <= bytes.size()) {
            std::memcpy(&eight, bytes.data() + pos, sizeof eight);
            if ((eight & HighBits) == 0) {
                pos += sizeof eight;
                continue;
            }
        }
        if (static_cast<unsigned char>(bytes[pos]) < 0x80)
            ++pos;
        else if (nextCodePoint(bytes, pos) < 0)
            return false;
    }
    return true;
}

namespace {

// CP932 bytes of `text`, or nothing with the first character the table does
// not hold named in `refused`.
std::optional<std::string> encodeCp932(std::string_view text, UnencodableCharacter* refused) {
    std::string out;
    out.reserve(text.size());
    std::size_t line = 1;
    for (std::size_t pos = 0; pos < text.size();) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            // ASCII as itself: a table may swap control codes.
            out += text[pos++];
            line += byte == '\n' ? 1 : 0;
            continue;
        }
        const std::size_t start = pos;
        const std::int32_t c = nextCodePoint(text, pos);
        char bytes[8];
        const std::size_t length =
            c >= 0 ? cp932Bytes(text.substr(start, pos - start), static_cast<char32_t>(c), bytes)
                   : 0;
        if (length == 0) {
            if (refused) {
                refused->line = line;
                if (c >= 0) {
                    refused->character = std::string(text.substr(start, pos - start));
                } else {
                    refused->character = {'\\', 'x'};
                    ascii::appendHex(refused->character, byte);
                }
            }
            return std::nullopt;
        }
        out.append(bytes, length);
    }
    return out;
}

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

} // namespace

std::string decodeTextFile(std::string_view bytes, bool* unreadable, TextEncoding* found) {
    bool lost = false;
    std::string text;
    TextEncoding encoding = TextEncoding::Utf8;
    // A byte-order mark says UTF-8 even when a stray byte further on is not;
    // such bytes are kept as they are.
    if (bytes.substr(0, Utf8Bom.size()) == Utf8Bom) {
        text = bytes.substr(Utf8Bom.size());
        lost = !isValidUtf8(text);
        encoding = TextEncoding::Utf8Bom;
    } else if (isValidUtf8(bytes)) {
        text = bytes;
    } else {
        text = decodeCp932(bytes, lost);
        encoding = TextEncoding::ShiftJis;
    }
    if (unreadable)
        *unreadable = lost;
    if (found)
        *found = encoding;
    return text;
}

std::optional<std::string> encodeTextFile(std::string_view text, TextEncoding encoding,
                                          UnencodableCharacter* refused) {
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return std::string(Utf8Bom) + std::string(text);
    case TextEncoding::ShiftJis:
        return encodeCp932(text, refused);
    case TextEncoding::Utf8:
        break;
    }
    return std::string(text);
}

std::size_t shiftJisWidth(std::string_view text) {
    std::size_t width = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {
            ++width;
            ++at;
            continue;
        }
        // The length the lead byte announces, if its continuations follow.
        const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xC2 && lead <= 0xDF ? 2
                                                                  : 1;
        std::size_t taken = 1;
        while (taken < length && at + taken < text.size() &&
               (static_cast<unsigned char>(text[at + taken]) & 0xC0) == 0x80)
            ++taken;
        if (taken != length) {
            width += 2; // a malformed byte
            ++at;
            continue;
        }
        // U+FF61 to U+FF9F are EF BD A1 to EF BE 9F.
        const auto second = static_cast<unsigned char>(length == 3 ? text[at + 1] : 0);
        const auto third = static_cast<unsigned char>(length == 3 ? text[at + 2] : 0);
        const bool halfWidthKatakana = lead == 0xEF && ((second == 0xBD && third >= 0xA1) ||
                                                        (second == 0xBE && third <= 0x9F));
        width += halfWidthKatakana ? 1 : 2;
        at += length;
    }
    return width;
}

char32_t nextFoldedCharacter(std::string_view text, std::size_t& pos) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {
        ++pos;
        return foldedAscii(byte);
    }
    const std::int32_t c = nextCodePoint(text, pos);
    if (c < 0)
        return ForeignByteRank + byte;
    return foldedCodePoint(static_cast<char32_t>(c));
}

int compareNoCase(std::string_view a, std::string_view b) {
    const auto& fold = asciiFolding();
    std::size_t i = 0;
    std::size_t j = 0;
    // Plain ASCII is compared without decoding; the first other byte hands
    // over to the per-code-point comparison at the same place.
    while (i < a.size() && j < b.size()) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[j]);
        if (x >= 0x80 || y >= 0x80)
            break;
        if (x != y) {
            const auto fx = static_cast<unsigned char>(fold[x]);
            const auto fy = static_cast<unsigned char>(fold[y]);
            if (fx != fy)
                return fx < fy ? -1 : 1;
        }
        ++i;
        ++j;
    }
    while (i < a.size() && j < b.size()) {
        const char32_t x = nextFoldedCharacter(a, i);
        const char32_t y = nextFoldedCharacter(b, j);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    const int order = a.compare(b);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

std::string foldedSortKey(std::string_view text) {
    std::string key;
    key.reserve(text.size());
    appendFoldedSortKey(key, text);
    return key;
}

void appendFoldedSortKey(std::string& key, std::string_view text) {
    const auto& fold = asciiFolding();
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t run = pos;
        while (run < text.size() && static_cast<unsigned char>(text[run]) < 0x80)
            ++run;
        if (run > pos) { // a run of ASCII, folded in one go
            const std::size_t at = key.size();
            key.resize(at + (run - pos));
            char* out = key.data() + at;
            for (; pos < run; ++pos)
                *out++ = fold[static_cast<unsigned char>(text[pos])];
            continue;
        }
        // Ranks go up to 0x1100FF; the UTF-8 pattern, extended past 0x10FFFF,
        // keeps their order in the order of the bytes.
        const auto rank = static_cast<std::uint32_t>(nextFoldedCharacter(text, pos));
        if (rank < 0x800) {
            key += static_cast<char>(0xC0 | (rank >> 6));
            key += static_cast<char>(0x80 | (rank & 0x3F));
        } else if (rank < 0x10000) {
            key += static_cast<char>(0xE0 | (rank >> 12));
            key += static_cast<char>(0x80 | ((rank >> 6) & 0x3F));
            key += static_cast<char>(0x80 | (rank & 0x3F));
        } else {
            key += static_cast<char>(0xF0 | (rank >> 18));
            key += static_cast<char>(0x80 | ((rank >> 12) & 0x3F));
            key += static_cast<char>(0x80 | ((rank >> 6) & 0x3F));
            key += static_cast<char>(0x80 | (rank & 0x3F));
        }
    }
}

void sortNoCase(std::vector<std::string>& names) {
    struct Entry {
        std::string key;
        std::string name;
    };
    std::vector<Entry> entries;
    entries.reserve(names.size());
    for (auto& name : names) {
        std::string key = foldedSortKey(name);
        entries.push_back({std::move(key), std::move(name)});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int order = a.key.compare(b.key);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = std::move(entries[i].name);
}

namespace {

struct Keyed {
    // The key's first eight bytes, zeros after a shorter one: no key holds
    // a zero byte, so these order keys that differ in them.
    std::uint64_t head;
    std::string_view key;
    std::string_view text;
    std::uint32_t index;
};

// What sorting a folder's names needs besides the names, kept by the thread
// from one folder to the next (the collection sorts every folder's names);
// given back after a folder of very many names.
struct SortScratch {
    std::string keys;
    std::vector<std::pair<std::uint32_t, std::size_t>> made; // entry, its key's length
    std::vector<Keyed> keyed;

    void release() {
        constexpr std::size_t KeptEntries = 1U << 16;
        if (keyed.capacity() > KeptEntries)
            *this = SortScratch();
    }
};

SortScratch& sortScratch() {
    thread_local SortScratch scratch;
    return scratch;
}

std::uint64_t headOf(std::string_view key) {
    unsigned char bytes[8] = {};
    if (!key.empty())
        std::memcpy(bytes, key.data(), std::min(key.size(), sizeof bytes));
    std::uint64_t head = 0;
    for (const unsigned char byte : bytes)
        head = head << 8 | byte;
    return head;
}

// Fills `scratch.keyed` with `texts` in the order of compareNoCase.
void sortKeyed(const std::vector<std::string_view>& texts, SortScratch& scratch) {
    // Most texts are their own keys; the others' keys are made into one
    // buffer, and their views taken once it has stopped growing.
    const auto& fold = asciiFolding();
    scratch.keys.clear();
    scratch.made.clear();
    scratch.keyed.clear();
    scratch.keyed.reserve(texts.size());
    for (std::uint32_t index = 0; index < texts.size(); ++index) {
        const std::string_view text = texts[index];
        if (!foldsToItself(text, fold)) {
            const std::size_t start = scratch.keys.size();
            appendFoldedSortKey(scratch.keys, text);
            scratch.made.emplace_back(index, scratch.keys.size() - start);
        }
        scratch.keyed.push_back({0, text, text, index});
    }
    std::size_t at = 0;
    for (const auto& [index, length] : scratch.made) {
        scratch.keyed[index].key = std::string_view(scratch.keys.data() + at, length);
        at += length;
    }
    for (Keyed& entry : scratch.keyed)
        entry.head = headOf(entry.key);
    std::sort(scratch.keyed.begin(), scratch.keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.head != b.head)
            return a.head < b.head;
        const int order = a.key.compare(b.key);
        return order != 0 ? order < 0 : a.text < b.text;
    });
}

} // namespace

std::vector<std::uint32_t> orderNoCase(const std::vector<std::string_view>& texts) {
    SortScratch& scratch = sortScratch();
    sortKeyed(texts, scratch);
    std::vector<std::uint32_t> order;
    order.reserve(texts.size());
    for (const Keyed& entry : scratch.keyed)
        order.push_back(entry.index);
    scratch.release();
    return order;
}

void sortViewsNoCase(std::vector<std::string_view>& names) {
    SortScratch& scratch = sortScratch();
    sortKeyed(names, scratch);
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = scratch.keyed[i].text;
    scratch.release();
}

} // namespace kestro
