#include "fileinfo/file_info.h"

#include "fileinfo/executable_format.h"
#include "fileinfo/time_text.h"
#include "platform/folder.h"
#include "platform/local_time.h"
#include "platform/regular_file.h"

namespace kestro {

namespace {
// The attribute set is a signed 16-bit value; a bit of 32768 or above does
// not fit it.
constexpr std::uint32_t AttributeLimit = 0x8000;

Failure notFound(const std::string& path) {
    return makeFailure(failure::FileNotFound, path);
}
} // namespace

bool FileInfo::Enabled() const {
    return probeEnabled(fileName_);
}

Result<std::int64_t> FileInfo::Size() const {
    if (!Enabled())
        return notFound(fileName_);
    auto facts = readFileFacts(fileName_);
    if (!facts)
        return facts.failure();
    return facts.value().size;
}

Result<std::uint32_t> FileInfo::ReadAttributeSet() const {
    if (!Enabled())
        return notFound(fileName_);
    auto attributes = readAttributes(fileName_);
    if (!attributes)
        return attributes.failure();
    if (attributes.value() >= AttributeLimit)
        return makeFailure(failure::Overflow, fileName_);
    return attributes.value();
}

Result<bool> FileInfo::GetAttribute(std::uint32_t bit) const {
    auto attributes = ReadAttributeSet();
    if (!attributes)
        return attributes.failure();
    return (attributes.value() & bit) != 0;
}

Status FileInfo::SetAttribute(std::uint32_t bit, bool value) {
    auto attributes = ReadAttributeSet();
    if (!attributes)
        return attributes.failure();
    std::uint32_t updated = attributes.value();
    if (value) {
        auto already = GetAttribute(bit);
        if (!already)
            return already.failure();
        if (already.value())
            return Ok{};
        updated |= bit;
    } else {
        updated &= ~bit;
    }
    return writeAttributes(fileName_, updated);
}

Result<bool> FileInfo::Archive() const {
    return GetAttribute(attribute::Archive);
}
Status FileInfo::Archive(bool value) {
    return SetAttribute(attribute::Archive, value);
}
Result<bool> FileInfo::Hidden() const {
    return GetAttribute(attribute::Hidden);
}
Status FileInfo::Hidden(bool value) {
    return SetAttribute(attribute::Hidden, value);
}
Result<bool> FileInfo::System() const {
    return GetAttribute(attribute::System);
}
Status FileInfo::System(bool value) {
    return SetAttribute(attribute::System, value);
}
Result<bool> FileInfo::ReadOnly() const {
    return GetAttribute(attribute::ReadOnly);
}
Status FileInfo::ReadOnly(bool value) {
    return SetAttribute(attribute::ReadOnly, value);
}
Result<bool> FileInfo::Directory() const {
    return GetAttribute(attribute::Directory);
}

Result<bool> FileInfo::Executable() const {
    if (!Enabled())
        return notFound(fileName_);
    auto file = RegularFile::open(fileName_);
    if (!file)
        return file.failure();
    // A FIFO, device or socket is never a program.
    if (!file.value())
        return false;
    auto head = file.value()->readRange(0, ExecutableHeadBytes);
    if (!head)
        return head.failure();
    return isExecutableImage(head.value(), file.value()->anyExecuteBit());
}

std::string FileInfo::ShortPathName() const {
    // There are no 8.3 names here: the short path is the path itself, for a
    // file or folder that exists.
    if (fileName_.empty() || !readFileFacts(fileName_))
        return {};
    return fileName_;
}

Status FileInfo::ReadFileInfo() {
    if (!Enabled())
        return notFound(fileName_);
    // A file that vanishes between the probe and the read is reported, not
    // shown with made-up zero times.
    auto facts = readFileFacts(fileName_);
    if (!facts)
        return facts.failure();
    linkCount_ = static_cast<std::int32_t>(facts.value().linkCount);
    creationTimeText_ = FileTimeText(facts.value().creation);
    lastAccessTimeText_ = FileTimeText(facts.value().lastAccess);
    lastWriteTimeText_ = FileTimeText(facts.value().lastWrite);
    return Ok{};
}

Result<std::string> FileInfo::CreationTime() {
    creationTimeText_.clear();
    if (auto read = ReadFileInfo(); !read)
        return read.failure();
    return creationTimeText_;
}

Result<std::string> FileInfo::LastAccessTime() {
    lastAccessTimeText_.clear();
    if (auto read = ReadFileInfo(); !read)
        return read.failure();
    return lastAccessTimeText_;
}

Result<std::string> FileInfo::LastWriteTime() {
    lastWriteTimeText_.clear();
    if (auto read = ReadFileInfo(); !read)
        return read.failure();
    return lastWriteTimeText_;
}

Result<std::int32_t> FileInfo::Links() {
    linkCount_ = 0;
    if (auto read = ReadFileInfo(); !read)
        return read.failure();
    return linkCount_;
}

std::int64_t FileInfo::CompressedSize() const {
    if (fileName_.empty())
        return -1;
    auto facts = readFileFacts(fileName_);
    return facts ? facts.value().allocatedSize : -1;
}

std::string FileInfo::FileTimeText(FileTime time) {
    return timeText(toLocalCalendar(time));
}

std::string FileInfo::RemoveSpaces(std::string text) {
    std::erase(text, ' ');
    return text;
}

} // namespace kestro
