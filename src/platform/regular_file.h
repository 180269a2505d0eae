#pragma once

// Random access to a few small pieces of one regular file, for readers of
// binary formats that need headers and tables but never the whole file.
//
// Only a regular file is opened: a FIFO, device, socket or folder is answered
// with an empty optional without being opened (and checked again on the
// opened descriptor, so a name replaced meanwhile is never read). Reads leave
// the access time alone where the caller owns the file (O_NOATIME).
// Failures carry the errno's number (53 missing file, 70 not readable, 68
// device gone ...). The object owns its descriptor and closes it on
// destruction; it can be moved, not copied.

#include "platform/descriptor.h"
#include "platform/failure.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kestro {

class RegularFile {
public:
    // Opens `path` for reading (following a final link). Empty optional when
    // it is not a regular file.
    static Result<std::optional<RegularFile>> open(const std::string& path);

    // The length in bytes when the file was opened.
    std::uint64_t size() const { return size_; }
    // Whether the owner, group or others may execute the file.
    bool anyExecuteBit() const { return anyExecuteBit_; }

    // At most `length` bytes from `offset`; fewer only at the end of the
    // file, none past it.
    Result<std::string> readRange(std::uint64_t offset, std::size_t length) const;

private:
    RegularFile(Descriptor file, std::uint64_t size, bool anyExecuteBit, std::string path)
        : file_(std::move(file)), size_(size), anyExecuteBit_(anyExecuteBit),
          path_(std::move(path)) {}

    Descriptor file_;
    std::uint64_t size_ = 0;
    bool anyExecuteBit_ = false;
    std::string path_;
};

// The same on every system; each system opens the file itself.
inline Result<std::string> RegularFile::readRange(std::uint64_t offset, std::size_t length) const {
    std::string bytes;
    if (offset >= size_)
        return bytes;
    if (length > size_ - offset)
        length = static_cast<std::size_t>(size_ - offset);
    bytes.resize(length);
    std::size_t filled = 0;
    if (const int error = readAllAt(file_.get(), bytes.data(), length, offset, filled); error != 0)
        return failureFromErrno(error, path_, false);
    bytes.resize(filled); // less when the file shrank since it was opened
    return bytes;
}

} // namespace kestro
