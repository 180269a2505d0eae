#include "platform/folder.h"

#include "platform/descriptor.h"
#include "platform/file_pattern.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kestro {

namespace {

// One folder entry as getdents64 gives it: the name (NUL-terminated, inside
// the stream's buffer) and the kind (a DT_ value, DT_UNKNOWN when the file
// system does not tell).
struct FolderEntry {
    const char* d_name;
    unsigned char d_type;
};

// Reads an open folder with getdents64 directly: large reads, and none of
// the checks that opendir adds to every folder (these count when a million
// files are listed). Does not own the descriptor.
class FolderStream {
public:
    explicit FolderStream(int fd) : fd_(fd) {}

    int error() const { return error_; }

    // The next entry other than "." and "..", or null at the end or on a
    // failure. error() is the errno of a failed read, else 0.
    const FolderEntry* next() {
        for (;;) {
            if (offset_ >= filled_) {
                const long got = retryInterrupted(
                    [this] { return ::syscall(SYS_getdents64, fd_, buffer_, sizeof buffer_); });
                if (got <= 0) {
                    error_ = got < 0 ? errno : 0;
                    return nullptr;
                }
                filled_ = static_cast<std::size_t>(got);
                offset_ = 0;
            }
            // The kernel's record: inode (8 bytes), offset (8), record length
            // (2), type (1), then the name.
            const char* record = buffer_ + offset_;
            unsigned short length = 0;
            std::memcpy(&length, record + 16, sizeof length);
            offset_ += length;
            entry_.d_type = static_cast<unsigned char>(record[18]);
            entry_.d_name = record + 19;
            const char* name = entry_.d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            return &entry_;
        }
    }

private:
    int fd_;
    int error_ = 0;
    std::size_t filled_ = 0;
    std::size_t offset_ = 0;
    FolderEntry entry_{};
    alignas(8) char buffer_[64 * 1024];
};

EntryKind kindOfMode(mode_t mode) {
    if (S_ISREG(mode))
        return EntryKind::File;
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    if (S_ISLNK(mode))
        return EntryKind::Link;
    return EntryKind::System;
}

int openFolderAt(int at, const char* name, int extraFlags) {
    return retryInterrupted([&] {
        return ::openat(at, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | extraFlags);
    });
}
} // namespace

Result<OpenFolder> OpenFolder::open(const std::string& path) {
    const int fd = openFolderAt(AT_FDCWD, path.c_str(), 0);
    if (fd < 0)
        return failureFromErrno(errno, path, true);
    return OpenFolder(fd);
}

Result<OpenFolder> OpenFolder::openChildOf(int folderFd, const char* name,
                                           const std::string& reportedPath) {
    const int fd = openFolderAt(folderFd, name, O_NOFOLLOW);
    if (fd < 0) // a link put in a folder's place is no folder of the walk
        return failureFromErrno(errno == ELOOP ? ENOTDIR : errno, reportedPath, true);
    return OpenFolder(fd);
}

Status OpenFolder::checkPresent(const std::string& reportedPath) const {
    struct stat info;
    if (::fstat(folder_.get(), &info) != 0)
        // A share tells a folder removed on the server as stale.
        return failureFromErrno(errno == ESTALE ? ENOENT : errno, reportedPath, true);
    if (info.st_nlink == 0) // removed: no name leads to it any more
        return failureFromErrno(ENOENT, reportedPath, true);
    return Ok{};
}

Status readFolderEntries(int folderFd, FolderEntries& entries, const std::string& reportedPath) {
    // The entries are gathered where the thread gathered the last folder's,
    // then copied once at their size: most are kept until the folder is
    // listed. What is left of a large folder is given back.
    constexpr std::size_t KeptGatheringBytes = std::size_t{1} << 20;
    thread_local FolderEntries gathered;
    gathered.clear();
    FolderStream stream(folderFd);
    while (const auto* entry = stream.next()) {
        EntryKind kind;
        switch (entry->d_type) {
        case DT_REG:
            kind = EntryKind::File;
            break;
        case DT_DIR:
            kind = EntryKind::Folder;
            break;
        case DT_LNK:
            kind = EntryKind::Link;
            break;
        case DT_UNKNOWN: {
            // Without following a link: a link to a folder is never walked.
            struct stat info;
            if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // vanished since the enumeration
            kind = kindOfMode(info.st_mode);
            break;
        }
        default:
            kind = EntryKind::System; // FIFO, socket, character or block device
        }
        gathered.add(kind, std::string_view(entry->d_name),
                     entry->d_name[0] == '.' ? attribute::Hidden : 0);
    }
    if (stream.error() != 0) {
        entries.clear();
        return failureFromErrno(stream.error(), reportedPath, true);
    }
    entries = gathered;
    if (gathered.bytes() > KeptGatheringBytes)
        gathered = FolderEntries();
    return Ok{};
}

std::vector<std::string_view> selectFiles(const FolderEntries& entries,
                                          const FilePatternSet& patterns,
                                          const IncludeSwitches& include,
                                          const std::function<int()>& folderFd) {
    std::vector<std::string_view> names;
    int fd = -2; // not asked for yet
    auto descriptor = [&] {
        if (fd == -2)
            fd = folderFd();
        return fd;
    };
    entries.forEach([&](const FolderEntries::Entry& entry) {
        const std::string_view name = entry.name;
        if (!patterns.matches(name))
            return;
        if (name[0] == '.' && !include.hidden)
            return;
        EntryKind kind = entry.kind;
        bool dangling = false;
        struct stat info;
        bool haveInfo = false;
        if (kind == EntryKind::Link) {
            // A link takes its target's kind; one that leads nowhere is a
            // plain file.
            if (descriptor() < 0)
                return;
            if (::fstatat(fd, name.data(), &info, 0) == 0) {
                haveInfo = true;
                kind = kindOfMode(info.st_mode);
            } else {
                kind = EntryKind::File;
                dangling = true;
            }
        }
        if (kind == EntryKind::Folder)
            return;
        if (kind == EntryKind::System && !include.system)
            return;
        // A dangling link has no mode of its own and is never read-only.
        if (!include.readOnly && !dangling) {
            if (!haveInfo && (descriptor() < 0 || ::fstatat(fd, name.data(), &info, 0) != 0))
                return; // vanished since the enumeration
            if ((info.st_mode & S_IWUSR) == 0)
                return;
        }
        names.emplace_back(name);
    });
    if (!entries.sortedByName())
        sortViewsNoCase(names);
    return names;
}

std::size_t spareFolderDescriptors() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 64;
    const rlim_t open = limit.rlim_cur;
    const rlim_t reserve = std::min<rlim_t>(open / 2, std::max<rlim_t>(open / 16, 1024));
    return static_cast<std::size_t>(std::min<rlim_t>(open - reserve, 65536));
}

Result<OpenFolder> OpenFolder::duplicate(int fd, const std::string& reportedPath) {
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return failureFromErrno(errno, reportedPath, true);
    return OpenFolder(copy);
}

} // namespace kestro
