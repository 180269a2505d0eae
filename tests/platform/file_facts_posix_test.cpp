#include "platform/file_facts.h"

#include "platform/folder.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kestro {
namespace {

mode_t modeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(FileFactsTest, ProbeAcceptsReadableFilesOnly) {
    test::TempTree tree;
    tree.file("file.txt", "x");
    tree.folder("folder");
    tree.symlink("link", "file.txt");
    tree.symlink("dangling", "nowhere");
    const std::vector<std::pair<std::string, bool>> cases = {
        {tree / "file.txt", true},     {tree / "link", true},      {"", false},
        {tree / "file.txt/", false},   {tree / "folder", false},   {tree / "folder/", false},
        {tree / "missing.txt", false}, {tree / "dangling", false}, {tree / "missing/deep", false},
    };
    for (const auto& [path, enabled] : cases)
        EXPECT_EQ(probeEnabled(path), enabled) << path;
    EXPECT_TRUE(probeReadable(tree / "file.txt"));
    EXPECT_FALSE(probeReadable(tree / "missing.txt"));
    EXPECT_FALSE(probeReadable(""));
}

TEST(FileFactsTest, ProbeOnFifoReturnsAtOnce) {
    test::TempTree tree;
    const std::string pipe = tree.fifo("pipe");
    // Opening a FIFO for reading blocks until a writer comes; the probe must
    // not. A hang ends in the alarm, which fails the test.
    int status = test::runWithTimeout(
        [&] { return (probeEnabled(pipe) ? 1 : 0) + (probeReadable(pipe) ? 2 : 0); }, 5);
    EXPECT_EQ(status, 3);
}

TEST(FileFactsTest, UnreadableFileIsNotEnabledButHasFacts) {
    test::TempTree tree;
    tree.chmod(".", 0755);
    const std::string secret = tree.file("secret.txt", "12345");
    tree.chmod("secret.txt", 0000);
    tree.file("open.txt", "123");
    int status = test::runAsUnprivileged([&] {
        if (probeEnabled(secret))
            return 1;
        if (probeReadable(secret))
            return 2;
        auto facts = readFileFacts(secret);
        if (!facts.ok() || facts.value().size != 5)
            return 3;
        // The same relative to the open folder; the create command's read
        // refuses what the user may not read.
        auto folder = OpenFolder::open(tree.path());
        if (!folder)
            return 4;
        const int fd = folder.value().fd();
        auto at = readFileFactsAt(fd, "secret.txt");
        if (probeReadableAt(fd, "secret.txt") || !at.ok() || at.value().size != 5)
            return 5;
        auto listed = readReadableFileFactsAt(fd, "secret.txt", effectiveUserId());
        if (listed.ok() || listed.failure().number != failure::PermissionDenied)
            return 6;
        auto readable = readReadableFileFactsAt(fd, "open.txt", effectiveUserId());
        if (!readable.ok() || readable.value().size != 3)
            return 7;
        return 0;
    });
    EXPECT_EQ(status, 0) << "1/2: probe passed, 3: no facts, 4-7: relative to the folder, "
                            "-1: could not drop privileges";
}

TEST(FileFactsTest, ReadsSizesTimesAndLinks) {
    test::TempTree tree;
    const std::string file = tree.file("data.bin", std::string(5000, 'x'));
    const std::time_t written = 946857907; // 2000-01-03 00:05:07 UTC
    const std::time_t accessed = 1700000000;
    tree.setTimes("data.bin", accessed, written);
    ASSERT_EQ(::link(file.c_str(), (tree / "second").c_str()), 0);
    const std::time_t before = std::time(nullptr);

    auto facts = readFileFacts(file);
    ASSERT_TRUE(facts.ok());
    EXPECT_EQ(facts.value().size, 5000);
    EXPECT_GE(facts.value().allocatedSize, 5000);
    EXPECT_EQ(facts.value().allocatedSize % 512, 0);
    EXPECT_EQ(facts.value().linkCount, 2u);
    EXPECT_EQ(facts.value().lastWrite.seconds, written);
    EXPECT_EQ(facts.value().lastAccess.seconds, accessed);
    EXPECT_EQ(facts.value().attributes, 0u);
    // Birth time where the file system keeps it (just now), else last write.
    const std::int64_t creation = facts.value().creation.seconds;
    EXPECT_TRUE(creation == written || (creation > before - 120 && creation <= before + 1))
        << creation;

    auto sparse = readFileFacts(tree.sparseFile("sparse", 64 << 20));
    ASSERT_TRUE(sparse.ok());
    EXPECT_EQ(sparse.value().size, 64 << 20);
    EXPECT_LT(sparse.value().allocatedSize, sparse.value().size);
}

TEST(FileFactsTest, AttributesMapModeAndName) {
    test::TempTree tree;
    tree.file("plain.txt");
    tree.file("locked.txt");
    tree.chmod("locked.txt", 0444);
    tree.file(".hidden");
    tree.fifo("pipe");
    tree.symlink("to-pipe", "pipe");
    tree.folder("folder");
    tree.folder("ro-folder");
    tree.chmod("ro-folder", 0555);
    tree.folder(".config");
    tree.symlink(".to-plain", "plain.txt");
    using namespace attribute;
    const std::vector<std::pair<std::string, std::uint32_t>> cases = {
        {tree / "plain.txt", 0},
        {tree / "locked.txt", ReadOnly},
        {tree / ".hidden", Hidden},
        {tree / "pipe", System},
        {tree / "to-pipe", System},
        {tree / "folder", Directory},
        {tree / "ro-folder", Directory | ReadOnly},
        {tree / ".config", Directory | Hidden},
        {tree / ".config/", Directory | Hidden},
        {tree / ".to-plain", Hidden},
        {tree / "folder/.", Directory},
        {tree / "folder/..", Directory},
    };
    for (const auto& [path, expected] : cases) {
        auto read = readAttributes(path);
        ASSERT_TRUE(read.ok()) << path;
        EXPECT_EQ(read.value(), expected) << path;
        auto facts = readFileFacts(path);
        ASSERT_TRUE(facts.ok()) << path;
        EXPECT_EQ(facts.value().attributes, expected) << path;
    }
}

TEST(FileFactsTest, WritingReadOnlyTogglesWriteBits) {
    test::TempTree tree;
    const std::string file = tree.file("file.txt");
    tree.chmod("file.txt", 0664);

    ASSERT_TRUE(writeAttributes(file, attribute::ReadOnly).ok());
    EXPECT_EQ(modeOf(file), 0444u);
    EXPECT_EQ(readAttributes(file).valueOr(0u), attribute::ReadOnly);

    ASSERT_TRUE(writeAttributes(file, 0).ok());
    EXPECT_EQ(modeOf(file), 0644u); // the owner's bit only

    // Hidden, system and archive cannot be written and change nothing.
    ASSERT_TRUE(
        writeAttributes(file, attribute::Hidden | attribute::System | attribute::Archive).ok());
    EXPECT_EQ(modeOf(file), 0644u);
    EXPECT_EQ(readAttributes(file).valueOr(99u), 0u);
}

} // namespace
} // namespace kestro
