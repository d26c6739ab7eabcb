// SPDX-License-Identifier: MIT
#pragma once
// A main window in a scratch folder of its own, with stand-ins for the
// desktop services, for the soak and fault tests. The executable's folder,
// the settings file and a terminal folder with experts/files all live in the
// scratch folder; the signal service is reached through `urlForPoll`.

#include "app/formservices.h"
#include "scratchfolder.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace quorvane {
class TForm1;
}

namespace quorvane::test {

struct FormHarness {
    /// Makes a terminal folder and a settings file that names it.
    FormHarness();
    FormHarness(const FormHarness&) = delete;
    FormHarness& operator=(const FormHarness&) = delete;

    /// Services for a window whose every poll asks `urlForPoll` where to go.
    FormServices services(std::function<std::string()> urlForPoll,
                          std::chrono::milliseconds totalTimeout = std::chrono::milliseconds(2000));

    /// The status bar text of `form`.
    static std::string status(const TForm1& form);
    /// The fixed local time that every log line carries.
    static QDateTime logTime();
    /// How each error log entry ends: ", " and the stamp of logTime(), then LF.
    static std::string logEntryEnd();
    /// Whole entries in the error log so far.
    std::size_t logEntries() const;

    ScratchFolder scratch;
    std::string folder = scratch.path() + "/";                    ///< ends with "/"
    std::string executablePath = folder + "quorvane";
    std::string terminalFolder = folder + "mt4";
    std::string signalFolder = terminalFolder + "/experts/files/";
    std::string errorLog = folder + "error_log.txt";
    std::vector<std::string> reported;   ///< messages of the application-wide report
    std::vector<std::string> shown;      ///< plain message boxes
};

} // namespace quorvane::test
