#include "platform/command_line.h"

#include "platform/wide_path.h"

#include <windows.h>

#include <shellapi.h>

namespace kestro {

namespace {

bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// The command line with one change to the C runtime's rule, which
// CommandLineToArgvW then applies: inside quotes, a run of an odd number of
// backslashes before a quote that ends the argument (a blank or the end of
// the line follows) would make that quote a literal one and run the
// argument on into the next ones. Users type "C:\Lists\" and "D:\" all the
// time, and a path never holds a quote, so there one backslash more makes
// the run end with a backslash and the quote close the argument.
std::wstring withFolderQuotesClosed(std::wstring_view line) {
    std::wstring out;
    out.reserve(line.size() + 8);
    std::size_t i = 0;
    // The program's name has no escapes: up to the next quote when it
    // starts with one, else up to the first blank.
    if (i < line.size() && line[i] == L'"') {
        const std::size_t close = line.find(L'"', 1);
        i = close == std::wstring_view::npos ? line.size() : close + 1;
    }
    while (i < line.size() && !isBlank(line[i]))
        ++i;
    out.append(line.substr(0, i));
    bool quoted = false;
    while (i < line.size()) {
        std::size_t slashes = 0;
        while (i + slashes < line.size() && line[i + slashes] == L'\\')
            ++slashes;
        if (slashes > 0) {
            out.append(slashes, L'\\');
            i += slashes;
            if (i < line.size() && line[i] == L'"' && slashes % 2 == 1) {
                const bool ends = i + 1 == line.size() || isBlank(line[i + 1]);
                if (quoted && ends) {
                    out += L'\\';
                    quoted = false;
                }
                out += L'"';
                ++i;
            }
            continue;
        }
        if (line[i] == L'"')
            quoted = !quoted;
        out += line[i];
        ++i;
    }
    return out;
}

} // namespace

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    int count = 0;
    const std::wstring line = withFolderQuotesClosed(::GetCommandLineW());
    LPWSTR* wide = ::CommandLineToArgvW(line.c_str(), &count);
    if (!wide)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        arguments.push_back(win32::narrow(wide[i]));
    ::LocalFree(wide);
    // "/?" asks a Windows program for its help.
    if (arguments.size() == 2 && arguments[1] == "/?")
        arguments[1] = "--help";
    return arguments;
}

} // namespace kestro
