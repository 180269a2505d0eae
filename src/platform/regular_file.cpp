// Reading a range of an open regular file, the same on every system; each
// system opens the file itself.

#include "platform/regular_file.h"

namespace kestro {

Result<std::string> RegularFile::readRange(std::uint64_t offset, std::size_t length) const {
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
