#include "platform/shell.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
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
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
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
            ssize_t done =
                ::copy_file_range(in, &from, out, &to, static_cast<std::size_t>(length), 0);
            if (done > 0) {
                offset += done;
                length -= done;
                continue;
            }
            if (done == 0)
                return 0;
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
                return errno;
            inKernel = false;
            buffer.resize(1 << 17);
        }
        const std::size_t chunk =
            static_cast<std::size_t>(std::min<off_t>(length, static_cast<off_t>(buffer.size())));
        ssize_t got = ::pread(in, buffer.data(), chunk, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            readFailed = true;
            return errno;
        }
        if (got == 0)
            return 0;
        for (ssize_t put = 0; put < got;) {
            ssize_t wrote = ::pwrite(out, buffer.data() + put, static_cast<std::size_t>(got - put),
                                     offset + put);
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote < 0)
                return errno;
            put += wrote;
        }
        offset += got;
        length -= got;
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
    int in = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (in < 0)
        return failureFromErrno(errno, source, false);
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return makeFailure(failure::PathFileAccess, source);
    }
    int out = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC,
                     st.st_mode & 0777);
    if (out < 0) {
        int error = errno;
        ::close(in);
        return error == ENOENT ? failureFromErrno(ENOENT, destination, true)
                               : failureFromErrno(error, destination, false);
    }
    bool readFailed = false;
    int error = copyContents(in, out, st.st_size, readFailed);
    ::close(in);
    // Keep the times like a shell copy does; a file system that cannot set
    // them still has a good copy.
    const timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);
    if (::close(out) != 0 && error == 0)
        error = errno;
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
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0)
        return failureFromErrno(errno, file, false);
    // Qt takes names as text; a name that does not survive the round trip
    // would name another file.
    const QByteArray bytes(file.data(), static_cast<qsizetype>(file.size()));
    const QString name = QFile::decodeName(bytes);
    if (QFile::encodeName(name) != bytes)
        return makeFailure(failure::BadFileName, file);
    if (!QFile::moveToTrash(name))
        return makeFailure(failure::PathFileAccess, file);
    return Ok{};
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
