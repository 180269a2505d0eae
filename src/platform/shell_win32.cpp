#include "platform/shell.h"

#include "platform/paths.h"
#include "platform/wide_path.h"

#include <windows.h>

#include <shellapi.h>

// The shell's own actions: open and print through the file's association,
// the recycle bin, and copy, move and rename that never replace a file.

namespace kestro {

namespace {

Status lastFailure(const std::string& path) {
    return failureFromErrno(win32::lastErrno(), path, false);
}

// Like the shell, a copy or move onto an existing folder goes into it, under
// the source's own name; the system's calls would refuse the folder.
std::string targetPath(const std::string& source, const std::string& destination) {
    if (destination.empty())
        return destination;
    const DWORD bits = ::GetFileAttributesW(win32::longPath(destination).c_str());
    if (bits == INVALID_FILE_ATTRIBUTES || (bits & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return destination;
    return joinPath(destination, std::string_view(source).substr(folderPart(source).size()));
}

} // namespace

void shellOpen(const std::string& target) {
    ::ShellExecuteW(nullptr, L"open", win32::widen(target).c_str(), nullptr, nullptr,
                    SW_SHOWNORMAL);
}

void shellPrint(const std::string& file) {
    ::ShellExecuteW(nullptr, L"print", win32::widen(file).c_str(), nullptr, nullptr, SW_HIDE);
}

Status moveToTrash(const std::string& file) {
    // The shell's operation takes a list ending with two NULs, and no
    // "\\?\" prefix.
    std::wstring from = win32::widen(win32::userPath(win32::longPath(file)));
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    if (::SHFileOperationW(&operation) != 0 || operation.fAnyOperationsAborted)
        return makeFailure(failure::PathFileAccess, file);
    return Ok{};
}

Status copyFileTo(const std::string& source, const std::string& destination) {
    const std::string target = targetPath(source, destination);
    if (!::CopyFileW(win32::longPath(source).c_str(), win32::longPath(target).c_str(), TRUE))
        return lastFailure(target);
    return Ok{};
}

Status moveFileTo(const std::string& source, const std::string& destination) {
    const std::string target = targetPath(source, destination);
    if (!::MoveFileExW(win32::longPath(source).c_str(), win32::longPath(target).c_str(),
                       MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
        return lastFailure(target);
    return Ok{};
}

Status renameFileTo(const std::string& source, const std::string& destination) {
    if (!::MoveFileExW(win32::longPath(source).c_str(), win32::longPath(destination).c_str(), 0))
        return lastFailure(destination);
    return Ok{};
}

} // namespace kestro
