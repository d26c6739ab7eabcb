// SPDX-License-Identifier: MIT
#include "cdirectoryoutline.h"

#include "outlinemodel.h"

#include <QHeaderView>
#include <QScopedValueRollback>

namespace quorvane {

namespace {

std::unique_ptr<DirectorySystem> orReal(std::unique_ptr<DirectorySystem> fs)
{
    return fs ? std::move(fs) : std::make_unique<RealDirectorySystem>();
}

} // namespace

TCDirectoryOutline::TCDirectoryOutline(QWidget* parent, std::unique_ptr<DirectorySystem> fileSystem)
    : QTreeView(parent)
    , m_fs(orReal(std::move(fileSystem)))
    , m_outline(*m_fs)
{
    m_model = new OutlineModel(m_outline, this);
    m_model->setPictures(openFolderPicture(), closedFolderPicture(), drivePicture());
    setModel(m_model);
    setHeaderHidden(true);
    // All rows share one height, which keeps levels of thousands of items fast.
    setUniformRowHeights(true);
    setIconSize(QSize(14, 14));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTreeView::expanded, this, &TCDirectoryOutline::onViewExpanded);
    connect(this, &QTreeView::collapsed, this, &TCDirectoryOutline::onViewCollapsed);
    installHooks();

    m_outline.CreateWnd();
    try {
        m_outline.Loaded();
    } catch (const EOutlineError&) {
        // The tree stands; only the walk to the current directory failed.
        if (m_outline.ItemCount() > DirectoryOutline::kDriveItem)
            m_outline.SetSelectedItem(DirectoryOutline::kDriveItem);
    }
}

TCDirectoryOutline::~TCDirectoryOutline()
{
    // The model outlives nothing it points to: drop the hooks first.
    m_outline.setHooks({});
}

void TCDirectoryOutline::installHooks()
{
    DirectoryOutline::Hooks hooks;
    hooks.aboutToClear = [this] { m_model->beginClear(); };
    hooks.cleared = [this] { m_model->endClear(); };
    hooks.aboutToInsert = [this](int item, int row, int count) {
        m_model->beginInsert(item, row, count);
    };
    hooks.inserted = [this](int, int, int) { m_model->endInsert(); };
    hooks.expanded = [this](int item) {
        const QScopedValueRollback<bool> guard(m_syncing, true);
        expand(m_model->indexOfItem(item));
        m_model->pictureChanged(item);
    };
    hooks.selected = [this](int item) {
        const QScopedValueRollback<bool> guard(m_syncing, true);
        const QModelIndex index = m_model->indexOfItem(item);
        setCurrentIndex(index);
        scrollTo(index);
    };
    hooks.expanding = [this](int item) { emit OnExpand(item); };
    hooks.changed = [this] { emit OnChange(this); };
    m_outline.setHooks(std::move(hooks));
}

void TCDirectoryOutline::SetDirectory(const QString& path)
{
    m_outline.SetDirectory(path);
}

void TCDirectoryOutline::SetDrive(QChar letter)
{
    m_outline.SetDrive(letter);
}

void TCDirectoryOutline::SetTextCase(TTextCase value)
{
    m_outline.SetTextCase(value);
}

void TCDirectoryOutline::BuildTree()
{
    m_outline.BuildTree();
}

void TCDirectoryOutline::BuildOneLevel(int item)
{
    m_outline.BuildOneLevel(item);
}

void TCDirectoryOutline::BuildSubTree(int item)
{
    m_outline.BuildSubTree(item);
}

void TCDirectoryOutline::WalkTree(const QString& path)
{
    m_outline.WalkTree(path);
}

int TCDirectoryOutline::GetChildNamed(const QString& name, int item)
{
    return m_outline.GetChildNamed(name, item);
}

void TCDirectoryOutline::Expand(int item)
{
    m_outline.Expand(item);
}

void TCDirectoryOutline::Click()
{
    m_outline.Click();
}

QSize TCDirectoryOutline::sizeHint() const
{
    return QSize(240, 300);
}

void TCDirectoryOutline::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTreeView::currentChanged(current, previous);
    if (m_syncing || !current.isValid())
        return;
    // Errors stay on this side of the event loop and are reported instead.
    try {
        m_outline.SetSelectedItem(m_model->itemOf(current));
        m_outline.Click();
    } catch (const std::exception& error) {
        emit failed(QString::fromLocal8Bit(error.what()));
    }
}

void TCDirectoryOutline::onViewExpanded(const QModelIndex& index)
{
    if (m_syncing)
        return;
    const int item = m_model->itemOf(index);
    try {
        if (!m_outline.IsExpanded(item))
            m_outline.Expand(item);
        if (!m_outline.HasChildren(item)) {
            // The level turned out empty: fold it so the view drops its expander.
            const QScopedValueRollback<bool> guard(m_syncing, true);
            collapse(index);
        }
    } catch (const std::exception& error) {
        emit failed(QString::fromLocal8Bit(error.what()));
    }
}

void TCDirectoryOutline::onViewCollapsed(const QModelIndex& index)
{
    const int item = m_model->itemOf(index);
    m_outline.SetCollapsed(item);
    m_model->pictureChanged(item);
}

void TCDirectoryOutline::setDirectory(const QString& path)
{
    writeProperty(m_report, this, &TCDirectoryOutline::SetDirectory, path);
}

void TCDirectoryOutline::setDrive(QChar letter)
{
    writeProperty(m_report, this, &TCDirectoryOutline::SetDrive, letter);
}

void TCDirectoryOutline::setTextCase(TTextCase value)
{
    writeProperty(m_report, this, &TCDirectoryOutline::SetTextCase, value);
}

} // namespace quorvane
