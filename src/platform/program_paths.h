#pragma once

// The running program: the arguments it was started with, where it and its
// per-user files live, and the whole-file reads and writes of those files.

#include "platform/descriptor.h"
#include "platform/failure.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestro {

// The arguments as UTF-8 texts, the program's name first, whatever code
// page the system hands them to main() in: on Linux the bytes of `argv`; on
// Windows the command line's own UTF-16 text, converted.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// The folder that holds the running program file, without a trailing "/";
// empty when the system does not tell.
std::string programFolder();

// $XDG_CONFIG_HOME, or ~/.config when unset or not absolute. The home folder
// is $HOME when absolute, else the account's home from the password database.
std::string configHome();
// $XDG_CACHE_HOME, or ~/.cache.
std::string cacheHome();
// $XDG_DATA_HOME, or ~/.local/share.
std::string dataHome();

// Creates `folder` and its missing parents (mode 0700 for new ones); an
// existing folder is fine. Fails with 76 for an empty path or a file in the
// way, else with the errno's number, naming `folder`.
Status makeFolders(const std::string& folder);

// Writes `bytes` to `path` atomically: a temporary file beside it is written,
// synced and renamed over `path`, so a failure leaves the old file untouched
// and no temporary file behind. A replaced file keeps its permission bits; a
// link at `path` is replaced by the file. Failures carry the errno's number
// (76 for a missing folder, 70 for one the user may not write) and name
// `path`.
Status writeFileAtomically(const std::string& path, const std::string& bytes);

// Saves `bytes` as the content of the file at `path`, keeping the file
// itself: a link at `path` (dangling or not) is followed and stays a link;
// a file that does not exist yet is created. An existing file is replaced
// atomically (a temporary file beside it renamed over it) only when that
// keeps its owner, group, mode, extended attributes and links; otherwise it
// is rewritten in place after its old content was copied to a file in the
// per-user cache folder, which is written back when the rewrite fails. A
// failure leaves the old content whole. Fails without touching anything
// with 75 for a folder, FIFO, device or socket, and with 70 when the user
// may not write the file itself; else with the errno's number (76 a missing
// folder, 61 a full device). Failures name `path`.
Status saveFileKeepingIdentity(const std::string& path, const std::string& bytes);

// Saves the content of the file at `source` as saveFileKeepingIdentity saves
// bytes, reading it a piece at a time rather than holding it whole (a
// workbook or PDF made in the cache folder). Fails like openWholeFile, naming
// `source`, when it cannot be read; `source` itself is left as it is.
Status saveFileKeepingIdentityFrom(const std::string& path, const std::string& source);

// The whole content of a file. Fails with the errno's number (53 missing,
// 76 when the folder that should hold it is missing), with 75 at once for a
// folder, FIFO or device, and with 7 before reading a file of more than
// `sizeLimit` bytes or when the memory cannot hold it; failures name `path`.
Result<std::string> readWholeFile(const std::string& path, std::uint64_t sizeLimit = UINT64_MAX);

// Filled by each system for readWholeFile, which reads on from there in the
// same way on every system: `path` opened for reading, and its `size`; fails
// like readWholeFile, with 75 for anything but a file of data.
Result<Descriptor> openWholeFile(const std::string& path, std::uint64_t& size);

} // namespace kestro
