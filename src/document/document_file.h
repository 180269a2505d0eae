#pragma once

// Document files: the pane's text as a plain text file.
//
// The pane keeps its lines with LF alone. A file is written with CR LF line
// ends in the encoding chosen (UTF-8 without a byte-order mark unless told
// otherwise); a file is read as UTF-8 (a byte-order mark dropped, not shown),
// or as Shift-JIS when it is not valid UTF-8, and every CR LF or lone CR
// becomes LF. An empty text is an empty file (the mark alone with UTF-8 with
// the mark).
//
// Failures carry the errno's number and name the file: 53 a missing file,
// 76 a missing folder, 70 no permission, 61 a full disk, 75 a folder, FIFO,
// device or socket where a file was expected.

#include "platform/failure.h"
#include "platform/text.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

// The number of a text the chosen encoding cannot hold.
inline constexpr int UnencodableFailure = 5;

// "3 行目の「é」はシフトJIS (CP932) にない文字のため、書き込めません。"
std::string unencodableText(const UnencodableCharacter& refused);

// Every CR LF, lone CR and lone LF of `text` becomes CR LF.
std::string toFileLineEnds(std::string_view text);

// Every CR LF and lone CR of `text` becomes LF.
std::string toPaneLineEnds(std::string_view text);
// The same in place, without a copy of a large text.
void convertToPaneLineEnds(std::string& text);

// The most bytes a document file may have: the pane counts its characters
// in a 32-bit int, and no byte of a file becomes more than one of them.
inline constexpr std::uint64_t DocumentSizeLimit = 0x7FFFFFFF;

// The text of the file `path`, with LF line ends. `unreadable`, when given,
// tells whether some bytes could not be read as characters (they read as
// U+FFFD). A file of more than DocumentSizeLimit bytes fails with 7 before
// it is read, and so does one the memory cannot hold.
// `found`, when given, tells the encoding it was read in.
Result<std::string> readDocumentFile(const std::string& path, bool* unreadable = nullptr,
                                     TextEncoding* found = nullptr);

// Makes `text` the content of the file `path`, which keeps its owner, group,
// mode, links and extended attributes; a link at `path` stays a link and its
// target gets the text. A failure leaves the old content whole; a file the
// user may not write fails with 70 untouched, a special file with 75. A
// character `encoding` cannot hold fails with UnencodableFailure and
// unencodableText before the file is touched; `refused`, when given, then
// names it.
Status writeDocumentFile(const std::string& path, std::string_view text,
                         TextEncoding encoding = TextEncoding::Utf8,
                         UnencodableCharacter* refused = nullptr);

} // namespace kestro
