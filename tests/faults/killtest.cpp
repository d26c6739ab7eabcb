// SPDX-License-Identifier: MIT
// The real program killed with SIGKILL at moments spread over its start-up
// poll, signal-file writing included. Whatever moment it dies, the expert
// advisor must never find a half-written signal file, and the next start
// must come up (the single-instance lock dies with its holder). A termination
// request during start-up ends it normally instead; copies with runtime
// folders of their own run side by side, copies sharing one do not.
#include "tests/support/formharness.h"
#include "app/inifile.h"
#include "tests/support/loopbackservice.h"
#include "core/records.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace quorvane::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Waits for a condition the way QTRY_VERIFY does: check, yield briefly, check
// again, until it holds or the time is up.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class ProgramRun {
public:
    ProgramRun(const FormHarness& harness, const LoopbackService& service)
        : m_harness(harness), m_service(service), m_runtimeFolder(harness.folder + "run")
    {
        fs::copy_file(QUORVANE_PROGRAM, harness.executablePath, fs::copy_options::overwrite_existing);
        fs::create_directory(m_runtimeFolder);
        fs::permissions(m_runtimeFolder, fs::perms::owner_all);
    }
    ~ProgramRun() { kill(SIGKILL); }

    // Starts the program with settings that point it at /good/<tag>.
    void start(int tag) { startAt("/good/" + std::to_string(tag)); }

    // Starts the program with settings that point it at `path` of the service.
    void startAt(const std::string& path)
    {
        std::ofstream(m_harness.folder + "quorvane.INI")
            << "[Form]\nhint=0\nmt4-path=" << m_harness.terminalFolder << "\n[Service]\nUrl="
            << m_service.url(path) << "\n";
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            if (entry.rfind("XDG_RUNTIME_DIR=", 0) != 0 && entry.rfind("QT_QPA_PLATFORM=", 0) != 0)
                env.push_back(entry);
        }
        // A private lock folder: another copy of the program on this machine
        // must not make this one think it is already running.
        env.push_back("XDG_RUNTIME_DIR=" + m_runtimeFolder);
        env.push_back("QT_QPA_PLATFORM=offscreen");
        std::vector<char*> envp;
        for (std::string& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string output = m_harness.folder + "program-output.txt";
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        std::string program = m_harness.executablePath;
        char* argv[] = {program.data(), nullptr};
        const int spawned = posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ASSERT_EQ(spawned, 0);
    }

    // Sends `signal` and leaves the program running.
    void signal(int signal) const
    {
        if (m_pid > 0)
            ::kill(m_pid, signal);
    }

    // Sends `signal` and reaps the program; returns its wait status.
    int kill(int signal)
    {
        if (m_pid <= 0)
            return 0;
        ::kill(m_pid, signal);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
        return status;
    }

    // True once the program catches `signal` (its termination watch is set up).
    bool catches(int signal) const
    {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("SigCgt:", 0) == 0)
                return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1u;
        }
        return false;
    }

    // The next start looks for and takes its single-instance lock in `folder`.
    void useRuntimeFolder(const std::string& folder) { m_runtimeFolder = folder; }
    const std::string& runtimeFolder() const { return m_runtimeFolder; }

private:
    const FormHarness& m_harness;
    const LoopbackService& m_service;
    std::string m_runtimeFolder;
    pid_t m_pid = -1;
};

bool holdsTag(const std::string& file, int tag)
{
    return readFile(file).find("Price=1.0" + std::to_string(tag) + ",") != std::string::npos;
}

// Every file the expert advisor could open is one whole record of its symbol.
void expectOnlyWholeSignalFiles(const FormHarness& harness, std::set<std::string>& strayTemporaries)
{
    for (const auto& entry : fs::directory_iterator(harness.signalFolder)) {
        const std::string name = entry.path().filename().string();
        if (name.front() == '.') {
            strayTemporaries.insert(name);   // a hidden temporary the killed copy could not rename
            continue;
        }
        const std::string content = readFile(entry.path().string());
        SCOPED_TRACE(name + ": " + content);
        EXPECT_FALSE(content.empty());
        EXPECT_EQ(std::count(content.begin(), content.end(), ')'), 1);
        EXPECT_EQ(content.back(), ')');
        EXPECT_EQ(shortName(content), name);
    }
}

TEST(KillDuringPoll, LeavesNoHalfWrittenSignalFileAndTheNextStartWorks)
{
    LoopbackService service;
    FormHarness harness;
    ProgramRun program(harness, service);
    const std::string eurusd = harness.signalFolder + "EURUSD";

    // How long a start takes until its first poll has written the files.
    const auto started = Clock::now();
    program.start(1);
    ASSERT_TRUE(waitUntil([&] { return holdsTag(eurusd, 1); }, std::chrono::seconds(30)))
        << readFile(harness.folder + "program-output.txt");
    const auto untilWritten = Clock::now() - started;
    program.kill(SIGKILL);

    // Kill moments spread from just after the start to a little past the writing.
    std::set<std::string> strayTemporaries;
    constexpr int kKills = 24;
    for (int k = 0; k < kKills; ++k) {
        program.start(2 + k);
        std::this_thread::sleep_until(Clock::now() + untilWritten * (k + 1) / (kKills - 4));
        program.kill(SIGKILL);
        expectOnlyWholeSignalFiles(harness, strayTemporaries);
    }
    std::printf("kill -9: %d kills around a %lld ms start-up poll, %zu stray temporaries\n", kKills,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(untilWritten).count()),
                strayTemporaries.size());

    // The next start polls and writes at once: no stale lock, no broken state.
    program.start(99);
    ASSERT_TRUE(waitUntil([&] { return holdsTag(eurusd, 99); }, std::chrono::seconds(30)))
        << "the program did not come up after being killed:\n"
        << readFile(harness.folder + "program-output.txt");
    expectOnlyWholeSignalFiles(harness, strayTemporaries);

    // And it still ends cleanly: settings written, EURUSD's file removed.
    ASSERT_TRUE(waitUntil([&] { return program.catches(SIGTERM); }, std::chrono::seconds(30)));
    const int status = program.kill(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
    const std::string settings = readFile(harness.folder + "quorvane.INI");
    EXPECT_NE(settings.find("MaxS=25"), std::string::npos) << settings;
    EXPECT_FALSE(fs::exists(eurusd));
    EXPECT_NE(readFile(harness.signalFolder + "GBPUSD").find("Price=1.299,"), std::string::npos);
}

// Settings are written at exit, key by key. A kill at any moment of that must
// leave a settings file that reads whole: every key either still absent or
// holding its new value, the terminal folder and the other sections intact.
void expectWholeSettings(const FormHarness& harness, const std::string& url, std::set<std::string>& strayTemporaries)
{
    const std::string path = harness.folder + "quorvane.INI";
    const TIniFile ini(path);
    SCOPED_TRACE(readFile(path));
    EXPECT_EQ(ini.ReadString("Form", "mt4-path", ""), harness.terminalFolder);
    EXPECT_EQ(ini.ReadString("Service", "Url", ""), url);
    const struct {
        const char* key;
        int value;
    } written[] = {{"sound", 0}, {"hint", 0}, {"OpenS", 2}, {"CloseS", 1}, {"MaxS", 25}};
    for (const auto& key : written) {
        const int read = ini.ReadInteger("Form", key.key, -77);
        EXPECT_TRUE(read == -77 || read == key.value) << key.key << "=" << read;
    }
    for (const auto& entry : fs::directory_iterator(harness.folder)) {
        const std::string name = entry.path().filename().string();
        if (name.front() == '.' || name.find(".INI.") != std::string::npos)
            strayTemporaries.insert(name);
    }
}

TEST(KillDuringExit, LeavesAWholeSettingsFile)
{
    LoopbackService service;
    FormHarness harness;
    ProgramRun program(harness, service);
    const std::string eurusd = harness.signalFolder + "EURUSD";
    auto startAndSettle = [&](int tag) {
        program.start(tag);
        ASSERT_TRUE(waitUntil([&] { return holdsTag(eurusd, tag) && program.catches(SIGTERM); },
                              std::chrono::seconds(30)))
            << readFile(harness.folder + "program-output.txt");
    };

    // How long a clean exit takes.
    startAndSettle(1);
    const auto asked = Clock::now();
    program.kill(SIGTERM);
    const auto exitTime = Clock::now() - asked;

    std::set<std::string> strayTemporaries;
    constexpr int kKills = 16;
    for (int k = 0; k < kKills; ++k) {
        const int tag = 2 + k;
        startAndSettle(tag);
        program.signal(SIGTERM);
        std::this_thread::sleep_until(Clock::now() + exitTime * k / (kKills - 4));
        program.kill(SIGKILL);
        expectWholeSettings(harness, service.url("/good/" + std::to_string(tag)), strayTemporaries);
        expectOnlyWholeSignalFiles(harness, strayTemporaries);
    }
    for (const std::string& name : strayTemporaries)
        std::printf("left behind: %s\n", name.c_str());
    std::printf("kill -9 at exit: %d kills around a %lld us exit, %zu stray temporaries\n", kKills,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(exitTime).count()),
                strayTemporaries.size());
}

// True while a connection to the loopback port is open: the program's poll is
// waiting for the service's answer.
bool connectedTo(int port)
{
    char wanted[8];
    std::snprintf(wanted, sizeof wanted, ":%04X", static_cast<unsigned>(port));
    std::ifstream tcp("/proc/net/tcp");
    std::string line;
    std::getline(tcp, line); // column names
    while (std::getline(tcp, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        if (state == "01" && remote.size() > 5 && remote.compare(remote.size() - 5, 5, wanted) == 0)
            return true;
    }
    return false;
}

// The first poll runs while the window is made, with no event loop; a request
// to end then must still end through the normal exit: the poll completes, the
// settings and "log.txt" are written, the exit code is 0.
TEST(StopDuringStartUp, TerminationRequestDuringASlowFirstPollEndsNormally)
{
    LoopbackService service;
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sigabbrev_np(sig));
        FormHarness harness;
        ProgramRun program(harness, service);
        program.startAt("/slow/1500/" + std::to_string(sig));
        ASSERT_TRUE(waitUntil([&] { return connectedTo(service.port()); }, std::chrono::seconds(30)))
            << readFile(harness.folder + "program-output.txt");
        const int status = program.kill(sig);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
        EXPECT_NE(readFile(harness.folder + "quorvane.INI").find("MaxS=25"), std::string::npos) << "settings not saved";
        EXPECT_TRUE(fs::exists(harness.folder + "log.txt"));
        EXPECT_NE(readFile(harness.signalFolder + "GBPUSD").find("Price=1.2" + std::to_string(sig) + ","),
                  std::string::npos)
            << "the first poll was not completed";
        EXPECT_FALSE(fs::exists(harness.signalFolder + "EURUSD")) << "removed at exit";
    }
}

TEST(SingleInstance, CopiesWithRuntimeFoldersOfTheirOwnBothRunOneFolderAdmitsOne)
{
    LoopbackService service;
    FormHarness first, second;
    ProgramRun one(first, service), other(second, service);
    const auto runs = [&](ProgramRun& program, const FormHarness& harness, int tag) {
        program.start(tag);
        return waitUntil([&] { return holdsTag(harness.signalFolder + "EURUSD", tag) && program.catches(SIGTERM); },
                         std::chrono::seconds(30));
    };
    ASSERT_TRUE(runs(one, first, 1)) << readFile(first.folder + "program-output.txt");
    ASSERT_TRUE(runs(other, second, 2)) << readFile(second.folder + "program-output.txt");
    int status = other.kill(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;

    // In the first copy's runtime folder the second finds it running: it shows
    // "The application is already running!" and ends with 0, writing nothing.
    // A termination request closes that box as dismissing it would.
    other.useRuntimeFolder(one.runtimeFolder());
    fs::remove(second.folder + "log.txt");
    other.start(3);
    const std::string settings = readFile(second.folder + "quorvane.INI");
    ASSERT_TRUE(waitUntil([&] { return other.catches(SIGTERM); }, std::chrono::seconds(30)));
    status = other.kill(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
    EXPECT_FALSE(fs::exists(second.folder + "log.txt")) << "the refused copy made a window";
    EXPECT_EQ(readFile(second.folder + "quorvane.INI"), settings);
    EXPECT_FALSE(fs::exists(second.signalFolder + "EURUSD")) << "the refused copy polled";

    ASSERT_TRUE(one.catches(SIGTERM));
    status = one.kill(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
}

} // namespace
} // namespace quorvane::test
