#include "platform/list_spool.h"

#include "platform/posix_io.h"
#include "platform/program_paths.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro {

std::string defaultSpoolFolder() {
    return defaultSpoolFolder(programFolder());
}

std::string defaultSpoolFolder(const std::string& programFolder) {
    if (!programFolder.empty() && ::access(programFolder.c_str(), W_OK | X_OK) == 0) {
        // A folder at the name would block every list made there.
        struct stat st {};
        const std::string name = programFolder + "/" + ListSpoolName;
        if (::lstat(name.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return programFolder;
    }
    return cacheHome() + "/Kestro";
}

Result<std::unique_ptr<ListSpool>> ListSpool::create(const std::string& folder) {
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += ListSpoolName;
    // Whatever stands at the name (a leftover, or a link planted there) goes;
    // the new file is then created exclusively, so no link is ever followed.
    // Another run starting at the same moment may create its own file in
    // between: that one goes too (the other run keeps writing to its own).
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT && errno != EISDIR)
            return failureFromErrno(errno, path, false);
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == ENOENT && attempt == 0) {
            // The folder is missing: make it, or say why it cannot be made.
            if (Status made = makeFolders(folder); !made)
                return made.failure();
            continue;
        }
        if (fd < 0 && (errno != EEXIST || attempt == 100))
            return failureFromErrno(errno, path, false);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        return failureFromErrno(error, path, false);
    }
    return std::unique_ptr<ListSpool>(new ListSpool(std::move(path), fd, st.st_dev, st.st_ino));
}

ListSpool::ListSpool(std::string path, int fd, dev_t device, ino_t inode)
    : path_(std::move(path)), fd_(fd), device_(device), inode_(inode) {}

ListSpool::~ListSpool() {
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_)
        ::unlink(path_.c_str());
    ::close(fd_);
}

Status ListSpool::append(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(size_));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return failureFromErrno(errno, path_, false);
        }
        size_ += static_cast<std::size_t>(written);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return Ok{};
}

Result<std::string_view> ListSpool::readBlock(std::size_t maxBytes) {
    const std::size_t wanted = std::min(maxBytes, size_ - readOffset_);
    buffer_.resize(wanted);
    auto read = readFully(fd_, buffer_.data(), wanted, readOffset_);
    if (!read)
        return failureFromErrno(read.failure().number, path_, false);
    const std::size_t filled = read.value();
    readOffset_ += filled;
    return std::string_view(buffer_.data(), filled);
}

} // namespace kestro
