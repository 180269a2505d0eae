#include "platform/descriptor.h"
#include "platform/drives.h"
#include "platform/paths.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace kestro {

namespace {

std::optional<std::string>& mountInfoOverride() {
    static std::optional<std::string> text;
    return text;
}

// Undoes the kernel's octal escapes (\040 for a blank, \011, \012, \134).
std::string unescape(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3' && field[i + 2] >= '0' && field[i + 2] <= '7' &&
            field[i + 3] >= '0' && field[i + 3] <= '7') {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        std::size_t end = line.find(' ', start);
        if (end == std::string_view::npos)
            end = line.size();
        if (end > start)
            fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return fields;
}

std::string readSystemMountInfo() {
    // A proc file: its size says nothing, so it is read until its end.
    const Descriptor file(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC));
    std::string text;
    if (file)
        (void)readAll(file.get(), text); // what was read before a failure still counts
    return text;
}

std::string realPathOf(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return {};
    std::string text(real);
    std::free(real);
    return text;
}

// The real path of `path` or, when it does not exist (yet), of its nearest
// existing folder: where it would be created.
std::string resolveNearest(const std::string& path) {
    if (path.empty())
        return {};
    std::string current = path;
    if (current[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd))
            return {};
        current = std::string(cwd) + "/" + current;
    }
    for (;;) {
        std::string real = realPathOf(current);
        if (!real.empty())
            return real;
        while (current.size() > 1 && current.back() == '/')
            current.pop_back();
        std::size_t slash = current.find_last_of('/');
        if (slash == std::string::npos || current == "/")
            return {};
        current = slash == 0 ? "/" : current.substr(0, slash);
    }
}

std::string longestContaining(const std::vector<std::string>& mountPoints,
                              const std::string& path) {
    std::string best;
    for (const std::string& mountPoint : mountPoints) {
        if (isInside(path, mountPoint) && mountPoint.size() > best.size())
            best = mountPoint;
    }
    return best;
}

// Real storage is what a block device holds; snap images (squashfs on loop
// devices) are read-only packages, not drives.
bool isStorage(const MountEntry& entry) {
    return entry.source.starts_with("/dev/") && entry.fsType != "squashfs";
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const auto fields = splitFields(text.substr(start, end - start));
        start = end + 1;
        // id parent major:minor root mount-point options [optional...] - type source options
        auto separator = std::find(fields.begin(), fields.end(), "-");
        if (separator == fields.end() || separator - fields.begin() < 6 ||
            fields.end() - separator < 3)
            continue;
        MountEntry entry;
        entry.root = unescape(fields[3]);
        entry.mountPoint = unescape(fields[4]);
        entry.fsType = unescape(separator[1]);
        entry.source = unescape(separator[2]);
        if (entry.mountPoint.empty() || entry.mountPoint[0] != '/')
            continue;
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<MountEntry> currentMountTable() {
    const auto& override = mountInfoOverride();
    return parseMountInfo(override ? *override : readSystemMountInfo());
}

ScopedMountTable::ScopedMountTable(std::string mountInfoText) {
    mountInfoOverride() = std::move(mountInfoText);
}

ScopedMountTable::~ScopedMountTable() {
    mountInfoOverride().reset();
}

std::vector<std::string> listDrives() {
    std::vector<std::string> drives{"/"};
    for (const MountEntry& entry : currentMountTable()) {
        // A file bind-mounted over another (containers do this with
        // /etc/hosts) comes from a block device but is no drive.
        if (isStorage(entry) && isFolder(entry.mountPoint))
            drives.push_back(entry.mountPoint);
    }
    std::sort(drives.begin(), drives.end());
    drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
    return drives;
}

std::string driveAmong(const std::vector<std::string>& drives, const std::string& path) {
    return longestContaining(drives, resolveNearest(path));
}

std::string driveOf(const std::string& path) {
    const std::string drive = driveAmong(listDrives(), path);
    return drive.empty() ? "/" : drive;
}

std::string mountPointOf(const std::string& path) {
    const std::string real = resolveNearest(path);
    if (real.empty())
        return {};
    std::vector<std::string> mountPoints{"/"};
    for (const MountEntry& entry : currentMountTable())
        mountPoints.push_back(entry.mountPoint);
    return longestContaining(mountPoints, real);
}

Status openDriveRoot(const std::string& drive) {
    DIR* folder = ::opendir(drive.c_str());
    if (!folder) {
        int error = errno;
        // A mount point that is gone is a drive that is gone.
        if (error == ENOENT)
            return makeFailure(failure::DeviceUnavailable, drive);
        return failureFromErrno(error, drive, true);
    }
    // Reading shows a medium that was pulled out (EIO) where opening may not.
    errno = 0;
    static_cast<void>(::readdir(folder));
    int error = errno;
    ::closedir(folder);
    if (error != 0)
        return failureFromErrno(error, drive, true);
    return Ok{};
}

} // namespace kestro
