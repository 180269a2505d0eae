#include "platform/regular_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kestro {

Result<std::optional<RegularFile>> RegularFile::open(const std::string& path) {
    // Decided from the facts before any open: opening a FIFO releases a writer
    // waiting for a reader, a device may act on being opened, a socket cannot
    // be opened at all.
    struct stat facts {};
    if (::stat(path.c_str(), &facts) != 0)
        return failureFromErrno(errno, path, false);
    if (!S_ISREG(facts.st_mode))
        return std::optional<RegularFile>{};
    // Reading must not stamp the access time; only the owner (or a privileged
    // caller) may ask for that. O_NONBLOCK: should the name have become a FIFO
    // meanwhile, the open does not wait, and the check below refuses it.
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    Descriptor file(::open(path.c_str(), flags | O_NOATIME));
    if (!file && errno == EPERM)
        file.reset(::open(path.c_str(), flags));
    if (!file)
        return failureFromErrno(errno, path, false);
    struct stat st {};
    if (::fstat(file.get(), &st) != 0)
        return failureFromErrno(errno, path, false);
    if (!S_ISREG(st.st_mode))
        return std::optional<RegularFile>{};
    return std::optional<RegularFile>{
        RegularFile(std::move(file), static_cast<std::uint64_t>(st.st_size),
                    (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0, path)};
}

} // namespace kestro
