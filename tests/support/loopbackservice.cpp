// SPDX-License-Identifier: MIT
#include "loopbackservice.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

extern char** environ;

namespace quorvane::test {

LoopbackService::LoopbackService() { start(); }

LoopbackService::~LoopbackService() { stop(); }

void LoopbackService::start()
{
    stop();
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe for the loopback service failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    char path[] = QUORVANE_LOOPBACK_SERVICE;
    char* argv[] = {path, nullptr};
    const int spawned = posix_spawn(&m_pid, path, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        m_pid = -1;
        throw std::runtime_error("cannot start " + std::string(path));
    }
    // The service prints its port once it listens.
    std::string line;
    char c = 0;
    ssize_t n = 0;
    while ((n = ::read(out[0], &c, 1)) == 1 && c != '\n')
        line.push_back(c);
    ::close(out[0]);
    m_port = line.empty() ? 0 : std::stoi(line);
    if (m_port <= 0) {
        stop();
        throw std::runtime_error("the loopback service did not report its port");
    }
}

void LoopbackService::stop()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}

std::string LoopbackService::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

} // namespace quorvane::test
