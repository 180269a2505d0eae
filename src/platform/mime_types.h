#pragma once

// The entries of the file-type module (kestro-types): the shared MIME
// database, read through QtCore. The program loads the module when a list
// first asks for a file's type, so that every other list starts without
// QtCore and the libraries it needs. Each entry hands its answer to `take`
// and tells whether there was one.

#include <cstddef>

extern "C" {
using KestroTakeText = void (*)(void* context, const char* text, std::size_t length);
// The MIME type the file name `name` (UTF-8) has by its extension alone,
// when some pattern matches it.
using KestroMimeTypeOfName = bool (*)(const char* name, std::size_t length, KestroTakeText take,
                                      void* context);
// The comment of the MIME type `name`, in the user's language, when the
// database knows the type.
using KestroMimeTypeComment = bool (*)(const char* name, std::size_t length, KestroTakeText take,
                                       void* context);
}

namespace kestro {
inline constexpr const char* MimeTypeOfNameEntry = "kestro_mime_type_of_name";
inline constexpr const char* MimeTypeCommentEntry = "kestro_mime_type_comment";
} // namespace kestro
