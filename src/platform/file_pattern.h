#pragma once

// File-name patterns as users of the platform type them: several patterns
// separated by ";", "*" any run of characters (none included), "?" exactly
// one character (a code point; a byte that is not UTF-8 is one character),
// letters matched without regard to case (simple case folding). "*.*"
// matches every name, one without a dot included: a name without a dot is
// also matched as if it ended in an empty extension, so "abc.*" and "abc."
// match "abc". Blanks (space, tab) around a pattern are ignored and empty
// patterns between ";" are skipped; a text with no pattern at all matches
// nothing. Matching allocates nothing.

#include <string>
#include <string_view>
#include <vector>

namespace kestro {

class FilePatternSet {
public:
    explicit FilePatternSet(std::string_view patternText);

    bool matches(std::string_view name) const;
    bool matchesEverything() const { return matchesEverything_; }

private:
    std::vector<std::u32string> patterns_; // case-folded code points
    bool matchesEverything_ = false;
};

} // namespace kestro
