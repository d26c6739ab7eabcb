// SPDX-License-Identifier: MIT
#pragma once
// Item model over a DirectoryOutline, so that a tree view shows it. The view
// never reads the file system itself; expanding goes through the outline.

#include <QAbstractItemModel>
#include <QIcon>

namespace quorvane {

class DirectoryOutline;

class OutlineModel : public QAbstractItemModel {
    Q_OBJECT
public:
    /// Mirrors `outline` (not owned); the owner forwards the outline's
    /// structural notifications to the begin/end calls below.
    OutlineModel(DirectoryOutline& outline, QObject* parent = nullptr);

    /// Bracket the outline's clearing of all items.
    void beginClear() { beginResetModel(); }
    void endClear() { endResetModel(); }
    /// Bracket the outline's insertion of `count` children of `item` at `row`.
    void beginInsert(int item, int row, int count)
    {
        beginInsertRows(indexOfItem(item), row, row + count - 1);
    }
    void endInsert() { endInsertRows(); }

    /// The model index of an outline item; invalid for the root.
    QModelIndex indexOfItem(int item) const;
    /// The outline item of a model index; 0 (the root) for an invalid one.
    int itemOf(const QModelIndex& index) const;

    /// Pictures: open folder, closed folder (also the leaf), drive.
    void setPictures(const QIcon& open, const QIcon& closed, const QIcon& drive);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    /// Tells the view that an item's picture changed (opened or closed).
    void pictureChanged(int item);

private:
    DirectoryOutline& m_outline;
    QIcon m_open;
    QIcon m_closed;
    QIcon m_drive;
};

/// The outline's pictures, drawn anew: 14 x 14 open and closed yellow folders
/// and a drive.
QIcon openFolderPicture();
QIcon closedFolderPicture();
QIcon drivePicture();

} // namespace quorvane
