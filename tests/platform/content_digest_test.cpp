#include "platform/content_digest.h"

#include "platform/folder.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <string>

namespace kestro {
namespace {

ContentDigester::Outcome digest(ContentDigester& digester, const test::TempTree& tree,
                                const char* name, std::string& hex) {
    auto folder = OpenFolder::open(tree.path());
    EXPECT_TRUE(folder);
    return digester.digestAt(folder.value().fd(), name, hex, {});
}

TEST(ContentDigestTest, KnownContentsGiveTheirPublishedDigests) {
    test::TempTree tree;
    tree.file("empty");
    tree.file("abc", "abc");
    struct Case {
        DigestAlgorithm algorithm;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {DigestAlgorithm::Sha256, "empty",
         "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {DigestAlgorithm::Sha256, "abc",
         "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {DigestAlgorithm::Md5, "empty", "d41d8cd98f00b204e9800998ecf8427e"},
        {DigestAlgorithm::Md5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
    };
    for (const Case& c : cases) {
        ContentDigester digester(c.algorithm);
        std::string hex = "stale";
        EXPECT_EQ(digest(digester, tree, c.name, hex), ContentDigester::Outcome::Digested);
        EXPECT_EQ(hex, c.expected) << c.name;
    }
}

TEST(ContentDigestTest, FoldersAndMissingFilesAreNotRead) {
    test::TempTree tree;
    tree.folder("folder");
    ContentDigester digester(DigestAlgorithm::Sha256);
    std::string hex = "stale";
    EXPECT_EQ(digest(digester, tree, "folder", hex), ContentDigester::Outcome::NotRead);
    EXPECT_EQ(digest(digester, tree, "missing", hex), ContentDigester::Outcome::NotRead);
    EXPECT_TRUE(hex.empty());
    EXPECT_EQ(digester.bytesRead(), 0u);
}

} // namespace
} // namespace kestro
