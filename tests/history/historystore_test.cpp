// SPDX-License-Identifier: MIT
// What goes into history.sqlite comes back byte for byte, the signal as a
// number where it is one, and old polls leave on time.

#include "historytest.h"
#include "tests/support/scratchfolder.h"

#include "core/records.h"
#include "history/historyreader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>


namespace quorvane::test {
namespace {

TEST(HistoryStore, KeepsEveryFieldAsReceivedAndTheSignalAsANumberWhereItIsOne)
{
    const struct Row {
        const char* name;
        std::string record;
        const char* shortName;
        bool number; // the Signal reads as a number
    } rows[] = {
        {"DemoRecord", demoRecord("EURUSD", "1.08423", "0.4213"), "EURUSD", true},
        {"LongSymbolKeptInFull", demoRecord("EURUSDm.pro", "1.1", "-0.5"), "EURUSD", true},
        {"ShortSymbol", demoRecord("EU", "1.1", "1"), "EU", true},
        {"Latin1Bytes", demoRecord("USDJPY", "149\xe9", "0.1", "08.12.2026 \xb0"), "USDJPY", true},
        {"Utf8Bytes", demoRecord("GBPUSD", "1.2", "0.1", "2026 \xc3\xa9t\xc3\xa9"), "GBPUSD", true},
        {"NulByteInAField", demoRecord("AUDUSD", std::string("0.6\0" "5", 5), "0.2"), "AUDUSD", true},
        {"QuoteAndLineBreak", demoRecord("NZDUSD", "\"0.6\"", "0.2", "10:15\r\n"), "NZDUSD", true},
        {"SignalNoNumber", demoRecord("USDCHF", "0.88", "abc"), "USDCHF", false},
        {"SignalEmpty", demoRecord("USDCAD", "1.35", ""), "USDCAD", false},
        {"SignalWithTrailingZero", demoRecord("EURGBP", "0.85", "0.50"), "EURGBP", true},
        {"SignalWithPlus", demoRecord("EURGBP", "0.85", "+0.5"), "EURGBP", true},
        {"SignalNegativeZero", demoRecord("EURGBP", "0.85", "-0"), "EURGBP", true},
        {"SignalWithBlanks", demoRecord("EURGBP", "0.85", " 0.5 "), "EURGBP", true},
        {"SignalExponent", demoRecord("EURGBP", "0.85", "1e-05"), "EURGBP", true},
        {"EmptyFields", "(Symbol:X,Price:,Time:,Signal:)", "X", false},
        {"NoFieldsAtAll", ")", "", false},
    };
    ScratchFolder dir;
    TestClock clock;
    std::vector<std::string> messages;
    HistoryStore store(optionsFor(dir / "history.sqlite", clock, messages));
    std::int64_t received = kNoon;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        received += 15000;
        ASSERT_TRUE(store.recordPoll(received, {row.record}));
        const HistoryReader reader(dir / "history.sqlite");
        for (const HistorySource* source : {static_cast<const HistorySource*>(&store),
                                            static_cast<const HistorySource*>(&reader)}) {
            const std::vector<HistoryPoint> points = source->points(row.shortName, received, received + 1);
            ASSERT_EQ(points.size(), 1u);
            const HistoryPoint& p = points.front();
            EXPECT_EQ(p.receivedUtcMs, received);
            EXPECT_EQ(p.symbol, GetField(row.record, "Symbol"));
            EXPECT_EQ(p.price, GetField(row.record, "Price"));
            EXPECT_EQ(p.marketTime, GetField(row.record, "Time"));
            EXPECT_EQ(p.signalText, GetField(row.record, "Signal"));
            EXPECT_EQ(p.signal.has_value(), row.number);
            if (row.number && p.signal) {
                EXPECT_EQ(*p.signal, std::stod(std::string(GetField(row.record, "Signal"))));
            }
        }
    }
    EXPECT_TRUE(messages.empty());
    // The number is NULL in the file itself, not merely reported empty.
    RawConnection raw(dir / "history.sqlite");
    EXPECT_EQ(raw.scalar("SELECT count(*) FROM records WHERE signal IS NULL"), "4");
    EXPECT_EQ(raw.scalar("SELECT count(*) FROM records WHERE signal IS NULL AND signal_text IS NULL"), "0");
}

TEST(HistoryStore, APollsRecordsComeBackInTheRepliesOrderAndSymbolsListsTheShortNames)
{
    ScratchFolder dir;
    TestClock clock;
    std::vector<std::string> messages;
    HistoryStore store(optionsFor(dir / "history.sqlite", clock, messages));
    // The same symbol twice in one reply, and two symbols sharing a short name.
    ASSERT_TRUE(store.recordPoll(kNoon, {demoRecord("EURUSDm", "2", "0.2"), demoRecord("GBPUSD", "9", "0.9"),
                                         demoRecord("EURUSD", "1", "0.1"), demoRecord("EURUSDm", "3", "0.3")}));
    ASSERT_TRUE(store.recordPoll(kNoon - 15000, {demoRecord("EURUSD", "0", "0")}));
    std::string prices;
    for (const HistoryPoint& p : HistoryReader(dir / "history.sqlite").points("EURUSD", 0, kNoon + 1))
        prices += p.price;
    EXPECT_EQ(prices, "0213") << "oldest poll first, then the reply's order";
    EXPECT_EQ(store.symbols(), (std::vector<std::string>{"EURUSD", "GBPUSD"}));
    EXPECT_TRUE(store.points("EURUSD", kNoon + 1, kNoon + 2).empty()) << "the range's end is excluded";
}

TEST(HistoryStore, TwoWritersInTheSameMillisecondKeepBothPolls)
{
    ScratchFolder dir;
    TestClock clock;
    std::vector<std::string> messages;
    HistoryStore window(optionsFor(dir / "history.sqlite", clock, messages));
    HistoryStore bridge(optionsFor(dir / "history.sqlite", clock, messages));
    ASSERT_TRUE(window.recordPoll(kNoon, {demoRecord("EURUSD", "1", "0.1")}));
    ASSERT_TRUE(bridge.recordPoll(kNoon, {demoRecord("EURUSD", "2", "0.1")}));
    const std::vector<HistoryPoint> points = window.points("EURUSD", kNoon, kNoon + 1000);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].price + points[1].price, "12");
    // A clock that stands still (or was set back) loses no poll either.
    for (int poll = 0; poll < 20; ++poll)
        ASSERT_TRUE(window.recordPoll(kNoon, {demoRecord("EURUSD", "3", "0.1")})) << poll;
    EXPECT_EQ(window.points("EURUSD", kNoon, kNoon + 1000).size(), 22u);
    EXPECT_TRUE(messages.empty());
}

TEST(HistoryStore, RemovesPollsOlderThanTheDaysAtOpenAndOnceADay)
{
    ScratchFolder dir;
    const std::string file = dir / "history.sqlite";
    TestClock clock;
    std::vector<std::string> messages;
    HistoryOptions options = optionsFor(file, clock, messages);
    options.days = 2;
    const auto received = [&] {
        std::string days;
        for (const HistoryPoint& p : HistoryReader(file).points("EURUSD", 0, kNoon + 10 * kDayMs))
            days += std::to_string((p.receivedUtcMs - kNoon) / kDayMs) + " ";
        return days;
    };
    {
        HistoryStore store(options);
        // What the clock says now, not the poll's time, decides what is old.
        for (int day : {-3, -2, -1, 0})
            ASSERT_TRUE(store.recordPoll(kNoon + day * kDayMs, {demoRecord("EURUSD", "1", "0", std::to_string(day))}));
        EXPECT_EQ(received(), "-3 -2 -1 0 ") << "nothing is removed between the daily rounds";
        clock.now += kDayMs - 1;
        ASSERT_TRUE(store.recordPoll(clock.now, demoPoll(1)));
        EXPECT_EQ(received(), "-3 -2 -1 0 0 ") << "not yet a day since the last round";
        clock.now += 1;
        ASSERT_TRUE(store.recordPoll(clock.now, demoPoll(2)));
        EXPECT_EQ(received(), "-1 0 0 1 ") << "a day on: older than two days is gone";
    }
    RawConnection raw(file);
    EXPECT_EQ(raw.scalar("SELECT group_concat(bytes, ' ') FROM texts ORDER BY id"), "-1 0 2026.12.08 14:30")
        << "market times no record refers to are gone too";
    clock.now += 2 * kDayMs;
    HistoryStore reopened(options);
    EXPECT_EQ(received(), "1 ") << "at open";
    // A clock that ran eight days ahead is set right: the rounds go on from
    // the corrected time instead of waiting for the wrong one to come round.
    clock.now -= 8 * kDayMs;
    for (int day : {-5, -4, -3, -2}) {
        ASSERT_TRUE(reopened.recordPoll(clock.now, {demoRecord("EURUSD", "1", "0", std::to_string(day))}));
        clock.now += kDayMs;
    }
    EXPECT_EQ(received(), "-4 -3 -2 1 ") << "after the clock was set back";
    EXPECT_TRUE(messages.empty());
}

TEST(HistoryStore, ZeroDaysKeepsNothingAndCreatesNoFile)
{
    ScratchFolder dir;
    TestClock clock;
    std::vector<std::string> messages;
    HistoryOptions options = optionsFor(dir / "data/quorvane/history.sqlite", clock, messages);
    options.days = 0;
    HistoryStore store(options);
    EXPECT_FALSE(store.recordPoll(kNoon, demoPoll(1)));
    EXPECT_TRUE(listTree(dir.path()).empty());
    EXPECT_TRUE(messages.empty());
}

TEST(HistoryStore, CreatesItsMissingFoldersForTheUserAlone)
{
    ScratchFolder dir;
    TestClock clock;
    std::vector<std::string> messages;
    HistoryStore store(optionsFor(dir / "share/quorvane/history.sqlite", clock, messages));
    ASSERT_TRUE(store.recordPoll(kNoon, demoPoll(1)));
    for (const char* folder : {"share", "share/quorvane"}) {
        struct stat info {};
        ASSERT_EQ(::stat((dir / folder).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << folder;
    }
}

} // namespace
} // namespace quorvane::test
