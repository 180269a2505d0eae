// Where the temporary list file goes, and why it cannot be made.

#include "platform/list_spool.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestro {
namespace {

using test::ScopedEnv;
using test::TempTree;

TEST(ListSpool, AFolderThatCannotBeMadeSaysWhy) {
    TempTree tree;
    std::filesystem::permissions(tree.path(), std::filesystem::perms(0755));
    tree.folder("locked");
    std::filesystem::permissions(tree / "locked", std::filesystem::perms(0555));
    const std::string folder = tree / "locked/Kestro";
    const int status = test::runAsUnprivileged([&folder] {
        auto spool = ListSpool::create(folder);
        return spool.ok() ? 2 : spool.failure().number == failure::PermissionDenied ? 0 : 3;
    });
    ASSERT_NE(status, -1) << "could not drop privileges";
    EXPECT_EQ(status, 0);
}

} // namespace
} // namespace kestro
