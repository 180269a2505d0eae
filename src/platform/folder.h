#pragma once

// Folder enumeration: one pass over a folder's entries (getdents), with the
// kind of each entry and, for the file list, the include filters.
//
// Attribute bits as the rest of the program knows them: 1 read-only (the
// owner's write bit is clear), 2 hidden (the name begins with "."), 4 system
// (not a regular file and not a folder: device, FIFO, socket), 16 folder,
// 32 archive (never set here).

#include "platform/failure.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestro {

namespace attribute {
inline constexpr std::uint32_t ReadOnly = 1;
inline constexpr std::uint32_t Hidden = 2;
inline constexpr std::uint32_t System = 4;
inline constexpr std::uint32_t Directory = 16;
inline constexpr std::uint32_t Archive = 32;
} // namespace attribute

class FilePatternSet;

// Which files a file list lets through. A file passes when every attribute
// it has among read-only, archive, hidden and system is switched on here; a
// file with none of them always passes.
struct IncludeSwitches {
    bool readOnly = true;
    bool archive = true;
    bool hidden = false;
    bool system = false;
};

// The names of the sub-folders of `folder` that a folder walk descends into:
// real folders only (a link to a folder is never followed), neither hidden
// nor system, without "." and "..". In no particular order. A folder that
// cannot be opened fails with the number of its errno (76, 70, 68 ...) and a
// description naming it.
Result<std::vector<std::string>> listWalkableSubFolders(const std::string& folder);

// The names of the files of `folder` that match `patterns` and pass
// `include`, in ascending order without regard to case (compareNoCase).
// Folders and links to folders are not files; a dangling link is, a plain
// one that is never read-only. A link's attributes other than hidden are its
// target's. Only entries whose kind the enumeration does not tell, and
// links, are stat'ed; the mode is read only when `include.readOnly` is off.
// An entry that vanishes during the listing is left out. Failures as for
// listWalkableSubFolders.
Result<std::vector<std::string>> listFiles(const std::string& folder,
                                           const FilePatternSet& patterns,
                                           const IncludeSwitches& include);

} // namespace kestro
