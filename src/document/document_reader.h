#pragma once

// DocumentReader: a document file read in blocks, for a pane that takes its
// text piece by piece while the window keeps working. The pieces, put
// together, are the text readDocumentFile gives: UTF-8 when the file is
// UTF-8 or begins with the byte-order mark (the mark dropped), else the file
// decoded as Shift-JIS, with LF line ends.
//
// Which of the two a file is, is known only once every byte of it has been
// seen: the pieces start as UTF-8, and the first piece that is not makes the
// reader start again from the file's first byte as Shift-JIS. The caller
// then drops what it took so far (startedOver says so, once).
//
// A piece ends after a line end (only the last may not), so that no
// character of either encoding is cut. The reader holds one block of the
// file, and the longest line, at a time.

#include "platform/content_digest.h"
#include "platform/failure.h"
#include "platform/text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestro {

class DocumentReader {
public:
    // How much of the file one piece reads.
    static constexpr std::size_t BlockBytes = std::size_t{4} << 20;

    // Opens `path` with the failures readDocumentFile gives: a file over
    // DocumentSizeLimit fails with 7 before it is read, a folder, FIFO or
    // device with 75.
    static Result<DocumentReader> open(const std::string& path);

    // The file's length when it was opened, and how much of it is read.
    std::uint64_t size() const { return file_.size(); }
    std::uint64_t position() const { return offset_; }

    // The next piece; empty at the end of the file. Valid until the next
    // call.
    Result<std::string_view> next();
    // Whether the pieces given so far are to be dropped because reading has
    // started again from the start (true once after it happened).
    bool startedOver();

    // Whether some bytes were not read as characters, and the encoding the
    // file was read in; both final at the end.
    bool unreadable() const { return unreadable_; }
    TextEncoding encoding() const { return encoding_; }

private:
    DocumentReader(RegularFile file, std::string path)
        : file_(std::move(file)), path_(std::move(path)) {}

    RegularFile file_;
    std::string path_;
    std::uint64_t offset_ = 0;
    bool atStart_ = true;
    bool given_ = false;
    bool startedOver_ = false;
    bool unreadable_ = false;
    TextEncoding encoding_ = TextEncoding::Utf8;
    std::string carry_; // the start of a line the next block ends
    std::string piece_;
};

} // namespace kestro
