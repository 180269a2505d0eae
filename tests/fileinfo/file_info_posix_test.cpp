// The facts of a file where POSIX decides: hard links, the dot of a hidden
// name, mode bits, TZ, FIFOs, sockets and devices, a second user, ELF images.

#include "fileinfo/file_info.h"
#include "support/temp_tree.h"

#include <chrono>
#include <gtest/gtest.h>
#include <iostream>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace kestro {
namespace {

using test::ScopedEnv;
using test::TempTree;

TEST(FileInfo, LinksAndShortPath) {
    TempTree tree;
    const std::string path = tree.file("a.txt", "hello");
    ASSERT_EQ(::link(path.c_str(), (tree / "b.txt").c_str()), 0);
    FileInfo file;
    file.setFileName(path);
    EXPECT_EQ(file.linkCount().value(), 2);
    EXPECT_EQ(file.shortPathName(), path);
}

TEST(FileInfo, AttributeMapping) {
    TempTree tree;
    tree.file("plain");
    tree.file(".hidden");
    tree.file("locked");
    tree.chmod("locked", 0444);
    struct Case {
        const char* name;
        bool readOnly, hidden;
    };
    for (const Case& c :
         {Case{"plain", false, false}, Case{".hidden", false, true}, Case{"locked", true, false}}) {
        FileInfo file;
        file.setFileName(tree / c.name);
        EXPECT_EQ(file.readOnly().value(), c.readOnly) << c.name;
        EXPECT_EQ(file.hidden().value(), c.hidden) << c.name;
        EXPECT_FALSE(file.system().value()) << c.name;
        EXPECT_FALSE(file.archive().value()) << "never set here";
        EXPECT_FALSE(file.isDirectory().value());
    }
}

TEST(FileInfo, WritingTheHiddenAndArchiveBits) {
    TempTree tree;
    FileInfo file;
    file.setFileName(tree.file(".hidden"));
    // The hidden bit cannot be written here; writing yes to a set bit writes nothing,
    // writing no writes the unchanged set back.
    EXPECT_TRUE(file.setHidden(true).ok());
    EXPECT_TRUE(file.hidden().value());
    EXPECT_TRUE(file.setArchive(false).ok());
    EXPECT_FALSE(file.archive().value());
}

TEST(FileInfo, TimeTextInAFixedZone) {
    ScopedEnv zone("TZ", "Asia/Tokyo");
    TempTree tree;
    tree.file("t");
    // 2000/01/03 09:05:07 in Tokyo is 2000/01/03 00:05:07 UTC.
    const std::time_t written = 946857907;
    tree.setTimes("t", written + 86400, written);
    FileInfo file;
    file.setFileName(tree / "t");
    EXPECT_EQ(file.lastWriteTime().value(), "2000/01/03 09:05:07");
    EXPECT_EQ(file.lastAccessTime().value(), "2000/01/04 09:05:07");
    EXPECT_FALSE(file.creationTime().value().empty());

    // Before 1970, and a year written without leading zeros.
    ScopedEnv utc("TZ", "UTC");
    EXPECT_EQ(FileInfo::fileTimeText({-86400LL * 365 * 300, 0}), "1670/03/14 00:00:00");
    EXPECT_EQ(FileInfo::fileTimeText({-30610224002LL, 0}), "999/12/31 23:59:58");
}

TEST(FileInfo, ProbeOnAFifoReturnsAtOnce) {
    TempTree tree;
    FileInfo file;
    file.setFileName(tree.fifo("pipe"));
    const auto start = std::chrono::steady_clock::now();
    const bool enabled = file.isReadableFile();
    auto system = file.system();
    auto executable = file.isExecutable();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_TRUE(enabled) << "a readable FIFO passes the probe without being opened";
    EXPECT_TRUE(system.value());
    EXPECT_FALSE(executable.value());
}

// A FIFO, socket or device is decided from its facts and never opened: an
// open would release a FIFO's waiting writer into a broken pipe, and a socket
// cannot be opened at all. An open of the watched name would show as an event.
TEST(FileInfo, SpecialFilesAreNeverOpened) {
    TempTree tree;
    std::vector<std::string> paths = {tree.fifo("pipe.exe"), tree / "socket.exe"};
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(paths[1].size(), sizeof address.sun_path);
    paths[1].copy(address.sun_path, paths[1].size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    // The numbers of the null device: harmless should it be opened after all.
    if (::mknod((tree / "device.exe").c_str(), S_IFCHR | 0644, ::makedev(1, 3)) == 0)
        paths.push_back(tree / "device.exe");
    else
        std::cerr << "no device node (needs the privilege to make one): not checked\n";
    const int watcher = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watcher, 0);
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        ASSERT_GE(::inotify_add_watch(watcher, path.c_str(), IN_OPEN), 0);
        FileInfo file;
        file.setFileName(path);
        ASSERT_TRUE(file.isReadableFile());
        auto executable = file.isExecutable();
        ASSERT_TRUE(executable) << executable.failure().number;
        EXPECT_FALSE(executable.value());
        for (auto version : {file.fileVersion(), file.productVersion()}) {
            ASSERT_TRUE(version) << version.failure().number;
            EXPECT_EQ(version.value(), "");
        }
        for (auto description :
             {file.fileType(), file.fileSubtype(), file.fileOS(), file.buildType()}) {
            ASSERT_TRUE(description) << description.failure().number;
            EXPECT_EQ(description.value(), "不明");
        }
        char events[4096];
        EXPECT_LT(::read(watcher, events, sizeof events), 0) << "the file was opened";
    }
    ::close(watcher);
    ::close(listener);
}

TEST(FileInfo, UnreadableFileFailsWith53ForAnUnprivilegedUser) {
    TempTree tree;
    tree.chmod(".", 0755);
    const std::string path = tree.file("secret", "x");
    tree.chmod("secret", 0600);
    const int status = test::runAsUnprivileged([&] {
        FileInfo file;
        file.setFileName(path);
        if (file.isReadableFile())
            return 1;
        if (file.size().ok() || file.size().failure().number != 53)
            return 2;
        return 0;
    });
    ASSERT_NE(status, -1) << "could not drop privileges to run the check";
    EXPECT_EQ(status, 0);
}

// The start of an ELF file of `type` with one program header of
// `programType` (3 names the program interpreter).
std::string elfImage(bool wide, bool bigEndian, std::uint16_t type, std::uint32_t programType) {
    std::string bytes(0x100, '\0');
    const auto put = [&](std::size_t at, std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i)
            bytes[at + (bigEndian ? width - 1 - i : i)] = static_cast<char>(value >> (8 * i));
    };
    bytes.replace(0, 4,
                  "\x7f"
                  "ELF");
    bytes[4] = wide ? 2 : 1;
    bytes[5] = bigEndian ? 2 : 1;
    bytes[6] = 1;
    put(16, type, 2);
    put(wide ? 0x20 : 0x1C, 0x80, wide ? 8 : 4);
    put(wide ? 0x36 : 0x2A, wide ? 56 : 32, 2);
    put(wide ? 0x38 : 0x2C, 2, 2);
    put(0x80, 6, 4); // the program header table itself, then the one asked for
    put(0x80 + (wide ? 56 : 32), programType, 4);
    return bytes;
}

// A PE image whose file header has `characteristics`.
std::string peImage(std::uint16_t characteristics) {
    std::string pe(0x100, '\0');
    pe[0] = 'M';
    pe[1] = 'Z';
    pe[0x3C] = static_cast<char>(0x80);
    pe.replace(0x80, 4, std::string("PE\0\0", 4));
    pe[0x96] = static_cast<char>(characteristics & 0xFF);
    pe[0x97] = static_cast<char>(characteristics >> 8);
    return pe;
}

// isExecutable means runnable: programs and scripts, not object files,
// libraries or bare signatures.
TEST(FileInfo, ExecutableImages) {
    TempTree tree;
    struct Case {
        const char* name;
        std::string content;
        unsigned mode;
        bool executable;
    };
    const Case cases[] = {
        {"elf-exec", elfImage(true, false, 2, 1), 0644, true},
        {"elf-pie", elfImage(true, false, 3, 3), 0755, true},
        {"elf32-be-pie", elfImage(false, true, 3, 3), 0755, true},
        {"elf-library.so", elfImage(true, false, 3, 1), 0755, false},
        {"elf-object.o", elfImage(true, false, 1, 0), 0644, false},
        {"elf-stub",
         "\x7f"
         "ELF",
         0755, false},
        {"app.exe", peImage(0x0102), 0644, true},
        {"library.dll", peImage(0x2102), 0644, false},
        {"unmarked.exe", peImage(0), 0644, false},
        {"mz-only", std::string("MZ") + std::string(0x60, '\0'), 0644, false},
        {"script.sh", "#!/bin/sh\necho\n", 0755, true},
        {"script-not-x", "#!/bin/sh\necho\n", 0644, false},
        {"text-x", "echo\n", 0755, false},
        {"this-test", test::readFile("/proc/self/exe").substr(0, 4096), 0755, true},
    };
    for (const auto& c : cases) {
        tree.file(c.name, c.content);
        tree.chmod(c.name, c.mode);
        FileInfo file;
        file.setFileName(tree / c.name);
        EXPECT_EQ(file.isExecutable().value(), c.executable) << c.name;
    }
}

} // namespace
} // namespace kestro
