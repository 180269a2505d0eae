#include "fileinfo/file_info.h"

#include "platform/drives.h"
#include "platform/paths.h"
#include "platform/shell.h"

namespace kestro {

namespace {

const char* const DifferentDrivesText = "移動元と移動先のﾄﾞﾗｲﾌﾞは同じである必用があります";

Failure notFound(const std::string& path) {
    return makeFailure(failure::FileNotFound, path);
}

// The folder a path names its entry in ("." for a bare name).
std::string folderOf(const std::string& path) {
    if (folderPart(path).empty())
        return ".";
    return parentFolder(path);
}

} // namespace

Status FileInfo::execute() const {
    if (!isReadableFile())
        return notFound(fileName_);
    shellOpen(fileName_);
    return Ok{};
}

Status FileInfo::print() const {
    if (!isReadableFile())
        return notFound(fileName_);
    shellPrint(fileName_);
    return Ok{};
}

Status FileInfo::moveToTrash() const {
    if (!isReadableFile())
        return notFound(fileName_);
    return kestro::moveToTrash(fileName_);
}

Status FileInfo::copyTo(const std::string& destination) const {
    if (!isReadableFile())
        return notFound(fileName_);
    return copyFileTo(fileName_, destination);
}

Status FileInfo::moveTo(const std::string& destination) const {
    if (!isReadableFile())
        return notFound(fileName_);
    return moveFileTo(fileName_, destination);
}

Status FileInfo::renameTo(const std::string& newPath) const {
    if (!isReadableFile())
        return notFound(fileName_);
    return renameFileTo(fileName_, newPath);
}

Status FileInfo::moveWithinMount(const std::string& destination) const {
    if (!isReadableFile())
        return notFound(fileName_);
    // Only within one file system is a move a mere rename. The folders are
    // compared, not the entries: a link is moved itself, wherever it points.
    const std::string from = mountPointOf(folderOf(fileName_));
    const std::string to = mountPointOf(folderOf(destination));
    if (from.empty() || from != to) {
        if (messageSink_)
            messageSink_(DifferentDrivesText, MessageTitle);
        return Ok{};
    }
    return renameFileTo(fileName_, destination);
}

} // namespace kestro
