#include "platform/settings_store.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kestro {
namespace {

using test::ScopedEnv;
using test::TempTree;

class SettingsStoreTest : public ::testing::Test {
protected:
    TempTree tree;
    ScopedEnv config{test::ConfigHomeVariable, tree / "config"};
};

TEST_F(SettingsStoreTest, OddValuesRoundTripThroughTheFile) {
    const std::vector<std::string> values = {
        "",
        " ",
        "  leading and trailing blanks  ",
        "a=b=c",
        "; not a comment",
        "# not a comment either",
        "[not a section]",
        "tab\there\t",
        "CR\rLF\nCRLF\r\n",
        "back\\slash\\",
        "\\t is not a tab",
        "\\x20 is not a blank",
        "ﾀﾌﾞ",
        "C:\\Documents\\日本語のﾌｫﾙﾀﾞ",
        "\x01\x7F",
    };
    SettingsStore store("Kestro");
    for (std::size_t i = 0; i < values.size(); ++i)
        store.set("chk", "key" + std::to_string(i), values[i]);
    // Keys that would read as a comment or a section header.
    const std::vector<std::string> keys = {"; semicolon", "# hash", "[bracket]", " odd = key "};
    for (const std::string& key : keys)
        store.set("odd = [section] ;#", key, key + " value");
    ASSERT_TRUE(store.save().ok());
    EXPECT_EQ(store.filePath(), tree / "config/Kestro/Kestro.conf");
    EXPECT_TRUE(std::filesystem::is_regular_file(store.filePath()));

    SettingsStore reloaded("Kestro");
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::string key = "key" + std::to_string(i);
        EXPECT_TRUE(reloaded.contains("chk", key)) << key;
        EXPECT_EQ(reloaded.get("chk", key, "fallback"), values[i]) << key;
    }
    for (const std::string& key : keys)
        EXPECT_EQ(reloaded.get("odd = [section] ;#", key), key + " value") << key;
}

TEST_F(SettingsStoreTest, MissingKeysGiveTheFallback) {
    SettingsStore store("Kestro");
    store.set("Setting", "Top", "1530");
    ASSERT_TRUE(store.save().ok());

    SettingsStore reloaded("Kestro");
    EXPECT_EQ(reloaded.get("Setting", "Top", "0"), "1530");
    EXPECT_EQ(reloaded.get("Setting", "Left", "0"), "0");
    EXPECT_EQ(reloaded.get("Setting", "Left"), "");
    EXPECT_EQ(reloaded.get("chk", "Top", "1"), "1") << "keys belong to their section";
    EXPECT_FALSE(reloaded.contains("Setting", "Left"));
    EXPECT_FALSE(reloaded.contains("chk", "Top"));

    SettingsStore other("OtherProgram");
    EXPECT_EQ(other.get("Setting", "Top", "none"), "none");
}

TEST_F(SettingsStoreTest, SectionsAndKeysKeepTheirOrderAndNames) {
    SettingsStore store("Kestro");
    store.set("Setting", "Top", "1");
    store.set("Setting", "Left", "2");
    store.set("chk", "chkSub", "1");
    store.set("File", "Hidden", "False");
    store.set("setting", "DIR", "/home");
    store.set("SETTING", "top", "3"); // replaces Top in place
    ASSERT_TRUE(store.save().ok());

    EXPECT_EQ(test::readFile(store.filePath()), "[Setting]\n"
                                                "Top=3\n"
                                                "Left=2\n"
                                                "DIR=/home\n"
                                                "\n"
                                                "[chk]\n"
                                                "chkSub=1\n"
                                                "\n"
                                                "[File]\n"
                                                "Hidden=False\n");
    EXPECT_EQ(SettingsStore("Kestro").get("setting", "TOP"), "3");
}

TEST_F(SettingsStoreTest, HandEditedFilesLoadLeniently) {
    tree.file("config/Kestro/Kestro.conf", "orphan=before any section\r\n"
                                           "; a comment\r\n"
                                           "# another\r\n"
                                           "  [Setting]  \r\n"
                                           "  Top = 1530  \r\n"
                                           "no equals sign here\r\n"
                                           "Dir=/a=b\r\n"
                                           "[broken section\r\n"
                                           "Left=7\r\n"
                                           "[chk]\r\n"
                                           "DivStr=\\x20|\\x20\r\n"
                                           "Top=2\r\n");
    SettingsStore store("Kestro");
    EXPECT_FALSE(store.contains("", "orphan"));
    EXPECT_EQ(store.get("Setting", "Top"), "1530");
    EXPECT_EQ(store.get("Setting", "Dir"), "/a=b");
    EXPECT_EQ(store.get("Setting", "Left"), "7") << "a broken header is skipped";
    EXPECT_FALSE(store.contains("Setting", "no equals sign here"));
    EXPECT_EQ(store.get("chk", "DivStr"), " | ");
    EXPECT_EQ(store.get("chk", "Top"), "2");
}

TEST_F(SettingsStoreTest, AByteOrderMarkIsNotPartOfTheFirstLine) {
    tree.file("config/Kestro/Kestro.conf",
              "\xEF\xBB\xBF[Setting]\r\nTop=15\r\n[chk]\r\nPath=1\r\n");
    SettingsStore store("Kestro");
    EXPECT_EQ(store.get("Setting", "Top"), "15");
    EXPECT_EQ(store.get("chk", "Path"), "1");
}

TEST_F(SettingsStoreTest, AFileThatCannotBeReadIsReportedAndNeverOverwritten) {
    // A folder at the file's place cannot be read, and is never replaced.
    tree.folder("config/Kestro/Kestro.conf");
    SettingsStore folder("Kestro");
    folder.set("Setting", "Top", "1");
    ASSERT_TRUE(folder.readFailure());
    EXPECT_FALSE(folder.save().ok());
    EXPECT_TRUE(std::filesystem::is_directory(folder.filePath()));
    tree.remove("config/Kestro/Kestro.conf");

    // Nor is a file too large for settings: reported, kept, not read.
    const std::string huge = "[Setting]\nTop=" + std::string(SettingsStore::SizeLimit, '1') + "\n";
    tree.file("config/Kestro/Kestro.conf", huge);
    SettingsStore large("Kestro");
    ASSERT_TRUE(large.readFailure());
    EXPECT_NE(large.readFailure()->description.find("大きすぎます"), std::string::npos);
    EXPECT_FALSE(large.contains("Setting", "Top"));
    EXPECT_FALSE(large.save().ok());
    EXPECT_EQ(test::readFile(large.filePath()), huge);
    tree.remove("config/Kestro/Kestro.conf");
    // And a value that would make one is not written.
    SettingsStore growing("Kestro");
    growing.set("Setting", "Top", std::string(SettingsStore::SizeLimit, '1'));
    EXPECT_FALSE(growing.save().ok());
    EXPECT_FALSE(std::filesystem::exists(growing.filePath()));

    // A missing file is no failure.
    EXPECT_FALSE(SettingsStore("Kestro").readFailure());
}

TEST_F(SettingsStoreTest, ALargeFileReadsInOnePass) {
    // As many keys as the size limit lets in: reading must not compare each
    // new key with every earlier one.
    constexpr int Keys = 100000;
    std::string text = "[chk]\n";
    text.reserve(Keys * 14);
    for (int i = 0; i < Keys; ++i)
        text += "k" + std::to_string(i) + "=" + std::to_string(i % 7) + "\n";
    text += "K5=last\n";
    ASSERT_LE(text.size(), SettingsStore::SizeLimit);
    tree.file("config/Kestro/Kestro.conf", text);
    SettingsStore store("Kestro");
    EXPECT_EQ(store.get("chk", "k99998"), "3");
    EXPECT_EQ(store.get("CHK", "k5"), "last") << "a later line replaces an earlier one";
}

TEST_F(SettingsStoreTest, AFailedSaveLeavesTheOldFileUntouched) {
    // Below a regular file, not even the folder can be made.
    tree.file("blocked", "x");
    ScopedEnv blocked(test::ConfigHomeVariable, tree / "blocked");
    SettingsStore nowhere("Kestro");
    nowhere.set("Setting", "Top", "1");
    EXPECT_FALSE(nowhere.save().ok());
    EXPECT_EQ(test::readFile(tree / "blocked"), "x");
}

} // namespace
} // namespace kestro
