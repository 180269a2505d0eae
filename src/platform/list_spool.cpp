// The temporary list file's writing and reading, the same on every system;
// each system makes and removes the file itself.

#include "platform/list_spool.h"

#include <algorithm>

namespace kestro {

ListSpool::ListSpool(std::string path, Descriptor file, std::uint64_t device, std::uint64_t inode)
    : path_(std::move(path)), file_(std::move(file)), device_(device), inode_(inode) {}

Status ListSpool::append(std::string_view bytes) {
    if (const int error = writeAllAt(file_.get(), bytes, size_); error != 0)
        return failureFromErrno(error, path_, false);
    size_ += bytes.size();
    return Ok{};
}

Result<std::string_view> ListSpool::readBlock(std::size_t maxBytes) {
    const std::size_t wanted = std::min(maxBytes, size_ - readOffset_);
    buffer_.resize(wanted);
    std::size_t filled = 0;
    if (const int error = readAllAt(file_.get(), buffer_.data(), wanted, readOffset_, filled);
        error != 0)
        return failureFromErrno(error, path_, false);
    readOffset_ += filled;
    return std::string_view(buffer_.data(), filled);
}

} // namespace kestro
