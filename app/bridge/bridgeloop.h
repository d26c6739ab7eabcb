// SPDX-License-Identifier: MIT
#pragma once
// The headless bridge's schedule: the window's poll cycle now and then every
// 15 s, its outcome reported to systemd and on the standard error stream, and
// the end on request. A poll runs on a thread of its own, so a request to end
// is heard while the service call waits: a call still waiting is abandoned
// (it has written nothing yet), a write under way is finished first.

#include "app/bridge/stderrlog.h"
#include "history/historystore.h"
#include "poll/pollcycle.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QTimer;

namespace quorvane {

class PollGate;

struct BridgeLoopSetup {
    PollCycle::ServiceFactory service;
    std::string errorLogFolder;                 ///< ends with '/'
    std::function<std::string()> timestamp;     ///< the error log's date and time
    std::vector<TerminalTarget> targets;
    /// Error-log lines of the start (refused shared folders), written once.
    std::vector<std::string> startFailures;
    std::string historyFile;                    ///< history.sqlite; empty: none
    int historyDays = 30;
    /// Hands a state text ("READY=1", "STATUS=...") to the service manager.
    std::function<void(const std::string&)> notify;
    StderrLog log{"quorvane-bridge", false};
    std::chrono::milliseconds interval{15000};
    bool once = false;                          ///< one poll, then finish (--once)
};

class BridgeLoop : public QObject {
    Q_OBJECT
public:
    explicit BridgeLoop(BridgeLoopSetup setup, QObject* parent = nullptr);
    ~BridgeLoop() override;

    /// Runs the first poll; later ones follow on the interval.
    void start();
    /// Ends the run: finishes a write under way, removes EURUSD's signal file in
    /// every target (not after --once), tells the service manager, then emits
    /// finished(0); with --once finished(1), as the poll may not have ended.
    /// Further requests are ignored.
    void stop(int signalNumber);
    /// A service call was left waiting at the end: its thread still runs, so the
    /// process must end without unwinding (std::_Exit).
    bool abandonedCall() const { return m_abandoned; }

signals:
    /// The run is over; `exitCode` is the process's.
    void finished(int exitCode);

private:
    void launchPoll();
    void pollDone(const PollOutcome& outcome, const std::string& logError);
    void finish(int exitCode);

    BridgeLoopSetup m_setup;
    std::shared_ptr<PollGate> m_gate;
    PollCycle m_cycle;
    std::unique_ptr<HistoryStore> m_history; // records on the poll thread, one poll at a time
    QTimer* m_timer = nullptr;
    std::thread m_worker;
    bool m_firstPoll = true;
    bool m_stopping = false;
    bool m_finished = false;
    bool m_abandoned = false;
    PollStatus m_lastStatus = PollStatus::Connected;
};

/// The state text after a poll: "STATUS=Connected! 8 records", with "READY=1"
/// before it after the first poll, and "WATCHDOG=1" after every one.
std::string pollNotification(PollStatus status, std::size_t records, bool first);

} // namespace quorvane
