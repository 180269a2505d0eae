#include "platform/text.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace kestro {
namespace {

int sign(int value) {
    return (value > 0) - (value < 0);
}

const std::vector<std::string> trickyNames = {
    "a",         "A",        "ab",      "aB", "B",     "_x",
    "Z",         "z~",       "ａ",      "Ａ", "ｂ",    "データ",
    "ﾃﾞｰﾀ",      "写真",     "Ä",       "ä",  "ß",     "ss",
    "\xff",      "a\xfe",    "a\xc3",   "",   "a.txt", "A.TXT",
    "a.txt.bak", "report10", "report9", "Ω",  "ω",     "\xf0\x9f\x98\x80",
    "\xe2\x82",  "é",        "É",       "e",
};

TEST(SortKey, KeyOrderIsTheCaseBlindOrder) {
    for (const auto& a : trickyNames) {
        for (const auto& b : trickyNames) {
            const int byKey = sign(foldedSortKey(a).compare(foldedSortKey(b)));
            const int expected = sign(compareNoCase(a, b));
            if (byKey != 0)
                EXPECT_EQ(byKey, expected) << a << " / " << b;
            else
                EXPECT_EQ(sign(a.compare(b)), expected) << a << " / " << b;
        }
    }
}

TEST(SortKey, SortNoCaseSortsLikeCompareNoCase) {
    std::vector<std::string> names = trickyNames;
    std::reverse(names.begin(), names.end());
    sortNoCase(names);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const auto& a, const auto& b) {
        return compareNoCase(a, b) < 0;
    }));
    EXPECT_EQ(names.size(), trickyNames.size());
    // Names that fold equal stay next to each other, in byte order.
    auto upper = std::find(names.begin(), names.end(), "A");
    ASSERT_NE(upper, names.end());
    EXPECT_EQ(*(upper + 1), "a");
}

TEST(SortKey, ViewsSortLikeCompareNoCase) {
    // Besides the tricky names: keys that first differ past their eighth
    // byte, or where one ends, and paths.
    std::vector<std::string> texts = trickyNames;
    for (const char* more : {"abcdefgh", "ABCDEFGHi", "abcdefgh\x01", "abcdefg", "a\x01",
                             "/usr/share", "/usr/Share/x", "/usr/share-x", "/usr/share/x"})
        texts.emplace_back(more);
    std::vector<std::string_view> views(texts.rbegin(), texts.rend());
    sortViewsNoCase(views);
    EXPECT_TRUE(std::is_sorted(views.begin(), views.end(),
                               [](auto a, auto b) { return compareNoCase(a, b) < 0; }));
    std::vector<std::string> sorted(views.begin(), views.end());
    std::sort(sorted.begin(), sorted.end());
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(sorted, texts);

    // A folder of more names than the sort keeps its buffers for, then a
    // small one after it.
    std::vector<std::string> many;
    for (int i = 0; i < 70000; ++i)
        many.push_back((i % 3 ? "File" : "file") + std::to_string((i * 7919) % 70000));
    std::vector<std::string_view> manyViews(many.begin(), many.end());
    sortViewsNoCase(manyViews);
    EXPECT_TRUE(std::is_sorted(manyViews.begin(), manyViews.end(),
                               [](auto a, auto b) { return compareNoCase(a, b) < 0; }));
    std::vector<std::string_view> few{"b", "A", "a"};
    sortViewsNoCase(few);
    EXPECT_EQ(few, (std::vector<std::string_view>{"A", "a", "b"}));
}

} // namespace
} // namespace kestro
