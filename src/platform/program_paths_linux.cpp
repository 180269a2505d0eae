#include "platform/program_paths.h"

#include "platform/descriptor.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <linux/falloc.h>
#include <new>
#include <optional>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace kestro {

namespace {

bool isAbsolute(const char* path) {
    return path && path[0] == '/';
}

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (isAbsolute(home))
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        isAbsolute(found->pw_dir))
        return found->pw_dir;
    return "/";
}

std::string xdgFolder(const char* variable, const char* belowHome) {
    const char* value = std::getenv(variable);
    if (isAbsolute(value))
        return value;
    std::string home = homeFolder();
    if (home.back() != '/')
        home += '/';
    return home + belowHome;
}

// The folder part of `path` for opening the folder itself: "." for a bare
// name, "/" for a name directly below the root.
std::string folderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string temporaryNameFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // A long name must not push the temporary name over the length limit.
    if (name.size() > 40)
        name.resize(40);
    return folder + "." + name + ".tmp-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + "-" + std::to_string(now.tv_nsec);
}

// Copies the first `length` bytes of `from` over the start of `to`; 0 or
// the errno of the read or write that failed.
int copyContent(int from, int to, off_t length) {
    char buffer[65536];
    off_t done = 0;
    while (done < length) {
        std::size_t got = 0;
        if (int error =
                readAllAt(from, buffer, sizeof buffer, static_cast<std::uint64_t>(done), got);
            error != 0)
            return error;
        if (got == 0)
            break; // the file shrank; what was there is copied
        if (int error =
                writeAllAt(to, std::string_view(buffer, got), static_cast<std::uint64_t>(done));
            error != 0)
            return error;
        done += static_cast<off_t>(got);
    }
    return 0;
}

// What a save writes: text in memory, or the first `size` bytes of an open
// file, copied a piece at a time so that a long file is never held whole.
struct SavedContent {
    std::string_view bytes;
    int fd = -1;
    off_t size = 0;

    off_t length() const { return fd >= 0 ? size : static_cast<off_t>(bytes.size()); }
    // Writes the content over the start of `to`; 0 or the errno that failed.
    int writeTo(int to) const {
        if (fd < 0)
            return writeAllAt(to, bytes, 0);
        return copyContent(fd, to, size);
    }
};

// The file that the chain of symbolic links at `path` ends at, which need not
// exist yet; `path` itself when it is no link.
Result<std::string> followLinks(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::vector<char> buffer(4096);
        ssize_t length = 0;
        while ((length = ::readlink(current.c_str(), buffer.data(), buffer.size())) >= 0 &&
               static_cast<std::size_t>(length) == buffer.size())
            buffer.resize(buffer.size() * 2);
        if (length <= 0)
            return failureFromErrno(length < 0 ? errno : ENOENT, path, false);
        std::string target(buffer.data(), static_cast<std::size_t>(length));
        if (target.front() != '/') {
            std::size_t slash = current.rfind('/');
            if (slash != std::string::npos)
                target.insert(0, current, 0, slash + 1);
        }
        current = std::move(target);
    }
    return failureFromErrno(ELOOP, path, false);
}

void syncFolderOf(const std::string& path) {
    const Descriptor folder(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder)
        ::fsync(folder.get());
}

// Gives the new file `to` the owner, group, extended attributes (ACLs among
// them) and mode of the open file `from`; false when one of them cannot be
// given.
bool takeIdentity(int from, const struct stat& old, int to) {
    struct stat fresh {};
    if (::fstat(to, &fresh) != 0)
        return false;
    if ((fresh.st_uid != old.st_uid || fresh.st_gid != old.st_gid) &&
        ::fchown(to, old.st_uid, old.st_gid) != 0)
        return false;
    ssize_t listLength = ::flistxattr(from, nullptr, 0);
    if (listLength < 0)
        return errno == ENOTSUP;
    std::vector<char> names(static_cast<std::size_t>(listLength));
    listLength = ::flistxattr(from, names.data(), names.size());
    if (listLength < 0)
        return false;
    for (std::size_t at = 0; at < static_cast<std::size_t>(listLength);) {
        const char* name = names.data() + at;
        at += std::char_traits<char>::length(name) + 1;
        ssize_t valueLength = ::fgetxattr(from, name, nullptr, 0);
        if (valueLength < 0)
            return false;
        std::vector<char> value(static_cast<std::size_t>(valueLength));
        valueLength = ::fgetxattr(from, name, value.data(), value.size());
        if (valueLength < 0 ||
            ::fsetxattr(to, name, value.data(), static_cast<std::size_t>(valueLength), 0) != 0)
            return false;
    }
    // Last: a change of owner clears the set-user and set-group bits.
    return ::fchmod(to, old.st_mode & 07777) == 0;
}

// Writes `bytes` to a new file beside `target` and renames it over `target`.
// With `old` (the open file at `target` and its facts) the new file first
// takes the old one's identity; nothing when it cannot, so that the caller
// rewrites the file in place instead.
std::optional<Status> replaceByNewFile(const std::string& target, const SavedContent& content,
                                       const std::string& shownPath, int oldFd,
                                       const struct stat* old) {
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryNameFor(target);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, old ? 0600 : 0666);
        int error = errno;
        if (fd < 0 && error != EEXIST) {
            // A folder the user may not write still lets an existing file be
            // rewritten in place.
            if (old && (error == EACCES || error == EPERM))
                return std::nullopt;
            return failureFromErrno(error, shownPath, true); // a missing folder is 76
        }
    }
    if (fd < 0)
        return failureFromErrno(EEXIST, shownPath, false);
    Descriptor file(fd);
    if (old && !takeIdentity(oldFd, *old, fd)) {
        file.close();
        ::unlink(temporary.c_str());
        return std::nullopt;
    }
    int error = content.writeTo(fd);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (int closed = file.close(); error == 0)
        error = closed;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        // A sticky folder keeps others' files from being replaced.
        if (old && (error == EPERM || error == EACCES)) {
            ::unlink(temporary.c_str());
            return std::nullopt;
        }
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return failureFromErrno(error, shownPath, false);
    }
    syncFolderOf(target);
    return Status(Ok{});
}

// Rewrites the open file `fd` with `content` after copying its old content to
// the per-user cache folder; a failed rewrite puts the old content back. The
// copy is kept only when even that fails.
Status rewriteInPlace(int fd, const std::string& target, const SavedContent& content,
                      const std::string& shownPath, const struct stat& old) {
    int oldFd = ::open(target.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (oldFd < 0)
        return failureFromErrno(errno, shownPath, false);
    Descriptor reader(oldFd);
    // The copy goes to the user's cache folder, or to the system's temporary
    // folder when that cannot be made.
    const std::string cache = cacheHome() + "/Kestro";
    std::string copyPath;
    int copyFd = -1;
    for (const std::string& folder : {cache, std::string("/tmp")}) {
        if (folder == cache && !makeFolders(folder))
            continue;
        copyPath = folder + "/saving-XXXXXX";
        copyFd = ::mkostemp(copyPath.data(), O_CLOEXEC);
        if (copyFd >= 0)
            break;
    }
    if (copyFd < 0)
        return failureFromErrno(errno, shownPath, false);
    Descriptor copy(copyFd);
    int error = copyContent(oldFd, copyFd, old.st_size);
    if (error == 0 && ::fsync(copyFd) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(copyPath.c_str());
        return failureFromErrno(error, shownPath, false);
    }
    // Space for the longer text is claimed first, so that a full device
    // fails before the first byte changes.
    const off_t size = content.length();
    if (size > old.st_size && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL)
        error = errno;
    if (error == 0)
        error = content.writeTo(fd);
    if (error == 0 && ::ftruncate(fd, size) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (error != 0) {
        const bool restored = copyContent(copyFd, fd, old.st_size) == 0 &&
                              ::ftruncate(fd, old.st_size) == 0 && ::fsync(fd) == 0;
        if (restored)
            ::unlink(copyPath.c_str());
        return failureFromErrno(error, shownPath, false);
    }
    ::unlink(copyPath.c_str());
    return Ok{};
}

// The failure for a file that could not be opened: a missing file whose
// folder is missing too is a missing path.
Failure openFailure(int error, const std::string& path) {
    struct stat folder {};
    const bool folderMissing =
        error == ENOENT && ::stat(folderOf(path).c_str(), &folder) != 0 && errno == ENOENT;
    return failureFromErrno(error, path, folderMissing);
}

Status saveContent(const std::string& path, const SavedContent& content) {
    Result<std::string> followed = followLinks(path);
    if (!followed)
        return followed.failure();
    const std::string& target = followed.value();
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0) {
        if (errno != ENOENT)
            return failureFromErrno(errno, path, false);
        return *replaceByNewFile(target, content, path, -1, nullptr);
    }
    // A FIFO, device or socket is never opened, let alone replaced.
    if (!S_ISREG(old.st_mode))
        return makeFailure(failure::PathFileAccess, path);
    // The user's right to write the file itself decides, never the folder's.
    int fd = ::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failureFromErrno(errno, path, false);
    Descriptor file(fd);
    if (::fstat(fd, &old) != 0)
        return failureFromErrno(errno, path, false);
    if (!S_ISREG(old.st_mode))
        return makeFailure(failure::PathFileAccess, path);
    // Renaming a new file over the old one would leave its other names with
    // the old text.
    if (old.st_nlink == 1) {
        if (std::optional<Status> replaced = replaceByNewFile(target, content, path, fd, &old))
            return *replaced;
    }
    return rewriteInPlace(fd, target, content, path, old);
}

} // namespace

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return {argv, argv + argc};
}

std::string programFolder() {
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < buffer.size()) {
            std::string program(buffer.data(), static_cast<std::size_t>(length));
            std::size_t slash = program.rfind('/');
            if (slash == std::string::npos)
                return {};
            return program.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string configHome() {
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string cacheHome() {
    return xdgFolder("XDG_CACHE_HOME", ".cache");
}

std::string dataHome() {
    return xdgFolder("XDG_DATA_HOME", ".local/share");
}

Status makeFolders(const std::string& folder) {
    if (folder.empty())
        return makeFailure(failure::PathNotFound);
    std::size_t end = 0;
    while (end != std::string::npos) {
        end = folder.find('/', end + 1);
        std::string part = folder.substr(0, end);
        if (part.back() == '/' || ::mkdir(part.c_str(), 0700) == 0)
            continue;
        int error = errno;
        // An existing folder is fine, whatever mkdir said about it.
        struct stat info;
        if (::stat(part.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            continue;
        return failureFromErrno(error == EEXIST ? ENOTDIR : error, folder, true);
    }
    return Ok{};
}

Status writeFileAtomically(const std::string& requestedPath, const std::string& bytes) {
    // Saving through a symbolic link updates the file it points to, also
    // one that does not exist yet; the link stays as the user made it.
    Result<std::string> followed = followLinks(requestedPath);
    if (!followed)
        return followed.failure();
    const std::string& path = followed.value();
    std::string temporary;
    Descriptor file;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        temporary = temporaryNameFor(path);
        file.reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        int error = errno;
        // A missing file here means a missing folder.
        if (!file && error != EEXIST)
            return failureFromErrno(error, path, true);
    }
    if (!file)
        return failureFromErrno(EEXIST, path, false);
    const int fd = file.get();

    int error = 0;
    struct stat old;
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::fchmod(fd, old.st_mode & 07777) != 0)
        error = errno;
    if (error == 0)
        error = writeAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (const int closed = file.close(); error == 0)
        error = closed;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return failureFromErrno(error, path, false);
    }
    // Make the rename itself durable; a failure here loses nothing written.
    syncFolderOf(path);
    return Ok{};
}

Status saveFileKeepingIdentity(const std::string& path, const std::string& bytes) {
    SavedContent content;
    content.bytes = bytes;
    return saveContent(path, content);
}

Status saveFileKeepingIdentityFrom(const std::string& path, const std::string& source) {
    std::uint64_t size = 0;
    Result<Descriptor> opened = openWholeFile(source, size);
    if (!opened)
        return opened.failure();
    SavedContent content;
    content.fd = opened.value().get();
    content.size = static_cast<off_t>(size);
    return saveContent(path, content);
}

Result<Descriptor> openWholeFile(const std::string& path, std::uint64_t& size) {
    // Non-blocking open: a FIFO at the path must not hang the program.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file)
        return openFailure(errno, path);
    struct stat info;
    if (::fstat(file.get(), &info) != 0)
        return failureFromErrno(errno, path, false);
    if (!S_ISREG(info.st_mode))
        return makeFailure(failure::PathFileAccess, path); // a folder, FIFO or device
    size = static_cast<std::uint64_t>(info.st_size);
    return file;
}

} // namespace kestro
