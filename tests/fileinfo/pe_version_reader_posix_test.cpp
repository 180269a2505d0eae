#include "fileinfo/pe_version_reader.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

// A FIFO without a writer would block a plain open; it is no program, and
// the version texts of a file info read nothing from it either.
TEST(PeVersionReader, AFifoIsNoProgram) {
    test::TempTree tree;
    auto none = readFileVersionResource(tree.fifo("pipe.exe"));
    ASSERT_TRUE(none);
    EXPECT_FALSE(none.value().has_value());
}

} // namespace
} // namespace kestro
