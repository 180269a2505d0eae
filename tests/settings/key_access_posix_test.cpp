#include "settings/key_access.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <string>

namespace kestro {
namespace {

using test::ScopedEnv;
using test::TempTree;

class KeyAccessTest : public ::testing::Test {
protected:
    TempTree tree;
    ScopedEnv config{test::ConfigHomeVariable, tree / "config"};
    KeyAccess reg;
    std::uint32_t user = KeyAccess::CurrentUser;
    std::uint32_t classes = KeyAccess::ClassesRoot;
};

TEST_F(KeyAccessTest, ValuesOfOtherTypesReadAsEmptyAndGiveTheDefault) {
    ASSERT_TRUE(setKeyValue(user, "Software\\Kestro\\chk", "Byte",
                            KeyValue{valuetype::Dword, std::string("\x02\0\0\0", 4)}));
    ASSERT_TRUE(
        setKeyValue(user, "Software\\Kestro\\chk", "Word", KeyValue{valuetype::Dword, "1234"}));
    EXPECT_EQ(reg.readText(user, "Software\\Kestro\\chk", "Byte"), "");
    EXPECT_EQ(reg.readText(user, "Software\\Kestro\\chk", "Word"), "") << "type, not data";
    EXPECT_EQ(reg.getSetting("Kestro", "chk", "Byte", "0"), "0");
    EXPECT_EQ(reg.getSetting("Kestro", "chk", "Word", "7"), "7");
}

TEST_F(KeyAccessTest, TextNeedingMoreThan256BytesWithItsNulReadsAsEmpty) {
    struct Case {
        std::string text;
        bool whole;
    };
    const std::string kana = "\xE3\x81\x82"; // あ, three bytes in UTF-8
    std::string kana85, kana86;
    for (int i = 0; i < 85; ++i)
        kana85 += kana;
    kana86 = kana85 + kana;
    const Case cases[] = {
        {std::string(254, 'a'), true},
        {std::string(255, 'a'), true},
        {std::string(256, 'a'), false},
        {std::string(1000, 'a'), false},
        {kana85, true},  // 255 bytes
        {kana86, false}, // 258 bytes
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(reg.writeText(user, "Software\\Kestro\\Long", "v", c.text));
        EXPECT_EQ(reg.readText(user, "Software\\Kestro\\Long", "v"), c.whole ? c.text : "")
            << c.text.size() << " bytes";
        EXPECT_EQ(reg.getSetting("Kestro", "Long", "v", "dflt"), c.whole ? c.text : "dflt")
            << c.text.size() << " bytes";
    }
}

TEST_F(KeyAccessTest, TextEndsAtItsFirstNul) {
    ASSERT_TRUE(reg.writeText(user, "Software\\Kestro", "v", std::string("abc\0def", 7)));
    EXPECT_EQ(reg.readText(user, "Software\\Kestro", "v"), "abc");
}

TEST_F(KeyAccessTest, MissingKeysAndValuesReadAsEmpty) {
    EXPECT_EQ(reg.readText(user, "Software\\Nothing", "v"), "");
    EXPECT_EQ(reg.getSetting("Kestro", "Setting", "Top"), "");
    EXPECT_EQ(reg.getSetting("Kestro", "Setting", "Top", "0"), "0");

    reg.saveSetting("Kestro", "Setting", "Left", "100");
    EXPECT_EQ(reg.getSetting("Kestro", "Setting", "Top"), "") << "key there, value missing";
    EXPECT_EQ(reg.getSetting("Kestro", "Setting", "Top", "0"), "0");

    reg.saveSetting("Kestro", "Setting", "Dir", "");
    EXPECT_EQ(reg.getSetting("Kestro", "Setting", "Dir", "/home"), "/home")
        << "a stored empty text reads as missing";
}

TEST_F(KeyAccessTest, WriteTextCreatesEveryMissingKey) {
    EXPECT_TRUE(reg.writeText(user, "One\\Two\\Three\\Four", "name", "value"));
    for (const char* key : {"One", "One\\Two", "One\\Two\\Three", "One\\Two\\Three\\Four"})
        EXPECT_TRUE(keyExists(user, key)) << key;
    EXPECT_EQ(reg.readText(user, "One\\Two\\Three\\Four", "name"), "value");
    EXPECT_EQ(reg.readText(user, "One\\Two\\Three", "name"), "");
}

TEST_F(KeyAccessTest, SaveAndGetSettingUseSoftwareAppSection) {
    reg.saveSetting("Kestro", "Setting", "Top", "1530");
    EXPECT_EQ(reg.readText(user, "Software\\Kestro\\Setting", "Top"), "1530");
    EXPECT_EQ(reg.getSetting("KESTRO", "setting", "tOP", "0"), "1530") << "names ignore case";
    EXPECT_EQ(reg.getSetting("Kestro", "chk", "Top", "0"), "0");
    EXPECT_EQ(reg.getSetting("Other", "Setting", "Top", "0"), "0");
    reg.flush(user);
    EXPECT_EQ(reg.getSetting("Kestro", "Setting", "Top"), "1530");
}

TEST_F(KeyAccessTest, DeleteSubKeyFollowsTheStore) {
    ASSERT_TRUE(reg.writeText(user, "Software\\Kestro\\Setting", "Top", "1"));
    EXPECT_FALSE(reg.deleteSubKey(user, "Software\\Missing", "Setting")) << "parent cannot open";
    EXPECT_FALSE(reg.deleteSubKey(user, "Software", "Kestro")) << "Kestro has Setting below it";
    EXPECT_EQ(reg.getSetting("Kestro", "Setting", "Top"), "1");
    EXPECT_TRUE(reg.deleteSubKey(user, "Software\\Kestro", "Setting"));
    EXPECT_EQ(reg.getSetting("Kestro", "Setting", "Top", "gone"), "gone");
    EXPECT_FALSE(reg.deleteSubKey(user, "Software\\Kestro", "Setting")) << "already deleted";
    EXPECT_TRUE(reg.deleteSubKey(user, "SOFTWARE", "kestro"));
    EXPECT_FALSE(keyExists(user, "Software\\Kestro"));
}

TEST_F(KeyAccessTest, ClassesRootIsReadOnly) {
    EXPECT_FALSE(reg.writeText(classes, ".kestro", "", "Kestro list"));
    EXPECT_FALSE(reg.deleteSubKey(classes, "", ".txt"));
    EXPECT_EQ(reg.readText(classes, ".kestro", ""), "");
    EXPECT_EQ(reg.readText(classes, ".TXT", ""), "text/plain");
    EXPECT_NE(reg.readText(classes, "text/plain", ""), "");
    EXPECT_EQ(reg.readText(classes, "", ""), "") << "the root has no default value";
    EXPECT_EQ(reg.readText(classes, ".zzqq", ""), "");
}

} // namespace
} // namespace kestro
