// SPDX-License-Identifier: MIT
#pragma once
// The directory outline's tree without a window: items by index, lazy levels,
// case-insensitive sorted insertion and walking a path down the tree.
//
// On this platform there are no drive letters: the drive item stands for the
// file-system root "/". Item 0 is the invisible root, item 1 the drive item.
// Item indexes are stable handles: an index stays valid until the tree is
// cleared, however many items are inserted elsewhere.

#include "directorysystem.h"
#include "core/exceptions.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

namespace quorvane {

// A namespace of its own so the enumeration is known to Qt's meta-object
// system (properties, Designer).
namespace cdiroutl {
Q_NAMESPACE
/// How names are shown and compared.
enum class TTextCase { tcLowerCase = 0, tcUpperCase = 1, tcAsIs = 2 };
Q_ENUM_NS(TTextCase)
} // namespace cdiroutl
using cdiroutl::TTextCase;

/// An error of the outline: "Outline index not found", "Invalid selection".
class EOutlineError : public Exception {
public:
    using Exception::Exception;
};

class DirectoryOutline {
public:
    /// Notifications for a view that mirrors the tree; all optional.
    struct Hooks {
        std::function<void()> aboutToClear;
        std::function<void()> cleared;
        std::function<void(int parent, int row, int count)> aboutToInsert;
        std::function<void(int parent, int row, int count)> inserted;
        std::function<void(int item)> expanded;
        std::function<void(int item)> selected;
        std::function<void(int item)> expanding; ///< the outline's OnExpand
        std::function<void()> changed;           ///< OnChange
    };

    /// The separator of full paths and the text of the drive item.
    static constexpr char16_t kSeparator = u'/';
    /// Item indexes of the invisible root and the drive item.
    static constexpr int kRootItem = 0;
    static constexpr int kDriveItem = 1;

    /// The file system is not owned and must outlive the outline.
    explicit DirectoryOutline(DirectorySystem& fileSystem);

    /// Installs the view's notifications.
    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    // Items.
    int ItemCount() const { return static_cast<int>(m_items.size()); }
    bool isValidItem(int item) const { return item >= 0 && item < ItemCount(); }
    QString Text(int item) const { return at(item).text; }
    /// The name the file system reports (the text before case forcing).
    QString Name(int item) const { return at(item).name; }
    int Parent(int item) const { return at(item).parent; }
    const std::vector<int>& Children(int item) const { return at(item).children; }
    /// Position of an item among its parent's children.
    int RowOf(int item) const { return at(item).row; }
    bool HasChildren(int item) const { return !at(item).children.empty(); }
    /// Whether the item's level was read (the level marker is its data).
    bool LevelRead(int item) const { return at(item).levelRead; }
    bool IsExpanded(int item) const { return at(item).expanded; }
    /// Records a collapse made by the user.
    void SetCollapsed(int item);
    /// Texts from the drive item down to the item, joined by "/".
    QString FullPath(int item) const;
    /// The same path built from the names the file system reports.
    QString FileSystemPath(int item) const;
    /// The selected item, 0 when none.
    int SelectedItem() const { return m_selected; }
    /// Selects an item; throws "Invalid selection" for an item that does not exist.
    void SetSelectedItem(int item);

    // Properties.
    /// The drive: 0 while unset, "/" for the root.
    QChar Drive() const { return m_drive; }
    /// The current directory, case-forced.
    QString Directory() const { return m_directory; }
    TTextCase TextCase() const { return m_textCase; }
    /// Whether the outline is being set up (SetDrive and SetTextCase do not build then).
    void setLoading(bool loading) { m_loading = loading; }

    // Operations.
    void SetDirectory(const QString& value);
    void SetDrive(QChar letter);
    void SetTextCase(TTextCase value);
    void BuildTree();
    void BuildOneLevel(int item);
    void BuildSubTree(int item);
    void WalkTree(const QString& destination);
    int GetChildNamed(const QString& name, int item);
    QString ForceCase(const QString& text) const;
    void AssignCaseProc();
    /// Letter arithmetic kept from drive-letter systems: A 0, C 2; the root "/" is drive 0.
    static int DriveToInt(QChar letter);
    QString CurDir();
    void Change();
    /// Expands an item, reading its level when not yet read; then OnExpand,
    /// which fires only when the item was not expanded already.
    void Expand(int item);
    /// The outline was clicked: the selected item's directory becomes current.
    void Click();
    /// Takes drive and directory from the current directory when no drive is set.
    void CreateWnd();
    /// Chooses the case function and builds the tree.
    void Loaded();

private:
    struct Item {
        QString text;
        QString name;
        QString key; ///< case-folded text, the sort key
        int parent = -1;
        int row = 0;
        bool levelRead = false;
        bool expanded = false;
        std::vector<int> children;
    };

    const Item& at(int item) const;
    void clearItems();
    int newItem(int parent, const QString& name);
    void insertChild(int parent, int row, int child);
    int childNamedIgnoringCase(const QString& name, int item) const;
    int walkChild(const QString& name, int item);
    void buildSubTree(int item, std::vector<QString>& ancestors);

    DirectorySystem& m_fs;
    Hooks m_hooks;
    std::vector<Item> m_items;
    QChar m_drive;
    QString m_directory;
    QString m_fsDirectory; ///< the current directory as the file system spells it
    TTextCase m_textCase = TTextCase::tcLowerCase;
    std::function<QString(const QString&)> m_caseProc;
    int m_selected = 0;
    bool m_loading = false;
};

} // namespace quorvane
