// The poll cycle as the window runs it: statuses, error-log lines, the symbol
// selector and the signal files.

#include "windowfixture.h"

#include "errorlog.h"

#include <QTimer>

#include <filesystem>

namespace quorvane::test {
namespace {

using PollTest = WindowTest;

TEST_F(PollTest, FirstPollRunsInsideCreateThenTimerTicksEvery15Seconds)
{
    script->fallback = kThreeRecords;
    open();
    EXPECT_EQ(script->calls, 1);
    EXPECT_EQ(script->liveClients, 0) << "the client lives for one call only";
    EXPECT_EQ(status(), "Connected!");
    auto* timer = form->findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 15000);
    EXPECT_FALSE(exists(dir / "error_log.txt"));
    EXPECT_TRUE(reports.empty());
}

TEST_F(PollTest, FailedFirstPollLogsAnEmptyReplyBetweenTheSeparators)
{
    script->fallback = "!Connection refused";
    open();
    EXPECT_EQ(status(), "Disconnect!");
    EXPECT_EQ(errorLog(), "Connection refused, , " + LogTimestamp(now) + "\n");
}

TEST_F(PollTest, FailedCallKeepsThePreviousReplyRecordsAndSelector)
{
    script->replies = {kThreeRecords, "!timeout"};
    open();
    form->Timer1Timer();
    EXPECT_EQ(status(), "Disconnect!");
    EXPECT_EQ(form->replyText(), kThreeRecords);
    EXPECT_EQ(form->records().size(), 3u);
    EXPECT_EQ(combo("ComboBox3")->count(), 3);
    EXPECT_EQ(errorLog(), "timeout, " + kThreeRecords + ", " + LogTimestamp(now) + "\n");
}

TEST_F(PollTest, EmptyReplyIsADataErrorWithoutLogLineAndLeavesTheDisplay)
{
    script->replies = {kThreeRecords, ""};
    open();
    form->Timer1Timer();
    EXPECT_EQ(status(), "Data Error!");
    EXPECT_FALSE(exists(dir / "error_log.txt"));
    EXPECT_TRUE(form->records().empty());
    EXPECT_EQ(combo("ComboBox3")->count(), 3);
    EXPECT_EQ(text("Label2"), "EURUSD");
}

TEST_F(PollTest, PickingASymbolAfterAnEmptyReplyReportsTheIndex)
{
    script->replies = {kThreeRecords, ""};
    open();
    form->Timer1Timer();
    combo("ComboBox3")->setCurrentIndex(1);
    emit combo("ComboBox3")->activated(1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "List index out of bounds (1)");
}

TEST_F(PollTest, ReplyWithoutClosingParenthesisLogsMinusOneIndex)
{
    script->fallback = "no records here";
    open();
    EXPECT_EQ(status(), "Data Error!");
    EXPECT_EQ(combo("ComboBox3")->count(), 0) << "the placeholder items are gone";
    EXPECT_EQ(errorLog(), "List index out of bounds (-1), no records here, " + LogTimestamp(now) + "\n");
    form->Timer1Timer();
    const std::string line = "List index out of bounds (-1), no records here, " + LogTimestamp(now) + "\n";
    EXPECT_EQ(errorLog(), line + line);
}

TEST_F(PollTest, SignalThatIsNotANumberIsADataErrorAfterLabel10)
{
    script->fallback = "(Symbol:EURUSD,Price:1.1,Time:t,Signal:abc)";
    open();
    EXPECT_EQ(status(), "Data Error!");
    EXPECT_EQ(text("Label10"), "abc");
    EXPECT_EQ(text("Label2"), "") << "labels after the conversion stay as they were";
    EXPECT_EQ(errorLog(), "'abc' is not a valid floating point value, " + script->fallback + ", " +
                              LogTimestamp(now) + "\n");
}

TEST_F(PollTest, SelectorKeepsTheUsersPickWhileTheSymbolsStayTheSame)
{
    script->fallback = kThreeRecords;
    open();
    QComboBox* box = combo("ComboBox3");
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(0), "EURUSD") << "cut to six characters";
    EXPECT_EQ(box->currentIndex(), 0);

    box->setCurrentIndex(2);
    emit box->activated(2);
    EXPECT_EQ(text("Label2"), "USDJPY");
    form->Timer1Timer();
    EXPECT_EQ(box->currentIndex(), 2);
    EXPECT_EQ(text("Label2"), "USDJPY");

    // One short name changes: the selection jumps to the first symbol.
    script->fallback = kThreeRecords.substr(0, kThreeRecords.rfind('(')) + "(Symbol:AUDUSD,Price:1,Time:t,Signal:0)";
    form->Timer1Timer();
    EXPECT_EQ(box->itemText(2), "AUDUSD");
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_EQ(text("Label2"), "EURUSD");
}

TEST_F(PollTest, RestoredSymbolSelectionIsReplacedByTheFirstPoll)
{
    writeFile(ini(), "[Form]\nsymbel=2\n");
    script->fallback = kThreeRecords;
    open();
    EXPECT_EQ(combo("ComboBox3")->currentIndex(), 0);
}

class SignalFileTest : public WindowTest {
protected:
    std::string terminal() const { return dir / "mt4"; }
    std::string signalFile(const std::string& name) const { return terminal() + "/experts/files/" + name; }
    void SetUp() override
    {
        std::filesystem::create_directories(terminal() + "/experts/files");
        writeFile(ini(), "[Form]\nmt4-path=" + terminal() + "\n");
    }
};

TEST_F(SignalFileTest, EachRecordGoesToItsShortNameAndOnlyEurusdIsRemovedAtExit)
{
    script->fallback = kThreeRecords;
    open();
    EXPECT_EQ(status(), "Connected!");
    EXPECT_EQ(readFile(signalFile("EURUSD")), "(Symbol:EURUSDm,Price:1.0850,Time:2026.12.08 10:00,Signal:0.1875)");
    EXPECT_EQ(readFile(signalFile("GBPUSD")), "(Symbol:GBPUSD,Price:1.2701,Time:2026.12.08 10:00,Signal:-0.25)");
    EXPECT_TRUE(exists(signalFile("USDJPY")));
    close();
    EXPECT_FALSE(exists(signalFile("EURUSD")));
    EXPECT_TRUE(exists(signalFile("GBPUSD")));
    EXPECT_TRUE(exists(signalFile("USDJPY")));
}

TEST_F(SignalFileTest, MissingFilesFolderEndsEveryPollAsDataError)
{
    std::filesystem::remove_all(terminal() + "/experts/files");
    script->fallback = kThreeRecords;
    open();
    EXPECT_EQ(status(), "Data Error!");
    const std::string log = errorLog();
    EXPECT_EQ(log.rfind("Cannot create file " + signalFile("EURUSD") + ", ", 0), 0u) << log;
    EXPECT_EQ(combo("ComboBox3")->itemText(0), "1") << "the selector is not synced after the failure";
}

TEST_F(PollTest, NoSignalFilesWithoutTerminalFolder)
{
    script->fallback = kThreeRecords;
    open();
    close();
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename(), "experts");
}

TEST_F(PollTest, TimerTickRunsAGuardedPoll)
{
    script->fallback = "!down";
    open();
    auto* timer = form->findChild<QTimer*>("Timer1");
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(script->calls, 2);
    EXPECT_TRUE(reports.empty());
}

} // namespace
} // namespace quorvane::test
