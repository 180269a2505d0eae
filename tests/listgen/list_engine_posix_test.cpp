// The create command on trees only POSIX file systems hold: links, FIFOs,
// names with control characters, paths beyond PATH_MAX, modes.

#include "fileinfo/time_text.h"
#include "listgen/list_engine.h"
#include "platform/file_facts.h"
#include "platform/list_spool.h"
#include "support/recording_host.h"
#include "support/temp_tree.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/mount.h>
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

class CreateCommandPosixTest : public ::testing::Test {
protected:
    TempTree tree;
    TempTree spoolFolder;
    ScopedEnv zone{"TZ", "Asia/Tokyo"};

    ListOptions optionsFor(const std::string& folder) {
        ListOptions options;
        options.rootFolder = folder;
        return options;
    }
    std::string root() const { return tree.path() + "/"; }
    RunOutcome run(RecordingHost& host) { return runCreateCommand(host, spoolFolder.path()); }
    bool spoolLeft() const { return test::pathExists(spoolFolder / ListSpoolName); }
};

TEST_F(CreateCommandPosixTest, FoldersInSortedOrderHiddenAndLinkedFoldersNotWalked) {
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
    options.insertPathLine = true;
    RecordingHost host(options);
    ASSERT_EQ(run(host), RunOutcome::Listed);
    const std::string p = root();
    EXPECT_EQ(host.list, "ﾌｧｲﾙ名\r\n"
                         "\r\n" +
                             p + "a/\r\nfa\r\n\r\n" + p + "a/x/\r\nfx\r\n\r\n" + p +
                             "b/\r\nfb\r\n\r\n" + p + "B2/\r\nfB2\r\n");
}

TEST_F(CreateCommandPosixTest, VanishedFileKeepsItsLineWithEmptyFactCells) {
    tree.file("a.txt", "aaa");
    tree.file("b.txt", "bb");
    ListOptions options = optionsFor(tree.path());
    options.insertPathLine = false;
    options.sizeColumn = true;
    options.attributeColumn = true;
    options.extensionColumn = true;
    options.separator = ";";
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

// The creation time is read only for its column, by the command and by the
// readers alike; without it the write time is not taken for it.
TEST_F(CreateCommandPosixTest, TheCreatedColumnShowsTheBirthTime) {
    tree.file("f", "x");
    tree.setTimes("f", 1000000000, 1000000000); // 2001, long before the file was made
    const auto facts = readFileFacts(tree / "f");
    ASSERT_TRUE(facts.ok());
    if (facts.value().creation.seconds == facts.value().lastWrite.seconds)
        GTEST_SKIP() << "this file system keeps no birth time";
    const std::string born = timeText(toLocalCalendar(facts.value().creation));
    for (const char* readers : {"0", "2"}) {
        const ScopedEnv width("KESTRO_READERS", readers);
        ListOptions options = optionsFor(tree.path());
        options.insertPathLine = false;
        options.creationTimeColumn = true;
        options.writeTimeColumn = true;
        options.separator = ";";
        RecordingHost host(options);
        ASSERT_EQ(run(host), RunOutcome::Listed);
        EXPECT_EQ(host.list, "ﾌｧｲﾙ名;作成日時;更新日時\r\nf;" + born + ";2001/09/09 10:46:40\r\n")
            << "readers " << readers;
    }
}

// The entries of `folder`, "." and ".." among them.
int entryCount(const char* folder) {
    DIR* entries = ::opendir(folder);
    int count = 0;
    while (entries && ::readdir(entries))
        ++count;
    if (entries)
        ::closedir(entries);
    return count;
}

// The threads of this process.
int threadCount() {
    return entryCount("/proc/self/task") - 2;
}

// The thread count once it has come down to `expected` or five seconds have
// passed: a joined thread can still be listed for a moment while the kernel
// ends it, a thread left running stays.
int settledThreadCount(int expected) {
    int count = threadCount();
    for (int i = 0; i < 500 && count > expected; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        count = threadCount();
    }
    return count;
}

// The thread count once it has stayed the same for 50 ms.
int steadyThreadCount() {
    int count = threadCount();
    for (int same = 0, i = 0; same < 5 && i < 500; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const int now = threadCount();
        same = now == count ? same + 1 : 0;
        count = now;
    }
    return count;
}

// Each row runs without readers and with four beside the command: what the
// run shows must not depend on them.
TEST_F(CreateCommandPosixTest, ReadersChangeNothingTheRunShows) {
    struct Row {
        const char* what;
        bool skipUnreadable;
        // At every yield, with the host (whose panel 2 names the folder).
        std::function<void(RecordingHost&, int searchYields)> act;
        std::function<void(RecordingHost&, RunOutcome)> check;
    };
    const auto inMany = [](const RecordingHost& host) {
        return host.status[0] == CollectingStatus &&
               host.status[1].find("many") != std::string::npos;
    };
    const std::vector<Row> rows = {
        {"files vanishing in the middle of a folder keep their lines", false,
         [&](RecordingHost& host, int) {
             // The first yield of the collection, in "a": the readers
             // start on the folders prepared before it only after it.
             if (host.status[0] == CollectingStatus && test::pathExists(tree / "many/f1030")) {
                 tree.remove("many/f1030");
                 tree.remove("many/f1090");
             }
         },
         [](RecordingHost& host, RunOutcome outcome) {
             ASSERT_EQ(outcome, RunOutcome::Listed);
             EXPECT_NE(host.list.find("\r\nf1030;\r\nf1031;1 Byte\r\n"), std::string::npos);
             EXPECT_NE(host.list.find("\r\nf1090;\r\nf1091;1 Byte\r\n"), std::string::npos);
             EXPECT_TRUE(host.failures.empty());
         }},
        {"a folder vanishing while its files' facts are read", false,
         [&](RecordingHost& host, int) {
             if (inMany(host) && test::pathExists(tree / "many"))
                 tree.remove("many");
         },
         [](RecordingHost& host, RunOutcome outcome) {
             ASSERT_EQ(outcome, RunOutcome::Listed);
             EXPECT_EQ(std::count(host.list.begin(), host.list.end(), '\n'), 1 + 4 + 120);
             EXPECT_NE(host.list.find("\r\nf1119;"), std::string::npos);
             EXPECT_TRUE(host.failures.empty());
         }},
        {"of two folders gone before they were read, the first in order ends the run", false,
         [&](RecordingHost&, int searchYields) {
             if (searchYields == 1) {
                 tree.remove("d");
                 tree.remove("b");
             }
         },
         [&](RecordingHost& host, RunOutcome outcome) {
             ASSERT_EQ(outcome, RunOutcome::Failed);
             ASSERT_EQ(host.failures.size(), 1u);
             EXPECT_NE(host.failures[0].description.find(tree / "b"), std::string::npos);
         }},
        {"or both are named in order when unreadable folders are skipped", true,
         [&](RecordingHost&, int searchYields) {
             if (searchYields == 1) {
                 tree.remove("d");
                 tree.remove("b");
             }
         },
         [&](RecordingHost& host, RunOutcome outcome) {
             ASSERT_EQ(outcome, RunOutcome::Listed);
             ASSERT_EQ(host.skipped.size(), 2u);
             EXPECT_NE(host.skipped[0].description.find(tree / "b"), std::string::npos);
             EXPECT_NE(host.skipped[1].description.find(tree / "d"), std::string::npos);
         }},
        {"a folder removed after the search read it ends the run in its turn", false,
         [&](RecordingHost&, int searchYields) {
             // The search's last yield: every folder was read (and is held
             // open for the collection).
             if (searchYields == 6 && test::pathExists(tree / "b"))
                 tree.remove("b");
         },
         [&](RecordingHost& host, RunOutcome outcome) {
             ASSERT_EQ(outcome, RunOutcome::Failed);
             ASSERT_EQ(host.failures.size(), 1u);
             EXPECT_EQ(host.failures[0].number, 76);
             EXPECT_NE(host.failures[0].description.find(tree / "b"), std::string::npos);
         }},
        {"an abort while the readers read leaves nothing behind", false,
         [&](RecordingHost& host, int) {
             if (inMany(host))
                 host.abort = true;
         },
         [&](RecordingHost& host, RunOutcome outcome) {
             ASSERT_EQ(outcome, RunOutcome::Aborted);
             EXPECT_EQ(host.acceptCount, 0);
             EXPECT_FALSE(spoolLeft());
         }},
    };
    for (const char* readers : {"0", "4"}) {
        // Counted after a run: a sanitizer may start a thread of its own.
        std::optional<int> threads;
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.what) + ", readers " + readers);
            const ScopedEnv width("KESTRO_READERS", readers);
            for (const char* folder : {"a", "b", "c", "d"})
                tree.file(std::string(folder) + "/f", "x");
            for (int i = 0; i < 120; ++i)
                tree.file("many/f" + std::to_string(1000 + i), "x");
            ListOptions options = optionsFor(tree.path());
            options.insertPathLine = false;
            options.sizeColumn = true;
            options.separator = ";";
            options.skipUnreadable = row.skipUnreadable;
            RecordingHost host(options);
            int searchYields = 0;
            host.onYield = [&](int, const std::string& phase) {
                if (phase == SearchingStatus)
                    ++searchYields;
                row.act(host, searchYields);
            };
            const RunOutcome outcome = run(host);
            if (!threads) {
                // A sanitizer starts a helper thread of its own with the
                // process's first thread: it is there before the count.
                std::thread([] {}).join();
                threads = steadyThreadCount();
            }
            EXPECT_EQ(settledThreadCount(*threads), *threads);
            row.check(host, outcome);
            for (const char* folder : {"a", "b", "c", "d", "many"}) {
                if (test::pathExists(tree / folder))
                    tree.remove(folder);
            }
        }
    }
}

// The descriptors this process holds open, less the one reading them.
int openDescriptorCount() {
    return entryCount("/proc/self/fd") - 3;
}

// Folders done with are closed on a thread of their own, in batches: a run
// that ends, listed or aborted, has closed every one of them and ended that
// thread, whatever was still waiting. A list of names hands the thread every
// folder from the search, a list with facts most of them from the collection.
TEST_F(CreateCommandPosixTest, ARunOverManyFoldersLeavesNoDescriptorOpen) {
    for (int i = 0; i < 150; ++i)
        tree.file("d" + std::to_string(i) + "/f", "x");
    std::thread([] {}).join(); // a sanitizer's helper thread starts with the first
    const int threads = steadyThreadCount();
    const int descriptors = openDescriptorCount();
    for (const char* readers : {"0", "4"}) {
        for (const int pass : {0, 1, 2, 3}) {
            const bool abortMidway = pass % 2 == 1;
            const bool facts = pass >= 2;
            SCOPED_TRACE(std::string("readers ") + readers + (abortMidway ? ", aborted" : "") +
                         (facts ? ", facts" : ", names"));
            const ScopedEnv width("KESTRO_READERS", readers);
            ListOptions options = optionsFor(tree.path());
            options.sizeColumn = facts;
            RecordingHost host(options);
            int collectingYields = 0;
            host.onYield = [&](int, const std::string& phase) {
                // A hundred folders in: the thread has had a batch.
                if (abortMidway && phase == CollectingStatus && ++collectingYields == 2)
                    host.abort = true;
            };
            EXPECT_EQ(run(host), abortMidway ? RunOutcome::Aborted : RunOutcome::Listed);
            EXPECT_EQ(openDescriptorCount(), descriptors);
            EXPECT_EQ(settledThreadCount(threads), threads);
        }
    }
}

TEST_F(CreateCommandPosixTest, PlantedLinkAtTheSpoolPlaceIsNotFollowed) {
    const std::string victim = tree.file("victim.txt", "keep me");
    spoolFolder.symlink(ListSpoolName, victim);
    tree.file("x");
    ListOptions options = optionsFor(tree.path());
    options.subFolders = false;
    RecordingHost host(options);
    ASSERT_EQ(run(host), RunOutcome::Listed);
    EXPECT_EQ(test::readFile(victim), "keep me");
    EXPECT_FALSE(spoolLeft());
}

TEST_F(CreateCommandPosixTest, DepthBeyondThePathLimitDropsNoFile) {
    tree.file("top.txt", "12");
    // Deeper than the folders the walk keeps open at once, too.
    DeepChain deep(tree.path(), 70, 200, "deep.txt");
    ASSERT_GT(deep.bottom().size(), std::size_t{PATH_MAX});
    ListOptions options = optionsFor(tree.path());
    options.sizeColumn = true;
    RecordingHost host(options);
    ASSERT_EQ(run(host), RunOutcome::Listed);
    EXPECT_EQ(host.list, "ﾌｧｲﾙ名\tﾌｧｲﾙｻｲｽﾞ\r\n\r\n" + root() + "\r\ntop.txt\t2 Byte\r\n\r\n" +
                             deep.bottom() + "\r\ndeep.txt\t3 Byte\r\n");
    EXPECT_TRUE(host.failures.empty());
}

TEST_F(CreateCommandPosixTest, ControlCharactersInNamesKeepOneLinePerFile) {
    tree.file("tab\there");
    tree.file("line\nfeed");
    tree.file("cr\rname.t\x7Fx");
    tree.file("title\x1B]0;x\x07/inside");
    // The pictures themselves, as a name holds them: never shown as a tab.
    tree.file("tab␉here");
    tree.file("tab␥\there");
    ListOptions options = optionsFor(tree.path());
    options.pathColumn = true;
    options.extensionColumn = true;
    RecordingHost host(options);
    ASSERT_EQ(run(host), RunOutcome::Listed);
    const std::string p = root();
    EXPECT_EQ(host.list, "ﾊﾟｽ名\tﾌｧｲﾙ名\t拡張子\r\n\r\n" + p + "\r\n" + p +
                             "\tcr␍name.t␡x\tt␡x\r\n" + p + "\tline␊feed\t\r\n" + p +
                             "\ttab␉here\t\r\n" + p + "\ttab␥␉here\t\r\n" + p +
                             "\ttab␥␥␉here\t\r\n\r\n" + p + "title␛]0;x␇/\r\n" + p +
                             "title␛]0;x␇/\tinside\t\r\n");
}

TEST_F(CreateCommandPosixTest, AFolderTheUserMayNotReadIsSkippedOrEndsTheRun) {
    // For a user who is not all-powerful.
    TempTree locked;
    locked.chmod(".", 0755);
    locked.file("open/f");
    locked.file("shut/f");
    locked.chmod("shut", 0000);
    spoolFolder.chmod(".", 0777);
    const int status = test::runAsUnprivileged([&] {
        ListOptions lockedOptions = optionsFor(locked.path());
        lockedOptions.insertPathLine = false;
        lockedOptions.skipUnreadable = true;
        RecordingHost skipping(lockedOptions);
        if (run(skipping) != RunOutcome::Listed || skipping.list != "ﾌｧｲﾙ名\r\nf\r\n")
            return 1;
        if (skipping.skipped.size() != 1 || skipping.skipped[0].number != 70)
            return 2;
        lockedOptions.skipUnreadable = false;
        RecordingHost strict(lockedOptions);
        if (run(strict) != RunOutcome::Failed || strict.failures.size() != 1 ||
            strict.failures[0].number != 70)
            return 3;
        return 0;
    });
    EXPECT_EQ(status, 0) << "1, 2: skipping run, 3: strict run, -1: could not drop privileges";
}

// The spool on a full disk: the run fails with the disk's failure, also when
// a folder after the ones that filled it cannot be read, and leaves no spool.
TEST_F(CreateCommandPosixTest, AFullDiskUnderTheSpoolIsTheFirstFailure) {
    TempTree locked;
    locked.chmod(".", 0755);
    for (int i = 0; i < 600; ++i)
        locked.file("a/" + std::string(120, 'n') + std::to_string(i));
    locked.file("shut/f");
    locked.chmod("shut", 0000);
    spoolFolder.chmod(".", 0777);
    spoolFolder.folder("small");
    const std::string small = spoolFolder / "small";
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k,mode=0777") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    const int status = test::runAsUnprivileged([&] {
        ListOptions options = optionsFor(locked.path());
        RecordingHost host(options);
        if (runCreateCommand(host, small) != RunOutcome::Failed || host.failures.size() != 1 ||
            host.failures[0].number != 61)
            return 1;
        return test::pathExists(small + "/" + ListSpoolName) ? 2 : 0;
    });
    ::umount(small.c_str());
    EXPECT_EQ(status, 0) << "1: not the disk's failure, 2: spool left, -1: no privileges to drop";
}

// Names that differ in case only are two files on a case-sensitive file
// system.
TEST_F(CreateCommandPosixTest, SkippedNamesAreExactAndCaseSensitive) {
    tree.file("_Kestro.tmp");
    tree.file("_kestro.tmp");
    tree.file("WIN386.SWP");
    tree.file("win386.swp");
    tree.file("only/_Kestro.tmp");
    ListOptions options = optionsFor(tree.path());
    options.insertPathLine = false;
    RecordingHost host(options);
    ASSERT_EQ(run(host), RunOutcome::Listed);
    // The folder holding only a skipped name still writes its (empty) group.
    EXPECT_EQ(host.list, "ﾌｧｲﾙ名\r\n_kestro.tmp\r\nwin386.swp\r\n\r\n");
}

// A name part longer than a file system allows is a bad name (52), which the
// run lets pass for files inside it, never for the folder it lists.
TEST_F(CreateCommandPosixTest, ARootNameTooLongIsReported) {
    RecordingHost host(optionsFor(tree / std::string(300, 'x')));
    host.options_.skipUnreadable = true;
    EXPECT_EQ(run(host), RunOutcome::Failed);
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.failures[0].number, 52);
    EXPECT_TRUE(host.skipped.empty());
}

// Two sparse files of 2^62 bytes (tmpfs holds them): the totals go past
// what a signed 64-bit number holds and stay exact in every unit.
TEST_F(CreateCommandPosixTest, TotalsBeyondSixtyThreeBitsAreExact) {
    char folder[] = "/dev/shm/kestro-totals-XXXXXX";
    if (!::mkdtemp(folder))
        GTEST_SKIP() << "no /dev/shm";
    bool made = true;
    for (const char* name : {"a", "b"}) {
        const int fd = ::open((std::string(folder) + "/" + name).c_str(),
                              O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        made = made && fd >= 0 && ::ftruncate(fd, off_t{1} << 62) == 0;
        ::close(fd);
    }
    const std::string units[] = {"9,223,372,036,854,775,808 Byte", "9,007,199,254,740,992 KB",
                                 "8,796,093,022,208 MB"};
    for (int unit = 0; made && unit < 3; ++unit) {
        ListOptions options = optionsFor(folder);
        options.totals = true;
        options.csv = unit == 1;
        options.sizeUnit = unit;
        RecordingHost host(options);
        ASSERT_EQ(run(host), RunOutcome::Listed);
        const std::string cell = options.csv ? "\"" + units[unit] + "\"" : units[unit];
        EXPECT_NE(host.list.find("ｻｲｽﾞ" + std::string(options.csv ? "," : "\t") + cell + "\r\n"),
                  std::string::npos)
            << host.list;
    }
    for (const char* name : {"a", "b"})
        ::unlink((std::string(folder) + "/" + name).c_str());
    ::rmdir(folder);
    if (!made)
        GTEST_SKIP() << "no sparse files of 2^62 bytes here";
}

} // namespace
} // namespace kestro
