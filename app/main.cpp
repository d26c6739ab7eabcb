// SPDX-License-Identifier: MIT
// Program entry: single-instance check, the main window, the message loop.
// Wiring only; the behaviour lives in TForm1 and the libraries.

#include "apppaths.h"
#include "apptitle.h"
#include "errorreport.h"
#include "filelocations.h"
#include "feed/helloworld.h"
#include "inifile.h"
#include "notify/dbusnotifier.h"
#include "bridge/platform.h"
#include "bridge/qtplatform.h"
#include "settingstable.h"
#include "singleinstance.h"
#include "terminationwatch.h"
#include "tform1.h"

#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr const char* kMutexName = "Quorvane_2";
constexpr const char* kBridgeProgram = "quorvane-bridge";

void showPlainMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), QString::fromLocal8Bit(text),
                    QMessageBox::Ok);
    box.exec();
}

} // namespace

int main(int argc, char** argv)
{
    using namespace quorvane;
    const std::string exe = executablePath();
    const std::unique_ptr<NamedMutex> mutex = makeNamedMutex();
    nameApplication(exe);

    // The headless bridge shares the lock: the window and it never poll at
    // once. Two windows started in the same instant may both run; a window
    // that loses that instant to the bridge does not.
    bool secondCopy = mutex->OpenExisting(kMutexName);
    if (!secondCopy && !mutex->Create(kMutexName)) {
        const std::optional<LockHolder> holder = mutex->Holder(kMutexName);
        secondCopy = holder && holder->program == kBridgeProgram;
    }
    if (secondCopy) {
        const std::optional<LockHolder> holder = mutex->Holder(kMutexName);
        if (holder && holder->program == kBridgeProgram)
            std::fprintf(stderr,
                         "quorvane: %s holds the lock and writes the signal files; stop it before opening "
                         "the window (systemctl --user stop quorvane-bridge)\n",
                         describeHolder(*holder).c_str());
        QApplication app(argc, argv);
        // A termination request closes the box: the same end as dismissing it.
        TerminationWatch watch;
        if (!watch.requested())
            showPlainMessage("The application is already running!");
        return 0;
    }

    QuorvaneApplication app(argc, argv, showErrorBox);
    // The icon of the menu entry; the tray keeps showing the lamp pictures.
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    // Wayland compositors find the menu entry, and with it the icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.quorvane.Quorvane"));
    // The window may sit in the tray while message boxes come and go; only
    // closing the window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    // Watching from before the window is made: a request during the first poll
    // or behind a start-up message box ends through FormDestroy like any other.
    TerminationWatch watch;
    // Once the end is requested no new box may hold it up; the message goes to
    // the standard error stream instead.
    const ErrorReporter report = [&watch](const std::string& message) {
        if (watch.requested())
            std::fprintf(stderr, "%s\n", message.c_str());
        else
            showErrorBox(message);
    };

    std::unique_ptr<TForm1> form;
    runGuarded(report, [&] {
        // An installed program cannot write its own folder: the files then live
        // in per-user folders. When even those fail the program still runs;
        // the user is told that changes will not be kept.
        LocationChoice where = chooseFileLocations(exe, userFoldersFromEnvironment());
        if (where.error.empty())
            where.error = createLocationFolders(where.locations);
        if (!where.error.empty()) {
            const std::string message = where.error + " Settings and logs may not be saved.";
            std::fprintf(stderr, "quorvane: %s\n", message.c_str());
            report(message);
        }
        // Beyond the described settings: [Service] Url picks the endpoint; absent
        // or empty means the default one. Read at start, never written.
        const std::string url = readServiceUrl(TIniFile(where.locations.settingsFile));
        FormServices services;
        services.executablePath = exe;
        services.locations = where.locations;
        services.signalService = [url] { return GetSignalService(false, url); };
        services.folderBrowser = makeQtFolderBrowser(nullptr);
        services.shellOpener = makeDesktopShellOpener();
        services.soundPlayer = makeQtSoundPlayer(&app);
        services.fileSystem = makeRealFileSystem();
        services.notifier = makeSessionNotifier;
        services.showMessage = showPlainMessage;
        services.reportError = report;
        form = std::make_unique<TForm1>(std::move(services));
        if (watch.requested())
            return; // asked to end while the window was being made: never shown

        const QMetaObject::Connection closer
            = QObject::connect(&watch, &TerminationWatch::terminationRequested, form.get(), &QWidget::close);
        QObject::connect(&app, &QGuiApplication::commitDataRequest, form.get(), &QWidget::close);
        QObject::connect(form.get(), &TForm1::closed, &app, &QCoreApplication::quit);
        form->show();
        QApplication::exec();
        QObject::disconnect(closer);
    });
    form.reset(); // FormDestroy runs here, after the window was hidden
    // Only now: FormDestroy still writes the settings and removes EURUSD's
    // files, and a bridge that took the lock earlier would read half-written
    // settings and lose its fresh EURUSD file to this window.
    mutex->Release();
    return 0;
}
