#pragma once

// The folder tree's rows: "/" and the folders below it, each row holding
// its name as the native bytes, so that a name that is not valid UTF-8 is
// shown (with stand-in characters) and its path still opens the folder.
//
// A folder's sub-folders are read in the background when its row is first
// fetched or refreshed; the rows arrive later, sorted as the list sorts
// names. Rows already there keep their place (and their indexes) when a
// reading adds or removes others. indexFor() makes the rows of a path at
// once, before their folders have been read.

#include <QAbstractItemModel>
#include <QIcon>

#include <memory>
#include <string>
#include <vector>

namespace kestro {

class FolderModel : public QAbstractItemModel {
    Q_OBJECT

public:
    explicit FolderModel(QObject* parent = nullptr);
    ~FolderModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // The native path of a row ("/" for the top row); empty for no row.
    std::string path(const QModelIndex& index) const;

    // The row of the absolute path `folder` (without a trailing "/"), made
    // with the rows of its parents where they have not been read yet.
    QModelIndex indexFor(const std::string& folder);

    // Reads the sub-folders of the row again, in the background.
    void refresh(const QModelIndex& index);

signals:
    // The sub-folders of `folder` have been read and its rows updated.
    void folderRead(const QModelIndex& folder);

private:
    struct Node;
    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node) const;
    std::string pathOf(const Node* node) const;
    // The row of `folder`, followed name by name from the root; a missing
    // row is made in its sorted place when `makeMissing`, else none is found.
    Node* walkTo(const std::string& folder, bool makeMissing);
    void startReading(Node* node);
    void applyReading(const std::string& folder, int ticket, bool read,
                      std::vector<std::string> names);

    std::unique_ptr<Node> root_; // invisible; its one child is "/"
    // Readings in flight hold a weak copy: one that ends after the model
    // is gone is dropped.
    std::shared_ptr<FolderModel*> self_;
    QIcon folderIcon_;
};

} // namespace kestro
