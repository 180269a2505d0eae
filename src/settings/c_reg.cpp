#include "settings/c_reg.h"

#include <cstddef>
#include <optional>

namespace kestro {

namespace {

// What the ANSI registry functions measure a text value in: its bytes plus
// the terminating NUL, against the class's fixed 256-byte read buffer.
constexpr std::size_t ReadBufferBytes = 256;

std::string settingKey(const std::string& strAppName, const std::string& strSection) {
    return "Software\\" + strAppName + "\\" + strSection;
}

} // namespace

std::string cReg::GetString(std::uint32_t& lnghInKey, const std::string& strSubKey,
                            const std::string& strValName) {
    // The key is opened before the value is asked for, so a missing key
    // answers the same empty text as a missing value.
    if (!keyExists(lnghInKey, strSubKey))
        return {};
    std::optional<KeyValue> value = queryKeyValue(lnghInKey, strSubKey, strValName);
    if (!value || value->type != valuetype::String || value->data.size() + 1 > ReadBufferBytes)
        return {};
    // The buffer is read as a C string: the text ends at its first NUL.
    return value->data.substr(0, value->data.find('\0'));
}

bool cReg::SetString(std::uint32_t& lnghKey, const std::string& strSubKey,
                     const std::string& strSetValue, const std::string& strValue) {
    // No message box for run-time failures: nothing here raises one; every
    // failure of the store already comes back as false.
    return setKeyValue(lnghKey, strSubKey, strSetValue, KeyValue{valuetype::String, strValue});
}

bool cReg::DeleteKey(std::uint32_t& lnghInKey, const std::string& strSubKey,
                     const std::string& strDeleteKey) {
    if (!keyExists(lnghInKey, strSubKey))
        return false;
    return deleteKey(lnghInKey, strSubKey, strDeleteKey);
}

std::string cReg::GetSetting(const std::string& strAppName, const std::string& strSection,
                             const std::string& strKey, const std::string& strDefault) {
    std::uint32_t root = HKEY_CURRENT_USER;
    std::string text = GetString(root, settingKey(strAppName, strSection), strKey);
    return text.empty() ? strDefault : text;
}

void cReg::SaveSetting(const std::string& strAppName, const std::string& strSection,
                       const std::string& strKey, const std::string& strSetting) {
    std::uint32_t root = HKEY_CURRENT_USER;
    SetString(root, settingKey(strAppName, strSection), strKey, strSetting);
}

void cReg::FlushKey(std::uint32_t& lnghInKey) {
    flushKeys(lnghInKey);
}

} // namespace kestro
