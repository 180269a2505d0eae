#include "platform/standard_streams.h"

#include "platform/wide_path.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

// Standard output is the handle the process was given. On a console the
// list's UTF-8 is shown as text (WriteConsoleW); redirected to a file or a
// pipe, its bytes go unchanged.

namespace kestro {

namespace {

constexpr const char* StandardOutputName = "stdout";

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

// Characters of the status line now shown, to be blanked by the next one.
std::size_t statusWidth = 0;

// Writes `bytes` to `handle`; 0 or the errno value. With `stop`, a set flag
// ends the loop with EINTR (the control handler cancels a blocked write).
int writeHandle(HANDLE handle, std::string_view bytes, const std::atomic<bool>* stop) {
    if (!handle || handle == INVALID_HANDLE_VALUE)
        return EBADF;
    if (isConsole(handle)) {
        // Whole characters only: a block that ends inside one keeps its
        // last bytes for the next write.
        static std::string pending;
        pending.append(bytes);
        std::size_t end = pending.size();
        std::size_t back = 0;
        while (back < 3 && back < end &&
               (static_cast<unsigned char>(pending[end - 1 - back]) & 0xC0) == 0x80)
            ++back;
        if (back < end && static_cast<unsigned char>(pending[end - 1 - back]) >= 0xC0) {
            const auto lead = static_cast<unsigned char>(pending[end - 1 - back]);
            const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
            if (back + 1 < length)
                end -= back + 1;
        }
        const std::wstring text = win32::widen(std::string_view(pending).substr(0, end));
        pending.erase(0, end);
        std::size_t done = 0;
        while (done < text.size()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
            if (!::WriteConsoleW(handle, text.data() + done, chunk, &written, nullptr))
                return win32::lastErrno();
            if (stop && *stop)
                return EINTR;
            done += written;
        }
        return 0;
    }
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        const BOOL done = ::WriteFile(handle, bytes.data(), chunk, &written, nullptr);
        if (stop && *stop)
            return EINTR;
        if (!done)
            return win32::lastErrno();
        bytes.remove_prefix(written);
    }
    return 0;
}

} // namespace

void ensureStandardDescriptors() {
    // The C runtime's descriptors 0-2 in binary mode: no line break of the
    // list is turned into another.
    for (int fd = 0; fd <= 2; ++fd)
        ::_setmode(fd, _O_BINARY);
    // What the C++ streams write (messages in UTF-8) shows as such.
    ::SetConsoleOutputCP(CP_UTF8);
}

Status writeStandardOutput(std::string_view bytes) {
    if (const int error = writeHandle(::GetStdHandle(STD_OUTPUT_HANDLE), bytes, nullptr);
        error != 0)
        return standardOutputFailure(error);
    return Ok{};
}

int writeStandardOutputUnless(std::string_view bytes, const std::atomic<bool>& stop) {
    return writeHandle(::GetStdHandle(STD_OUTPUT_HANDLE), bytes, &stop);
}

bool readerWentAway(int error) {
    return error == EPIPE;
}

Failure standardOutputFailure(int error) {
    return failureFromErrno(error, StandardOutputName, false);
}

bool standardOutputIsFile(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION output{};
    if (!::GetFileInformationByHandle(::GetStdHandle(STD_OUTPUT_HANDLE), &output))
        return false;
    const HANDLE file = ::CreateFileW(win32::longPath(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool read = ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
    return read && info.dwVolumeSerialNumber == output.dwVolumeSerialNumber &&
           info.nFileIndexHigh == output.nFileIndexHigh &&
           info.nFileIndexLow == output.nFileIndexLow;
}

Status closeStandardOutput() {
    std::fflush(stdout);
    // What WriteFile took is the system's: nothing can be lost at the close.
    return Ok{};
}

bool standardErrorIsTerminal() {
    return isConsole(::GetStdHandle(STD_ERROR_HANDLE));
}

void showStatusLine(std::string_view text) {
    // Back to the line's start, the new text, and blanks over what is left
    // of the old one.
    const std::wstring wide = win32::widen(text);
    std::wstring line = L"\r" + wide;
    if (wide.size() < statusWidth)
        line.append(statusWidth - wide.size(), L' ');
    line += L"\r" + wide;
    statusWidth = wide.size();
    std::fflush(stderr);
    DWORD written = 0;
    ::WriteConsoleW(::GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
                    &written, nullptr);
}

} // namespace kestro
