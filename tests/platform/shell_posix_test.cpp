// Copies, moves and starts where POSIX decides: modes, holes, FIFOs, links,
// a second file system, and children to reap.

#include "platform/shell.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace kestro {
namespace {

namespace fs = std::filesystem;
using test::awaitFile;
using test::pathExists;
using test::readFile;

// True when this process has no child left, not even a zombie.
bool noChildLeft() {
    return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

TEST(ShellCopy, CopiesPermissions) {
    test::TempTree tree;
    const std::string source = tree.file("a.txt", "abc");
    tree.chmod("a.txt", 0640);
    ASSERT_TRUE(copyFileTo(source, tree / "b.txt"));
    struct stat copied {};
    ASSERT_EQ(::stat((tree / "b.txt").c_str(), &copied), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(copied.st_mode & 0777, 0640u & ~mask);
}

// A sparse file copies as fast as its data and takes no more room than it
// did.
TEST(ShellCopy, KeepsASparseFileSparse) {
    test::TempTree tree;
    const off_t size = off_t{1} << 30;
    const std::string source = tree.sparseFile("sparse", size);
    {
        const int fd = ::open(source.c_str(), O_WRONLY);
        ASSERT_EQ(::pwrite(fd, "head", 4, 0), 4);
        ASSERT_EQ(::pwrite(fd, "tail", 4, size - 4), 4);
        ::close(fd);
    }
    struct stat original {};
    ASSERT_EQ(::stat(source.c_str(), &original), 0);
    if (original.st_blocks * 512 >= size)
        GTEST_SKIP() << "this file system keeps no holes";
    ASSERT_TRUE(copyFileTo(source, tree / "copy"));
    struct stat copied {};
    ASSERT_EQ(::stat((tree / "copy").c_str(), &copied), 0);
    EXPECT_EQ(copied.st_size, size);
    EXPECT_LE(copied.st_blocks, original.st_blocks + 64);
    const int fd = ::open((tree / "copy").c_str(), O_RDONLY);
    char head[4] = {};
    char middle[4] = {1, 1, 1, 1};
    char tail[4] = {};
    ASSERT_EQ(::pread(fd, head, 4, 0), 4);
    ASSERT_EQ(::pread(fd, middle, 4, size / 2), 4);
    ASSERT_EQ(::pread(fd, tail, 4, size - 4), 4);
    ::close(fd);
    EXPECT_EQ(std::string(head, 4), "head");
    EXPECT_EQ(std::string(middle, 4), std::string(4, '\0'));
    EXPECT_EQ(std::string(tail, 4), "tail");
}

// A second file system to move across; /dev/shm is one on most systems.
std::string otherFileSystemFolder(const std::string& than) {
    struct stat here {};
    struct stat there {};
    if (::stat(than.c_str(), &here) != 0 || ::stat("/dev/shm", &there) != 0 ||
        here.st_dev == there.st_dev || ::access("/dev/shm", W_OK) != 0)
        return {};
    std::string folder = "/dev/shm/kestro-test-XXXXXX";
    return ::mkdtemp(folder.data()) ? folder : std::string();
}

TEST(ShellMove, MovesAcrossFileSystemsWithoutReplacing) {
    test::TempTree tree;
    const std::string other = otherFileSystemFolder(tree.path());
    if (other.empty())
        GTEST_SKIP() << "no second writable file system";
    const std::string source = tree.file("a.txt", "moving");
    const std::string existing = other + "/taken.txt";
    {
        std::FILE* out = std::fopen(existing.c_str(), "w");
        std::fputs("old", out);
        std::fclose(out);
    }
    Status refused = moveFileTo(source, existing);
    EXPECT_FALSE(refused);
    EXPECT_EQ(readFile(source), "moving");
    EXPECT_EQ(readFile(existing), "old");

    Status moved = moveFileTo(source, other);
    EXPECT_TRUE(moved);
    EXPECT_FALSE(pathExists(source));
    EXPECT_EQ(readFile(other + "/a.txt"), "moving");

    // A link stays a link with its own text, even a dangling one.
    for (const char* target : {"a.txt", "/nowhere/at/all"}) {
        const std::string link = tree.symlink("link", target);
        EXPECT_TRUE(moveFileTo(link, other + "/link")) << target;
        EXPECT_FALSE(pathExists(link));
        EXPECT_TRUE(fs::is_symlink(other + "/link")) << target;
        if (fs::is_symlink(other + "/link")) {
            EXPECT_EQ(fs::read_symlink(other + "/link"), target);
        }
        fs::remove(other + "/link");
    }
    fs::remove_all(other);
}

TEST(ShellStart, OpensAndPrintsDetachedWithoutLeavingAChild) {
    test::TempTree tree;
    const std::string bin = test::installRecordingPrograms(tree, {"xdg-open", "lp"}, "sleep 0.2");
    test::ScopedEnv path("PATH", bin + ":/usr/bin:/bin");
    shellOpen("https://example.org/a b");
    // Returns before the program ends, and leaves nothing to reap.
    EXPECT_FALSE(pathExists(tree / "xdg-open"));
    EXPECT_TRUE(noChildLeft());
    // A name that looks like an option is passed as a path.
    shellPrint("-n 5 report.txt");
    EXPECT_TRUE(noChildLeft());
    EXPECT_EQ(awaitFile(tree / "xdg-open"), "https://example.org/a b\n");
    EXPECT_EQ(awaitFile(tree / "lp"), "./-n 5 report.txt\n");
}

TEST(ShellStart, NothingHappensWithoutThePrograms) {
    test::TempTree tree;
    test::ScopedEnv path("PATH", tree.folder("empty-bin"));
    shellOpen(tree.file("a.txt"));
    shellPrint(tree / "a.txt");
    EXPECT_TRUE(noChildLeft());
}

TEST(ShellCopy, RefusesAFifoSource) {
    test::TempTree tree;
    Status copied = copyFileTo(tree.fifo("pipe"), tree / "d.txt");
    ASSERT_FALSE(copied);
    EXPECT_EQ(copied.failure().number, failure::PathFileAccess);
    EXPECT_FALSE(pathExists(tree / "d.txt"));
}

} // namespace
} // namespace kestro
