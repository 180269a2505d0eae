#include "platform/drives.h"
#include "platform/paths.h"
#include "platform/program_paths.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace kestro {
namespace {

using test::ScopedEnv;
using test::TempTree;

TEST(ProgramPathsWindows, PerUserFoldersAreTheSystemsOwn) {
    TempTree tree;
    ScopedEnv roaming(test::ConfigHomeVariable, tree / "roaming");
    ScopedEnv local(test::CacheHomeVariable, tree / "local");
    EXPECT_EQ(configHome(), tree / "roaming");
    EXPECT_EQ(cacheHome(), tree / "local");
    const std::string program = programFolder();
    EXPECT_TRUE(isAbsolutePath(program)) << program;
    EXPECT_NE(program.back(), '\\');
}

// Paths far beyond MAX_PATH (260) reach the system whole.
TEST(ProgramPathsWindows, FilesAreMadeWrittenAndReadAtAnyDepth) {
    TempTree tree;
    std::string folder = tree.path();
    while (folder.size() < 400)
        folder = joinPath(folder, std::string(40, 'd'));
    ASSERT_TRUE(makeFolders(folder).ok());
    const std::string file = joinPath(folder, "f.txt");
    ASSERT_TRUE(writeFileAtomically(file, "first").ok());
    ASSERT_TRUE(writeFileAtomically(file, "second").ok());
    auto read = readWholeFile(file);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value(), "second");
    EXPECT_FALSE(test::pathExists(file + ".kestro-new"));
    ASSERT_TRUE(saveFileKeepingIdentity(file, "third").ok());
    EXPECT_EQ(readWholeFile(file).valueOr(std::string()), "third");
    // A file of the user's under the name the new content is written to
    // first is left alone.
    const std::string list = tree.file("list.txt", "old");
    const std::string mine = tree.file("list.txt.kestro-new", "mine");
    ASSERT_TRUE(saveFileKeepingIdentity(list, "saved").ok());
    ASSERT_TRUE(writeFileAtomically(list, "written").ok());
    EXPECT_EQ(readWholeFile(mine).valueOr(std::string()), "mine");
    EXPECT_EQ(readWholeFile(list).valueOr(std::string()), "written");

    auto tooBig = readWholeFile(file, 2);
    ASSERT_FALSE(tooBig.ok());
    EXPECT_EQ(tooBig.failure().number, failure::OutOfMemory);
    const std::pair<std::string, int> failures[] = {
        {folder, failure::PathFileAccess},
        {joinPath(folder, "missing.txt"), failure::FileNotFound},
        {joinPath(joinPath(folder, "missing"), "f.txt"), failure::PathNotFound},
    };
    for (const auto& [path, number] : failures) {
        auto failed = readWholeFile(path);
        ASSERT_FALSE(failed.ok()) << path;
        EXPECT_EQ(failed.failure().number, number) << path;
    }
    // Below a file, no folder can be made.
    auto blocked = makeFolders(joinPath(file, "below"));
    ASSERT_FALSE(blocked.ok());
    EXPECT_EQ(blocked.failure().number, failure::PathNotFound);
}

TEST(DrivesWindows, DriveLettersAndTheirRoots) {
    const std::vector<std::string> drives = listDrives();
    EXPECT_NE(std::find(drives.begin(), drives.end(), "C:\\"), drives.end());
    EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end()));
    EXPECT_EQ(driveOf("c:\\windows\\system32"), "C:\\");
    EXPECT_EQ(driveAmong({"D:\\", "C:\\"}, "C:/windows"), "C:\\");
    EXPECT_EQ(driveAmong({"D:\\"}, "C:\\windows"), "");
    EXPECT_EQ(mountPointOf("C:\\windows\\system32"), "C:\\");
    EXPECT_TRUE(openDriveRoot("C:\\").ok());
    // A letter no drive has.
    for (char letter = 'Q'; letter <= 'Y'; ++letter) {
        const std::string root = std::string(1, letter) + ":\\";
        if (std::find(drives.begin(), drives.end(), root) != drives.end())
            continue;
        auto missing = openDriveRoot(root);
        ASSERT_FALSE(missing.ok());
        EXPECT_EQ(missing.failure().number, failure::DeviceUnavailable);
        break;
    }
}

} // namespace
} // namespace kestro
