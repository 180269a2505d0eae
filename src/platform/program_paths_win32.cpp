#include "platform/program_paths.h"

#include "platform/descriptor.h"
#include "platform/paths.h"
#include "platform/wide_path.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <new>
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

// Per-user files live where Windows keeps them: settings and keys under
// %APPDATA% (roaming), caches under %LOCALAPPDATA%.

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

// The variable `name` when it holds an absolute path, else the known folder.
std::string userFolder(const wchar_t* name, const KNOWNFOLDERID& known) {
    if (const wchar_t* value = ::_wgetenv(name); value && *value) {
        std::string path = win32::narrow(value);
        if (isAbsolutePath(path))
            return path;
    }
    PWSTR found = nullptr;
    std::string path;
    if (::SHGetKnownFolderPath(known, KF_FLAG_DEFAULT, nullptr, &found) == S_OK)
        path = win32::narrow(found);
    ::CoTaskMemFree(found);
    return path;
}

int errorOfFile(const std::wstring& path, DWORD& bits) {
    bits = ::GetFileAttributesW(path.c_str());
    return bits == INVALID_FILE_ATTRIBUTES ? win32::lastErrno() : 0;
}

// The failure for a file that could not be opened: a missing file whose
// folder is missing too is a missing path.
Failure openFailure(int error, const std::string& path) {
    if (error == ENOTDIR)
        return failureFromErrno(ENOENT, path, true);
    return failureFromErrno(error, path, false);
}

// Writes `bytes` into a file made new at `path` and makes sure they are on
// the disk; removes the file again when that fails after making it. 0 or
// the errno value, EEXIST when something is there already.
int writeNewFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return win32::lastErrno();
    int error = 0;
    {
        const Descriptor descriptor(win32::descriptorOf(file));
        if (!descriptor)
            error = EMFILE;
        if (error == 0)
            error = writeAllAt(descriptor.get(), bytes, 0);
        if (error == 0 && !::FlushFileBuffers(file))
            error = win32::lastErrno();
    }
    if (error != 0)
        ::DeleteFileW(path.c_str());
    return error;
}

// Where the new content of `target` (a long path) is written before it
// takes the file's place: beside it, under its name and a suffix (with
// `attempt` when not 0). A name near the limit of 255 units is cut for the
// suffix to fit.
std::wstring temporaryBeside(const std::wstring& target, int attempt) {
    std::wstring suffix = L".kestro-new";
    if (attempt > 0)
        suffix += std::to_wstring(attempt);
    constexpr std::size_t NameLimit = 255;
    const std::size_t nameStart = target.find_last_of(L'\\') + 1;
    std::size_t kept = target.size() - nameStart;
    if (kept + suffix.size() > NameLimit) {
        kept = NameLimit - suffix.size();
        if (IS_HIGH_SURROGATE(target[nameStart + kept - 1]))
            --kept; // not half of a pair
    }
    return target.substr(0, nameStart + kept) + suffix;
}

// Writes `bytes` into a new file beside `target` under a name no file has
// (a file of the user's that happens to bear the first name is left alone),
// and gives that name in `temporary`. The errno value.
int writeBeside(const std::wstring& target, const std::string& bytes, std::wstring& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = temporaryBeside(target, attempt);
        if (const int error = writeNewFile(temporary, bytes); error != EEXIST)
            return error;
    }
    return EEXIST;
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

std::string programFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            const std::string program = win32::userPath(buffer);
            const std::size_t last = program.find_last_of(PathSeparators);
            return last == std::string::npos ? std::string() : program.substr(0, last);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string configHome() {
    return userFolder(L"APPDATA", FOLDERID_RoamingAppData);
}

std::string cacheHome() {
    return userFolder(L"LOCALAPPDATA", FOLDERID_LocalAppData);
}

std::string dataHome() {
    return userFolder(L"LOCALAPPDATA", FOLDERID_LocalAppData);
}

Status makeFolders(const std::string& folder) {
    if (folder.empty())
        return makeFailure(failure::PathNotFound);
    const std::wstring path = win32::longPath(folder);
    // After "\\?\C:\" or "\\?\UNC\server\share\" every separator ends a folder.
    std::size_t start = path.starts_with(L"\\\\?\\UNC\\") ? path.find(L'\\', 8) : 6;
    if (start != std::wstring::npos && path.starts_with(L"\\\\?\\UNC\\"))
        start = path.find(L'\\', start + 1);
    std::size_t end = start;
    while (end != std::wstring::npos && end < path.size()) {
        end = path.find(L'\\', end + 1);
        const std::wstring part = path.substr(0, end);
        if (::CreateDirectoryW(part.c_str(), nullptr))
            continue;
        const DWORD error = ::GetLastError();
        DWORD bits = 0;
        // An existing folder is fine, whatever the call said about it.
        if (errorOfFile(part, bits) == 0 && (bits & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        return failureFromErrno(error == ERROR_ALREADY_EXISTS ? ENOTDIR : win32::errnoOf(error),
                                folder, true);
    }
    return Ok{};
}

namespace {

// The file `temporary` renamed over `target` (written as `path`); a
// temporary file that cannot take its place is removed.
Status moveOver(const std::wstring& temporary, const std::wstring& target,
                const std::string& path) {
    if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const int error = win32::lastErrno();
        ::DeleteFileW(temporary.c_str());
        return failureFromErrno(error, path, false);
    }
    return Ok{};
}

} // namespace

Status writeFileAtomically(const std::string& path, const std::string& bytes) {
    const std::wstring target = win32::longPath(path);
    std::wstring temporary;
    if (const int error = writeBeside(target, bytes, temporary); error != 0)
        return failureFromErrno(error == ENOTDIR ? ENOENT : error, path, error == ENOTDIR);
    return moveOver(temporary, target, path);
}

Status saveFileKeepingIdentity(const std::string& path, const std::string& bytes) {
    const std::wstring target = win32::longPath(path);
    DWORD bits = 0;
    if (errorOfFile(target, bits) == 0) {
        if (bits & FILE_ATTRIBUTE_DIRECTORY)
            return makeFailure(failure::PathFileAccess, path);
        if (bits & FILE_ATTRIBUTE_READONLY)
            return makeFailure(failure::PermissionDenied, path);
    }
    // The new content goes beside the file first; ReplaceFileW then keeps
    // the old file's attributes, times of creation and security.
    std::wstring temporary;
    if (const int error = writeBeside(target, bytes, temporary); error != 0)
        return failureFromErrno(error == ENOTDIR ? ENOENT : error, path, error == ENOTDIR);
    if (bits != INVALID_FILE_ATTRIBUTES && bits != 0 &&
        ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_WRITE_THROUGH,
                       nullptr, nullptr))
        return Ok{};
    return moveOver(temporary, target, path);
}

// Nothing this large is saved on Windows (no workbook, no printing): the
// content is read whole.
Status saveFileKeepingIdentityFrom(const std::string& path, const std::string& source) {
    Result<std::string> bytes = readWholeFile(source);
    if (!bytes)
        return bytes.failure();
    return saveFileKeepingIdentity(path, bytes.value());
}

Result<Descriptor> openWholeFile(const std::string& path, std::uint64_t& size) {
    const std::wstring wide = win32::longPath(path);
    HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return openFailure(win32::lastErrno(), path);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
    if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        ::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        return makeFailure(failure::PathFileAccess, path); // a folder or device
    }
    size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    Descriptor file(win32::descriptorOf(handle));
    if (!file)
        return failureFromErrno(EMFILE, path, false);
    return file;
}

} // namespace kestro
