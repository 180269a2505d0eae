#pragma once

// Which files the platform can run: an ELF executable (fixed-address, or
// position-independent with a program interpreter; not an object file or a
// library), a PE executable (an "MZ" header whose e_lfanew points at a
// "PE\0\0" signature inside `head`, marked executable and not a DLL), or a
// file with an execute permission bit that begins with "#!".

#include <cstddef>
#include <string_view>

namespace kestro {

// `head` is the start of the file; 4096 bytes are enough for every image this
// recognises.
bool isExecutableImage(std::string_view head, bool anyExecuteBit);

inline constexpr std::size_t ExecutableHeadBytes = 4096;

} // namespace kestro
