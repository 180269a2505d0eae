#include "platform/key_store.h"

#include <cstddef>

namespace kestro {

namespace {

// What the ANSI registry functions measure a text value in: its bytes plus
// the terminating NUL, against the class's fixed 256-byte read buffer.
constexpr std::size_t ReadBufferBytes = 256;

} // namespace

std::string readTextValue(std::uint32_t root, std::string_view subKey, std::string_view valueName) {
    // The key is opened before the value is asked for, so a missing key
    // answers the same empty text as a missing value.
    if (!keyExists(root, subKey))
        return {};
    std::optional<KeyValue> value = queryKeyValue(root, subKey, valueName);
    if (!value || value->type != valuetype::String || value->data.size() + 1 > ReadBufferBytes)
        return {};
    // The buffer is read as a C string: the text ends at its first NUL.
    return value->data.substr(0, value->data.find('\0'));
}

std::string registeredTypeName(std::string_view extension) {
    const std::string id = readTextValue(rootkey::ClassesRoot, "." + std::string(extension), "");
    return readTextValue(rootkey::ClassesRoot, id, "");
}

} // namespace kestro
