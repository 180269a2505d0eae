#pragma once

// KeyAccess: reads and writes text values in the key store (platform/key_store.h)
// the way the program's registry class always has. Registry errors never
// reach the caller: readText answers the empty text, writeText and deleteSubKey
// answer false.

#include "platform/key_store.h"

#include <cstdint>
#include <string>

namespace kestro {

class KeyAccess {
public:
    inline static constexpr std::uint32_t ClassesRoot = rootkey::ClassesRoot;
    inline static constexpr std::uint32_t CurrentUser = rootkey::CurrentUser;

    // The text value `valueName` of `subKey`; empty when the key or value
    // is missing, is not a text value, or needs 256 bytes or more with its
    // terminating NUL (255 bytes of text read back whole).
    std::string readText(std::uint32_t& rootKey, const std::string& subKey,
                         const std::string& valueName);

    // Creates every missing key on the path and writes the text value.
    bool writeText(std::uint32_t& rootKey, const std::string& subKey, const std::string& valueName,
                   const std::string& value);

    // Deletes the key `keyToDelete` below `subKey`; false when the key
    // below cannot be opened or the store refuses (a key with keys of its own).
    bool deleteSubKey(std::uint32_t& rootKey, const std::string& subKey,
                      const std::string& keyToDelete);

    // Software\<app>\<section>, value <key> under CurrentUser; an empty
    // or missing value gives `defaultValue`.
    std::string getSetting(const std::string& application, const std::string& section,
                           const std::string& key, const std::string& defaultValue = {});
    void saveSetting(const std::string& application, const std::string& section,
                     const std::string& key, const std::string& value);

    void flush(std::uint32_t& rootKey);
};

} // namespace kestro
