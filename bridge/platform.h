// SPDX-License-Identifier: MIT
#pragma once
// Platform services the bridge needs, each behind a narrow interface so that the
// logic can be tested with stand-ins. Plain C++, no Qt: the Qt implementations
// live in qtplatform.h.

#include <memory>
#include <optional>
#include <string>

namespace quorvane {

/// The desktop's modal folder chooser.
class FolderBrowser {
public:
    virtual ~FolderBrowser() = default;
    /// Shows the chooser with `caption`, preselecting `initialFolder` unless it is empty.
    /// Returns the chosen folder (no trailing separator except "/") or nullopt on cancel.
    virtual std::optional<std::string> Browse(const std::string& caption, const std::string& initialFolder) = 0;
};

/// Hands a file, program, web address or mailto: address to the desktop.
class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    /// Asks the desktop to open `target` with `verb`; the outcome is not reported.
    virtual void Open(const std::string& verb, const std::string& target) = 0;
    /// What this desktop lacks to open `target` (say, Wine for a Windows program),
    /// as a sentence for the user; "" when nothing is known to be missing.
    virtual std::string missingToOpen(const std::string& target) const
    {
        static_cast<void>(target);
        return {};
    }
};

/// Fire-and-forget sound playback.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    /// Starts playback of a named sound and returns at once; a missing sound plays the default sound.
    virtual void PlayAsync(const std::string& name) = 0;
};

/// The few file operations the bridge needs.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    /// True when `path` names an existing folder (following links).
    virtual bool IsDirectory(const std::string& path) = 0;
    /// True when anything exists at `path`.
    virtual bool Exists(const std::string& path) = 0;
    /// Copies the file `from` to `to`, replacing a file there; false on any failure.
    virtual bool CopyReplacing(const std::string& from, const std::string& to) = 0;
    /// Deletes the file at `path`; a failure is not reported.
    virtual void RemoveIgnoringErrors(const std::string& path) = 0;
};

/// The file system of this machine (std::filesystem / POSIX).
std::unique_ptr<FileSystem> makeRealFileSystem();

} // namespace quorvane
