#include "listgen/name_helpers.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

TEST(NameHelpers, SplittingNames) {
    struct Case {
        const char* name;
        const char* extension;
    };
    const Case cases[] = {
        {"Readme", ""}, {"archive.tar.gz", "gz"}, {".profile", "profile"}, {"ends.", ""},
        {"", ""},       {"ﾃﾞｰﾀ.ﾃｷｽﾄ", "ﾃｷｽﾄ"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(extensionOf(c.name), c.extension) << c.name;
}

TEST(NameHelpers, UpperExtension) {
    EXPECT_EQ(upperExtensionOf("/a.b/file"), "");
    EXPECT_EQ(upperExtensionOf("/x/report.Txt"), "TXT");
    EXPECT_EQ(upperExtensionOf("/x/ﾃﾞｰﾀ.ｔｘｔ"), "ＴＸＴ");
    EXPECT_EQ(upperExtensionOf("noext"), "");
}

TEST(NameHelpers, shortenPath) {
    // Components are replaced from the left until the path fits.
    EXPECT_EQ(shortenPath("C:/Program Files/Common Files/System/", 20), "C:/.../.../System/");
    EXPECT_EQ(shortenPath("/Program Files/Common Files/System/", 30), "/.../Common Files/System/");
    // A path that fits, a short path and an empty one are returned unchanged.
    EXPECT_EQ(shortenPath("/short/path", 60), "/short/path");
    EXPECT_EQ(shortenPath("/ab", 1), "/ab");
    EXPECT_EQ(shortenPath("", 5), "");
    // The last element is never replaced.
    const std::string longName = "/" + std::string(80, 'n') + ".txt";
    EXPECT_EQ(shortenPath(longName, 60), longName);
    // The first occurrence of a component's text is replaced, even an earlier
    // one such as the drive name.
    EXPECT_EQ(shortenPath("C:/C/abcdefghij.txt", 10), "...:/C/abcdefghij.txt");
    // The scan starts at the fourth character, so a one-letter first folder
    // is replaced together with the next one.
    EXPECT_EQ(shortenPath("/x/yy/long-name-here", 10), "/.../long-name-here");
    // The limit counts Shift-JIS bytes on every system: a half-width katakana
    // is one, a kanji two ("/日本語/x" is 9, "/ﾃﾞｰﾀ/x" 7).
    EXPECT_EQ(shortenPath("/日本語/x", 8), "/.../x");
    EXPECT_EQ(shortenPath("/日本語/x", 9), "/日本語/x");
    EXPECT_EQ(shortenPath("/ﾃﾞｰﾀ/x", 7), "/ﾃﾞｰﾀ/x");
    EXPECT_EQ(shortenPath("/ﾃﾞｰﾀ/x", 6), "/.../x");
}

TEST(NameHelpers, FileTypeNames) {
    test::ScopedEnv language("LANGUAGE", "C");
    test::ScopedEnv all("LC_ALL", "C");
    // A registered type gives its description, the same for any case.
    const std::string text = fileTypeName("/x/notes.txt");
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find("ﾌｧｲﾙ"), std::string::npos) << text;
    EXPECT_EQ(fileTypeName("/x/NOTES.TXT"), text);
    // Unregistered extensions and names without one get a made-up name.
    EXPECT_EQ(fileTypeName("/x/y.zzqqabc"), "ZZQQABC ﾌｧｲﾙ");
    EXPECT_EQ(fileTypeName("/x.d/README"), " ﾌｧｲﾙ");
}

} // namespace
} // namespace kestro
