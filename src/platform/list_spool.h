#pragma once

// The temporary list file "_Kestro.tmp" that collects a list while it is
// made. It is created fresh for every run (whatever was at its place, a
// planted link included, is removed first, and the file is created
// exclusively without following links), read back through the same open
// descriptor, and removed when the spool is destroyed — but only while the
// name still refers to this spool's file, so a second run elsewhere cannot
// be disturbed.

#include "platform/descriptor.h"
#include "platform/failure.h"
#include "platform/program_paths.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace kestro {

inline constexpr const char* ListSpoolName = "_Kestro.tmp";

// The folder for a program that lives in `programFolder`: that folder when
// it is writable and nothing that cannot be removed (a folder) stands at the
// spool's name there; else cacheHome()/Kestro.
std::string defaultSpoolFolder(const std::string& programFolder);
// The same for this program.
inline std::string defaultSpoolFolder() {
    return defaultSpoolFolder(programFolder());
}

class ListSpool {
public:
    // Creates `folder`/_Kestro.tmp, and `folder` first when it is missing.
    // Failures carry the errno's number, also when the folder cannot be made
    // (70 when the user may not make it).
    static Result<std::unique_ptr<ListSpool>> create(const std::string& folder);
    ~ListSpool();
    ListSpool(const ListSpool&) = delete;
    ListSpool& operator=(const ListSpool&) = delete;

    const std::string& path() const { return path_; }
    std::size_t size() const { return size_; }

    Status append(std::string_view bytes);

    // Reading back from the start: rewind, then blocks until an empty one.
    void rewind() { readOffset_ = 0; }
    Result<std::string_view> readBlock(std::size_t maxBytes);

private:
    ListSpool(std::string path, Descriptor file, std::uint64_t device, std::uint64_t inode);

    std::string path_;
    Descriptor file_;
    // Which file the name held when it was made.
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    std::size_t size_ = 0;
    std::size_t readOffset_ = 0;
    std::string buffer_;
};

// Writing and reading back are the same on every system; each system makes
// and removes the file itself.

inline ListSpool::ListSpool(std::string path, Descriptor file, std::uint64_t device,
                            std::uint64_t inode)
    : path_(std::move(path)), file_(std::move(file)), device_(device), inode_(inode) {}

inline Status ListSpool::append(std::string_view bytes) {
    if (const int error = writeAllAt(file_.get(), bytes, size_); error != 0)
        return failureFromErrno(error, path_, false);
    size_ += bytes.size();
    return Ok{};
}

inline Result<std::string_view> ListSpool::readBlock(std::size_t maxBytes) {
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
