#include "platform/file_pattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestro {
namespace {

struct PatternCase {
    std::string patterns;
    std::string name;
    bool matches;
};

void expectMatches(const std::vector<PatternCase>& cases) {
    for (const auto& c : cases) {
        FilePatternSet set(c.patterns);
        EXPECT_EQ(set.matches(c.name), c.matches)
            << '"' << c.patterns << "\" on \"" << c.name << '"';
    }
}

TEST(FilePatternTest, WildcardsAndCase) {
    expectMatches({
        {"*.txt", "README.TXT", true},
        {"*.TXT", "readme.txt", true},
        {"*.txt", "readme.txt.bak", false},
        {"*.txt", "txt", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"a?c", "abbc", false},
        {"*a*b*c", "xaybzc", true},
        {"*a*b*c", "xaybzcd", false},
        {"*aab", "aaaab", true},
        {"ＡＢＣ*", "ａｂｃ.txt", true},
        {"ﾌｧｲﾙ*", "ﾌｧｲﾙ1.txt", true},
        {"ﾌｧｲﾙ*", "ファイル1.txt", false},
        {"a*", "a*b", true},
        {"*x", "ax*x", true},
        {"report", "Report", true},
        {"report", "reports", false},
    });
}

TEST(FilePatternTest, DotStarMatchesNamesWithoutDot) {
    expectMatches({
        {"*.*", "Makefile", true},
        {"*.*", ".bashrc", true},
        {"*.*", "a.b.c", true},
        {"abc.*", "abc", true},
        {"abc.*", "ABC.def", true},
        {"abc.*", "abcd", false},
        {"a*.*", "abc", true},
        {"b*.*", "abc", false},
        {"*.", "Makefile", true},
        {"*.", "a.txt", false},
    });
}

TEST(FilePatternTest, QuestionMarkIsOneCharacter) {
    expectMatches({
        {"?.txt", "日.txt", true},
        {"??.txt", "日.txt", false},
        {"???", "日本語", true},
        {"?", "\xFF", true},        // a foreign byte is one character
        {"??", "\xFF\xFE", true},   //
        {"?", "\xFF\xFE", false},   //
        {"?", "\xE6\x97", false},   // a truncated character is two bytes
        {"*\xFF", "ab\xFF", true},  // foreign bytes match themselves
        {"*\xFF", "ab\xFE", false}, //
        {"?b",
         "\xF0\x9F\x98\x80"
         "b",
         true},
    });
}

TEST(FilePatternTest, SeveralPatternsBlanksAndEmptyOnes) {
    expectMatches({
        {"*.c;*.h", "x.h", true},
        {"*.c;*.h", "x.c", true},
        {"*.c;*.h", "x.cpp", false},
        {" *.c ; *.h ", "x.h", true},
        {"\t*.h\t", "x.h", true},
        {";;*.h;;", "x.h", true},
        {";;*.h;;", "x.c", false},
        {"", "x", false},
        {" ; ;", "x", false},
        {"a b.txt", "a b.txt", true},
    });
}

TEST(FilePatternTest, MatchesEverythingOnlyForCatchAllPatterns) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"*.*", true},    {"*", true}, {"**", true},   {"*.txt; *.*", true},
        {"*.txt", false}, {"", false}, {"*.?", false}, {"?*", false},
    };
    for (const auto& [text, everything] : cases)
        EXPECT_EQ(FilePatternSet(text).matchesEverything(), everything) << text;
}

TEST(FilePatternTest, BacktrackingStaysCorrectOnLongNames) {
    std::string name(300, 'a');
    EXPECT_FALSE(FilePatternSet("*a*a*a*a*a*b").matches(name));
    name += 'b';
    EXPECT_TRUE(FilePatternSet("*a*a*a*a*a*b").matches(name));
}

} // namespace
} // namespace kestro
