#include "listgen/line_formatter.h"
#include "listgen/list_writer.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

// One file's line as the separated writer starts a folder's group with it.
std::string line(const ListOptions& options, const std::string& folder, const std::string& name,
                 const FileFacts* facts = nullptr) {
    LineFormatter formatter(options);
    SeparatedListWriter writer(options);
    formatter.beginFolder(folder);
    std::string body;
    writer.beginFolder(nullptr, body);
    ListRecord record;
    formatter.fileRecord(record, name, facts);
    writer.file(record, body);
    return body;
}

// The header line without its line end.
std::string header(const ListOptions& options) {
    std::string text;
    SeparatedListWriter(options).header(LineFormatter(options).headerRecord(), text);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    return text.substr(0, text.size() - 2);
}

TEST(LineFormatter, HeaderForEveryPathAndJoinCombination) {
    struct Case {
        bool path;
        bool join;
        const char* separator;
        const char* expected;
    };
    const Case cases[] = {
        {false, false, "\t", "ﾌｧｲﾙ名\t拡張子\t属性"},
        {false, true, "\t", "ﾌｧｲﾙ名\t拡張子\t属性"},
        {true, false, "\t", "ﾊﾟｽ名\tﾌｧｲﾙ名\t拡張子\t属性"},
        {true, true, "\t", "ﾊﾟｽ名 ﾌｧｲﾙ名\t拡張子\t属性"},
        {true, false, "", "ﾊﾟｽ名ﾌｧｲﾙ名拡張子属性"},
        {true, true, "", "ﾊﾟｽ名 ﾌｧｲﾙ名拡張子属性"},
        {false, false, ", ", "ﾌｧｲﾙ名, 拡張子, 属性"},
    };
    for (const auto& c : cases) {
        ListOptions options;
        options.pathColumn = c.path;
        options.joinPathAndName = c.join;
        options.separator = c.separator;
        options.extensionColumn = true;
        options.attributeColumn = true;
        EXPECT_EQ(header(options), c.expected);
    }
}

TEST(LineFormatter, AllColumnTitlesInTheirFixedOrder) {
    ListOptions options;
    options.separator = "|";
    options.accessTimeColumn = options.writeTimeColumn = options.creationTimeColumn = true;
    options.fileTypeColumn = options.attributeColumn = options.sizeColumn = true;
    options.extensionColumn = true;
    EXPECT_EQ(header(options), "ﾌｧｲﾙ名|拡張子|ﾌｧｲﾙｻｲｽﾞ|属性|ﾌｧｲﾙﾀｲﾌﾟ|作成日時|更新日時|アクセス日");
    // Only columns such as the size read a file's facts.
    EXPECT_TRUE(LineFormatter(options).needsFacts());
    options.sizeColumn = options.attributeColumn = false;
    options.creationTimeColumn = options.writeTimeColumn = options.accessTimeColumn = false;
    EXPECT_FALSE(LineFormatter(options).needsFacts());
}

TEST(LineFormatter, PathCellPrecedence) {
    const std::string folder = "/data/ﾃﾞｰﾀ/ａｂ/";
    struct Case {
        bool shortPath, half, upper;
        std::string expected;
    };
    const Case cases[] = {
        {false, false, false, folder},
        {false, true, false, "/data/ﾃﾞｰﾀ/ab/"},
        {false, false, true, "/DATA/ﾃﾞｰﾀ/ＡＢ/"},
        {false, true, true, "/DATA/ﾃﾞｰﾀ/AB/"},
        // The short path wins over both conversions.
        {true, true, true, folder},
    };
    for (const auto& c : cases) {
        ListOptions options;
        options.pathColumn = true;
        options.shortPath = c.shortPath;
        options.halfWidthFolder = c.half;
        options.upperCaseFolder = c.upper;
        EXPECT_EQ(line(options, folder, "f"), "\r\n" + c.expected + "\tf");
    }
}

TEST(LineFormatter, NameCellPrecedence) {
    struct Case {
        bool shortName, upper, half, dropExtension;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {false, false, false, false, "Readme.txt", "Readme.txt"},
        {false, true, false, false, "Readme.txt", "README.TXT"},
        // The short name is not upper-cased further, but half-width applies.
        {true, true, false, false, "Readme.txt", "Readme.txt"},
        {true, false, true, false, "ﾌｧｲﾙＡ.txt", "ﾌｧｲﾙA.txt"},
        {false, true, true, false, "ｒｅａｄ.txt", "READ.TXT"},
        {false, false, false, true, "archive.tar.gz", "archive"},
        {false, false, false, true, ".profile", ""},
        // The extension is cut at the listed name's first dot, then converted.
        {false, true, false, true, "Readme.txt", "README"},
        {false, false, true, true, "ａ．ｂ.txt", "a.b"},
    };
    for (const auto& c : cases) {
        ListOptions options;
        options.shortName = c.shortName;
        options.upperCaseName = c.upper;
        options.halfWidthName = c.half;
        options.dropExtension = c.dropExtension;
        EXPECT_EQ(line(options, "/f/", c.name), c.expected) << c.name;
    }
}

TEST(LineFormatter, CellsSeparatorsAndLeadingTab) {
    FileFacts facts;
    facts.size = 0;
    facts.attributes = 1 | 2 | 4;
    ListOptions options;
    options.separator = "";
    options.extensionColumn = true;
    options.sizeColumn = true;
    options.attributeColumn = true;
    options.leadingTab = true;
    // Without a separator the cells run together; the zero size has no digits.
    EXPECT_EQ(line(options, "/f/", "a.b", &facts), "\ta.bb ByteR-HS");

    options.pathColumn = true;
    options.joinPathAndName = true;
    EXPECT_EQ(line(options, "/f/", "name", &facts), "\r\n\t/f/name Byte"
                                                    "R-HS");
}

TEST(LineFormatter, FileTypeCellMadeUpForUnregisteredExtensions) {
    ListOptions options;
    options.fileTypeColumn = true;
    EXPECT_EQ(line(options, "/f/", "x.zzqqabc"), "x.zzqqabc\tZZQQABC ﾌｧｲﾙ");
    EXPECT_EQ(line(options, "/f/", "noext"), "noext\t ﾌｧｲﾙ");
}

TEST(LineFormatter, LinesOfAFolderAndTheWritersLineEnd) {
    ListOptions options;
    for (bool lineFeedOnly : {false, true}) {
        options.lineFeedOnly = lineFeedOnly;
        const std::string end = lineFeedOnly ? "\n" : "\r\n";
        LineFormatter formatter(options);
        SeparatedListWriter writer(options);
        formatter.beginFolder("/f/");
        std::string body;
        writer.beginFolder(nullptr, body);
        ListRecord record;
        for (const char* name : {"one", "two"}) {
            formatter.fileRecord(record, name, nullptr);
            writer.file(record, body);
        }
        writer.endFolder(body);
        EXPECT_EQ(body, "one" + end + "two" + end);
    }
}

TEST(CsvListWriter, QuotesAndGuardsEveryCellThatNeedsIt) {
    struct Case {
        std::string cell;
        std::string written;
    } const cases[] = {
        {"plain.txt", "plain.txt"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"cr\rname", "\"cr\rname\""},
        {"lf\nname", "\"lf\nname\""},
        {"crlf\r\n", "\"crlf\r\n\""},
        {"tab\tinside", "tab\tinside"},
        {"日本語,ｶﾀｶﾅ", "\"日本語,ｶﾀｶﾅ\""},
        // What a spreadsheet would run as a formula starts with "'".
        {"=1+2", "'=1+2"},
        {"+1", "'+1"},
        {"-1", "'-1"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "'\tx"},
        {"\rx", "\"'\rx\""},
        {"=HYPERLINK(\"a\",\"b\")", "\"'=HYPERLINK(\"\"a\"\",\"\"b\"\")\""},
        {"a=b", "a=b"},
        // A cell that starts with "'" itself gets one more: "=x" and "'=x"
        // stay two cells, and reading drops exactly one.
        {"'=x", "''=x"},
        {"'plain", "''plain"},
    };
    for (const Case& c : cases) {
        std::string out;
        CsvListWriter::appendCell(c.cell, out);
        EXPECT_EQ(out, c.written) << c.cell;
    }
}

TEST(CsvListWriter, RecordsWithNamesWholeJoinedCellsAndLeadingCell) {
    ListOptions options;
    options.csv = true;
    options.pathColumn = true;
    options.leadingTab = true;
    options.sizeColumn = true;
    FileFacts facts;
    facts.size = 1234;
    LineFormatter formatter(options);
    const std::unique_ptr<ListWriter> writer = makeListWriter(options);
    std::string body;
    writer->header(formatter.headerRecord(), body);
    formatter.beginFolder("/a,b/\t/");
    const ListRecord folderLine = formatter.folderRecord();
    writer->beginFolder(&folderLine, body);
    ListRecord record;
    formatter.fileRecord(record, "new\nline", &facts);
    writer->file(record, body);
    writer->folderTotal(formatter.folderTotalRecord(1, 1234), body);
    writer->endFolder(body);
    writer->listTotal(formatter.listTotalRecord(1, 1, 1234), body);
    // Control characters stay as they are: one record per file all the same.
    EXPECT_EQ(body, "ﾊﾟｽ名,ﾌｧｲﾙ名,ﾌｧｲﾙｻｲｽﾞ\r\n"
                    "\"/a,b/\t/\"\r\n"
                    ",\"/a,b/\t/\",\"new\nline\",\"1,234 Byte\"\r\n"
                    "小計,ﾌｧｲﾙ数,1,ｻｲｽﾞ,\"1,234 Byte\"\r\n"
                    "合計,ﾌｧｲﾙ数,1,ﾌｫﾙﾀﾞ数,1,ｻｲｽﾞ,\"1,234 Byte\"\r\n");

    options.joinPathAndName = true;
    options.leadingTab = false;
    options.lineFeedOnly = true;
    LineFormatter joined(options);
    body.clear();
    makeListWriter(options)->header(joined.headerRecord(), body);
    joined.beginFolder("/f/");
    joined.fileRecord(record, "=x", &facts);
    makeListWriter(options)->file(record, body);
    EXPECT_EQ(body, "ﾊﾟｽ名 ﾌｧｲﾙ名,ﾌｧｲﾙｻｲｽﾞ\n/f/=x,\"1,234 Byte\"\n");
}

TEST(LineFormatter, TotalsOverFourGibibytesInTheChosenUnit) {
    ListOptions options;
    options.sizeUnit = 1;
    options.totals = true;
    LineFormatter formatter(options);
    EXPECT_TRUE(formatter.needsFacts()) << "the totals add up the sizes";
    std::string text;
    SeparatedListWriter writer(options);
    writer.listTotal(formatter.listTotalRecord(5'000'000'000ULL, 3, 5'368'709'120LL + 1024), text);
    EXPECT_EQ(text, "\r\n合計\tﾌｧｲﾙ数\t5000000000\tﾌｫﾙﾀﾞ数\t3\tｻｲｽﾞ\t5,242,881 KB\r\n");
}

} // namespace
} // namespace kestro
