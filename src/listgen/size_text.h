#pragma once

// The size cell of a list line: the size in Byte, KB or MB with the list's
// digit patterns, "." as decimal point and "," grouping thousands, followed
// by the unit text with its leading space. Halfway values round away from
// zero. A number that has no significant digit under an all-"#" pattern
// writes no digits at all (0 bytes give " Byte").

#include "platform/byte_total.h"

#include <cstdint>
#include <string>

namespace kestro {

enum class SizeUnit { Byte = 0, KB = 1, MB = 2 };

void appendSizeText(std::string& out, std::int64_t size, SizeUnit unit);

std::string sizeText(std::int64_t size, SizeUnit unit);

// The size cell of a total, as appendSizeText writes a size.
void appendTotalSizeText(std::string& out, ByteTotal total, SizeUnit unit);
std::string totalSizeText(ByteTotal total, SizeUnit unit);

// `count` with "," grouping thousands ("0" for none).
std::string groupedCount(std::uint64_t count);

} // namespace kestro
