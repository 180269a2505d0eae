#include "document/document_file.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
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

TEST(DocumentFile, ReadFailuresNameTheFile) {
    test::TempTree tree;
    tree.folder("folder");
    tree.fifo("pipe");
    struct Case {
        std::string path;
        int number;
    };
    const std::vector<Case> cases = {
        {tree / "missing.txt", 53},
        {tree / "no-folder/missing.txt", 53},
        {tree / "folder", 75},
        {tree / "pipe", 75}, // never waits for a writer
    };
    for (const Case& c : cases) {
        auto read = readDocumentFile(c.path);
        ASSERT_FALSE(read.ok()) << c.path;
        EXPECT_EQ(read.failure().number, c.number) << c.path;
        EXPECT_NE(read.failure().description.find(c.path), std::string::npos)
            << read.failure().description;
    }
}

TEST(DocumentFile, FailedSaveLeavesTheOldFile) {
    test::TempTree tree;
    tree.chmod(".", 0755);
    const std::string old = "the saved list\r\n";
    const std::string path = tree.file("ro/list.txt", old);
    tree.chmod("ro/list.txt", 0666);
    const std::string gone = tree / "gone/list.txt";

    // A folder that vanished.
    Status missing = writeDocumentFile(gone, "x\n");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().number, 76);
    EXPECT_NE(missing.failure().description.find(gone), std::string::npos);

    // A file the user may write in a folder the user may not: the old file
    // stays whole.
    tree.chmod("ro", 0555);
    const int status = test::runAsUnprivileged([&] {
        Status denied = writeDocumentFile(path, "new text\n");
        if (denied.ok() || denied.failure().number != 70)
            return 1;
        return test::readFile(path) == old ? 0 : 2;
    });
    tree.chmod("ro", 0755);
    if (status == -1)
        GTEST_SKIP() << "cannot drop privileges";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readFile(path), old);
}

} // namespace
} // namespace kestro
