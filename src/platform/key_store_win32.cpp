#include "platform/key_store.h"

#include "platform/wide_path.h"

#include <windows.h>

// The key store is the system's registry: HKEY_CURRENT_USER read and written,
// HKEY_CLASSES_ROOT read only. Key paths with an empty part name no key, as
// on the other platforms.

namespace kestro {

namespace {

HKEY rootHandle(std::uint32_t root) {
    if (root == rootkey::ClassesRoot)
        return HKEY_CLASSES_ROOT;
    if (root == rootkey::CurrentUser)
        return HKEY_CURRENT_USER;
    return nullptr;
}

bool wellFormed(std::string_view path) {
    if (path.empty())
        return true;
    if (path.front() == '\\' || path.back() == '\\')
        return false;
    return path.find("\\\\") == std::string_view::npos;
}

// An open key that closes itself.
class OpenKey {
public:
    OpenKey(std::uint32_t root, std::string_view subKey, REGSAM access) {
        HKEY base = rootHandle(root);
        if (!base || !wellFormed(subKey))
            return;
        if (::RegOpenKeyExW(base, win32::widen(subKey).c_str(), 0, access, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~OpenKey() {
        if (key_)
            ::RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

} // namespace

Status fileTypesAvailable() {
    return Ok{};
}

bool keyExists(std::uint32_t root, std::string_view subKey) {
    return static_cast<bool>(OpenKey(root, subKey, KEY_READ));
}

std::optional<KeyValue> queryKeyValue(std::uint32_t root, std::string_view subKey,
                                      std::string_view valueName) {
    const OpenKey key(root, subKey, KEY_QUERY_VALUE);
    if (!key)
        return std::nullopt;
    const std::wstring name = win32::widen(valueName);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::string bytes(size, '\0');
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(bytes.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(size);
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
        std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(text.size() * 2),
                  reinterpret_cast<char*>(text.data()));
        while (!text.empty() && text.back() == L'\0')
            text.pop_back();
        return KeyValue{valuetype::String, win32::narrow(text)};
    }
    return KeyValue{type, std::move(bytes)};
}

bool setKeyValue(std::uint32_t root, std::string_view subKey, std::string_view valueName,
                 const KeyValue& value) {
    if (root != rootkey::CurrentUser || subKey.empty() || !wellFormed(subKey))
        return false;
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, win32::widen(subKey).c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return false;
    LONG done;
    if (value.type == valuetype::String) {
        const std::wstring text = win32::widen(value.data);
        done = ::RegSetValueExW(key, win32::widen(valueName).c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(text.c_str()),
                                static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    } else {
        done = ::RegSetValueExW(key, win32::widen(valueName).c_str(), 0, value.type,
                                reinterpret_cast<const BYTE*>(value.data.data()),
                                static_cast<DWORD>(value.data.size()));
    }
    ::RegCloseKey(key);
    return done == ERROR_SUCCESS;
}

bool deleteKey(std::uint32_t root, std::string_view subKey, std::string_view name) {
    if (root != rootkey::CurrentUser || name.empty() || !wellFormed(name))
        return false;
    const OpenKey parent(root, subKey, KEY_READ | DELETE | KEY_SET_VALUE);
    if (!parent)
        return false;
    // A key with keys of its own stays, as the system's call refuses it.
    {
        const OpenKey doomed(root,
                             subKey.empty() ? std::string(name)
                                            : std::string(subKey) + "\\" + std::string(name),
                             KEY_READ);
        if (!doomed)
            return false;
        DWORD keys = 0;
        if (::RegQueryInfoKeyW(doomed.get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            keys != 0)
            return false;
    }
    return ::RegDeleteKeyW(parent.get(), win32::widen(name).c_str()) == ERROR_SUCCESS;
}

void flushKeys(std::uint32_t root) {
    if (root == rootkey::CurrentUser)
        ::RegFlushKey(HKEY_CURRENT_USER);
}

} // namespace kestro
