#pragma once

// The folder list: a tree of the file system's folders (hidden ones too)
// whose current entry is the current folder. Folders are read in the
// background, so a huge or unreadable folder never blocks the window. Names
// are kept as the native bytes, so a folder whose name is not valid UTF-8 is
// shown and can be chosen like any other.
//
// path() is the current folder as a native path without a trailing "/"
// ("/" for the root). Choosing a folder in the tree with the mouse or the
// keyboard, or setPath, changes it and emits pathChanged. So does the
// current folder going away (removed, or its drive gone): its nearest
// existing parent becomes current, so the folder highlighted is always the
// one that exists, is listed and is stored. The tree looks for that every
// second while it is enabled, and whenever followRemoval is called. Nothing
// else changes it: when the tree's rows move (folders next to it appear or
// vanish), the current folder stays and its row is chosen again.

#include "platform/failure.h"

#include <QTreeView>

#include <optional>
#include <string>

namespace kestro {

class FolderModel;

// Native path bytes and the toolkit's text of a path.
QString pathText(const std::string& path);
std::string pathBytes(const QString& text);

class FolderTree : public QTreeView {
    Q_OBJECT

public:
    explicit FolderTree(QWidget* parent = nullptr);

    const std::string& path() const { return path_; }

    // The native path of a row of the tree.
    std::string pathAt(const QModelIndex& index) const;

    // Makes `folder` the current folder and shows it. Fails with 76 when it
    // is not an existing folder (or the number of the failure that kept it
    // from being examined); the current folder then stays.
    Status setPath(const std::string& folder);

    // When the current folder is gone, makes its nearest existing parent
    // current and returns the folder that vanished; otherwise nothing.
    std::optional<std::string> followRemoval();

signals:
    void pathChanged();

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showCurrent();
    void chooseCurrentRowAgain();

    FolderModel* model_;
    std::string path_;
    bool settingPath_ = false;
    bool keepShowingCurrent_ = false;
    bool userInput_ = false; // inside a mouse or key event of the user
};

} // namespace kestro
