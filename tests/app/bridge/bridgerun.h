// SPDX-License-Identifier: MIT
#pragma once
// quorvane-bridge run as a program in a scratch folder of its own: a copy of
// the executable (it finds the window's settings beside itself), a terminal
// tree with experts/files, a runtime folder for the lock and, on request, a
// notify socket that stands in for systemd.

#include "tests/support/scratchfolder.h"

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::test {

class BridgeRun {
public:
    BridgeRun();
    ~BridgeRun();
    BridgeRun(const BridgeRun&) = delete;
    BridgeRun& operator=(const BridgeRun&) = delete;

    /// Writes the settings file: the terminal folder and the service address.
    void settings(const std::string& terminalFolder, const std::string& url) const;

    /// Starts the bridge with `args` and the extra environment `env` ("NAME=value"),
    /// its standard error going to `errorOutput` (stderr.txt when empty).
    void start(const std::vector<std::string>& args = {}, const std::vector<std::string>& env = {},
               const std::string& errorOutput = {});
    /// Starts `program` (the window) the same way, with this run's runtime folder.
    pid_t spawn(const std::string& program, const std::vector<std::string>& args, const std::vector<std::string>& env,
                const std::string& output) const;
    /// Runs the bridge with `args` to its end; returns the exit code (-1: killed or too slow).
    int runToEnd(const std::vector<std::string>& args, const std::vector<std::string>& env = {});

    /// Sends `signal` to the running bridge.
    void signal(int signal) const;
    /// Waits for the bridge to end, at most `limit`; its exit code, or nullopt
    /// when it is still running (it is then killed) or died of a signal.
    std::optional<int> wait(std::chrono::milliseconds limit);

    /// Waits for the bridge to end, at most `limit`; the signal that ended it, or
    /// nullopt when it exited or is still running (it is then killed).
    std::optional<int> waitForSignalEnd(std::chrono::milliseconds limit);

    /// Opens the notify socket; the next start hands it over in NOTIFY_SOCKET.
    void listenForNotifications();
    /// The next datagram on the notify socket within `limit`; nullopt when none came.
    std::optional<std::string> notification(std::chrono::milliseconds limit) const;

    std::string stderrText() const { return readFile(m_scratch / "stderr.txt"); }

    ScratchFolder m_scratch;
    std::string folder = m_scratch.path() + "/";
    std::string program = folder + "quorvane-bridge";
    std::string runtime = folder + "run";
    std::string terminal = folder + "mt4";
    std::string signalFolder = terminal + "/experts/files/";
    std::string errorLog = folder + "error_log.txt";

private:
    std::vector<std::string> environment(const std::vector<std::string>& extra) const;

    pid_t m_pid = -1;
    int m_notify = -1;
    std::string m_notifyPath;
};

/// True once `pid` has a handler for `signal` (within `limit`).
bool catchesSignal(pid_t pid, int signal, std::chrono::milliseconds limit);

/// waitpid with a bound: the raw status, or nullopt when `pid` still runs at
/// the limit (it is then killed).
std::optional<int> waitForStatus(pid_t pid, std::chrono::milliseconds limit);

/// waitpid with a bound: the exit code, or nullopt (killed by a signal, or still
/// running at the limit: it is then killed).
std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds limit);

} // namespace quorvane::test
