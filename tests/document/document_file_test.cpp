#include "document/document_file.h"
#include "document/document_reader.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestro {
namespace {

struct LineEnds {
    std::string pane;
    std::string file;
};

TEST(DocumentFile, LineEndsBothWays) {
    const std::vector<LineEnds> cases = {
        {"", ""},
        {"a", "a"},
        {"a\n", "a\r\n"},
        {"a\nb\n\nc", "a\r\nb\r\n\r\nc"},
        {"\n\n", "\r\n\r\n"},
        {"日本語\tｶﾅ\n", "日本語\tｶﾅ\r\n"},
    };
    for (const LineEnds& c : cases) {
        EXPECT_EQ(toFileLineEnds(c.pane), c.file) << c.pane;
        EXPECT_EQ(toPaneLineEnds(c.file), c.pane) << c.pane;
    }
    // Lone CRs and mixed ends from other programs.
    EXPECT_EQ(toPaneLineEnds("a\rb\r\nc\nd\r"), "a\nb\nc\nd\n");
    EXPECT_EQ(toPaneLineEnds("\r\r\n\n"), "\n\n\n");
    // Writing never doubles a CR that is already there.
    EXPECT_EQ(toFileLineEnds("a\r\nb\rc"), "a\r\nb\r\nc");
}

TEST(DocumentFile, WritesUtf8WithCrLfAndReadsItBack) {
    test::TempTree tree;
    const std::string path = tree / "list.txt";
    const std::string text = "C:/データ/\n資料1.txt\t12\n\nｶﾅ.TXT\n";
    ASSERT_TRUE(writeDocumentFile(path, text).ok());
    EXPECT_EQ(test::readFile(path), "C:/データ/\r\n資料1.txt\t12\r\n\r\nｶﾅ.TXT\r\n");
    auto read = readDocumentFile(path);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value(), text);
}

TEST(DocumentFile, EmptyTextMakesEmptyFile) {
    test::TempTree tree;
    const std::string path = tree.file("old.txt", "old content\r\n");
    ASSERT_TRUE(writeDocumentFile(path, "").ok());
    EXPECT_EQ(test::readFile(path), "");
    auto read = readDocumentFile(path);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value(), "");
}

TEST(DocumentFile, ReadsShiftJisAndDropsUtf8Mark) {
    test::TempTree tree;
    // "日本語リスト\r\nｶﾅ\r\n" in Shift-JIS (CP932).
    const std::string sjis = "\x93\xfa\x96\x7b\x8c\xea\x83\x8a\x83\x58\x83\x67\r\n\xb6\xc5\r\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {sjis, "日本語リスト\nｶﾅ\n"},
        {"\xEF\xBB\xBF"
         "日本語\r\n",
         "日本語\n"},
        {"plain\rold mac\r", "plain\nold mac\n"},
    };
    int index = 0;
    for (const auto& [bytes, text] : cases) {
        const std::string path = tree.file("in" + std::to_string(index++) + ".txt", bytes);
        auto read = readDocumentFile(path);
        ASSERT_TRUE(read.ok()) << path;
        EXPECT_EQ(read.value(), text) << path;
    }
}

// The pieces of the block reader, put together, are the whole file's text;
// a file found not to be UTF-8 after pieces were given starts over once.
TEST(DocumentFile, BlockReaderGivesTheWholeFilesText) {
    test::TempTree tree;
    const std::string line = "/データ/資料/\tﾌｧｲﾙ.txt\t12\r\n";
    std::string lines;
    while (lines.size() < DocumentReader::BlockBytes + 1000)
        lines += line;
    const std::string sjisLine = "\x93\xfa\x96\x7b\xb6\xc5\r\n"; // 日本ｶﾅ
    struct Case {
        std::string bytes;
        bool startsOver;
    };
    const std::vector<Case> cases = {
        {"", false},
        {"\xEF\xBB\xBF", false},
        {"a\rb\r\nc", false},
        {lines, false},
        {"\xEF\xBB\xBF" + lines + "stray \xff\r\n", false},
        {sjisLine + lines, false},
        // Not UTF-8 only after the first block.
        {lines + sjisLine + sjisLine, true},
        // One line longer than a block.
        {std::string(DocumentReader::BlockBytes + 10, 'x') + "\r\n" + sjisLine, false},
    };
    int index = 0;
    for (const Case& c : cases) {
        const std::string path = tree.file("f" + std::to_string(index++) + ".txt", c.bytes);
        bool unreadable = false;
        TextEncoding encoding = TextEncoding::Utf8;
        auto whole = readDocumentFile(path, &unreadable, &encoding);
        ASSERT_TRUE(whole.ok()) << index;
        auto reader = DocumentReader::open(path);
        ASSERT_TRUE(reader.ok()) << index;
        std::string text;
        int startedOver = 0;
        for (;;) {
            auto piece = reader.value().next();
            ASSERT_TRUE(piece.ok()) << index;
            if (reader.value().startedOver()) {
                ++startedOver;
                text.clear();
            }
            if (piece.value().empty())
                break;
            text += piece.value();
        }
        EXPECT_TRUE(text == whole.value()) << index;
        EXPECT_EQ(startedOver, c.startsOver ? 1 : 0) << index;
        EXPECT_EQ(reader.value().unreadable(), unreadable) << index;
        EXPECT_EQ(reader.value().encoding(), encoding) << index;
    }
    // Failures as the whole-file reader gives them.
    for (const std::string& path : {tree / "missing.txt", tree / "no/folder.txt", tree.path()})
        EXPECT_EQ(DocumentReader::open(path).failure().number,
                  readDocumentFile(path).failure().number)
            << path;
}

TEST(DocumentFile, WritesEachEncodingAndRefusesWhatShiftJisCannotHold) {
    test::TempTree tree;
    const std::string path = tree.file("list.txt", "old content\r\n");
    const std::vector<std::pair<TextEncoding, std::string>> cases = {
        {TextEncoding::Utf8, "ｶﾅ 日本\r\n"},
        {TextEncoding::Utf8Bom, "\xEF\xBB\xBFｶﾅ 日本\r\n"},
        {TextEncoding::ShiftJis, "\xB6\xC5 \x93\xFA\x96\x7B\r\n"},
    };
    for (const auto& [encoding, bytes] : cases) {
        ASSERT_TRUE(writeDocumentFile(path, "ｶﾅ 日本\n", encoding).ok());
        EXPECT_EQ(test::readFile(path), bytes);
        TextEncoding found = TextEncoding::Utf8;
        auto read = readDocumentFile(path, nullptr, &found);
        ASSERT_TRUE(read.ok());
        EXPECT_EQ(read.value(), "ｶﾅ 日本\n"); // the mark is not shown
        EXPECT_EQ(found, encoding);
    }
    UnencodableCharacter refused;
    Status saved =
        writeDocumentFile(path, "新しい\n一覧\ncafé\n", TextEncoding::ShiftJis, &refused);
    ASSERT_FALSE(saved.ok());
    EXPECT_EQ(saved.failure().number, UnencodableFailure);
    EXPECT_EQ(saved.failure().description,
              "3 行目の「é」はシフトJIS (CP932) にない文字のため、書き込めません。");
    EXPECT_EQ(refused.line, 3u);
    EXPECT_EQ(test::readFile(path), cases.back().second); // untouched
}

} // namespace
} // namespace kestro
