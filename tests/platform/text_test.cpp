#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kestro {
namespace {

struct Conversion {
    std::string input;
    std::string expected;
};

std::size_t countCharacters(const std::string& text) {
    // Every byte that is not a UTF-8 continuation byte starts a character;
    // for the inputs below (well-formed runs and lone foreign bytes) that is
    // the character count.
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// The Shift-JIS width, the same on every system.
TEST(TextTest, ShiftJisWidth) {
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {"", 0},
        {"abc/", 4},
        {"ｱｲｳﾞ｡ﾟ", 6},                        // half-width katakana U+FF61 to U+FF9F
        {"日本ア", 6},                        // kanji, full-width katakana
        {"\uFF60\uFFA0", 4},                  // just outside the half-width range
        {"é€😀", 6},                           // characters Shift-JIS lacks
        {std::string("a\xFF\xE3\x81", 4), 7}, // each malformed byte counts 2
    };
    for (const auto& [text, width] : cases)
        EXPECT_EQ(shiftJisWidth(text), width) << text;
}

TEST(TextTest, HalfWidthConvertsFullWidthFormsAndKatakanaOnly) {
    const std::vector<Conversion> cases = {
        {"ＡＢＣ１２３", "ABC123"},
        {"ａｂｃ", "abc"},
        {"ガギ", "ｶﾞｷﾞ"},
        {"パ", "ﾊﾟ"},
        {"ヴ", "ｳﾞ"},
        {"ー。「」、・", "ｰ｡｢｣､･"},
        {"\u3000", " "},
        {"゛゜", "ﾞﾟ"},
        {"ひらがな漢字", "ひらがな漢字"},
        {"資料＿ファイル（２）.txt", "資料_ﾌｧｲﾙ(2).txt"},
        {"C:/データ/ｶﾅ/", "C:/ﾃﾞｰﾀ/ｶﾅ/"},
        {"plain ascii.TXT", "plain ascii.TXT"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(toHalfWidth(c.input), c.expected) << c.input;
}

TEST(TextTest, UpperCaseKeepsWidthAndCharacterCount) {
    const std::vector<Conversion> cases = {
        {"ａｂｃ", "ＡＢＣ"},
        {"readme.txt", "README.TXT"},
        {"ファイルａ.txt", "ファイルＡ.TXT"},
        {"straße", "STRAßE"},
        {"ǆ", "Ǆ"},
        {"漢字かな", "漢字かな"},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::string upper = toUpperKeepLength(c.input);
        EXPECT_EQ(upper, c.expected) << c.input;
        EXPECT_EQ(countCharacters(upper), countCharacters(c.input)) << c.input;
    }
}

TEST(TextTest, ForeignBytesPassThroughBothConversions) {
    // A lone 0xFF, a truncated "ア" (E3 82) and a stray continuation byte,
    // each between characters that do change.
    const std::string input = "ア\xFFＡ\xE3\x82ガ\x80z";
    EXPECT_EQ(toHalfWidth(input), "ｱ\xFF"
                                  "A\xE3\x82ｶﾞ\x80z");
    EXPECT_EQ(toUpperKeepLength(input), "ア\xFFＡ\xE3\x82ガ\x80Z");
    EXPECT_EQ(toHalfWidth("\xC3"), "\xC3");
    EXPECT_EQ(toUpperKeepLength("a\xC3"), "A\xC3");
}

TEST(TextTest, ValidUtf8IsStrict) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"", true},
        {"abc", true},
        {"日本語", true},
        {"\xF0\x9F\x98\x80", true},  // outside the BMP
        {"\xC0\xAF", false},         // overlong "/"
        {"\xED\xA0\x80", false},     // surrogate
        {"\xF4\x90\x80\x80", false}, // beyond U+10FFFF
        {"\xE6\x97", false},         // truncated
        {"a\x80", false},            // stray continuation byte
        {"\xC3\xBD\xC4", false},     // "ﾃｽﾄ" in CP932
        // Past and across the runs of ASCII read eight bytes at a time.
        {"abcdefgh日本語abcdefghi", true},
        {"abcdefgh\x80", false},
        {"abcdefghijklm\xE6\x97", false},
        {"abcdefg\xE6\x97\xA5"
         "abcdefgh\xC0\xAF",
         false},
        {"abcdefg\xE6\x97\xA5"
         "abcdefgh",
         true},
    };
    for (const auto& [bytes, valid] : cases)
        EXPECT_EQ(isValidUtf8(bytes), valid) << bytes;
}

TEST(TextTest, DecodesShiftJisWhenNotUtf8) {
    const std::vector<Conversion> cases = {
        {"\xC3\xBD\xC4", "ﾃｽﾄ"},
        {"\x93\xFA\x96\x7B\x8C\xEA", "日本語"},
        // 0x5C is the backslash, also as the second byte of 表.
        {"C:\\\x95\x5C\\a.txt\r\n", "C:\\表\\a.txt\r\n"},
        // NEC and IBM extensions and the Windows wave dash.
        {"\x87\x40\xFA\x40\x81\x60\x87\x82", "①ⅰ～№"},
        // Bytes CP932 does not define become the replacement character.
        {"\x93\xFA\xA0", "日\uFFFD"},
    };
    for (const auto& c : cases) {
        bool unreadable = false;
        EXPECT_EQ(decodeTextFile(c.input, &unreadable), c.expected) << c.expected;
        EXPECT_EQ(unreadable, c.expected.find("\uFFFD") != std::string::npos) << c.expected;
    }
    // Every byte below 0x80 is its ASCII character, the controls 0x1A (a DOS
    // end of file), 0x1C and 0x7F included.
    std::string ascii;
    for (int byte = 0; byte < 0x80; ++byte)
        ascii += static_cast<char>(byte);
    EXPECT_EQ(decodeTextFile(ascii + "\x93\xFA"), ascii + "日");
}

TEST(TextTest, DecodesLongShiftJisText) {
    std::string bytes;
    std::string expected;
    for (int i = 0; i < 10000; ++i) {
        bytes += "\x83\x65\x83\x58\x83\x67 " + std::to_string(i) + "\r\n";
        expected += "テスト " + std::to_string(i) + "\r\n";
    }
    EXPECT_EQ(decodeTextFile(bytes), expected);
}

TEST(TextTest, KeepsUtf8AndDropsItsByteOrderMark) {
    EXPECT_EQ(decodeTextFile("ﾃｽﾄ 日本語\r\n"), "ﾃｽﾄ 日本語\r\n");
    EXPECT_EQ(decodeTextFile("\xEF\xBB\xBF日本語"), "日本語");
    // The mark decides even when a stray byte follows.
    bool unreadable = false;
    EXPECT_EQ(decodeTextFile("\xEF\xBB\xBF"
                             "a\xFF",
                             &unreadable),
              "a\xFF");
    EXPECT_TRUE(unreadable);
    EXPECT_EQ(decodeTextFile("\xEF\xBB\xBF日本語", &unreadable), "日本語");
    EXPECT_FALSE(unreadable);
    EXPECT_EQ(decodeTextFile(""), "");
    EXPECT_EQ(encodeTextFile("日本語\r\n"), "日本語\r\n");
}

TEST(TextTest, EncodesEachWayAndTellsHowItWasRead) {
    const std::string text = "ﾃｽﾄ 日本語,①\\~\x1A\x1C\x7F\r\n";
    const std::string sjis = "\xC3\xBD\xC4 \x93\xFA\x96\x7B\x8C\xEA,\x87\x40\\~\x1A\x1C\x7F\r\n";
    EXPECT_EQ(encodeTextFile(text, TextEncoding::Utf8), text);
    EXPECT_EQ(encodeTextFile(text, TextEncoding::Utf8Bom), "\xEF\xBB\xBF" + text);
    EXPECT_EQ(encodeTextFile(text, TextEncoding::ShiftJis), sjis);
    for (const auto encoding :
         {TextEncoding::Utf8, TextEncoding::Utf8Bom, TextEncoding::ShiftJis}) {
        TextEncoding found = TextEncoding::Utf8;
        EXPECT_EQ(decodeTextFile(*encodeTextFile(text, encoding), nullptr, &found), text);
        EXPECT_EQ(found, encoding);
    }
}

TEST(TextTest, ShiftJisRefusesTheFirstCharacterItCannotHold) {
    struct Case {
        std::string text;
        std::size_t line;
        std::string character;
    };
    const std::vector<Case> cases = {
        {"a\né\n", 2, "é"},
        {"日本\r\n語\r\n😀 and é", 3, "😀"},
        {"¥", 1, "¥"},              // 0x5C is the backslash
        {"x\n\ny\xFF", 3, "\\xFF"}, // a byte that is not UTF-8
    };
    for (const auto& c : cases) {
        UnencodableCharacter refused;
        EXPECT_EQ(encodeTextFile(c.text, TextEncoding::ShiftJis, &refused), std::nullopt) << c.text;
        EXPECT_EQ(refused.line, c.line) << c.text;
        EXPECT_EQ(refused.character, c.character) << c.text;
    }
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

TEST(TextTest, CompareNoCaseFoldsThenOrdersByBytes) {
    struct Case {
        std::string a;
        std::string b;
        int expected;
    };
    const std::vector<Case> cases = {
        {"a", "B", -1},          {"B", "a", 1},
        {"abc", "ABD", -1},      {"abc", "abcd", -1},
        {"abc", "abc", 0},       {"ABC", "abc", -1}, // equal folded: by bytes
        {"ａｂ", "Ａｃ", -1},    {"Ａ", "ａ", -1},
        {"b.txt", "B2.txt", -1}, {"z", "\xFF", -1}, // foreign bytes after every character
        {"x\xFE", "x\xFF", -1},  {"にほん", "日本", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sign(compareNoCase(c.a, c.b)), c.expected) << c.a << " / " << c.b;
        EXPECT_EQ(sign(compareNoCase(c.b, c.a)), -c.expected) << c.b << " / " << c.a;
    }
}

} // namespace
} // namespace kestro
