// SPDX-License-Identifier: MIT
#pragma once
// What the directory outline needs of the file system and the process:
// listing a directory, the current directory, path expansion. Tests put in
// a stand-in that keeps its own current directory and counts listings.

#include <QString>

#include <optional>
#include <vector>

namespace quorvane {

/// One entry of a directory listing.
struct DirectoryEntry {
    QString name;
    bool isDirectory = false;
};

class DirectorySystem {
public:
    virtual ~DirectorySystem() = default;
    /// The visible entries of a directory (hidden and system entries left out);
    /// nothing when the directory cannot be read.
    virtual std::optional<std::vector<DirectoryEntry>> entries(const QString& path) = 0;
    /// The process's current directory; empty when it cannot be told.
    virtual QString currentDirectory() = 0;
    /// Makes a directory the process's current one; false when that failed.
    virtual bool setCurrentDirectory(const QString& path) = 0;
    /// The full, cleaned path of `path`, relative paths taken from the current directory.
    virtual QString absolutePath(const QString& path) = 0;
    /// The path with every symbolic link resolved; empty when it does not exist.
    virtual QString canonicalPath(const QString& path) = 0;
};

/// The real file system and the real process.
class RealDirectorySystem : public DirectorySystem {
public:
    std::optional<std::vector<DirectoryEntry>> entries(const QString& path) override;
    QString currentDirectory() override;
    bool setCurrentDirectory(const QString& path) override;
    QString absolutePath(const QString& path) override;
    QString canonicalPath(const QString& path) override;
};

} // namespace quorvane
