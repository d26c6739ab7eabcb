// SPDX-License-Identifier: MIT
#include "directoryoutline.h"

#include <QLocale>

#include <algorithm>

namespace quorvane {

namespace {

const char* const kIndexNotFound = "Outline index not found";
const char* const kInvalidSelection = "Invalid selection";

template <typename F, typename... Args>
void notify(const F& hook, Args... args)
{
    if (hook)
        hook(args...);
}

} // namespace

DirectoryOutline::DirectoryOutline(DirectorySystem& fileSystem)
    : m_fs(fileSystem)
{
    Item root;
    root.levelRead = true;
    root.expanded = true;
    m_items.push_back(root);
    AssignCaseProc();
}

const DirectoryOutline::Item& DirectoryOutline::at(int item) const
{
    if (!isValidItem(item))
        throw EOutlineError(kIndexNotFound);
    return m_items[static_cast<size_t>(item)];
}

void DirectoryOutline::SetCollapsed(int item)
{
    if (isValidItem(item) && item != kRootItem)
        m_items[static_cast<size_t>(item)].expanded = false;
}

QString DirectoryOutline::FullPath(int item) const
{
    QStringList parts;
    for (int i = item; i > kDriveItem; i = at(i).parent)
        parts.prepend(at(i).text);
    if (item < kDriveItem)
        return QString();
    return at(kDriveItem).text + parts.join(QChar(kSeparator));
}

QString DirectoryOutline::FileSystemPath(int item) const
{
    QStringList parts;
    for (int i = item; i > kDriveItem; i = at(i).parent)
        parts.prepend(at(i).name);
    if (item < kDriveItem)
        return QString();
    return QString(QChar(kSeparator)) + parts.join(QChar(kSeparator));
}

void DirectoryOutline::SetSelectedItem(int item)
{
    if (!isValidItem(item) || item == kRootItem)
        throw EOutlineError(kInvalidSelection);
    m_selected = item;
    notify(m_hooks.selected, item);
}

QString DirectoryOutline::ForceCase(const QString& text) const
{
    return m_caseProc ? m_caseProc(text) : text;
}

void DirectoryOutline::AssignCaseProc()
{
    switch (m_textCase) {
    case TTextCase::tcLowerCase:
        m_caseProc = [](const QString& text) { return QLocale().toLower(text); };
        break;
    case TTextCase::tcUpperCase:
        m_caseProc = [](const QString& text) { return QLocale().toUpper(text); };
        break;
    case TTextCase::tcAsIs:
        m_caseProc = nullptr;
        break;
    }
}

int DirectoryOutline::DriveToInt(QChar letter)
{
    if (letter == QChar(kSeparator))
        return 0;
    return letter.toUpper().unicode() - u'A';
}

QString DirectoryOutline::CurDir()
{
    return m_fs.currentDirectory();
}

void DirectoryOutline::Change()
{
    notify(m_hooks.changed);
}

void DirectoryOutline::clearItems()
{
    notify(m_hooks.aboutToClear);
    m_items.resize(1);
    m_items[0].children.clear();
    m_selected = kRootItem;
    notify(m_hooks.cleared);
}

int DirectoryOutline::newItem(int parent, const QString& name)
{
    Item item;
    item.name = name;
    item.text = ForceCase(name);
    item.key = item.text.toCaseFolded();
    item.parent = parent;
    m_items.push_back(std::move(item));
    return ItemCount() - 1;
}

void DirectoryOutline::insertChild(int parent, int row, int child)
{
    notify(m_hooks.aboutToInsert, parent, row, 1);
    auto& children = m_items[static_cast<size_t>(parent)].children;
    children.insert(children.begin() + row, child);
    for (size_t i = static_cast<size_t>(row); i < children.size(); ++i)
        m_items[static_cast<size_t>(children[i])].row = static_cast<int>(i);
    notify(m_hooks.inserted, parent, row, 1);
}

void DirectoryOutline::BuildTree()
{
    clearItems();
    const int drive = newItem(kRootItem, QString(QChar(kSeparator)));
    insertChild(kRootItem, 0, drive);
    WalkTree(m_fsDirectory.isEmpty() ? m_directory : m_fsDirectory);
    Change();
}

void DirectoryOutline::BuildOneLevel(int item)
{
    const QString path = FileSystemPath(item);
    const auto entries = m_fs.entries(path);
    // Children stay in case-insensitive alphabetical order; a name goes in
    // front of the first child that does not sort before it.
    auto sortsBefore = [this](int child, const QString& key) {
        return QString::localeAwareCompare(m_items[static_cast<size_t>(child)].key, key) < 0;
    };
    if (entries) {
        std::vector<int> fresh;
        for (const DirectoryEntry& entry : *entries)
            if (entry.isDirectory && !entry.name.startsWith(QLatin1Char('.')))
                fresh.push_back(newItem(item, entry.name));
        if (!HasChildren(item)) {
            // A fresh level is sorted aside and handed to the view in one go,
            // so that a level of thousands of directories expands quickly.
            std::vector<int> sorted;
            sorted.reserve(fresh.size());
            for (int child : fresh) {
                const QString& key = m_items[static_cast<size_t>(child)].key;
                sorted.insert(std::lower_bound(sorted.begin(), sorted.end(), key, sortsBefore),
                              child);
            }
            if (!sorted.empty()) {
                const int count = static_cast<int>(sorted.size());
                notify(m_hooks.aboutToInsert, item, 0, count);
                for (int i = 0; i < count; ++i)
                    m_items[static_cast<size_t>(sorted[static_cast<size_t>(i)])].row = i;
                m_items[static_cast<size_t>(item)].children = std::move(sorted);
                notify(m_hooks.inserted, item, 0, count);
            }
        } else {
            for (int child : fresh) {
                const QString& key = m_items[static_cast<size_t>(child)].key;
                const auto& children = m_items[static_cast<size_t>(item)].children;
                const auto pos = std::lower_bound(children.begin(), children.end(), key, sortsBefore);
                insertChild(item, static_cast<int>(pos - children.begin()), child);
            }
        }
    }
    // Also when the directory could not be read: the level counts as read.
    m_items[static_cast<size_t>(item)].levelRead = true;
}

void DirectoryOutline::BuildSubTree(int item)
{
    std::vector<QString> ancestors;
    buildSubTree(item, ancestors);
}

void DirectoryOutline::buildSubTree(int item, std::vector<QString>& ancestors)
{
    // A symbolic link back to a directory above must not recurse forever.
    const QString canonical = m_fs.canonicalPath(FileSystemPath(item));
    if (!canonical.isEmpty()
        && std::find(ancestors.begin(), ancestors.end(), canonical) != ancestors.end())
        return;
    ancestors.push_back(canonical);
    BuildOneLevel(item);
    const std::vector<int> children = Children(item);
    for (int child : children)
        buildSubTree(child, ancestors);
    ancestors.pop_back();
}

void DirectoryOutline::Expand(int item)
{
    if (!isValidItem(item))
        throw EOutlineError(kIndexNotFound);
    if (!LevelRead(item))
        BuildOneLevel(item);
    Item& it = m_items[static_cast<size_t>(item)];
    // OnExpand belongs to items that really open, not to every ancestor that
    // a walk passes through again.
    if (!it.expanded) {
        it.expanded = true;
        notify(m_hooks.expanded, item);
        notify(m_hooks.expanding, item);
    }
}

int DirectoryOutline::GetChildNamed(const QString& name, int item)
{
    Expand(item);
    return childNamedIgnoringCase(name, item);
}

int DirectoryOutline::childNamedIgnoringCase(const QString& name, int item) const
{
    const QLocale locale;
    const QString wanted = locale.toUpper(name);
    for (int child : Children(item))
        if (locale.toUpper(Text(child)) == wanted)
            return child;
    return -1;
}

int DirectoryOutline::walkChild(const QString& name, int item)
{
    Expand(item);
    // The file system tells "Foo" from "foo"; an exact name wins over a
    // match that ignores letter case.
    for (int child : Children(item))
        if (Name(child) == name)
            return child;
    return childNamedIgnoringCase(name, item);
}

void DirectoryOutline::WalkTree(const QString& destination)
{
    int index = kDriveItem;
    const QStringList names = destination.split(QChar(kSeparator), Qt::SkipEmptyParts);
    for (const QString& name : names)
        index = walkChild(name, index);
    SetSelectedItem(index);
}

void DirectoryOutline::SetDirectory(const QString& value)
{
    if (value.isEmpty())
        return;
    const QString full = m_fs.absolutePath(value);
    QString s = ForceCase(full);
    QString real = full;
    if (s.size() > 1 && s.endsWith(QChar(kSeparator))) {
        s.chop(1);
        real.chop(1);
    }
    // Compared as the file system spells it: with forced case "Alpha" and
    // "alpha" look alike but are two directories here.
    if (s == m_directory && real == m_fsDirectory)
        return;
    const QString oldDirectory = m_directory;
    const QString oldFsDirectory = m_fsDirectory;
    const QString oldCurrent = m_fs.currentDirectory();
    m_directory = s;
    m_fsDirectory = real;
    // A failure is not reported: the tree follows the path as given.
    m_fs.setCurrentDirectory(real);
    if (!m_drive.isNull() && s.at(0).toUpper() == m_drive.toUpper()) {
        try {
            WalkTree(real);
        } catch (...) {
            // A path that is not in the tree is refused as a whole: the outline
            // and the process stay in the directory they were in.
            m_directory = oldDirectory;
            m_fsDirectory = oldFsDirectory;
            if (!oldCurrent.isEmpty() && m_fs.currentDirectory() != oldCurrent)
                m_fs.setCurrentDirectory(oldCurrent);
            throw;
        }
        Change();
    } else {
        SetDrive(s.at(0));
    }
}

void DirectoryOutline::SetDrive(QChar letter)
{
    const QChar c = letter.toUpper();
    const bool isLetter = c >= QLatin1Char('A') && c <= QLatin1Char('Z');
    if (!isLetter && c != QChar(kSeparator))
        return;
    // Every drive letter names the one root of this platform.
    if (m_drive == QChar(kSeparator))
        return;
    m_drive = QChar(kSeparator);
    const QString dir = CurDir();
    m_fsDirectory = dir;
    m_directory = ForceCase(dir);
    if (!m_loading)
        BuildTree();
}

void DirectoryOutline::SetTextCase(TTextCase value)
{
    if (value == m_textCase)
        return;
    m_textCase = value;
    AssignCaseProc();
    if (value == TTextCase::tcAsIs) {
        const QString dir = CurDir();
        if (!dir.isEmpty())
            m_drive = dir.at(0);
        m_directory = dir;
        m_fsDirectory = dir;
    }
    if (!m_loading)
        BuildTree();
}

void DirectoryOutline::Click()
{
    if (m_selected >= kDriveItem)
        SetDirectory(FileSystemPath(m_selected));
}

void DirectoryOutline::CreateWnd()
{
    if (!m_drive.isNull())
        return;
    const QString dir = CurDir();
    if (dir.isEmpty())
        return;
    m_drive = dir.at(0);
    m_fsDirectory = dir;
    m_directory = ForceCase(dir);
}

void DirectoryOutline::Loaded()
{
    AssignCaseProc();
    BuildTree();
}

} // namespace quorvane
