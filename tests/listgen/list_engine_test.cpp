// The create command on real temporary trees: its checkpoints, abort and
// failure paths, and lists of trees the golden files cannot hold (whole lists
// of ordinary trees are golden files of the command line).

#include "listgen/list_engine.h"
#include "platform/list_spool.h"
#include "support/recording_host.h"
#include "support/temp_tree.h"

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace kestro {
namespace {

using test::RecordingHost;
using test::ScopedEnv;
using test::TempTree;

// A chain of folders below `root` whose full path is longer than PATH_MAX,
// with one file at its end: made and removed through descriptors, since no
// path-based call reaches that far.
class DeepChain {
public:
    DeepChain(const std::string& root, int levels, std::size_t nameLength, const char* file)
        : name_(nameLength, 'd'), file_(file), bottom_(root + "/") {
        fds_.push_back(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        for (int level = 0; level < levels; ++level) {
            ::mkdirat(fds_.back(), name_.c_str(), 0755);
            fds_.push_back(
                ::openat(fds_.back(), name_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            bottom_ += name_ + "/";
        }
        const int fd = ::openat(fds_.back(), file_, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        EXPECT_EQ(::write(fd, "abc", 3), 3);
        ::close(fd);
    }
    ~DeepChain() {
        ::unlinkat(fds_.back(), file_, 0);
        for (std::size_t i = fds_.size() - 1; i > 0; --i) {
            ::close(fds_[i]);
            ::unlinkat(fds_[i - 1], name_.c_str(), AT_REMOVEDIR);
        }
        ::close(fds_[0]);
    }
    DeepChain(const DeepChain&) = delete;
    DeepChain& operator=(const DeepChain&) = delete;

    // The bottom folder's full path, ending with "/".
    const std::string& bottom() const { return bottom_; }

private:
    std::string name_;
    const char* file_;
    std::string bottom_;
    std::vector<int> fds_;
};

class CreateCommandTest : public ::testing::Test {
protected:
    TempTree tree;
    TempTree spoolFolder;
    ScopedEnv zone{"TZ", "Asia/Tokyo"};

    ListOptions optionsFor(const std::string& folder) {
        ListOptions options;
        options.RootFolder = folder;
        return options;
    }
    std::string root() const { return tree.path() + "/"; }
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

TEST_F(CreateCommandTest, FoldersInSortedOrderHiddenAndLinkedFoldersNotWalked) {
    // Created in an order that differs from the listing order.
    tree.file("b/fb");
    tree.file("a/x/fx");
    tree.file("a/fa");
    tree.file("B2/fB2");
    tree.file(".hidden/secret");
    tree.file("a/.git/config");
    tree.symlink("a/loop", tree.path()); // a link back to the root
    tree.symlink("linked", tree / "b");
    tree.fifo("a/pipe");

    ListOptions options = optionsFor(tree.path());
    options.InsertPathLine = true;
    RecordingHost host(options);
    ASSERT_EQ(run(host), RunOutcome::Listed);
    const std::string p = root();
    EXPECT_EQ(host.list, "ﾌｧｲﾙ名\r\n"
                         "\r\n" +
                             p + "a/\r\nfa\r\n\r\n" + p + "a/x/\r\nfx\r\n\r\n" + p +
                             "b/\r\nfb\r\n\r\n" + p + "B2/\r\nfB2\r\n");
}

TEST_F(CreateCommandTest, SkippedNamesAreExactAndCaseSensitive) {
    tree.file("_Kestro.tmp");
    tree.file("_kestro.tmp");
    tree.file("WIN386.SWP");
    tree.file("win386.swp");
    tree.file("only/_Kestro.tmp");
    ListOptions options = optionsFor(tree.path());
    options.InsertPathLine = false;
    RecordingHost host(options);
    ASSERT_EQ(run(host), RunOutcome::Listed);
    // The folder holding only a skipped name still writes its (empty) group.
    EXPECT_EQ(host.list, "ﾌｧｲﾙ名\r\n_kestro.tmp\r\nwin386.swp\r\n\r\n");
}

TEST_F(CreateCommandTest, ListingTheSpoolFolderNeverListsTheSpool) {
    tree.file("keep.txt");
    ListOptions options = optionsFor(tree.path());
    options.InsertPathLine = false;
    RecordingHost host(options);
    ASSERT_EQ(runCreateCommand(host, tree.path()), RunOutcome::Listed);
    EXPECT_EQ(host.list, "ﾌｧｲﾙ名\r\nkeep.txt\r\n");
    EXPECT_FALSE(test::pathExists(tree / ListSpoolName));
}

TEST_F(CreateCommandTest, VanishedFileKeepsItsLineWithEmptyFactCells) {
    tree.file("a.txt", "aaa");
    tree.file("b.txt", "bb");
    ListOptions options = optionsFor(tree.path());
    options.InsertPathLine = false;
    options.SizeColumn = true;
    options.AttributeColumn = true;
    options.ExtensionColumn = true;
    options.Separator = ";";
    RecordingHost host(options);
    // The yield before the first file comes after the folder was listed.
    host.onYield = [&](int, const std::string& phase) {
        if (phase == CollectingStatus)
            tree.remove("a.txt");
    };
    ASSERT_EQ(run(host), RunOutcome::Listed);
    EXPECT_EQ(host.list, "ﾌｧｲﾙ名;拡張子;ﾌｧｲﾙｻｲｽﾞ;属性\r\na.txt;txt;;\r\nb.txt;txt;2 Byte;----\r\n");
    EXPECT_TRUE(host.failures.empty());
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
        next.options_.InsertPathLine = false;
        ASSERT_EQ(run(next), RunOutcome::Listed);
        EXPECT_EQ(std::count(next.list.begin(), next.list.end(), '\n'), 1 + 12 + 120);
    }
}

TEST_F(CreateCommandTest, AbortInsideABigFileStopsItsReadingAtTheNextYield) {
    tree.sparseFile("big", std::int64_t{2} << 30);
    RecordingHost host(optionsFor(tree.path()));
    host.options_.HashColumn = true;
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

TEST_F(CreateCommandTest, HundredTwentyFilesYieldBeforeFiles0_50_100) {
    for (int i = 0; i < 120; ++i)
        tree.file("f" + std::to_string(1000 + i));
    ListOptions options = optionsFor(tree.path());
    options.SubFolders = false;
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
    options.InsertPathLine = false;
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

TEST_F(CreateCommandTest, PlantedLinkAtTheSpoolPlaceIsNotFollowed) {
    const std::string victim = tree.file("victim.txt", "keep me");
    spoolFolder.symlink(ListSpoolName, victim);
    tree.file("x");
    ListOptions options = optionsFor(tree.path());
    options.SubFolders = false;
    RecordingHost host(options);
    ASSERT_EQ(run(host), RunOutcome::Listed);
    EXPECT_EQ(test::readFile(victim), "keep me");
    EXPECT_FALSE(spoolLeft());
}

TEST_F(CreateCommandTest, RunsAtTheSameTimeShareTheSpoolFolderSafely) {
    for (int i = 0; i < 30; ++i)
        tree.file("f" + std::to_string(i));
    ListOptions options = optionsFor(tree.path());
    options.InsertPathLine = false;
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

TEST_F(CreateCommandTest, UnusableRootIsAlwaysReported) {
    // A name part longer than a file system allows is a bad name (52), which
    // the run lets pass for files inside it, never for the folder it lists.
    const std::pair<std::string, int> cases[] = {{tree / "missing", 76},
                                                 {tree / std::string(300, 'x'), 52}};
    for (const auto& [folder, number] : cases) {
        RecordingHost host(optionsFor(folder));
        host.options_.SkipUnreadable = true;
        EXPECT_EQ(run(host), RunOutcome::Failed) << number;
        ASSERT_EQ(host.failures.size(), 1u);
        EXPECT_EQ(host.failures[0].number, number);
        EXPECT_TRUE(host.skipped.empty());
    }
}

TEST_F(CreateCommandTest, DepthBeyondThePathLimitDropsNoFile) {
    tree.file("top.txt", "12");
    // Deeper than the folders the walk keeps open at once, too.
    DeepChain deep(tree.path(), 70, 200, "deep.txt");
    ASSERT_GT(deep.bottom().size(), std::size_t{PATH_MAX});
    ListOptions options = optionsFor(tree.path());
    options.SizeColumn = true;
    RecordingHost host(options);
    ASSERT_EQ(run(host), RunOutcome::Listed);
    EXPECT_EQ(host.list, "ﾌｧｲﾙ名\tﾌｧｲﾙｻｲｽﾞ\r\n\r\n" + root() + "\r\ntop.txt\t2 Byte\r\n\r\n" +
                             deep.bottom() + "\r\ndeep.txt\t3 Byte\r\n");
    EXPECT_TRUE(host.failures.empty());
}

TEST_F(CreateCommandTest, ControlCharactersInNamesKeepOneLinePerFile) {
    tree.file("tab\there");
    tree.file("line\nfeed");
    tree.file("cr\rname.t\x7Fx");
    tree.file("title\x1B]0;x\x07/inside");
    ListOptions options = optionsFor(tree.path());
    options.PathColumn = true;
    options.ExtensionColumn = true;
    RecordingHost host(options);
    ASSERT_EQ(run(host), RunOutcome::Listed);
    const std::string p = root();
    EXPECT_EQ(host.list, "ﾊﾟｽ名\tﾌｧｲﾙ名\t拡張子\r\n\r\n" + p + "\r\n" + p +
                             "\tcr␍name.t␡x\tt␡x\r\n" + p + "\tline␊feed\t\r\n" + p +
                             "\ttab␉here\t\r\n\r\n" + p + "title␛]0;x␇/\r\n" + p +
                             "title␛]0;x␇/\tinside\t\r\n");
}

TEST_F(CreateCommandTest, FolderReadBySearchIsNotReadAgain) {
    tree.file("a/old");
    ListOptions options = optionsFor(tree.path());
    options.InsertPathLine = false;
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
    options.InsertPathLine = false;
    options.SkipUnreadable = true;
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

    // A folder the user may not read, for a user who is not all-powerful.
    TempTree locked;
    locked.chmod(".", 0755);
    locked.file("open/f");
    locked.file("shut/f");
    locked.chmod("shut", 0000);
    spoolFolder.chmod(".", 0777);
    const int status = test::runAsUnprivileged([&] {
        ListOptions lockedOptions = optionsFor(locked.path());
        lockedOptions.InsertPathLine = false;
        lockedOptions.SkipUnreadable = true;
        RecordingHost skipping(lockedOptions);
        if (run(skipping) != RunOutcome::Listed || skipping.list != "ﾌｧｲﾙ名\r\nf\r\n")
            return 1;
        if (skipping.skipped.size() != 1 || skipping.skipped[0].number != 70)
            return 2;
        lockedOptions.SkipUnreadable = false;
        RecordingHost strict(lockedOptions);
        if (run(strict) != RunOutcome::Failed || strict.failures.size() != 1 ||
            strict.failures[0].number != 70)
            return 3;
        return 0;
    });
    EXPECT_EQ(status, 0) << "1, 2: skipping run, 3: strict run, -1: could not drop privileges";
}

} // namespace
} // namespace kestro
