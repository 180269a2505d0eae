// The processors a thread beside the walk could run on.

#include "platform/reader_width.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <sched.h>

namespace kestro {
namespace {

// A process bound to one processor (taskset -c 0) has none to spare for a
// second thread, however many the machine has: a local folder gets readers
// only where there is a second.
TEST(UsableProcessorsTest, FollowTheProcessorsThisThreadMayRunOn) {
    const test::ScopedEnv unset("KESTRO_READERS", std::nullopt);
    test::TempTree tree;
    cpu_set_t all;
    ASSERT_EQ(::sched_getaffinity(0, sizeof all, &all), 0);
    EXPECT_EQ(usableProcessors(), static_cast<unsigned>(CPU_COUNT(&all)));
    EXPECT_EQ(factReaders(tree.path()).readers, CPU_COUNT(&all) > 1 ? LocalFactReaders : 0u);
    int first = 0;
    while (!CPU_ISSET(first, &all))
        ++first;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    EXPECT_EQ(usableProcessors(), 1u);
    EXPECT_EQ(factReaders(tree.path()).readers, 0u);
    ASSERT_EQ(::sched_setaffinity(0, sizeof all, &all), 0);
}

} // namespace
} // namespace kestro
