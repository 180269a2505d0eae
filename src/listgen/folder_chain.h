#pragma once

// The folders of a walk as the create command keeps them, and the chain of
// open folders it reaches them through.

#include "platform/failure.h"
#include "platform/folder.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestro {

// What the walk knows of one folder: its path, its place in the tree, and
// what the sub-folder search read of it.
struct FolderNode {
    static constexpr std::uint32_t NoParent = UINT32_MAX;

    std::string path; // full path, ending with "/"
    std::uint32_t parent = NoParent;
    std::uint32_t nameStart = 0; // where the folder's own name begins in `path`
    // The failure that kept the search from reading the folder (held apart:
    // few folders have one, and the nodes of a large tree are many).
    std::unique_ptr<Failure> failure;
    // The entries the search read, kept for the collection while they fit.
    std::unique_ptr<FolderEntries> entries;
    // The folder as the search opened it, held while descriptors are to
    // spare: for the next pass, which reads its sub-folders, and, when
    // `keptForFiles`, for the collection, which reads its files' facts.
    OpenFolder kept;
    bool keptForFiles = false;

    std::string name() const { return path.substr(nameStart, path.size() - 1 - nameStart); }
};

// The order in which the collection lists `nodes`: the root first (it is a
// prefix of every other folder), then the others in ascending order of their
// paths without regard to case.
std::vector<std::uint32_t> collectionOrder(const std::vector<FolderNode>& nodes);

// The open folders from the root down to the last folder asked for. Each
// folder is opened relative to its parent, so no path the kernel resolves is
// longer than one name; folders visited one after another share most of
// their chain, so each folder is opened about once.
class FolderChain {
public:
    static constexpr std::size_t MaxOpenFolders = 64;

    explicit FolderChain(const std::vector<FolderNode>& nodes) : nodes_(nodes) {}

    // The descriptor of folder `index`, valid until the next call. A failure
    // names that folder, whichever folder of its chain could not be opened.
    Result<int> open(std::uint32_t index);

private:
    const std::vector<FolderNode>& nodes_;
    std::vector<std::pair<std::uint32_t, OpenFolder>> open_;
    std::vector<std::uint32_t> wanted_;
};

} // namespace kestro
