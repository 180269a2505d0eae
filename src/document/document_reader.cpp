#include "document/document_reader.h"

#include "document/document_file.h"
#include "platform/program_paths.h"
#include "platform/text.h"

#include <utility>

namespace kestro {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

} // namespace

Result<DocumentReader> DocumentReader::open(const std::string& path) {
    Result<std::optional<RegularFile>> opened = RegularFile::open(path);
    if (!opened) {
        // The whole-file reader tells a missing folder from a missing file;
        // asked for no bytes, it reads none.
        Result<std::string> told = readWholeFile(path, 0);
        return told ? opened.failure() : told.failure();
    }
    if (!opened.value())
        return makeFailure(failure::PathFileAccess, path);
    if (opened.value()->size() > DocumentSizeLimit)
        return makeFailure(failure::OutOfMemory, path);
    return DocumentReader(std::move(*opened.value()), path);
}

bool DocumentReader::startedOver() {
    return std::exchange(startedOver_, false);
}

Result<std::string_view> DocumentReader::next() {
    for (;;) {
        std::string piece = std::move(carry_);
        carry_.clear();
        bool last = offset_ >= file_.size();
        if (!last) {
            Result<std::string> block = file_.readRange(offset_, BlockBytes);
            if (!block)
                return block.failure();
            offset_ += block.value().size();
            // Fewer bytes than asked: the file ends here (or shrank).
            last = block.value().size() < BlockBytes || offset_ >= file_.size();
            if (piece.empty())
                piece = std::move(block.value());
            else
                piece += block.value();
            if (!last) {
                const std::size_t lineEnd = piece.rfind('\n');
                if (lineEnd == std::string::npos) {
                    carry_ = std::move(piece);
                    continue;
                }
                carry_.assign(piece, lineEnd + 1);
                piece.resize(lineEnd + 1);
            }
        }
        if (atStart_) {
            atStart_ = false;
            if (piece.compare(0, ByteOrderMark.size(), ByteOrderMark) == 0) {
                encoding_ = TextEncoding::Utf8Bom;
                piece.erase(0, ByteOrderMark.size());
            }
        }
        switch (encoding_) {
        case TextEncoding::Utf8Bom:
            // The mark says UTF-8, whatever stray byte follows.
            unreadable_ = unreadable_ || !isValidUtf8(piece);
            break;
        case TextEncoding::Utf8:
            if (!isValidUtf8(piece)) {
                encoding_ = TextEncoding::ShiftJis;
                offset_ = 0;
                carry_.clear();
                startedOver_ = given_;
                continue;
            }
            break;
        case TextEncoding::ShiftJis: {
            bool replaced = false;
            piece = decodeCp932(piece, replaced);
            unreadable_ = unreadable_ || replaced;
            break;
        }
        }
        convertToPaneLineEnds(piece);
        given_ = given_ || !piece.empty();
        piece_ = std::move(piece);
        return std::string_view(piece_);
    }
}

} // namespace kestro
