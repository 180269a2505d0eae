#include "document/document_file.h"

#include "platform/program_paths.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

namespace kestro {

std::string unencodableText(const UnencodableCharacter& refused) {
    return std::to_string(refused.line) + " 行目の「" + refused.character +
           "」はシフトJIS (CP932) にない文字のため、書き込めません。";
}

namespace {

// Appends `text` to `out` with every CR LF, lone CR and lone LF as CR LF.
void appendWithFileLineEnds(std::string& out, std::string_view text) {
    out.reserve(out.size() + text.size() +
                static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
    if (text.find('\r') == std::string_view::npos) {
        // The pane's lines end with LF alone: line by line.
        std::size_t from = 0;
        for (std::size_t end; (end = text.find('\n', from)) != std::string_view::npos;
             from = end + 1) {
            out.append(text.substr(from, end - from));
            out += "\r\n";
        }
        out.append(text.substr(from));
        return;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
}

} // namespace

std::string toFileLineEnds(std::string_view text) {
    std::string out;
    appendWithFileLineEnds(out, text);
    return out;
}

void convertToPaneLineEnds(std::string& text) {
    // From one CR to the next, the text moves down by the LFs dropped.
    std::size_t cr = text.find('\r');
    std::size_t kept = cr;
    while (cr != std::string::npos) {
        text[kept++] = '\n';
        std::size_t from = cr + 1;
        if (from < text.size() && text[from] == '\n')
            ++from;
        cr = text.find('\r', from);
        const std::size_t to = cr == std::string::npos ? text.size() : cr;
        std::memmove(text.data() + kept, text.data() + from, to - from);
        kept += to - from;
    }
    if (kept != std::string::npos)
        text.resize(kept);
}

std::string toPaneLineEnds(std::string_view text) {
    std::string out(text);
    convertToPaneLineEnds(out);
    return out;
}

Result<std::string> readDocumentFile(const std::string& path, bool* unreadable,
                                     TextEncoding* found) {
    try {
        std::string text;
        {
            Result<std::string> bytes = readWholeFile(path, DocumentSizeLimit);
            if (!bytes)
                return bytes.failure();
            text = decodeTextFile(bytes.value(), unreadable, found);
        }
        convertToPaneLineEnds(text);
        return text;
    } catch (const std::bad_alloc&) {
        return makeFailure(failure::OutOfMemory, path);
    }
}

Status writeDocumentFile(const std::string& path, std::string_view text, TextEncoding encoding,
                         UnencodableCharacter* refused) {
    std::string bytes;
    if (encoding == TextEncoding::ShiftJis) {
        UnencodableCharacter first;
        std::optional<std::string> encoded = encodeTextFile(toFileLineEnds(text), encoding, &first);
        if (!encoded) {
            if (refused)
                *refused = first;
            Failure failed;
            failed.number = UnencodableFailure;
            failed.description = unencodableText(first);
            return failed;
        }
        bytes = std::move(*encoded);
    } else {
        // UTF-8 passes every byte through: the file's bytes are made at once.
        bytes = *encodeTextFile({}, encoding);
        appendWithFileLineEnds(bytes, text);
    }
    return saveFileKeepingIdentity(path, bytes);
}

} // namespace kestro
