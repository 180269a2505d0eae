#pragma once

// Facts of one file, read with one statx call, and the probe that decides
// whether a file can be asked about at all.

#include "platform/failure.h"

#include <cstdint>
#include <string>

namespace kestro {

// A point in time as seconds and nanoseconds since 1970-01-01 00:00:00 UTC.
struct FileTime {
    std::int64_t seconds = 0;
    std::uint32_t nanoseconds = 0;
};

struct FileFacts {
    std::int64_t size = 0;          // bytes
    std::int64_t allocatedSize = 0; // bytes the file occupies on disk
    std::uint32_t attributes = 0;   // attribute bits of platform/folder.h
    std::uint32_t linkCount = 0;
    FileTime creation; // birth time where the file system keeps it, else last write
    FileTime lastAccess;
    FileTime lastWrite;
};

// The probe: yes when `path` is not empty, does not end with "/", is not a
// folder, and the calling user may read it (faccessat with R_OK and
// AT_EACCESS). Never opens the file, so a FIFO or device cannot block it.
bool probeEnabled(const std::string& path);

// The probe for a path already known not to be a folder (the create command
// lists files only): the access check alone, one system call.
bool probeReadable(const std::string& path);

// All facts of `path` in one statx, following a final link. Fails with the
// errno's number (53 for a missing file or folder part, 70 for a path the
// user may not search) and a description naming `path`.
Result<FileFacts> readFileFacts(const std::string& path);

// The same, relative to an open folder `folderFd` (a descriptor of
// platform/folder.h's OpenFolder): `name` is one entry of that folder, so
// the kernel resolves one name, whatever the depth of the folder. Failures
// name `name`.
bool probeReadableAt(int folderFd, const char* name);
Result<FileFacts> readFileFactsAt(int folderFd, const char* name);

// The facts of a file of an open folder that the calling user may read, as
// the create command takes them: readFileFactsAt, then the probe, which is
// left out when the owner's read bit already answers it for the owner.
// Fails like readFileFactsAt, or with 70 when the user may not read it.
// `effectiveUser` is effectiveUserId(), read once for a whole walk. Without
// `withCreation` the creation time is not asked for (on Linux it is on
// another cache line of the inode) and is the last write's.
Result<FileFacts> readReadableFileFactsAt(int folderFd, const char* name,
                                          std::uint32_t effectiveUser, bool withCreation = true);

// The user whose rights the access checks apply (geteuid).
std::uint32_t effectiveUserId();

// The attribute set of `path` (following a final link).
Result<std::uint32_t> readAttributes(const std::string& path);

// Writes a whole attribute set: read-only set clears every write bit, clear
// sets the owner's; the other bits cannot be written here and are ignored.
// A set that changes no permission bit touches nothing. Fails like
// readFileFacts, or with 70 when the user may not change the mode.
Status writeAttributes(const std::string& path, std::uint32_t attributes);

} // namespace kestro
