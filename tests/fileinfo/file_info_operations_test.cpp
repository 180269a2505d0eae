#include "fileinfo/file_info.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kestro {
namespace {

using test::pathExists;
using test::readFile;

struct Message {
    std::string text;
    std::string title;
};

class OperationsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        source = tree.file("from/report.txt", "the report");
        tree.folder("to");
        file.setFileName(source);
        file.setMessageSink([this](const std::string& text, const std::string& title) {
            messages.push_back({text, title});
        });
    }

    test::TempTree tree;
    FileInfo file;
    std::string source;
    std::vector<Message> messages;
};

TEST_F(OperationsFixture, CopyMoveAndRenameLeaveFileNameAlone) {
    ASSERT_TRUE(file.copyTo(tree / "to/copy.txt"));
    EXPECT_EQ(readFile(tree / "to/copy.txt"), "the report");
    EXPECT_EQ(readFile(source), "the report");
    EXPECT_EQ(file.fileName(), source);

    ASSERT_TRUE(file.renameTo(tree / "from/renamed.txt"));
    EXPECT_FALSE(pathExists(source));
    EXPECT_EQ(readFile(tree / "from/renamed.txt"), "the report");
    EXPECT_EQ(file.fileName(), source);

    file.setFileName(tree / "from/renamed.txt");
    ASSERT_TRUE(file.moveTo(tree / "to/moved.txt"));
    EXPECT_FALSE(pathExists(tree / "from/renamed.txt"));
    EXPECT_EQ(readFile(tree / "to/moved.txt"), "the report");
    EXPECT_EQ(file.fileName(), tree / "from/renamed.txt");
}

TEST_F(OperationsFixture, CopyAndMoveIntoAnExistingFolderKeepTheName) {
    ASSERT_TRUE(file.copyTo(tree / "to"));
    EXPECT_EQ(readFile(tree / "to/report.txt"), "the report");
    tree.folder("other");
    ASSERT_TRUE(file.moveTo(tree / "other/"));
    EXPECT_EQ(readFile(tree / "other/report.txt"), "the report");
    EXPECT_FALSE(pathExists(source));
}

// Nothing is ever replaced: both files stay as they were and the refusal is
// reported.
TEST_F(OperationsFixture, AnExistingDestinationIsNeverReplaced) {
    using Operation = std::function<Status(FileInfo&, const std::string&)>;
    const std::pair<const char*, Operation> operations[] = {
        {"copyTo", &FileInfo::copyTo},
        {"moveTo", &FileInfo::moveTo},
        {"renameTo", &FileInfo::renameTo},
        {"moveWithinMount", &FileInfo::moveWithinMount},
    };
    const std::string existing = tree.file("to/report.txt", "older report");
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        for (const std::string& destination : {existing, tree / "to"}) {
            Status result = operation(file, destination);
            ASSERT_FALSE(result) << destination;
            EXPECT_NE(result.failure().number, 0);
            EXPECT_EQ(readFile(source), "the report");
            EXPECT_EQ(readFile(existing), "older report");
        }
        EXPECT_EQ(file.fileName(), source);
    }
    EXPECT_TRUE(messages.empty());
}

} // namespace
} // namespace kestro
