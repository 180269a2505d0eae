#include "platform/failure.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace kestro {
namespace {

// The errno values that only Linux has.
TEST(ErrorReport, ErrnoMappingOfLinuxErrors) {
    EXPECT_EQ(failureFromErrno(ENOMEDIUM, "/p", true).number, 68);
    EXPECT_EQ(failureFromErrno(EDQUOT, "/p", false).number, 61);
}

} // namespace
} // namespace kestro
