#include "platform/file_pattern.h"

#include "platform/text.h"

#include <cstdint>
#include <cstring>

namespace kestro {

namespace {

constexpr char32_t AnyRun = U'*';
constexpr char32_t AnyOne = U'?';
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Wildcard match of a folded pattern against a name's bytes. A "*" is
// retried one character further on each mismatch, which keeps the match
// linear per "*" without any allocation.
bool matchOne(std::u32string_view pattern, std::string_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starPattern = std::u32string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == AnyRun) {
            starPattern = ++p;
            starName = n;
            continue;
        }
        std::size_t after = n;
        char32_t c = nextFoldedCharacter(name, after);
        if (p < pattern.size() && (pattern[p] == AnyOne || pattern[p] == c)) {
            ++p;
            n = after;
            continue;
        }
        if (starPattern == std::u32string_view::npos)
            return false;
        p = starPattern;
        nextFoldedCharacter(name, starName);
        n = starName;
    }
    while (p < pattern.size() && pattern[p] == AnyRun)
        ++p;
    return p == pattern.size();
}

} // namespace

FilePatternSet::FilePatternSet(std::string_view patternText) {
    std::size_t start = 0;
    while (start <= patternText.size()) {
        std::size_t end = patternText.find(';', start);
        if (end == std::string_view::npos)
            end = patternText.size();
        std::string_view piece = patternText.substr(start, end - start);
        start = end + 1;
        while (!piece.empty() && isBlank(piece.front()))
            piece.remove_prefix(1);
        while (!piece.empty() && isBlank(piece.back()))
            piece.remove_suffix(1);
        if (piece.empty())
            continue;

        std::u32string folded;
        std::size_t pos = 0;
        while (pos < piece.size()) {
            char32_t c = nextFoldedCharacter(piece, pos);
            if (c == AnyRun && !folded.empty() && folded.back() == AnyRun)
                continue; // "**" is "*"
            folded += c;
        }
        if (folded == U"*" || folded == U"*.*")
            matchesEverything_ = true;
        patterns_.push_back(std::move(folded));
    }
}

bool FilePatternSet::matches(std::string_view name) const {
    if (matchesEverything_)
        return true;
    const bool dotless = std::memchr(name.data(), '.', name.size()) == nullptr;
    for (const std::u32string& stored : patterns_) {
        std::u32string_view pattern = stored;
        if (matchOne(pattern, name))
            return true;
        // A name without a dot is taken to end in an empty extension, so
        // "abc.*" and "abc." both match "abc".
        if (!dotless)
            continue;
        if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == U".*") {
            if (matchOne(pattern.substr(0, pattern.size() - 2), name))
                return true;
        } else if (!pattern.empty() && pattern.back() == U'.') {
            if (matchOne(pattern.substr(0, pattern.size() - 1), name))
                return true;
        }
    }
    return false;
}

} // namespace kestro
