#include "platform/key_store.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace kestro {
namespace {

// The key store is the real registry here: a key of the test's own under
// HKEY_CURRENT_USER\Software, removed again at the end.
TEST(KeyStoreWindows, CurrentUserKeysAreTheRegistrysOwn) {
    const std::string base = "Software\\KestroTest" + std::to_string(std::random_device()());
    const std::string key = base + "\\Setting";
    ASSERT_FALSE(keyExists(rootkey::CurrentUser, base));
    ASSERT_TRUE(setKeyValue(rootkey::CurrentUser, key, "Top", {valuetype::String, "日本語 1530"}));
    EXPECT_TRUE(keyExists(rootkey::CurrentUser, base));
    auto value =
        queryKeyValue(rootkey::CurrentUser, "SOFTWARE\\" + base.substr(9) + "\\setting", "TOP");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, valuetype::String);
    EXPECT_EQ(value->data, "日本語 1530");
    EXPECT_EQ(readTextValue(rootkey::CurrentUser, key, "Top"), "日本語 1530");
    EXPECT_FALSE(queryKeyValue(rootkey::CurrentUser, key, "Missing"));
    // Empty parts name no key; unknown roots have none.
    EXPECT_FALSE(keyExists(rootkey::CurrentUser, base + "\\\\Setting"));
    EXPECT_FALSE(keyExists(0x80000002u, "Software"));
    EXPECT_FALSE(setKeyValue(rootkey::ClassesRoot, ".kestro", "", {valuetype::String, "x"}));
    // A key with keys of its own stays.
    EXPECT_FALSE(deleteKey(rootkey::CurrentUser, "Software", base.substr(9)));
    EXPECT_TRUE(deleteKey(rootkey::CurrentUser, base, "Setting"));
    EXPECT_TRUE(deleteKey(rootkey::CurrentUser, "Software", base.substr(9)));
    EXPECT_FALSE(keyExists(rootkey::CurrentUser, base));
}

TEST(KeyStoreWindows, ClassesRootGivesTheTypeNames) {
    EXPECT_TRUE(keyExists(rootkey::ClassesRoot, ""));
    EXPECT_EQ(registeredTypeName("kestro-unregistered"), "");
    // The extension names a class, whose default value is the description.
    const std::string id = readTextValue(rootkey::ClassesRoot, ".txt", "");
    ASSERT_FALSE(id.empty());
    EXPECT_EQ(registeredTypeName("txt"), readTextValue(rootkey::ClassesRoot, id, ""));
    EXPECT_FALSE(registeredTypeName("txt").empty());
}

} // namespace
} // namespace kestro
