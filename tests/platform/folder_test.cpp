#include "platform/folder.h"

#include "platform/file_pattern.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestro {
namespace {

using Names = std::vector<std::string>;

Names listOrFail(const std::string& folder, const std::string& patterns,
                 const IncludeSwitches& include) {
    auto listed = listFiles(folder, FilePatternSet(patterns), include);
    EXPECT_TRUE(listed.ok()) << (listed.ok() ? "" : listed.failure().description);
    return listed.ok() ? listed.value() : Names{};
}

// Each entry keeps its kind, attributes and name, also a name of more than
// 255 bytes (a Windows name of 255 characters takes up to 765).
TEST(FolderTest, EntriesGiveBackWhatWasAdded) {
    const std::vector<std::string> names = {"a", std::string(255, 'b'), std::string(256, 'c'),
                                            std::string(765, 'd'), "日本"};
    FolderEntries entries;
    for (std::size_t i = 0; i < names.size(); ++i)
        entries.add(i % 2 ? EntryKind::Folder : EntryKind::File, names[i],
                    static_cast<std::uint32_t>(i));
    std::size_t seen = 0;
    entries.forEach([&](const FolderEntries::Entry& entry) {
        ASSERT_LT(seen, names.size());
        EXPECT_EQ(entry.name, names[seen]);
        EXPECT_EQ(entry.name.data()[entry.name.size()], '\0');
        EXPECT_EQ(entry.kind, seen % 2 ? EntryKind::Folder : EntryKind::File);
        EXPECT_EQ(entry.attributes, seen);
        ++seen;
    });
    EXPECT_EQ(seen, names.size());

    // Sorted by name, each entry keeps its kind and attributes, and the
    // files chosen come in the order a sort of the files alone gives.
    entries.add(EntryKind::File, "B", 9);
    entries.add(EntryKind::File, "aa", 8);
    const auto chosen = [&] {
        const auto views =
            selectFiles(entries, FilePatternSet("*"), {true, true, true, true}, [] { return -1; });
        return std::vector<std::string>(views.begin(), views.end());
    };
    const std::vector<std::string> unsorted = chosen();
    entries.sortByName();
    ASSERT_TRUE(entries.sortedByName());
    EXPECT_EQ(chosen(), unsorted);
    std::vector<std::string> order;
    entries.forEach([&](const FolderEntries::Entry& entry) {
        order.emplace_back(entry.name);
        const std::uint32_t added = entry.name == "B" ? 9 : entry.name == "aa" ? 8 : 0;
        if (added != 0) {
            EXPECT_EQ(entry.attributes, added);
        }
    });
    EXPECT_EQ(order,
              (std::vector<std::string>{"a", "aa", "B", names[1], names[2], names[3], names[4]}));
}

TEST(FolderTest, FilesComeInOrderWithoutRegardToCase) {
    test::TempTree tree;
    for (const char* name : {"b.txt", "日本.txt", "A.txt", "c.TXT", "B2.txt"})
        tree.file(name);
    EXPECT_EQ(listOrFail(tree.path(), "*.*", {}),
              (Names{"A.txt", "b.txt", "B2.txt", "c.TXT", "日本.txt"}));
}

TEST(FolderTest, OnlyFilesThatMatchArePassed) {
    test::TempTree tree;
    tree.file("one.txt");
    tree.file("Two.TXT");
    tree.file("three.doc");
    tree.file("Makefile");
    EXPECT_EQ(listOrFail(tree.path(), "*.txt", {}), (Names{"one.txt", "Two.TXT"}));
    EXPECT_EQ(listOrFail(tree.path(), "*.doc; make*", {}), (Names{"Makefile", "three.doc"}));
    EXPECT_EQ(listOrFail(tree.path(), "", {}), Names{});
}

TEST(FolderTest, MissingFolderFailsWithPathNotFound) {
    test::TempTree tree;
    tree.file("file");
    for (const std::string& folder : {tree / "missing", tree / "missing/deeper", tree / "file"}) {
        auto files = listFiles(folder, FilePatternSet("*.*"), {});
        ASSERT_FALSE(files.ok()) << folder;
        EXPECT_EQ(files.failure().number, failure::PathNotFound) << folder;
        EXPECT_NE(files.failure().description.find(folder), std::string::npos);
        auto folders = listWalkableSubFolders(folder);
        ASSERT_FALSE(folders.ok()) << folder;
        EXPECT_EQ(folders.failure().number, failure::PathNotFound) << folder;
    }
}

} // namespace
} // namespace kestro
