#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kestro {
namespace {

// Windows orders names by the system's upper case (its ordinal comparison
// without regard to case): "_" (0x5F) comes after the letters, and the
// Kelvin sign is a character of its own.
TEST(TextTest, CompareNoCaseSortsMixedNamesByUpperCase) {
    std::vector<std::string> names = {"日本.txt", "c.TXT", "B2.txt", "_x.txt",
                                      "b.txt",    "A.txt", "a.txt",  "Ａ.txt"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return compareNoCase(a, b) < 0; });
    const std::vector<std::string> expected = {"A.txt", "a.txt",  "b.txt",    "B2.txt",
                                               "c.TXT", "_x.txt", "日本.txt", "Ａ.txt"};
    EXPECT_EQ(names, expected);
    EXPECT_GT(compareNoCase("\u212A", "K"), 0);
}

// Shift-JIS is the system's code page 932: its own backslash and tilde, and
// the NEC row 13 characters.
TEST(TextTest, ShiftJisIsCodePage932) {
    EXPECT_EQ(encodeTextFile("\\~①", TextEncoding::ShiftJis), std::string("\\~\x87\x40"));
    EXPECT_EQ(decodeTextFile("\x87\x40\x5C"), "①\\");
}

} // namespace
} // namespace kestro
