#include "platform/standard_streams.h"

#include "platform/wide_path.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <iostream>
#include <streambuf>
#include <string>
#include <windows.h>

// Standard output and error are the handles the process was given. On a
// console the program's UTF-8 is shown as text (WriteConsoleW), so the
// console's code page, which belongs to the user's window and the programs
// run in it after this one, is never changed; redirected to a file or a
// pipe, the bytes go unchanged.

namespace kestro {

namespace {

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

// Whether a status line is shown, and the console row it begins on.
bool statusShown = false;
SHORT statusRow = 0;

// Writes `bytes` to `handle`; 0 or the errno value. With `stop`, a set flag
// ends the loop with EINTR (the control handler cancels a blocked write).
// `pending` keeps the bytes of a character that a block cut, for the next
// write to the same stream.
int writeHandle(HANDLE handle, std::string_view bytes, const std::atomic<bool>* stop,
                std::string& pending) {
    if (!handle || handle == INVALID_HANDLE_VALUE)
        return EBADF;
    if (isConsole(handle)) {
        // Whole characters only: a block that ends inside one keeps its
        // last bytes for the next write.
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

std::string outputPending;
std::string errorPending;

// What std::cerr writes (messages in UTF-8) goes through writeHandle: shown
// as text on a console, the bytes elsewhere.
class StandardErrorBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
        buffer_ += traits_type::to_char_type(c);
        if (buffer_.size() >= 4096 && sync() != 0)
            return traits_type::eof();
        return c;
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        buffer_.append(text, static_cast<std::size_t>(count));
        if (buffer_.size() >= 4096 && sync() != 0)
            return 0;
        return count;
    }
    int sync() override {
        const int error =
            writeHandle(::GetStdHandle(STD_ERROR_HANDLE), buffer_, nullptr, errorPending);
        buffer_.clear();
        return error == 0 ? 0 : -1;
    }

private:
    std::string buffer_;
};

} // namespace

void ensureStandardDescriptors() {
    // The C runtime's descriptors 0-2 in binary mode: no line break of the
    // list is turned into another.
    for (int fd = 0; fd <= 2; ++fd)
        ::_setmode(fd, _O_BINARY);
    // Never destroyed: std::cerr is flushed once more at the very end.
    static auto* const errors = new StandardErrorBuffer;
    std::cerr.rdbuf(errors);
}

Status writeStandardOutput(std::string_view bytes) {
    if (const int error =
            writeHandle(::GetStdHandle(STD_OUTPUT_HANDLE), bytes, nullptr, outputPending);
        error != 0)
        return standardOutputFailure(error);
    return Ok{};
}

int writeStandardOutputUnless(std::string_view bytes, const std::atomic<bool>& stop) {
    return writeHandle(::GetStdHandle(STD_OUTPUT_HANDLE), bytes, &stop, outputPending);
}

bool standardOutputShowsCharacters() {
    return isConsole(::GetStdHandle(STD_OUTPUT_HANDLE));
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
    // The rows the line took are blanked through the console itself, so
    // that wide characters and a line longer than the window leave nothing
    // behind, and the cursor goes back to where the line began.
    const HANDLE console = ::GetStdHandle(STD_ERROR_HANDLE);
    std::cerr.flush();
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    if (!::GetConsoleScreenBufferInfo(console, &screen))
        return;
    SHORT row = screen.dwCursorPosition.Y;
    if (statusShown) {
        if (statusRow < row)
            row = statusRow;
        const auto cells = static_cast<DWORD>(screen.dwSize.X) *
                           static_cast<DWORD>(screen.dwCursorPosition.Y - row + 1);
        DWORD blanked = 0;
        ::FillConsoleOutputCharacterW(console, L' ', cells, COORD{0, row}, &blanked);
    }
    ::SetConsoleCursorPosition(console, COORD{0, row});
    statusRow = row;
    statusShown = !text.empty();
    const std::wstring wide = win32::widen(text);
    DWORD written = 0;
    ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

} // namespace kestro
