// SPDX-License-Identifier: MIT
// The client and the command-line tool against the demo signal service
// (PHP SoapServer from sim/), as the program meets a real SOAP stack.

#include "tests/support/feedtest.h"
#include "feed/helloworld.h"
#include "core/records.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <filesystem>
#include <cstdlib>
#include <sstream>

using namespace quorvane;
using namespace quorvane::test;
using namespace ::testing;

namespace {

struct Process {
    int exitCode = -1;
    std::string out, err;
};

Process run(const std::string& command)
{
    // CTest runs these cases as parallel processes: each run needs files of its own.
    const ScratchFolder scratch;
    const std::string out = scratch / "out", err = scratch / "err";
    const int status = std::system((command + " >" + out + " 2>" + err).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(out), readFile(err)};
}

const std::string kTool = std::string("'") + QUORVANE_SIGNAL_BIN + "' ";

} // namespace

TEST(DemoService, ClientAndToolGetDriftingRecordsOfTheMajorPairs)
{
    if (std::system("php -m 2>/dev/null | grep -qi '^soap$'") != 0)
        GTEST_SKIP() << "php with the soap extension is not installed";
    const Process started = run(std::string(QUORVANE_SOURCE_DIR) + "/sim/start.sh");
    std::istringstream lines(started.out);
    std::string url, pid;
    std::getline(lines, url);
    std::getline(lines, pid);
    ASSERT_EQ(started.exitCode, 0) << started.err;
    const std::shared_ptr<void> stop(nullptr, [&](void*) { run(std::string(QUORVANE_SOURCE_DIR) + "/sim/stop.sh " + pid); });

    const std::vector<std::string> first = SplitReply(GetSignalService(false, url)->Signal(0, ""));
    const std::vector<std::string> second = SplitReply(GetSignalService(true, url + "?wsdl")->Signal(0, ""));
    ASSERT_THAT(first, SizeIs(AllOf(Ge(6u), Le(10u))));
    ASSERT_EQ(first.size(), second.size());
    EXPECT_EQ(shortName(first[0]), "EURUSD");
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_THAT(first[i], MatchesRegex(R"(\(Symbol:[A-Z]{6},Price:[0-9]+\.[0-9]+,Time:[0-9]{4}\.[0-9]{2}\.[0-9]{2} )"
                                           R"([0-9]{2}:[0-9]{2},Signal:-?[01]\.[0-9]{4}\))"));
        const double signal = std::stod(GetField(first[i], "Signal"));
        EXPECT_LE(std::fabs(signal), 1.0) << first[i];
        EXPECT_LT(std::fabs(signal - std::stod(GetField(second[i], "Signal"))), 0.5) << "no smooth drift";
    }

    const Process tool = run(kTool + "'" + url + "'");
    EXPECT_EQ(tool.exitCode, 0) << tool.err;
    EXPECT_THAT(tool.out, StartsWith("(Symbol:EURUSD,"));
    EXPECT_EQ(tool.err, "");
}

TEST(SignalTool, ExitCodesAndStreams)
{
    const struct {
        const char* arguments;
        int exitCode;
        Matcher<std::string> err;
    } rows[] = {
        {"ftp://host/x", 1, Eq("Invalid url 'ftp://host/x' - only supports 'http' and 'https' schemes\n")},
        {"http://127.0.0.1:1/webservice/server.php", 1, HasSubstr("Couldn't connect to server")},
        {"a b", 2, StartsWith("Usage: quorvane-signal [URL]")},
        {"--verbose", 2, StartsWith("quorvane-signal: unknown option --verbose")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        const Process result = run(kTool + row.arguments);
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_EQ(result.out, "");
        EXPECT_THAT(result.err, row.err);
    }
}

TEST(SignalTool, WithoutUrlCallsTheEndpointOfTheWindowsSettingsFile)
{
    // A copy beside a settings file of its own: the tool finds it as the window would.
    const ScratchFolder dir;
    std::filesystem::copy_file(QUORVANE_SIGNAL_BIN, dir / "quorvane-signal");
    const std::string tool = "'" + (dir / "quorvane-signal") + "' ";
    const std::string url = "http://127.0.0.1:1/from-settings";
    writeFile(dir / "quorvane.INI", "[Service]\nUrl=" + url + "\n");
    const Process called = run(tool);
    EXPECT_EQ(called.exitCode, 1);
    EXPECT_THAT(called.err, HasSubstr(url));
    const Process help = run(tool + "--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.out, HasSubstr("Without URL this calls " + url + " ([Service] Url of " + (dir / "quorvane.INI")));
}
