#include "fileinfo/file_info.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

using test::TempTree;

int failureOf(const Result<bool>& result) {
    return result ? 0 : result.failure().number;
}

TEST(FileInfo, TargetsThatNeverPassTheProbe) {
    TempTree tree;
    tree.folder("dir");
    const std::string cases[] = {"", tree / "dir/", tree / "dir", tree / "missing.txt"};
    for (const auto& name : cases) {
        FileInfo file;
        file.setFileName(name);
        EXPECT_EQ(file.fileName(), name) << "stored unchanged";
        EXPECT_FALSE(file.isReadableFile()) << name;
        EXPECT_EQ(file.size().failure().number, 53) << name;
        EXPECT_EQ(failureOf(file.readOnly()), 53) << name;
        EXPECT_EQ(failureOf(file.isDirectory()), 53) << name;
        EXPECT_EQ(file.lastWriteTime().failure().number, 53) << name;
        EXPECT_EQ(file.linkCount().failure().number, 53) << name;
    }
    FileInfo empty;
    EXPECT_EQ(empty.shortPathName(), "");
    EXPECT_EQ(empty.allocatedSize(), -1);
    FileInfo missing;
    missing.setFileName(tree / "missing.txt");
    EXPECT_EQ(missing.shortPathName(), "");
    EXPECT_EQ(missing.allocatedSize(), -1);
}

TEST(FileInfo, Size) {
    TempTree tree;
    FileInfo file;
    file.setFileName(tree.file("a.txt", "hello"));
    EXPECT_TRUE(file.isReadableFile());
    EXPECT_EQ(file.size().value(), 5);
    EXPECT_EQ(file.linkCount().value(), 1);
    EXPECT_GE(file.allocatedSize(), 0);
    FileInfo empty;
    empty.setFileName(tree.file("zero"));
    EXPECT_EQ(empty.size().value(), 0);
}

TEST(FileInfo, WritingTheReadOnlyBit) {
    TempTree tree;
    FileInfo file;
    file.setFileName(tree.file("plain"));
    EXPECT_TRUE(file.setReadOnly(true).ok());
    EXPECT_TRUE(file.readOnly().value());
    EXPECT_TRUE(file.setReadOnly(false).ok());
    EXPECT_FALSE(file.readOnly().value());

    FileInfo gone;
    gone.setFileName(tree / "gone");
    EXPECT_EQ(gone.setReadOnly(true).failure().number, 53);
}

TEST(FileInfo, RemoveSpaces) {
    EXPECT_EQ(FileInfo::removeSpaces(" 4. 0. 1381. 1"), "4.0.1381.1");
    EXPECT_EQ(FileInfo::removeSpaces("a  b "), "ab");
    EXPECT_EQ(FileInfo::removeSpaces(""), "");
}

} // namespace
} // namespace kestro
