#include "platform/drives.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestro {
namespace {

TEST(MountInfo, ParsesFieldsEscapesAndOptionalFields) {
    const std::string text = "27 1 254:0 / / rw,relatime shared:1 master:2 - ext4 /dev/vda rw\n"
                             "40 27 8:17 /@home /media/USB\\040Disk\\134x rw - vfat /dev/sdb1 rw\n"
                             "not a mountinfo line\n"
                             "41 27 0:5 / /proc rw - proc proc rw";
    auto entries = parseMountInfo(text);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].mountPoint, "/");
    EXPECT_EQ(entries[0].fsType, "ext4");
    EXPECT_EQ(entries[0].source, "/dev/vda");
    EXPECT_EQ(entries[1].mountPoint, "/media/USB Disk\\x");
    EXPECT_EQ(entries[1].root, "/@home");
    EXPECT_EQ(entries[1].fsType, "vfat");
    EXPECT_EQ(entries[2].mountPoint, "/proc");
    EXPECT_EQ(entries[2].source, "proc");
}

// A table whose mount points are folders of `tree`.
class FakeMounts : public ::testing::Test {
protected:
    std::string line(const std::string& mountPoint, const std::string& type,
                     const std::string& source) {
        ++id;
        return std::to_string(id) + " 1 8:" + std::to_string(id) + " / " + mountPoint + " rw - " +
               type + " " + source + " rw\n";
    }

    test::TempTree tree;
    int id = 1;
};

TEST_F(FakeMounts, DrivesAreTheFileSystemsOfBlockDevices) {
    const std::string usb = tree.folder("usb");
    const std::string home = tree.folder("home");
    std::string text = "1 0 0:30 / / rw - overlay overlay rw\n";
    text += line(home, "btrfs", "/dev/sda2");
    text += line(usb, "vfat", "/dev/sdb1");
    text += line(usb, "vfat", "/dev/sdb1"); // mounted twice
    text += line(tree.folder("shm"), "tmpfs", "tmpfs");
    text += line(tree.folder("proc"), "proc", "proc");
    text += line(tree.folder("snap"), "squashfs", "/dev/loop3");
    text += line(tree.file("hosts"), "ext4", "/dev/sda2"); // a file mounted over a file
    ScopedMountTable mounts(text);

    std::vector<std::string> expected{"/", home, usb};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listDrives(), expected);
    EXPECT_EQ(driveOf(usb + "/photos/a.jpg"), usb);
    EXPECT_EQ(driveOf(tree / "shm/x"), "/");
    EXPECT_EQ(driveOf(tree / "proc"), "/");
    // A link into a drive is on that drive.
    tree.symlink("to-usb", usb);
    EXPECT_EQ(driveAmong({"/", usb}, tree / "to-usb/photos"), usb);
    EXPECT_EQ(driveAmong({usb}, home), "");
}

TEST_F(FakeMounts, MountPointIsTheLongestContainingOne) {
    const std::string a = tree.folder("a");
    const std::string ab = tree.folder("ab");
    tree.file("a/x.txt");
    tree.file("ab/x.txt");
    tree.file("abc.txt");
    tree.symlink("link", a + "/x.txt");
    ScopedMountTable mounts("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n" + line(a, "ext4", "/dev/sdb1") +
                            line(ab, "tmpfs", "tmpfs"));
    const struct {
        std::string path;
        std::string mountPoint;
    } cases[] = {
        {a + "/x.txt", a},
        {a, a},
        {ab + "/x.txt", ab}, // not "a": only whole folder names count
        {tree / "abc.txt", "/"},
        {a + "/missing/deeper/file", a}, // the nearest existing folder decides
        {tree / "link", a},              // the real path decides
        {tree / "ab/../a/x.txt", a},
        {"/", "/"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mountPointOf(c.path), c.mountPoint) << "'" << c.path << "'";
}

TEST(Drives, TheSystemTableHasTheRootAndIsSorted) {
    auto drives = listDrives();
    ASSERT_FALSE(drives.empty());
    EXPECT_TRUE(std::find(drives.begin(), drives.end(), "/") != drives.end());
    EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end()));
    EXPECT_EQ(mountPointOf("/"), "/");
}

TEST(Drives, OpeningADriveRoot) {
    test::TempTree tree;
    EXPECT_TRUE(openDriveRoot("/"));
    EXPECT_TRUE(openDriveRoot(tree.path()));
    const struct {
        std::string drive;
        int number;
    } cases[] = {
        {tree / "unplugged", failure::DeviceUnavailable},
        {tree.file("file"), failure::PathNotFound},
    };
    for (const auto& c : cases) {
        Status opened = openDriveRoot(c.drive);
        ASSERT_FALSE(opened) << c.drive;
        EXPECT_EQ(opened.failure().number, c.number) << c.drive;
    }
}

} // namespace
} // namespace kestro
