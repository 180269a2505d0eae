#include "listgen/name_helpers.h"

#include "platform/key_store.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace kestro {

namespace {
// Length in bytes of the character that starts at `at`; a byte that does not
// start a well-formed UTF-8 sequence is a character of its own.
std::size_t characterLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead < 0x80    ? 1
                         : lead >= 0xF0 ? 4
                         : lead >= 0xE0 ? 3
                         : lead >= 0xC2 ? 2
                                        : 1;
    if (length > text.size() - at)
        return 1;
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80)
            return 1;
    }
    return length;
}
} // namespace

std::string extensionOf(std::string_view name) {
    auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

std::string upperExtensionOf(std::string_view path) {
    std::string marks = ".";
    marks += PathSeparators;
    auto mark = path.find_last_of(marks);
    if (mark == std::string_view::npos || isPathSeparator(path[mark]))
        return {};
    return toUpperKeepLength(path.substr(mark + 1));
}

std::string shortenPath(std::string_view path, std::size_t limitBytes) {
    if (path.empty())
        return {};
    // The scan starts at the fourth character; a path of three characters or
    // less has nothing to shorten.
    std::size_t at = 0;
    for (int skipped = 0; skipped < 3; ++skipped) {
        if (at >= path.size())
            return std::string(path);
        at += characterLength(path, at);
    }
    if (at >= path.size())
        return std::string(path);

    std::string result(path);
    // Byte offset just after the separator that starts the next component to
    // replace (0 when the path has no separator before it).
    auto firstSlash = path.find_first_of(PathSeparators);
    std::size_t componentStart = firstSlash == std::string_view::npos ? 0 : firstSlash + 1;
    // The width changes only where a component is replaced.
    std::size_t width = shiftJisWidth(result);
    for (; at < path.size(); at += characterLength(path, at)) {
        if (width <= limitBytes)
            return result;
        if (!isPathSeparator(path[at]))
            continue;
        if (at > componentStart) {
            std::string_view component = path.substr(componentStart, at - componentStart);
            // The first occurrence in the current result is replaced, which
            // may be an earlier text equal to the component.
            auto found = result.find(component);
            if (found != std::string::npos) {
                result.replace(found, component.size(), "...");
                width = shiftJisWidth(result);
            }
        }
        componentStart = at + 1;
    }
    return result;
}

std::string fileTypeName(std::string_view path) {
    const std::string extension = upperExtensionOf(path);
    std::string description = registeredTypeName(extension);
    if (!description.empty())
        return description;
    return extension + " ﾌｧｲﾙ";
}

namespace {

// Whether `text` holds at `i` a character that showingControls writes for
// a control character (U+2400-U+2421), or the mark before such a character
// that stood in the name itself (U+2425): E2 90 80-A1 or A5.
bool isPictureAt(std::string_view text, std::size_t i) {
    if (i + 2 >= text.size() || text[i] != '\xE2' || text[i + 1] != '\x90')
        return false;
    const auto last = static_cast<unsigned char>(text[i + 2]);
    return (last >= 0x80 && last <= 0xA1) || last == 0xA5;
}

constexpr std::string_view LiteralPictureMark = "\xE2\x90\xA5"; // U+2425

} // namespace

bool hasControlCharacters(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F || isPictureAt(text, i))
            return true;
    }
    return false;
}

void appendShowingControls(std::string& out, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == 0xE2 && isPictureAt(text, i)) {
            // The name's own picture, marked: a name with a tab and one
            // with "␉" never show the same.
            out.append(text.substr(start, i - start));
            out += LiteralPictureMark;
            start = i;
            i += 2;
            continue;
        }
        if (byte >= 0x20 && byte != 0x7F)
            continue;
        out.append(text.substr(start, i - start));
        // U+2400 + byte (U+2421 for DEL) in UTF-8: E2 90 80+byte, E2 90 A1.
        const unsigned picture = byte == 0x7F ? 0x21 : byte;
        out += '\xE2';
        out += static_cast<char>(0x90);
        out += static_cast<char>(0x80 + picture);
        start = i + 1;
    }
    out.append(text.substr(start));
}

std::string showingControls(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    appendShowingControls(shown, text);
    return shown;
}

} // namespace kestro
