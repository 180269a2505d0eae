#pragma once

// The mount table behind the drive functions of drives.h: the kernel's
// /proc/self/mountinfo, parsed, and a way to put a table of one's own in its
// place (tests of "different drives" need no root this way).

#include <string>
#include <string_view>
#include <vector>

namespace kestro {

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
