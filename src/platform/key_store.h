#pragma once

// The hierarchical key store behind the registry class.
//
// Two roots are known. HKEY_CURRENT_USER (0x80000001) is a file-backed store
// in the per-user configuration folder (configHome()/Kestro/registry.txt);
// every call reads the file afresh and every change is written at once and
// atomically, so the file is the store's only state. A file that exists but
// cannot be read (or is no regular file) shows no keys and refuses changes
// rather than being replaced. HKEY_CLASSES_ROOT (0x80000000) is a read-only
// view of the shared MIME database: the default value (empty value name) of
// the key ".EXT" is the name of the MIME type of "*.ext" (missing when only
// application/octet-stream fits); the default value of a MIME type name is
// its comment in the user's language; the root itself has no default value
// and no key has other values. Key paths use "\" between keys ("" is the
// root; a path with an empty part names no key) and are compared without
// regard to ASCII case; value names likewise. Keys keep the spelling they
// were created with. Any other root handle has no keys.

#include "platform/failure.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestro {

namespace rootkey {
inline constexpr std::uint32_t ClassesRoot = 0x80000000u;
inline constexpr std::uint32_t CurrentUser = 0x80000001u;
} // namespace rootkey

namespace valuetype {
inline constexpr std::uint32_t String = 1; // REG_SZ
inline constexpr std::uint32_t Dword = 4;  // REG_DWORD
} // namespace valuetype

struct KeyValue {
    std::uint32_t type = valuetype::String;
    std::string data; // for strings: the text without a terminating NUL
};

// Whether the key `subKey` exists under `root` (the empty path is the root).
bool keyExists(std::uint32_t root, std::string_view subKey);

// Whether the file types (HKEY_CLASSES_ROOT) can be read at all. On Linux
// they come from the module that reads the MIME database; when it cannot be
// loaded, this fails naming it (a list with file types says so rather than
// show every type unregistered).
Status fileTypesAvailable();

// The value `valueName` ("" is the key's default value) of the key `subKey`;
// nothing when the key or the value is missing.
std::optional<KeyValue> queryKeyValue(std::uint32_t root, std::string_view subKey,
                                      std::string_view valueName);

// Creates every missing key on `subKey` and sets the value. False when the
// root is read-only or unknown, or the store cannot be written.
bool setKeyValue(std::uint32_t root, std::string_view subKey, std::string_view valueName,
                 const KeyValue& value);

// Deletes the key `name` (a key path itself) below `subKey`. False when it
// does not exist, when `name` is empty, when it has keys of its own (as the
// platform refuses), when the root is read-only, or the store cannot be
// written.
bool deleteKey(std::uint32_t root, std::string_view subKey, std::string_view name);

// The text value `valueName` of `subKey` as the registry class reads it
// into its 256-byte buffer: empty when the key or the value is missing, is
// not a text value, or needs 256 bytes or more with its terminating NUL;
// the text ends at its first NUL.
inline std::string readTextValue(std::uint32_t root, std::string_view subKey,
                                 std::string_view valueName) {
    // What the ANSI registry functions measure a text value in: its bytes
    // plus the terminating NUL, against the class's fixed 256-byte buffer.
    constexpr std::size_t ReadBufferBytes = 256;
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

// The registered description of files with the extension `extension`
// (without its "."): the default value of the type that ".EXT" names under
// the classes root; empty when none is registered.
inline std::string registeredTypeName(std::string_view extension) {
    std::string key = ".";
    key += extension;
    const std::string id = readTextValue(rootkey::ClassesRoot, key, "");
    return readTextValue(rootkey::ClassesRoot, id, "");
}

// Makes sure everything written under `root` is on disk.
void flushKeys(std::uint32_t root);

} // namespace kestro
