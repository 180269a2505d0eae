#include "platform/program_paths.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <time.h>
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

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

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
    // Saving through a symbolic link updates the file it points to; the link
    // stays as the user made it.
    std::string path = requestedPath;
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* target = ::realpath(path.c_str(), nullptr)) {
            path = target;
            std::free(target);
        }
    }
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryNameFor(path);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        int error = errno;
        // A missing file here means a missing folder.
        if (fd < 0 && error != EEXIST)
            return failureFromErrno(error, path, true);
    }
    if (fd < 0)
        return failureFromErrno(EEXIST, path, false);

    int error = 0;
    struct stat old;
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::fchmod(fd, old.st_mode & 07777) != 0)
        error = errno;
    if (error == 0 && !writeAll(fd, bytes))
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return failureFromErrno(error, path, false);
    }
    // Make the rename itself durable; a failure here loses nothing written.
    int folderFd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return Ok{};
}

Result<std::string> readWholeFile(const std::string& path) {
    // Non-blocking open: a FIFO at the path must not hang the program.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return failureFromErrno(errno, path, false);
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        int error = errno;
        ::close(fd);
        return failureFromErrno(error, path, false);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return makeFailure(failure::PathFileAccess, path); // a folder, FIFO or device
    }
    std::string content;
    if (info.st_size > 0)
        content.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            int error = errno;
            ::close(fd);
            return failureFromErrno(error, path, false);
        }
        if (got == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return content;
}

} // namespace kestro
