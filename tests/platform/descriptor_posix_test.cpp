// The one owner of a descriptor, and the whole-range reads and writes.

#include "platform/descriptor.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kestro {
namespace {

using test::TempTree;

bool isOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1;
}

TEST(Descriptor, ItsOwnerClosesItOnceWhereverItWasMoved) {
    TempTree tree;
    const std::string path = tree.file("a.txt", "abc");
    int fd = -1;
    {
        Descriptor first(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        fd = first.get();
        ASSERT_TRUE(first);
        Descriptor second = std::move(first);
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), fd);
        Descriptor third;
        third = std::move(second);
        EXPECT_TRUE(isOpen(fd));
    }
    EXPECT_FALSE(isOpen(fd));

    Descriptor closed(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    fd = closed.get();
    EXPECT_EQ(closed.close(), 0);
    EXPECT_FALSE(closed);
    EXPECT_FALSE(isOpen(fd));
}

TEST(Descriptor, WholeRangesAreWrittenAndReadBack) {
    TempTree tree;
    const std::string path = tree / "b.bin";
    const Descriptor file(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    ASSERT_TRUE(file);
    const std::string bytes(200000, 'x');
    ASSERT_EQ(writeAll(file.get(), bytes), 0);
    ASSERT_EQ(writeAllAt(file.get(), "yz", 199999), 0);

    std::string back(10, '\0');
    std::size_t filled = 0;
    ASSERT_EQ(readAllAt(file.get(), back.data(), back.size(), 199995, filled), 0);
    EXPECT_EQ(back.substr(0, filled), "xxxxyz"); // fewer only at the end

    ASSERT_EQ(::lseek(file.get(), 0, SEEK_SET), 0);
    std::string all;
    ASSERT_EQ(readAll(file.get(), all), 0);
    EXPECT_EQ(all.size(), 200001u);
    ASSERT_EQ(::lseek(file.get(), 0, SEEK_SET), 0);
    std::string limited;
    EXPECT_EQ(readAll(file.get(), limited, 100000), EFBIG);
    EXPECT_LE(limited.size(), 100000u);

    const Descriptor readOnly(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    EXPECT_EQ(writeAll(readOnly.get(), "q"), EBADF);
}

TEST(Descriptor, AWriteStopsWhenAskedTo) {
    TempTree tree;
    const Descriptor file(
        ::open((tree / "c.bin").c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    std::atomic<bool> stop{true};
    EXPECT_EQ(writeAll(file.get(), "abc", &stop), EINTR);
    stop = false;
    EXPECT_EQ(writeAll(file.get(), "abc", &stop), 0);
}

} // namespace
} // namespace kestro
