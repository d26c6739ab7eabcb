// SPDX-License-Identifier: MIT
#include "directorysystem.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace quorvane {

std::optional<std::vector<DirectoryEntry>> RealDirectorySystem::entries(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isDir() || !info.isReadable())
        return std::nullopt;
    std::vector<DirectoryEntry> result;
    // Without QDir::Hidden and QDir::System, dot entries, broken links and
    // special files stay out, as hidden and system entries should.
    QDirIterator it(path, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo entry = it.fileInfo();
        result.push_back(DirectoryEntry{entry.fileName(), entry.isDir()});
    }
    return result;
}

QString RealDirectorySystem::currentDirectory()
{
    return QDir::currentPath();
}

bool RealDirectorySystem::setCurrentDirectory(const QString& path)
{
    return QDir::setCurrent(path);
}

QString RealDirectorySystem::absolutePath(const QString& path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

QString RealDirectorySystem::canonicalPath(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

} // namespace quorvane
