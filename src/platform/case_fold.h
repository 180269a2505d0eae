#pragma once

// Case folding of one character at a time, shared by the case-blind order and
// the file-name patterns; not part of the platform's interface.

#include <cstddef>
#include <string_view>

namespace kestro {

// Bytes that are not UTF-8 fold to this base plus the byte: after every code
// point, and distinct from each other.
inline constexpr char32_t ForeignByteRank = 0x110000;

// The folding of an ASCII byte: to lower case here, to upper case on
// Windows (whose order puts "_" after the letters).
char32_t foldedAscii(unsigned char c);

// The simple case folding of the character at `pos` (ASCII without any
// table), moving `pos` past it.
char32_t nextFoldedCharacter(std::string_view text, std::size_t& pos);

} // namespace kestro
