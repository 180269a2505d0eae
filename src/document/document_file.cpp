#include "document/document_file.h"

#include "platform/program_paths.h"
#include "platform/text.h"

#include <algorithm>
#include <cstddef>
#include <new>

namespace kestro {

std::string toFileLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
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
    return out;
}

std::string toPaneLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += '\n';
        } else {
            out += c;
        }
    }
    return out;
}

Result<std::string> readDocumentFile(const std::string& path, bool* unreadable) {
    try {
        std::string text;
        {
            Result<std::string> bytes = readWholeFile(path, DocumentSizeLimit);
            if (!bytes)
                return bytes.failure();
            text = decodeTextFile(bytes.value(), unreadable);
        }
        return toPaneLineEnds(text);
    } catch (const std::bad_alloc&) {
        return makeFailure(failure::OutOfMemory, path);
    }
}

Status writeDocumentFile(const std::string& path, std::string_view text) {
    return saveFileKeepingIdentity(path, encodeTextFile(toFileLineEnds(text)));
}

} // namespace kestro
