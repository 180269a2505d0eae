#include "platform/folder.h"

#include "platform/file_pattern.h"
#include "platform/text.h"
#include "platform/wide_path.h"

#include <algorithm>
#include <cerrno>
#include <unordered_map>
#include <windows.h>

namespace kestro {

namespace {

std::uint64_t ticks(const FILETIME& time) {
    return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

// What the enumerations on this thread gave: the facts of the files of each
// folder, by the folder's long path, so that the list's columns need no
// call per file. Each enumeration replaces its folder's facts; a run reads
// every folder it lists, so it never sees another run's. Held up to a
// budget (about as much as the walk keeps of its entries); past it, the
// facts of further folders are read file by file.
struct EnumeratedFacts {
    using Folder = std::unordered_map<std::string, FileFacts>;
    std::unordered_map<std::wstring, Folder> folders;
    std::size_t bytes = 0;
};
constexpr std::size_t EnumeratedFactsBudget = std::size_t{24} << 20;
constexpr std::size_t BytesPerFact = sizeof(FileFacts) + 64;

// Each thread's facts are on the heap, found through a fiber-local slot
// whose callback frees them when the thread ends. Not a thread_local object:
// with this tool chain's emulated thread-local storage, a thread's block may
// be freed before the destructors of the objects in it run, and they then
// read freed memory. Without a slot there are no such facts, and the facts
// of every file are read on their own.
void WINAPI freeEnumeratedFacts(void* facts) {
    delete static_cast<EnumeratedFacts*>(facts);
}

EnumeratedFacts* threadFacts() {
    static const DWORD slot = ::FlsAlloc(freeEnumeratedFacts);
    if (slot == FLS_OUT_OF_INDEXES)
        return nullptr;
    auto* facts = static_cast<EnumeratedFacts*>(::FlsGetValue(slot));
    if (facts == nullptr) {
        facts = new EnumeratedFacts;
        if (!::FlsSetValue(slot, facts)) {
            delete facts;
            return nullptr;
        }
    }
    return facts;
}

void forgetFacts(EnumeratedFacts& enumerated, const std::wstring& folder) {
    const auto found = enumerated.folders.find(folder);
    if (found == enumerated.folders.end())
        return;
    for (const auto& [name, facts] : found->second)
        enumerated.bytes -= BytesPerFact + name.size();
    enumerated.folders.erase(found);
}

// Opens the folder at the long path `path` as a descriptor. With
// `noReparse`, a reparse point (a junction, a link to a folder) is refused
// like a file in the folder's place: the walk never goes through one.
int openFolderDescriptor(const std::wstring& path, bool noReparse, int& error) {
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
    if (noReparse)
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE folder = ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, flags, nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
        error = win32::lastErrno();
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(folder, &info)) {
        error = win32::lastErrno();
        ::CloseHandle(folder);
        return -1;
    }
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (noReparse && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))) {
        error = ENOTDIR;
        ::CloseHandle(folder);
        return -1;
    }
    const int fd = win32::descriptorOf(folder);
    if (fd < 0) {
        error = EMFILE;
        return -1;
    }
    win32::rememberFolder(fd, path);
    return fd;
}

} // namespace

Result<OpenFolder> OpenFolder::open(const std::string& path) {
    int error = 0;
    const int fd = openFolderDescriptor(win32::longPath(path), false, error);
    if (fd < 0)
        return failureFromErrno(error == ENOENT ? ENOTDIR : error, path, true);
    return OpenFolder(fd);
}

Result<OpenFolder> OpenFolder::openChildOf(int folderFd, const char* name,
                                           const std::string& reportedPath) {
    int error = 0;
    const int fd =
        openFolderDescriptor(win32::childPath(win32::folderPathOf(folderFd), name), true, error);
    if (fd < 0)
        return failureFromErrno(error == ENOENT ? ENOTDIR : error, reportedPath, true);
    return OpenFolder(fd);
}

Status OpenFolder::checkPresent(const std::string& reportedPath) const {
    // Folders are reached by their paths here: the folder is there when its
    // path still leads to a folder.
    const DWORD bits = ::GetFileAttributesW(win32::folderPathOf(folder_.get()).c_str());
    if (bits == INVALID_FILE_ATTRIBUTES) {
        const int error = win32::lastErrno();
        return failureFromErrno(error == ENOENT ? ENOTDIR : error, reportedPath, true);
    }
    if (!(bits & FILE_ATTRIBUTE_DIRECTORY))
        return failureFromErrno(ENOTDIR, reportedPath, true);
    return Ok{};
}

Result<OpenFolder> OpenFolder::duplicate(int fd, const std::string& reportedPath) {
    HANDLE copy = nullptr;
    const HANDLE process = ::GetCurrentProcess();
    if (!::DuplicateHandle(process, win32::handleOf(fd), process, &copy, 0, FALSE,
                           DUPLICATE_SAME_ACCESS))
        return failureFromErrno(win32::lastErrno(), reportedPath, true);
    const int duplicate = win32::descriptorOf(copy);
    if (duplicate < 0)
        return failureFromErrno(EMFILE, reportedPath, true);
    win32::rememberFolder(duplicate, win32::folderPathOf(fd));
    return OpenFolder(duplicate);
}

Status readFolderEntries(int folderFd, FolderEntries& entries, const std::string& reportedPath) {
    entries.clear();
    const std::wstring folder = win32::folderPathOf(folderFd);
    if (folder.empty())
        return failureFromErrno(EBADF, reportedPath, true);
    EnumeratedFacts* const enumerated = threadFacts();
    if (enumerated)
        forgetFacts(*enumerated, folder);
    EnumeratedFacts::Folder facts;
    std::size_t factBytes = 0;
    // The basic information (no short name) in large fetches: the names
    // with their attributes, sizes and times in one pass.
    WIN32_FIND_DATAW found{};
    HANDLE search =
        ::FindFirstFileExW(win32::childPath(folder, "*").c_str(), FindExInfoBasic, &found,
                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES)
            return Ok{}; // an empty folder (a drive's root has no "." entry)
        return failureFromErrno(win32::errnoOf(error), reportedPath, true);
    }
    do {
        const std::wstring_view wide(found.cFileName);
        if (wide == L"." || wide == L"..")
            continue;
        const DWORD bits = found.dwFileAttributes;
        const EntryKind kind = (bits & FILE_ATTRIBUTE_REPARSE_POINT) ? EntryKind::Link
                               : (bits & FILE_ATTRIBUTE_DIRECTORY)   ? EntryKind::Folder
                                                                     : EntryKind::File;
        std::string name = win32::narrow(wide);
        entries.add(kind, name, win32::attributesOf(bits));
        if (kind == EntryKind::File) {
            const std::uint64_t size =
                (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
            factBytes += BytesPerFact + name.size();
            facts.emplace(std::move(name), win32::factsOf(bits, ticks(found.ftCreationTime),
                                                          ticks(found.ftLastAccessTime),
                                                          ticks(found.ftLastWriteTime), size));
        }
    } while (::FindNextFileW(search, &found));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    if (error != ERROR_NO_MORE_FILES)
        return failureFromErrno(win32::errnoOf(error), reportedPath, true);
    if (enumerated && !facts.empty() && enumerated->bytes + factBytes <= EnumeratedFactsBudget) {
        enumerated->bytes += factBytes;
        enumerated->folders.emplace(folder, std::move(facts));
    }
    return Ok{};
}

bool win32::enumeratedFacts(int fd, const char* name, FileFacts& facts) {
    const EnumeratedFacts* const enumerated = threadFacts();
    if (!enumerated || enumerated->folders.empty())
        return false;
    const auto folder = enumerated->folders.find(folderPathOf(fd));
    if (folder == enumerated->folders.end())
        return false;
    const auto found = folder->second.find(name);
    if (found == folder->second.end())
        return false;
    facts = found->second;
    return true;
}

std::vector<std::string_view> selectFiles(const FolderEntries& entries,
                                          const FilePatternSet& patterns,
                                          const IncludeSwitches& include,
                                          const std::function<int()>& /*folderFd*/) {
    // Everything the switches need came with the enumeration. A reparse
    // point is neither walked nor listed, as links are not elsewhere.
    std::uint32_t refused = 0;
    if (!include.readOnly)
        refused |= attribute::ReadOnly;
    if (!include.archive)
        refused |= attribute::Archive;
    if (!include.hidden)
        refused |= attribute::Hidden;
    if (!include.system)
        refused |= attribute::System;
    std::vector<std::string_view> names;
    entries.forEach([&](const FolderEntries::Entry& entry) {
        if (entry.kind != EntryKind::File || (entry.attributes & refused) != 0)
            return;
        if (patterns.matches(entry.name))
            names.emplace_back(entry.name);
    });
    if (!entries.sortedByName())
        sortViewsNoCase(names);
    return names;
}

std::size_t spareFolderDescriptors() {
    // The C runtime's table of descriptors holds 2048 at most.
    return 256;
}

} // namespace kestro
