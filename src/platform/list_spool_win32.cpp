#include "platform/list_spool.h"

#include "platform/paths.h"
#include "platform/program_paths.h"
#include "platform/wide_path.h"

#include <algorithm>
#include <cerrno>
#include <windows.h>

// The spool file is created exclusively and marked to be deleted when its
// handle closes: the system removes it when the spool ends, and also when
// the program is ended without a word.

namespace kestro {

namespace {

// Whether a file can be created in `folder` (tried with a file that is
// removed as soon as it is made).
bool writableFolder(const std::string& folder) {
    const std::wstring probe = win32::childPath(win32::longPath(folder), "_Kestro.probe");
    HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

} // namespace

std::string defaultSpoolFolder(const std::string& programFolder) {
    if (!programFolder.empty() && writableFolder(programFolder)) {
        // A folder at the name would block every list made there.
        const DWORD bits = ::GetFileAttributesW(
            win32::childPath(win32::longPath(programFolder), ListSpoolName).c_str());
        if (bits == INVALID_FILE_ATTRIBUTES || !(bits & FILE_ATTRIBUTE_DIRECTORY))
            return programFolder;
    }
    return joinPath(cacheHome(), "Kestro");
}

Result<std::unique_ptr<ListSpool>> ListSpool::create(const std::string& folder) {
    const std::string path = joinPath(folder, ListSpoolName);
    const std::wstring wide = win32::longPath(path);
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; file == INVALID_HANDLE_VALUE; ++attempt) {
        // Whatever stands at the name goes, read-only or not; the new file
        // is then created exclusively. The spool of another run that is
        // still open cannot be deleted at once (its name would stay taken
        // until that run ends): it is renamed out of the way first, and the
        // system removes it when that run closes it.
        const std::wstring away = wide + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(::GetCurrentThreadId()) + L".old";
        const std::wstring& doomed = ::MoveFileExW(wide.c_str(), away.c_str(), 0) ? away : wide;
        ::SetFileAttributesW(doomed.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!::DeleteFileW(doomed.c_str())) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
                error != ERROR_ACCESS_DENIED)
                return failureFromErrno(win32::errnoOf(error), path, false);
        }
        file = ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                             FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            break;
        const DWORD error = ::GetLastError();
        if (error == ERROR_PATH_NOT_FOUND && attempt == 0) {
            // The folder is missing: make it, or say why it cannot be made.
            if (Status made = makeFolders(folder); !made)
                return made.failure();
            continue;
        }
        if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS &&
             error != ERROR_ACCESS_DENIED) ||
            attempt == 100)
            return failureFromErrno(win32::errnoOf(error), path, false);
    }
    Descriptor descriptor(win32::descriptorOf(file));
    if (!descriptor)
        return failureFromErrno(EMFILE, path, false);
    return std::unique_ptr<ListSpool>(new ListSpool(path, std::move(descriptor), 0, 0));
}

// Closing the handle removes the file.
ListSpool::~ListSpool() = default;

} // namespace kestro
