#include "platform/file_facts.h"

#include "platform/folder.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <string>

namespace kestro {
namespace {

TEST(FileFactsTest, VanishedFileFailsWithFileNotFound) {
    test::TempTree tree;
    const std::string file = tree.file("gone.txt", "x");
    tree.remove("gone.txt");
    auto facts = readFileFacts(file);
    ASSERT_FALSE(facts.ok());
    EXPECT_EQ(facts.failure().number, failure::FileNotFound);
    EXPECT_NE(facts.failure().description.find(file), std::string::npos);
    auto attributes = readAttributes(file);
    ASSERT_FALSE(attributes.ok());
    EXPECT_EQ(attributes.failure().number, failure::FileNotFound);
    auto written = writeAttributes(file, attribute::ReadOnly);
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.failure().number, failure::FileNotFound);
    EXPECT_FALSE(probeEnabled(file));
}

} // namespace
} // namespace kestro
