// SPDX-License-Identifier: MIT
#pragma once
// TCDirectoryOutline: the directory tree of the file system as an outline.
// The drive item stands for the root "/"; each level is read when its item
// is first expanded; clicking an item makes its directory the current one.

#include "directoryoutline.h"
#include "directorysystem.h"
#include "samples/common/propertywrite.h"

#include <QTreeView>

#include <memory>

namespace quorvane {

class OutlineModel;

class TCDirectoryOutline : public QTreeView {
    Q_OBJECT
    /// The current directory, case-forced; setting it walks the tree down to it.
    Q_PROPERTY(QString Directory READ Directory WRITE setDirectory STORED false)
    /// The drive ("/" here, the one root); any letter names it.
    Q_PROPERTY(QChar Drive READ Drive WRITE setDrive STORED false)
    /// How names are shown and compared.
    Q_PROPERTY(quorvane::cdiroutl::TTextCase TextCase READ TextCase WRITE setTextCase)
public:
    /// Builds the tree down to the current directory of `fileSystem` (the real
    /// one when none is given). A current directory that cannot be walked
    /// (inside a hidden directory, say) leaves the drive item selected.
    explicit TCDirectoryOutline(QWidget* parent = nullptr,
                                std::unique_ptr<DirectorySystem> fileSystem = {});
    ~TCDirectoryOutline() override;

    /// The tree behind the view: items, texts, levels, selection.
    const DirectoryOutline& Outline() const { return m_outline; }

    /// The current directory, case-forced.
    QString Directory() const { return m_outline.Directory(); }
    /// Makes a directory current (for the outline and the process) and selects
    /// it. Throws EOutlineError when a name on the path is not in the tree; the
    /// directory, the process's included, then stays as it was.
    void SetDirectory(const QString& path);
    /// The drive: "/" once set.
    QChar Drive() const { return m_outline.Drive(); }
    /// Any letter A to Z (or "/") names the one root here; other characters are ignored.
    void SetDrive(QChar letter);
    /// How names are shown (default lower case).
    TTextCase TextCase() const { return m_outline.TextCase(); }
    /// Changes the case rule and rebuilds the tree.
    void SetTextCase(TTextCase value);

    /// Qt-style setters (set + the property name, as uic calls them) behind the
    /// properties: the Set operations, but a refused value is reported, not thrown.
    void setDirectory(const QString& path);
    void setDrive(QChar letter);
    void setTextCase(TTextCase value);
    /// Where a value refused through the property system goes (a message box by default).
    Q_INVOKABLE void setErrorReport(const quorvane::HandlerErrorReport& report) { m_report = report; }

    /// Clears and rebuilds from the drive item down to the directory; fires OnChange.
    void BuildTree();
    /// Reads one item's subdirectories (again, if read before: they then appear twice).
    void BuildOneLevel(int item);
    /// Reads an item's level and those of all its children; never follows a link loop.
    void BuildSubTree(int item);
    /// Expands along a path and selects its last directory.
    void WalkTree(const QString& path);
    /// A child of `item` named `name` (letter case ignored), or -1.
    int GetChildNamed(const QString& name, int item);
    /// The name as the case rule shows it.
    QString ForceCase(const QString& text) const { return m_outline.ForceCase(text); }
    /// A drive letter's number: A 0, C 2; the root "/" is 0.
    static int DriveToInt(QChar letter) { return DirectoryOutline::DriveToInt(letter); }
    /// The process's current directory as the file system seam reports it.
    QString CurDir() { return m_outline.CurDir(); }
    /// Expands an item, reading its level the first time.
    void Expand(int item);
    /// The selected item's directory becomes the current one.
    void Click();
    /// The selected outline item.
    int SelectedItem() const { return m_outline.SelectedItem(); }

    QSize sizeHint() const override;

signals:
    /// The tree was rebuilt or the selection moved to a new directory.
    void OnChange(quorvane::TCDirectoryOutline* sender);
    /// An item was expanded.
    void OnExpand(int item);
    /// A user action failed; the message is the outline's error.
    void failed(const QString& message);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void onViewExpanded(const QModelIndex& index);
    void onViewCollapsed(const QModelIndex& index);
    void installHooks();

    std::unique_ptr<DirectorySystem> m_fs;
    DirectoryOutline m_outline;
    OutlineModel* m_model = nullptr;
    /// Set while the outline moves the view, so that the view's reactions do
    /// not call back into the outline.
    bool m_syncing = false;
    HandlerErrorReport m_report = &showHandlerError;
};

} // namespace quorvane
