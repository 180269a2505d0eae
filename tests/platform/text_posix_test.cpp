#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kestro {
namespace {

// Linux folds to lower case (simple case folding), where the Kelvin sign
// is a "k" and the dotless i upper-cases to "I".
TEST(TextTest, FoldingAndCodePageOfLinux) {
    EXPECT_EQ(toUpperKeepLength("ıi"), "II");
    EXPECT_GT(compareNoCase("\u212A", "k"), 0); // folds to k; bytes decide
    EXPECT_LT(compareNoCase("\u212Ax", "ky"), 0);
    EXPECT_GT(compareNoCase("ky", "\u212Ax"), 0);
}

TEST(TextTest, CompareNoCaseSortsMixedNames) {
    std::vector<std::string> names = {"日本.txt", "c.TXT", "B2.txt", "_x.txt",
                                      "b.txt",    "A.txt", "a.txt",  "Ａ.txt"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return compareNoCase(a, b) < 0; });
    // Folded, "_" (0x5F) is below "a"; "A" and "a" fold equal and go by bytes.
    const std::vector<std::string> expected = {"_x.txt", "A.txt", "a.txt",    "b.txt",
                                               "B2.txt", "c.TXT", "日本.txt", "Ａ.txt"};
    EXPECT_EQ(names, expected);
}

} // namespace
} // namespace kestro
