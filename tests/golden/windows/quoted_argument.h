#pragma once

// One argument of a Windows command line, quoted so that CommandLineToArgvW
// (and the C runtime) read it back unchanged: backslashes are doubled only
// where a quote follows them.

#include <string>

inline std::wstring quotedArgument(const std::wstring& argument) {
    std::wstring out = L"\"";
    std::size_t slashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}
