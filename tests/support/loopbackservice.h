// SPDX-License-Identifier: MIT
#pragma once
// Starts the scripted loopback signal service (loopbackmain.cpp) as a child
// process, so its sockets and memory never count against the process under
// test, and stops it again.

#include <sys/types.h>

#include <string>

namespace quorvane::test {

class LoopbackService {
public:
    /// Starts the service; throws std::runtime_error when it does not come up.
    LoopbackService();
    ~LoopbackService();
    LoopbackService(const LoopbackService&) = delete;
    LoopbackService& operator=(const LoopbackService&) = delete;

    /// "http://127.0.0.1:<port>" followed by `path` (which starts with "/").
    std::string url(const std::string& path) const;
    int port() const { return m_port; }
    /// Kills the service at once, as a crashed or unplugged server would go.
    void stop();
    /// Starts it again (on a new port).
    void start();

private:
    pid_t m_pid = -1;
    int m_port = 0;
};

} // namespace quorvane::test
