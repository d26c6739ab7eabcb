#pragma once
// A main window in a scratch folder of its own, with stand-ins for the
// desktop services, for the soak and fault tests. The executable's folder,
// the settings file and a terminal folder with experts/files all live in the
// scratch folder; the signal service is reached through `urlForPoll`.

#include "formservices.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

class QStatusBar;

namespace quorvane {
class TForm1;
}

namespace quorvane::test {

struct FormHarness {
    /// Makes the scratch folder "<tmp>/quorvane-<name>-XXXXXX" with a
    /// terminal folder and a settings file that names it.
    explicit FormHarness(const std::string& name);
    ~FormHarness();
    FormHarness(const FormHarness&) = delete;
    FormHarness& operator=(const FormHarness&) = delete;

    /// Services for a window whose every poll asks `urlForPoll` where to go.
    FormServices services(std::function<std::string()> urlForPoll,
                          std::chrono::milliseconds totalTimeout = std::chrono::milliseconds(2000));

    /// The status bar text of `form`.
    static std::string status(const TForm1& form);
    /// The whole content of a file ("" when absent).
    static std::string readFile(const std::string& path);

    std::string folder;           ///< scratch folder, ends with "/"
    std::string executablePath;   ///< folder + "quorvane"
    std::string terminalFolder;   ///< folder + "mt4"
    std::string signalFolder;     ///< terminalFolder + "/experts/files/"
    std::string errorLog;         ///< folder + "error_log.txt"
    std::vector<std::string> reported;   ///< messages of the application-wide report
    std::vector<std::string> shown;      ///< plain message boxes
    /// The fixed local time that every log line carries.
    static QDateTime logTime();
};

} // namespace quorvane::test
