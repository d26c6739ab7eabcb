// The expert advisor's own source, compiled through mql4.h, against the
// simulated terminal: what it reads, what it shows and every trade request.

#include "ea.h"
#include "scratchfolder.h"
#include "signalfiles.h"
#include "simulator.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <vector>

// Last: the built-ins, for the test that reads a file the advisor's way.
#include "mql4.h"
#undef input

namespace {

using namespace quorvane::test;
using Lines = std::vector<std::string>;

struct Inputs {
    int magic;
    double maxSignal, limitedFunds, maximumRisk;
    int levelNum;
    bool onlyClose;
    double lp;
    int slippage, stopLossPips, maxAgeSeconds, retryWaitSeconds;
    static Inputs current()
    {
        return {::magic, MaxSignal, LimitedFunds, MaximumRisk, LevelNum, OnlyClose, LP, Slippage, StopLossPips,
                MaxAgeSeconds, RetryWaitSeconds};
    }
    void apply() const
    {
        ::magic = magic, MaxSignal = maxSignal, LimitedFunds = limitedFunds, MaximumRisk = maximumRisk;
        LevelNum = levelNum, OnlyClose = onlyClose, LP = lp, Slippage = slippage, StopLossPips = stopLossPips;
        MaxAgeSeconds = maxAgeSeconds, RetryWaitSeconds = retryWaitSeconds;
    }
};
// The source's own defaults, taken before any test changes them.
const Inputs kDefaults = Inputs::current();

std::string record(const std::string& signal)
{
    return "(Symbol:EURUSD,Price:1.08406,Time:2026.12.08 10:00,Signal:" + signal + ")";
}

class ExpertAdvisor : public ::testing::Test {
protected:
    ExpertAdvisor()
    {
        kDefaults.apply();
        sim = mql4sim::Terminal{};
        sim.filesFolder = dir.path();
    }
    /// Quorvane's signal file for EURUSD, last written `age` seconds ago.
    void signal(const std::string& content, long long age = 0) const
    {
        writeFile(dir / "EURUSD", content);
        const timespec times[2] = {{static_cast<time_t>(sim.now - age), 0}, {static_cast<time_t>(sim.now - age), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "EURUSD").c_str(), times, 0), 0);
    }
    /// Starts the advisor; the test fails when it refuses.
    void start() const { ASSERT_EQ(OnInit(), INIT_SUCCEEDED) << ::testing::PrintToString(sim.alerts); }
    /// Types of the advisor's positions in order: "bbs" = two buys, one sell.
    std::string positions() const
    {
        std::string s;
        for (const mql4sim::Order& o : sim.orders)
            s += o.type == OP_BUY ? 'b' : 's';
        return s;
    }
    /// The trade requests since the last call.
    Lines requests()
    {
        Lines fresh(sim.requests.begin() + static_cast<std::ptrdiff_t>(m_seen), sim.requests.end());
        m_seen = sim.requests.size();
        return fresh;
    }

    ScratchFolder dir;
    mql4sim::Terminal& sim = mql4sim::terminal();

private:
    std::size_t m_seen = 0;
};

TEST_F(ExpertAdvisor, FreshSignalOpensOneLevelPerLitLampWithStopAndFiveDigitSlippage)
{
    start();
    EXPECT_EQ(sim.comment, "Quorvane: waiting for a signal");
    signal(record("0.1875")); // 8 x 0.1875 = 1.5 = 6 x MaxSignal 0.25: six lamps
    mql4sim::Tick();
    EXPECT_EQ(sim.comment, "Quorvane signal 0.1875 (long), lamps lit: 6 of 8");
    // Budget of one level: 10000 x 0.1 / 16 = 62.5 of margin at 1000 a lot = 0.0625, stepped to 0.06.
    const Lines sent = requests();
    ASSERT_EQ(sent.size(), 6u);
    EXPECT_EQ(sent[0], "send buy 0.06 at 1.08412 slippage 30 sl 1.07400: ticket 1");
    EXPECT_EQ(positions(), "bbbbbb");
    EXPECT_EQ(sim.orders[0].magic, 300000);
    EXPECT_EQ(sim.orders[0].comment, "Quorvane");
    mql4sim::Tick();
    EXPECT_TRUE(requests().empty()) << "levels in line: nothing to do";
    OnDeinit(0);
    EXPECT_EQ(sim.comment, "");
}

TEST_F(ExpertAdvisor, LevelsFollowTheLampsUpDownAndAcrossZero)
{
    start();
    const struct {
        const char* signal;
        const char* positions;
        std::size_t requests;
    } steps[] = {
        {"0.0625", "bb", 2},       // two lamps
        {"0.25", "bbbbbbbb", 6},   // all eight
        {"0.125", "bbbb", 4},      // four go out: the newest four are closed
        {"-0.0625", "ss", 6},      // turned: four buys closed, two sells opened
        {"+0.0625", "bb", 4},
        {"0", "", 2},              // a real 0 closes everything
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.signal);
        signal(record(step.signal));
        mql4sim::Tick();
        EXPECT_EQ(positions(), step.positions);
        EXPECT_EQ(requests().size(), step.requests);
    }
    signal(record("0.25"));
    LevelNum = 3; // also the most levels held
    OnlyClose = true;
    mql4sim::Tick();
    EXPECT_EQ(positions(), "") << "OnlyClose never opens";
}

TEST_F(ExpertAdvisor, NewestLevelsCloseFirstAtTheBid)
{
    start();
    signal(record("0.0625"));
    mql4sim::Tick();
    requests();
    signal(record("0.03125"));
    mql4sim::Tick();
    EXPECT_EQ(requests(), Lines{"close 2 at 1.08400 slippage 30: closed"});
}

TEST_F(ExpertAdvisor, NoUsableSignalHoldsWhatIsHeld)
{
    start();
    signal(record("0.09375")); // three lamps
    mql4sim::Tick();
    ASSERT_EQ(positions(), "bbb");
    requests();
    const struct {
        const char* name;
        std::string content; // "-": no file
        long long age;
        const char* comment;
    } rows[] = {
        {"Missing", "-", 0, "Quorvane: no signal file for EURUSD - holding"},
        {"Stale", record("0"), 61, "Quorvane: signal stale (older than 60 s) - holding"},
        {"Empty", "", 0, "Quorvane: no signal in the file for EURUSD - holding"},
        {"EmptyField", "(Symbol:EURUSD,Price:1.08,Signal:)", 0, "Quorvane: no signal in the file for EURUSD - holding"},
        {"NoSignalField", "(Symbol:EURUSD,Price:1.08)", 0, "Quorvane: no signal in the file for EURUSD - holding"},
        {"NotANumber", record("abc"), 0, "Quorvane: no signal in the file for EURUSD - holding"},
        {"NumberWithTail", record("0.1x"), 0, "Quorvane: no signal in the file for EURUSD - holding"},
        {"TwoPoints", record("0.1.2"), 0, "Quorvane: no signal in the file for EURUSD - holding"},
        {"OnlyASign", record("-"), 0, "Quorvane: no signal in the file for EURUSD - holding"},
        {"NoClosingParenthesis", "(Symbol:EURUSD,Signal:0", 0, "Quorvane: no signal in the file for EURUSD - holding"},
        {"GarbledBytes", std::string("\xff\xfe\0)", 4), 0, "Quorvane: no signal in the file for EURUSD - holding"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(dir / "EURUSD");
        if (row.content != "-")
            signal(row.content, row.age);
        mql4sim::Tick();
        EXPECT_EQ(sim.comment, row.comment);
        EXPECT_EQ(positions(), "bbb");
        EXPECT_TRUE(requests().empty());
    }

    signal(record("0.0625"), 60); // sixty seconds is not yet stale
    mql4sim::Tick();
    EXPECT_EQ(positions(), "bb");
    signal(record("0"), 3600);
    MaxAgeSeconds = 0; // never stale
    mql4sim::Tick();
    EXPECT_EQ(positions(), "");
}

TEST_F(ExpertAdvisor, OnlyTheTextUpToTheFirstParenthesisIsTheRecord)
{
    start();
    signal(record("0.0625") + "Signal:0.25)");
    mql4sim::Tick();
    EXPECT_EQ(positions(), "bb");
}

TEST_F(ExpertAdvisor, WithoutFileAnsiTheTerminalReadsUtf16AndNeverFindsTheRecord)
{
    signal(record("0.25"));
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
    sim.now = ::time(nullptr); // the writer stamps the file with the real clock
    quorvane::WriteSignalFiles(std::vector<quorvane::TerminalTarget>{{dir / "Experts", dir.path()}},
                               {record("0.25"), "(Symbol:GBPUSD,Signal:-1)"});
    mql4sim::Tick();
    EXPECT_EQ(positions(), "bbbbbbbb");
}

TEST_F(ExpertAdvisor, TradesOnlyWhenConnectedAllowedAndTheContextIsFree)
{
    start();
    signal(record("0.0625"));
    const struct {
        const char* name;
        bool connected, allowed, busy;
        const char* why;
    } rows[] = {
        {"Busy", true, true, true, "trade context busy"},
        {"NotAllowed", true, false, false, "trading is not allowed"},
        {"Disconnected", false, true, false, "no connection to the trade server"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        sim.connected = row.connected, sim.tradeAllowed = row.allowed, sim.contextBusy = row.busy;
        mql4sim::Tick();
        EXPECT_EQ(sim.comment, std::string("Quorvane signal 0.0625 (long), lamps lit: 2 of 8 - not trading: ") + row.why);
        EXPECT_TRUE(requests().empty());
    }
    sim.connected = true, sim.tradeAllowed = true, sim.contextBusy = false;
    mql4sim::Tick();
    EXPECT_EQ(positions(), "bb");
}

TEST_F(ExpertAdvisor, FailedRequestWaitsBeforeTheNextTry)
{
    start();
    signal(record("0.0625"));
    sim.failSends = 1;
    mql4sim::Tick();
    EXPECT_EQ(requests(), Lines{"send buy 0.06 at 1.08412 slippage 30 sl 1.07400: error 136"});
    for (const int later : {1, 29}) {
        sim.now += later == 1 ? 1 : 28;
        signal(record("0.0625"));
        mql4sim::Tick();
        EXPECT_TRUE(requests().empty()) << later << " s after the failure";
        EXPECT_EQ(sim.comment, "Quorvane signal 0.0625 (long), lamps lit: 2 of 8 - not trading: waiting after a failed order");
    }
    sim.now += 1;
    signal(record("0.0625"));
    mql4sim::Tick();
    EXPECT_EQ(requests().size(), 2u);
    EXPECT_EQ(positions(), "bb");

    sim.failCloses = 1;
    signal(record("0"));
    mql4sim::Tick();
    EXPECT_EQ(requests(), Lines{"close 2 at 1.08400 slippage 30: error 136"});
    mql4sim::Tick();
    EXPECT_TRUE(requests().empty());
    sim.now += 30;
    signal(record("0"));
    mql4sim::Tick();
    EXPECT_EQ(positions(), "");
}

TEST_F(ExpertAdvisor, RatesAreRefreshedBeforeEachOrder)
{
    start();
    signal(record("0.25"));
    sim.moveAfterTrade = 0.0005; // 50 points after every fill, more than the slippage
    mql4sim::Tick();
    EXPECT_EQ(positions(), "bbbbbbbb");
    EXPECT_EQ(requests().back(), "send buy 0.06 at 1.08762 slippage 30 sl 1.07750: ticket 8");
}

TEST_F(ExpertAdvisor, StopLossAndSlippageFollowTheInputsQuotesAndStopLevel)
{
    const struct {
        const char* name;
        int digits, stopLossPips, stopLevel;
        const char* request;
    } rows[] = {
        {"FiveDigits", 5, 100, 0, "send buy 0.06 at 1.08412 slippage 30 sl 1.07400: ticket 1"},
        {"NoStop", 5, 0, 0, "send buy 0.06 at 1.08412 slippage 30 sl 0.00000: ticket 1"},
        {"WidenedToTheStopLevel", 5, 1, 50, "send buy 0.06 at 1.08412 slippage 30 sl 1.08350: ticket 1"},
        {"FourDigits", 4, 100, 0, "send buy 0.06 at 1.08412 slippage 3 sl 1.07400: ticket 1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        sim = mql4sim::Terminal{};
        sim.filesFolder = dir.path();
        requests();
        sim.requests.clear();
        requests();
        sim.digits = row.digits;
        sim.point = row.digits == 5 ? 0.00001 : 0.0001;
        sim.stopLevelPoints = row.stopLevel;
        StopLossPips = row.stopLossPips;
        start();
        signal(record("0.03125")); // one lamp
        mql4sim::Tick();
        ASSERT_EQ(sim.requests.size(), 1u);
        EXPECT_EQ(sim.requests[0], row.request);
    }
}

TEST_F(ExpertAdvisor, MarginBudgetAndBrokerLimits)
{
    start();
    signal(record("0.25"));
    LP = 20; // 1.25 lots a level, 1250 of margin each: the eighth would leave no free margin
    mql4sim::Tick();
    EXPECT_EQ(positions(), "bbbbbbb");
    EXPECT_EQ(sim.prints, Lines{"Quorvane: not enough free margin for another level"});
    mql4sim::Tick();
    EXPECT_EQ(sim.prints.size(), 1u) << "said once, not on every tick";

    sim.orders.clear();
    LP = 1;
    LimitedFunds = 100; // 100 x 0.1 / 16 = 0.625 of margin: below the smallest lot
    mql4sim::Tick();
    EXPECT_EQ(positions(), "");
    EXPECT_EQ(sim.prints.back(), "Quorvane: the lot size of one level is below the broker's minimum; nothing opened");
}

TEST_F(ExpertAdvisor, MaxSignalNotAboveZeroAndNoLevelsAreRefusedAtStart)
{
    LevelNum = 0; // would close every level on every signal
    EXPECT_EQ(OnInit(), INIT_FAILED);
    EXPECT_EQ(sim.alerts, Lines{"Quorvane: LevelNum must be at least 1"});
    LevelNum = 16;
    for (const double maximum : {0.0, -0.25}) {
        MaxSignal = maximum;
        sim.alerts.clear();
        EXPECT_EQ(OnInit(), INIT_FAILED);
        EXPECT_EQ(sim.alerts,
                  Lines{"Quorvane: MaxSignal must be greater than 0 (the signal at which all eight lamps are lit)"});
    }
}

} // namespace
