#include "platform/folder.h"

#include "platform/file_facts.h"
#include "platform/file_pattern.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <windows.h>

namespace kestro {
namespace {

using Names = std::vector<std::string>;

Names listed(const std::string& folder, const IncludeSwitches& include) {
    auto names = listFiles(folder, FilePatternSet("*"), include);
    EXPECT_TRUE(names.ok());
    return names.ok() ? names.value() : Names{};
}

// The include switches follow the file system's own bits, which the
// enumeration gives with each name.
TEST(FolderTest, IncludeSwitchesFollowTheAttributeBits) {
    test::TempTree tree;
    const std::pair<const char*, std::uint32_t> files[] = {
        {"plain.txt", attribute::Archive},
        {"fixed.txt", attribute::ReadOnly | attribute::Archive},
        {"hidden.txt", attribute::Hidden | attribute::Archive},
        {"system.sys", attribute::System | attribute::Archive},
    };
    for (const auto& [name, bits] : files) {
        const std::string path = tree.file(name);
        ASSERT_TRUE(writeAttributes(path, bits).ok()) << name;
        auto read = readAttributes(path);
        ASSERT_TRUE(read.ok()) << name;
        EXPECT_EQ(read.value() & ~attribute::Archive, bits & ~attribute::Archive) << name;
    }
    tree.folder("sub");
    EXPECT_EQ(listed(tree.path(), {}), (Names{"fixed.txt", "plain.txt"}));
    EXPECT_EQ(listed(tree.path(), {.readOnly = false}), Names{"plain.txt"});
    EXPECT_EQ(listed(tree.path(), {.hidden = true, .system = true}),
              (Names{"fixed.txt", "hidden.txt", "plain.txt", "system.sys"}));
    // Facts of an entry come with the enumeration, attribute bits included.
    auto folder = OpenFolder::open(tree.path());
    ASSERT_TRUE(folder.ok());
    FolderEntries entries;
    ASSERT_TRUE(readFolderEntries(folder.value().fd(), entries, tree.path()).ok());
    auto facts = readFileFactsAt(folder.value().fd(), "hidden.txt");
    ASSERT_TRUE(facts.ok());
    EXPECT_NE(facts.value().attributes & attribute::Hidden, 0u);
    // No call per file: a file changed since the enumeration shows what the
    // enumeration gave until its folder is read again.
    ASSERT_TRUE(writeAttributes(tree / "plain.txt", attribute::ReadOnly).ok());
    auto enumerated = readFileFactsAt(folder.value().fd(), "plain.txt");
    ASSERT_TRUE(enumerated.ok());
    EXPECT_EQ(enumerated.value().attributes & attribute::ReadOnly, 0u);
    ASSERT_TRUE(readFolderEntries(folder.value().fd(), entries, tree.path()).ok());
    auto again = readFileFactsAt(folder.value().fd(), "plain.txt");
    ASSERT_TRUE(again.ok());
    EXPECT_NE(again.value().attributes & attribute::ReadOnly, 0u);
    // A hidden folder is not walked.
    ASSERT_TRUE(writeAttributes(tree / "sub", attribute::Hidden).ok());
    auto walkable = listWalkableSubFolders(tree.path());
    ASSERT_TRUE(walkable.ok());
    EXPECT_TRUE(walkable.value().empty());
}

// "\\.\" is a local namespace like "\\?\" (only "\\server\share" is a
// network path), and a drive the system does not have is a device that is
// not there, not a missing folder.
TEST(FolderTest, LocalNamespacesAndMissingDrives) {
    test::TempTree tree;
    tree.file("inside.txt", "1");
    for (const char* prefix : {"\\\\.\\", "\\\\?\\"}) {
        const std::string folder = std::string(prefix) + tree.path();
        EXPECT_EQ(listed(folder, {}), Names{"inside.txt"}) << folder;
        auto facts = readFileFacts(folder + "\\inside.txt");
        ASSERT_TRUE(facts.ok()) << facts.failure().description;
        EXPECT_EQ(facts.value().size, 1);
    }
    char missing = 0;
    for (char drive = 'Y'; drive >= 'D' && !missing; --drive) {
        const char root[] = {drive, ':', '\\', '\0'};
        if (::GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR)
            missing = drive;
    }
    ASSERT_NE(missing, 0) << "every drive letter is taken";
    const std::string root = std::string(1, missing) + ":\\";
    for (const std::string& path : {root, root + "kt\\alpha", "\\\\?\\" + root + "kt"}) {
        auto opened = OpenFolder::open(path);
        ASSERT_FALSE(opened.ok()) << path;
        EXPECT_EQ(opened.failure().number, failure::DeviceUnavailable) << path;
    }
    auto facts = readFileFacts(root + "file.txt");
    ASSERT_FALSE(facts.ok());
    EXPECT_EQ(facts.failure().number, failure::DeviceUnavailable);
}

} // namespace
} // namespace kestro
