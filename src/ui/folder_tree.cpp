#include "ui/folder_tree.h"

#include "platform/paths.h"
#include "settings/persisted_settings.h"
#include "ui/folder_model.h"

#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace kestro {

QString pathText(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string pathBytes(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

FolderTree::FolderTree(QWidget* parent) : QTreeView(parent), model_(new FolderModel(this)) {
    setModel(model_);
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
    // Opening a folder reads it afresh, so that folders made since show.
    connect(this, &QTreeView::expanded, model_, &FolderModel::refresh);
    // The parents of a folder set by code are read in the background; show
    // the folder again as rows arrive, until the user moves in the list.
    connect(model_, &FolderModel::folderRead, this, [this] {
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
    // A folder can go at any time, with nothing to tell the window; the
    // look costs one stat a second.
    auto* watch = new QTimer(this);
    connect(watch, &QTimer::timeout, this, [this] {
        if (isEnabled())
            (void)followRemoval();
    });
    watch->start(1000);
}

std::string FolderTree::pathAt(const QModelIndex& index) const {
    return model_->path(index);
}

std::optional<std::string> FolderTree::followRemoval() {
    if (path_.empty())
        return std::nullopt;
    // Only a folder that is not there (or whose device is gone) is
    // followed; one that cannot be examined stays, for the list to report.
    const Status there = checkStoredFolder(path_);
    if (there || (there.failure().number != failure::PathNotFound &&
                  there.failure().number != failure::DeviceUnavailable))
        return std::nullopt;
    const std::string vanished = path_;
    std::string nearest = parentFolder(vanished);
    while (rootLength(nearest) < nearest.size() && !checkStoredFolder(nearest))
        nearest = parentFolder(nearest);
    // The rows of the vanished folders go when their parent is read again.
    const QModelIndex kept = model_->indexFor(nearest);
    model_->refresh(kept);
    if (!setPath(nearest))
        path_ = nearest;
    return vanished;
}

Status FolderTree::setPath(const std::string& folder) {
    std::string clean = folder;
    while (clean.size() > rootLength(clean) && isPathSeparator(clean.back()))
        clean.pop_back();
    if (auto usable = checkStoredFolder(clean); !usable)
        return usable;
    path_ = clean;
    QModelIndex index = model_->indexFor(path_);
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
    // The row may have gone with its folder.
    if (followRemoval())
        return;
    const QModelIndex index = model_->indexFor(path_);
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
    std::string chosen = model_->path(current);
    if (chosen.empty() || chosen == path_)
        return;
    path_ = chosen;
    emit pathChanged();
}

} // namespace kestro
