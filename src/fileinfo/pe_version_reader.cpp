#include "fileinfo/pe_version_reader.h"

#include "platform/content_digest.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace kestro {

namespace {

// Layout constants of the PE format.
constexpr std::uint64_t DosHeaderSize = 64;
constexpr std::uint64_t NewHeaderOffsetAt = 0x3C;
constexpr std::uint64_t FileHeaderSize = 24; // "PE\0\0" and the COFF file header
constexpr std::uint16_t Pe32Magic = 0x10B;
constexpr std::uint16_t Pe32PlusMagic = 0x20B;
constexpr std::uint64_t SectionHeaderSize = 40;
// The loader's own limit; a larger count is not a program file.
constexpr std::uint16_t MaxSections = 96;
constexpr std::uint32_t ResourceDirectoryIndex = 2;
constexpr std::uint64_t ResourceDirectorySize = 16;
constexpr std::uint64_t ResourceEntrySize = 8;
constexpr std::uint64_t ResourceDataEntrySize = 16;
constexpr std::uint32_t VersionResourceType = 16; // RT_VERSION
constexpr std::uint32_t HighBit = 0x80000000;
// Entries read per step while looking for the version type.
constexpr std::uint64_t EntriesPerRead = 64;

// VS_VERSIONINFO: three 16-bit words, the key "VS_VERSION_INFO" in UTF-16
// with its terminating zero, padding to a 32-bit boundary, then the record.
constexpr std::uint64_t VersionKeyAt = 6;
constexpr std::u16string_view VersionKey = u"VS_VERSION_INFO";
constexpr std::uint64_t FixedInfoAt = 40;
constexpr std::uint64_t FixedInfoSize = 52;
constexpr std::uint64_t VersionHeadSize = FixedInfoAt + FixedInfoSize;

// Reads little-endian numbers from a buffer the caller has already sized;
// a position outside it reads as zero rather than past its end.
std::uint32_t littleEndian(std::string_view bytes, std::uint64_t at, int width) {
    if (at > bytes.size() || bytes.size() - at < static_cast<std::uint64_t>(width))
        return 0;
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}
std::uint16_t u16(std::string_view bytes, std::uint64_t at) {
    return static_cast<std::uint16_t>(littleEndian(bytes, at, 2));
}
std::uint32_t u32(std::string_view bytes, std::uint64_t at) {
    return littleEndian(bytes, at, 4);
}

struct Section {
    std::uint64_t virtualAddress = 0;
    std::uint64_t rawSize = 0;
    std::uint64_t rawOffset = 0;
};

class Parser {
public:
    explicit Parser(const ImageBytes& image) : image_(image) {}

    std::optional<FixedFileInfo> run();
    const std::optional<Failure>& failure() const { return failure_; }

private:
    std::optional<std::string> at(std::uint64_t offset, std::uint64_t length);
    std::optional<std::string> atAddress(std::uint64_t rva, std::uint64_t length);
    bool readSections();
    std::optional<std::uint32_t> findVersionType(std::uint64_t directory);
    std::optional<std::uint32_t> firstEntry(std::uint64_t directory);

    const ImageBytes& image_;
    std::optional<Failure> failure_;
    std::uint64_t newHeader_ = 0;
    std::uint64_t sectionTable_ = 0;
    std::uint16_t sectionCount_ = 0;
    std::vector<Section> sections_;
    std::uint64_t resourceRoot_ = 0;
};

// Exactly `length` bytes at file offset `offset`, or nothing when they do not
// lie wholly inside the image.
std::optional<std::string> Parser::at(std::uint64_t offset, std::uint64_t length) {
    const std::uint64_t size = image_.size();
    if (offset > size || length > size - offset)
        return std::nullopt;
    auto bytes = image_.read(offset, static_cast<std::size_t>(length));
    if (!bytes) {
        failure_ = bytes.failure();
        return std::nullopt;
    }
    if (bytes.value().size() != length)
        return std::nullopt;
    return std::move(bytes).value();
}

// Bytes at a relative virtual address: they must lie wholly inside the raw
// data of one section (what the file does not hold is not there to read).
std::optional<std::string> Parser::atAddress(std::uint64_t rva, std::uint64_t length) {
    for (const Section& section : sections_) {
        if (rva < section.virtualAddress)
            continue;
        const std::uint64_t into = rva - section.virtualAddress;
        if (into >= section.rawSize || length > section.rawSize - into)
            continue;
        return at(section.rawOffset + into, length);
    }
    return std::nullopt;
}

bool Parser::readSections() {
    if (sectionCount_ == 0 || sectionCount_ > MaxSections)
        return false;
    auto table = at(sectionTable_, sectionCount_ * SectionHeaderSize);
    if (!table)
        return false;
    for (std::uint64_t i = 0; i < sectionCount_; ++i) {
        const std::uint64_t base = i * SectionHeaderSize;
        Section section;
        section.virtualAddress = u32(*table, base + 12);
        section.rawSize = u32(*table, base + 16);
        section.rawOffset = u32(*table, base + 20);
        sections_.push_back(section);
    }
    return true;
}

// The offset (from the resource root) named by the version type's entry of
// the root directory; it must lead to a further directory.
std::optional<std::uint32_t> Parser::findVersionType(std::uint64_t directory) {
    auto header = atAddress(resourceRoot_ + directory, ResourceDirectorySize);
    if (!header)
        return std::nullopt;
    const std::uint64_t named = u16(*header, 12);
    const std::uint64_t numbered = u16(*header, 14);
    // Numbered entries follow the named ones; a type number is never a name.
    const std::uint64_t first = resourceRoot_ + directory + ResourceDirectorySize;
    for (std::uint64_t done = 0; done < numbered;) {
        const std::uint64_t count = std::min(EntriesPerRead, numbered - done);
        auto entries =
            atAddress(first + (named + done) * ResourceEntrySize, count * ResourceEntrySize);
        if (!entries)
            return std::nullopt;
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint32_t id = u32(*entries, i * ResourceEntrySize);
            const std::uint32_t target = u32(*entries, i * ResourceEntrySize + 4);
            if (id == VersionResourceType)
                return (target & HighBit) ? std::optional(target & ~HighBit) : std::nullopt;
        }
        done += count;
    }
    return std::nullopt;
}

// The target of the first entry (named or numbered) of a directory, with its
// subdirectory bit.
std::optional<std::uint32_t> Parser::firstEntry(std::uint64_t directory) {
    auto header = atAddress(resourceRoot_ + directory, ResourceDirectorySize);
    if (!header || u16(*header, 12) + u16(*header, 14) == 0)
        return std::nullopt;
    auto entry = atAddress(resourceRoot_ + directory + ResourceDirectorySize, ResourceEntrySize);
    if (!entry)
        return std::nullopt;
    return u32(*entry, 4);
}

std::optional<FixedFileInfo> Parser::run() {
    auto dos = at(0, DosHeaderSize);
    if (!dos || dos->compare(0, 2, "MZ") != 0)
        return std::nullopt;
    newHeader_ = u32(*dos, NewHeaderOffsetAt);

    auto header = at(newHeader_, FileHeaderSize);
    if (!header || header->compare(0, 4, std::string_view("PE\0\0", 4)) != 0)
        return std::nullopt;
    sectionCount_ = u16(*header, 6);
    const std::uint64_t optionalSize = u16(*header, 20);
    sectionTable_ = newHeader_ + FileHeaderSize + optionalSize;

    // The optional header's layout differs between 32 and 64-bit images only
    // in where the directory count and the data directories start.
    auto magic = at(newHeader_ + FileHeaderSize, 2);
    if (!magic)
        return std::nullopt;
    std::uint64_t countAt = 0;
    std::uint64_t directoriesAt = 0;
    if (u16(*magic, 0) == Pe32Magic) {
        countAt = 92;
        directoriesAt = 96;
    } else if (u16(*magic, 0) == Pe32PlusMagic) {
        countAt = 108;
        directoriesAt = 112;
    } else {
        return std::nullopt;
    }
    const std::uint64_t needed = directoriesAt + (ResourceDirectoryIndex + 1) * std::uint64_t{8};
    if (optionalSize < needed)
        return std::nullopt;
    auto optional = at(newHeader_ + FileHeaderSize, needed);
    if (!optional || u32(*optional, countAt) <= ResourceDirectoryIndex)
        return std::nullopt;
    resourceRoot_ = u32(*optional, directoriesAt + ResourceDirectoryIndex * std::uint64_t{8});
    if (resourceRoot_ == 0 || !readSections())
        return std::nullopt;

    // Type, name, language: two directories, then a data entry. The depth is
    // fixed, so an entry that points back up the tree ends the search.
    auto names = findVersionType(0);
    if (!names)
        return std::nullopt;
    auto languages = firstEntry(*names);
    if (!languages || !(*languages & HighBit))
        return std::nullopt;
    auto data = firstEntry(*languages & ~HighBit);
    if (!data || (*data & HighBit))
        return std::nullopt;
    auto dataEntry = atAddress(resourceRoot_ + *data, ResourceDataEntrySize);
    if (!dataEntry)
        return std::nullopt;
    const std::uint64_t versionAddress = u32(*dataEntry, 0);
    const std::uint64_t versionSize = u32(*dataEntry, 4);
    if (versionSize < VersionHeadSize)
        return std::nullopt;

    auto version = atAddress(versionAddress, VersionHeadSize);
    if (!version)
        return std::nullopt;
    const std::uint64_t blockLength = u16(*version, 0);
    const std::uint64_t valueLength = u16(*version, 2);
    if (blockLength < VersionHeadSize || blockLength > versionSize || valueLength < FixedInfoSize)
        return std::nullopt;
    for (std::size_t i = 0; i <= VersionKey.size(); ++i) {
        const char16_t expected = i < VersionKey.size() ? VersionKey[i] : u'\0';
        if (u16(*version, VersionKeyAt + 2 * i) != expected)
            return std::nullopt;
    }

    const std::string_view record = std::string_view(*version).substr(FixedInfoAt);
    FixedFileInfo info;
    std::uint32_t* fields[] = {&info.signature,
                               &info.structVersion,
                               &info.fileVersionHigh,
                               &info.fileVersionLow,
                               &info.productVersionHigh,
                               &info.productVersionLow,
                               &info.flagsMask,
                               &info.flags,
                               &info.os,
                               &info.type,
                               &info.subtype,
                               &info.dateHigh,
                               &info.dateLow};
    for (std::size_t i = 0; i < std::size(fields); ++i)
        *fields[i] = u32(record, 4 * i);
    if (info.signature != FixedFileInfoSignature)
        return std::nullopt;
    return info;
}

class ViewBytes : public ImageBytes {
public:
    explicit ViewBytes(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    Result<std::string> read(std::uint64_t offset, std::size_t length) const override {
        return std::string(bytes_.substr(offset, length));
    }

private:
    std::string_view bytes_;
};

class FileBytes : public ImageBytes {
public:
    explicit FileBytes(const RegularFile& file) : file_(file) {}
    std::uint64_t size() const override { return file_.size(); }
    Result<std::string> read(std::uint64_t offset, std::size_t length) const override {
        return file_.readRange(offset, length);
    }

private:
    const RegularFile& file_;
};

} // namespace

Result<std::optional<FixedFileInfo>> readFixedFileInfo(const ImageBytes& image) {
    Parser parser(image);
    auto info = parser.run();
    if (parser.failure())
        return *parser.failure();
    return info;
}

std::optional<FixedFileInfo> readFixedFileInfo(std::string_view image) {
    const ViewBytes bytes(image);
    Parser parser(bytes);
    return parser.run();
}

Result<std::optional<FixedFileInfo>> readFileVersionResource(const std::string& path) {
    auto file = RegularFile::open(path);
    if (!file)
        return file.failure();
    if (!file.value())
        return std::optional<FixedFileInfo>{};
    return readFixedFileInfo(FileBytes(*file.value()));
}

} // namespace kestro
