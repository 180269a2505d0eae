#include "platform/content_digest.h"

#include "platform/folder.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

namespace kestro {
namespace {

ContentDigester::Outcome digest(ContentDigester& digester, const test::TempTree& tree,
                                const char* name, std::string& hex) {
    auto folder = OpenFolder::open(tree.path());
    EXPECT_TRUE(folder);
    return digester.digestAt(folder.value().fd(), name, hex, {});
}

TEST(ContentDigestTest, AFifoIsNotReadAndTheAccessTimeStays) {
    test::TempTree tree;
    tree.fifo("pipe");
    tree.file("kept", "contents");
    // An access time before the last write: a plain read would stamp it.
    tree.setTimes("kept", 946684800, 978307200);
    ContentDigester digester(DigestAlgorithm::Sha256);
    std::string hex;
    // Neither opened nor read: the type is told before any open.
    EXPECT_EQ(digest(digester, tree, "pipe", hex), ContentDigester::Outcome::NotRead);
    EXPECT_TRUE(hex.empty());
    EXPECT_EQ(digester.bytesRead(), 0u);

    struct stat before {};
    ASSERT_EQ(::stat((tree / "kept").c_str(), &before), 0);
    EXPECT_EQ(digest(digester, tree, "kept", hex), ContentDigester::Outcome::Digested);
    struct stat after {};
    ASSERT_EQ(::stat((tree / "kept").c_str(), &after), 0);
    EXPECT_EQ(after.st_atim.tv_sec, before.st_atim.tv_sec);
    EXPECT_EQ(digester.bytesRead(), 8u);
}

} // namespace
} // namespace kestro
