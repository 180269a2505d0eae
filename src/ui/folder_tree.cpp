#include "ui/folder_tree.h"

#include "settings/persisted_settings.h"

#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>

namespace kestro {

QString pathText(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string pathBytes(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

FolderTree::FolderTree(QWidget* parent) : QTreeView(parent), model_(new QFileSystemModel(this)) {
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    model_->setReadOnly(true);
    model_->setRootPath(QStringLiteral("/"));
    setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column)
        hideColumn(column);
    setHeaderHidden(true);
    // Deep folders keep their names readable: small steps, and a scroll bar
    // instead of cut names.
    setIndentation(fontMetrics().averageCharWidth() * 2);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    sortByColumn(0, Qt::AscendingOrder);
    // The parents of a folder set by code are read and sorted in the
    // background; show the folder again as rows arrive, until the user
    // moves in the list.
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this] {
        if (keepShowingCurrent_)
            showCurrent();
    });
    connect(model_, &QAbstractItemModel::layoutChanged, this, [this] {
        if (keepShowingCurrent_)
            showCurrent();
    });
    // Rows replaced while folders are read can take the current row with
    // them; the current folder's row is chosen again once the model settles.
    for (auto signal : {&QAbstractItemModel::rowsRemoved, &QAbstractItemModel::rowsInserted}) {
        connect(model_, signal, this, [this] {
            QMetaObject::invokeMethod(this, &FolderTree::chooseCurrentRowAgain,
                                      Qt::QueuedConnection);
        });
    }
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        QMetaObject::invokeMethod(this, &FolderTree::chooseCurrentRowAgain, Qt::QueuedConnection);
    });
}

Status FolderTree::setPath(const std::string& folder) {
    std::string clean = folder;
    while (clean.size() > 1 && clean.back() == '/')
        clean.pop_back();
    if (auto usable = checkStoredFolder(clean); !usable)
        return usable;
    path_ = clean;
    QModelIndex index = model_->index(pathText(path_));
    settingPath_ = true;
    setCurrentIndex(index);
    settingPath_ = false;
    // Only the way down to the folder stays open.
    collapseAll();
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        expand(parent);
    keepShowingCurrent_ = true;
    showCurrent();
    emit pathChanged();
    return Ok{};
}

void FolderTree::chooseCurrentRowAgain() {
    const QModelIndex index = model_->index(pathText(path_));
    if (!index.isValid() || index == currentIndex())
        return;
    settingPath_ = true;
    setCurrentIndex(index);
    settingPath_ = false;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        expand(parent);
}

void FolderTree::showCurrent() {
    chooseCurrentRowAgain();
    QModelIndex index = currentIndex();
    if (!index.isValid())
        return;
    scrollTo(index, QAbstractItemView::PositionAtCenter);
    // Scrolled sideways, keep the current folder's name readable from its
    // start, one step of its parent's indentation still in view.
    const int rowStart = visualRect(index).left() + horizontalOffset();
    const int nameWidth = fontMetrics().horizontalAdvance(index.data().toString());
    const bool fitsFromLeft = rowStart + nameWidth + indentation() <= viewport()->width();
    horizontalScrollBar()->setValue(fitsFromLeft ? 0 : std::max(0, rowStart - indentation()));
}

void FolderTree::mousePressEvent(QMouseEvent* event) {
    keepShowingCurrent_ = false;
    userInput_ = true;
    QTreeView::mousePressEvent(event);
    userInput_ = false;
}

void FolderTree::mouseMoveEvent(QMouseEvent* event) {
    userInput_ = true;
    QTreeView::mouseMoveEvent(event);
    userInput_ = false;
}

void FolderTree::wheelEvent(QWheelEvent* event) {
    keepShowingCurrent_ = false;
    QTreeView::wheelEvent(event);
}

void FolderTree::keyPressEvent(QKeyEvent* event) {
    keepShowingCurrent_ = false;
    userInput_ = true;
    QTreeView::keyPressEvent(event);
    userInput_ = false;
}

void FolderTree::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    if (settingPath_)
        return;
    if (!userInput_) {
        // Not the user's choice: the model moved the row (rows were added or
        // removed around it). The current folder stays where it was.
        QMetaObject::invokeMethod(this, &FolderTree::chooseCurrentRowAgain, Qt::QueuedConnection);
        return;
    }
    if (!current.isValid())
        return;
    std::string chosen = pathBytes(model_->filePath(current));
    if (chosen.empty() || chosen == path_)
        return;
    path_ = chosen;
    emit pathChanged();
}

} // namespace kestro
