// The folder services that are the same on every system, built on each
// system's own enumeration (folder_linux.cpp, folder_win32.cpp).

#include "platform/folder.h"

#include "platform/text.h"

namespace kestro {

namespace {

// Opens `folder` and reads its entries; the folder stays open in `opened`
// for reads relative to it.
Status openAndRead(const std::string& folder, OpenFolder& opened, FolderEntries& entries) {
    auto open = OpenFolder::open(folder);
    if (!open)
        return open.failure();
    opened = std::move(open).value();
    return readFolderEntries(opened.fd(), entries, folder);
}

} // namespace

void FolderEntries::add(EntryKind kind, std::string_view name, std::uint32_t attributes) {
    const char head[] = {static_cast<char>(kind), static_cast<char>(attributes & 0xFF),
                         static_cast<char>(name.size() & 0xFF),
                         static_cast<char>((name.size() >> 8) & 0xFF)};
    packed_.append(head, sizeof head);
    packed_ += name;
    packed_ += '\0';
    sortedByName_ = false;
}

void FolderEntries::sortByName() {
    std::vector<std::string_view> names;
    forEach([&](const Entry& entry) { names.push_back(entry.name); });
    std::string sorted;
    sorted.reserve(packed_.size());
    for (const std::uint32_t index : orderNoCase(names)) {
        // An entry is its name with the four bytes before it and the NUL after.
        const std::string_view name = names[index];
        sorted.append(name.data() - 4, name.size() + 5);
    }
    packed_ = std::move(sorted);
    sortedByName_ = true;
}

Result<std::vector<std::string>> listWalkableSubFolders(const std::string& folder) {
    OpenFolder opened;
    FolderEntries entries;
    if (auto read = openAndRead(folder, opened, entries); !read)
        return read.failure();
    std::vector<std::string> names;
    forEachWalkableSubFolder(entries, [&](std::string_view name) { names.emplace_back(name); });
    return names;
}

Result<std::vector<std::string>> listFiles(const std::string& folder,
                                           const FilePatternSet& patterns,
                                           const IncludeSwitches& include) {
    OpenFolder opened;
    FolderEntries entries;
    if (auto read = openAndRead(folder, opened, entries); !read)
        return read.failure();
    const int fd = opened.fd();
    const auto views = selectFiles(entries, patterns, include, [fd] { return fd; });
    return std::vector<std::string>(views.begin(), views.end());
}

} // namespace kestro
