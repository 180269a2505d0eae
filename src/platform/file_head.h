#pragma once

// The first bytes of a file, read without ever blocking: only regular files
// are read, so a FIFO or device gives an empty head.

#include "platform/failure.h"

#include <cstddef>
#include <string>

namespace kestro {

struct FileHead {
    std::string bytes;          // at most the requested count; empty for non-regular files
    bool regular = false;       // a regular file (after following a final link)
    bool anyExecuteBit = false; // owner, group or other may execute it
};

// Fails with the errno's number (53 for a missing file, 70 when it cannot be
// read).
Result<FileHead> readFileHead(const std::string& path, std::size_t maxBytes);

} // namespace kestro
