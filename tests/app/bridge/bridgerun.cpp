// SPDX-License-Identifier: MIT
#include "bridgerun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace quorvane::test {

namespace fs = std::filesystem;

BridgeRun::BridgeRun()
{
    // A link where it can be made (the bridge sees the path it was started by),
    // else a copy; never the build's bin/, whose settings file is the machine's.
    std::error_code ec;
    fs::create_hard_link(QUORVANE_BRIDGE, program, ec);
    if (ec)
        fs::copy_file(QUORVANE_BRIDGE, program);
    fs::create_directories(signalFolder);
    fs::create_directory(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
}

BridgeRun::~BridgeRun()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_notify >= 0)
        ::close(m_notify);
}

void BridgeRun::settings(const std::string& terminalFolder, const std::string& url) const
{
    std::ofstream(folder + "quorvane.INI") << "[Form]\r\nmt4-path=" << terminalFolder << "\r\n[Service]\r\nUrl=" << url
                                           << "\r\n";
}

std::vector<std::string> BridgeRun::environment(const std::vector<std::string>& extra) const
{
    std::vector<std::string> env;
    const auto ours = [](const std::string& entry) {
        for (const char* name : {"XDG_RUNTIME_DIR=", "NOTIFY_SOCKET=", "JOURNAL_STREAM=", "QT_QPA_PLATFORM="}) {
            if (entry.rfind(name, 0) == 0)
                return true;
        }
        return false;
    };
    for (char** e = environ; *e; ++e) {
        if (!ours(*e))
            env.push_back(*e);
    }
    // A lock folder of this run's own: a copy of Quorvane on this desktop
    // must not count as the window.
    env.push_back("XDG_RUNTIME_DIR=" + runtime);
    if (!m_notifyPath.empty())
        env.push_back("NOTIFY_SOCKET=" + m_notifyPath);
    env.insert(env.end(), extra.begin(), extra.end());
    return env;
}

pid_t BridgeRun::spawn(const std::string& path, const std::vector<std::string>& args,
                       const std::vector<std::string>& env, const std::string& output) const
{
    std::vector<std::string> entries = environment(env);
    std::vector<char*> envp;
    for (std::string& entry : entries)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> words = {path};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (folder + "stdout.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + path + ": " + std::strerror(spawned));
    return pid;
}

void BridgeRun::start(const std::vector<std::string>& args, const std::vector<std::string>& env,
                      const std::string& errorOutput)
{
    m_pid = spawn(program, args, env, errorOutput.empty() ? folder + "stderr.txt" : errorOutput);
}

int BridgeRun::runToEnd(const std::vector<std::string>& args, const std::vector<std::string>& env)
{
    start(args, env);
    return wait(std::chrono::seconds(30)).value_or(-1);
}

void BridgeRun::signal(int signal) const
{
    if (m_pid > 0)
        ::kill(m_pid, signal);
}

bool catchesSignal(pid_t pid, int signal, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("SigCgt:", 0) == 0 && ((std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1u))
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

std::optional<int> waitForStatus(pid_t pid, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return status;
        if (done < 0 && errno != EINTR)
            return std::nullopt;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds limit)
{
    const std::optional<int> status = waitForStatus(pid, limit);
    if (!status || !WIFEXITED(*status))
        return std::nullopt;
    return WEXITSTATUS(*status);
}

std::optional<int> BridgeRun::waitForSignalEnd(std::chrono::milliseconds limit)
{
    const pid_t pid = m_pid;
    m_pid = -1;
    const std::optional<int> status = waitForStatus(pid, limit);
    if (!status || !WIFSIGNALED(*status))
        return std::nullopt;
    return WTERMSIG(*status);
}

std::optional<int> BridgeRun::wait(std::chrono::milliseconds limit)
{
    const pid_t pid = m_pid;
    m_pid = -1;
    return waitForExit(pid, limit);
}

void BridgeRun::listenForNotifications()
{
    m_notifyPath = folder + "notify";
    m_notify = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (m_notifyPath.size() >= sizeof address.sun_path)
        throw std::runtime_error("notify socket path too long: " + m_notifyPath);
    std::memcpy(address.sun_path, m_notifyPath.c_str(), m_notifyPath.size() + 1);
    if (m_notify < 0 || ::bind(m_notify, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot bind the notify socket: " + std::string(std::strerror(errno)));
}

std::optional<std::string> BridgeRun::notification(std::chrono::milliseconds limit) const
{
    pollfd ready = {m_notify, POLLIN, 0};
    if (::poll(&ready, 1, static_cast<int>(limit.count())) != 1)
        return std::nullopt;
    char buffer[4096];
    const ssize_t n = ::recv(m_notify, buffer, sizeof buffer, 0);
    if (n < 0)
        return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(n));
}

} // namespace quorvane::test
