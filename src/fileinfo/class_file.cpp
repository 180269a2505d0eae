#include "fileinfo/class_file.h"

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

bool classFile::Enabled() const {
    return probeEnabled(fileName_);
}

Result<std::int64_t> classFile::Size() const {
    if (!Enabled())
        return notFound(fileName_);
    auto facts = readFileFacts(fileName_);
    if (!facts)
        return facts.failure();
    return facts.value().size;
}

Result<std::uint32_t> classFile::ReadAttributeSet() const {
    if (!Enabled())
        return notFound(fileName_);
    auto attributes = readAttributes(fileName_);
    if (!attributes)
        return attributes.failure();
    if (attributes.value() >= AttributeLimit)
        return makeFailure(failure::Overflow, fileName_);
    return attributes.value();
}

Result<bool> classFile::GetAttribute(std::uint32_t bit) const {
    auto attributes = ReadAttributeSet();
    if (!attributes)
        return attributes.failure();
    return (attributes.value() & bit) != 0;
}

Status classFile::SetAttribute(std::uint32_t bit, bool value) {
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

Result<bool> classFile::Archive() const {
    return GetAttribute(attribute::Archive);
}
Status classFile::Archive(bool value) {
    return SetAttribute(attribute::Archive, value);
}
Result<bool> classFile::Hidden() const {
    return GetAttribute(attribute::Hidden);
}
Status classFile::Hidden(bool value) {
    return SetAttribute(attribute::Hidden, value);
}
Result<bool> classFile::System() const {
    return GetAttribute(attribute::System);
}
Status classFile::System(bool value) {
    return SetAttribute(attribute::System, value);
}
Result<bool> classFile::ReadOnly() const {
    return GetAttribute(attribute::ReadOnly);
}
Status classFile::ReadOnly(bool value) {
    return SetAttribute(attribute::ReadOnly, value);
}
Result<bool> classFile::Directory() const {
    return GetAttribute(attribute::Directory);
}

Result<bool> classFile::Executable() const {
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

std::string classFile::ShortPathName() const {
    // There are no 8.3 names here: the short path is the path itself, for a
    // file or folder that exists.
    if (fileName_.empty() || !readFileFacts(fileName_))
        return {};
    return fileName_;
}

Status classFile::ReadFileInfo() {
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

Result<std::string> classFile::CreationTime() {
    creationTimeText_.clear();
    if (auto read = ReadFileInfo(); !read)
        return read.failure();
    return creationTimeText_;
}

Result<std::string> classFile::LastAccessTime() {
    lastAccessTimeText_.clear();
    if (auto read = ReadFileInfo(); !read)
        return read.failure();
    return lastAccessTimeText_;
}

Result<std::string> classFile::LastWriteTime() {
    lastWriteTimeText_.clear();
    if (auto read = ReadFileInfo(); !read)
        return read.failure();
    return lastWriteTimeText_;
}

Result<std::int32_t> classFile::Links() {
    linkCount_ = 0;
    if (auto read = ReadFileInfo(); !read)
        return read.failure();
    return linkCount_;
}

std::int64_t classFile::CompressedSize() const {
    if (fileName_.empty())
        return -1;
    auto facts = readFileFacts(fileName_);
    return facts ? facts.value().allocatedSize : -1;
}

std::string classFile::FileTimeText(FileTime time) {
    return timeText(toLocalCalendar(time));
}

std::string classFile::RemoveSpaces(std::string text) {
    std::erase(text, ' ');
    return text;
}

} // namespace kestro
