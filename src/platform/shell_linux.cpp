#include "platform/shell.h"

#include "platform/descriptor.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kestro {

namespace {

// The program `name` on PATH, as a path that can be handed to execve.
std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string folder = folders.substr(start, end - start);
        std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

// A relative name that begins with "-" would be taken for an option.
std::string asArgument(const std::string& target) {
    return !target.empty() && target[0] == '-' ? "./" + target : target;
}

// Starts `program` with `arguments` in a new session and does not wait for
// it: the intermediate child exits at once and is reaped here, so the program
// is adopted by init and no zombie is left. Its standard streams are
// /dev/null, so a pipe on ours is not held open by it.
void startDetached(const std::string& program, const std::vector<std::string>& arguments) {
    // Everything the children need is prepared before the fork: between fork
    // and exec only async-signal-safe calls are allowed.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t child = ::fork();
    if (child < 0)
        return;
    if (child == 0) {
        ::setsid();
        int devnull = ::open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            ::dup2(devnull, STDIN_FILENO);
            ::dup2(devnull, STDOUT_FILENO);
            ::dup2(devnull, STDERR_FILENO);
            if (devnull > STDERR_FILENO)
                ::close(devnull);
        }
        if (::fork() == 0) {
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::close_range(STDERR_FILENO + 1, ~0U, 0);
            ::execve(program.c_str(), argv.data(), environ);
            ::_exit(127);
        }
        ::_exit(0);
    }
    retryInterrupted([&] { return ::waitpid(child, nullptr, 0); });
}

Failure existsFailure(const std::string& path) {
    return failureFromErrno(EEXIST, path, false);
}

// The failure of a rename or link from `source` to `destination`: a missing
// source is 53, a missing destination folder 76.
Failure moveFailure(int error, const std::string& source, const std::string& destination) {
    if (error == ENOENT) {
        struct stat st {};
        if (::lstat(source.c_str(), &st) != 0)
            return failureFromErrno(ENOENT, source, false);
        return failureFromErrno(ENOENT, destination, true);
    }
    if (error == EEXIST || error == ENOTEMPTY)
        return existsFailure(destination);
    return failureFromErrno(error, destination, false);
}

// Renames without ever replacing `to`; 0 or the errno. File systems without
// the no-replace rename get a hard link (which refuses an existing name too)
// and the removal of the old name; those without hard links get a check and
// a plain rename, the only place where a race remains.
int renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    int error = errno;
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
        return error;
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) == 0)
            return 0;
        error = errno;
        ::unlink(to.c_str());
        return error;
    }
    error = errno;
    if (error != EPERM && error != EOPNOTSUPP && error != ENOSYS)
        return error;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// Like the shell, a copy or move onto an existing folder goes into it.
std::string targetPath(const std::string& source, const std::string& destination) {
    struct stat st {};
    if (destination.empty() || ::stat(destination.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return destination;
    std::size_t slash = source.find_last_of('/');
    std::string name = slash == std::string::npos ? source : source.substr(slash + 1);
    return destination + (destination.back() == '/' ? "" : "/") + name;
}

// Copies `length` bytes at `offset` from `in` to the same place in `out`: in
// the kernel where it can, else through a buffer. 0 or the errno of the
// failed side (`readFailed` tells which). Stops early only at the end of
// `in`, should it have shrunk.
int copyRange(int in, int out, off_t offset, off_t length, bool& readFailed) {
    bool inKernel = true;
    std::vector<char> buffer;
    while (length > 0) {
        if (inKernel) {
            loff_t from = offset;
            loff_t to = offset;
            const ssize_t done = retryInterrupted([&] {
                return ::copy_file_range(in, &from, out, &to, static_cast<std::size_t>(length), 0);
            });
            if (done > 0) {
                offset += done;
                length -= done;
                continue;
            }
            if (done == 0)
                return 0;
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
                return errno;
            inKernel = false;
            buffer.resize(1 << 17);
        }
        const std::size_t chunk =
            static_cast<std::size_t>(std::min<off_t>(length, static_cast<off_t>(buffer.size())));
        std::size_t got = 0;
        if (const int error =
                readAllAt(in, buffer.data(), chunk, static_cast<std::uint64_t>(offset), got);
            error != 0) {
            readFailed = true;
            return error;
        }
        if (got == 0)
            return 0;
        if (const int error = writeAllAt(out, std::string_view(buffer.data(), got),
                                         static_cast<std::uint64_t>(offset));
            error != 0)
            return error;
        offset += static_cast<off_t>(got);
        length -= static_cast<off_t>(got);
    }
    return 0;
}

// Copies the contents of `in` (`size` bytes) to the empty `out`, holes kept
// as holes: only the ranges that hold data are copied, and the length is set
// at the end. A file system that cannot tell holes gives the whole file as
// data. 0 or the errno, as copyRange.
int copyContents(int in, int out, off_t size, bool& readFailed) {
    off_t at = 0;
    while (at < size) {
        off_t data = ::lseek(in, at, SEEK_DATA);
        off_t end = size;
        if (data < 0 && errno == ENXIO)
            break; // only a hole remains
        if (data < 0 && errno != EINVAL && errno != EOPNOTSUPP) {
            readFailed = true;
            return errno;
        }
        if (data < 0) {
            data = at;
        } else {
            end = ::lseek(in, data, SEEK_HOLE);
            if (end < 0 || end > size)
                end = size;
        }
        if (data >= size)
            break;
        if (int error = copyRange(in, out, data, end - data, readFailed); error != 0)
            return error;
        at = end;
    }
    return ::ftruncate(out, size) == 0 ? 0 : errno;
}

// Copies a regular file to a name that must not exist yet (O_EXCL). A copy
// that fails part way is removed again. Sparse files stay sparse.
Status copyRegular(const std::string& source, const std::string& destination) {
    // A FIFO or device has no content to copy, and is not even opened:
    // opening one may wait, or act.
    struct stat facts {};
    if (::stat(source.c_str(), &facts) != 0)
        return failureFromErrno(errno, source, false);
    if (!S_ISREG(facts.st_mode))
        return makeFailure(failure::PathFileAccess, source);
    Descriptor in(::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!in)
        return failureFromErrno(errno, source, false);
    struct stat st {};
    if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return makeFailure(failure::PathFileAccess, source);
    Descriptor out(::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC,
                          st.st_mode & 0777));
    if (!out) {
        const int error = errno;
        return error == ENOENT ? failureFromErrno(ENOENT, destination, true)
                               : failureFromErrno(error, destination, false);
    }
    bool readFailed = false;
    int error = copyContents(in.get(), out.get(), st.st_size, readFailed);
    in.reset();
    // Keep the times like a shell copy does; a file system that cannot set
    // them still has a good copy.
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out.get(), times);
    if (const int closed = out.close(); error == 0)
        error = closed;
    if (error != 0) {
        ::unlink(destination.c_str());
        return failureFromErrno(error, readFailed ? source : destination, false);
    }
    return Ok{};
}

// Makes at `destination` a symbolic link with the text of the link `source`
// (never replacing anything), with the old link's times.
Status copyLink(const std::string& source, const std::string& destination) {
    std::string text(PATH_MAX, '\0');
    for (;;) {
        ssize_t length = ::readlink(source.c_str(), text.data(), text.size());
        if (length < 0)
            return failureFromErrno(errno, source, false);
        if (static_cast<std::size_t>(length) < text.size()) {
            text.resize(static_cast<std::size_t>(length));
            break;
        }
        text.resize(text.size() * 2);
    }
    if (::symlink(text.c_str(), destination.c_str()) != 0) {
        int error = errno;
        if (error == EEXIST)
            return existsFailure(destination);
        return failureFromErrno(error, destination, error == ENOENT);
    }
    struct stat st {};
    if (::lstat(source.c_str(), &st) == 0) {
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, destination.c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
    return Ok{};
}

// The freedesktop trash. A trash is a folder with files/ (the trashed
// entries) and info/ (one NAME.trashinfo per entry, telling where it came
// from and when). An entry is only ever renamed into a trash on its own file
// system: the user's home trash, or for another file system a trash in its
// top folder.

// Makes the folder `path` (private to the user) unless it is there; 0 or the
// errno.
int makeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) == 0)
        return 0;
    if (errno != EEXIST)
        return errno;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

// Makes the absolute folder `path` and those missing above it; 0 or the
// errno, with the folder that failed in `failed`.
int makeFolders(const std::string& path, std::string& failed) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        failed = path.substr(0, slash);
        if (int error = makeFolder(failed); error != 0)
            return error;
        if (slash == std::string::npos)
            return 0;
    }
}

// The home trash: in $XDG_DATA_HOME, or ~/.local/share when that is unset
// or not an absolute path.
std::string homeTrash() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/')
        return std::string(data) + "/Trash";
    const char* home = std::getenv("HOME");
    std::string folder = home && home[0] == '/' ? home : "";
    if (folder.empty()) {
        if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir)
            folder = user->pw_dir;
    }
    return folder + "/.local/share/Trash";
}

// The device of `path`, or of the nearest folder above it that exists.
dev_t deviceOf(std::string path) {
    struct stat st {};
    while (::stat(path.c_str(), &st) != 0) {
        const std::size_t slash = path.find_last_of('/');
        if (slash == std::string::npos || slash == 0)
            path = "/";
        else
            path.resize(slash);
    }
    return st.st_dev;
}

// The top folder of the file system that holds the folder `folder` (an
// absolute path without links).
std::string topFolderOf(std::string folder, dev_t device) {
    while (folder != "/") {
        const std::size_t slash = folder.find_last_of('/');
        const std::string parent = slash == 0 ? "/" : folder.substr(0, slash);
        struct stat st {};
        if (::stat(parent.c_str(), &st) != 0 || st.st_dev != device)
            break;
        folder = parent;
    }
    return folder;
}

// A folder of the user's own, not a link to one.
bool isOwnFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

// Makes the trash of the top folder `top`: .Trash/UID where the administrator
// made a shared .Trash (a real folder with the sticky bit), else .Trash-UID.
// 0 or the errno, with the trash in `trash`.
int makeTopTrash(const std::string& top, std::string& trash) {
    const std::string base = top == "/" ? "" : top;
    const std::string uid = std::to_string(::getuid());
    struct stat shared {};
    trash = base + "/.Trash/" + uid;
    if (::lstat((base + "/.Trash").c_str(), &shared) != 0 || !S_ISDIR(shared.st_mode) ||
        (shared.st_mode & S_ISVTX) == 0 || makeFolder(trash) != 0 || !isOwnFolder(trash))
        trash = base + "/.Trash-" + uid;
    if (int error = makeFolder(trash); error != 0)
        return error;
    if (!isOwnFolder(trash))
        return EACCES;
    if (int error = makeFolder(trash + "/files"); error != 0)
        return error;
    return makeFolder(trash + "/info");
}

// The bytes of a path as the trash info file keeps them: letters, digits,
// "-._~/" as they are, every other byte (a line break, a byte of a name that
// is not UTF-8, any non-ASCII character) as %XX.
std::string percentEncoded(const std::string& path) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : path) {
        if ((std::isalnum(c) && c < 0x80) || c == '-' || c == '.' || c == '_' || c == '~' ||
            c == '/')
            text += static_cast<char>(c);
        else {
            text += '%';
            text += digits[c >> 4];
            text += digits[c & 0xF];
        }
    }
    return text;
}

// The deletion date as the trash info file keeps it, in local time.
std::string deletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

} // namespace

void shellOpen(const std::string& target) {
    std::string program = findProgram("xdg-open");
    if (!program.empty())
        startDetached(program, {asArgument(target)});
}

void shellPrint(const std::string& file) {
    std::string program = findProgram("lp");
    if (!program.empty())
        startDetached(program, {asArgument(file)});
}

Status moveToTrash(const std::string& file) {
    struct stat before {};
    if (::lstat(file.c_str(), &before) != 0)
        return failureFromErrno(errno, file, false);
    // The entry itself goes, even a link; only its folder is resolved, for the
    // absolute path the trash keeps.
    const std::size_t slash = file.find_last_of('/');
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    const std::string folderPart =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : file.substr(0, slash));
    if (name.empty() || name == "." || name == "..")
        return makeFailure(failure::BadFileName, file);
    char* resolved = ::realpath(folderPart.c_str(), nullptr);
    if (!resolved)
        return failureFromErrno(errno, folderPart, true);
    const std::string folder = resolved;
    std::free(resolved);
    const std::string origin = (folder == "/" ? "" : folder) + "/" + name;

    // The home trash for a file on its file system, made where it is missing;
    // else the trash of the file's own file system. Never a copy to another
    // file system.
    std::string trash = homeTrash();
    std::string recorded = origin;
    if (deviceOf(trash) == before.st_dev) {
        std::string failed;
        int error = makeFolders(trash + "/files", failed);
        if (error == 0)
            error = makeFolders(trash + "/info", failed);
        if (error != 0)
            return failureFromErrno(error, failed, true);
    } else {
        const std::string top = topFolderOf(folder, before.st_dev);
        if (int error = makeTopTrash(top, trash); error != 0)
            return failureFromErrno(error, trash, true);
        // A top folder's trash keeps the path from that folder.
        recorded = top == "/" ? origin.substr(1) : origin.substr(top.size() + 1);
    }
    struct stat trashFacts {};
    if (::stat(trash.c_str(), &trashFacts) != 0 || trashFacts.st_dev != before.st_dev)
        return failureFromErrno(EXDEV, file, false);

    const std::string info = "[Trash Info]\nPath=" + percentEncoded(recorded) +
                             "\nDeletionDate=" + deletionDate() + "\n";
    for (int attempt = 1; attempt < 10000; ++attempt) {
        // The info file is made first, exclusively: it reserves the name.
        const std::string entry = attempt == 1 ? name : name + "." + std::to_string(attempt);
        std::string infoPath = trash;
        infoPath += "/info/";
        infoPath += entry;
        infoPath += ".trashinfo";
        Descriptor infoFile(
            ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!infoFile && errno == EEXIST)
            continue;
        if (!infoFile)
            return failureFromErrno(errno, infoPath, false);
        int error = writeAll(infoFile.get(), info);
        if (const int closed = infoFile.close(); error == 0)
            error = closed;
        if (error != 0) {
            ::unlink(infoPath.c_str());
            return failureFromErrno(error, infoPath, false);
        }
        std::string trashed = trash;
        trashed += "/files/";
        trashed += entry;
        error = renameNoReplace(file, trashed);
        if (error != 0) {
            ::unlink(infoPath.c_str());
            if (error == EEXIST || error == ENOTEMPTY)
                continue;
            return moveFailure(error, file, trashed);
        }
        // Reported as trashed only when it is there.
        struct stat after {};
        if (::lstat(trashed.c_str(), &after) != 0 || after.st_dev != before.st_dev ||
            after.st_ino != before.st_ino)
            return makeFailure(failure::PathFileAccess, file);
        return Ok{};
    }
    return existsFailure(trash + "/files/" + name);
}

Status copyFileTo(const std::string& source, const std::string& destination) {
    return copyRegular(source, targetPath(source, destination));
}

Status moveFileTo(const std::string& source, const std::string& destination) {
    const std::string target = targetPath(source, destination);
    int error = renameNoReplace(source, target);
    if (error == 0)
        return Ok{};
    if (error != EXDEV)
        return moveFailure(error, source, target);
    // Across file systems: copy, then remove the source; if it cannot be
    // removed, remove the copy so that the file exists once. A symbolic link
    // is moved as a link, not as a copy of what it points to.
    struct stat st {};
    if (::lstat(source.c_str(), &st) != 0)
        return failureFromErrno(errno, source, false);
    Status copied = S_ISLNK(st.st_mode) ? copyLink(source, target) : copyRegular(source, target);
    if (!copied)
        return copied;
    if (::unlink(source.c_str()) != 0) {
        error = errno;
        ::unlink(target.c_str());
        return failureFromErrno(error, source, false);
    }
    return Ok{};
}

Status renameFileTo(const std::string& source, const std::string& destination) {
    int error = renameNoReplace(source, destination);
    if (error != 0)
        return moveFailure(error, source, destination);
    return Ok{};
}

} // namespace kestro
