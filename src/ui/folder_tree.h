#pragma once

// The folder list: a tree of the file system's folders (hidden ones too)
// whose current entry is the current folder. Folders are read in the
// background, so a huge or unreadable folder never blocks the window.
//
// path() is the current folder as a native path without a trailing "/"
// ("/" for the root). Choosing a folder in the tree with the mouse or the
// keyboard, or setPath, changes it and emits pathChanged. Nothing else does:
// when the background reading moves the tree's current row (a folder next to
// it appeared or vanished), the current folder stays and its row is chosen
// again.

#include "platform/failure.h"

#include <QTreeView>

#include <string>

class QFileSystemModel;

namespace kestro {

// Native path bytes and the toolkit's text of a path.
QString pathText(const std::string& path);
std::string pathBytes(const QString& text);

class FolderTree : public QTreeView {
    Q_OBJECT

public:
    explicit FolderTree(QWidget* parent = nullptr);

    const std::string& path() const { return path_; }

    // Makes `folder` the current folder and shows it. Fails with 76 when it
    // is not an existing folder (or the number of the failure that kept it
    // from being examined); the current folder then stays.
    Status setPath(const std::string& folder);

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

    QFileSystemModel* model_;
    std::string path_;
    bool settingPath_ = false;
    bool keepShowingCurrent_ = false;
    bool userInput_ = false; // inside a mouse or key event of the user
};

} // namespace kestro
