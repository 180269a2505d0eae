// Text files in the encodings the program reads and writes, on every system;
// each system converts Shift-JIS itself (code_page_932.h).

#include "platform/code_page_932.h"
#include "platform/text.h"

namespace kestro {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

} // namespace

std::string decodeTextFile(std::string_view bytes, bool* unreadable, TextEncoding* found) {
    bool lost = false;
    std::string text;
    TextEncoding encoding = TextEncoding::Utf8;
    // A byte-order mark says UTF-8 even when a stray byte further on is not;
    // such bytes are kept as they are.
    if (bytes.substr(0, Utf8Bom.size()) == Utf8Bom) {
        text = bytes.substr(Utf8Bom.size());
        lost = !isValidUtf8(text);
        encoding = TextEncoding::Utf8Bom;
    } else if (isValidUtf8(bytes)) {
        text = bytes;
    } else {
        text = decodeCp932(bytes, lost);
        encoding = TextEncoding::ShiftJis;
    }
    if (unreadable)
        *unreadable = lost;
    if (found)
        *found = encoding;
    return text;
}

std::optional<std::string> encodeTextFile(std::string_view text, TextEncoding encoding,
                                          UnencodableCharacter* refused) {
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return std::string(Utf8Bom) + std::string(text);
    case TextEncoding::ShiftJis:
        return encodeCp932(text, refused);
    case TextEncoding::Utf8:
        break;
    }
    return std::string(text);
}

} // namespace kestro
