// SPDX-License-Identifier: MIT
#include "app/bridge/bridgeloop.h"

#include "app/bridge/stopsignals.h"
#include "app/historysetup.h"
#include "bridge/signalfiles.h"

#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <utility>

namespace quorvane {

// Where the poll thread stands, as far as an end request cares: still waiting
// for the service (nothing written yet: it may be left behind), or past the
// call (files and the error-log line are being written: wait for it).
class PollGate {
public:
    void begin()
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_phase = Phase::Calling;
    }

    /// The call has returned or failed. A thread left behind stops here for
    /// good, before it writes anything.
    void pass()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        if (m_phase == Phase::Abandoned)
            m_changed.wait(lock, [] { return false; });
        m_phase = Phase::Writing;
    }

    void done()
    {
        const std::lock_guard<std::mutex> lock(m_lock);
        m_phase = Phase::Idle;
        m_changed.notify_all();
    }

    /// True when the poll was left waiting for the service; otherwise any
    /// write under way has ended when this returns.
    bool abandon()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        if (m_phase == Phase::Calling) {
            m_phase = Phase::Abandoned;
            return true;
        }
        m_changed.wait(lock, [this] { return m_phase == Phase::Idle; });
        return false;
    }

private:
    enum class Phase { Idle, Calling, Writing, Abandoned };
    std::mutex m_lock;
    std::condition_variable m_changed;
    Phase m_phase = Phase::Idle;
};

namespace {

class GatedService : public HelloWorldPortType {
public:
    GatedService(std::shared_ptr<HelloWorldPortType> inner, std::shared_ptr<PollGate> gate)
        : m_inner(std::move(inner)), m_gate(std::move(gate))
    {
    }

    std::string Signal(int format, const std::string& text) override
    {
        std::string reply;
        try {
            reply = m_inner->Signal(format, text);
        } catch (...) {
            m_gate->pass();
            throw;
        }
        m_gate->pass();
        return reply;
    }

private:
    std::shared_ptr<HelloWorldPortType> m_inner;
    std::shared_ptr<PollGate> m_gate;
};

PollCycle::ServiceFactory gated(PollCycle::ServiceFactory service, std::shared_ptr<PollGate> gate)
{
    return [service = std::move(service), gate = std::move(gate)]() -> std::shared_ptr<HelloWorldPortType> {
        std::shared_ptr<HelloWorldPortType> client;
        try {
            client = service();
        } catch (...) {
            gate->pass(); // a bad address: the failure is logged next
            throw;
        }
        return std::make_shared<GatedService>(std::move(client), gate);
    };
}

std::string statusLine(PollStatus status, std::size_t records)
{
    return std::string(statusText(status)) + " " + std::to_string(records) + (records == 1 ? " record" : " records");
}

} // namespace

std::string pollNotification(PollStatus status, std::size_t records, bool first)
{
    return std::string(first ? "READY=1\n" : "") + "STATUS=" + statusLine(status, records) + "\nWATCHDOG=1";
}

BridgeLoop::BridgeLoop(BridgeLoopSetup setup, QObject* parent)
    : QObject(parent),
      m_setup(std::move(setup)),
      m_gate(std::make_shared<PollGate>()),
      m_cycle(gated(m_setup.service, m_gate), m_setup.errorLogFolder, m_setup.timestamp),
      m_timer(new QTimer(this))
{
    m_cycle.setTargets(m_setup.targets);
    m_history = attachHistory(m_cycle, m_setup.historyFile, m_setup.historyDays, [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    });
    for (const std::string& failure : m_setup.startFailures) {
        try {
            m_cycle.logFailure(failure);
        } catch (const std::exception& e) {
            m_setup.log.write(Priority::Warning, e.what());
        }
    }
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &BridgeLoop::launchPoll);
}

BridgeLoop::~BridgeLoop()
{
    if (!m_worker.joinable())
        return;
    if (m_abandoned)
        m_worker.detach(); // stopped at the gate; the process ends without unwinding
    else
        m_worker.join();
}

void BridgeLoop::start()
{
    launchPoll();
}

void BridgeLoop::launchPoll()
{
    if (m_stopping)
        return;
    m_gate->begin();
    m_worker = std::thread([this] {
        PollOutcome outcome;
        std::string logError;
        try {
            outcome = m_cycle.Poll([&outcome](PollStatus status) { outcome.status = status; });
        } catch (const std::exception& e) {
            logError = e.what(); // the error log itself could not be written
        }
        m_gate->done();
        QMetaObject::invokeMethod(
            this, [this, outcome, logError] { pollDone(outcome, logError); }, Qt::QueuedConnection);
    });
}

void BridgeLoop::pollDone(const PollOutcome& outcome, const std::string& logError)
{
    if (m_finished)
        return;
    m_worker.join();
    const std::string line = statusLine(outcome.status, outcome.records.size());
    const Priority failed = m_setup.once ? Priority::Error : Priority::Warning;
    if (!outcome.failure.empty())
        m_setup.log.write(failed, std::string(statusText(outcome.status)) + " " + outcome.failure);
    else if (outcome.status == PollStatus::DataError)
        m_setup.log.write(failed, "Data Error! The service sent an empty reply");
    else if (!m_setup.once && (m_firstPoll || m_lastStatus != PollStatus::Connected))
        m_setup.log.write(Priority::Info, line);
    if (!logError.empty())
        m_setup.log.write(Priority::Error, logError);
    m_setup.notify(pollNotification(outcome.status, outcome.records.size(), m_firstPoll));
    m_firstPoll = false;
    m_lastStatus = outcome.status;
    if (m_setup.once)
        finish(outcome.succeeded() && logError.empty() ? 0 : 1);
    else
        m_timer->start(m_setup.interval);
}

void BridgeLoop::stop(int signalNumber)
{
    if (m_stopping || m_finished)
        return;
    m_stopping = true;
    m_timer->stop();
    m_setup.log.write(Priority::Info, "Stopping on " + signalName(signalNumber));
    m_setup.notify("STOPPING=1\nSTATUS=Stopping on " + signalName(signalNumber));
    if (m_worker.joinable()) {
        m_abandoned = m_gate->abandon();
        if (!m_abandoned)
            m_worker.join();
    }
    // The window removes EURUSD's file at its end, so the expert advisor does
    // not trade on a signal nobody updates; --once leaves the files it wrote.
    if (!m_setup.once)
        deleteEurusdSignalFiles(m_setup.targets);
    finish(m_setup.once ? 1 : 0);
}

void BridgeLoop::finish(int exitCode)
{
    m_finished = true;
    emit finished(exitCode);
}

} // namespace quorvane
