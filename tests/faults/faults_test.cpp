// SPDX-License-Identifier: MIT
// The program against faults a user meets: a service that breaks off or goes
// silent, a terminal folder that disappears, a log or settings file that
// cannot be written. Each time it must report as designed and keep going.
//
// The tests run as root, where permission bits do not stop a write, so an
// unwritable file is made by putting a folder where the file should be, and an
// unwritable folder by making its path pass through a regular file.
#include "core/exceptions.h"
#include "tests/support/formharness.h"
#include "feed/helloworld.h"
#include "tests/support/loopbackservice.h"
#include "tests/support/qtapp.h"
#include "core/records.h"
#include "app/tform1.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace quorvane::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

class Faults : public ::testing::Test {
protected:
    // A window in its own scratch folder whose every poll goes to m_path.
    void openWindow(milliseconds timeLimit = milliseconds(2000))
    {
        m_path = "/good/1";
        m_form = std::make_unique<TForm1>(m_harness.services([this] { return m_service.url(m_path); }, timeLimit));
        ASSERT_EQ(FormHarness::status(*m_form), "Connected!");
    }

    // One poll against `path`; returns the status text it left.
    std::string poll(const std::string& path)
    {
        m_path = path;
        m_form->Timer1Timer();
        return FormHarness::status(*m_form);
    }

    std::string signalFile(const std::string& name) const
    {
        return readFile(m_harness.signalFolder + name);
    }

    LoopbackService m_service;
    FormHarness m_harness;
    std::string m_path;
    std::unique_ptr<TForm1> m_form;
};

TEST_F(Faults, ServiceBreakingOffMidResponseIsOneLoggedFailureAndKeepsTheLastRecords)
{
    openWindow();
    const std::string before = signalFile("EURUSD");
    ASSERT_NE(before.find("Price=1.01,"), std::string::npos);

    EXPECT_EQ(poll("/midbody"), "Disconnect!");
    EXPECT_EQ(m_harness.logEntries(), 1u);
    EXPECT_EQ(signalFile("EURUSD"), before);
    EXPECT_EQ(m_form->records().size(), 3u) << "a failed call must leave the records of the last reply";

    EXPECT_EQ(poll("/good/2"), "Connected!");
    EXPECT_NE(signalFile("EURUSD").find("Price=1.02,"), std::string::npos);
}

TEST_F(Faults, SilentServerIsCutOffByTheClientsTimeLimit)
{
    const milliseconds limit(400);
    openWindow(limit);
    const auto started = Clock::now();
    EXPECT_EQ(poll("/hang"), "Disconnect!");
    const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - started);
    EXPECT_GE(took, limit - milliseconds(50));
    EXPECT_LT(took, limit + milliseconds(1500)) << "the poll outlived its time limit";

    const std::string log = readFile(m_harness.errorLog);
    EXPECT_NE(log.find(" - URL:" + m_service.url("/hang") + " - SOAPAction:urn:HelloWorld#Adder, "), std::string::npos)
        << log;
    EXPECT_EQ(m_harness.logEntries(), 1u);
    EXPECT_EQ(poll("/good/3"), "Connected!");
}

// The program sets no time limit of its own; the client's default must still
// end a call to a server that never finishes its answer.
TEST_F(Faults, SilentServerIsCutOffByTheDefaultTimeLimitToo)
{
    const std::shared_ptr<HelloWorldPortType> client = GetSignalService(false, m_service.url("/hang"));
    const auto started = Clock::now();
    EXPECT_THROW(client->Signal(0, ""), Exception);
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(20));
}

TEST_F(Faults, OversizedResponseIsRefusedInsteadOfFillingMemory)
{
    openWindow(milliseconds(10000));
    EXPECT_EQ(poll("/huge"), "Disconnect!");
    EXPECT_EQ(m_harness.logEntries(), 1u);
    EXPECT_EQ(poll("/good/4"), "Connected!");
}

TEST_F(Faults, ServiceThatGoesAwayAndComesBack)
{
    openWindow();
    m_service.stop();
    EXPECT_EQ(poll("/good/5"), "Disconnect!");
    EXPECT_EQ(poll("/good/6"), "Disconnect!");
    EXPECT_EQ(m_harness.logEntries(), 2u);
    EXPECT_NE(signalFile("EURUSD").find("Price=1.01,"), std::string::npos);

    m_service.start();
    EXPECT_EQ(poll("/good/7"), "Connected!");
    EXPECT_NE(signalFile("EURUSD").find("Price=1.07,"), std::string::npos);
    EXPECT_EQ(m_harness.logEntries(), 2u);
}

TEST_F(Faults, TerminalFolderDisappearingWhileRunningIsADataErrorUntilItReturns)
{
    openWindow();
    fs::remove_all(m_harness.terminalFolder);

    EXPECT_EQ(poll("/good/8"), "Data Error!");
    const std::string log = readFile(m_harness.errorLog);
    EXPECT_EQ(log.rfind("Cannot create file " + m_harness.signalFolder + "EURUSD, ", 0), 0u) << log;
    EXPECT_FALSE(fs::exists(m_harness.terminalFolder)) << "the program must not make the terminal's folders";

    fs::create_directories(m_harness.signalFolder);
    EXPECT_EQ(poll("/good/9"), "Connected!");
    for (const std::string& record : m_form->records())
        EXPECT_EQ(signalFile(shortName(record)), record);
    EXPECT_EQ(m_harness.logEntries(), 1u);
}

TEST_F(Faults, ErrorLogThatCannotBeWrittenEscapesThePollWithItsPathAndTheNextPollGoesOn)
{
    openWindow();
    fs::create_directory(m_harness.errorLog);   // a folder where the log should be

    m_path = "/404";
    try {
        m_form->Timer1Timer();
        ADD_FAILURE() << "a log that cannot be written must be reported";
    } catch (const Exception& e) {
        const std::string message = e.what();
        EXPECT_TRUE(message == "Cannot open file " + m_harness.errorLog
                    || message == "Cannot create file " + m_harness.errorLog)
            << message;
    }
    EXPECT_EQ(FormHarness::status(*m_form), "Disconnect!");

    fs::remove(m_harness.errorLog);
    EXPECT_EQ(poll("/fault"), "Disconnect!");
    EXPECT_EQ(m_harness.logEntries(), 1u);
    EXPECT_EQ(poll("/good/10"), "Connected!");
}

TEST_F(Faults, SettingsFileThatCannotBeWrittenIsReportedAtExit)
{
    openWindow();
    const std::string settings = m_harness.folder + "quorvane.INI";
    fs::remove(settings);
    fs::create_directory(settings);

    m_form.reset();   // FormDestroy
    ASSERT_EQ(m_harness.reported.size(), 1u);
    EXPECT_EQ(m_harness.reported.front(), "Unable to write to " + settings);
    EXPECT_TRUE(fs::is_directory(settings));
}

// The executable's folder is unusable (its path runs through a regular file):
// no settings, no log. The window still comes up with defaults, polls, and
// reports each write it cannot make.
TEST_F(Faults, ExecutableFolderThatCannotHoldFiles)
{
    const std::string blocker = m_harness.folder + "blocker";
    std::ofstream(blocker) << "not a folder";
    FormServices services = m_harness.services([this] { return m_service.url(m_path); });
    services.executablePath = blocker + "/quorvane";
    m_path = "/good/11";
    auto form = std::make_unique<TForm1>(std::move(services));
    EXPECT_EQ(FormHarness::status(*form), "Connected!");

    m_path = "/drop";
    try {
        form->Timer1Timer();
        ADD_FAILURE() << "a log that cannot be created must be reported";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + blocker + "/error_log.txt");
    }
    m_path = "/good/12";
    form->Timer1Timer();
    EXPECT_EQ(FormHarness::status(*form), "Connected!");

    // At exit the alarm log is written first; its failure is reported and
    // ends the saving there, as any error leaving FormDestroy does.
    form.reset();
    ASSERT_EQ(m_harness.reported.size(), 1u);
    EXPECT_EQ(m_harness.reported.front(), "Cannot create file " + blocker + "/log.txt");
}

// A symbol is part of a file name; whatever the service sends, nothing may be
// written outside experts/files.
struct HostileSymbol {
    const char* name;
    const char* symbol;
    const char* shortName;
};

// Shown by GoogleTest in place of the raw bytes of the row.
void PrintTo(const HostileSymbol& row, std::ostream* out)
{
    *out << row.name;
}

class HostileSymbols : public Faults, public ::testing::WithParamInterface<HostileSymbol> {};

std::map<std::string, std::string> snapshot(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string path = entry.path().string();
        files[path] = entry.is_regular_file() ? readFile(path) : std::string("<folder>");
    }
    return files;
}

std::string hex(const std::string& text)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : text) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

TEST_P(HostileSymbols, WriteNothingOutsideTheSignalFolder)
{
    openWindow();
    // The error log and the history beside the program are the program's own files.
    const auto ownFiles = [this](std::map<std::string, std::string> files) {
        files.erase(m_harness.errorLog);
        for (auto it = files.begin(); it != files.end();)
            it = it->first.rfind(m_harness.folder + "history.sqlite", 0) == 0 ? files.erase(it) : std::next(it);
        return files;
    };
    const auto before = ownFiles(snapshot(m_harness.folder));

    EXPECT_EQ(poll("/symbol/" + hex(GetParam().symbol)), "Data Error!");
    const std::string log = readFile(m_harness.errorLog);
    EXPECT_EQ(log.rfind("Cannot create file " + m_harness.signalFolder + GetParam().shortName + ", ", 0), 0u) << log;
    EXPECT_EQ(ownFiles(snapshot(m_harness.folder)), before);

    EXPECT_EQ(poll("/good/2"), "Connected!");
}

INSTANTIATE_TEST_SUITE_P(Replies, HostileSymbols,
    ::testing::Values(HostileSymbol{"ParentOfParent", "../../evil", "../../"},
                      HostileSymbol{"Parent", "..", ".."},
                      HostileSymbol{"Current", ".", "."},
                      HostileSymbol{"SeparatorInside", "EUR/USD", "EUR/US"},
                      HostileSymbol{"AbsolutePath", "/tmp/x", "/tmp/x"},
                      HostileSymbol{"Empty", "", ""}),
    [](const ::testing::TestParamInfo<HostileSymbol>& info) { return std::string(info.param.name); });

} // namespace
} // namespace quorvane::test
