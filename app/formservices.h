// SPDX-License-Identifier: MIT
#pragma once
// Everything the main window needs from outside itself, handed in by the
// program entry (real services) or by a test (stand-ins).

#include "errorreport.h"
#include "filelocations.h"
#include "feed/helloworld.h"
#include "bridge/platform.h"
#include "trayicon/trayshell.h"
#include "windownotifications.h"

#include <QDateTime>

#include <functional>
#include <memory>
#include <string>

namespace quorvane {

class HistorySource;

struct FormServices {
    /// Full path of the running executable; the expert advisor is found
    /// beside it.
    std::string executablePath;
    /// Where the settings file, "log.txt" and "error_log.txt" live; an empty
    /// settingsFile means all three beside executablePath.
    FileLocations locations;
    /// A new signal-service client for one poll.
    std::function<std::shared_ptr<HelloWorldPortType>()> signalService;
    /// Local time for the error-log lines.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    std::unique_ptr<FolderBrowser> folderBrowser;
    std::unique_ptr<ShellOpener> shellOpener;
    std::unique_ptr<SoundPlayer> soundPlayer;
    std::unique_ptr<FileSystem> fileSystem;
    /// The notification area for TrayIcon1; null: the desktop's own.
    std::unique_ptr<TrayShell> trayShell;
    /// The desktop's notification service; null: no notifications.
    NotifierFactory notifier;
    /// The program's plain message box (single OK button); none by default.
    std::function<void(const std::string&)> showMessage = [](const std::string&) {};
    /// The application-wide error report.
    ErrorReporter reportError = showErrorBox;
    /// The recorded polls the History page shows; not owned, outlives the
    /// window. Null: no history is kept, and the page says so.
    const HistorySource* history = nullptr;
};

} // namespace quorvane
