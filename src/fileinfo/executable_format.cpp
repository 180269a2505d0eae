#include "fileinfo/executable_format.h"

#include <cstdint>

namespace kestro {

namespace {
bool isPeImage(std::string_view head) {
    if (head.size() < 0x40 || head.substr(0, 2) != "MZ")
        return false;
    std::uint32_t offset = 0;
    for (int i = 3; i >= 0; --i)
        offset = (offset << 8) | static_cast<unsigned char>(head[0x3C + i]);
    if (offset > head.size() || head.size() - offset < 4)
        return false;
    return head.substr(offset, 4) == std::string_view("PE\0\0", 4);
}
} // namespace

bool isExecutableImage(std::string_view head, bool anyExecuteBit) {
    if (head.substr(0, 4) == "\x7f"
                             "ELF")
        return true;
    if (isPeImage(head))
        return true;
    return anyExecuteBit && head.substr(0, 2) == "#!";
}

} // namespace kestro
