#include "listgen/folder_chain.h"

#include "platform/text.h"

#include <algorithm>
#include <string_view>

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

// The root first (it is a prefix of every other folder), then the others
// in ascending order of their paths without regard to case.
std::vector<std::uint32_t> collectionOrder(const std::vector<FolderNode>& nodes) {
    // Each path without the root's part, which they all begin with and which
    // orders nothing, and without its final separator.
    const std::size_t root = nodes.empty() ? 0 : nodes[0].path.size();
    std::vector<std::string_view> paths;
    paths.reserve(nodes.size());
    for (std::uint32_t index = 1; index < nodes.size(); ++index) {
        const std::string_view path = nodes[index].path;
        paths.push_back(path.substr(root, path.size() - 1 - root));
    }
    std::vector<std::uint32_t> order;
    order.reserve(nodes.size());
    order.push_back(0);
    for (const std::uint32_t index : orderNoCase(paths))
        order.push_back(index + 1);
    return order;
}

} // namespace kestro
