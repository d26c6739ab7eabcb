#pragma once
// The real file system with a current directory of its own (tests never move
// the process) that counts listings and can pretend directories are unreadable.

#include "directorysystem.h"

#include <QDir>
#include <QMap>
#include <QSet>

namespace quorvane::test {

class TestDirectorySystem : public RealDirectorySystem {
public:
    explicit TestDirectorySystem(QString cwd) : m_cwd(std::move(cwd)) {}

    std::optional<std::vector<DirectoryEntry>> entries(const QString& path) override
    {
        ++listings[path];
        if (unreadable.contains(path))
            return std::nullopt;
        return RealDirectorySystem::entries(path);
    }
    QString currentDirectory() override { return m_cwd; }
    bool setCurrentDirectory(const QString& path) override
    {
        if (!QDir(path).exists())
            return false;
        m_cwd = path;
        return true;
    }
    QString absolutePath(const QString& path) override
    {
        return QDir::cleanPath(QDir(m_cwd).absoluteFilePath(path));
    }

    QMap<QString, int> listings;
    QSet<QString> unreadable;

private:
    QString m_cwd;
};

} // namespace quorvane::test
