#include "platform/program_paths.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kestro {
namespace {

std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::u8string(folder.begin(), folder.end()), error)) {
        const std::u8string name = entry.path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    return names;
}

bool isFolder(const std::string& path) {
    return std::filesystem::is_directory(std::u8string(path.begin(), path.end()));
}

TEST(ProgramPathsTest, MakeFoldersCreatesMissingParents) {
    test::TempTree tree;
    const std::string deep = tree / "a/b/c";
    ASSERT_TRUE(makeFolders(deep).ok());
    EXPECT_TRUE(isFolder(deep));
    EXPECT_TRUE(makeFolders(deep).ok()); // existing is fine
    EXPECT_TRUE(makeFolders(tree / "a//b/d/").ok());
    EXPECT_TRUE(isFolder(tree / "a/b/d"));

    tree.file("file");
    auto blocked = makeFolders(tree / "file/sub");
    ASSERT_FALSE(blocked.ok());
    EXPECT_EQ(blocked.failure().number, failure::PathNotFound);
    auto empty = makeFolders("");
    ASSERT_FALSE(empty.ok());
    EXPECT_EQ(empty.failure().number, failure::PathNotFound);
}

TEST(ProgramPathsTest, AtomicWriteWithALongName) {
    test::TempTree tree;
    const std::string longName = tree / (std::string(250, 'n') + ".txt");
    ASSERT_TRUE(writeFileAtomically(longName, "long").ok());
    EXPECT_EQ(test::readFile(longName), "long");
}

TEST(ProgramPathsTest, AtomicWriteOntoFolderLeavesItAndNoTemporary) {
    test::TempTree tree;
    tree.file("target/inside.txt", "kept");
    auto written = writeFileAtomically(tree / "target", "new");
    ASSERT_FALSE(written.ok());
    EXPECT_NE(written.failure().description.find(tree / "target"), std::string::npos);
    EXPECT_EQ(test::readFile(tree / "target/inside.txt"), "kept");
    EXPECT_EQ(entriesOf(tree.path()), std::vector<std::string>{"target"});

    auto missing = writeFileAtomically(tree / "missing/file", "x");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().number, failure::PathNotFound);
}

TEST(ProgramPathsTest, ReadWholeFileReadsBytesAndFailsOnMissingAndFolders) {
    test::TempTree tree;
    const char raw[] = "\xEF\xBB\xBF日本\0語\r\n";
    const std::string content(raw, sizeof raw - 1);
    ASSERT_TRUE(readWholeFile(tree.file("text.txt", content)).ok());
    EXPECT_EQ(readWholeFile(tree / "text.txt").value(), content);

    auto missing = readWholeFile(tree / "missing.txt");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().number, failure::FileNotFound);

    auto folder = readWholeFile(tree.folder("folder"));
    ASSERT_FALSE(folder.ok());
    EXPECT_EQ(folder.failure().number, failure::PathFileAccess);
}

} // namespace
} // namespace kestro
