#include "platform/list_spool.h"

#include "platform/program_paths.h"
#include "platform/termination_signals.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro {

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
    Descriptor file;
    for (int attempt = 0; !file; ++attempt) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT && errno != EISDIR)
            return failureFromErrno(errno, path, false);
        file.reset(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file && errno == ENOENT && attempt == 0) {
            // The folder is missing: make it, or say why it cannot be made.
            if (Status made = makeFolders(folder); !made)
                return made.failure();
            continue;
        }
        if (!file && (errno != EEXIST || attempt == 100))
            return failureFromErrno(errno, path, false);
    }
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) {
        const int error = errno;
        ::unlink(path.c_str());
        return failureFromErrno(error, path, false);
    }
    auto spool = std::unique_ptr<ListSpool>(
        new ListSpool(std::move(path), std::move(file), st.st_dev, st.st_ino));
    removeOnFault(spool->path_.c_str(), spool->device_, spool->inode_);
    return spool;
}

ListSpool::~ListSpool() {
    keepOnFault(path_.c_str());
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_)
        ::unlink(path_.c_str());
}

} // namespace kestro
