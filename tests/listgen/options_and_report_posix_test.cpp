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

// A path longer than the system takes whole is no bad name: it fails as
// the first of its names that is missing. A name too long in itself is one.
TEST(ErrorReport, APathTooLongAsAWholeFailsAsItsMissingName) {
    std::string missing = "/";
    for (int i = 0; i < 30; ++i)
        missing += std::string(200, 'd') + "/";
    EXPECT_EQ(failureFromErrno(ENAMETOOLONG, missing, true).number, 76);
    EXPECT_EQ(failureFromErrno(ENAMETOOLONG, missing + "file", false).number, 76);
    EXPECT_EQ(failureFromErrno(ENAMETOOLONG, "/" + std::string(300, 'n'), false).number, 52);
}

} // namespace
} // namespace kestro
