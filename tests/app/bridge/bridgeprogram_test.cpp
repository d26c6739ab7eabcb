// SPDX-License-Identifier: MIT
// quorvane-bridge as a user and systemd meet it: against the loopback service
// with a scratch terminal tree, the lock it shares with the window, its exit
// codes, its end on a signal and what it tells the service manager.

#include "bridgerun.h"
#include "tests/support/loopbackserver.h"

#include "app/singleinstance.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

namespace quorvane::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;

const std::string kRecords = "(Symbol=EURUSD,Price=1.0841,Time=2026.12.08 10:15,Signal=0.12)"
                             "(Symbol=GBPUSD,Price=1.2710,Time=2026.12.08 10:15,Signal=-0.18)"
                             "(Symbol=USDJPYm,Price=148.20,Time=2026.12.08 10:15,Signal=0.05)";

std::string envelope(const std::string& reply)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\">"
           "<SOAP-ENV:Body><ns1:SignalResponse xmlns:ns1=\"urn:HelloWorld\"><return>"
        + reply + "</return></ns1:SignalResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

HttpReply records(const HttpRequest&, int) { return httpReply(200, "OK", envelope(kRecords)); }

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(BridgeOnce, WritesTheSignalFilesAndLeavesThemInPlace)
{
    LoopbackServer service(records);
    BridgeRun bridge;
    bridge.settings(bridge.terminal, service.url());
    EXPECT_EQ(bridge.runToEnd({"--once"}), 0) << bridge.stderrText();
    EXPECT_EQ(readFile(bridge.signalFolder + "EURUSD"), "(Symbol=EURUSD,Price=1.0841,Time=2026.12.08 10:15,Signal=0.12)");
    EXPECT_TRUE(contains(readFile(bridge.signalFolder + "USDJPY"), "Price=148.20"));
    EXPECT_EQ(bridge.stderrText(), "");
    EXPECT_FALSE(fs::exists(bridge.errorLog));
    EXPECT_EQ(readFile(bridge.folder + "quorvane.INI").find("MaxS"), std::string::npos) << "the settings were written";

    // The poll is in the history, and the export hands it out as it came.
    EXPECT_EQ(bridge.runToEnd({"--export-history", "--symbol", "EURUSD"}), 0) << bridge.stderrText();
    const std::string csv = readFile(bridge.folder + "stdout.txt");
    EXPECT_EQ(csv.rfind("received_utc,symbol,price,market_time,signal\r\n", 0), 0u) << csv;
    EXPECT_TRUE(contains(csv, ",EURUSD,1.0841,2026.12.08 10:15,0.12\r\n")) << csv;
    EXPECT_FALSE(contains(csv, "USDJPY")) << csv;
}

TEST(BridgeOnce, AFailedPollExitsOneWithTheErrorOnStderrAndInTheErrorLog)
{
    const struct {
        const char* name;
        LoopbackServer::Responder answer;
        const char* said;
        bool logged; // an empty reply is no failure of the call: no log line
    } rows[] = {
        {"ServiceFault",
         [](const HttpRequest&, int) {
             return httpReply(500, "Internal Server Error",
                              "<?xml version=\"1.0\"?><SOAP-ENV:Envelope "
                              "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\"><SOAP-ENV:Body>"
                              "<SOAP-ENV:Fault><faultcode>SOAP-ENV:Server</faultcode><faultstring>Server is busy"
                              "</faultstring></SOAP-ENV:Fault></SOAP-ENV:Body></SOAP-ENV:Envelope>");
         },
         "Disconnect! Server is busy", true},
        {"EmptyReply", [](const HttpRequest&, int) { return httpReply(200, "OK", envelope("")); }, "Data Error!",
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer service(row.answer);
        BridgeRun bridge;
        bridge.settings(bridge.terminal, service.url());
        EXPECT_EQ(bridge.runToEnd({"--once"}), 1);
        EXPECT_TRUE(contains(bridge.stderrText(), row.said)) << bridge.stderrText();
        EXPECT_TRUE(fs::is_empty(bridge.signalFolder));
        EXPECT_EQ(contains(readFile(bridge.errorLog), "Server is busy, , "), row.logged) << readFile(bridge.errorLog);
    }
}

// The export listens to no stop request of its own: SIGTERM or Ctrl-C must end
// it as any command-line tool ends, also while it waits on a reader that has
// stopped reading ("timeout 60 quorvane-bridge --export-history | ...").
TEST(BridgeExport, AStopSignalEndsAnExportThatWaitsOnItsReader)
{
    std::string many;
    for (int i = 0; i < 2000; ++i)
        many += "(Symbol=EURUSD,Price=1.0841,Time=2026.12.08 10:15,Signal=0.12)";
    LoopbackServer service([&many](const HttpRequest&, int) { return httpReply(200, "OK", envelope(many)); });
    BridgeRun bridge;
    bridge.settings(bridge.terminal, service.url());
    ASSERT_EQ(bridge.runToEnd({"--once"}), 0) << bridge.stderrText();
    // Its standard output: a FIFO whose reader never reads.
    const std::string out = bridge.folder + "stdout.txt";
    fs::remove(out);
    ASSERT_EQ(::mkfifo(out.c_str(), 0600), 0);
    const int reader = ::open(out.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    // One page: the export holds many times that, so it must come to wait.
    ASSERT_GE(::fcntl(reader, F_SETPIPE_SZ, 4096), 0);
    bridge.start({"--export-history"});
    // Once it writes, the bridge has set up its signal handling; a stop request
    // from then on must end it, before or after it comes to wait on the reader.
    int queued = 0;
    const auto deadline = std::chrono::steady_clock::now() + seconds(30);
    while ((::ioctl(reader, FIONREAD, &queued) != 0 || queued == 0) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(2));
    ASSERT_GT(queued, 0) << "the export wrote nothing";
    bridge.signal(SIGTERM);
    EXPECT_EQ(bridge.waitForSignalEnd(seconds(30)), SIGTERM) << "the export went on waiting after SIGTERM";
    ::close(reader);
}

TEST(BridgeStart, RefusesSettingsItCannotWorkWithBeforeAnyPoll)
{
    const struct {
        const char* name;
        std::string folder; // relative to the scratch folder; "" for none
        std::vector<std::string> args;
        const char* said;
    } rows[] = {
        {"NoTerminalFolder", "", {}, "no terminal folder is set in"},
        {"FolderDoesNotExist", "gone", {"--once"}, "does not exist"},
        {"FolderWithoutSignalFolder", "empty", {}, "has no signal folder"},
        {"UnknownOption", "mt4", {"--daemon"}, "unknown option --daemon"},
        {"SymbolWithoutExport", "mt4", {"--symbol", "EURUSD"}, "--symbol and --since go with --export-history"},
        {"SinceNoDate", "mt4", {"--export-history", "--since", "2026-13-01"}, "--since wants a date"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer service(records);
        BridgeRun bridge;
        fs::create_directory(bridge.folder + "empty");
        fs::create_directories(bridge.folder + "empty/experts");
        bridge.settings(row.folder.empty() ? "" : bridge.folder + row.folder, service.url());
        EXPECT_EQ(bridge.runToEnd(row.args), 2);
        EXPECT_TRUE(contains(bridge.stderrText(), row.said)) << bridge.stderrText();
        EXPECT_EQ(service.acceptedConnections(), 0) << "polled although refused";
    }
}

TEST(BridgeHelp, NamesTheFilesInUse)
{
    BridgeRun bridge;
    bridge.settings(bridge.terminal, "http://127.0.0.1:9/webservice/server.php");
    EXPECT_EQ(bridge.runToEnd({"--help"}), 0);
    const std::string help = readFile(bridge.folder + "stdout.txt");
    EXPECT_TRUE(contains(help, "Settings file: " + bridge.folder + "quorvane.INI\n")) << help;
    EXPECT_TRUE(contains(help, "Error log: " + bridge.errorLog + "\n")) << help;
    EXPECT_TRUE(contains(help, "Signal files: " + bridge.signalFolder + "\n")) << help;
}

// Under systemd: READY=1 after the first poll, with the status and the count;
// at a stop request the end is announced, EURUSD's file goes, the rest stays.
// Also when nobody reads the standard error any more: Ctrl-C on
// "quorvane-bridge 2>&1 | tee bridge.log" ends tee at once, and the bridge's
// own lines must not end it before EURUSD's file is gone.
TEST(BridgeService, NotifiesAfterThePollAndCleansUpOnEachStopSignal)
{
    const struct {
        const char* name;
        int sig;
        bool stderrReaderGone;
    } rows[] = {
        {"SIGTERM", SIGTERM, false},
        {"SIGINT", SIGINT, false},
        {"SIGHUP", SIGHUP, false},
        {"SIGINT_StderrReaderGone", SIGINT, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LoopbackServer service(records);
        BridgeRun bridge;
        bridge.settings(bridge.terminal, service.url());
        bridge.listenForNotifications();
        if (row.stderrReaderGone) {
            int ends[2];
            ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
            // The child opens the pipe through its own copy, then loses every reader.
            bridge.start({}, {}, "/proc/self/fd/" + std::to_string(ends[1]));
            ::close(ends[0]);
            ::close(ends[1]);
        } else {
            bridge.start();
        }
        EXPECT_EQ(bridge.notification(seconds(30)).value_or("none"),
                  "READY=1\nSTATUS=Connected! 3 records\nWATCHDOG=1")
            << bridge.stderrText();
        ASSERT_TRUE(fs::exists(bridge.signalFolder + "EURUSD"));
        bridge.signal(row.sig);
        EXPECT_EQ(bridge.wait(seconds(30)), 0) << bridge.stderrText();
        EXPECT_EQ(bridge.notification(milliseconds(0)).value_or("none"),
                  "STOPPING=1\nSTATUS=Stopping on " + std::string("SIG") + sigabbrev_np(row.sig));
        EXPECT_FALSE(fs::exists(bridge.signalFolder + "EURUSD"));
        EXPECT_TRUE(fs::exists(bridge.signalFolder + "GBPUSD"));
    }
}

// A service that accepts the call and never answers: the end must not wait
// for the call's own time limit, and nothing may be written after the request.
TEST(BridgeService, AStopWhileTheCallWaitsEndsAtOnceWithoutWriting)
{
    LoopbackServer service([](const HttpRequest&, int) { return HttpReply{"", false, true}; });
    BridgeRun bridge;
    bridge.settings(bridge.terminal, service.url());
    bridge.listenForNotifications();
    bridge.start();
    const auto deadline = std::chrono::steady_clock::now() + seconds(30);
    while (service.requests().empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(2));
    ASSERT_FALSE(service.requests().empty()) << bridge.stderrText();
    bridge.signal(SIGTERM);
    // Well inside the client's 10 s limit, which a waiting end would take.
    EXPECT_EQ(bridge.wait(seconds(5)), 0) << bridge.stderrText();
    EXPECT_TRUE(fs::is_empty(bridge.signalFolder));
    EXPECT_FALSE(fs::exists(bridge.errorLog));
}

TEST(BridgeLock, ABridgeStartedSecondNamesTheProgramThatRunsAndExitsOne)
{
    LoopbackServer service(records);
    BridgeRun bridge;
    bridge.settings(bridge.terminal, service.url());
    {
        // The window's lock, held by this process in the window's name.
        const auto window = makeNamedMutexIn(bridge.runtime, "quorvane");
        ASSERT_TRUE(window->Create("Quorvane_2"));
        EXPECT_EQ(bridge.runToEnd({}), 1);
        EXPECT_TRUE(contains(bridge.stderrText(), "quorvane (pid " + std::to_string(::getpid()) + ") already runs"))
            << bridge.stderrText();
        EXPECT_EQ(service.acceptedConnections(), 0);
        // The settings are read only once the lock is the bridge's: until then
        // the window may still write them (it does so at its end), so a bridge
        // that meets the window says so, whatever the settings say meanwhile.
        bridge.settings("", service.url());
        EXPECT_EQ(bridge.runToEnd({}), 1);
        EXPECT_TRUE(contains(bridge.stderrText(), "already runs")) << bridge.stderrText();
        bridge.settings(bridge.terminal, service.url());
    }
    // Another bridge.
    bridge.listenForNotifications();
    bridge.start();
    ASSERT_TRUE(bridge.notification(seconds(30)));
    BridgeRun second;
    second.runtime = bridge.runtime;
    second.settings(second.terminal, service.url());
    EXPECT_EQ(second.runToEnd({"--once"}), 1);
    EXPECT_TRUE(contains(second.stderrText(), "quorvane-bridge (pid ")) << second.stderrText();
    EXPECT_TRUE(fs::is_empty(second.signalFolder));
    bridge.signal(SIGTERM);
    EXPECT_EQ(bridge.wait(seconds(30)), 0);
}

// The window started while the bridge runs: it says on stderr that the bridge
// holds the lock, then behaves as for a second copy of itself (its box; a
// termination request closes it; exit 0), touching nothing.
TEST(BridgeLock, AWindowStartedSecondSaysTheBridgeHoldsTheLock)
{
    LoopbackServer service(records);
    BridgeRun bridge;
    bridge.settings(bridge.terminal, service.url());
    bridge.listenForNotifications();
    bridge.start();
    ASSERT_TRUE(bridge.notification(seconds(30))) << bridge.stderrText();
    const std::string output = bridge.folder + "window.txt";
    const pid_t window = bridge.spawn(QUORVANE_WINDOW, {}, {"QT_QPA_PLATFORM=offscreen"}, output);
    const auto deadline = std::chrono::steady_clock::now() + seconds(30);
    while (!contains(readFile(output), "holds the lock") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(2));
    EXPECT_TRUE(contains(readFile(output), "quorvane-bridge (pid ")) << readFile(output);
    // Its box waits; a termination request ends it as dismissing it would.
    ASSERT_TRUE(catchesSignal(window, SIGTERM, seconds(30))) << readFile(output);
    ::kill(window, SIGTERM);
    const std::optional<int> code = waitForExit(window, seconds(30));
    EXPECT_EQ(code, 0) << readFile(output);
    bridge.signal(SIGTERM);
    EXPECT_EQ(bridge.wait(seconds(30)), 0);
}

// A window that is closing still writes: its settings and the removal of
// EURUSD's file come after its message loop. It keeps the lock until that is
// done, so a bridge started meanwhile neither reads the settings half written
// nor has its fresh EURUSD file deleted by the window behind it.
TEST(BridgeLock, AClosingWindowHoldsTheLockUntilItHasCleanedUp)
{
    LoopbackServer service(records);
    BridgeRun bridge;
    bridge.settings(bridge.terminal, service.url());
    // Beside the bridge, so that the window reads the same settings file.
    const std::string windowProgram = bridge.folder + "quorvane";
    std::error_code ec;
    fs::create_hard_link(QUORVANE_WINDOW, windowProgram, ec);
    if (ec)
        fs::copy_file(QUORVANE_WINDOW, windowProgram);
    const std::string output = bridge.folder + "window.txt";
    const pid_t window = bridge.spawn(windowProgram, {}, {"QT_QPA_PLATFORM=offscreen"}, output);
    const auto deadline = std::chrono::steady_clock::now() + seconds(30);
    while (!fs::exists(bridge.signalFolder + "EURUSD") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(2));
    ASSERT_TRUE(fs::exists(bridge.signalFolder + "EURUSD")) << readFile(output);
    ASSERT_TRUE(catchesSignal(window, SIGTERM, seconds(30))) << readFile(output);

    const std::string lockFile = bridge.runtime + "/Quorvane_2." + std::to_string(::getuid()) + ".lock";
    const int lock = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(lock, 0) << lockFile;
    ::kill(window, SIGTERM);
    // A window that does not end is killed at the bound, which frees the lock.
    std::optional<int> code;
    std::thread reaper([&] { code = waitForExit(window, seconds(30)); });
    // Taken the moment the window lets go of it, as a bridge waiting to start would.
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    EXPECT_FALSE(fs::exists(bridge.signalFolder + "EURUSD")) << "the lock was free before the window had cleaned up";
    ::close(lock);
    reaper.join();
    EXPECT_EQ(code, 0) << readFile(output);
}

TEST(BridgeJournal, EachLineCarriesItsPriorityOnlyWhenStderrIsTheJournal)
{
    BridgeRun bridge;
    bridge.settings("", "http://127.0.0.1:9/webservice/server.php");
    // The file the child's stderr will be: its device and inode are known once it exists.
    const std::string file = bridge.folder + "stderr.txt";
    writeFile(file, "");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    const std::string stream = std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    const struct {
        const char* name;
        std::string journalStream;
        const char* starts;
    } rows[] = {
        {"Journal", stream, "<3>no terminal folder"},
        {"AnotherStream", std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino + 1), "quorvane-bridge: no "},
        {"Malformed", stream + "x", "quorvane-bridge: no "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(bridge.runToEnd({}, {"JOURNAL_STREAM=" + row.journalStream}), 2);
        EXPECT_EQ(bridge.stderrText().rfind(row.starts, 0), 0u) << bridge.stderrText();
    }
}

} // namespace
} // namespace quorvane::test
