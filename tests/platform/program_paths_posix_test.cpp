// The per-user folders, modes and links, and files that are no regular ones,
// as POSIX has them.

#include "platform/program_paths.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <dirent.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kestro {
namespace {

std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

mode_t modeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode;
}

TEST(ProgramPathsTest, ProgramFolderHoldsTheRunningProgram) {
    const std::string folder = programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_NE(folder.back(), '/');
    struct stat self {};
    struct stat listed {};
    ASSERT_EQ(::stat("/proc/self/exe", &self), 0);
    ASSERT_EQ(::stat((folder + "/" + program_invocation_short_name).c_str(), &listed), 0);
    EXPECT_EQ(self.st_ino, listed.st_ino);
    EXPECT_EQ(self.st_dev, listed.st_dev);
}

TEST(ProgramPathsTest, UserFoldersFollowXdgVariablesAndHome) {
    struct Case {
        const char* variable;
        std::string (*folder)();
        const char* belowHome;
    };
    const std::vector<Case> cases = {
        {"XDG_CONFIG_HOME", configHome, "/.config"},
        {"XDG_CACHE_HOME", cacheHome, "/.cache"},
        {"XDG_DATA_HOME", dataHome, "/.local/share"},
    };
    const passwd* user = ::getpwuid(::getuid());
    ASSERT_NE(user, nullptr);
    const std::string accountHome = user->pw_dir;
    for (const auto& c : cases) {
        test::ScopedEnv home("HOME", "/home/someone");
        {
            test::ScopedEnv xdg(c.variable, "/elsewhere/xdg");
            EXPECT_EQ(c.folder(), "/elsewhere/xdg") << c.variable;
        }
        {
            test::ScopedEnv xdg(c.variable, "relative/xdg");
            EXPECT_EQ(c.folder(), std::string("/home/someone") + c.belowHome) << c.variable;
        }
        {
            test::ScopedEnv xdg(c.variable, "");
            EXPECT_EQ(c.folder(), std::string("/home/someone") + c.belowHome) << c.variable;
        }
        test::ScopedEnv xdg(c.variable, std::nullopt);
        EXPECT_EQ(c.folder(), std::string("/home/someone") + c.belowHome) << c.variable;
        test::ScopedEnv noHome("HOME", std::nullopt);
        std::string expected =
            accountHome == "/" ? std::string(c.belowHome) : accountHome + c.belowHome;
        EXPECT_EQ(c.folder(), expected) << c.variable;
    }
}

TEST(ProgramPathsTest, MadeFoldersArePrivateToTheUser) {
    test::TempTree tree;
    ASSERT_TRUE(makeFolders(tree / "a/b/c").ok());
    EXPECT_EQ(modeOf(tree / "a/b") & 0077, 0u);
}

TEST(ProgramPathsTest, AtomicWriteReplacesContentAndKeepsMode) {
    test::TempTree tree;
    const std::string path = tree / "settings.conf";
    ASSERT_TRUE(writeFileAtomically(path, "first").ok());
    EXPECT_EQ(test::readFile(path), "first");

    tree.chmod("settings.conf", 0640);
    const std::string binary("a\0b\r\n", 5);
    ASSERT_TRUE(writeFileAtomically(path, binary).ok());
    EXPECT_EQ(test::readFile(path), binary);
    EXPECT_EQ(modeOf(path) & 07777, 0640u);
    ASSERT_TRUE(writeFileAtomically(path, "").ok());
    EXPECT_EQ(test::readFile(path), "");
    EXPECT_EQ(entriesOf(tree.path()), std::vector<std::string>{"settings.conf"});

    auto read = readWholeFile(path);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value(), "");
}

TEST(ProgramPathsTest, AtomicWriteThroughALink) {
    test::TempTree tree;
    const std::string target = tree.file("real/list.txt", "old");
    const std::string link = tree.symlink("link.txt", target);
    ASSERT_TRUE(writeFileAtomically(link, "new").ok());
    EXPECT_EQ(test::readFile(target), "new");
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays a link";
    // A link whose file is not there yet (settings kept elsewhere) too.
    const std::string dangling = tree.symlink("dangling.conf", tree / "real/made.conf");
    ASSERT_TRUE(writeFileAtomically(dangling, "made").ok());
    EXPECT_EQ(test::readFile(tree / "real/made.conf"), "made");
    ASSERT_EQ(::lstat(dangling.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST(ProgramPathsTest, AtomicWriteInLockedFolderKeepsOldFile) {
    test::TempTree tree;
    tree.chmod(".", 0755);
    tree.folder("locked");
    const std::string path = tree.file("locked/list.txt", "old content");
    tree.chmod("locked/list.txt", 0666);
    tree.chmod("locked", 0555);
    int status = test::runAsUnprivileged([&] {
        auto written = writeFileAtomically(path, "new content");
        if (written.ok())
            return 1;
        if (written.failure().number != failure::PermissionDenied)
            return 2;
        if (test::readFile(path) != "old content")
            return 3;
        return 0;
    });
    EXPECT_EQ(status, 0) << "1: succeeded, 2: wrong number, 3: old file changed, -1: no drop";
    EXPECT_EQ(test::readFile(path), "old content");
    EXPECT_EQ(entriesOf(tree / "locked"), std::vector<std::string>{"list.txt"});
}

// A workbook or PDF is saved from its file in the cache folder a piece at a
// time, the saved file kept as a save of bytes keeps it.
TEST(ProgramPathsTest, SavingFromAFileSavesItsWholeContent) {
    test::TempTree tree;
    test::ScopedEnv cache("XDG_CACHE_HOME", tree / "cache");
    std::string content;
    for (int i = 0; content.size() < 200'000; ++i)
        content += std::to_string(i) + ",";
    const std::string source = tree.file("made.xlsx", content);
    const std::string replaced = tree.file("replaced.xlsx", "old");
    tree.chmod("replaced.xlsx", 0640);
    const std::string linked = tree.file("linked.xlsx", "old");
    ASSERT_EQ(::link(linked.c_str(), (tree / "second.xlsx").c_str()), 0);
    for (const std::string& path : {tree / "new.xlsx", replaced, linked}) {
        ASSERT_TRUE(saveFileKeepingIdentityFrom(path, source).ok()) << path;
        EXPECT_TRUE(test::readFile(path) == content) << path;
    }
    EXPECT_EQ(modeOf(replaced) & 07777, 0640u);
    EXPECT_TRUE(test::readFile(tree / "second.xlsx") == content); // rewritten in place
    EXPECT_TRUE(test::readFile(source) == content);

    const Status missing = saveFileKeepingIdentityFrom(replaced, tree / "gone.xlsx");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().number, 53);
    EXPECT_TRUE(test::readFile(replaced) == content);
}

TEST(ProgramPathsTest, ReadWholeFileFailsOnAFifoWithoutBlocking) {
    test::TempTree tree;
    const std::string pipe = tree.fifo("pipe");
    int status = test::runWithTimeout(
        [&] {
            auto read = readWholeFile(pipe);
            return read.ok() ? 1 : (read.failure().number == failure::PathFileAccess ? 0 : 2);
        },
        5);
    EXPECT_EQ(status, 0) << "1: read succeeded, 2: wrong number, -1: blocked";
}

} // namespace
} // namespace kestro
