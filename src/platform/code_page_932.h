#pragma once

// Shift-JIS (code page 932) as each system converts it, for the portable
// reading and writing of text files (text_file.cpp); not part of the
// platform's interface.

#include "platform/text.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestro {

// UTF-8 of CP932 `bytes`: 0x5C the backslash, the NEC and IBM extensions
// in, every byte below 0x80 its ASCII character; `replaced` tells whether
// some bytes became U+FFFD.
std::string decodeCp932(std::string_view bytes, bool& replaced);

// CP932 bytes of `text`, or nothing, with the first character the table
// does not hold named in `refused`.
std::optional<std::string> encodeCp932(std::string_view text, UnencodableCharacter* refused);

} // namespace kestro
