#include "listgen/folder_chain.h"

#include <algorithm>

namespace kestro {

Result<int> FolderChain::open(std::uint32_t index) {
    wanted_.clear();
    for (std::uint32_t at = index; at != FolderNode::NoParent; at = nodes_[at].parent)
        wanted_.push_back(at);
    std::reverse(wanted_.begin(), wanted_.end());
    std::size_t common = 0;
    while (common < open_.size() && common < wanted_.size() &&
           open_[common].first == wanted_[common])
        ++common;
    // Go down from the deepest folder of the shared part still open.
    while (common > 0 && !open_[common - 1].second.isOpen())
        --common;
    open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(common), open_.end());
    for (std::size_t level = common; level < wanted_.size(); ++level) {
        const FolderNode& node = nodes_[wanted_[level]];
        auto opened = level == 0 ? OpenFolder::open(node.path)
                                 : open_.back().second.openChild(node.name().c_str(), node.path);
        if (!opened) {
            open_.clear();
            return makeFailure(opened.failure().number, nodes_[index].path);
        }
        open_.emplace_back(wanted_[level], std::move(opened).value());
    }
    // A very deep tree must not use up the descriptors: only the lowest
    // folders stay open, the ones above are opened again when needed.
    for (std::size_t level = 0; level + MaxOpenFolders < open_.size(); ++level)
        open_[level].second = OpenFolder();
    return open_.back().second.fd();
}

} // namespace kestro
