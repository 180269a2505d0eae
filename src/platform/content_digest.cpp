// Reading a regular file's pieces and its digest, the same on every system
// over each one's opening of the file and hash.

#include "platform/content_digest.h"

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

ContentDigester::Outcome
ContentDigester::digestAt(int folderFd, const char* name, std::string& hex,
                          const std::function<bool(std::uint64_t)>& between) {
    hex.clear();
    if (!state_ || !buffer_)
        return Outcome::NotRead;
    Stamp before;
    const Descriptor file = openRegularAt(folderFd, name, before);
    if (!file || !beginHash())
        return Outcome::NotRead;
    digestedSize_ = before.size;
    std::uint64_t offset = 0;
    for (;;) {
        std::size_t filled = 0;
        if (readAllAt(file.get(), buffer_.get(), ReadSize, offset, filled) != 0)
            return Outcome::NotRead;
        if (filled == 0)
            break;
        if (!hashBytes(buffer_.get(), filled))
            return Outcome::NotRead;
        offset += filled;
        bytesRead_ += filled;
        if (between && !between(offset))
            return Outcome::Stopped;
        if (filled < ReadSize)
            break;
    }
    // The end of the file as it stood, and the same file after the read.
    Stamp after;
    if (offset != digestedSize_ || !stampOf(file.get(), after) || !(after == before))
        return Outcome::Changed;
    unsigned char digest[64];
    const std::size_t length = finishHash(digest);
    if (length == 0)
        return Outcome::NotRead;
    static constexpr char Digits[] = "0123456789abcdef";
    hex.resize(2 * length);
    for (std::size_t i = 0; i < length; ++i) {
        hex[2 * i] = Digits[digest[i] >> 4];
        hex[2 * i + 1] = Digits[digest[i] & 0xf];
    }
    return Outcome::Digested;
}

} // namespace kestro
