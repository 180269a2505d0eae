#include "export/background_writer.h"
#include "export/list_workbook.h"
#include "export/workbook_export.h"
#include "listgen/line_formatter.h"
#include "support/recording_host.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace kestro {
namespace {

// Every sheet of the workbook `path` as openpyxl reads it: its name and
// filter, then one line per row of its values, tab-separated.
constexpr const char* ShowSheets = R"(import sys, openpyxl
for sheet in openpyxl.load_workbook(sys.argv[1]).worksheets:
    print(sheet.title, sheet.auto_filter.ref, sheet.freeze_panes)
    for row in sheet.iter_rows(values_only=True):
        print("\t".join("" if value is None else str(value) for value in row))
)";

std::string readBack(test::TempTree& tree, const std::string& path) {
    const std::string script = tree.file("show.py", ShowSheets);
    const char* python = std::getenv("KESTRO_PYTHON");
    const std::string command =
        std::string(python ? python : "python3") + " '" + script + "' '" + path + "'";
    std::string shown;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return shown;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        shown.append(buffer, got);
    if (::pclose(pipe) != 0)
        shown += "(python failed)";
    return shown;
}

// A sheet that is full goes on with a sheet of its own under the same
// header; the rows keep their order through the writer's thread, and the
// totals count the files of every sheet.
TEST(ListWorkbook, FullSheetGoesOnUnderTheSameHeader) {
    test::TempTree tree;
    const std::string path = tree / "list.xlsx";
    ListOptions options;
    options.sizeColumn = true;
    options.totals = true;
    options.insertPathLine = true;
    LineFormatter formatter(options);
    {
        ListWorkbook book(path, options, tree.path(), 4); // the header and three files
        BackgroundListWriter writer(book);
        std::string out;
        writer.header(formatter.headerRecord(), out);
        formatter.beginFolder("/data/");
        const ListRecord folderLine = formatter.folderRecord();
        writer.beginFolder(&folderLine, out);
        ListRecord record;
        for (int i = 1; i <= 7; ++i) {
            FileFacts facts;
            facts.size = std::int64_t{i} * 1000;
            formatter.fileRecord(record, "file" + std::to_string(i), &facts);
            writer.nextFileFacts(&facts);
            writer.file(record, out);
        }
        writer.endFolder(out);
        writer.listTotal(formatter.listTotalRecord(7, 1, 28000), out);
        ASSERT_TRUE(writer.finish());
        ASSERT_TRUE(book.finish());
        EXPECT_EQ(out, "");
    }
    EXPECT_EQ(readBack(tree, path), "ﾌｧｲﾙ一覧 A1:C4 A2\n"
                                    "ﾌｫﾙﾀﾞ\tﾌｧｲﾙ名\tﾌｧｲﾙｻｲｽﾞ\n"
                                    "/data/\tfile1\t1000\n"
                                    "/data/\tfile2\t2000\n"
                                    "/data/\tfile3\t3000\n"
                                    "ﾌｧｲﾙ一覧 (2) A1:C4 A2\n"
                                    "ﾌｫﾙﾀﾞ\tﾌｧｲﾙ名\tﾌｧｲﾙｻｲｽﾞ\n"
                                    "/data/\tfile4\t4000\n"
                                    "/data/\tfile5\t5000\n"
                                    "/data/\tfile6\t6000\n"
                                    "ﾌｧｲﾙ一覧 (3) A1:C2 A2\n"
                                    "ﾌｫﾙﾀﾞ\tﾌｧｲﾙ名\tﾌｧｲﾙｻｲｽﾞ\n"
                                    "/data/\tfile7\t7000\n"
                                    "合計\t=SUBTOTAL(3,'ﾌｧｲﾙ一覧'!B2:B4,'ﾌｧｲﾙ一覧 (2)'!B2:B4,"
                                    "'ﾌｧｲﾙ一覧 (3)'!B2:B2)\t=SUBTOTAL(9,'ﾌｧｲﾙ一覧'!C2:C4,"
                                    "'ﾌｧｲﾙ一覧 (2)'!C2:C4,'ﾌｧｲﾙ一覧 (3)'!C2:C2)\n");
}

// A failure is told as it happened, not as a file that cannot be reached: a
// text longer than a cell holds by its start and end, a workbook that cannot
// be made or written by its path and the system's reason.
TEST(ListWorkbook, FailuresSayWhatWentWrong) {
    test::TempTree tree;
    ListOptions options;
    options.insertPathLine = true;
    LineFormatter formatter(options);
    const auto written = [&](const std::string& path, const std::string& folder, int files = 1) {
        ListWorkbook book(path, options, path.substr(0, path.rfind('/')));
        std::string out;
        book.header(formatter.headerRecord(), out);
        formatter.beginFolder(folder);
        const ListRecord folderLine = formatter.folderRecord();
        book.beginFolder(&folderLine, out);
        ListRecord record;
        for (int i = 0; i < files; ++i) {
            formatter.fileRecord(record, "file" + std::to_string(i) + ".txt", nullptr);
            book.nextFileFacts(nullptr);
            book.file(record, out);
        }
        return book.finish();
    };
    const Status tooLong = written(tree / "long.xlsx", "/" + std::string(40000, 'a') + "ｱｲ/");
    ASSERT_FALSE(tooLong);
    EXPECT_EQ(tooLong.failure().number, 6);
    const std::string& told = tooLong.failure().description;
    EXPECT_NE(told.find("32,767"), std::string::npos) << told;
    EXPECT_NE(told.find(" (/aaaa"), std::string::npos) << told;
    EXPECT_NE(told.find("aaa...aaa"), std::string::npos) << told;
    EXPECT_NE(told.find("aaaｱｲ/)"), std::string::npos) << told;

    tree.file("plain");
    const Status unmade = written(tree / "plain/list.xlsx", "/data/");
    ASSERT_FALSE(unmade);
    EXPECT_EQ(unmade.failure().number, 76);
    EXPECT_NE(unmade.failure().description.find(tree / "plain/list.xlsx"), std::string::npos);

    const std::string small = tree.folder("small");
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    const Status full = written(small + "/list.xlsx", "/" + std::string(200, 'f') + "/", 3000);
    // Detached: libxlsxwriter keeps a temporary file of the failed close open.
    ::umount2(small.c_str(), MNT_DETACH);
    ASSERT_FALSE(full);
    EXPECT_EQ(full.failure().number, 61) << full.failure().description;
}

// An abort asked for while the workbook is written and closed leaves the
// file at the chosen place as it was.
TEST(WorkbookCommand, AbortWhileWritingKeepsTheOldFile) {
    test::TempTree tree;
    tree.file("listed/a.txt", "a");
    const std::string saved = tree.file("saved.xlsx", "old");
    ListOptions options;
    options.rootFolder = tree / "listed";
    test::RecordingHost host(options);
    host.onYield = [&](int, const std::string& phase) {
        if (phase.rfind("Excel", 0) == 0)
            host.abort = true;
    };
    EXPECT_EQ(runWorkbookCommand(host, saved), RunOutcome::Aborted);
    std::ifstream file(saved);
    const std::string kept((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    EXPECT_TRUE(kept == "old") << "the file now holds " << kept.size() << " bytes";
}

} // namespace
} // namespace kestro
