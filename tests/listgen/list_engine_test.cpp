// The create command on real temporary trees: its checkpoints, abort and
// failure paths, and lists of trees the golden files cannot hold (whole lists
// of ordinary trees are golden files of the command line).

#include "listgen/list_engine.h"
#include "platform/list_spool.h"
#include "support/recording_host.h"
#include "support/temp_tree.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace kestro {
namespace {

using test::RecordingHost;
using test::ScopedEnv;
using test::TempTree;

class CreateCommandTest : public ::testing::Test {
protected:
    TempTree tree;
    TempTree spoolFolder;
    ScopedEnv zone{"TZ", "Asia/Tokyo"};

    ListOptions optionsFor(const std::string& folder) {
        ListOptions options;
        options.rootFolder = folder;
        return options;
    }
    RunOutcome run(RecordingHost& host) { return runCreateCommand(host, spoolFolder.path()); }
    bool spoolLeft() const { return test::pathExists(spoolFolder / ListSpoolName); }
};

// The list itself is the golden file worked-example.
TEST_F(CreateCommandTest, ListedRunEndsIdleWithOneBeepAndNoSpool) {
    tree.file("Report.txt", "r");
    RecordingHost host(optionsFor(tree.path()));
    ASSERT_EQ(run(host), RunOutcome::Listed);
    EXPECT_EQ(host.acceptCount, 1);
    EXPECT_EQ(host.events, (std::vector<std::string>{"enable:0", "enable:1", "beep"}));
    EXPECT_TRUE(host.idle);
    EXPECT_EQ(host.status[0], "");
    EXPECT_EQ(host.status[1], "");
    EXPECT_FALSE(spoolLeft());
}

TEST_F(CreateCommandTest, ListingTheSpoolFolderNeverListsTheSpool) {
    tree.file("keep.txt");
    ListOptions options = optionsFor(tree.path());
    options.insertPathLine = false;
    RecordingHost host(options);
    ASSERT_EQ(runCreateCommand(host, tree.path()), RunOutcome::Listed);
    EXPECT_EQ(host.list, "ﾌｧｲﾙ名\r\nkeep.txt\r\n");
    EXPECT_FALSE(test::pathExists(tree / ListSpoolName));
}

TEST_F(CreateCommandTest, FolderVanishingAfterTheSearchEndsTheRunWithItsReport) {
    tree.file("a/f");
    tree.file("b/f");
    RecordingHost host(optionsFor(tree.path()));
    host.onYield = [&](int, const std::string& phase) {
        if (phase == SearchingStatus && test::pathExists(tree / "b"))
            tree.remove("b");
    };
    ASSERT_EQ(run(host), RunOutcome::Failed);
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].number, 76);
    EXPECT_NE(host.failures[0].description.find(tree / "b"), std::string::npos);
    EXPECT_EQ(host.acceptCount, 0);
    EXPECT_EQ(host.list, "");
    EXPECT_TRUE(host.idle);
    EXPECT_EQ(host.status[0], "");
    EXPECT_FALSE(spoolLeft());
    // The report comes before the controls return to idle.
    EXPECT_EQ(host.events, (std::vector<std::string>{"enable:0", "failure:76", "enable:1"}));
}

TEST_F(CreateCommandTest, AbortDuringSearchAndDuringCollectionWritesNothing) {
    for (int i = 0; i < 12; ++i)
        tree.file("d" + std::to_string(i) + "/f");
    for (int i = 0; i < 120; ++i)
        tree.file("many/f" + std::to_string(i));

    for (const char* phase : {SearchingStatus, CollectingStatus}) {
        RecordingHost host(optionsFor(tree.path()));
        host.onYield = [&](int, const std::string& shown) {
            if (shown == phase)
                host.abort = true;
        };
        ASSERT_EQ(run(host), RunOutcome::Aborted) << phase;
        EXPECT_EQ(host.acceptCount, 0);
        EXPECT_TRUE(host.idle);
        EXPECT_FALSE(host.abort) << "the abort request is cleared";
        EXPECT_EQ(host.status[0], "");
        EXPECT_EQ(host.status[1], "");
        EXPECT_FALSE(spoolLeft());
        EXPECT_EQ(host.events.back(), "abort:ユーザーによって中断されました。|処理の中断");

        // The next run starts clean and lists everything.
        RecordingHost next(optionsFor(tree.path()));
        next.options_.insertPathLine = false;
        ASSERT_EQ(run(next), RunOutcome::Listed);
        EXPECT_EQ(std::count(next.list.begin(), next.list.end(), '\n'), 1 + 12 + 120);
    }
}

TEST_F(CreateCommandTest, AbortInsideABigFileStopsItsReadingAtTheNextYield) {
    tree.sparseFile("big", std::int64_t{2} << 30);
    RecordingHost host(optionsFor(tree.path()));
    host.options_.hashColumn = true;
    std::vector<std::string> shown;
    host.onYield = [&](int, const std::string& phase) {
        if (phase.rfind(ReadingContentsStatus, 0) == 0) {
            shown.push_back(phase);
            host.abort = true;
        }
    };
    ASSERT_EQ(run(host), RunOutcome::Aborted);
    EXPECT_EQ(host.acceptCount, 0);
    EXPECT_FALSE(spoolLeft());
    // One yield inside the file, after its first 16 MiB of 2 GiB, and no
    // read after it.
    EXPECT_EQ(shown,
              std::vector<std::string>{std::string(ReadingContentsStatus) + "16,777,216 Byte"});
}

// A file that changes while its checksum is read has no state the checksum
// belongs to: its cell stays empty, and it is named after the list.
TEST_F(CreateCommandTest, AFileChangedWhileItIsReadGetsNoChecksum) {
    const std::int64_t size = std::int64_t{32} << 20;
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"grown", [&] { tree.sparseFile("big", size + 1); }},
        {"shrunk", [&] { tree.sparseFile("big", size / 4); }},
        {"written, same size", [&] { tree.setTimes("big", 1000000000, 1000000000); }},
    };
    for (const auto& [what, change] : rows) {
        SCOPED_TRACE(what);
        tree.sparseFile("big", size);
        tree.setTimes("big", 2000000000, 2000000000);
        tree.file("small", "abc");
        RecordingHost host(optionsFor(tree.path()));
        host.options_.hashColumn = true;
        host.options_.insertPathLine = false;
        bool changed = false;
        host.onYield = [&](int, const std::string& phase) {
            if (!changed && phase.rfind(ReadingContentsStatus, 0) == 0) {
                change();
                changed = true;
            }
        };
        ASSERT_EQ(run(host), RunOutcome::Listed);
        EXPECT_TRUE(changed);
        EXPECT_NE(host.list.find("\r\nbig\t\r\n"), std::string::npos) << host.list;
        EXPECT_NE(host.list.find("\r\nsmall\tba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff"
                                 "61f20015ad\r\n"),
                  std::string::npos)
            << host.list;
        ASSERT_EQ(host.notes.size(), 1u);
        EXPECT_EQ(host.notes[0].rfind(ChangedWhileReadNote, 0), 0u) << host.notes[0];
        EXPECT_NE(host.notes[0].find("big"), std::string::npos) << host.notes[0];
    }
}

TEST_F(CreateCommandTest, HundredTwentyFilesYieldBeforeFiles0_50_100) {
    for (int i = 0; i < 120; ++i)
        tree.file("f" + std::to_string(1000 + i));
    ListOptions options = optionsFor(tree.path());
    options.subFolders = false;
    RecordingHost host(options);
    ASSERT_EQ(run(host), RunOutcome::Listed);
    // Three yields while collecting, then one at the very end.
    EXPECT_EQ(std::count(host.yieldPhases.begin(), host.yieldPhases.end(), CollectingStatus), 3);
    ASSERT_FALSE(host.yieldPhases.empty());
    EXPECT_EQ(host.yieldPhases.back(), "");
}

TEST_F(CreateCommandTest, SearchYieldsEveryFiveFoldersAndAfterEach) {
    for (int i = 0; i < 7; ++i)
        tree.folder("d" + std::to_string(i));
    RecordingHost host(optionsFor(tree.path()));
    ASSERT_EQ(run(host), RunOutcome::Listed);
    // Seven folders: checkpoints before 0 and 5, and one after each.
    EXPECT_EQ(std::count(host.yieldPhases.begin(), host.yieldPhases.end(), SearchingStatus), 9);
}

TEST_F(CreateCommandTest, ManyEmptyFoldersStillReachTheAbortCheck) {
    for (int i = 0; i < 120; ++i)
        tree.folder("e" + std::to_string(i));
    RecordingHost host(optionsFor(tree.path()));
    host.onYield = [&](int, const std::string& phase) {
        if (phase == CollectingStatus)
            host.abort = true;
    };
    EXPECT_EQ(run(host), RunOutcome::Aborted);
}

TEST_F(CreateCommandTest, TwoRunsGiveTwoCompleteLists) {
    tree.file("one");
    ListOptions options = optionsFor(tree.path());
    options.insertPathLine = false;
    RecordingHost first(options);
    RecordingHost second(options);
    ASSERT_EQ(run(first), RunOutcome::Listed);
    ASSERT_EQ(run(second), RunOutcome::Listed);
    EXPECT_EQ(first.list, "ﾌｧｲﾙ名\r\none\r\n");
    EXPECT_EQ(second.list, first.list);
}

TEST_F(CreateCommandTest, QuitDuringTheRunStopsSilentlyAndCleansUp) {
    for (int i = 0; i < 60; ++i)
        tree.file("f" + std::to_string(i));
    RecordingHost host(optionsFor(tree.path()));
    host.onYield = [&](int, const std::string& phase) {
        if (phase == CollectingStatus)
            host.quit = true;
    };
    EXPECT_EQ(run(host), RunOutcome::Quit);
    EXPECT_EQ(host.acceptCount, 0);
    EXPECT_EQ(host.events, (std::vector<std::string>{"enable:0"}));
    EXPECT_FALSE(spoolLeft());
}

TEST_F(CreateCommandTest, RunsAtTheSameTimeShareTheSpoolFolderSafely) {
    for (int i = 0; i < 30; ++i)
        tree.file("f" + std::to_string(i));
    ListOptions options = optionsFor(tree.path());
    options.insertPathLine = false;
    std::vector<std::string> lists[2];
    auto runMany = [&](std::vector<std::string>& out) {
        for (int i = 0; i < 40; ++i) {
            RecordingHost host(options);
            run(host);
            out.push_back(host.list);
        }
    };
    std::thread first(runMany, std::ref(lists[0]));
    std::thread second(runMany, std::ref(lists[1]));
    first.join();
    second.join();
    RecordingHost alone(options);
    ASSERT_EQ(run(alone), RunOutcome::Listed);
    for (const auto& made : lists)
        for (const auto& list : made)
            ASSERT_EQ(list, alone.list);
    EXPECT_FALSE(spoolLeft());
}

// The folder being listed is never passed over, not even when the run
// skips unreadable folders.
TEST_F(CreateCommandTest, UnusableRootIsAlwaysReported) {
    RecordingHost host(optionsFor(tree / "missing"));
    host.options_.skipUnreadable = true;
    EXPECT_EQ(run(host), RunOutcome::Failed);
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].number, 76);
    EXPECT_TRUE(host.skipped.empty());
}

TEST_F(CreateCommandTest, FolderReadBySearchIsNotReadAgain) {
    tree.file("a/old");
    ListOptions options = optionsFor(tree.path());
    options.insertPathLine = false;
    RecordingHost host(options);
    // The second yield of the search comes right after "a" was read: a file
    // made then is not in the list, which holds what the one reading saw.
    int searchYields = 0;
    host.onYield = [&](int, const std::string& phase) {
        if (phase == SearchingStatus && ++searchYields == 2)
            tree.file("a/new");
    };
    ASSERT_EQ(run(host), RunOutcome::Listed);
    EXPECT_EQ(host.list, "ﾌｧｲﾙ名\r\nold\r\n");
}

TEST_F(CreateCommandTest, SkippingUnreadableFoldersListsTheRestAndNamesEachOnce) {
    tree.file("a/f");
    tree.file("b/f");
    tree.file("b/deeper/g");
    tree.file("c/f");
    ListOptions options = optionsFor(tree.path());
    options.insertPathLine = false;
    options.skipUnreadable = true;
    RecordingHost host(options);
    host.onYield = [&](int, const std::string& phase) {
        if (phase == SearchingStatus && test::pathExists(tree / "b"))
            tree.remove("b");
    };
    ASSERT_EQ(run(host), RunOutcome::Listed);
    EXPECT_EQ(host.list, "ﾌｧｲﾙ名\r\nf\r\nf\r\n");
    ASSERT_EQ(host.skipped.size(), 1u);
    EXPECT_EQ(host.skipped[0].number, 76);
    EXPECT_NE(host.skipped[0].description.find(tree / "b"), std::string::npos);
    EXPECT_TRUE(host.failures.empty());
    EXPECT_EQ(host.events, (std::vector<std::string>{"enable:0", "skipped:1", "enable:1", "beep"}));
}

} // namespace
} // namespace kestro
