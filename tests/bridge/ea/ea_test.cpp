// SPDX-License-Identifier: MIT
// The expert advisor's own source, compiled through mql4.h, against the
// simulated terminal: what it reads, when it decides, what it shows.

#include "ea_fixture.h"
#include "bridge/signalfiles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <random>

namespace {

using namespace eatest;

TEST_F(ExpertAdvisor, FreshSignalOpensOneLevelPerLitLampWithStopAndFiveDigitSlippage)
{
    ASSERT_EQ(OnInit(), INIT_SUCCEEDED);
    EXPECT_EQ(sim.comment, chart("waiting for a signal"));
    mql4sim::Tick();
    feed("0.1875"); // 8 x 0.1875 = 1.5 = 6 x MaxSignal 0.25: six lamps
    EXPECT_EQ(sim.comment, chart("signal 0.1875 (long), lamps lit: 6 of 8"));
    // Budget of one level: 10000 x 0.1 / 16 = 62.5 of margin at 1000 a lot = 0.0625, stepped to 0.06.
    const Lines sent = requests();
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(sent[0], "send buy 0.06 at 1.08412 slippage 30 sl 1.07400: ticket 1");
    EXPECT_EQ(positions(), "bbbbbb");
    EXPECT_EQ(sim.orders[0].comment, "Quorvane");
    mql4sim::Tick();
    EXPECT_TRUE(requests().empty()) << "levels in line: nothing to do";
    OnDeinit(0);
    EXPECT_EQ(sim.comment, "");
}

TEST_F(ExpertAdvisor, LevelsFollowTheLampsWithHalfALampOfHysteresis)
{
    start();
    const struct {
        const char* signal;
        const char* positions;
        std::size_t requests;
    } steps[] = {
        {"0.0625", "bb", 2},       // two lamps
        {"0.25", "bbbbbbbb", 6},   // all eight
        {"0.125", "bbbb", 4},      // 4 lamps: levels 5 to 8 are below 4.5 lamps
        {"0.1100", "bbbb", 0},     // 3.52 lamps: level 4 holds down to 3.5
        {"0.1250", "bbbb", 0},     // back up: nothing to do
        {"0.1090", "bbb", 1},      // 3.49 lamps: level 4 goes
        {"0.1170", "bbb", 0},      // 3.74 lamps: level 4 opens only at 4
        {"0.1250", "bbbb", 1},
        {"-0.0100", "", 4},        // turned, no lamp lit on the other side: all closed
        {"-0.0625", "ss", 2},
        {"+0.0625", "bb", 4},
        {"0", "", 2},              // a real 0 closes everything
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.signal);
        feed(step.signal);
        EXPECT_EQ(positions(), step.positions);
        EXPECT_EQ(requests().size(), step.requests);
    }
    LevelNum = 3; // also the most levels held
    feed("0.25");
    EXPECT_EQ(positions(), "bbb");
    OnlyClose = true;
    feed("0.0625");
    feed("0.25");
    EXPECT_EQ(positions(), "bb") << "OnlyClose closes, never opens";
}

TEST_F(ExpertAdvisor, ALevelClosedBetweenTwoRecordsIsNotReopenedOnTheNextTick)
{
    start();
    feed("0.0625");
    requests();
    closedOutside(1);
    for (int tick = 0; tick < 5; ++tick)
        mql4sim::Tick();
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(positions(), "b");
}

TEST_F(ExpertAdvisor, NoUsableSignalHoldsWhatIsHeld)
{
    start();
    feed("0.09375"); // three lamps
    ASSERT_EQ(positions(), "bbb");
    requests();
    const struct {
        const char* name;
        std::string content; // "-": no file
        const char* comment;
    } rows[] = {
        {"Missing", "-", "no signal file - holding"},
        {"Empty", "", "no signal in the file - holding"},
        {"EmptyField", "(Symbol:EURUSD,Price:1.08,Signal:)", "no signal in the file - holding"},
        {"NoSignalField", "(Symbol:EURUSD,Price:1.08)", "no signal in the file - holding"},
        {"NotANumber", record("abc"), "no signal in the file - holding"},
        {"NumberWithTail", record("0.1x"), "no signal in the file - holding"},
        {"TwoPoints", record("0.1.2"), "no signal in the file - holding"},
        {"OnlyASign", record("-"), "no signal in the file - holding"},
        {"NoClosingParenthesis", "(Symbol:EURUSD,Signal:0", "no signal in the file - holding"},
        {"GarbledBytes", std::string("\xff\xfe\0)", 4), "no signal in the file - holding"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(dir / "EURUSD");
        if (row.content != "-")
            poll(row.content);
        mql4sim::Tick();
        EXPECT_EQ(sim.comment, chart(row.comment));
        EXPECT_EQ(positions(), "bbb");
        EXPECT_TRUE(requests().empty());
    }
}

TEST_F(ExpertAdvisor, StalenessIsTheFileNotChangingWhateverClockStampsIt)
{
    const struct {
        const char* name;
        long long fileClock; // FILE_MODIFY_DATE minus TimeLocal()
        long long leftover;  // a file from before the start, this old; -1: none
        int polls;           // polls after the start, 15 s apart
        long long quiet;     // then seconds without a poll
        const char* positions;
        const char* comment;
    } rows[] = {
        {"FreshUnderAFileClockTwoHoursBehind", -7200, -1, 2, 0, "bb", "signal 0.0625 (long), lamps lit: 2 of 8"},
        {"FreshUnderAFileClockFiveHoursAhead", 18000, -1, 2, 0, "bb", "signal 0.0625 (long), lamps lit: 2 of 8"},
        {"DeadFeedUnderAFileClockFiveHoursAhead", 18000, 14400, 0, 120, "",
         "waiting for the signal file to change - holding"},
        {"LeftoverOfAStoppedQuorvane", 0, 30, 0, 0, "", "waiting for the signal file to change - holding"},
        {"SixtySecondsUnchangedIsNotYetStale", -7200, -1, 1, 60, "bb", "signal 0.0625 (long), lamps lit: 2 of 8"},
        {"SixtyOneSecondsUnchangedIsStale", 18000, -1, 1, 61, "bb",
         "signal stale (unchanged for more than 60 s) - holding"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        reset();
        sim.fileClockOffset = row.fileClock;
        if (row.leftover >= 0)
            writeStamped(record("0.0625"), "", sim.now - row.leftover);
        start();
        for (int n = 0; n < row.polls; ++n)
            feed("0.0625");
        sim.advance(row.quiet);
        mql4sim::Tick();
        EXPECT_EQ(positions(), row.positions);
        EXPECT_EQ(sim.comment, chart(row.comment));
    }
    // Never stale: a file that has not changed since the start is read at once.
    reset();
    MaxAgeSeconds = 0;
    writeStamped(record("0.0625"), "", sim.now - 3600);
    start();
    EXPECT_EQ(positions(), "bb");
}

TEST_F(ExpertAdvisor, OnlyTheTextUpToTheFirstParenthesisIsTheRecord)
{
    start();
    poll(record("0.0625") + "Signal:0.25)");
    mql4sim::Tick();
    EXPECT_EQ(positions(), "bb");
}

TEST_F(ExpertAdvisor, WithoutFileAnsiTheTerminalReadsUtf16AndNeverFindsTheRecord)
{
    poll(record("0.25"));
    for (const bool ansi : {false, true}) {
        const int handle = FileOpen("EURUSD", FILE_READ | FILE_BIN | (ansi ? FILE_ANSI : 0));
        ASSERT_NE(handle, INVALID_HANDLE);
        const string text = FileReadString(handle, static_cast<int>(FileSize(handle)));
        FileClose(handle);
        EXPECT_EQ(StringFind(text, ")") >= 0, ansi);
        EXPECT_EQ(text.utf8() == record("0.25"), ansi);
    }
}

TEST_F(ExpertAdvisor, ReadsWhatQuorvaneWrites)
{
    start();
    quorvane::WriteSignalFiles(std::vector<quorvane::TerminalTarget>{{dir / "Experts", dir.path()}},
                               {record("0.25"), "(Symbol:GBPUSD,Signal:-1)"});
    mql4sim::Tick();
    EXPECT_EQ(positions(), "bbbbbbbb");
}

TEST_F(ExpertAdvisor, SignalFileNamesAsBrokersSpellThem)
{
    const struct {
        const char* symbol;
        const char* prefix;
        const char* suffix;
        const char* heading;
        bool trades;
    } rows[] = {
        {"EURUSD", "", "", "EURUSD for EURUSD", true},
        {"EURUSD.pro", "", "", "EURUSD for EURUSD.pro", true},
        {"EURUSDm", "", "", "EURUSD for EURUSDm", true},
        {"EURUSD-ECN", "", "", "EURUSD for EURUSD-ECN", true},
        {"EURUSD#", "", "", "EURUSD for EURUSD#", true},
        {"mEURUSD", "", "", "mEURUS for mEURUSD", false},
        {"mEURUSD", "m", "", "EURUSD for mEURUSD", true},
        {"EURUSD.pro", "", ".pro", "EURUSD for EURUSD.pro", true},
        {"x.EURUSD.pro", "x.", ".pro", "EURUSD for x.EURUSD.pro", true},
        {"EURUSD", "m", ".pro", "EURUSD for EURUSD", true}, // neither there: the name as it is
        {"GER30.cash", "", ".cash", "GER30 for GER30.cash", false}, // short names need the suffix
        {"GER30.cash", "", "", "GER30. for GER30.cash", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.symbol);
        reset();
        sim.symbol = row.symbol;
        SymbolPrefix = row.prefix, SymbolSuffix = row.suffix;
        start();
        poll(record("0.0625"));
        mql4sim::Tick();
        EXPECT_EQ(sim.comment.substr(0, sim.comment.find('\n')), std::string("Quorvane: signal file ") + row.heading);
        EXPECT_EQ(sim.orders.size(), row.trades ? 2u : 0u);
        OnDeinit(0);
    }
}

TEST_F(ExpertAdvisor, UseCommonFolderReadsTheTerminalsSharedFolder)
{
    for (const bool common : {false, true}) {
        SCOPED_TRACE(common);
        reset();
        UseCommonFolder = common;
        start();
        poll(record("0.0625"), sim.commonFolder);
        mql4sim::Tick();
        EXPECT_EQ(sim.orders.size(), common ? 2u : 0u);
        EXPECT_EQ(sim.comment.substr(0, sim.comment.find('\n')),
                  common ? "Quorvane: signal file EURUSD (common folder) for EURUSD"
                         : "Quorvane: signal file EURUSD for EURUSD");
        OnDeinit(0);
    }
}

// The demo service's signal process (sim/), step by step, from a fixed seed.
class DemoSignal {
public:
    explicit DemoSignal(unsigned seed) : m_random(seed) { m_signal = std::clamp(0.45 * gaussian(), -0.9, 0.9); }
    std::string next()
    {
        gaussian(); // the price's step
        m_trend = std::clamp(0.9 * m_trend + 0.03 * gaussian(), -0.15, 0.15);
        m_signal = std::clamp(0.97 * m_signal + m_trend, -1.0, 1.0);
        char text[16];
        std::snprintf(text, sizeof text, "%.4f", m_signal);
        return text;
    }

private:
    double uniform() { return static_cast<double>(m_random() % 2147483647u) / 2147483647.0; }
    double gaussian()
    {
        const double u = std::max(uniform(), 1e-12), v = uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * M_PI * v);
    }
    std::mt19937 m_random;
    double m_signal = 0, m_trend = 0;
};

// Round trips a follower of the lit lamps without memory makes on the same records.
int roundTripsWithoutHysteresis(const std::vector<std::string>& signals)
{
    int held = 0, trips = 0;
    for (const std::string& s : signals) {
        const double v = std::atof(s.c_str());
        const int lamps = std::min(8, static_cast<int>(std::floor(8 * std::fabs(v) / 0.25 + 1e-9)));
        const int want = v < 0 ? -lamps : lamps;
        trips += (want > 0) == (held > 0) ? std::max(0, std::abs(want) - std::abs(held)) : std::abs(want);
        held = want;
    }
    return trips;
}

TEST_F(ExpertAdvisor, OneDayOfTheDemoSignalAndAJitteringOneChurnLittle)
{
    DemoSignal demo(20261208);
    std::mt19937 jitter(7);
    std::vector<std::string> day, jittering;
    for (int n = 0; n < 5760; ++n) { // one day of polls, 15 s apart
        day.push_back(demo.next());
        char text[16];
        std::snprintf(text, sizeof text, "%.4f", 0.09375 + (static_cast<int>(jitter() % 41) - 20) * 0.0001);
        jittering.push_back(text);
    }
    for (const auto* run : {&day, &jittering}) {
        reset();
        start();
        for (const std::string& s : *run)
            feed(s);
        long trips = 0;
        for (const std::string& r : sim.requests)
            trips += r.rfind("send ", 0) == 0 && r.find(": ticket") != std::string::npos;
        const int before = roundTripsWithoutHysteresis(*run);
        // A stretch with a lamp lit on one side opens a level that the turn to the
        // other side closes: no rule that follows the lamps makes fewer round trips.
        int stretches = 0, side = 0;
        for (const std::string& s : *run) {
            const double v = std::atof(s.c_str());
            const int lit = v >= 0.25 / 8 ? 1 : v <= -0.25 / 8 ? -1 : 0;
            stretches += lit != 0 && lit != side;
            side = lit != 0 ? lit : side;
        }
        const char* name = run == &day ? "demo_day" : "jitter";
        std::cout << name << ": " << trips << " round trips (" << before << " without hysteresis; " << stretches
                  << " stretches with a lamp lit)\n";
        RecordProperty(std::string(name) + "_round_trips", std::to_string(trips));
        EXPECT_LT(trips, before);
        if (run == &jittering) {
            EXPECT_EQ(trips, 3) << "levels 1 to 3 once, never again";
        }
    }
}

} // namespace
