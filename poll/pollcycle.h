// SPDX-License-Identifier: MIT
#pragma once
// One poll of the signal service, widget-free: the service call, the split into
// market records, the signal files and the error-log line. Every front end (the
// window, the headless bridge) runs the same cycle and only applies its outcome.

#include "bridge/terminaltargets.h"
#include "feed/helloworld.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvane {

/// What the status bar shows after a poll: "Connected!", "Disconnect!", "Data Error!".
enum class PollStatus { Connected, Disconnect, DataError };

/// The status bar's text for `status`.
const char* statusText(PollStatus status);

struct PollOutcome {
    PollStatus status = PollStatus::Connected;
    std::vector<std::string> records;   ///< the records of this poll's reply (empty after a failed call)
    std::string failure;                 ///< the message written to the error log; empty when none
    bool succeeded() const;              ///< the call succeeded and the signal files were written
};

class PollCycle {
public:
    using ServiceFactory = std::function<std::shared_ptr<HelloWorldPortType>()>;
    /// Hears the records of every call that brought a reply, before the signal
    /// files are written (the history keeps them). Must not throw.
    using Recorder = std::function<void(const std::vector<std::string>& records)>;
    /// errorLogFolder ends with the path separator; timestamp gives the local
    /// date and time text for log lines.
    PollCycle(ServiceFactory service, std::string errorLogFolder, std::function<std::string()> timestamp);

    /// Where signal files go from now on; none: no signal files are written.
    void setTargets(std::vector<TerminalTarget> targets);
    const std::vector<TerminalTarget>& targets() const;
    /// Who keeps the records of each reply; none by default.
    void setRecorder(Recorder recorder);

    /// One poll: the service call, the split, the signal files, the error-log
    /// line. Never throws except when the error log itself cannot be written;
    /// `statusKnown`, when given, hears the status before that line is written,
    /// so a front end shows it even when the log then fails.
    PollOutcome Poll(const std::function<void(PollStatus)>& statusKnown = {});

    /// Logs a failure that the front end met applying the outcome (the
    /// window's display step), quoting the stored reply text. Throws as Poll.
    void logFailure(const std::string& message);

    /// The reply of the last successful call; empty before the first one.
    const std::string& replyText() const;

private:
    ServiceFactory m_service;
    std::string m_errorLogFolder;
    std::function<std::string()> m_timestamp;
    std::vector<TerminalTarget> m_targets;
    Recorder m_recorder;
    std::string m_replyText;
};

} // namespace quorvane
