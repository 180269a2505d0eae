#pragma once

// cReg: reads and writes text values in the key store (platform/key_store.h)
// the way the program's registry class always has. Registry errors never
// reach the caller: GetString answers the empty text, SetString and DeleteKey
// answer false.

#include "platform/key_store.h"

#include <cstdint>
#include <string>

namespace kestro {

class cReg {
public:
    inline static constexpr std::uint32_t HKEY_CLASSES_ROOT = rootkey::ClassesRoot;
    inline static constexpr std::uint32_t HKEY_CURRENT_USER = rootkey::CurrentUser;

    // The text value `strValName` of `strSubKey`; empty when the key or value
    // is missing, is not a text value, or needs 256 bytes or more with its
    // terminating NUL (255 bytes of text read back whole).
    std::string GetString(std::uint32_t& lnghInKey, const std::string& strSubKey,
                          const std::string& strValName);

    // Creates every missing key on the path and writes the text value.
    bool SetString(std::uint32_t& lnghKey, const std::string& strSubKey,
                   const std::string& strSetValue, const std::string& strValue);

    // Deletes the key `strDeleteKey` below `strSubKey`; false when the key
    // below cannot be opened or the store refuses (a key with keys of its own).
    bool DeleteKey(std::uint32_t& lnghInKey, const std::string& strSubKey,
                   const std::string& strDeleteKey);

    // Software\<app>\<section>, value <key> under HKEY_CURRENT_USER; an empty
    // or missing value gives `strDefault`.
    std::string GetSetting(const std::string& strAppName, const std::string& strSection,
                           const std::string& strKey, const std::string& strDefault = {});
    void SaveSetting(const std::string& strAppName, const std::string& strSection,
                     const std::string& strKey, const std::string& strSetting);

    void FlushKey(std::uint32_t& lnghInKey);
};

} // namespace kestro
