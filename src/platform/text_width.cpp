#include "platform/text.h"

namespace kestro {

std::size_t shiftJisWidth(std::string_view text) {
    std::size_t width = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {
            ++width;
            ++at;
            continue;
        }
        // The length the lead byte announces, if its continuations follow.
        const std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xC2 && lead <= 0xDF ? 2
                                                                  : 1;
        std::size_t taken = 1;
        while (taken < length && at + taken < text.size() &&
               (static_cast<unsigned char>(text[at + taken]) & 0xC0) == 0x80)
            ++taken;
        if (taken != length) {
            width += 2; // a malformed byte
            ++at;
            continue;
        }
        // U+FF61 to U+FF9F are EF BD A1 to EF BE 9F.
        const auto second = static_cast<unsigned char>(length == 3 ? text[at + 1] : 0);
        const auto third = static_cast<unsigned char>(length == 3 ? text[at + 2] : 0);
        const bool halfWidthKatakana = lead == 0xEF && ((second == 0xBD && third >= 0xA1) ||
                                                        (second == 0xBE && third <= 0x9F));
        width += halfWidthKatakana ? 1 : 2;
        at += length;
    }
    return width;
}

} // namespace kestro
