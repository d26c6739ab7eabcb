// SPDX-License-Identifier: MIT
// The poll cycle of the main window: statuses, error-log lines, the symbol
// selector across polls, and a first run against a real SOAP endpoint on loopback.

#include "tests/support/windowfixture.h"

#include "tests/support/loopbackserver.h"
#include "tests/support/pollscenarios.h"
#include "history/historyreader.h"

#include <QTimer>

#include <algorithm>

namespace quorvane::test {
namespace {

TEST_F(WindowTest, FirstPollRunsInsideCreateThenEachTimerTickRunsAGuardedPoll)
{
    fake.replies = {kThreeRecords, "!down"};
    open();
    EXPECT_EQ(fake.calls, 1);
    EXPECT_EQ(fake.liveClients, 0) << "a client lives for one call only";
    EXPECT_EQ(status(), "Connected!");
    EXPECT_FALSE(exists(dir / "error_log.txt"));
    auto* timer = form->findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 15000);
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(fake.calls, 2);
    EXPECT_EQ(status(), "Disconnect!");
    EXPECT_TRUE(fake.reports.empty());
}

TEST_F(WindowTest, FailedOrBadFirstPollSetsTheStatusAndLogsMessageAndReply)
{
    const struct {
        const char* reply; // "!text": the call fails with "text"
        const char* status;
        const char* logLine; // before ", " + local time; empty: no log line at all
    } rows[] = {
        {"!Connection refused", "Disconnect!", "Connection refused, "},
        {"", "Data Error!", ""},
        {"no records", "Data Error!", "List index out of bounds (-1), no records"},
        {"(Symbol:EURUSD,Signal:abc)", "Data Error!",
         "'abc' is not a valid floating point value, (Symbol:EURUSD,Signal:abc)"},
        // The message quotes the field's own bytes, not a caption's copy of them.
        {"(Symbol:EURUSD,Signal:\xff)", "Data Error!",
         "'\xff' is not a valid floating point value, (Symbol:EURUSD,Signal:\xff)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reply);
        std::filesystem::remove(dir / "error_log.txt");
        fake.fallback = row.reply;
        open();
        EXPECT_EQ(status(), row.status);
        const std::string line = *row.logLine ? row.logLine + (", " + logTimestamp(now) + "\n") : "";
        EXPECT_EQ(errorLog(), line);
        form->Timer1Timer();
        EXPECT_EQ(errorLog(), line + line);
        close();
    }
}

// The poll cycle's shared scenarios, with the window as the front end.
TEST_F(WindowTest, PollScenariosOfTheCycle)
{
    for (const PollScenario& row : pollScenarios()) {
        SCOPED_TRACE(row.name);
        const std::string files = dir / "mt4/experts/files/";
        std::filesystem::remove_all(dir / "mt4");
        std::filesystem::remove(dir / "error_log.txt");
        for (const char* file : {"history.sqlite", "history.sqlite-wal", "history.sqlite-shm"})
            std::filesystem::remove(dir / file);
        std::filesystem::create_directories(row.signalFolderMissing ? dir / "mt4/experts" : files);
        writeFile(ini(), "[Form]\nmt4-path=" + (dir / "mt4") + "\n");
        fake.fallback = row.reply;
        open();
        EXPECT_EQ(status(), row.windowStatus ? row.windowStatus : row.status);
        std::vector<std::string> written;
        if (std::filesystem::is_directory(files))
            for (const auto& entry : std::filesystem::directory_iterator(files))
                written.push_back(entry.path().filename().string());
        std::sort(written.begin(), written.end());
        EXPECT_EQ(written, row.files);
        std::string line = row.windowLogLine ? row.windowLogLine : row.logLine;
        if (const std::size_t at = line.find("{files}"); at != std::string::npos)
            line.replace(at, 7, files);
        EXPECT_EQ(errorLog(), line.empty() ? "" : line + ", " + logTimestamp(now) + "\n");
        close();
        std::size_t recorded = 0;
        HistoryReader(dir / "history.sqlite").forEach(std::nullopt, 0, [&recorded, this](const HistoryPoint& point) {
            EXPECT_EQ(point.receivedUtcMs, now.toMSecsSinceEpoch());
            ++recorded;
        });
        EXPECT_EQ(recorded, row.recorded);
    }
}

TEST_F(WindowTest, UnwritableErrorLogAtTheFirstPollIsReportedAndPollingGoesOn)
{
    // A folder where the log should be: the failed first poll cannot log, the
    // error leaves FormCreate before the poll interval is set, and the timer
    // keeps the layout's pace instead of stopping for good.
    std::filesystem::create_directory(dir / "error_log.txt");
    fake.fallback = "!Connection refused";
    open();
    ASSERT_EQ(fake.reports.size(), 1u);
    EXPECT_EQ(fake.reports[0], "Cannot open file " + (dir / "error_log.txt"));
    auto* timer = form->findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 6000);
}

TEST_F(WindowTest, SelectorFollowsTheUsersPickAndSurvivesFailedAndEmptyPolls)
{
    writeFile(ini(), "[Form]\nsymbel=2\nMaxS=50\n");
    const std::string changed = kThreeRecords.substr(0, kThreeRecords.rfind('(')) + record("AUDUSD", "0");
    fake.replies = {kThreeRecords, kThreeRecords, changed, "!timeout", ""};
    open();
    QComboBox* box = combo("ComboBox3");
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(0), "EURUSD") << "cut to six characters";
    EXPECT_EQ(box->currentIndex(), 0) << "the first poll replaces the restored pick";
    const auto pick = [box](int index) {
        box->setCurrentIndex(index);
        emit box->activated(index);
    };
    pick(1); // a user pick refreshes at once
    EXPECT_EQ(text("Label2"), "GBPUSD");
    EXPECT_EQ(form->trayIcon()->Hint(), "Quorvane--GBPUSD");
    EXPECT_EQ(lamps(), "00000000 22220000 3 2");
    form->Timer1Timer();
    EXPECT_EQ(box->currentIndex(), 1) << "kept while the symbols stay the same";
    EXPECT_EQ(text("Label2"), "GBPUSD");
    form->Timer1Timer();
    EXPECT_EQ(box->itemText(2), "AUDUSD");
    EXPECT_EQ(box->currentIndex(), 0) << "one short name changed: back to the first";
    EXPECT_EQ(text("Label2"), "EURUSD");

    form->Timer1Timer(); // a failed call keeps the reply, the records and the selector
    EXPECT_EQ(status(), "Disconnect!");
    EXPECT_EQ(form->replyText(), changed);
    EXPECT_EQ(form->records().size(), 3u);
    const std::string log = "timeout, " + changed + ", " + logTimestamp(now) + "\n";
    EXPECT_EQ(errorLog(), log);
    form->Timer1Timer(); // an empty reply drops the records but not the selector or display
    EXPECT_EQ(status(), "Data Error!");
    EXPECT_EQ(errorLog(), log);
    EXPECT_TRUE(form->records().empty());
    EXPECT_EQ(box->count(), 3);
    EXPECT_EQ(text("Label2"), "EURUSD");
    EXPECT_TRUE(fake.reports.empty());
    pick(1); // no record behind it now
    EXPECT_EQ(fake.reports, std::vector<std::string>{"List index out of bounds (1)"});
}

TEST_F(WindowTest, EightBitShortNamesKeepTheUsersPickAcrossPolls)
{
    const struct {
        const char* name;
        std::string symbol, shortName;
    } rows[] = {
        {"Latin1", "\xc4UR\xdcSD", "\xc4UR\xdcSD"},
        {"Utf8CharacterCutAtSix", "EURUS\xc3\xa9", "EURUS\xc3"},
        {"LoneContinuationBytes", "\x80\x81\x82\x83", "\x80\x81\x82\x83"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string reply = record("GBPUSD", "0.1") + record(row.symbol, "-0.2") + record("USDJPY", "0");
        fake.fallback = reply;
        open();
        QComboBox* box = combo("ComboBox3");
        ASSERT_EQ(box->count(), 3);
        box->setCurrentIndex(1);
        emit box->activated(1);
        EXPECT_EQ(form->trayIcon()->Hint(), "Quorvane--" + row.shortName);
        form->Timer1Timer();
        form->Timer1Timer();
        EXPECT_EQ(box->currentIndex(), 1) << "the same symbols must not count as a change";
        EXPECT_EQ(form->trayIcon()->Hint(), "Quorvane--" + row.shortName);
        fake.fallback = record("GBPUSD", "0.1") + record(row.shortName + "X", "-0.2") + record("EURUSD", "0");
        form->Timer1Timer();
        EXPECT_EQ(box->currentIndex(), 0) << "a real change still selects the first symbol";
        EXPECT_TRUE(fake.reports.empty());
        close();
    }
}

TEST_F(WindowTest, FirstRunInAnEmptyFolderAgainstALoopbackServiceThenAFault)
{
    const auto body = [](const char* name) { return readFile(std::string(QUORVANE_TEST_DATA) + "/soap/" + name); };
    const std::string good = body("php_soapserver_reply.xml"), fault = body("fault.xml");
    LoopbackServer server([&](const HttpRequest&, int n) {
        return n == 0 ? httpReply(200, "OK", good) : httpReply(500, "Internal Server Error", fault);
    });
    serviceUrl = server.url();
    open();
    EXPECT_EQ(status(), "Connected!");
    EXPECT_EQ(combo("ComboBox3")->count(), 8);
    EXPECT_EQ(text("Label2"), "EURUSD");
    form->Timer1Timer();
    EXPECT_EQ(status(), "Disconnect!");
    EXPECT_NE(errorLog().find("No signal today"), std::string::npos) << errorLog();
    close();
    EXPECT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(readFile(ini()),
              "[Form]\r\nsound=0\r\nhint=1\r\nOpenS=2\r\nCloseS=1\r\nMaxS=25\r\nmt4-path=\r\ncommon-files=0\r\nnotify-lamps=0\r\n");
    EXPECT_TRUE(exists(dir / "log.txt"));
    EXPECT_EQ(readFile(dir / "log.txt"), "");
    EXPECT_TRUE(fake.reports.empty());
}

// The notifications read what the window shows (MaxS 50: 0.0625 a lamp) and
// follow the window's clock; without a notification service the tray's
// balloon shows them.
TEST_F(WindowTest, NotificationsFollowTheLampsShownAndTheServicesOutages)
{
    writeFile(ini(), "[Form]\nnotify-lamps=6\nMaxS=50\n");
    fake.replies = {record("EURUSDm", "0.3"), record("EURUSDm", "0.375")};
    fake.fallback = "!down";
    open(); // 4 lamps
    EXPECT_EQ(combo("NotifyLampsBox")->currentIndex(), 6);
    form->Timer1Timer(); // 6 lamps
    EXPECT_EQ(fake.notified, std::vector<std::string>{"EURUSD: 6 long lamps"});
    for (int poll = 0; poll < 9; ++poll) { // down from 10:15:45 until two minutes later
        now = now.addSecs(15);
        form->Timer1Timer();
    }
    fake.replies = {record("EURUSDm", "0.25"), record("EURUSDm", "0.4")};
    now = now.addSecs(15);
    form->Timer1Timer(); // 4 lamps: armed again
    EXPECT_EQ(fake.notified, (std::vector<std::string>{"EURUSD: 6 long lamps",
                                                       "Signal service unreachable since 10:15",
                                                       "Signal service reachable again (replaces 102)"}));
    fake.noNotificationService = true;
    now = now.addSecs(300);
    form->Timer1Timer();
    EXPECT_EQ(fake.balloons, std::vector<std::string>{
                                 "EURUSD: 6 long lamps / Signal: 0.4\nPrice: 1.5\nMarket time: 2026.12.08 09:59"});
    combo("NotifyLampsBox")->setCurrentIndex(3);
    close();
    EXPECT_EQ(TIniFile(ini()).ReadString("Form", "notify-lamps", "?"), "3");
    EXPECT_TRUE(fake.reports.empty());
}

} // namespace
} // namespace quorvane::test
