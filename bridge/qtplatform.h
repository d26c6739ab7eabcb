// SPDX-License-Identifier: MIT
#pragma once
// The real platform services on Qt: folder chooser, desktop opener and sound.

#include "platform.h"

#include <QPointer>

#include <memory>
#include <string>

class QObject;
class QSoundEffect;
class QWidget;

namespace quorvane {

/// QFileDialog::getExistingDirectory with ShowDirsOnly, modal to `parent`.
std::unique_ptr<FolderBrowser> makeQtFolderBrowser(QWidget* parent);

/// QDesktopServices::openUrl (local paths as file URLs, web and mailto: addresses as
/// they are); a path ending in ".exe" goes to `wine` when it is on PATH, and without
/// one missingToOpen says that Wine is missing.
std::unique_ptr<ShellOpener> makeDesktopShellOpener();

/// QSoundEffect playback; QApplication::beep() when the sound is not found.
std::unique_ptr<SoundPlayer> makeQtSoundPlayer(QObject* parent);

/// The sound player behind makeQtSoundPlayer, open for tests: it reports which file
/// each request resolved to.
class QtSoundPlayer : public SoundPlayer {
public:
    /// `programDir` is the second place a bare sound name is looked for (the
    /// executable's folder by default).
    explicit QtSoundPlayer(QObject* parent, std::string programDir = {});
    ~QtSoundPlayer() override;
    QtSoundPlayer(const QtSoundPlayer&) = delete;
    QtSoundPlayer& operator=(const QtSoundPlayer&) = delete;

    void PlayAsync(const std::string& name) override;

    /// The file the last request played, "" when it fell back to the default sound.
    const std::string& lastResolvedPath() const { return m_lastResolved; }

private:
    std::string m_programDir;
    std::string m_lastResolved;
    QPointer<QSoundEffect> m_effect; // parented to the caller's object; freed with us
};

/// Where a sound name without a folder is looked for, as the platform's playback
/// does: the current directory first, then the program folder. Returns the absolute
/// path of the first existing file, or "" when there is none (the default sound
/// plays then). A name with a folder is taken as it is.
std::string resolveSoundFile(const std::string& name, const std::string& currentDir,
                             const std::string& programDir);

} // namespace quorvane
