// Where the temporary list file goes, and why it cannot be made.

#include "platform/list_spool.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestro {
namespace {

using test::ScopedEnv;
using test::TempTree;

TEST(ListSpool, AFolderAtItsNameSendsItToTheCacheFolder) {
    TempTree tree;
    ScopedEnv cache(test::CacheHomeVariable, tree / "cache");
    tree.folder("program");
    EXPECT_EQ(defaultSpoolFolder(tree / "program"), tree / "program");

    tree.folder("program/_Kestro.tmp");
    const std::string folder = defaultSpoolFolder(tree / "program");
    EXPECT_EQ(folder, tree / "cache/Kestro");
    // The cache folder is made when the spool is.
    auto spool = ListSpool::create(folder);
    ASSERT_TRUE(spool.ok()) << spool.failure().description;
    EXPECT_EQ(spool.value()->path(), tree / "cache/Kestro/_Kestro.tmp");
}

} // namespace
} // namespace kestro
