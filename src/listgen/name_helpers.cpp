#include "listgen/name_helpers.h"

#include "platform/text.h"
#include "settings/c_reg.h"

#include <vector>

namespace kestro {

namespace {
// Byte offsets of the characters of `text`; a byte that does not start a
// well-formed UTF-8 sequence is a character of its own.
std::vector<std::size_t> characterOffsets(std::string_view text) {
    std::vector<std::size_t> offsets;
    offsets.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        offsets.push_back(i);
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80    ? 1
                             : lead >= 0xF0 ? 4
                             : lead >= 0xE0 ? 3
                             : lead >= 0xC2 ? 2
                                            : 1;
        if (length > text.size() - i)
            length = 1;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                length = 1;
                break;
            }
        }
        i += length;
    }
    return offsets;
}
} // namespace

std::string GetBaseName(std::string_view name) {
    return std::string(name.substr(0, name.find('.')));
}

std::string GetExtension(std::string_view name) {
    auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

std::string GetFolderPart(std::string_view path) {
    auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string GetUpperExtension(std::string_view path) {
    auto mark = path.find_last_of("./");
    if (mark == std::string_view::npos || path[mark] == '/')
        return {};
    return toUpperKeepLength(path.substr(mark + 1));
}

std::string ShortenPath(std::string_view path, std::size_t limitBytes) {
    if (path.empty())
        return {};
    const std::vector<std::size_t> offsets = characterOffsets(path);
    if (offsets.size() <= 3)
        return std::string(path);

    std::string result(path);
    // Byte offset just after the separator that starts the next component to
    // replace (0 when the path has no separator before it).
    auto firstSlash = path.find('/');
    std::size_t componentStart = firstSlash == std::string_view::npos ? 0 : firstSlash + 1;
    for (std::size_t i = 3; i < offsets.size(); ++i) {
        if (ansiByteLength(result) <= limitBytes)
            return result;
        const std::size_t at = offsets[i];
        if (path[at] != '/')
            continue;
        if (at > componentStart) {
            std::string_view component = path.substr(componentStart, at - componentStart);
            // The first occurrence in the current result is replaced, which
            // may be an earlier text equal to the component.
            auto found = result.find(component);
            if (found != std::string::npos)
                result.replace(found, component.size(), "...");
        }
        componentStart = at + 1;
    }
    return result;
}

std::string GetFileTypeName(std::string_view path) {
    const std::string extension = GetUpperExtension(path);
    cReg registry;
    std::uint32_t root = cReg::HKEY_CLASSES_ROOT;
    const std::string id = registry.GetString(root, "." + extension, "");
    const std::string description = registry.GetString(root, id, "");
    if (!description.empty())
        return description;
    return extension + " ﾌｧｲﾙ";
}

} // namespace kestro
