#include "platform/folder.h"

#include "platform/file_pattern.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

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

TEST(FolderTest, FilesComeInOrderWithoutRegardToCase) {
    test::TempTree tree;
    for (const char* name : {"b.txt", "日本.txt", "A.txt", "c.TXT", "B2.txt"})
        tree.file(name);
    EXPECT_EQ(listOrFail(tree.path(), "*.*", {}),
              (Names{"A.txt", "b.txt", "B2.txt", "c.TXT", "日本.txt"}));
}

TEST(FolderTest, OnlyFilesThatMatchArePassed) {
    test::TempTree tree;
    tree.file("one.txt");
    tree.file("Two.TXT");
    tree.file("three.doc");
    tree.file("Makefile");
    EXPECT_EQ(listOrFail(tree.path(), "*.txt", {}), (Names{"one.txt", "Two.TXT"}));
    EXPECT_EQ(listOrFail(tree.path(), "*.doc; make*", {}), (Names{"Makefile", "three.doc"}));
    EXPECT_EQ(listOrFail(tree.path(), "", {}), Names{});
}

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
