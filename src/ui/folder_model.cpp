#include "ui/folder_model.h"

#include "platform/folder_names.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "ui/folder_tree.h"

#include <QApplication>
#include <QDir>
#include <QStyle>

#include <algorithm>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace kestro {

struct FolderModel::Node {
    std::string name; // native bytes; a root ("/", "C:\\") for a top row
    Node* parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children; // sorted as the list sorts names
    enum class State { Unread, Reading, Read } state = State::Unread;
    int ticket = 0; // which reading counts

    void renumber() {
        for (std::size_t i = 0; i < children.size(); ++i)
            children[i]->row = static_cast<int>(i);
    }
};

namespace {

bool before(const std::string& a, const std::string& b) {
    return compareNoCase(a, b) < 0;
}

// A reading can outlive the application (a hung device); it hands its
// result over only while the application is there to take it.
std::mutex handOverLock;
QCoreApplication* handOverTo = nullptr;

void markApplicationGone() {
    const std::lock_guard lock(handOverLock);
    handOverTo = nullptr;
}

void watchApplication() {
    const std::lock_guard lock(handOverLock);
    if (handOverTo || !QCoreApplication::instance())
        return;
    handOverTo = QCoreApplication::instance();
    qAddPostRoutine(markApplicationGone);
}

} // namespace

FolderModel::FolderModel(QObject* parent)
    : QAbstractItemModel(parent), root_(std::make_unique<Node>()),
      self_(std::make_shared<FolderModel*>(this)) {
    // The system's first root ("/", or the system drive): others, such as
    // further drives, are added as folders on them are shown.
    auto top = std::make_unique<Node>();
    top->name = QDir::toNativeSeparators(QDir::rootPath()).toStdString();
    top->parent = root_.get();
    root_->children.push_back(std::move(top));
    root_->state = Node::State::Read;
    folderIcon_ = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    watchApplication();
}

FolderModel::~FolderModel() = default;

FolderModel::Node* FolderModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

QModelIndex FolderModel::indexOf(const Node* node) const {
    if (!node || node == root_.get())
        return {};
    return createIndex(node->row, 0, const_cast<Node*>(node));
}

QModelIndex FolderModel::index(int row, int column, const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(node->children.size()))
        return {};
    return createIndex(row, 0, node->children[static_cast<std::size_t>(row)].get());
}

QModelIndex FolderModel::parent(const QModelIndex& child) const {
    if (!child.isValid())
        return {};
    return indexOf(nodeOf(child)->parent);
}

int FolderModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(nodeOf(parent)->children.size());
}

int FolderModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant FolderModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return pathText(nodeOf(index)->name);
    if (role == Qt::DecorationRole)
        return folderIcon_;
    return {};
}

bool FolderModel::hasChildren(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    // Until a folder is read it may have sub-folders.
    return node->state != Node::State::Read || !node->children.empty();
}

bool FolderModel::canFetchMore(const QModelIndex& parent) const {
    return parent.isValid() && nodeOf(parent)->state == Node::State::Unread;
}

void FolderModel::fetchMore(const QModelIndex& parent) {
    if (canFetchMore(parent))
        startReading(nodeOf(parent));
}

void FolderModel::refresh(const QModelIndex& index) {
    if (index.isValid())
        startReading(nodeOf(index));
}

std::string FolderModel::pathOf(const Node* node) const {
    if (!node || node == root_.get())
        return {};
    if (node->parent == root_.get())
        return node->name;
    return joinPath(pathOf(node->parent), node->name);
}

std::string FolderModel::path(const QModelIndex& index) const {
    return index.isValid() ? pathOf(nodeOf(index)) : std::string();
}

FolderModel::Node* FolderModel::walkTo(const std::string& folder, bool makeMissing) {
    if (!isAbsolutePath(folder))
        return nullptr;
    const std::size_t rootSize = rootLength(folder);
    Node* node = root_.get();
    std::size_t start = 0;
    while (start < folder.size()) {
        // The root ("/", "C:\\") is the first name below the model's
        // invisible top.
        const bool atRoot = start == 0;
        std::size_t end = atRoot ? rootSize : folder.find_first_of(PathSeparators, start);
        if (end == std::string::npos)
            end = folder.size();
        std::string name = folder.substr(start, end - start);
        start = atRoot ? end : end + 1;
        if (name.empty())
            continue;
        auto& children = node->children;
        auto found = std::find_if(children.begin(), children.end(),
                                  [&](const auto& child) { return child->name == name; });
        if (found == children.end()) {
            if (!makeMissing)
                return nullptr;
            const auto place =
                std::find_if(children.begin(), children.end(),
                             [&](const auto& child) { return before(name, child->name); });
            const int row = static_cast<int>(place - children.begin());
            beginInsertRows(indexOf(node), row, row);
            auto made = std::make_unique<Node>();
            made->name = std::move(name);
            made->parent = node;
            found = children.insert(place, std::move(made));
            node->renumber();
            endInsertRows();
        }
        node = found->get();
    }
    return node;
}

QModelIndex FolderModel::indexFor(const std::string& folder) {
    Node* node = walkTo(folder, true);
    return node ? indexOf(node) : QModelIndex{};
}

void FolderModel::startReading(Node* node) {
    node->state = Node::State::Reading;
    const int ticket = ++node->ticket;
    std::weak_ptr<FolderModel*> model = self_;
    // A folder on a slow or hung device must not freeze the window.
    std::thread([model, folder = pathOf(node), ticket] {
        auto names = listFolderNames(folder);
        const bool read = names.ok();
        std::vector<std::string> found =
            read ? std::move(names).value() : std::vector<std::string>{};
        const std::lock_guard lock(handOverLock);
        if (!handOverTo)
            return;
        QMetaObject::invokeMethod(
            handOverTo,
            [model, folder, ticket, read, found = std::move(found)]() mutable {
                if (auto alive = model.lock())
                    (*alive)->applyReading(folder, ticket, read, std::move(found));
            },
            Qt::QueuedConnection);
    }).detach();
}

void FolderModel::applyReading(const std::string& folder, int ticket, bool read,
                               std::vector<std::string> names) {
    Node* node = walkTo(folder, false);
    if (!node || node->ticket != ticket || node->state != Node::State::Reading)
        return;
    node->state = Node::State::Read;
    const QModelIndex parentIndex = indexOf(node);
    // A folder that cannot be read keeps the rows it has.
    if (read) {
        sortNoCase(names);
        auto& children = node->children;
        // Rows of folders that are gone go first, one by one from the end.
        for (int row = static_cast<int>(children.size()) - 1; row >= 0; --row) {
            const std::string& name = children[static_cast<std::size_t>(row)]->name;
            if (std::binary_search(names.begin(), names.end(), name, before))
                continue;
            beginRemoveRows(parentIndex, row, row);
            children.erase(children.begin() + row);
            node->renumber();
            endRemoveRows();
        }
        // New folders arrive in runs between the rows already there.
        std::unordered_set<std::string> known;
        for (const auto& child : children)
            known.insert(child->name);
        std::vector<std::string> fresh;
        for (std::string& name : names) {
            if (!known.contains(name))
                fresh.push_back(std::move(name));
        }
        std::size_t place = 0;
        std::size_t next = 0;
        while (next < fresh.size()) {
            while (place < children.size() && before(children[place]->name, fresh[next]))
                ++place;
            std::size_t end = next;
            while (end < fresh.size() &&
                   (place == children.size() || before(fresh[end], children[place]->name)))
                ++end;
            const int first = static_cast<int>(place);
            beginInsertRows(parentIndex, first, first + static_cast<int>(end - next) - 1);
            std::vector<std::unique_ptr<Node>> run;
            for (std::size_t i = next; i < end; ++i) {
                auto made = std::make_unique<Node>();
                made->name = std::move(fresh[i]);
                made->parent = node;
                run.push_back(std::move(made));
            }
            children.insert(children.begin() + first, std::make_move_iterator(run.begin()),
                            std::make_move_iterator(run.end()));
            node->renumber();
            endInsertRows();
            place += end - next;
            next = end;
        }
    }
    emit folderRead(parentIndex);
}

} // namespace kestro
