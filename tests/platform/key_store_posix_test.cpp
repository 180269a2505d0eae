#include "platform/key_store.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace kestro {
namespace {

using test::ScopedEnv;
using test::TempTree;

constexpr std::uint32_t User = rootkey::CurrentUser;
constexpr std::uint32_t Classes = rootkey::ClassesRoot;

KeyValue text(std::string data) {
    return KeyValue{valuetype::String, std::move(data)};
}

class KeyStoreTest : public ::testing::Test {
protected:
    TempTree tree;
    ScopedEnv config{"XDG_CONFIG_HOME", tree / "config"};

    std::string storeFile() const { return tree / "config/Kestro/registry.txt"; }
};

TEST_F(KeyStoreTest, SetCreatesEveryMissingKeyAndWritesTheFile) {
    EXPECT_FALSE(keyExists(User, "Software"));
    ASSERT_TRUE(setKeyValue(User, "Software\\Kestro\\Setting", "Top", text("1530")));

    for (const char* key : {"Software", "Software\\Kestro", "Software\\Kestro\\Setting"})
        EXPECT_TRUE(keyExists(User, key)) << key;
    EXPECT_FALSE(keyExists(User, "Software\\Kestro\\Setting\\More"));
    EXPECT_TRUE(keyExists(User, "")) << "the root always opens";

    std::optional<KeyValue> value = queryKeyValue(User, "Software\\Kestro\\Setting", "Top");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, valuetype::String);
    EXPECT_EQ(value->data, "1530");
    EXPECT_FALSE(queryKeyValue(User, "Software\\Kestro", "Top")) << "value is on the leaf only";
    EXPECT_FALSE(queryKeyValue(User, "Software\\Kestro\\Setting", "Left"));
    EXPECT_TRUE(std::filesystem::is_regular_file(storeFile()));
}

TEST_F(KeyStoreTest, NamesIgnoreAsciiCaseAndKeepTheirFirstSpelling) {
    ASSERT_TRUE(setKeyValue(User, "Software\\Kestro", "Top", text("1")));
    ASSERT_TRUE(setKeyValue(User, "SOFTWARE\\kestro", "TOP", text("2")));

    EXPECT_TRUE(keyExists(User, "sOfTwArE\\KESTRO"));
    std::optional<KeyValue> value = queryKeyValue(User, "software\\Kestro", "top");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->data, "2") << "the second write must replace, not add";

    std::string file = test::readFile(storeFile());
    EXPECT_NE(file.find("Software\\Kestro"), std::string::npos);
    EXPECT_EQ(file.find("SOFTWARE"), std::string::npos);
    EXPECT_EQ(file.find("TOP"), std::string::npos);

    // Only ASCII letters fold: other letters are different names.
    ASSERT_TRUE(setKeyValue(User, "\xC3\x84", "", text("upper")));
    EXPECT_FALSE(keyExists(User, "\xC3\xA4"));
}

TEST_F(KeyStoreTest, PathsWithEmptyPartsNameNoKey) {
    ASSERT_TRUE(setKeyValue(User, "A\\B", "v", text("x")));
    for (const char* path : {"A\\\\B", "\\A", "A\\", "\\"}) {
        EXPECT_FALSE(keyExists(User, path)) << path;
        EXPECT_FALSE(queryKeyValue(User, path, "v")) << path;
        EXPECT_FALSE(setKeyValue(User, path, "v", text("y"))) << path;
    }
    EXPECT_EQ(queryKeyValue(User, "A\\B", "v")->data, "x");

    std::string deep = "k";
    for (int depth = 1; depth < 512; ++depth)
        deep += "\\k";
    EXPECT_TRUE(setKeyValue(User, deep, "v", text("512 keys deep")));
    EXPECT_FALSE(setKeyValue(User, deep + "\\k", "v", text("one too deep")));
    EXPECT_EQ(queryKeyValue(User, deep, "v")->data, "512 keys deep");
}

// Each case is written, then read back from the file by a store that starts
// in a different folder with nothing but a copy of that file.
TEST_F(KeyStoreTest, OddNamesAndValuesSurviveAReload) {
    struct Case {
        std::string key;
        std::string name;
        KeyValue value;
    };
    const std::vector<Case> cases = {
        {"Odd", "", text("")},
        {"Odd", "blanks", text("  lead and trail  ")},
        {"Odd", "tab\tname", text("a\tb")},
        {"Odd", "breaks", text("CR\rLF\nCRLF\r\n")},
        {"Odd", "%", text("100% %41 %0A %")},
        {"Odd", "backslash", text("C:\\Program Files\\")},
        {"Odd", "nul", text(std::string("before\0after", 12))},
        {"Odd", "utf8", text("日本語 ﾌｧｲﾙ")},
        {"Odd", "bytes", text("\xFF\xFE\x01\x7F")},
        {"Odd", "record", text("value\tx\t1\ty")},
        {"Odd", "dword", KeyValue{valuetype::Dword, std::string("\x2A\0\0\0", 4)}},
        {"Odd\\Deeper key\\with % and\ttab", "name=;#", text("[section]")},
    };
    for (const Case& c : cases)
        ASSERT_TRUE(setKeyValue(User, c.key, c.name, c.value)) << c.name;

    // One record a line: no raw line break or tab may leak out of a field.
    std::istringstream lines(test::readFile(storeFile()));
    for (std::string line; std::getline(lines, line);) {
        EXPECT_EQ(line.find('\r'), std::string::npos) << line;
        EXPECT_TRUE(line.rfind("#", 0) == 0 || line.rfind("key\t", 0) == 0 ||
                    line.rfind("value\t", 0) == 0)
            << line;
    }

    TempTree other;
    std::filesystem::create_directories(other / "config/Kestro");
    std::filesystem::copy_file(storeFile(), other / "config/Kestro/registry.txt");
    ScopedEnv moved("XDG_CONFIG_HOME", other / "config");
    for (const Case& c : cases) {
        std::optional<KeyValue> value = queryKeyValue(User, c.key, c.name);
        ASSERT_TRUE(value) << c.name;
        EXPECT_EQ(value->type, c.value.type) << c.name;
        EXPECT_EQ(value->data, c.value.data) << c.name;
    }
}

TEST_F(KeyStoreTest, ReadsAHandEditedFileAfresh) {
    ASSERT_TRUE(setKeyValue(User, "Software", "old", text("1")));
    tree.file("config/Kestro/registry.txt", "value\tRootValue\t1\tat the root\r\n"
                                            "garbage line\r\n"
                                            "key\tSoftware\\Kestro\r\n"
                                            "value\tTop\t1\t12%0d%0A34\r\n"
                                            "value\tBadType\tx\tskipped\r\n"
                                            "value\ttoo\tmany\t1\tfields\r\n"
                                            "key\tBad\\\\Path\r\n"
                                            "value\tOrphan\t1\tskipped\r\n");

    EXPECT_EQ(queryKeyValue(User, "", "rootvalue")->data, "at the root");
    EXPECT_EQ(queryKeyValue(User, "Software\\Kestro", "Top")->data, "12\r\n34");
    EXPECT_FALSE(queryKeyValue(User, "Software", "old")) << "a cached copy was used";
    EXPECT_FALSE(queryKeyValue(User, "Software\\Kestro", "BadType"));
    EXPECT_FALSE(queryKeyValue(User, "Software\\Kestro", "too"));
    EXPECT_FALSE(keyExists(User, "Bad"));
}

TEST_F(KeyStoreTest, DeleteRefusesKeysWithKeysAndMissingKeys) {
    ASSERT_TRUE(setKeyValue(User, "A\\B\\C", "v", text("1")));
    ASSERT_TRUE(setKeyValue(User, "A\\D", "v", text("2")));

    EXPECT_FALSE(deleteKey(User, "A", "B")) << "B has a key of its own";
    EXPECT_TRUE(keyExists(User, "A\\B\\C"));
    EXPECT_FALSE(deleteKey(User, "A", "Missing"));
    EXPECT_FALSE(deleteKey(User, "Missing", "B"));
    EXPECT_FALSE(deleteKey(User, "A", "")) << "an empty name must not delete A";
    EXPECT_TRUE(keyExists(User, "A"));

    EXPECT_TRUE(deleteKey(User, "a\\b", "c"));
    EXPECT_FALSE(keyExists(User, "A\\B\\C"));
    EXPECT_TRUE(deleteKey(User, "A", "B")) << "a leaf now";
    EXPECT_TRUE(deleteKey(User, "", "A\\D")) << "the name may be a path";
    EXPECT_TRUE(keyExists(User, "A"));
    EXPECT_FALSE(keyExists(User, "A\\D"));
    EXPECT_FALSE(deleteKey(User, "A", "B")) << "already gone";
}

TEST_F(KeyStoreTest, WriteFailuresAnswerFalse) {
    // The configuration folder lies below a regular file: nothing can be made.
    tree.file("blocked", "x");
    ScopedEnv blocked("XDG_CONFIG_HOME", tree / "blocked/config");
    EXPECT_FALSE(setKeyValue(User, "Software", "v", text("x")));
    EXPECT_FALSE(keyExists(User, "Software"));
}

TEST_F(KeyStoreTest, AStoreThatCannotBeReadIsNeitherReadNorReplaced) {
    // A FIFO at the file's place must not block, and must not be replaced by
    // a store that lost whatever the real file held.
    tree.fifo("config/Kestro/registry.txt");
    EXPECT_FALSE(keyExists(User, "Software"));
    EXPECT_FALSE(queryKeyValue(User, "", ""));
    EXPECT_FALSE(setKeyValue(User, "Software", "v", text("x")));
    EXPECT_FALSE(deleteKey(User, "", "Software"));
    EXPECT_TRUE(std::filesystem::is_fifo(storeFile()));
}

TEST_F(KeyStoreTest, UnknownRootsHaveNoKeys) {
    for (std::uint32_t root : {0u, 0x80000002u, 0x12345678u}) {
        EXPECT_FALSE(keyExists(root, "")) << root;
        EXPECT_FALSE(keyExists(root, "Software")) << root;
        EXPECT_FALSE(setKeyValue(root, "Software", "v", text("x"))) << root;
        EXPECT_FALSE(queryKeyValue(root, "Software", "v")) << root;
    }
    EXPECT_FALSE(std::filesystem::exists(storeFile()));
}

class ClassesRootTest : public ::testing::Test {
protected:
    // The comment comes in the user's language; the C locale gives English.
    ScopedEnv language{"LANGUAGE", ""};
    ScopedEnv all{"LC_ALL", "C"};
    ScopedEnv lang{"LANG", "C"};
};

TEST_F(ClassesRootTest, ExtensionKeysNameTheMimeType) {
    struct Case {
        const char* key;
        const char* type; // nullptr: no such key
    };
    const Case cases[] = {
        {".TXT", "text/plain"},      {".txt", "text/plain"},    {".Txt", "text/plain"},
        {".PDF", "application/pdf"}, {".C", "text/x-csrc"},     {".c", "text/x-csrc"},
        {".zzqq", nullptr},          {".ZZQQ", nullptr},        {".", nullptr},
        {".a/b", nullptr},           {".txt\\deeper", nullptr},
    };
    for (const Case& c : cases) {
        std::optional<KeyValue> value = queryKeyValue(Classes, c.key, "");
        EXPECT_EQ(keyExists(Classes, c.key), c.type != nullptr) << c.key;
        if (!c.type) {
            EXPECT_FALSE(value) << c.key << " gave " << value->data;
            continue;
        }
        ASSERT_TRUE(value) << c.key;
        EXPECT_EQ(value->type, valuetype::String);
        EXPECT_EQ(value->data, c.type) << c.key;
    }
    EXPECT_FALSE(queryKeyValue(Classes, ".txt", "Content Type")) << "only default values exist";
}

TEST_F(ClassesRootTest, TypeNameKeysGiveTheComment) {
    std::optional<KeyValue> comment = queryKeyValue(Classes, "text/plain", "");
    ASSERT_TRUE(comment);
    EXPECT_EQ(comment->type, valuetype::String);
    EXPECT_EQ(comment->data, "plain text document");
    EXPECT_TRUE(keyExists(Classes, "text/plain"));
    EXPECT_EQ(queryKeyValue(Classes, "TEXT/Plain", "")->data, comment->data);

    EXPECT_FALSE(keyExists(Classes, "text/x-no-such-type"));
    EXPECT_FALSE(queryKeyValue(Classes, "text/x-no-such-type", ""));

    EXPECT_TRUE(keyExists(Classes, "")) << "the root itself opens";
    EXPECT_FALSE(queryKeyValue(Classes, "", "")) << "but has no default value";
}

TEST_F(ClassesRootTest, RegisteredTypeNamesGoThroughTheExtensionsType) {
    EXPECT_EQ(registeredTypeName("TXT"), "plain text document");
    EXPECT_EQ(registeredTypeName("txt"), "plain text document");
    EXPECT_EQ(registeredTypeName("ZZQQ"), "");
    EXPECT_EQ(registeredTypeName(""), "");
}

TEST_F(ClassesRootTest, IsReadOnly) {
    TempTree tree;
    ScopedEnv config("XDG_CONFIG_HOME", tree / "config");
    EXPECT_FALSE(setKeyValue(Classes, ".txt", "", text("mine")));
    EXPECT_FALSE(setKeyValue(Classes, ".kestro", "", text("mine")));
    EXPECT_FALSE(deleteKey(Classes, "", ".txt"));
    EXPECT_EQ(queryKeyValue(Classes, ".txt", "")->data, "text/plain");
    EXPECT_FALSE(keyExists(Classes, ".kestro"));
    EXPECT_FALSE(std::filesystem::exists(tree / "config"));
}

} // namespace
} // namespace kestro
