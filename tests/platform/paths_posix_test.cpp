// The path helpers that stand for the system's way of writing paths.

#include "platform/paths.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

TEST(Paths, FolderParts) {
    EXPECT_EQ(folderPart("/a/b.txt"), "/a/");
    EXPECT_EQ(folderPart("/a/b/"), "/a/b/");
    EXPECT_EQ(folderPart("b.txt"), "");
    EXPECT_EQ(parentFolder("/a/b"), "/a");
    EXPECT_EQ(parentFolder("/a"), "/");
    EXPECT_EQ(parentFolder("/"), "/");
    EXPECT_EQ(withTrailingSeparator("/a"), "/a/");
    EXPECT_EQ(withTrailingSeparator("/a/"), "/a/");
    EXPECT_EQ(withTrailingSeparator(""), "/");
    EXPECT_EQ(joinPath("/a", "b"), "/a/b");
    EXPECT_EQ(joinPath("/", "b"), "/b");
}

TEST(Paths, ContainmentGoesByWholeNames) {
    EXPECT_TRUE(isInside("/mnt/a", "/mnt/a"));
    EXPECT_TRUE(isInside("/mnt/a/b", "/mnt/a"));
    EXPECT_FALSE(isInside("/mnt/ab", "/mnt/a"));
    EXPECT_FALSE(isInside("/mnt", "/mnt/a"));
    EXPECT_TRUE(isInside("/anything", "/"));
    EXPECT_FALSE(isInside("relative", "/"));
    EXPECT_TRUE(isAbsolutePath("/x"));
    EXPECT_FALSE(isAbsolutePath("x/y"));
    EXPECT_FALSE(isAbsolutePath(""));
}

} // namespace
} // namespace kestro
