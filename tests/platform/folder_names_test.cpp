#include "platform/folder_names.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kestro {
namespace {

using Names = std::vector<std::string>;

// The tree offers every folder the user may pick, by its own bytes.
TEST(FolderNamesTest, EveryFolderAndLinkToAFolderButNoFile) {
    test::TempTree tree;
    tree.folder("plain");
    tree.folder(".hidden");
    tree.folder("caf\xE9"); // not UTF-8
    tree.file("file.txt");
    tree.symlink("to-folder", "plain");
    tree.symlink("to-file", "file.txt");
    tree.symlink("dangling", "nowhere");
    auto listed = listFolderNames(tree.path());
    ASSERT_TRUE(listed.ok());
    Names names = listed.value();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Names{".hidden", "caf\xE9", "plain", "to-folder"}));

    auto missing = listFolderNames(tree / "gone");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().number, 76);
}

} // namespace
} // namespace kestro
