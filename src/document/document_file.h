#pragma once

// Document files: the pane's text as a plain text file.
//
// The pane keeps its lines with LF alone. A file is written as UTF-8 without
// a byte-order mark and with CR LF line ends; a file is read as UTF-8 (a
// byte-order mark dropped), or as Shift-JIS when it is not valid UTF-8, and
// every CR LF or lone CR becomes LF. An empty text is an empty file.
//
// Failures carry the errno's number and name the file: 53 a missing file,
// 76 a missing folder, 70 no permission, 61 a full disk, 75 a folder, FIFO,
// device or socket where a file was expected.

#include "platform/failure.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

// Every CR LF, lone CR and lone LF of `text` becomes CR LF.
std::string toFileLineEnds(std::string_view text);

// Every CR LF and lone CR of `text` becomes LF.
std::string toPaneLineEnds(std::string_view text);

// The most bytes a document file may have: the pane counts its characters
// in a 32-bit int, and no byte of a file becomes more than one of them.
inline constexpr std::uint64_t DocumentSizeLimit = 0x7FFFFFFF;

// The text of the file `path`, with LF line ends. `unreadable`, when given,
// tells whether some bytes could not be read as characters (they read as
// U+FFFD). A file of more than DocumentSizeLimit bytes fails with 7 before
// it is read, and so does one the memory cannot hold.
Result<std::string> readDocumentFile(const std::string& path, bool* unreadable = nullptr);

// Makes `text` the content of the file `path`, which keeps its owner, group,
// mode, links and extended attributes; a link at `path` stays a link and its
// target gets the text. A failure leaves the old content whole; a file the
// user may not write fails with 70 untouched, a special file with 75.
Status writeDocumentFile(const std::string& path, std::string_view text);

} // namespace kestro
