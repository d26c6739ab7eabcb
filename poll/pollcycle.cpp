// SPDX-License-Identifier: MIT
#include "poll/pollcycle.h"

#include "bridge/signalfiles.h"
#include "core/records.h"
#include "poll/errorlog.h"

#include <exception>
#include <utility>

namespace quorvane {

const char* statusText(PollStatus status)
{
    switch (status) {
    case PollStatus::Connected:
        return "Connected!";
    case PollStatus::Disconnect:
        return "Disconnect!";
    case PollStatus::DataError:
        return "Data Error!";
    }
    return "";
}

bool PollOutcome::succeeded() const
{
    return status == PollStatus::Connected;
}

PollCycle::PollCycle(ServiceFactory service, std::string errorLogFolder, std::function<std::string()> timestamp)
    : m_service(std::move(service)), m_errorLogFolder(std::move(errorLogFolder)), m_timestamp(std::move(timestamp))
{
}

void PollCycle::setTargets(std::vector<TerminalTarget> targets)
{
    m_targets = std::move(targets);
}

const std::vector<TerminalTarget>& PollCycle::targets() const
{
    return m_targets;
}

void PollCycle::setRecorder(Recorder recorder)
{
    m_recorder = std::move(recorder);
}

PollOutcome PollCycle::Poll(const std::function<void(PollStatus)>& statusKnown)
{
    PollOutcome outcome;
    // The status is told before the log line is written: should the log fail,
    // its error leaves here and the front end still shows how the poll ended.
    const auto fail = [&](PollStatus status, const std::exception& e) {
        outcome.status = status;
        outcome.failure = e.what();
        if (statusKnown)
            statusKnown(status);
        logFailure(outcome.failure);
        return outcome;
    };
    try {
        std::shared_ptr<HelloWorldPortType> client = m_service();
        m_replyText = client->Signal(0, std::string());
        client.reset(); // one client per call
        outcome.records = SplitReply(m_replyText);
    } catch (const std::exception& e) {
        outcome.records.clear();
        return fail(PollStatus::Disconnect, e);
    }
    if (m_replyText.empty()) {
        // Nothing to hand on and nothing to log: the service answered, with nothing.
        outcome.status = PollStatus::DataError;
    } else {
        if (m_recorder && !outcome.records.empty())
            m_recorder(outcome.records);
        try {
            WriteSignalFiles(m_targets, outcome.records);
        } catch (const std::exception& e) {
            return fail(PollStatus::DataError, e);
        }
    }
    if (statusKnown)
        statusKnown(outcome.status);
    return outcome;
}

void PollCycle::logFailure(const std::string& message)
{
    AppendLog(m_errorLogFolder, errorLogLine(message, m_replyText, m_timestamp()), "error_log.txt");
}

const std::string& PollCycle::replyText() const
{
    return m_replyText;
}

} // namespace quorvane
