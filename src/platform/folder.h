#pragma once

// Folder enumeration: one pass over a folder's entries (getdents on Linux,
// FindFirstFileExW on Windows), with the kind of each entry and, for the
// file list, the include filters.
//
// Attribute bits as the rest of the program knows them. On Linux: 1
// read-only (the owner's write bit is clear), 2 hidden (the name begins
// with "."), 4 system (not a regular file and not a folder: device, FIFO,
// socket), 16 folder, 32 archive (never set). On Windows the file system's
// own bits.

#include "platform/descriptor.h"
#include "platform/failure.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

namespace attribute {
inline constexpr std::uint32_t ReadOnly = 1;
inline constexpr std::uint32_t Hidden = 2;
inline constexpr std::uint32_t System = 4;
inline constexpr std::uint32_t Directory = 16;
inline constexpr std::uint32_t Archive = 32;
} // namespace attribute

class FilePatternSet;

// Which files a file list lets through. A file passes when every attribute
// it has among read-only, archive, hidden and system is switched on here; a
// file with none of them always passes.
struct IncludeSwitches {
    bool readOnly = true;
    bool archive = true;
    bool hidden = false;
    bool system = false;
};

// An open folder. Its files and sub-folders are reached relative to it
// (openat, fstatat), so no path longer than one name is ever handed to the
// kernel and the depth of a tree does not matter. Closes itself; movable.
class OpenFolder {
public:
    OpenFolder() = default;

    // Opens `path` (without following a final link's folder-ness check: a
    // link to a folder opens as that folder). Fails with the errno's number
    // (76 missing, 70 not allowed, 52 a name too long ...) naming `path`.
    static Result<OpenFolder> open(const std::string& path);
    // Another descriptor of the folder `fd` (of an OpenFolder that stays its
    // owner's).
    static Result<OpenFolder> duplicate(int fd, const std::string& reportedPath);
    // Opens the sub-folder `name` of this folder, never through a link.
    // Failures as open(), naming `reportedPath`.
    Result<OpenFolder> openChild(const char* name, const std::string& reportedPath) const {
        return openChildOf(fd(), name, reportedPath);
    }
    // The same from the descriptor `folderFd` of an OpenFolder that stays
    // open meanwhile.
    static Result<OpenFolder> openChildOf(int folderFd, const char* name,
                                          const std::string& reportedPath);
    // Whether the folder held open is still there: a folder removed since it
    // was opened fails as opening it now would (76, naming `reportedPath`).
    Status checkPresent(const std::string& reportedPath) const;

    bool isOpen() const { return folder_.valid(); }
    int fd() const { return folder_.get(); }

private:
    explicit OpenFolder(int fd) : folder_(fd) {}
    Descriptor folder_;
};

// The kind of a folder entry as the enumeration tells it, without following
// a link: an entry whose kind the file system does not tell is stat'ed, so
// only a link is left to resolve.
enum class EntryKind : unsigned char { File, Folder, Link, System };

// The entries of one folder as one enumeration gave them, "." and ".."
// left out, each with its kind and the hidden and system bits that the
// enumeration tells (on Linux: hidden for a name that begins with "."; on
// Windows: the entry's own attributes). Packed in one buffer: five bytes
// per entry more than its name, its length among them, so that going over
// the entries again measures no name.
class FolderEntries {
public:
    struct Entry {
        std::string_view name; // followed by a NUL
        EntryKind kind;
        std::uint8_t attributes; // the attribute bits below 256
    };

    void add(EntryKind kind, std::string_view name, std::uint32_t attributes);
    void clear() {
        packed_.clear();
        sortedByName_ = false;
    }
    bool empty() const { return packed_.empty(); }
    // Memory the entries hold.
    std::size_t bytes() const { return packed_.capacity(); }
    void shrink() { packed_.shrink_to_fit(); }
    // Puts the entries in ascending order of their names without regard to
    // case (as compareNoCase orders them, ties by their bytes), which
    // selectFiles then keeps instead of sorting what it chose. The order
    // holds until the next add().
    void sortByName();
    bool sortedByName() const { return sortedByName_; }

    // Calls `visit(const Entry&)` for each entry in the enumeration's order.
    template <class Visit> void forEach(Visit&& visit) const {
        const char* at = packed_.data();
        const char* end = at + packed_.size();
        while (at < end) {
            const std::size_t length = static_cast<unsigned char>(at[2]) |
                                       std::size_t{static_cast<unsigned char>(at[3])} << 8;
            const Entry entry{std::string_view(at + 4, length), static_cast<EntryKind>(at[0]),
                              static_cast<std::uint8_t>(at[1])};
            visit(entry);
            at += 5 + length;
        }
    }

private:
    // Per entry: type byte, attribute byte, the name's length in two bytes
    // (low first; a name has at most 765 bytes), name, NUL.
    std::string packed_;
    bool sortedByName_ = false;
};

// Reads every entry of the open folder `folderFd` (OpenFolder::fd()) into `entries` (emptied first)
// in one getdents pass; an entry that vanishes before its kind is known is left out. Fails with the
// errno's number naming `reportedPath`.
Status readFolderEntries(int folderFd, FolderEntries& entries, const std::string& reportedPath);

// Calls `visit(std::string_view name)` (followed by a NUL) for each entry
// that a folder walk descends into: a real folder (never a link), neither hidden nor system.
template <class Visit> void forEachWalkableSubFolder(const FolderEntries& entries, Visit&& visit) {
    entries.forEach([&](const FolderEntries::Entry& entry) {
        if (entry.kind == EntryKind::Folder &&
            (entry.attributes & (attribute::Hidden | attribute::System)) == 0)
            visit(entry.name);
    });
}

// The names among `entries` that are files matching `patterns` and passing
// `include`, sorted as listFiles sorts them (in the entries' order when they
// are sorted by name), as views into `entries` (each
// followed by a NUL, so data() can be handed to a system call) that are
// valid while `entries` is unchanged. `folderFd()` gives the folder's
// descriptor (or a negative value when it cannot be had) and is called only
// when an entry is a link to resolve or the read-only switch is off; an
// entry that then cannot be stat'ed is left out.
std::vector<std::string_view> selectFiles(const FolderEntries& entries,
                                          const FilePatternSet& patterns,
                                          const IncludeSwitches& include,
                                          const std::function<int()>& folderFd);

// How many folders a walk may hold open at once besides the chain it is in:
// the descriptors the process may open less a reserve for everything else
// (1024, or a sixteenth of them when that is more, but never more than half),
// at most 65536.
std::size_t spareFolderDescriptors();

// The names of the sub-folders of `folder` that a folder walk descends into:
// real folders only (a link to a folder is never followed), neither hidden
// nor system, without "." and "..". In no particular order. A folder that
// cannot be opened fails with the number of its errno (76, 70, 68 ...) and a
// description naming it.
Result<std::vector<std::string>> listWalkableSubFolders(const std::string& folder);

// The names of the files of `folder` that match `patterns` and pass
// `include`, in ascending order without regard to case (compareNoCase).
// Folders and links to folders are not files; a dangling link is, a plain
// one that is never read-only. A link's attributes other than hidden are its
// target's. Only entries whose kind the enumeration does not tell, and
// links, are stat'ed; the mode is read only when `include.readOnly` is off.
// An entry that vanishes during the listing is left out. Failures as for
// listWalkableSubFolders.
Result<std::vector<std::string>> listFiles(const std::string& folder,
                                           const FilePatternSet& patterns,
                                           const IncludeSwitches& include);

} // namespace kestro
