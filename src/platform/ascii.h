#pragma once

// ASCII helpers shared by the stores' file formats; not part of the
// platform's interface.

#include <cstddef>
#include <string_view>

namespace kestro::ascii {

inline constexpr char HexDigits[] = "0123456789ABCDEF";

inline char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Equal without regard to ASCII case (other bytes must match exactly).
inline bool sameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The value of a hexadecimal digit, or -1.
inline int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = lower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace kestro::ascii
