#include "document/document_file.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace kestro {
namespace {

struct stat facts(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

int countEntries(const std::string& folder) {
    int count = 0;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            count += entry->d_name[0] != '.';
        ::closedir(dir);
    }
    return count;
}

std::string bindSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
    ::close(fd);
    return path;
}

// A small file system of its own, to fill up; unmounted at the end.
struct SmallVolume {
    std::string path;
    bool mounted = false;
    explicit SmallVolume(const std::string& folder) : path(folder) {
        mounted = ::mount("tmpfs", path.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallVolume() {
        if (mounted)
            ::umount(path.c_str());
    }
};

TEST(DocumentFile, ReadFailuresNameTheFile) {
    test::TempTree tree;
    tree.folder("folder");
    tree.fifo("pipe");
    struct Case {
        std::string path;
        int number;
    };
    const std::vector<Case> cases = {
        {tree / "missing.txt", 53},
        {tree / "no-folder/missing.txt", 76},
        {tree / "folder", 75},
        {tree / "pipe", 75}, // never waits for a writer
    };
    for (const Case& c : cases) {
        auto read = readDocumentFile(c.path);
        ASSERT_FALSE(read.ok()) << c.path;
        EXPECT_EQ(read.failure().number, c.number) << c.path;
        EXPECT_NE(read.failure().description.find(c.path), std::string::npos)
            << read.failure().description;
    }
}

TEST(DocumentFile, FileTooBigToHoldIsRefused) {
    test::TempTree tree;
    const std::string huge = tree.sparseFile("huge.txt", DocumentSizeLimit + 1);
    auto read = readDocumentFile(huge);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.failure().number, 7);
    EXPECT_NE(read.failure().description.find(huge), std::string::npos);

#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer ends the program when memory runs out";
#else
    // A file the pane could take but the memory cannot.
    const std::string big = tree.sparseFile("big.txt", std::int64_t{1} << 30);
    const int status = test::runWithTimeout(
        [&] {
            const rlimit limit{std::uint64_t{512} << 20, std::uint64_t{512} << 20};
            if (::setrlimit(RLIMIT_AS, &limit) != 0)
                return 2;
            auto read = readDocumentFile(big);
            return !read.ok() && read.failure().number == 7 ? 0 : 1;
        },
        60);
    EXPECT_EQ(status, 0) << "1: read or wrong number, 2: no limit, -1: ended by the failure";
#endif
}

TEST(DocumentFile, SaveNeverReplacesASpecialFile) {
    test::TempTree tree;
    std::vector<std::string> specials = {tree.fifo("pipe"), bindSocket(tree / "socket")};
    if (::mknod((tree / "null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0)
        specials.push_back(tree / "null");
    specials.push_back(tree.symlink("to-pipe", tree / "pipe"));
    for (const std::string& path : specials) {
        const mode_t before = facts(path).st_mode;
        Status saved = writeDocumentFile(path, "text\n");
        ASSERT_FALSE(saved.ok()) << path;
        EXPECT_EQ(saved.failure().number, 75) << path;
        EXPECT_EQ(facts(path).st_mode, before) << path;
    }
    if (specials.size() < 4)
        GTEST_SKIP() << "no device node without the privilege to make one";
}

TEST(DocumentFile, SaveThroughALinkWritesItsTarget) {
    test::TempTree tree;
    tree.file("real/old.txt", "old");
    const std::vector<std::pair<std::string, std::string>> links = {
        {tree.symlink("old-link.txt", "real/old.txt"), tree / "real/old.txt"},
        {tree.symlink("new-link.txt", "real/new.txt"), tree / "real/new.txt"}, // dangling
    };
    for (const auto& [link, target] : links) {
        ASSERT_TRUE(writeDocumentFile(link, "new\n").ok()) << link;
        EXPECT_EQ(test::readFile(target), "new\r\n") << link;
        EXPECT_TRUE(S_ISLNK(facts(link).st_mode)) << link;
    }
}

TEST(DocumentFile, SaveKeepsTheFileItself) {
    test::TempTree tree;
    test::ScopedEnv cache("XDG_CACHE_HOME", tree / "cache");
    tree.chmod(".", 0777);
    const std::string path = tree.file("list.txt", "old\r\n");
    const std::string other = tree / "other-name.txt";
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    const bool attributes = ::setxattr(path.c_str(), "user.note", "kept", 4, 0) == 0;
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }
    tree.chmod("list.txt", 0664);

    // Two names: both see the new text.
    ASSERT_TRUE(writeDocumentFile(path, "new\n").ok());
    EXPECT_EQ(test::readFile(other), "new\r\n");
    // One name: replaced atomically, with everything kept.
    tree.remove("other-name.txt");
    ASSERT_TRUE(writeDocumentFile(path, "newer\n").ok());
    const struct stat info = facts(path);
    EXPECT_EQ(test::readFile(path), "newer\r\n");
    EXPECT_EQ(info.st_mode & 07777, 0664u);
    if (root) {
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
    char value[8] = {};
    if (attributes) {
        EXPECT_EQ(::getxattr(path.c_str(), "user.note", value, sizeof value), 4);
    }

    // A writable file in a folder the user may not write is saved in place.
    const std::string locked = tree.file("ro/list.txt", "old\r\n");
    tree.chmod("ro/list.txt", 0666);
    tree.chmod("ro", 0555);
    const int status = test::runAsUnprivileged([&] {
        Status saved = writeDocumentFile(locked, "new text\n");
        return saved.ok() && test::readFile(locked) == "new text\r\n" ? 0 : 1;
    });
    tree.chmod("ro", 0755);
    EXPECT_EQ(facts(tree / "ro").st_nlink, 2u);
    if (status == -1)
        GTEST_SKIP() << "cannot drop privileges";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readFile(locked), "new text\r\n");
}

TEST(DocumentFile, SaveNeverWritesWhatTheUserMayNotWrite) {
    test::TempTree tree;
    tree.chmod(".", 0777);
    // A read-only file of the user's own, and (as root) another user's file
    // in a folder everybody may write.
    std::vector<std::string> files = {tree.file("read-only.txt", "old\r\n")};
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(files[0].c_str(), 65534, 65534), 0);
        files.push_back(tree.file("others.txt", "old\r\n"));
        tree.chmod("others.txt", 0644);
    }
    tree.chmod("read-only.txt", 0444);
    const int status = test::runAsUnprivileged([&] {
        for (const std::string& path : files) {
            Status saved = writeDocumentFile(path, "new\n");
            if (saved.ok() || saved.failure().number != 70)
                return 1;
        }
        return 0;
    });
    if (status == -1)
        GTEST_SKIP() << "cannot drop privileges";
    EXPECT_EQ(status, 0);
    for (const std::string& path : files)
        EXPECT_EQ(test::readFile(path), "old\r\n") << path;
    if (root) {
        EXPECT_EQ(facts(files[1]).st_uid, 0u);
    }
}

TEST(DocumentFile, FailedSaveLeavesTheOldFile) {
    test::TempTree tree;
    test::ScopedEnv cache("XDG_CACHE_HOME", tree / "cache");
    const std::string gone = tree / "gone/list.txt";
    Status missing = writeDocumentFile(gone, "x\n");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().number, 76);
    EXPECT_NE(missing.failure().description.find(gone), std::string::npos);

    // A rewrite in place that stops half-way (at the size limit of the
    // process): the old text is put back and its copy removed.
    const std::string linked = tree.file("linked.txt", std::string(3000, 'o'));
    ASSERT_EQ(::link(linked.c_str(), (tree / "second.txt").c_str()), 0);
    const int status = test::runWithTimeout(
        [&] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{4096, 4096};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return 2;
            return writeDocumentFile(linked, std::string(8000, 'n')).ok() ? 1 : 0;
        },
        30);
    EXPECT_EQ(status, 0) << "1: saved past the limit, 2: no limit";
    EXPECT_TRUE(test::readFile(linked) == std::string(3000, 'o')) << "the old text changed";
    EXPECT_EQ(countEntries(tree / "cache/Kestro"), 0);

    // A full device, for a file replaced whole and for one rewritten in
    // place (it has a second name): 61, and the old text stays.
    SmallVolume volume(tree.folder("volume"));
    if (!volume.mounted)
        GTEST_SKIP() << "cannot mount a small file system: " << std::strerror(errno);
    const std::string whole = tree.file("volume/whole.txt", "old\r\n");
    const std::string inPlace = tree.file("volume/in-place.txt", "old\r\n");
    ASSERT_EQ(::link(inPlace.c_str(), (tree / "volume/second.txt").c_str()), 0);
    const std::string big(128 * 1024, 'x');
    for (const std::string& path : {whole, inPlace}) {
        Status full = writeDocumentFile(path, big);
        ASSERT_FALSE(full.ok()) << path;
        EXPECT_EQ(full.failure().number, 61) << path;
        EXPECT_EQ(test::readFile(path), "old\r\n") << path;
    }
    EXPECT_EQ(countEntries(tree / "cache/Kestro"), 0);
}

} // namespace
} // namespace kestro
