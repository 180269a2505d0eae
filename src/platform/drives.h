#pragma once

// The "drives" of this platform: the mount points of file systems that hold
// real storage (/, /home, /media/usb ...), not the kernel's virtual ones.

#include "platform/failure.h"

#include <string>
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

} // namespace kestro
