#include "settings/key_access.h"

#include <cstddef>
#include <optional>

namespace kestro {

namespace {

// What the ANSI registry functions measure a text value in: its bytes plus
// the terminating NUL, against the class's fixed 256-byte read buffer.
constexpr std::size_t ReadBufferBytes = 256;

std::string settingKey(const std::string& application, const std::string& section) {
    return "Software\\" + application + "\\" + section;
}

} // namespace

std::string KeyAccess::readText(std::uint32_t& rootKey, const std::string& subKey,
                                const std::string& valueName) {
    // The key is opened before the value is asked for, so a missing key
    // answers the same empty text as a missing value.
    if (!keyExists(rootKey, subKey))
        return {};
    std::optional<KeyValue> value = queryKeyValue(rootKey, subKey, valueName);
    if (!value || value->type != valuetype::String || value->data.size() + 1 > ReadBufferBytes)
        return {};
    // The buffer is read as a C string: the text ends at its first NUL.
    return value->data.substr(0, value->data.find('\0'));
}

bool KeyAccess::writeText(std::uint32_t& rootKey, const std::string& subKey,
                          const std::string& valueName, const std::string& value) {
    // No message box for run-time failures: nothing here raises one; every
    // failure of the store already comes back as false.
    return setKeyValue(rootKey, subKey, valueName, KeyValue{valuetype::String, value});
}

bool KeyAccess::deleteSubKey(std::uint32_t& rootKey, const std::string& subKey,
                             const std::string& keyToDelete) {
    if (!keyExists(rootKey, subKey))
        return false;
    return deleteKey(rootKey, subKey, keyToDelete);
}

std::string KeyAccess::getSetting(const std::string& application, const std::string& section,
                                  const std::string& key, const std::string& defaultValue) {
    std::uint32_t root = CurrentUser;
    std::string text = readText(root, settingKey(application, section), key);
    return text.empty() ? defaultValue : text;
}

void KeyAccess::saveSetting(const std::string& application, const std::string& section,
                            const std::string& key, const std::string& value) {
    std::uint32_t root = CurrentUser;
    writeText(root, settingKey(application, section), key, value);
}

void KeyAccess::flush(std::uint32_t& rootKey) {
    flushKeys(rootKey);
}

} // namespace kestro
