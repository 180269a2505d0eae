// A settings file edited by hand on Windows: Notepad saves it in the
// system's ANSI code page (Shift-JIS on Japanese Windows).

#include "platform/settings_store.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

TEST(SettingsStoreWin32Test, AFileSavedInShiftJisReadsAsItsCharacters) {
    test::TempTree tree;
    test::ScopedEnv config{test::ConfigHomeVariable, tree / "config"};
    // C:\一覧\ﾃｽﾄ in CP932 (the file doubles each "\\"): 0x88EA 0x9797 for the kanji, one byte for
    // each half-width katakana; a UTF-8 file stays as it is.
    tree.file("config\\Kestro\\Kestro.conf",
              "[Setting]\r\nDir=C:\\\\\x88\xea\x97\x97\\\\\xc3\xbd\xc4\r\n");
    EXPECT_EQ(SettingsStore("Kestro").get("Setting", "Dir"), "C:\\一覧\\ﾃｽﾄ");
    tree.file("config\\Kestro\\Kestro.conf", "[Setting]\r\nDir=C:\\\\一覧\r\n");
    EXPECT_EQ(SettingsStore("Kestro").get("Setting", "Dir"), "C:\\一覧");
}

} // namespace
} // namespace kestro
