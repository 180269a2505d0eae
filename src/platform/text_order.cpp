// The case-blind order of names, on every system: the platform's files give
// the folding of one character (case_fold.h), this file the order built on it.

#include "platform/case_fold.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdint>

namespace kestro {

int compareNoCase(std::string_view a, std::string_view b) {
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
            const char32_t fx = foldedAscii(x);
            const char32_t fy = foldedAscii(y);
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
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            key += static_cast<char>(foldedAscii(byte));
            ++pos;
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

void sortViewsNoCase(std::vector<std::string_view>& names) {
    struct Keyed {
        std::size_t keyStart;
        std::size_t keyLength;
        std::string_view name;
    };
    std::string keys;
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    for (std::string_view name : names) {
        const std::size_t start = keys.size();
        appendFoldedSortKey(keys, name);
        keyed.push_back({start, keys.size() - start, name});
    }
    const std::string_view all(keys);
    std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
        const int order =
            all.substr(a.keyStart, a.keyLength).compare(all.substr(b.keyStart, b.keyLength));
        return order != 0 ? order < 0 : a.name < b.name;
    });
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] = keyed[i].name;
}

} // namespace kestro
