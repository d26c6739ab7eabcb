// SPDX-License-Identifier: MIT
#pragma once
// SIGTERM, SIGINT and SIGHUP as a Qt signal on the main thread. The three are
// blocked in every thread (make this before any thread starts) and read from
// a signalfd, so a poll thread is never interrupted by them.

#include <QObject>

#include <string>

class QSocketNotifier;

namespace quorvane {

class StopSignals : public QObject {
    Q_OBJECT
public:
    /// Blocks the signals and starts watching; throws std::runtime_error when
    /// the watch cannot be set up.
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

signals:
    /// One of the signals arrived; emitted from the event loop.
    void stopRequested(int signalNumber);

private:
    void readSignals();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

/// Blocks the three in the calling thread and in every thread it starts after.
void blockStopSignals();

/// Unblocks the three in the calling thread, for a run that does not watch
/// them: each then ends the program as it ends any other.
void unblockStopSignals();

/// "SIGTERM", "SIGINT", "SIGHUP" (or "signal N").
std::string signalName(int signalNumber);

} // namespace quorvane
