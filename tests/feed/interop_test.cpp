// The client and the command-line tool against the demo signal service
// (PHP SoapServer from sim/), as the program meets a real SOAP stack.

#include "exceptions.h"
#include "helloworld.h"
#include "records.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

using namespace quorvane;

namespace {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ProcessResult run(const std::string& command)
{
    const std::string errFile = ::testing::TempDir() + "feed_interop_stderr.txt";
    ProcessResult result;
    FILE* pipe = ::popen((command + " 2>" + errFile).c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile);
    std::ostringstream text;
    text << err.rdbuf();
    result.err = text.str();
    return result;
}

bool haveSoapPhp()
{
    return std::system("php -m 2>/dev/null | grep -qi '^soap$'") == 0;
}

class DemoService : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!haveSoapPhp())
            return;
        const ProcessResult started = run(std::string(QUORVANE_SOURCE_DIR) + "/sim/start.sh");
        std::istringstream lines(started.out);
        std::getline(lines, s_url);
        std::getline(lines, s_pid);
        if (started.exitCode != 0)
            s_url.clear();
    }
    static void TearDownTestSuite()
    {
        if (!s_pid.empty())
            run(std::string(QUORVANE_SOURCE_DIR) + "/sim/stop.sh " + s_pid);
        s_pid.clear();
    }
    void SetUp() override
    {
        if (!haveSoapPhp())
            GTEST_SKIP() << "php with the soap extension is not installed";
        ASSERT_FALSE(s_url.empty()) << "sim/start.sh did not start the demo service";
    }

    static std::string s_url;
    static std::string s_pid;
};

std::string DemoService::s_url;
std::string DemoService::s_pid;

double number(const std::string& text)
{
    size_t used = 0;
    const double value = std::stod(text, &used);
    EXPECT_EQ(used, text.size()) << "not a plain number: " << text;
    return value;
}

} // namespace

TEST_F(DemoService, ReplyHoldsMajorPairsInTheRecordFormat)
{
    EXPECT_EQ(s_url.rfind("http://127.0.0.1:", 0), 0u) << s_url;
    const std::string reply = GetSignalService(false, s_url)->Signal(0, "");
    const std::vector<std::string> records = SplitReply(reply);
    ASSERT_GE(records.size(), 6u) << reply;
    ASSERT_LE(records.size(), 10u) << reply;
    EXPECT_EQ(ShortName(records[0]), "EURUSD");
    for (const std::string& record : records) {
        SCOPED_TRACE(record);
        EXPECT_EQ(record.front(), '(');
        EXPECT_EQ(ShortName(record).size(), 6u);
        EXPECT_GT(number(GetField(record, "Price")), 0.0);
        const double signal = number(GetField(record, "Signal"));
        EXPECT_GE(signal, -1.0);
        EXPECT_LE(signal, 1.0);
        EXPECT_EQ(GetField(record, "Time").size(), 19u);
    }
}

TEST_F(DemoService, SignalsDriftSmoothlyBetweenCalls)
{
    const std::vector<std::string> first = SplitReply(GetSignalService(false, s_url)->Signal(0, ""));
    const std::vector<std::string> second = SplitReply(GetSignalService(false, s_url)->Signal(0, ""));
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(ShortName(first[i]), ShortName(second[i]));
        EXPECT_LT(std::fabs(number(GetField(first[i], "Signal")) - number(GetField(second[i], "Signal"))), 0.5);
    }
}

TEST_F(DemoService, DescriptionFormReachesTheSameService)
{
    const std::string reply = GetSignalService(true, s_url + "?wsdl")->Signal(0, "");
    EXPECT_EQ(reply.rfind("(Symbol:EURUSD,", 0), 0u) << reply;
}

TEST_F(DemoService, UnknownPathIsAStatusError)
{
    const std::string url = s_url.substr(0, s_url.find("/webservice/")) + "/missing.php";
    try {
        GetSignalService(false, url)->Signal(0, "");
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Not Found (404) - '" + url + "'");
    }
}

TEST_F(DemoService, CommandLineToolPrintsTheReply)
{
    const ProcessResult result = run(std::string("'") + QUORVANE_SIGNAL_BIN + "' '" + s_url + "'");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.rfind("(Symbol:EURUSD,", 0), 0u) << result.out;
    EXPECT_TRUE(result.err.empty()) << result.err;
}

TEST(SignalTool, ExitCodesAndStreams)
{
    struct Row {
        const char* name;
        std::string arguments;
        int exitCode;
        std::string err;
    };
    const Row rows[] = {
        {"invalid_scheme", "ftp://host/x", 1, "Invalid url 'ftp://host/x' - only supports 'http' and 'https' schemes\n"},
        {"refused", "http://127.0.0.1:1/webservice/server.php", 1, ""},
        {"two_arguments", "a b", 2, ""},
        {"unknown_option", "--verbose", 2, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ProcessResult result = run(std::string("'") + QUORVANE_SIGNAL_BIN + "' " + row.arguments);
        EXPECT_EQ(result.exitCode, row.exitCode) << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;
        EXPECT_FALSE(result.err.empty());
        if (!row.err.empty()) {
            EXPECT_EQ(result.err, row.err);
        }
    }
}
