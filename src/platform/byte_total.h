#pragma once

// A sum of files' sizes: exact for any number of files of any size (a
// million files of 2^63 bytes each stay far below its limit). The
// compilers the program is built with (GCC, Clang, for Linux and
// mingw-w64) have an unsigned 128-bit integer; another would need a pair
// of 64-bit halves here.

namespace kestro {

// A typedef: __extension__ does not take an alias declaration.
__extension__ typedef unsigned __int128 ByteTotal; // NOLINT(modernize-use-using)

} // namespace kestro
