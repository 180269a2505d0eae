#pragma once

// Builds small Windows program images (PE32 or PE32+) in memory for tests:
// one ".rsrc" section whose resource tree holds a version resource with the
// chosen fixed record, next to a few other resource types. The offsets of the
// parts are returned too, so that a test can damage exactly one of them.

#include "fileinfo/pe_version_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestro::test {

struct PeImageOptions {
    bool pe32Plus = false;
    bool withVersion = true; // false: resources, but no version type among them
    FixedFileInfo info = defaultInfo();

    static FixedFileInfo defaultInfo() {
        FixedFileInfo info;
        info.signature = FixedFileInfoSignature;
        info.structVersion = 0x10000;
        info.fileVersionHigh = (1u << 16) | 2u;
        info.fileVersionLow = (3u << 16) | 4u;
        info.productVersionHigh = 5u << 16;
        info.productVersionLow = 6u;
        info.flagsMask = 0x3F;
        info.os = 0x40004;
        info.type = 1;
        return info;
    }
};

struct PeImage {
    std::string bytes;
    // File offsets of the parts.
    std::size_t newHeader = 0;      // "PE\0\0"
    std::size_t optionalHeader = 0; // its magic
    std::size_t resourceDirectoryEntry = 0;
    std::size_t sectionTable = 0;
    std::size_t resourceRoot = 0; // root directory = start of the section's raw data
    std::size_t versionTypeEntry = 0;
    std::size_t nameDirectory = 0;
    std::size_t languageDirectory = 0;
    std::size_t dataEntry = 0;
    std::size_t versionBlock = 0;
    std::uint32_t resourceAddress = 0; // relative virtual address of the section
};

namespace pe_detail {
inline void put16(std::string& bytes, std::size_t at, std::uint32_t value) {
    if (bytes.size() < at + 2)
        bytes.resize(at + 2);
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}
inline void put32(std::string& bytes, std::size_t at, std::uint32_t value) {
    put16(bytes, at, value & 0xFFFF);
    put16(bytes, at + 2, value >> 16);
}
} // namespace pe_detail

inline void put16(PeImage& image, std::size_t at, std::uint32_t value) {
    pe_detail::put16(image.bytes, at, value);
}
inline void put32(PeImage& image, std::size_t at, std::uint32_t value) {
    pe_detail::put32(image.bytes, at, value);
}

inline PeImage buildPeImage(const PeImageOptions& options) {
    using pe_detail::put16;
    using pe_detail::put32;
    PeImage image;
    std::string& b = image.bytes;
    b.assign(0x200, '\0');

    b[0] = 'M';
    b[1] = 'Z';
    image.newHeader = 0x80;
    put32(b, 0x3C, static_cast<std::uint32_t>(image.newHeader));
    b.replace(image.newHeader, 4, std::string("PE\0\0", 4));
    const std::size_t coff = image.newHeader + 4;
    const std::uint32_t optionalSize = options.pe32Plus ? 240 : 224;
    put16(b, coff, options.pe32Plus ? 0x8664 : 0x14C); // machine
    put16(b, coff + 2, 1);                             // sections
    put16(b, coff + 16, optionalSize);
    put16(b, coff + 18, 0x0102);

    image.optionalHeader = coff + 20;
    put16(b, image.optionalHeader, options.pe32Plus ? 0x20B : 0x10B);
    const std::size_t countAt = image.optionalHeader + (options.pe32Plus ? 108 : 92);
    put32(b, countAt, 16);
    image.resourceDirectoryEntry = image.optionalHeader + (options.pe32Plus ? 112 : 96) + 2 * 8;

    image.sectionTable = image.optionalHeader + optionalSize;
    image.resourceAddress = 0x1000;
    image.resourceRoot = 0x200;

    // The resource section, offsets relative to its start.
    std::string r;
    // Root: one named type ("MUI") and the numbered types 3, 16 and 24 (16 only
    // with a version).
    const std::uint32_t numbered = options.withVersion ? 3 : 2;
    put16(r, 12, 1);
    put16(r, 14, numbered);
    const std::size_t rootEntries = 16;
    const std::size_t emptyDirectory = rootEntries + (1 + numbered) * 8;
    r.resize(emptyDirectory + 16); // a directory without entries for the other types
    const std::size_t typeName = r.size();
    put16(r, typeName, 3);
    r += std::string("M\0U\0I\0\0\0", 8);
    const std::size_t nameDirectory = r.size();
    put16(r, nameDirectory + 14, 1);
    r.resize(nameDirectory + 24);
    const std::size_t languageDirectory = r.size();
    put16(r, languageDirectory + 14, 1);
    r.resize(languageDirectory + 24);
    const std::size_t dataEntry = r.size();
    r.resize(dataEntry + 16);
    const std::size_t versionBlock = r.size();

    put32(r, rootEntries, 0x80000000u | static_cast<std::uint32_t>(typeName));
    put32(r, rootEntries + 4, 0x80000000u | static_cast<std::uint32_t>(emptyDirectory));
    std::size_t entry = rootEntries + 8;
    put32(r, entry, 3);
    put32(r, entry + 4, 0x80000000u | static_cast<std::uint32_t>(emptyDirectory));
    entry += 8;
    if (options.withVersion) {
        image.versionTypeEntry = image.resourceRoot + entry;
        put32(r, entry, 16);
        put32(r, entry + 4, 0x80000000u | static_cast<std::uint32_t>(nameDirectory));
        entry += 8;
    }
    put32(r, entry, 24);
    put32(r, entry + 4, 0x80000000u | static_cast<std::uint32_t>(emptyDirectory));

    put32(r, nameDirectory + 16, 1); // name 1
    put32(r, nameDirectory + 20, 0x80000000u | static_cast<std::uint32_t>(languageDirectory));
    put32(r, languageDirectory + 16, 0x411); // Japanese
    put32(r, languageDirectory + 20, static_cast<std::uint32_t>(dataEntry));

    // VS_VERSIONINFO with the fixed record and nothing after it.
    const std::u16string key = u"VS_VERSION_INFO";
    const std::uint32_t blockLength = 92;
    put16(r, versionBlock, blockLength);
    put16(r, versionBlock + 2, 52);
    put16(r, versionBlock + 4, 0);
    for (std::size_t i = 0; i < key.size(); ++i)
        put16(r, versionBlock + 6 + 2 * i, key[i]);
    const FixedFileInfo& f = options.info;
    const std::uint32_t fields[] = {f.signature,
                                    f.structVersion,
                                    f.fileVersionHigh,
                                    f.fileVersionLow,
                                    f.productVersionHigh,
                                    f.productVersionLow,
                                    f.flagsMask,
                                    f.flags,
                                    f.os,
                                    f.type,
                                    f.subtype,
                                    f.dateHigh,
                                    f.dateLow};
    for (std::size_t i = 0; i < std::size(fields); ++i)
        put32(r, versionBlock + 40 + 4 * i, fields[i]);
    r.resize(versionBlock + blockLength);

    put32(r, dataEntry, image.resourceAddress + static_cast<std::uint32_t>(versionBlock));
    put32(r, dataEntry + 4, blockLength);

    put32(b, image.resourceDirectoryEntry, image.resourceAddress);
    put32(b, image.resourceDirectoryEntry + 4, static_cast<std::uint32_t>(r.size()));
    b.replace(image.sectionTable, 6, ".rsrc\0", 6);
    put32(b, image.sectionTable + 8, static_cast<std::uint32_t>(r.size())); // virtual size
    put32(b, image.sectionTable + 12, image.resourceAddress);
    put32(b, image.sectionTable + 16, static_cast<std::uint32_t>(r.size())); // raw size
    put32(b, image.sectionTable + 20, static_cast<std::uint32_t>(image.resourceRoot));
    put32(b, image.sectionTable + 36, 0x40000040); // initialised data, readable

    image.nameDirectory = image.resourceRoot + nameDirectory;
    image.languageDirectory = image.resourceRoot + languageDirectory;
    image.dataEntry = image.resourceRoot + dataEntry;
    image.versionBlock = image.resourceRoot + versionBlock;
    b.resize(image.resourceRoot);
    b += r;
    return image;
}

} // namespace kestro::test
