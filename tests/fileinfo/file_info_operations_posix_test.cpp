// The operations on a file that hand it to other programs, the trash or the
// mount table of POSIX.

#include "fileinfo/file_info.h"

#include "platform/drives.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

namespace kestro {
namespace {

namespace fs = std::filesystem;
using test::awaitFile;
using test::pathExists;
using test::readFile;

struct Message {
    std::string text;
    std::string title;
};

class PosixOperationsFixture : public ::testing::Test {
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

TEST_F(PosixOperationsFixture, EveryOperationProbesFirst) {
    using Operation = std::function<Status(FileInfo&)>;
    const std::string target = tree / "to/target.txt";
    const std::pair<const char*, Operation> operations[] = {
        {"execute", [](FileInfo& f) { return f.execute(); }},
        {"print", [](FileInfo& f) { return f.print(); }},
        {"moveToTrash", [](FileInfo& f) { return f.moveToTrash(); }},
        {"copyTo", [&](FileInfo& f) { return f.copyTo(target); }},
        {"moveTo", [&](FileInfo& f) { return f.moveTo(target); }},
        {"renameTo", [&](FileInfo& f) { return f.renameTo(target); }},
        {"moveWithinMount", [&](FileInfo& f) { return f.moveWithinMount(target); }},
    };
    // Programs that would show they were started.
    const std::string started = tree / "started";
    for (const char* program : {"bin/xdg-open", "bin/lp"}) {
        tree.file(program, "#!/bin/sh\necho \"$@\" > '" + started + "'\n");
        tree.chmod(program, 0755);
    }
    test::ScopedEnv path("PATH", tree / "bin" + ":/usr/bin:/bin");
    const std::string folder = tree.folder("from/sub");
    for (const std::string& name : {source + "/", folder + "/", folder, std::string()}) {
        for (const auto& [operation, run] : operations) {
            file.setFileName(name);
            Status result = run(file);
            ASSERT_FALSE(result) << operation << " '" << name << "'";
            EXPECT_EQ(result.failure().number, failure::FileNotFound);
            EXPECT_EQ(file.fileName(), name);
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(pathExists(target));
    EXPECT_FALSE(pathExists(started));
    EXPECT_TRUE(pathExists(source));
    EXPECT_TRUE(pathExists(folder));
}

TEST_F(PosixOperationsFixture, ExecuteAndPrintHandTheFileToTheShell) {
    const std::string bin = test::installRecordingPrograms(tree, {"xdg-open", "lp"});
    test::ScopedEnv path("PATH", bin + ":/usr/bin:/bin");
    ASSERT_TRUE(file.execute());
    ASSERT_TRUE(file.print());
    EXPECT_EQ(awaitFile(tree / "xdg-open"), source + "\n");
    EXPECT_EQ(awaitFile(tree / "lp"), source + "\n");
    EXPECT_EQ(file.fileName(), source);
}

// The path an info file keeps, decoded.
std::string trashedFrom(const std::string& info) {
    const std::size_t start = info.find("\nPath=");
    if (info.rfind("[Trash Info]\n", 0) != 0 || start == std::string::npos)
        return "<no path>";
    const std::string encoded = info.substr(start + 6, info.find('\n', start + 1) - start - 6);
    std::string path;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%' && i + 2 < encoded.size()) {
            path += static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            path += encoded[i];
        }
    }
    return path;
}

// The freedesktop trash, made where it is missing: the file goes to files/,
// its origin to info/NAME.trashinfo (one line, percent-encoded, whatever bytes
// the name holds), and putting it back restores it whole. A second file of the
// same name gets a name of its own.
TEST_F(PosixOperationsFixture, TrashKeepsTheFileForRestoring) {
    const std::string dataHome = tree / "data-home/not-yet";
    test::ScopedEnv env("XDG_DATA_HOME", dataHome);
    const std::string odd = tree.file("from/re\nport\xff.txt", "the odd report");
    const std::string folder = fs::canonical(tree / "from").string();
    for (const std::string& name : {std::string("report.txt"), std::string("re\nport\xff.txt")}) {
        const std::string path = tree / "from/" + name;
        const std::string content = readFile(path);
        file.setFileName(path);
        ASSERT_TRUE(file.moveToTrash()) << path;
        EXPECT_FALSE(pathExists(path));
        EXPECT_EQ(file.fileName(), path);

        const std::string trashed = dataHome + "/Trash/files/" + name;
        const std::string infoPath = dataHome + "/Trash/info/" + name + ".trashinfo";
        const std::string info = readFile(infoPath);
        EXPECT_NE(info.find("\nDeletionDate="), std::string::npos) << info;
        ASSERT_EQ(trashedFrom(info), folder + "/" + name) << info;
        fs::rename(trashed, trashedFrom(info));
        fs::remove(infoPath);
        EXPECT_EQ(readFile(path), content);
    }
    ASSERT_TRUE(file.moveToTrash());
    tree.file("from/re\nport\xff.txt", "another");
    ASSERT_TRUE(file.moveToTrash());
    EXPECT_EQ(readFile(dataHome + "/Trash/files/re\nport\xff.txt.2"), "another");
    EXPECT_EQ(trashedFrom(readFile(dataHome + "/Trash/info/re\nport\xff.txt.2.trashinfo")),
              folder + "/re\nport\xff.txt");
}

// Without a trash to put it in, the file stays where it was and the failure
// is reported.
TEST_F(PosixOperationsFixture, TrashFailsWithoutATrash) {
    test::ScopedEnv env("XDG_DATA_HOME", tree.file("not-a-folder"));
    Status result = file.moveToTrash();
    ASSERT_FALSE(result);
    EXPECT_EQ(result.failure().number, failure::PathNotFound);
    EXPECT_EQ(readFile(source), "the report");
}

// The mount table is replaced by one in which "from" and "to" are mount
// points of their own.
std::string fakeMounts(const std::vector<std::string>& mountPoints) {
    std::string text = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n";
    int id = 2;
    for (const std::string& mountPoint : mountPoints) {
        text += std::to_string(id) + " 1 8:" + std::to_string(id) + " / " + mountPoint +
                " rw shared:1 - ext4 /dev/sdb" + std::to_string(id) + " rw\n";
        ++id;
    }
    return text;
}

TEST_F(PosixOperationsFixture, FirstMoveWithinAMountPointMoves) {
    ScopedMountTable mounts(fakeMounts({tree / "from"}));
    tree.folder("from/deeper");
    ASSERT_TRUE(file.moveWithinMount(tree / "from/deeper/report.txt"));
    EXPECT_FALSE(pathExists(source));
    EXPECT_EQ(readFile(tree / "from/deeper/report.txt"), "the report");
    EXPECT_EQ(file.fileName(), source);
    EXPECT_TRUE(messages.empty());
}

TEST_F(PosixOperationsFixture, FirstMoveAcrossMountPointsOnlyShowsTheMessage) {
    ScopedMountTable mounts(fakeMounts({tree / "from", tree / "to"}));
    for (const std::string& destination :
         {tree / "to/report.txt", tree / "to/new/report.txt", tree.path() + "/report.txt"}) {
        messages.clear();
        ASSERT_TRUE(file.moveWithinMount(destination)) << destination;
        ASSERT_EQ(messages.size(), 1u) << destination;
        EXPECT_EQ(messages[0].text, "移動元と移動先のﾄﾞﾗｲﾌﾞは同じである必用があります");
        EXPECT_EQ(messages[0].title, "ﾌｧｲﾙ制御ｸﾗｽﾗｲﾌﾞﾗﾘ");
        EXPECT_EQ(readFile(source), "the report");
        EXPECT_FALSE(pathExists(destination));
    }
    // Without a window to show it, the message is dropped and nothing moves.
    file.setMessageSink(nullptr);
    EXPECT_TRUE(file.moveWithinMount(tree / "to/report.txt"));
    EXPECT_TRUE(pathExists(source));
}

// A link is moved itself, so where it points does not decide the drive.
TEST_F(PosixOperationsFixture, FirstMoveJudgesALinkByItsOwnFolder) {
    ScopedMountTable mounts(fakeMounts({tree / "to"}));
    const std::string link = tree.symlink("from/link.txt", tree.file("to/target.txt", "target"));
    file.setFileName(link);
    ASSERT_TRUE(file.moveWithinMount(tree / "from/moved-link.txt"));
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(fs::is_symlink(tree / "from/moved-link.txt"));
}

} // namespace
} // namespace kestro
