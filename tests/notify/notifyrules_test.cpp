// SPDX-License-Identifier: MIT
#include "notify/notifyrules.h"

#include "display/recordview.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace quorvane {
namespace {

// One poll in a row's script: "EURUSD +6" (6 long lamps shown), "GBPUSD -3"
// (3 short), "fail" (the service did not answer), "blank" (it answered, the
// display showed nothing), "N=4" (the user picks another threshold; no poll).
struct Step {
    int second; ///< the poll's time; local clock 10:00:00 plus this
    const char* what;
    const char* expected; ///< summaries sent, " | " between, "(critical)" after critical ones
};

struct Row {
    const char* name;
    int threshold;
    std::vector<Step> steps;
};

void PrintTo(const Row& row, std::ostream* os)
{
    *os << row.name;
}

PollFacts facts(int second, const std::string& what)
{
    PollFacts f;
    f.nowMs = 1'000'000'000 + second * 1000LL;
    char local[16];
    const int minutes = (10 * 60 * 60 + second) / 60; // the scripts stay within the day
    std::snprintf(local, sizeof local, "%02d:%02d", minutes / 60, minutes % 60);
    f.localTime = local;
    f.reached = what != "fail";
    if (what == "fail" || what == "blank")
        return f;
    SymbolFacts s;
    s.shortName = what.substr(0, what.find(' '));
    const int lit = std::stoi(what.substr(what.find(' ') + 1));
    s.lit = lit < 0 ? -lit : lit;
    s.side = what.find('-') != std::string::npos ? LampSide::Short : LampSide::Long;
    s.signal = "0.4";
    s.price = "1.0850";
    s.marketTime = "2026.12.08 10:00";
    f.selected = s;
    return f;
}

std::string summaries(const std::vector<Notification>& sent)
{
    std::string s;
    for (const Notification& n : sent)
        s += (s.empty() ? "" : " | ") + n.summary + (n.urgency == Urgency::Critical ? " (critical)" : "");
    return s;
}

class Rules : public ::testing::TestWithParam<Row> {};

TEST_P(Rules, SendWhatTheScriptExpects)
{
    NotificationRules rules;
    rules.setThreshold(GetParam().threshold);
    for (const Step& step : GetParam().steps) {
        SCOPED_TRACE(std::to_string(step.second) + " s: " + step.what);
        const std::string what = step.what;
        if (what.rfind("N=", 0) == 0) {
            rules.setThreshold(std::stoi(what.substr(2)));
            continue;
        }
        EXPECT_EQ(summaries(rules.afterPoll(facts(step.second, what))), step.expected);
    }
}

const char* const k6Long = "EURUSD: 6 long lamps";

INSTANTIATE_TEST_SUITE_P(
    Script, Rules,
    ::testing::Values(
        Row{"ReachedFromBelowOnce", 6,
            {{0, "EURUSD +5", ""}, {15, "EURUSD +6", k6Long}, {30, "EURUSD +7", ""}, {45, "EURUSD +6", ""}}},
        Row{"JumpPastTheThresholdNamesTheCount", 6, {{0, "EURUSD +2", ""}, {15, "EURUSD +8", "EURUSD: 8 long lamps"}}},
        Row{"ShortRow", 6, {{0, "EURUSD -3", ""}, {15, "EURUSD -6", "EURUSD: 6 short lamps"}}},
        Row{"AboveAtTheFirstPollIsNoCrossing", 6,
            {{0, "EURUSD +7", ""}, {15, "EURUSD +8", ""}, {30, "EURUSD +4", ""}, {45, "EURUSD +6", k6Long}}},
        Row{"ArmedAgainOnlyTwoBelow", 6,
            {{0, "EURUSD +5", ""},
             {15, "EURUSD +6", k6Long},
             {30, "EURUSD +5", ""},
             {400, "EURUSD +6", ""},
             {415, "EURUSD +4", ""},
             {430, "EURUSD +6", k6Long}}},
        Row{"NotAgainWithinFiveMinutes", 6,
            {{0, "EURUSD +3", ""},
             {15, "EURUSD +6", k6Long},
             {30, "EURUSD +4", ""},
             {314, "EURUSD +6", ""},
             {329, "EURUSD +4", ""},
             {330, "EURUSD +6", k6Long}}},
        Row{"FiveMinutesToTheSecond", 6,
            {{0, "EURUSD +3", ""}, {15, "EURUSD +6", k6Long}, {30, "EURUSD +4", ""}, {315, "EURUSD +6", k6Long}}},
        Row{"ThresholdOneIsArmedAgainAtNoLamp", 1,
            {{0, "EURUSD +0", ""},
             {15, "EURUSD +1", "EURUSD: 1 long lamp"},
             {30, "EURUSD +0", ""},
             {330, "EURUSD +1", "EURUSD: 1 long lamp"}}},
        Row{"FromLongStraightToShortWaitsForTheSymbolsFiveMinutes", 6,
            {{0, "EURUSD +3", ""},
             {15, "EURUSD +6", k6Long},
             {30, "EURUSD -6", ""},
             {45, "EURUSD -3", ""},
             {400, "EURUSD -6", "EURUSD: 6 short lamps"}}},
        Row{"EachSymbolHasItsOwnFiveMinutes", 6,
            {{0, "EURUSD +3", ""},
             {15, "EURUSD +6", k6Long},
             {30, "GBPUSD +3", ""},
             {45, "GBPUSD +6", "GBPUSD: 6 long lamps"},
             {60, "EURUSD +3", ""},
             {75, "EURUSD +6", ""}}},
        Row{"PickingASymbolThatIsAboveIsNoCrossing", 6, {{0, "EURUSD +3", ""}, {15, "GBPUSD +7", ""}}},
        Row{"OffSendsNoLamps", 0, {{0, "EURUSD +0", ""}, {15, "EURUSD +8", ""}}},
        Row{"OutOfRangeIsOff", 9, {{0, "EURUSD +0", ""}, {15, "EURUSD +8", ""}}},
        Row{"NewThresholdStartsAfresh", 6,
            {{0, "EURUSD +5", ""},
             {10, "N=4", ""},
             {15, "EURUSD +5", ""},
             {30, "EURUSD +2", ""},
             {45, "EURUSD +4", "EURUSD: 4 long lamps"}}},
        Row{"FailedAndBlankPollsKeepTheCount", 6,
            {{0, "EURUSD +5", ""}, {15, "fail", ""}, {30, "blank", ""}, {45, "EURUSD +6", k6Long}}},
        Row{"ClockSetBackEndsTheWait", 6,
            {{0, "EURUSD +3", ""}, {15, "EURUSD +6", k6Long}, {30, "EURUSD +4", ""}, {-600, "EURUSD +6", k6Long}}},
        Row{"UnreachableAfterTwoMinutesThenReachableAgain", 6,
            {{0, "EURUSD +3", ""},
             {75, "fail", ""},
             {90, "fail", ""},
             {194, "fail", ""},
             {195, "fail", "Signal service unreachable since 10:01 (critical)"},
             {210, "fail", ""},
             {600, "fail", ""},
             {615, "blank", "Signal service reachable again"},
             {630, "blank", ""}}},
        Row{"ShortOutageIsNotTold", 6, {{0, "fail", ""}, {119, "fail", ""}, {120, "EURUSD +3", ""}, {135, "fail", ""}}},
        Row{"OutageIsToldWithLampsOff", 0,
            {{0, "fail", ""}, {120, "fail", "Signal service unreachable since 10:00 (critical)"}}},
        Row{"RecoveryAndLampsInOnePoll", 6,
            {{0, "EURUSD +3", ""},
             {15, "fail", ""},
             {135, "fail", "Signal service unreachable since 10:00 (critical)"},
             {150, "EURUSD +6", "Signal service reachable again | EURUSD: 6 long lamps"}}},
        Row{"SecondOutageNamesItsOwnStart", 6,
            {{0, "fail", ""},
             {120, "fail", "Signal service unreachable since 10:00 (critical)"},
             {135, "blank", "Signal service reachable again"},
             {400, "fail", ""},
             {520, "fail", "Signal service unreachable since 10:06 (critical)"}}}),
    [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// A desktop that numbers what it shows, or refuses (0) on request.
class CountingNotifier : public Notifier {
public:
    std::vector<Notification> shown;
    bool refuse = false;
    std::uint32_t show(const Notification& n) override
    {
        shown.push_back(n);
        return refuse ? 0 : static_cast<std::uint32_t>(100 + shown.size());
    }
};

TEST(RulesIds, EachSubjectReplacesItsOwnLastNotification)
{
    NotificationRules rules;
    rules.setThreshold(6);
    CountingNotifier desktop;
    const auto poll = [&](int second, const char* what) {
        sendNotifications(rules, desktop, rules.afterPoll(facts(second, what)));
    };
    for (const auto& [second, what] : std::vector<std::pair<int, const char*>>{
             {0, "EURUSD +3"}, {15, "EURUSD +6"},                   // 101
             {30, "fail"}, {150, "fail"},                          // 102 unreachable
             {165, "GBPUSD +3"}, {180, "GBPUSD +6"},               // 103 reachable again, 104 GBPUSD
             {195, "EURUSD +3"}, {400, "EURUSD +7"}})              // 105 EURUSD again
        poll(second, what);
    ASSERT_EQ(desktop.shown.size(), 5u) << summaries(desktop.shown);
    const std::uint32_t replaced[] = {0, 0, 102, 0, 101};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(desktop.shown[i].replacesId, replaced[i]) << desktop.shown[i].summary;

    // Not shown (id 0): the one before stays the one to replace.
    desktop.refuse = true;
    poll(410, "EURUSD +4");
    poll(715, "EURUSD +6");
    desktop.refuse = false;
    poll(730, "EURUSD +4");
    poll(1030, "EURUSD +6");
    ASSERT_EQ(desktop.shown.size(), 7u);
    EXPECT_EQ(desktop.shown[5].replacesId, 105u);
    EXPECT_EQ(desktop.shown[6].replacesId, 105u);
}

TEST(RulesBody, NamesSignalPriceAndMarketTime)
{
    NotificationRules rules;
    rules.setThreshold(6);
    rules.afterPoll(facts(0, "EURUSD +3"));
    const std::vector<Notification> sent = rules.afterPoll(facts(15, "EURUSD +6"));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].body, "Signal: 0.4\nPrice: 1.0850\nMarket time: 2026.12.08 10:00");
    EXPECT_EQ(sent[0].symbol, "EURUSD");
    EXPECT_EQ(sent[0].urgency, Urgency::Normal);
}

// The count is the window's own: the lamps recordView lights for the record.
TEST(RulesFacts, CountTheLampsTheWindowShows)
{
    const struct {
        const char* name;
        const char* signal;
        const char* maximum;
        int lit;
        LampSide side;
    } rows[] = {
        {"ThreeLong", "0.1875", "0.5", 3, LampSide::Long},
        {"JustBelowTheFourthLamp", "0.2499", "0.5", 3, LampSide::Long},
        {"AllEightBeyondTheMaximum", "0.9", "0.5", 8, LampSide::Long},
        {"FourShort", "-0.25", "0.5", 4, LampSide::Short},
        {"BelowZeroWithoutALampIsShort", "-0.01", "0.5", 0, LampSide::Short},
        {"OddMaximumAtItsExactBoundary", "-0.026250000000000002", "0.07", 3, LampSide::Short},
        {"Zero", "0", "0.5", 0, LampSide::Long},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string record =
            std::string("(Symbol:EURUSDm,Price:1.0850,Time:2026.12.08 10:00,Signal:") + row.signal + ")";
        const SymbolFacts f = symbolFacts(recordView(record, "EURUSD", row.maximum, '.'));
        EXPECT_EQ(f.lit, row.lit);
        EXPECT_EQ(f.side, row.side);
        EXPECT_EQ(f.shortName, "EURUSD");
        EXPECT_EQ(f.signal, row.signal);
        EXPECT_EQ(f.price, "1.0850");
        EXPECT_EQ(f.marketTime, "2026.12.08 10:00");
    }
}

} // namespace
} // namespace quorvane
