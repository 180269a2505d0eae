// The Windows program on a console, which ctest never gives a test: this
// program makes a pseudo console, starts itself inside it, and from there
// runs kestro.exe with the console as its standard handles, then reads the
// console's screen and code page back.
//
//   console_win32 KESTRO FOLDER CASE
//
// FOLDER holds the golden lists' tree ("tree", made by golden_win32). CASE:
//   code-page    the console's output code page is the user's (932 here)
//                after a list, a failure and bad usage
//   sjis         "--encoding sjis" shows the names' characters
//   status-line  the list starts on a row of its own, the status line gone
// Exit status 0 when the case holds, 1 with what was seen when not.

#include "quoted_argument.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string narrow(const std::wstring& text) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                             nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                          length, nullptr, nullptr);
    return bytes;
}

// A path of the build ("/work/...") as Wine's drive Z: sees it.
std::wstring windowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/')
        path = L"Z:" + path;
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

// Inside the pseudo console: the console's own handles, handed to kestro.exe.
class Console {
public:
    Console() {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        out_ =
            ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
        in_ =
            ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    }
    bool usable() const {
        CONSOLE_SCREEN_BUFFER_INFO screen{};
        return ::GetConsoleScreenBufferInfo(out_, &screen) != 0;
    }

    void clear() {
        CONSOLE_SCREEN_BUFFER_INFO screen{};
        ::GetConsoleScreenBufferInfo(out_, &screen);
        DWORD done = 0;
        ::FillConsoleOutputCharacterW(
            out_, L' ', static_cast<DWORD>(screen.dwSize.X) * static_cast<DWORD>(screen.dwSize.Y),
            COORD{0, 0}, &done);
        ::SetConsoleCursorPosition(out_, COORD{0, 0});
    }

    // The rows of the screen up to the cursor's, without trailing blanks.
    std::vector<std::wstring> rows() const {
        CONSOLE_SCREEN_BUFFER_INFO screen{};
        ::GetConsoleScreenBufferInfo(out_, &screen);
        std::vector<std::wstring> rows;
        for (SHORT y = 0; y <= screen.dwCursorPosition.Y; ++y) {
            std::wstring row(static_cast<std::size_t>(screen.dwSize.X), L' ');
            DWORD got = 0;
            ::ReadConsoleOutputCharacterW(out_, row.data(), static_cast<DWORD>(row.size()),
                                          COORD{0, y}, &got);
            row.resize(got);
            while (!row.empty() && row.back() == L' ')
                row.pop_back();
            rows.push_back(row);
        }
        return rows;
    }

    // Runs kestro.exe in `folder` on this console; its exit status.
    DWORD run(const std::wstring& program, const std::wstring& folder,
              const std::vector<std::wstring>& arguments) {
        STARTUPINFOW start{};
        start.cb = sizeof start;
        start.dwFlags = STARTF_USESTDHANDLES;
        start.hStdInput = in_;
        start.hStdOutput = out_;
        start.hStdError = out_;
        std::wstring commandLine = quotedArgument(program);
        for (const std::wstring& argument : arguments)
            commandLine += L" " + quotedArgument(argument);
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                              nullptr, folder.c_str(), &start, &process))
            return 1000 + ::GetLastError();
        ::WaitForSingleObject(process.hProcess, 60000);
        DWORD status = 0;
        ::GetExitCodeProcess(process.hProcess, &status);
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
        return status;
    }

private:
    HANDLE out_ = INVALID_HANDLE_VALUE;
    HANDLE in_ = INVALID_HANDLE_VALUE;
};

std::string shown(const std::vector<std::wstring>& rows) {
    std::string text;
    for (const std::wstring& row : rows)
        text += "  |" + narrow(row) + "\n";
    return text;
}

bool holds(const std::vector<std::wstring>& rows, const std::wstring& wanted) {
    for (const std::wstring& row : rows) {
        if (row == wanted)
            return true;
    }
    return false;
}

// The case, on the console; empty when it holds, else what was seen.
std::string inside(const std::wstring& program, const std::wstring& folder,
                   const std::string& name) {
    Console console;
    if (!console.usable())
        return "the pseudo console gives no screen";
    if (name == "code-page") {
        // The user's console in the Japanese code page: kestro must leave
        // it so, however it ends.
        if (!::SetConsoleOutputCP(932) || ::GetConsoleOutputCP() != 932)
            return "the console does not take code page 932";
        const std::vector<std::vector<std::wstring>> runs = {
            {L"--list", L"--no-sub", L"tree"}, {L"--list", L"no such folder"}, {L"--bad"}};
        for (const auto& arguments : runs) {
            const DWORD status = console.run(program, folder, arguments);
            if (::GetConsoleOutputCP() != 932)
                return "after kestro " + narrow(arguments[0]) + " (exit status " +
                       std::to_string(status) + ") the console's output code page is " +
                       std::to_string(::GetConsoleOutputCP());
        }
        return {};
    }
    console.clear();
    if (name == "sjis") {
        const DWORD status =
            console.run(program, folder, {L"--list", L"--no-sub", L"--encoding", L"sjis", L"tree"});
        const auto rows = console.rows();
        if (status != 0 || !holds(rows, L"日本語.txt") || !holds(rows, L"ｶﾀｶﾅ.txt"))
            return "exit status " + std::to_string(status) + ", the console shows:\n" + shown(rows);
        return {};
    }
    if (name == "status-line") {
        const DWORD status = console.run(program, folder, {L"--list", L"--no-sub", L"tree"});
        const auto rows = console.rows();
        bool statusLeft = false;
        for (const std::wstring& row : rows)
            statusLeft = statusLeft || row.find(L"中...") != std::wstring::npos;
        if (status != 0 || rows.empty() || rows[0] != L"ﾌｧｲﾙ名" || statusLeft)
            return "exit status " + std::to_string(status) + ", the console shows:\n" + shown(rows);
        return {};
    }
    return "no case " + name;
}

// Starts this program inside a new pseudo console and waits for it; what
// it wrote to `resultFile` tells the outcome.
int onPseudoConsole(const std::wstring& self, const std::wstring& arguments,
                    const std::wstring& resultFile) {
    HANDLE inputRead = nullptr, inputWrite = nullptr, outputRead = nullptr, outputWrite = nullptr;
    if (!::CreatePipe(&inputRead, &inputWrite, nullptr, 0) ||
        !::CreatePipe(&outputRead, &outputWrite, nullptr, 0)) {
        std::cout << "console_win32: no pipe\n";
        return 1;
    }
    HPCON console = nullptr;
    if (::CreatePseudoConsole(COORD{120, 80}, inputRead, outputWrite, 0, &console) != S_OK) {
        std::cout << "console_win32: no pseudo console\n";
        return 1;
    }
    // The console's output (escape sequences) is drained and dropped: the
    // screen is read inside.
    std::thread drain([outputRead] {
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(outputRead, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        }
    });
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> attributeBytes(size);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeBytes.data());
    ::InitializeProcThreadAttributeList(attributes, 1, 0, &size);
    ::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_PSEUDOCONSOLE, console,
                                sizeof console, nullptr, nullptr);
    STARTUPINFOEXW start{};
    start.StartupInfo.cb = sizeof start;
    start.lpAttributeList = attributes;
    std::wstring commandLine =
        quotedArgument(self) + L" inside " + arguments + L" " + quotedArgument(resultFile);
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                          EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                                          &start.StartupInfo, &process) != 0;
    if (started) {
        ::WaitForSingleObject(process.hProcess, 120000);
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
    }
    ::ClosePseudoConsole(console);
    ::CloseHandle(outputWrite);
    ::CloseHandle(inputWrite);
    drain.join();
    ::DeleteProcThreadAttributeList(attributes);
    if (!started) {
        std::cout << "console_win32: cannot start itself: error " << ::GetLastError() << "\n";
        return 1;
    }
    std::ifstream in(std::filesystem::path(resultFile), std::ios::binary);
    const std::string result{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    in.close();
    ::DeleteFileW(resultFile.c_str());
    if (result == "ok")
        return 0;
    std::cout << (result.empty() ? std::string("console_win32: no result") : result) << "\n";
    return 1;
}

} // namespace

int main() {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::wstring> args(wide, wide + count);
    ::LocalFree(wide);
    if (args.size() == 6 && args[1] == L"inside") {
        const std::string failed = inside(args[2], args[3], narrow(args[4]));
        std::ofstream out(std::filesystem::path(args[5]), std::ios::binary | std::ios::trunc);
        out << (failed.empty() ? std::string("ok") : failed);
        return 0;
    }
    if (args.size() != 4) {
        std::cerr << "usage: console_win32 KESTRO FOLDER code-page|sjis|status-line\n";
        return 2;
    }
    const std::wstring program = windowsPath(args[1]);
    const std::wstring folder = windowsPath(args[2]);
    wchar_t temporary[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temporary);
    const std::wstring resultFile = std::wstring(temporary) + L"kestro-console-" + args[3] + L"-" +
                                    std::to_wstring(::GetCurrentProcessId()) + L".txt";
    wchar_t self[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return onPseudoConsole(self,
                           quotedArgument(program) + L" " + quotedArgument(folder) + L" " +
                               quotedArgument(args[3]),
                           resultFile);
}
