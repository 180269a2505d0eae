#include "fileinfo/executable_format.h"

#include <cstdint>
#include <optional>

namespace kestro {

namespace {

// An unsigned number of `width` bytes at `at`, or nothing when it lies
// outside `head`.
std::optional<std::uint64_t> number(std::string_view head, std::uint64_t at, int width,
                                    bool bigEndian) {
    if (at > head.size() || head.size() - at < static_cast<std::uint64_t>(width))
        return std::nullopt;
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i) {
        const int index = bigEndian ? i : width - 1 - i;
        value = (value << 8) | static_cast<unsigned char>(head[at + index]);
    }
    return value;
}

constexpr std::uint64_t ElfExecutable = 2;       // ET_EXEC
constexpr std::uint64_t ElfShared = 3;           // ET_DYN: a library or a PIE
constexpr std::uint64_t ElfInterpreter = 3;      // PT_INTERP
constexpr std::uint64_t MaxProgramHeaders = 512; // far more than any linker writes

// A program the system can start: a fixed-address executable, or a
// position-independent one, which names its program interpreter. An object
// file, a library without an interpreter or a bare signature is not one.
bool isElfProgram(std::string_view head) {
    if (head.substr(0, 4) != "\x7f"
                             "ELF")
        return false;
    if (head.size() < 6 || (head[4] != 1 && head[4] != 2) || (head[5] != 1 && head[5] != 2))
        return false;
    const bool wide = head[4] == 2;
    const bool bigEndian = head[5] == 2;
    const auto type = number(head, 16, 2, bigEndian);
    if (type == ElfExecutable)
        return true;
    if (type != ElfShared)
        return false;
    const auto tableOffset = number(head, wide ? 0x20 : 0x1C, wide ? 8 : 4, bigEndian);
    const auto entrySize = number(head, wide ? 0x36 : 0x2A, 2, bigEndian);
    const auto count = number(head, wide ? 0x38 : 0x2C, 2, bigEndian);
    if (!tableOffset || !entrySize || !count || *entrySize < 4 || *count > MaxProgramHeaders)
        return false;
    for (std::uint64_t i = 0; i < *count; ++i) {
        if (*tableOffset > head.size())
            return false;
        const auto kind = number(head, *tableOffset + i * *entrySize, 4, bigEndian);
        if (!kind)
            return false;
        if (*kind == ElfInterpreter)
            return true;
    }
    return false;
}

constexpr std::uint64_t PeRunnable = 0x0002; // IMAGE_FILE_EXECUTABLE_IMAGE
constexpr std::uint64_t PeLibrary = 0x2000;  // IMAGE_FILE_DLL

// A PE image marked runnable and not a library.
bool isPeProgram(std::string_view head) {
    if (head.size() < 0x40 || head.substr(0, 2) != "MZ")
        return false;
    const auto offset = number(head, 0x3C, 4, false);
    if (!offset || *offset > head.size() || head.size() - *offset < 4 ||
        head.substr(*offset, 4) != std::string_view("PE\0\0", 4))
        return false;
    // The file header follows the signature; its characteristics are its
    // last two bytes.
    const auto characteristics = number(head, *offset + 4 + 18, 2, false);
    return characteristics && (*characteristics & PeRunnable) != 0 &&
           (*characteristics & PeLibrary) == 0;
}

} // namespace

bool isExecutableImage(std::string_view head, bool anyExecuteBit) {
    if (isElfProgram(head) || isPeProgram(head))
        return true;
    return anyExecuteBit && head.substr(0, 2) == "#!";
}

} // namespace kestro
