#include "platform/settings_store.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace kestro {
namespace {

using test::ScopedEnv;
using test::TempTree;

class SettingsStorePosixTest : public ::testing::Test {
protected:
    TempTree tree;
    ScopedEnv config{test::ConfigHomeVariable, tree / "config"};
};

TEST_F(SettingsStorePosixTest, AFifoOrAFileTheUserMayNotReadIsNeverOverwritten) {
    // A FIFO must not block the open.
    tree.fifo("config/Kestro/Kestro.conf");
    SettingsStore fifo("Kestro");
    EXPECT_FALSE(fifo.contains("Setting", "Top"));
    ASSERT_TRUE(fifo.readFailure());
    EXPECT_EQ(fifo.readFailure()->number, failure::PathFileAccess);
    tree.remove("config/Kestro/Kestro.conf");

    // A file the user may not read keeps its content.
    const std::string path = tree.file("config/Kestro/Kestro.conf", "[Setting]\nTop=5\n");
    for (const char* part : {"", "/config", "/config/Kestro"})
        std::filesystem::permissions(tree.path() + part, std::filesystem::perms(0777));
    std::filesystem::permissions(path, std::filesystem::perms::none);
    int status = test::runAsUnprivileged([] {
        SettingsStore child("Kestro");
        if (!child.readFailure() || child.readFailure()->number != failure::PermissionDenied)
            return 2;
        child.set("Setting", "Top", "2");
        return child.save().ok() ? 3 : 0;
    });
    ASSERT_NE(status, -1) << "could not drop privileges";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readFile(path), "[Setting]\nTop=5\n");
}

TEST_F(SettingsStorePosixTest, ASaveAnotherUserMayNotMakeLeavesTheOldFile) {
    SettingsStore store("Kestro");
    store.set("Setting", "Top", "1");
    ASSERT_TRUE(store.save().ok());
    const std::string before = test::readFile(store.filePath());

    // A folder the user may read but not write: the unprivileged child sees
    // the old file, cannot save, and must say so.
    for (const char* folder : {"", "/config"})
        std::filesystem::permissions(tree.path() + folder, std::filesystem::perms(0755));
    std::filesystem::permissions(tree / "config/Kestro", std::filesystem::perms(0555));
    std::filesystem::permissions(store.filePath(), std::filesystem::perms(0644));
    int status = test::runAsUnprivileged([] {
        SettingsStore child("Kestro");
        if (child.get("Setting", "Top") != "1")
            return 2;
        child.set("Setting", "Top", "2");
        Status saved = child.save();
        if (saved.ok())
            return 3;
        return saved.failure().number == failure::PermissionDenied ? 0 : 4;
    });
    ASSERT_NE(status, -1) << "could not drop privileges";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readFile(store.filePath()), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree / "config/Kestro"),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file left behind";
}

} // namespace
} // namespace kestro
