// SPDX-License-Identifier: MIT
#pragma once
// The poll cycle's reply scenarios, one table for every front end that runs the
// cycle: what a reply leads to in the status, the signal files and the error
// log. Each front end has a driver that feeds the replies and compares.

#include "core/exceptions.h"
#include "feed/helloworld.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace quorvane::test {

/// A signal service that answers a scenario's reply: "!text" fails the call with "text".
class ScriptedService : public HelloWorldPortType {
public:
    explicit ScriptedService(std::string reply) : m_reply(std::move(reply)) {}
    std::string Signal(int, const std::string&) override
    {
        if (!m_reply.empty() && m_reply[0] == '!')
            throw Exception(m_reply.substr(1));
        return m_reply;
    }

private:
    std::string m_reply;
};

/// One scenario. A terminal folder with experts/files is set unless noted.
struct PollScenario {
    const char* name;
    const char* reply;   ///< "!text": the call fails with "text"
    bool signalFolderMissing; ///< experts/ exists, experts/files does not
    const char* status;  ///< the status bar's text after the poll
    std::vector<std::string> files; ///< short names in experts/files afterwards, sorted
    /// The log line before ", " + timestamp ("{files}" stands for the signal
    /// folder with its trailing '/'); empty: no line at all.
    std::string logLine;
    /// The window shows the record as well; where that fails the window's
    /// status and line differ (the bridge shows nothing). nullptr: as above.
    const char* windowStatus = nullptr;
    const char* windowLogLine = nullptr;
    std::size_t recorded = 0; ///< records the history keeps of this poll
};

inline const std::string kScenarioRecords = "(Symbol:EURUSDm,Price:1.0850,Time:2026.12.08 10:00,Signal:0.1875)"
                                            "(Symbol:GBPUSD,Price:1.2701,Time:2026.12.08 10:00,Signal:-0.25)"
                                            "\n(Symbol:USDJPY,Price:151.20,Time:2026.12.08 10:00,Signal:0)tail";

inline const std::vector<PollScenario>& pollScenarios()
{
    static const std::vector<PollScenario> rows = {
        {"three_records_and_a_tail", kScenarioRecords.c_str(), false, "Connected!", {"EURUSD", "GBPUSD", "USDJPY"}, "",
         nullptr, nullptr, 3},
        {"call_fails", "!Connection refused", false, "Disconnect!", {}, "Connection refused, "},
        {"empty_reply_is_no_data_and_no_line", "", false, "Data Error!", {}, ""},
        {"signal_folder_missing", kScenarioRecords.c_str(), true, "Data Error!", {},
         "Cannot create file {files}EURUSD, " + kScenarioRecords, nullptr, nullptr, 3},
        {"reply_without_records", "no records", false, "Connected!", {}, "", "Data Error!",
         "List index out of bounds (-1), no records"},
        {"signal_no_number_still_written", "(Symbol:EURUSD,Signal:abc)", false, "Connected!", {"EURUSD"}, "",
         "Data Error!", "'abc' is not a valid floating point value, (Symbol:EURUSD,Signal:abc)", 1},
    };
    return rows;
}

} // namespace quorvane::test
