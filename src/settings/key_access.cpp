#include "settings/key_access.h"

namespace kestro {

namespace {

std::string settingKey(const std::string& application, const std::string& section) {
    return "Software\\" + application + "\\" + section;
}

} // namespace

std::string KeyAccess::readText(std::uint32_t& rootKey, const std::string& subKey,
                                const std::string& valueName) {
    return readTextValue(rootKey, subKey, valueName);
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
