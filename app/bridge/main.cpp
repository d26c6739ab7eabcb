// SPDX-License-Identifier: MIT
// quorvane-bridge: the window's poll cycle without a desktop. Wiring only; the
// schedule is BridgeLoop, the settings are the window's own.

#include "app/apppaths.h"
#include "app/bridge/bridgeloop.h"
#include "app/bridge/bridgeoptions.h"
#include "app/bridge/bridgesettings.h"
#include "app/bridge/stderrlog.h"
#include "app/bridge/stopsignals.h"
#include "app/singleinstance.h"
#include "bridge/commonfolder.h"
#include "poll/logtimestamp.h"
#include "feed/helloworld.h"
#include "history/historyexport.h"

#include <QCoreApplication>
#include <QDateTime>

#include <systemd/sd-daemon.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <exception>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace {

const quorvane::StderrLog* g_log = nullptr;

// Qt's own warnings go out as the bridge's lines do, with their priority.
void qtMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    const quorvane::Priority priority = type == QtInfoMsg || type == QtDebugMsg ? quorvane::Priority::Info
                                      : type == QtWarningMsg                    ? quorvane::Priority::Warning
                                                                                : quorvane::Priority::Error;
    g_log->write(priority, text.toStdString());
}

// The window's lock: one of the two runs at a time.
constexpr const char* kMutexName = "Quorvane_2";
constexpr const char* kProgram = "quorvane-bridge";

// The history as CSV, beside a running window or bridge: no lock, no writes.
int exportHistory(const quorvane::BridgeOptions& options, const quorvane::BridgeSettings& settings,
                  const quorvane::StderrLog& log)
{
    using namespace quorvane;
    // Nothing here watches the stop signals, and nothing needs finishing: a
    // stop request ends the export at once, also while it waits on its reader.
    unblockStopSignals();
    std::optional<std::int64_t> since;
    try {
        if (options.since)
            since = parseSinceDate(*options.since);
    } catch (const std::exception& e) {
        log.write(Priority::Error, e.what());
        return kBridgeExitUsage;
    }
    try {
        exportHistoryCsv(settings.where.locations.historyFile, options.symbol, since, std::cout);
        std::cout.flush();
    } catch (const std::exception& e) {
        log.write(Priority::Error, e.what());
        return kBridgeExitFailed;
    }
    return std::cout ? kBridgeExitOk : kBridgeExitFailed;
}

int run(int argc, char** argv, const quorvane::StderrLog& log)
{
    using namespace quorvane;
    const BridgeOptions options = parseBridgeOptions(argc, argv);
    if (!options.error.empty()) {
        log.write(Priority::Error, options.error + " (see quorvane-bridge --help)");
        return kBridgeExitUsage;
    }
    // The lock first, then the settings: a window that is closing writes them
    // while it still holds the lock, and read before it they would be its old
    // ones (a terminal folder it has since left, say). --help and the export
    // only read, beside whoever runs.
    const bool polls = !options.help && !options.exportHistory;
    std::unique_ptr<NamedMutex> mutex;
    if (polls) {
        // A standard error nobody reads any more (Ctrl-C on "quorvane-bridge | tee"
        // ends tee at once) must not kill the bridge at its next line, before it
        // has removed EURUSD's file; the lost line is simply dropped.
        std::signal(SIGPIPE, SIG_IGN);
        mutex = makeNamedMutex(kProgram);
        if (mutex->OpenExisting(kMutexName) || !mutex->Create(kMutexName)) {
            const LockHolder holder = mutex->Holder(kMutexName).value_or(LockHolder());
            log.write(Priority::Error, describeHolder(holder)
                                           + " already runs for this user; the window and the bridge never run at once");
            return kBridgeExitFailed;
        }
    }
    // The window beside this program decides where the settings file lies.
    const std::string windowExe = executableFolder(executablePath()) + "quorvane";
    const BridgeSettings settings = readBridgeSettings(windowExe, userFoldersFromEnvironment());
    if (options.help) {
        std::printf("%s\nFiles in use for this user:\n%s", bridgeUsage().c_str(), describeBridgeFiles(settings).c_str());
        return kBridgeExitOk;
    }
    if (options.exportHistory)
        return exportHistory(options, settings, log);
    if (const std::string refused = checkBridgeSettings(settings); !refused.empty()) {
        log.write(Priority::Error, refused);
        return kBridgeExitUsage;
    }

    if (std::string error = settings.where.error.empty() ? createLocationFolders(settings.where.locations)
                                                         : settings.where.error;
        !error.empty())
        log.write(Priority::Warning, error + " Failed polls may not be logged.");

    QCoreApplication app(argc, argv);
    StopSignals stopSignals;
    BridgeLoopSetup setup;
    setup.service = [url = settings.serviceUrl] { return GetSignalService(false, url); };
    setup.errorLogFolder = settings.where.locations.errorLogFolder;
    setup.timestamp = [] { return logTimestamp(QDateTime::currentDateTime()); };
    TargetsToServe served = targetsToServe(settings.targets, settings.commonFiles);
    std::string where;
    for (const TerminalTarget& target : served.targets)
        where += " " + target.signalFolder;
    setup.targets = std::move(served.targets);
    setup.startFailures = std::move(served.refusals);
    setup.historyFile = settings.where.locations.historyFile;
    setup.historyDays = settings.historyDays;
    // Without NOTIFY_SOCKET (not started by systemd) this does nothing.
    setup.notify = [](const std::string& state) { sd_notify(0, state.c_str()); };
    setup.log = log;
    setup.once = options.once;
    BridgeLoop loop(std::move(setup));
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &loop, &BridgeLoop::stop);
    QObject::connect(&loop, &BridgeLoop::finished, &app, &QCoreApplication::exit);
    if (!options.once) {
        log.write(Priority::Info, "Polling " + (settings.serviceUrl.empty() ? "the default endpoint" : settings.serviceUrl)
                                      + " every 15 s; signal files in" + where);
    }
    loop.start();
    const int code = QCoreApplication::exec();
    if (loop.abandonedCall()) {
        // A service call still waits on its own thread, stopped before it could
        // write: end here rather than unwind the objects it uses.
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    // Before any thread exists, so that every thread has them blocked and the
    // main loop alone hears them.
    quorvane::blockStopSignals();
    const quorvane::StderrLog log(kProgram, quorvane::isJournalStream(std::getenv("JOURNAL_STREAM"), STDERR_FILENO));
    g_log = &log;
    qInstallMessageHandler(qtMessage);
    try {
        return run(argc, argv, log);
    } catch (const std::exception& e) {
        log.write(quorvane::Priority::Error, e.what());
        return quorvane::kBridgeExitFailed;
    }
}
