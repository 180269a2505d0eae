#include "platform/file_facts.h"

#include "platform/folder.h"

#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro {

namespace {

// Hidden is a matter of the name: the last path element begins with ".",
// except "." and "..".
bool hasHiddenName(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    std::size_t slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return !name.empty() && name.front() == '.' && name != "." && name != "..";
}

std::uint32_t attributesOf(std::string_view path, mode_t mode) {
    std::uint32_t attributes = 0;
    if ((mode & S_IWUSR) == 0)
        attributes |= attribute::ReadOnly;
    if (hasHiddenName(path))
        attributes |= attribute::Hidden;
    if (S_ISDIR(mode))
        attributes |= attribute::Directory;
    else if (!S_ISREG(mode))
        attributes |= attribute::System;
    return attributes;
}

FileTime fileTimeOf(const struct statx_timestamp& stamp) {
    return FileTime{stamp.tv_sec, stamp.tv_nsec};
}

FileFacts factsOf(std::string_view path, const struct statx& info) {
    FileFacts facts;
    facts.size = static_cast<std::int64_t>(info.stx_size);
    facts.allocatedSize = static_cast<std::int64_t>(info.stx_blocks) * 512;
    facts.attributes = attributesOf(path, info.stx_mode);
    facts.linkCount = info.stx_nlink;
    facts.lastAccess = fileTimeOf(info.stx_atime);
    facts.lastWrite = fileTimeOf(info.stx_mtime);
    facts.creation = (info.stx_mask & STATX_BTIME) ? fileTimeOf(info.stx_btime) : facts.lastWrite;
    return facts;
}

} // namespace

bool probeEnabled(const std::string& path) {
    if (path.empty() || path.back() == '/')
        return false;
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    return probeReadable(path);
}

bool probeReadable(const std::string& path) {
    return !path.empty() && ::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) == 0;
}

Result<FileFacts> readFileFacts(const std::string& path) {
    struct statx info;
    if (::statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME,
                &info) != 0)
        return failureFromErrno(errno, path, false);
    return factsOf(path, info);
}

bool probeReadableAt(int folderFd, const char* name) {
    return name[0] != 0 && ::faccessat(folderFd, name, R_OK, AT_EACCESS) == 0;
}

Result<FileFacts> readFileFactsAt(int folderFd, const char* name) {
    struct statx info;
    if (::statx(folderFd, name, AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return failureFromErrno(errno, name, false);
    return factsOf(name, info);
}

std::uint32_t effectiveUserId() {
    return ::geteuid();
}

Result<FileFacts> readReadableFileFactsAt(int folderFd, const char* name,
                                          std::uint32_t effectiveUser, bool withCreation) {
    struct statx info;
    const unsigned int wanted = withCreation ? STATX_BASIC_STATS | STATX_BTIME : STATX_BASIC_STATS;
    if (::statx(folderFd, name, AT_STATX_SYNC_AS_STAT, wanted, &info) != 0)
        return failureFromErrno(errno, name, false);
    // For the owner the kernel decides by the owner's bits alone (an access
    // list never overrides them), so the second system call is needed only
    // for everybody else.
    const bool ownerMayRead = (info.stx_mode & S_IRUSR) != 0 && info.stx_uid == effectiveUser;
    if (!ownerMayRead && !probeReadableAt(folderFd, name))
        return failureFromErrno(EACCES, name, false);
    return factsOf(name, info);
}

Result<std::uint32_t> readAttributes(const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return failureFromErrno(errno, path, false);
    return attributesOf(path, info.st_mode);
}

Status writeAttributes(const std::string& path, std::uint32_t attributes) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return failureFromErrno(errno, path, false);
    mode_t mode = info.st_mode & 07777;
    mode_t wanted = (attributes & attribute::ReadOnly) ? mode & ~mode_t{S_IWUSR | S_IWGRP | S_IWOTH}
                                                       : mode | S_IWUSR;
    // Nothing to change needs no right to change it.
    if (wanted != mode && ::chmod(path.c_str(), wanted) != 0)
        return failureFromErrno(errno, path, false);
    return Ok{};
}

} // namespace kestro
