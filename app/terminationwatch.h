#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the GUI thread, so that the
// program closes its window (and saves its settings) instead of dying mid-write.

#include <QObject>

class QSocketNotifier;

namespace quorvane {

class TerminationWatch : public QObject {
    Q_OBJECT
public:
    /// Installs the handlers; only one watch may exist at a time.
    explicit TerminationWatch(QObject* parent = nullptr);
    ~TerminationWatch() override;

signals:
    /// A termination signal arrived; emitted once per signal, from the event loop.
    void terminationRequested(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace quorvane
