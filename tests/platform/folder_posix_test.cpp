// Listing folders where POSIX decides: names that differ only in case or are
// not UTF-8, links, FIFOs, mode bits and a second user.

#include "platform/folder.h"
#include "platform/folder_closer.h"

#include "platform/file_pattern.h"
#include "support/temp_tree.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kestro {
namespace {

using Names = std::vector<std::string>;

Names listOrFail(const std::string& folder, const std::string& patterns,
                 const IncludeSwitches& include) {
    auto listed = listFiles(folder, FilePatternSet(patterns), include);
    EXPECT_TRUE(listed.ok()) << (listed.ok() ? "" : listed.failure().description);
    return listed.ok() ? listed.value() : Names{};
}

// Only a file system that tells case apart holds both "A.txt" and "a.txt";
// folded to lower case here, "_" (0x5F) comes before the letters.
TEST(FolderTest, NamesThatDifferOnlyInCaseComeInAFixedOrder) {
    test::TempTree tree;
    for (const char* name : {"b.txt", "a.txt", "_x.txt", "A.txt"})
        tree.file(name);
    EXPECT_EQ(listOrFail(tree.path(), "*.*", {}), (Names{"_x.txt", "A.txt", "a.txt", "b.txt"}));
}

TEST(FolderTest, ANameThatIsNotUtf8IsListedByteForByte) {
    test::TempTree tree;
    tree.file("one.txt");
    tree.file("bad\xFF.txt");
    EXPECT_EQ(listOrFail(tree.path(), "*.txt", {}), (Names{"bad\xFF.txt", "one.txt"}));
}

// Portable but for its links: Wine makes no symbolic links (CreateSymbolicLinkW
// is not implemented there), so it runs here only.
TEST(FolderTest, FoldersAndLinksToFoldersAreNotFiles) {
    test::TempTree tree;
    tree.file("plain");
    tree.folder("sub");
    tree.symlink("to-sub", "sub");
    tree.symlink("to-plain", "plain");
    tree.symlink("dangling", "nowhere");
    EXPECT_EQ(listOrFail(tree.path(), "*", {}), (Names{"dangling", "plain", "to-plain"}));
    // A trailing "/" on the folder makes no difference.
    EXPECT_EQ(listOrFail(tree.path() + "/", "*", {}), (Names{"dangling", "plain", "to-plain"}));
}

TEST(FolderTest, IncludeSwitchesFilterHiddenSystemAndReadOnly) {
    test::TempTree tree;
    tree.file("plain.txt");
    tree.file(".hidden.txt");
    tree.fifo("pipe");
    tree.symlink("to-pipe", "pipe");
    tree.fifo(".hidden-pipe");
    tree.file("locked.txt");
    tree.chmod("locked.txt", 0444);
    tree.file(".hidden-locked");
    tree.chmod(".hidden-locked", 0400);
    tree.symlink("dangling", "nowhere");

    struct Case {
        IncludeSwitches include;
        Names expected;
    };
    const std::vector<Case> cases = {
        {{true, true, false, false}, {"dangling", "locked.txt", "plain.txt"}},
        {{true, true, true, false},
         {".hidden-locked", ".hidden.txt", "dangling", "locked.txt", "plain.txt"}},
        {{true, true, false, true}, {"dangling", "locked.txt", "pipe", "plain.txt", "to-pipe"}},
        {{true, true, true, true},
         {".hidden-locked", ".hidden-pipe", ".hidden.txt", "dangling", "locked.txt", "pipe",
          "plain.txt", "to-pipe"}},
        {{false, true, false, false}, {"dangling", "plain.txt"}},
        {{false, true, true, true},
         {".hidden-pipe", ".hidden.txt", "dangling", "pipe", "plain.txt", "to-pipe"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(listOrFail(tree.path(), "*.*", c.include), c.expected)
            << "readOnly " << c.include.readOnly << " hidden " << c.include.hidden << " system "
            << c.include.system;
    }
}

TEST(FolderTest, WalkableSubFoldersSkipHiddenFoldersLinksAndFiles) {
    test::TempTree tree;
    tree.folder("a");
    tree.folder("B");
    tree.folder("日本");
    tree.folder("a/nested");
    tree.folder(".hidden");
    tree.symlink("link-to-a", "a");
    tree.symlink("link-to-root", ".");
    tree.file("file");
    tree.fifo("pipe");
    auto found = listWalkableSubFolders(tree.path());
    ASSERT_TRUE(found.ok());
    Names names = found.value();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{"B", "a", "日本"}));
}

TEST(FolderTest, UnreadableFolderFailsWithPermissionDenied) {
    test::TempTree tree;
    tree.chmod(".", 0755);
    tree.folder("locked");
    tree.file("locked/inside.txt");
    tree.chmod("locked", 0000);
    const std::string locked = tree / "locked";
    int status = test::runAsUnprivileged([&] {
        auto files = listFiles(locked, FilePatternSet("*.*"), {});
        if (files.ok() || files.failure().number != failure::PermissionDenied)
            return 1;
        auto folders = listWalkableSubFolders(locked);
        if (folders.ok() || folders.failure().number != failure::PermissionDenied)
            return 2;
        return 0;
    });
    EXPECT_EQ(status, 0) << "1: file list, 2: folder list, -1: could not drop privileges";
}

// Folders handed to the closer are closed by its end: the batches its thread
// took, the one it was given while still busy, and the last, unfinished one.
TEST(FolderCloserTest, EveryFolderHandedOverIsClosedByItsEnd) {
    test::TempTree tree;
    std::vector<int> fds;
    {
        FolderCloser closer;
        for (std::size_t i = 0; i < 3 * FolderCloser::Batch + 5; ++i) {
            auto folder = OpenFolder::open(tree.path());
            ASSERT_TRUE(folder.ok());
            fds.push_back(folder.value().fd());
            closer.close(std::move(folder).value());
        }
    }
    for (const int fd : fds)
        EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "descriptor " << fd << " is still open";
}

} // namespace
} // namespace kestro
