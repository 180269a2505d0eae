// Golden lists of the Windows build: builds a fixture tree with what only
// Windows has (attribute bits, names long enough for an 8.3 alias) and the
// plain files of the Linux golden lists' tree, with their sizes and times,
// runs the built program with the arguments of a NAME.args file in the
// tree's folder and compares standard output, byte for byte, with NAME.out.
//
//   golden_win32 make FOLDER                      build FOLDER\tree
//   golden_win32 remove FOLDER                    remove FOLDER
//   golden_win32 check KESTRO FOLDER NAME.args NAME.out
//
// NAME.args holds one argument a line; "@TREE@" stands for the relative path
// "tree", "@HERE@" for FOLDER's absolute path (and in the output that path
// is written "@HERE@", its short (8.3) form "@SHORT-HERE@"); a line that
// begins with "@RAW@" is put on the command line as it stands, unquoted. When NAME.lines exists,
// only the output lines that begin with one of its lines are compared (the "--info" of a system
// file, whose times are those of the Wine prefix). Paths given as "/..." (from the build, under
// Wine) are read as on drive Z:. The program inherits the environment: run
// it with TZ=UTC. KESTRO_UPDATE_GOLDEN=1 writes NAME.out instead.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>
#include <windows.h>

#include "quoted_argument.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void die(const std::string& what) {
    std::cerr << "golden_win32: " << what << ": error " << ::GetLastError() << "\n";
    std::exit(2);
}

std::wstring widen(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                             wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

// A path of the build ("/work/...") as Wine's drive Z: sees it.
std::string windowsPath(std::string path) {
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

struct Entry {
    bool folder;
    std::string name; // relative to the tree, "\" between folders
    long long size;
    DWORD attributes;    // FILE_ATTRIBUTE_ bits set last (0: none, archive cleared)
    const char* written; // modification time, UTC "YYYY-MM-DD hh:mm:ss"
};

const char* const FolderTime = "2000-01-01 00:00:00";

const std::vector<Entry>& tree() {
    static const std::vector<Entry> entries = {
        {false, "Readme.txt", 1536, FILE_ATTRIBUTE_ARCHIVE, "1999-05-03 14:07:09"},
        {false, "a.bmp", 20480, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
         "1999-04-01 09:00:00"},
        {false, "plain.dat", 10, 0, "2001-02-03 04:05:06"},
        {false, "hidden.txt", 11, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE,
         "2002-03-04 05:06:07"},
        {false, "system.sys", 12, FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE,
         "2003-04-05 06:07:08"},
        {false, "both.bin", 13, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
         "2004-05-06 07:08:09"},
        {false, "fixed.txt", 14, FILE_ATTRIBUTE_READONLY, "2005-06-07 08:09:10"},
        {false, "A rather long file name.text", 15, FILE_ATTRIBUTE_ARCHIVE, "2006-07-08 09:10:11"},
        // As in the tree of the shared golden lists (tests/golden/golden.cpp).
        {false, "archive.tar.gz", 1000, FILE_ATTRIBUTE_ARCHIVE, "2001-02-03 04:05:06"},
        {false, "empty", 0, FILE_ATTRIBUTE_ARCHIVE, "2002-03-04 05:06:07"},
        {false, "x.abc", 10239, FILE_ATTRIBUTE_ARCHIVE, "2003-04-05 06:07:08"},
        {false, "ｶﾀｶﾅ.txt", 4, FILE_ATTRIBUTE_ARCHIVE, "2012-01-14 15:16:17"},
        {false, "カタカナ.txt", 5, FILE_ATTRIBUTE_ARCHIVE, "2013-02-15 16:17:18"},
        {false, "ＦＵＬＬｗｉｄｔｈ.txt", 6, FILE_ATTRIBUTE_ARCHIVE, "2014-03-16 17:18:19"},
        {false, "日本語.txt", 7, FILE_ATTRIBUTE_ARCHIVE, "2015-04-17 18:19:20"},
        {true, "alpha", 0, 0, FolderTime},
        {false, "alpha\\x.c", 3, FILE_ATTRIBUTE_ARCHIVE, "2009-10-11 12:13:14"},
        {true, "Long folder name", 0, 0, FolderTime},
        {false, "Long folder name\\Another long name.html", 4, FILE_ATTRIBUTE_ARCHIVE,
         "2010-11-12 13:14:15"},
        {true, "hidden folder", 0, FILE_ATTRIBUTE_HIDDEN, FolderTime},
        {false, "hidden folder\\inside.txt", 5, FILE_ATTRIBUTE_ARCHIVE, "2011-12-13 14:15:16"},
    };
    return entries;
}

FILETIME fileTime(const char* text) {
    SYSTEMTIME fields{};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(text, "%d-%d-%d %d:%d:%d", &year, &month, &day, &hour, &minute, &second) != 6)
        die(std::string("bad time ") + text);
    fields.wYear = static_cast<WORD>(year);
    fields.wMonth = static_cast<WORD>(month);
    fields.wDay = static_cast<WORD>(day);
    fields.wHour = static_cast<WORD>(hour);
    fields.wMinute = static_cast<WORD>(minute);
    fields.wSecond = static_cast<WORD>(second);
    FILETIME time{};
    ::SystemTimeToFileTime(&fields, &time);
    return time;
}

void make(const std::string& folder) {
    const std::string root = folder + "\\tree";
    if (!::CreateDirectoryW(widen(folder).c_str(), nullptr) ||
        !::CreateDirectoryW(widen(root).c_str(), nullptr))
        die("mkdir " + folder);
    for (const Entry& entry : tree()) {
        const std::wstring path = widen(root + "\\" + entry.name);
        if (entry.folder) {
            if (!::CreateDirectoryW(path.c_str(), nullptr))
                die("mkdir " + entry.name);
            continue;
        }
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            die("create " + entry.name);
        std::string content;
        for (long long i = 0; i < entry.size; ++i)
            content += static_cast<char>('a' + i % 26);
        DWORD written = 0;
        if (!::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                         nullptr))
            die("write " + entry.name);
        ::CloseHandle(file);
    }
    // Times, innermost first, then the attributes (read-only last of all).
    for (auto it = tree().rbegin(); it != tree().rend(); ++it) {
        const std::wstring path = widen(root + "\\" + it->name);
        HANDLE file =
            ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        const FILETIME time = fileTime(it->written);
        if (file == INVALID_HANDLE_VALUE || !::SetFileTime(file, &time, &time, &time))
            die("times of " + it->name);
        ::CloseHandle(file);
        DWORD bits = it->attributes;
        if (it->folder)
            bits |= FILE_ATTRIBUTE_DIRECTORY;
        if (!::SetFileAttributesW(path.c_str(), bits == 0 ? FILE_ATTRIBUTE_NORMAL : bits))
            die("attributes of " + it->name);
    }
}

void remove(const std::string& folder) {
    std::error_code ignored;
    const fs::path top(widen(folder));
    if (!fs::exists(top, ignored))
        return;
    for (auto it = fs::recursive_directory_iterator(top, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
        ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(top, ignored);
}

std::string readWhole(const std::string& path) {
    std::ifstream in(fs::path(widen(path)), std::ios::binary);
    if (!in)
        die("open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeWhole(const std::string& path, const std::string& text) {
    std::ofstream out(fs::path(widen(path)), std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush())
        die("write " + path);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    if (from.empty())
        return;
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
}

std::string narrow(const std::wstring& text) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                             nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                          length, nullptr, nullptr);
    return bytes;
}

// `path` made absolute, and its short form.
std::string fullPath(const std::string& path) {
    wchar_t full[MAX_PATH + 1] = {};
    if (::GetFullPathNameW(widen(path).c_str(), MAX_PATH, full, nullptr) == 0)
        die("full path of " + path);
    return narrow(full);
}

std::string shortPath(const std::string& path) {
    wchar_t found[MAX_PATH + 1] = {};
    if (::GetShortPathNameW(widen(path).c_str(), found, MAX_PATH) == 0)
        die("short path of " + path);
    return narrow(found);
}

std::string run(const std::string& program, const std::string& folder,
                const std::vector<std::string>& arguments, DWORD& status) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        die("pipe");
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = writeEnd;
    start.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    start.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    std::wstring commandLine = quotedArgument(widen(program));
    for (const std::string& argument : arguments) {
        if (argument.rfind("@RAW@", 0) == 0)
            commandLine += L" " + widen(argument.substr(5));
        else
            commandLine += L" " + quotedArgument(widen(argument));
    }
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(widen(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                          nullptr, widen(folder).c_str(), &start, &process))
        die("start " + program);
    ::CloseHandle(writeEnd);
    std::string out;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
        out.append(buffer, got);
    ::CloseHandle(readEnd);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    return out;
}

int check(const std::string& program, const std::string& folder, const std::string& argsFile,
          const std::string& outFile) {
    const std::string here = fullPath(folder);
    std::vector<std::string> arguments;
    for (std::string line : linesOf(readWhole(argsFile))) {
        replaceAll(line, "@TREE@", "tree");
        replaceAll(line, "@HERE@", here);
        arguments.push_back(line);
    }
    DWORD status = 0;
    std::string actual = run(program, folder, arguments, status);
    replaceAll(actual, here, "@HERE@");
    replaceAll(actual, shortPath(here), "@SHORT-HERE@");
    const std::string linesFile = argsFile.substr(0, argsFile.size() - 5) + ".lines";
    if (fs::exists(fs::path(widen(linesFile)))) {
        const std::vector<std::string> wanted = linesOf(readWhole(linesFile));
        std::string kept;
        for (const std::string& line : linesOf(actual)) {
            for (const std::string& start : wanted) {
                if (!start.empty() && line.rfind(start, 0) == 0) {
                    kept += line + "\n";
                    break;
                }
            }
        }
        actual = kept;
    }
    if (status == 2) {
        std::cout << "the program refused the arguments of " << argsFile << "\n";
        return 1;
    }
    const char* update = std::getenv("KESTRO_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        writeWhole(outFile, actual);
        std::cout << "written: " << outFile << " (exit status " << status << ")\n";
        return 0;
    }
    const std::string expected = readWhole(outFile);
    if (actual == expected)
        return 0;
    std::cout << "the list differs from " << outFile << " (exit status " << status << ")\n";
    const std::vector<std::string> want = linesOf(expected);
    const std::vector<std::string> got = linesOf(actual);
    for (std::size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
        const std::string a = i < want.size() ? want[i] : "<none>";
        const std::string b = i < got.size() ? got[i] : "<none>";
        if (a != b)
            std::cout << "line " << i + 1 << "\n  expected: " << a << "\n  actual:   " << b << "\n";
    }
    return 1;
}

} // namespace

int main() {
    // The arguments in UTF-8, whatever the code page.
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
        const int length =
            ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(static_cast<std::size_t>(length), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), length, nullptr, nullptr);
        text.pop_back();
        args.push_back(windowsPath(text));
    }
    ::LocalFree(wide);
    if (args.size() == 2 && args[0] == "make") {
        remove(args[1]);
        make(args[1]);
        return 0;
    }
    if (args.size() == 2 && args[0] == "remove") {
        remove(args[1]);
        return 0;
    }
    if (args.size() == 5 && args[0] == "check")
        return check(args[1], args[2], args[3], args[4]);
    std::cerr
        << "usage: golden_win32 make|remove FOLDER | check KESTRO FOLDER NAME.args NAME.out\n";
    return 2;
}
