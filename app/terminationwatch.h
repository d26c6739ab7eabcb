// SPDX-License-Identifier: MIT
#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the GUI thread, so that the
// program closes its window (and saves its settings) instead of dying mid-write.
// Set up before the window is made, it also covers the start-up: a request that
// comes during the first poll (no event loop runs) is seen by requested(), and
// one that comes while a message box waits closes that box.

#include <QObject>

class QSocketNotifier;

namespace quorvane {

class TerminationWatch : public QObject {
    Q_OBJECT
public:
    /// Installs the handlers; only one watch may exist at a time.
    explicit TerminationWatch(QObject* parent = nullptr);
    ~TerminationWatch() override;

    /// True once a termination signal has arrived, also when no event loop has
    /// run since; a signal not reported yet is reported (closed boxes, emitted) first.
    bool requested();

signals:
    /// A termination signal arrived; emitted once per signal, from the event loop
    /// or from requested(). Open modal boxes have been closed by then.
    void terminationRequested(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
    bool m_requested = false;
};

} // namespace quorvane
