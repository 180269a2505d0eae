#include "platform/shell.h"

#include "platform/file_facts.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

TEST(ShellCopy, CopiesContentAndTheWriteTime) {
    test::TempTree tree;
    const std::string source = tree.file("a.txt", std::string(300000, 'k') + "end");
    tree.setTimes("a.txt", 946857907, 946857907);
    ASSERT_TRUE(copyFileTo(source, tree / "b.txt"));
    EXPECT_EQ(test::readFile(tree / "b.txt"), test::readFile(source));
    auto copied = readFileFacts(tree / "b.txt");
    ASSERT_TRUE(copied.ok());
    EXPECT_EQ(copied.value().lastWrite.seconds, 946857907);
}

TEST(ShellRename, TellsAMissingFileFromAMissingFolder) {
    test::TempTree tree;
    const std::string source = tree.file("a.txt", "new");
    Status noFolder = renameFileTo(source, tree / "none/a.txt");
    ASSERT_FALSE(noFolder);
    EXPECT_EQ(noFolder.failure().number, failure::PathNotFound);
    Status noSource = renameFileTo(tree / "gone.txt", tree / "c.txt");
    ASSERT_FALSE(noSource);
    EXPECT_EQ(noSource.failure().number, failure::FileNotFound);
}

TEST(ShellCopy, RefusesAndReports) {
    test::TempTree tree;
    const std::string source = tree.file("a.txt", "new");
    const std::string existing = tree.file("b.txt", "old");
    const struct {
        const char* name;
        std::string source;
        std::string destination;
        int number;
    } cases[] = {
        {"existing destination", source, existing, failure::PathFileAccess},
        {"missing destination folder", source, tree / "none/b.txt", failure::PathNotFound},
        {"missing source", tree / "gone.txt", tree / "c.txt", failure::FileNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Status copied = copyFileTo(c.source, c.destination);
        ASSERT_FALSE(copied);
        EXPECT_EQ(copied.failure().number, c.number);
    }
    EXPECT_EQ(test::readFile(source), "new");
    EXPECT_EQ(test::readFile(existing), "old");
    EXPECT_FALSE(test::pathExists(tree / "c.txt"));
}

} // namespace
} // namespace kestro
