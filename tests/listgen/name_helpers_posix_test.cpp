#include "listgen/name_helpers.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

// The limit counts bytes of the system code page, UTF-8 on Linux: three
// Japanese characters are nine.
TEST(NameHelpers, ShortenPathCountsUtf8Bytes) {
    EXPECT_EQ(ShortenPath("/日本語/x", 8), "/.../x");
    EXPECT_EQ(ShortenPath("/日本語/x", 12), "/日本語/x");
}

} // namespace
} // namespace kestro
