#include "platform/folder.h"

#include "platform/file_pattern.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <string>

namespace kestro {
namespace {

TEST(FolderTest, MissingFolderFailsWithPathNotFound) {
    test::TempTree tree;
    tree.file("file");
    for (const std::string& folder : {tree / "missing", tree / "missing/deeper", tree / "file"}) {
        auto files = listFiles(folder, FilePatternSet("*.*"), {});
        ASSERT_FALSE(files.ok()) << folder;
        EXPECT_EQ(files.failure().number, failure::PathNotFound) << folder;
        EXPECT_NE(files.failure().description.find(folder), std::string::npos);
        auto folders = listWalkableSubFolders(folder);
        ASSERT_FALSE(folders.ok()) << folder;
        EXPECT_EQ(folders.failure().number, failure::PathNotFound) << folder;
    }
}

} // namespace
} // namespace kestro
