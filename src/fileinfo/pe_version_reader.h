#pragma once

// Reader of the version resource of a Windows program file (a PE image, 32 or
// 64-bit): the fixed version record (VS_FIXEDFILEINFO) of the first language
// of the first name of the RT_VERSION resource type.
//
// Written for hostile input. Every offset and length is checked against the
// image size before anything is read; the resource tree is followed exactly
// three levels deep (type, name, language), so a loop in it cannot trap the
// reader; counts are bounded; only the few small pieces needed are read.
// Anything that does not hold together (truncated, corrupted, not a PE image
// at all) is "no version resource": an empty optional, never a read outside
// the image. Only a failing read of the file itself is a failure.

#include "platform/failure.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestro {

// The 52-byte fixed version record, field by field.
struct FixedFileInfo {
    std::uint32_t signature = 0; // always 0xFEEF04BD in a record the reader returns
    std::uint32_t structVersion = 0;
    std::uint32_t fileVersionHigh = 0;
    std::uint32_t fileVersionLow = 0;
    std::uint32_t productVersionHigh = 0;
    std::uint32_t productVersionLow = 0;
    std::uint32_t flagsMask = 0;
    std::uint32_t flags = 0;
    std::uint32_t os = 0;
    std::uint32_t type = 0;
    std::uint32_t subtype = 0;
    std::uint32_t dateHigh = 0;
    std::uint32_t dateLow = 0;
};

inline constexpr std::uint32_t FixedFileInfoSignature = 0xFEEF04BD;

// Where the reader takes its bytes from.
class ImageBytes {
public:
    virtual ~ImageBytes() = default;
    virtual std::uint64_t size() const = 0;
    // The bytes [offset, offset + length), a range the reader has already
    // checked against size(); fewer only when the image shrank meanwhile.
    virtual Result<std::string> read(std::uint64_t offset, std::size_t length) const = 0;
};

// Fails only when `image` fails a read.
Result<std::optional<FixedFileInfo>> readFixedFileInfo(const ImageBytes& image);

// The same for an image held in memory; never fails.
std::optional<FixedFileInfo> readFixedFileInfo(std::string_view image);

// The same for the file at `path`, reading only the pieces needed. A path that
// is not a regular file (FIFO, device, folder) has no version resource and is
// never read. Fails with the errno's number when the file cannot be opened or
// read (53 missing, 70 not readable).
Result<std::optional<FixedFileInfo>> readFileVersionResource(const std::string& path);

} // namespace kestro
