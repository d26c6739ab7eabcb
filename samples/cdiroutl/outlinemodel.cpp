// SPDX-License-Identifier: MIT
#include "outlinemodel.h"

#include "directoryoutline.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quorvane {

OutlineModel::OutlineModel(DirectoryOutline& outline, QObject* parent)
    : QAbstractItemModel(parent)
    , m_outline(outline)
{
}

void OutlineModel::setPictures(const QIcon& open, const QIcon& closed, const QIcon& drive)
{
    m_open = open;
    m_closed = closed;
    m_drive = drive;
}

QModelIndex OutlineModel::indexOfItem(int item) const
{
    if (item <= DirectoryOutline::kRootItem || !m_outline.isValidItem(item))
        return {};
    return createIndex(m_outline.RowOf(item), 0, static_cast<quintptr>(item));
}

int OutlineModel::itemOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<int>(index.internalId()) : DirectoryOutline::kRootItem;
}

QModelIndex OutlineModel::index(int row, int column, const QModelIndex& parent) const
{
    const int item = itemOf(parent);
    if (column != 0 || !m_outline.isValidItem(item))
        return {};
    const auto& children = m_outline.Children(item);
    if (row < 0 || row >= static_cast<int>(children.size()))
        return {};
    return createIndex(row, 0, static_cast<quintptr>(children[static_cast<size_t>(row)]));
}

QModelIndex OutlineModel::parent(const QModelIndex& child) const
{
    const int item = itemOf(child);
    if (item <= DirectoryOutline::kRootItem || !m_outline.isValidItem(item))
        return {};
    return indexOfItem(m_outline.Parent(item));
}

int OutlineModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const int item = itemOf(parent);
    return m_outline.isValidItem(item) ? static_cast<int>(m_outline.Children(item).size()) : 0;
}

int OutlineModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool OutlineModel::hasChildren(const QModelIndex& parent) const
{
    const int item = itemOf(parent);
    if (!m_outline.isValidItem(item))
        return false;
    // A level not read yet may hold directories: offer to expand it.
    return !m_outline.LevelRead(item) || m_outline.HasChildren(item);
}

QVariant OutlineModel::data(const QModelIndex& index, int role) const
{
    const int item = itemOf(index);
    if (item <= DirectoryOutline::kRootItem || !m_outline.isValidItem(item))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_outline.Text(item);
    case Qt::ToolTipRole:
        return m_outline.FileSystemPath(item);
    case Qt::DecorationRole:
        if (item == DirectoryOutline::kDriveItem)
            return m_drive;
        return m_outline.IsExpanded(item) && m_outline.HasChildren(item) ? m_open : m_closed;
    default:
        return {};
    }
}

void OutlineModel::pictureChanged(int item)
{
    const QModelIndex index = indexOfItem(item);
    if (index.isValid())
        emit dataChanged(index, index, {Qt::DecorationRole});
}

namespace {

QPixmap blankPicture()
{
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

const QColor kFolderYellow(255, 255, 0);
const QColor kFolderShade(128, 128, 0);

} // namespace

QIcon closedFolderPicture()
{
    QPixmap pixmap = blankPicture();
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(kFolderYellow);
    painter.drawRect(1, 3, 11, 8);
    painter.drawLine(2, 2, 5, 2);
    painter.setPen(kFolderShade);
    painter.drawLine(2, 10, 11, 10);
    return QIcon(pixmap);
}

QIcon openFolderPicture()
{
    QPixmap pixmap = blankPicture();
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(kFolderShade);
    painter.drawRect(1, 3, 10, 8);
    painter.drawLine(2, 2, 5, 2);
    QPainterPath front;
    front.moveTo(1, 11);
    front.lineTo(4, 6);
    front.lineTo(13, 6);
    front.lineTo(11, 11);
    front.closeSubpath();
    painter.setBrush(kFolderYellow);
    painter.drawPath(front);
    return QIcon(pixmap);
}

QIcon drivePicture()
{
    QPixmap pixmap = blankPicture();
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(192, 192, 192));
    painter.drawRect(0, 5, 13, 6);
    painter.setPen(QColor(0, 128, 0));
    painter.drawPoint(10, 8);
    painter.drawPoint(11, 8);
    return QIcon(pixmap);
}

} // namespace quorvane
