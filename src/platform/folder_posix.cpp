#include "platform/folder.h"

#include "platform/file_pattern.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
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

// An open folder read with getdents64 directly: one open, large reads, and
// none of the descriptor checks that opendir adds to every folder (these
// count when a million files are listed). Closes itself.
class FolderStream {
public:
    explicit FolderStream(const std::string& folder) {
        fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ < 0)
            error_ = errno;
    }
    ~FolderStream() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FolderStream(const FolderStream&) = delete;
    FolderStream& operator=(const FolderStream&) = delete;

    bool open() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    int error() const { return error_; }

    // The next entry other than "." and "..", or null at the end or on a
    // failure. error() is the errno of a failed open or read, else 0.
    const FolderEntry* next() {
        for (;;) {
            if (offset_ >= filled_) {
                long got;
                do
                    got = ::syscall(SYS_getdents64, fd_, buffer_, sizeof buffer_);
                while (got < 0 && errno == EINTR);
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
    int fd_ = -1;
    int error_ = 0;
    std::size_t filled_ = 0;
    std::size_t offset_ = 0;
    FolderEntry entry_{};
    alignas(8) char buffer_[64 * 1024];
};

bool isHiddenName(const char* name) {
    return name[0] == '.';
}

enum class Kind { File, DanglingLink, Folder, System, Gone };

Kind kindOfMode(mode_t mode) {
    if (S_ISREG(mode))
        return Kind::File;
    if (S_ISDIR(mode))
        return Kind::Folder;
    return Kind::System;
}

// The kind of an entry and, when a stat was needed for it, its mode. A link
// takes its target's kind; a link that leads nowhere is a plain file.
Kind kindOfEntry(int folderFd, const FolderEntry& entry, struct stat& info, bool& haveInfo) {
    haveInfo = false;
    unsigned char type = entry.d_type;
    if (type == DT_UNKNOWN) {
        if (::fstatat(folderFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return Kind::Gone;
        if (!S_ISLNK(info.st_mode)) {
            haveInfo = true;
            return kindOfMode(info.st_mode);
        }
        type = DT_LNK;
    }
    switch (type) {
    case DT_REG:
        return Kind::File;
    case DT_DIR:
        return Kind::Folder;
    case DT_LNK:
        if (::fstatat(folderFd, entry.d_name, &info, 0) != 0)
            return Kind::DanglingLink;
        haveInfo = true;
        return kindOfMode(info.st_mode);
    default:
        return Kind::System; // FIFO, socket, character or block device
    }
}

} // namespace

Result<std::vector<std::string>> listWalkableSubFolders(const std::string& folder) {
    FolderStream stream(folder);
    if (!stream.open())
        return failureFromErrno(stream.error(), folder, true);
    std::vector<std::string> names;
    while (const auto* entry = stream.next()) {
        if (isHiddenName(entry->d_name))
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            // Without following a link: a link to a folder is never walked.
            struct stat info;
            isFolder = ::fstatat(stream.fd(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                       S_ISDIR(info.st_mode);
        }
        if (isFolder)
            names.emplace_back(entry->d_name);
    }
    if (stream.error() != 0)
        return failureFromErrno(stream.error(), folder, true);
    return names;
}

Result<std::vector<std::string>> listFiles(const std::string& folder,
                                           const FilePatternSet& patterns,
                                           const IncludeSwitches& include) {
    FolderStream stream(folder);
    if (!stream.open())
        return failureFromErrno(stream.error(), folder, true);
    std::vector<std::string> names;
    while (const auto* entry = stream.next()) {
        const char* name = entry->d_name;
        if (!patterns.matches(name))
            continue;
        if (isHiddenName(name) && !include.hidden)
            continue;
        struct stat info;
        bool haveInfo = false;
        Kind kind = kindOfEntry(stream.fd(), *entry, info, haveInfo);
        if (kind == Kind::Folder || kind == Kind::Gone)
            continue;
        if (kind == Kind::System && !include.system)
            continue;
        // A dangling link has no mode of its own and is never read-only.
        if (!include.readOnly && kind != Kind::DanglingLink) {
            if (!haveInfo && ::fstatat(stream.fd(), name, &info, 0) != 0)
                continue; // vanished since the enumeration
            if ((info.st_mode & S_IWUSR) == 0)
                continue;
        }
        names.emplace_back(name);
    }
    if (stream.error() != 0)
        return failureFromErrno(stream.error(), folder, true);
    sortNoCase(names);
    return names;
}

} // namespace kestro
