#pragma once

// The "drives" of this platform: the mount points of file systems that hold
// real storage (/, /home, /media/usb ...), not the kernel's virtual ones.

#include "platform/failure.h"

#include <string>
#include <string_view>
#include <vector>

namespace kestro {

// Mount points of real storage in ascending order; "/" is always among them.
std::vector<std::string> listDrives();

// The drive (mount point from listDrives) that holds `path`; "/" when none
// matches better.
std::string driveOf(const std::string& path);

// The drive among `drives` that holds `path`: the longest that contains the
// real path of `path` or, when it does not exist, of its nearest existing
// folder (links resolved, so a link into a drive is on that drive); empty
// when none contains it.
std::string driveAmong(const std::vector<std::string>& drives, const std::string& path);

// The mount point of the file system that holds `path`, real or virtual (the
// longest mount point that is a prefix of its real path); empty when the path
// cannot be resolved. Two paths with the same mount point can be renamed into
// each other.
std::string mountPointOf(const std::string& path);

// Whether the root folder of `drive` can be opened; fails with 68 when the
// device is not there, or the number of the errno.
Status openDriveRoot(const std::string& drive);

// Linux: the mount table behind these functions, the kernel's
// /proc/self/mountinfo parsed, and a way to put a table of one's own in its
// place (tests of "different drives" need no root this way).

struct MountEntry {
    std::string mountPoint; // where it is mounted, with the kernel's escapes undone
    std::string root;       // the folder of the file system that is mounted there
    std::string fsType;     // "ext4", "tmpfs", "proc" ...
    std::string source;     // "/dev/sda1", "tmpfs" ...
};

// The entries of a mountinfo text in their order; a line that does not have
// the mountinfo form is skipped.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// The table the drive functions use: the override when one is active, else
// the system's; empty when the system's cannot be read.
std::vector<MountEntry> currentMountTable();

// While the object lives, the drive functions use `mountInfoText` instead of
// the system's table. Not nested; one thread only.
class ScopedMountTable {
public:
    explicit ScopedMountTable(std::string mountInfoText);
    ~ScopedMountTable();
    ScopedMountTable(const ScopedMountTable&) = delete;
    ScopedMountTable& operator=(const ScopedMountTable&) = delete;
};

} // namespace kestro
