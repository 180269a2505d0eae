#include "platform/folder_names.h"

#include "platform/file_facts.h"
#include "platform/folder.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kestro {
namespace {

// The folder tree offers hidden and system folders too, never a file.
TEST(FolderNamesTest, EveryFolderButNoFile) {
    test::TempTree tree;
    tree.folder("plain");
    ASSERT_TRUE(writeAttributes(tree.folder("hidden"), attribute::Hidden).ok());
    tree.folder("日本語");
    tree.file("file.txt");
    auto listed = listFolderNames(tree.path());
    ASSERT_TRUE(listed.ok());
    std::vector<std::string> names = listed.value();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"hidden", "plain", "日本語"}));

    auto missing = listFolderNames(tree / "gone");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().number, 76);
}

} // namespace
} // namespace kestro
