// Comparing a tree with a list saved before it changed: every format and
// encoding a list is saved in, the checksum column, the refusals, and the
// list made now read in any blocks. The exact difference list is a golden
// file of the command line.

#include "compare/comparing_host.h"
#include "document/document_file.h"
#include "listgen/list_engine.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/recording_host.h"
#include "support/temp_tree.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace kestro {
namespace {

using test::RecordingHost;
using test::TempTree;

class ListComparisonTest : public ::testing::Test {
protected:
    TempTree tree;
    TempTree spool;
    test::ScopedEnv zone{"TZ", "UTC"};

    ListComparisonTest() {
        tree.file("list/a/keep.txt", "same");
        tree.file("list/a/grow.txt", "12");
        tree.file("list/a/semi;colon.txt", "x");
        tree.file("list/a/日本語.txt", "x");
        tree.file("list/b/gone.txt", "x");
        tree.file("list/b/keep.txt", "same");
        // A folder that comma-separated values quote.
        tree.file("list/c,d/keep.txt", "same");
        // The same times before and after: only the contents change.
        for (const char* name : {"a/keep.txt", "a/grow.txt", "a/semi;colon.txt", "a/日本語.txt",
                                 "b/gone.txt", "b/keep.txt", "c,d/keep.txt"})
            tree.setTimes(std::string("list/") + name, 1000000000, 1000000000);
    }

    ListOptions optionsWith(const std::function<void(ListOptions&)>& change) {
        ListOptions options;
        options.rootFolder = tree / "list/";
        options.sizeColumn = true;
        options.writeTimeColumn = true;
        change(options);
        return options;
    }

    std::string makeList(const ListOptions& options) {
        RecordingHost host(options);
        EXPECT_EQ(runCreateCommand(host, spool.path()), RunOutcome::Listed);
        return host.list;
    }

    void change() {
        tree.file("list/a/grow.txt", "12345");
        tree.setTimes("list/a/grow.txt", 1000000000, 1000000000);
        tree.remove("list/b/gone.txt");
        tree.file("list/b/new.txt", "n");
        tree.setTimes("list/b/new.txt", 1000000000, 1000000000);
    }

    // Compares the tree with `saved` (the saved file's bytes).
    RecordingHost compare(const std::string& saved, const ListOptions& options,
                          Failure* refused = nullptr) {
        const std::string path = tree.file("saved.txt", saved);
        RecordingHost host(options);
        auto list = SavedList::read(path, options);
        if (!list) {
            if (refused)
                *refused = list.failure();
            else
                ADD_FAILURE() << list.failure().description;
            return host;
        }
        ComparingHost comparing(host, list.value());
        EXPECT_EQ(runCreateCommand(comparing, spool.path()), RunOutcome::Listed);
        if (comparing.counts())
            host.events.push_back("counts:" + comparing.counts()->text());
        return host;
    }
};

bool counted(const RecordingHost& host, const std::string& counts) {
    return std::find(host.events.begin(), host.events.end(), "counts:" + counts) !=
           host.events.end();
}

bool hasRecord(const std::string& list, std::string_view mark, std::string_view name) {
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t end = list.find('\n', start);
        const std::string_view line(list.data() + start, end - start);
        if (line.substr(0, mark.size()) == mark && line.find(name) != std::string_view::npos)
            return true;
        start = end + 1;
    }
    return false;
}

TEST_F(ListComparisonTest, EveryFormatAndEncodingOfASavedList) {
    struct Row {
        const char* what;
        std::function<void(ListOptions&)> options;
        TextEncoding encoding;
        bool byNameAlone;
    };
    const Row rows[] = {
        {"tab, folder lines", [](ListOptions&) {}, TextEncoding::Utf8, false},
        {"';', path column, leading tab, LF",
         [](ListOptions& o) {
             o.separator = ";";
             o.pathColumn = true;
             o.leadingTab = true;
             o.lineFeedOnly = true;
         },
         TextEncoding::Utf8Bom, false},
        {"' : ', joined path, no folder lines, totals",
         [](ListOptions& o) {
             o.separator = " : ";
             o.pathColumn = o.joinPathAndName = true;
             o.insertPathLine = false;
             o.totals = true;
         },
         TextEncoding::ShiftJis, false},
        {"CSV, leading cell, totals",
         [](ListOptions& o) { o.csv = o.leadingTab = o.totals = true; }, TextEncoding::Utf8, false},
        {"CSV, path column, no folder lines",
         [](ListOptions& o) {
             o.csv = o.pathColumn = true;
             o.insertPathLine = false;
         },
         TextEncoding::ShiftJis, false},
        {"names alone",
         [](ListOptions& o) {
             o.insertPathLine = false;
             o.separator = "|";
         },
         TextEncoding::Utf8, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const ListOptions options = optionsWith(row.options);
        const auto saved = encodeTextFile(makeList(options), row.encoding);
        ASSERT_TRUE(saved);
        change();
        RecordingHost host = compare(*saved, options);
        EXPECT_TRUE(counted(host, "追加 1  削除 1  変更 1")) << host.list;
        const std::string separator = options.csv ? "," : options.separator;
        EXPECT_TRUE(hasRecord(host.list, "'+" + separator, "new.txt") ||
                    hasRecord(host.list, "+" + separator, "new.txt"))
            << host.list;
        EXPECT_TRUE(hasRecord(host.list, "-" + separator, "gone.txt") ||
                    hasRecord(host.list, "'-" + separator, "gone.txt"))
            << host.list;
        EXPECT_TRUE(hasRecord(host.list, "~" + separator, "grow.txt")) << host.list;
        EXPECT_NE(host.list.find("2 Byte → 5 Byte"), std::string::npos) << host.list;
        EXPECT_EQ(host.notes.size(), row.byNameAlone ? 1u : 0u);
        // Back to the first state for the next row.
        tree.file("list/a/grow.txt", "12");
        tree.setTimes("list/a/grow.txt", 1000000000, 1000000000);
        tree.file("list/b/gone.txt", "x");
        tree.setTimes("list/b/gone.txt", 1000000000, 1000000000);
        tree.remove("list/b/new.txt");
    }
}

TEST_F(ListComparisonTest, AListOfTheSameTreeElsewhereMatchesFromTheTreesStart) {
    for (const bool pathColumn : {true, false}) {
        SCOPED_TRACE(pathColumn ? "path column" : "folder lines");
        ListOptions options = optionsWith([&](ListOptions& o) { o.pathColumn = pathColumn; });
        const std::string saved = makeList(options);
        std::filesystem::rename(tree / "list", tree / "copy");
        tree.file("copy/b/new.txt", "n");
        tree.setTimes("copy/b/new.txt", 1000000000, 1000000000);
        options.rootFolder = tree / "copy/";
        RecordingHost host = compare(saved, options);
        EXPECT_TRUE(counted(host, "追加 1  削除 0  変更 0")) << host.list;
        ASSERT_EQ(host.notes.size(), 1u);
        const std::string separator(1, PathSeparator);
        EXPECT_NE(host.notes[0].find("list" + separator + "」を今の「"), std::string::npos)
            << host.notes[0];
        EXPECT_NE(host.notes[0].find("copy" + separator + "」"), std::string::npos);
        tree.remove("copy/b/new.txt");
        std::filesystem::rename(tree / "copy", tree / "list");
    }
}

// A list of the tree compared with one of its sub-folders: the saved files
// outside it are out of scope (counted in a note, not removed). A list of a
// sub-folder compared with the whole tree: the files it never held are new.
TEST_F(ListComparisonTest, ASubFolderOrAParentOfTheSavedTree) {
    for (const bool pathColumn : {false, true}) {
        SCOPED_TRACE(pathColumn ? "path column" : "folder lines");
        ListOptions whole = optionsWith([&](ListOptions& o) { o.pathColumn = pathColumn; });
        ListOptions part = whole;
        part.rootFolder = tree / "list/a/";
        RecordingHost sub = compare(makeList(whole), part);
        EXPECT_TRUE(counted(sub, "追加 0  削除 0  変更 0")) << sub.list;
        ASSERT_EQ(sub.notes.size(), 1u);
        EXPECT_NE(sub.notes[0].find(" 3 個は、今の「" + tree / "list/a/" + "」の外"),
                  std::string::npos)
            << sub.notes[0];
        RecordingHost parent = compare(makeList(part), whole);
        EXPECT_TRUE(counted(parent, "追加 3  削除 0  変更 0")) << parent.list;
        EXPECT_TRUE(parent.notes.empty());
    }
}

// Two names a list would once have written alike are two files: the formula
// guard of comma-separated values, a tab and its picture in other lists.
TEST_F(ListComparisonTest, NamesThatOncePrintedAlikeAreTwoFiles) {
    struct Row {
        const char* what;
        bool csv;
        std::string kept;
        std::string gone;
    };
    const Row rows[] = {
        {"guard, the plain one gone", true, "'=x", "=x"},
        {"guard, the guarded one gone", true, "=x", "'=x"},
        {"picture, the tab gone", false, "t␉b", "t\tb"},
        {"picture, the picture gone", false, "t\tb", "t␉b"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        // Windows names cannot hold a tab.
        if (PathSeparator == '\\' && (row.kept + row.gone).find('\t') != std::string::npos)
            continue;
        tree.file("pair/" + row.kept, "1");
        tree.file("pair/" + row.gone, "22");
        ListOptions options = optionsWith([&](ListOptions& o) { o.csv = row.csv; });
        options.rootFolder = tree / "pair/";
        options.writeTimeColumn = false;
        const std::string saved = makeList(options);
        tree.remove("pair/" + row.gone);
        RecordingHost host = compare(saved, options);
        EXPECT_TRUE(counted(host, "追加 0  削除 1  変更 0")) << host.list;
        EXPECT_NE(host.list.find("2 Byte"), std::string::npos) << host.list;
        tree.remove("pair");
    }
}

// Equal keys cost no more than others: a line repeated in the saved list and
// a name in every folder of a list matched by name alone.
TEST_F(ListComparisonTest, RepeatedKeysCostTheSameAsOthers) {
    // Quadratic, this takes minutes; each key once, well under a second.
    constexpr int Files = 300000;
    const int status = test::runWithTimeout(
        [&] {
            std::string saved = "ﾌｧｲﾙ名\n";
            std::string current = "ﾌｧｲﾙ名\n";
            for (int i = 0; i < Files; ++i) {
                saved += "data.txt\n";
                current += "/f" + std::to_string(i) + "/\ndata.txt\n";
            }
            ListOptions options;
            options.rootFolder = "/";
            options.insertPathLine = false;
            auto list = SavedList::fromText(saved, options);
            if (!list)
                return 1;
            ListComparison comparison(list.value(), list.value().comparisonOptions(options));
            class Whole : public ListText {
            public:
                explicit Whole(const std::string& text) : text_(text) {}
                std::size_t size() const override { return text_.size(); }
                Result<std::string_view> nextBlock(std::size_t maxBytes) override {
                    const std::string_view block = std::string_view(text_).substr(read_, maxBytes);
                    read_ += block.size();
                    return block;
                }
                void rewind() override { read_ = 0; }

            private:
                const std::string& text_;
                std::size_t read_ = 0;
            } made(current);
            if (!comparison.compare(made, [] { return true; }))
                return 2;
            return comparison.counts().any() ? 3 : 0;
        },
        20);
    EXPECT_EQ(status, 0) << "1: not read, 2: not compared, 3: differences, -1: too slow";
}

// A Shift-JIS list with bytes that are no characters is said once; a NUL
// (no list holds one) reaches the difference list as its picture.
TEST_F(ListComparisonTest, WhatASavedFileHoldsThatIsNoTextIsSaidOrShown) {
    const ListOptions options = optionsWith([](ListOptions& o) {
        o.sizeColumn = o.writeTimeColumn = false;
        o.subFolders = false;
    });
    const std::string folder = tree / "list/";
    // "ﾌｧｲﾙ名" in Shift-JIS, and 0xA0, which CP932 does not define.
    RecordingHost sjis = compare(
        "\xCC\xA7\xB2\xD9\x96\xBC\r\n\r\n" + folder + "\r\nx\xA0y.txt\r\nz\xA0.txt\r\n", options);
    EXPECT_EQ(
        std::count(sjis.notes.begin(), sjis.notes.end(), std::string(UnreadableCharactersNote)), 1)
        << sjis.list;
    std::string nul = "ﾌｧｲﾙ名\r\n\r\n" + folder + "\r\nnul";
    nul += '\0';
    nul += "name.txt\r\n";
    RecordingHost shown = compare(nul, options);
    EXPECT_NE(shown.list.find(PathSeparator + std::string("\tnul␀name.txt\r\n")), std::string::npos)
        << shown.list;
    EXPECT_EQ(shown.list.find('\0'), std::string::npos);
}

TEST_F(ListComparisonTest, ASavedFileOfSeveralListsIsComparedWithTheLast) {
    const ListOptions options = optionsWith([](ListOptions&) {});
    const std::string older = makeList(options);
    change();
    RecordingHost host = compare(older + makeList(options), options);
    EXPECT_TRUE(counted(host, "追加 0  削除 0  変更 0")) << host.list;
    ASSERT_EQ(host.notes.size(), 1u);
    EXPECT_NE(host.notes[0].find("一覧が 2 個"), std::string::npos) << host.notes[0];
}

TEST_F(ListComparisonTest, TheChecksumFindsContentsChangedUnderTheSameSizeAndTimes) {
    const ListOptions options = optionsWith([](ListOptions& o) { o.hashColumn = true; });
    const std::string saved = makeList(options);
    tree.file("list/a/keep.txt", "SAME");
    tree.setTimes("list/a/keep.txt", 1000000000, 1000000000);
    RecordingHost host = compare(saved, options);
    EXPECT_TRUE(hasRecord(host.list, "~\t", "keep.txt")) << host.list;
    EXPECT_NE(host.list.find(" → "), std::string::npos);
    EXPECT_TRUE(counted(host, "追加 0  削除 0  変更 1"));

    // Without the checksum the same change goes unseen.
    const ListOptions plain = optionsWith([](ListOptions&) {});
    const std::string before = makeList(plain);
    tree.file("list/a/keep.txt", "same");
    tree.setTimes("list/a/keep.txt", 1000000000, 1000000000);
    EXPECT_TRUE(counted(compare(before, plain), "追加 0  削除 0  変更 0"));
}

TEST_F(ListComparisonTest, RefusesListsItCannotCompare) {
    const std::string saved = makeList(optionsWith([](ListOptions&) {}));
    struct Row {
        const char* what;
        std::string text;
        ListOptions options;
        std::vector<std::string> named;
    };
    ListOptions withAttributes = optionsWith([](ListOptions& o) {
        o.sizeColumn = false;
        o.attributeColumn = true;
    });
    ListOptions md5 = optionsWith([](ListOptions& o) {
        o.hashColumn = true;
        o.hashAlgorithm = 1;
    });
    const Row rows[] = {
        {"other columns", saved, withAttributes, {"ﾌｧｲﾙｻｲｽﾞ", "属性"}},
        {"other digest", saved, md5, {"ﾊｯｼｭ(MD5)"}},
        {"not a list", "hello\nworld\n", optionsWith([](ListOptions&) {}), {"1 行目"}},
        {"no separator", "ﾌｧｲﾙ名ﾌｧｲﾙｻｲｽﾞ\n", optionsWith([](ListOptions&) {}), {"区切り文字"}},
        {"a line that is no list line",
         saved + "a\tb\n",
         optionsWith([](ListOptions&) {}),
         {"行目"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Failure refused;
        RecordingHost host = compare(row.text, row.options, &refused);
        EXPECT_EQ(refused.number, ComparisonFailure);
        for (const std::string& name : row.named)
            EXPECT_NE(refused.description.find(name), std::string::npos) << refused.description;
        EXPECT_EQ(host.acceptCount, 0);
    }
}

TEST_F(ListComparisonTest, AbortWhileComparingReportsTheAbortAndHandsNothingOver) {
    const ListOptions options = optionsWith([](ListOptions&) {});
    auto saved = SavedList::read(tree.file("saved.txt", makeList(options)), options);
    ASSERT_TRUE(saved);
    RecordingHost host(options);
    host.onYield = [&](int, const std::string& phase) {
        host.abort = host.abort || phase == "一覧と比較中...";
    };
    ComparingHost comparing(host, saved.value());
    EXPECT_EQ(runCreateCommand(comparing, spool.path()), RunOutcome::Failed);
    EXPECT_EQ(host.acceptCount, 0);
    EXPECT_NE(std::find(host.events.begin(), host.events.end(),
                        std::string("abort:") + AbortText + "|" + AbortTitle),
              host.events.end());
    EXPECT_FALSE(comparing.counts());
}

// The list made now, one byte at a time: records and CR LF pairs cut
// anywhere read the same.
class ByteByByte : public ListText {
public:
    explicit ByteByByte(std::string text) : text_(std::move(text)) {}
    std::size_t size() const override { return text_.size(); }
    Result<std::string_view> nextBlock(std::size_t) override {
        return std::string_view(text_).substr(std::min(read_++, text_.size()), 1);
    }
    void rewind() override { read_ = 0; }

private:
    std::string text_;
    std::size_t read_ = 0;
};

TEST_F(ListComparisonTest, TheListMadeNowReadsTheSameInAnyBlocks) {
    // Names no Windows file may have: quotes and a line break in a quoted
    // cell, read against the same list cut into single bytes.
    const std::string folder = std::string("top") + PathSeparator;
    const std::string list = "ﾌｧｲﾙ名,ﾌｧｲﾙｻｲｽﾞ,更新日時\r\n" + folder +
                             "\r\n\"quote\"\"and\r\nline.txt\",1 Byte,2001/09/09 01:46:40\r\n"
                             "plain.txt,\"1,024 Byte\",2001/09/09 01:46:40\r\n";
    ListOptions options = optionsWith([](ListOptions& o) { o.csv = true; });
    options.rootFolder = folder;
    auto saved = SavedList::fromText(toPaneLineEnds(list), options);
    ASSERT_TRUE(saved) << saved.failure().description;
    ListComparison comparison(saved.value(), options);
    ByteByByte current(list);
    ASSERT_TRUE(comparison.compare(current, [] { return true; }));
    EXPECT_FALSE(comparison.counts().any()) << comparison.differenceList();
}

} // namespace
} // namespace kestro
