#include "fileinfo/file_info.h"

#include "fileinfo/executable_format.h"
#include "fileinfo/time_text.h"
#include "platform/content_digest.h"
#include "platform/folder.h"
#include "platform/local_time.h"
#include "platform/short_names.h"

namespace kestro {

namespace {
// The attribute set is a signed 16-bit value; a bit of 32768 or above does
// not fit it.
constexpr std::uint32_t AttributeLimit = 0x8000;

Failure notFound(const std::string& path) {
    return makeFailure(failure::FileNotFound, path);
}
} // namespace

bool FileInfo::isReadableFile() const {
    return probeEnabled(fileName_);
}

Result<std::int64_t> FileInfo::size() const {
    if (!isReadableFile())
        return notFound(fileName_);
    auto facts = readFileFacts(fileName_);
    if (!facts)
        return facts.failure();
    return facts.value().size;
}

Result<std::uint32_t> FileInfo::readAttributeSet() const {
    if (!isReadableFile())
        return notFound(fileName_);
    auto attributes = readAttributes(fileName_);
    if (!attributes)
        return attributes.failure();
    if (attributes.value() >= AttributeLimit)
        return makeFailure(failure::Overflow, fileName_);
    return attributes.value();
}

Result<bool> FileInfo::attribute(std::uint32_t bit) const {
    auto attributes = readAttributeSet();
    if (!attributes)
        return attributes.failure();
    return (attributes.value() & bit) != 0;
}

Status FileInfo::setAttribute(std::uint32_t bit, bool value) {
    auto attributes = readAttributeSet();
    if (!attributes)
        return attributes.failure();
    std::uint32_t updated = attributes.value();
    if (value) {
        auto already = attribute(bit);
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

Result<bool> FileInfo::archive() const {
    return attribute(attribute::Archive);
}
Status FileInfo::setArchive(bool value) {
    return setAttribute(attribute::Archive, value);
}
Result<bool> FileInfo::hidden() const {
    return attribute(attribute::Hidden);
}
Status FileInfo::setHidden(bool value) {
    return setAttribute(attribute::Hidden, value);
}
Result<bool> FileInfo::system() const {
    return attribute(attribute::System);
}
Status FileInfo::setSystem(bool value) {
    return setAttribute(attribute::System, value);
}
Result<bool> FileInfo::readOnly() const {
    return attribute(attribute::ReadOnly);
}
Status FileInfo::setReadOnly(bool value) {
    return setAttribute(attribute::ReadOnly, value);
}
Result<bool> FileInfo::isDirectory() const {
    return attribute(attribute::Directory);
}

Result<bool> FileInfo::isExecutable() const {
    if (!isReadableFile())
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

std::string FileInfo::shortPathName() const {
    // Only for a file or folder that exists; without 8.3 names, the short
    // path is the path itself.
    if (fileName_.empty() || !readFileFacts(fileName_))
        return {};
    return shortPath(fileName_);
}

Status FileInfo::readFileInfo() {
    if (!isReadableFile())
        return notFound(fileName_);
    // A file that vanishes between the probe and the read is reported, not
    // shown with made-up zero times.
    auto facts = readFileFacts(fileName_);
    if (!facts)
        return facts.failure();
    linkCount_ = static_cast<std::int32_t>(facts.value().linkCount);
    creationTimeText_ = fileTimeText(facts.value().creation);
    lastAccessTimeText_ = fileTimeText(facts.value().lastAccess);
    lastWriteTimeText_ = fileTimeText(facts.value().lastWrite);
    return Ok{};
}

Result<std::string> FileInfo::creationTime() {
    creationTimeText_.clear();
    if (auto read = readFileInfo(); !read)
        return read.failure();
    return creationTimeText_;
}

Result<std::string> FileInfo::lastAccessTime() {
    lastAccessTimeText_.clear();
    if (auto read = readFileInfo(); !read)
        return read.failure();
    return lastAccessTimeText_;
}

Result<std::string> FileInfo::lastWriteTime() {
    lastWriteTimeText_.clear();
    if (auto read = readFileInfo(); !read)
        return read.failure();
    return lastWriteTimeText_;
}

Result<std::int32_t> FileInfo::linkCount() {
    linkCount_ = 0;
    if (auto read = readFileInfo(); !read)
        return read.failure();
    return linkCount_;
}

std::int64_t FileInfo::allocatedSize() const {
    if (fileName_.empty())
        return -1;
    auto facts = readFileFacts(fileName_);
    return facts ? facts.value().allocatedSize : -1;
}

std::string FileInfo::fileTimeText(FileTime time) {
    return timeText(toLocalCalendar(time));
}

std::string FileInfo::removeSpaces(std::string text) {
    std::erase(text, ' ');
    return text;
}

} // namespace kestro
