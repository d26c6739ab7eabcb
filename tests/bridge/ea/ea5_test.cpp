// The MetaTrader 5 advisor's own source, compiled through mql5.h, against the
// simulated terminal and trade server of simulator5.h, on netting and hedging
// accounts: what it reads, what it shows and every request it sends.

#include "ea5.h"
#include "scratchfolder.h"
#include "simulator5.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include "mql5.h"
#undef input

namespace {

using namespace quorvane::test;
using Lines = std::vector<std::string>;
using mql5sim::Position;

struct Inputs {
    int magic, levelNum, slippage, stopLossPips, maxAgeSeconds, retryWaitSeconds;
    double maxSignal, limitedFunds, maximumRisk, lp;
    bool onlyClose, useCommonFolder;
    string prefix, suffix;
    static Inputs current()
    {
        return {::magic, LevelNum, Slippage, StopLossPips, MaxAgeSeconds, RetryWaitSeconds, MaxSignal, LimitedFunds,
                MaximumRisk, LP, OnlyClose, UseCommonFolder, SymbolPrefix, SymbolSuffix};
    }
    void apply() const
    {
        ::magic = magic, LevelNum = levelNum, Slippage = slippage, StopLossPips = stopLossPips;
        MaxAgeSeconds = maxAgeSeconds, RetryWaitSeconds = retryWaitSeconds, MaxSignal = maxSignal;
        LimitedFunds = limitedFunds, MaximumRisk = maximumRisk, LP = lp, OnlyClose = onlyClose;
        UseCommonFolder = useCommonFolder, SymbolPrefix = prefix, SymbolSuffix = suffix;
    }
};
// The source's own defaults, taken before any test changes them.
const Inputs kDefaults = Inputs::current();

std::string record(const std::string& signal)
{
    return "(Symbol:EURUSD,Price:1.08406,Time:2026.12.08 10:00,Signal:" + signal + ")";
}

const char* const kNetting = "netting";
const char* const kHedging = "hedging";

class Mql5Advisor : public ::testing::Test {
protected:
    Mql5Advisor()
    {
        kDefaults.apply();
        sim = mql5sim::Terminal{};
        sim.filesFolder = dir.path();
        sim.commonFolder = dir / "common";
        std::filesystem::create_directory(dir / "common");
    }
    ~Mql5Advisor() override
    {
        OnDeinit(0);
        second::OnDeinit(0);
    }
    /// A fresh terminal for the next row of a table.
    void reset(const char* kind)
    {
        OnDeinit(0);
        sim = mql5sim::Terminal{};
        sim.filesFolder = dir.path();
        account(kind);
        m_seen = 0;
    }
    void account(const char* kind)
    {
        sim.marginMode = std::string(kind) == kHedging ? mql5sim::RetailHedging : mql5sim::RetailNetting;
    }
    /// Quorvane writes the file anew. Its date is only ever a new one, never
    /// related to any clock: the advisor must not compare it with one.
    void write(const std::string& content, const std::string& folder = "")
    {
        const std::string path = (folder.empty() ? dir.path() : dir / folder) + "/EURUSD";
        writeFile(path, content);
        m_stamp += 15;
        const timespec times[2] = {{static_cast<time_t>(m_stamp), 0}, {static_cast<time_t>(m_stamp), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    /// Starts the advisor and lets it see a first record arrive.
    void begin()
    {
        ASSERT_EQ(OnInit(), INIT_SUCCEEDED) << ::testing::PrintToString(sim.alerts);
        OnTick();
        write(record("0"));
        OnTick();
    }
    /// A new record and a tick; a second tick on the same record changes nothing.
    void feed(const std::string& signal)
    {
        write(record(signal));
        OnTick();
    }
    /// This advisor's positions, oldest first: "b0.06 b0.06", "s0.12".
    std::string positions() const
    {
        std::string s;
        for (const Position& p : sim.positions) {
            if (p.magic != ::magic)
                continue;
            char volume[32];
            std::snprintf(volume, sizeof volume, "%g", p.volume);
            s += (s.empty() ? "" : " ") + std::string(p.buy ? "b" : "s") + volume;
        }
        return s;
    }
    /// The requests since the last call.
    Lines requests()
    {
        Lines fresh(sim.requests.begin() + static_cast<std::ptrdiff_t>(m_seen), sim.requests.end());
        m_seen = sim.requests.size();
        return fresh;
    }
    std::string line() const { return sim.comment.substr(0, sim.comment.find('\n')); }

    ScratchFolder dir;
    mql5sim::Terminal& sim = mql5sim::terminal();

private:
    long long m_stamp = 1000000;
    std::size_t m_seen = 0;
};

class Mql5Accounts : public Mql5Advisor, public ::testing::WithParamInterface<const char*> {
protected:
    Mql5Accounts() { account(GetParam()); }
    bool hedging() const { return sim.hedging(); }
};

TEST_P(Mql5Accounts, LevelsFollowTheLampsWithHysteresisUpDownAndAcrossZero)
{
    sim.fifo = hedging(); // closing oldest first suits every hedging account
    begin();
    EXPECT_EQ(sim.comment, "Quorvane signal 0 (long), lamps lit: 0 of 8\nsignal file EURUSD for EURUSD");
    // One lamp is 0.25 / 8 = 0.03125; a held level k goes below (k - 1/2) lamps.
    const struct {
        const char* signal;
        const char* netting;
        std::size_t nettingRequests;
        const char* hedging;
        std::size_t hedgingRequests;
    } steps[] = {
        {"0.0625", "b0.12", 1, "b0.06 b0.06", 2},
        {"0.0600", "b0.12", 0, "b0.06 b0.06", 0}, // one lamp lit, level 2 held above 1.5 lamps
        {"0.0470", "b0.12", 0, "b0.06 b0.06", 0},
        {"0.0460", "b0.06", 1, "b0.06", 1},       // below 1.5 lamps: level 2 closes
        {"0.0620", "b0.06", 0, "b0.06", 0},       // not two lamps: level 2 stays closed
        {"0.25", "b0.48", 1, "b0.06 b0.06 b0.06 b0.06 b0.06 b0.06 b0.06 b0.06", 7},
        {"-0.0625", "s0.12", 2, "s0.06 s0.06", 10}, // turned: everything long closed first
        {"+0.0625", "b0.12", 2, "b0.06 b0.06", 4},
        {"0", "", 1, "", 2},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.signal);
        feed(step.signal);
        EXPECT_EQ(positions(), hedging() ? step.hedging : step.netting);
        EXPECT_EQ(requests().size(), hedging() ? step.hedgingRequests : step.nettingRequests);
        OnTick();
        EXPECT_TRUE(requests().empty()) << "decided once per record";
    }
    // A signal jittering around the second step: two levels opened, then held.
    for (int n = 0; n < 40; ++n)
        feed(n % 2 ? "0.0645" : "0.0605");
    EXPECT_EQ(requests().size(), 2u);
    EXPECT_EQ(positions(), hedging() ? "b0.06 b0.06" : "b0.12");
}

TEST_P(Mql5Accounts, ALevelClosedByAStopStaysClosedUntilItsLampWentOutAndLitAgain)
{
    begin();
    feed("0.09375"); // three lamps
    requests();
    // The stop of the newest level (hedging) or of the one position (netting) is hit.
    sim.positions.pop_back();
    const std::string left = hedging() ? "b0.06 b0.06" : "";
    const struct {
        const char* signal;
        const char* positions;
    } steps[] = {
        {"0.09375", ""}, // still three lamps: no re-entry
        {"0.1", ""},
        {"0.0625", ""},  // the third lamp goes out
        {"0.09375", "+"}, // and lights again: level 3 reopens; on netting 1 and 2 are still out
        {"0", "0"},
        {"0.09375", "3"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.signal);
        feed(step.signal);
        const std::string want = step.positions == std::string("")    ? left
                                 : step.positions == std::string("0") ? ""
                                 : step.positions == std::string("3") ? (hedging() ? "b0.06 b0.06 b0.06" : "b0.18")
                                                                      : (hedging() ? "b0.06 b0.06 b0.06" : "");
        EXPECT_EQ(positions(), want);
    }
    EXPECT_TRUE(sim.alerts.empty());
}

TEST_P(Mql5Accounts, PositionsOfOtherAdvisorsAndTheTraderAreNeverTouched)
{
    sim.add(true, 1.0, 0);       // the trader's
    sim.add(false, 0.5, 123456); // another advisor's
    begin();
    feed("0.0625");
    if (hedging()) {
        EXPECT_EQ(positions(), "b0.06 b0.06");
        feed("-0.03125");
        EXPECT_EQ(positions(), "s0.06");
    } else {
        // A netting account has one position per symbol, and this one is not ours.
        EXPECT_EQ(line(), "Quorvane signal 0.0625 (long), lamps lit: 2 of 8 - not trading: the position on EURUSD is "
                          "not this advisor's (another magic or a manual trade)");
        EXPECT_TRUE(requests().empty());
    }
    EXPECT_EQ(sim.positions[0].volume, 1.0);
    EXPECT_EQ(sim.positions[1].volume, 0.5);
}

INSTANTIATE_TEST_SUITE_P(Accounts, Mql5Accounts, ::testing::Values(kNetting, kHedging),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(Mql5Advisor, StalenessIsJudgedByTheFileChangingNotByAnyClock)
{
    ASSERT_EQ(OnInit(), INIT_SUCCEEDED);
    write(record("0.0625")); // left by a Quorvane that stopped: never traded
    for (int n = 0; n < 3; ++n)
        OnTick();
    EXPECT_EQ(sim.comment, "Quorvane: waiting for the signal file to change - holding\nsignal file EURUSD for EURUSD");
    EXPECT_TRUE(requests().empty());

    const struct {
        const char* name;
        unsigned waited; // ms between the new record and the moment the advisor may trade
        int maxAge;
        bool trades;
    } rows[] = {
        {"SixtySecondsIsFresh", 60000, 60, true},
        {"SixtyOneSecondsIsStale", 61000, 60, false},
        {"NeverStale", 3600000, 0, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MaxAgeSeconds = row.maxAge;
        sim.terminalTrade = false; // the record arrives while the advisor may not trade
        feed(row.name == std::string("NeverStale") ? "0.03125" : row.trades ? "0.09375" : "0.0625");
        sim.tick += row.waited;
        sim.terminalTrade = true;
        OnTick();
        EXPECT_EQ(!requests().empty(), row.trades);
        if (!row.trades) {
            EXPECT_EQ(line(), "Quorvane: signal stale (unchanged for more than 60 s) - holding");
        }
    }
}

TEST_F(Mql5Advisor, FillingModeFollowsTheExecutionModeAndTheSymbolsMask)
{
    using mql5sim::FillFok;
    using mql5sim::FillIoc;
    const struct {
        const char* name;
        mql5sim::Execution execution;
        int mask, server;
        Lines sent;
    } rows[] = {
        {"InstantTakesFokOnly", mql5sim::Instant, FillIoc, -1, {"buy 0.06 FOK sl 1.07400: 10009"}},
        {"RequestTakesFokOnly", mql5sim::Request, FillFok | FillIoc, -1, {"buy 0.06 FOK sl 1.07400: 10009"}},
        {"MarketIocOnly", mql5sim::Market, FillIoc, -1, {"buy 0.06 IOC sl 1.07400: 10009"}},
        {"MarketBoth", mql5sim::Market, FillFok | FillIoc, -1, {"buy 0.06 FOK sl 1.07400: 10009"}},
        {"ExchangeWithNeitherTakesReturn", mql5sim::Exchange, 0, -1, {"buy 0.06 RETURN sl 1.07400: 10009"}},
        {"ExchangeIocOnly", mql5sim::Exchange, FillIoc, -1, {"buy 0.06 IOC sl 1.07400: 10009"}},
        {"RefusedFokTriesIocOnce", mql5sim::Market, FillFok | FillIoc, FillIoc,
         {"check buy 0.06 FOK sl 1.07400: 10030", "buy 0.06 IOC sl 1.07400: 10009"}},
        {"NoOtherModeIsPermanent", mql5sim::Market, FillIoc, FillFok, {"check buy 0.06 IOC sl 1.07400: 10030"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        reset(kHedging);
        sim.execution = row.execution, sim.fillingMask = row.mask, sim.serverFilling = row.server;
        begin();
        feed("0.03125");
        feed("0.0625"); // the second level goes out as the first did
        Lines sent = row.sent;
        sent.push_back(sent.back()); // a refusal is tried again because the lamps changed
        EXPECT_EQ(sim.requests, sent);
        EXPECT_EQ(sim.alerts.size(), row.name == std::string("NoOtherModeIsPermanent") ? 2u : 0u);
    }
}

TEST_F(Mql5Advisor, EveryResultIsJudgedByItsRetcode)
{
    const struct {
        const char* name;
        unsigned code;
        bool transient;
    } rows[] = {
        {"Requote", 10004, true},          {"PriceChanged", 10020, true},     {"PriceOff", 10021, true},
        {"TooManyRequests", 10024, true},  {"Connection", 10031, true},       {"MarketClosed", 10018, true},
        {"InvalidStops", 10016, false},    {"InvalidVolume", 10014, false},   {"NoMoney", 10019, false},
        {"TradeDisabled", 10017, false},   {"ServerDisablesAt", 10026, false}, {"LimitOrders", 10033, false},
        {"LimitVolume", 10034, false},     {"FifoClose", 10045, false},       {"HedgeProhibited", 10046, false},
        {"Reject", 10006, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        reset(kHedging);
        begin();
        sim.answers = {row.code};
        feed("0.03125");
        EXPECT_EQ(requests(), Lines{"buy 0.06 FOK sl 1.07400: " + std::to_string(row.code)});
        EXPECT_EQ(positions(), "");
        sim.tick += 29000;
        feed("0.03125");
        EXPECT_TRUE(requests().empty()) << "within the back-off";
        sim.tick += 1000;
        feed("0.03125");
        EXPECT_EQ(positions(), row.transient ? "b0.06" : "") << "after the back-off";
        EXPECT_EQ(sim.alerts.size(), row.transient ? 0u : 1u) << "one alert for a permanent refusal";
        if (!row.transient) {
            EXPECT_EQ(line(), "Quorvane signal 0.03125 (long), lamps lit: 1 of 8 - not trading: opening 0.06 lots "
                              "refused, retcode " + std::to_string(row.code) + "; waiting for the lamps to change");
            feed("0.0625"); // the lamps change: the advisor tries again
            EXPECT_EQ(positions(), "b0.06 b0.06");
        }
    }
}

TEST_P(Mql5Accounts, ATimedOutOrderIsLookedUpNotSentTwice)
{
    for (const bool executed : {true, false}) {
        SCOPED_TRACE(executed ? "executed all the same" : "not executed");
        reset(GetParam());
        begin();
        sim.answers = {10012};
        sim.timeoutExecutes = executed;
        feed("0.03125");
        EXPECT_EQ(requests(), Lines{"buy 0.06 FOK sl 1.07400: 10012"});
        sim.tick += 30000;
        OnTick();
        EXPECT_TRUE(requests().empty()) << "a time-out waits at least a minute";
        sim.tick += 30000;
        OnTick();
        EXPECT_EQ(requests().size(), executed ? 0u : 1u) << "sent again only when the position is not there";
        EXPECT_EQ(positions(), "b0.06");
    }
}

TEST_P(Mql5Accounts, APartialFillCountsWhatWasFilled)
{
    sim.execution = mql5sim::Market;
    sim.fillingMask = mql5sim::FillIoc;
    sim.iocFillShare = 0.5;
    begin();
    feed("0.03125");
    EXPECT_EQ(requests(), Lines{"buy 0.06 IOC sl 1.07400: 10010"});
    EXPECT_EQ(positions(), "b0.03");
    EXPECT_TRUE(sim.alerts.empty());
}

TEST_P(Mql5Accounts, StopsAreNormalisedBeyondTheStopLevelAndSetAfterTheDealWhereTheBrokerWantsThat)
{
    const struct {
        const char* name;
        int stopLossPips, stopsLevel;
        bool refusesInDeal, refusesStops;
        Lines sent;
        const char* positions;
    } rows[] = {
        {"HundredPips", 100, 0, false, false, {"buy 0.06 FOK sl 1.07400: 10009"}, "b0.06"},
        {"StopLevelPlusAPoint", 1, 50, false, false, {"buy 0.06 FOK sl 1.08349: 10009"}, "b0.06"},
        // 1.08400 - 70 points is 1.0833000000000002 in binary: sent so, it would be refused.
        {"SevenPipsNormalised", 7, 0, false, false, {"buy 0.06 FOK sl 1.08330: 10009"}, "b0.06"},
        {"StopAfterTheDeal", 100, 0, true, false,
         {"check buy 0.06 FOK sl 1.07400: 10016", "buy 0.06 FOK: 10009", "sltp #1 sl 1.07400: 10009"}, "b0.06"},
        {"NoStopNoPosition", 100, 0, true, true,
         {"check buy 0.06 FOK sl 1.07400: 10016", "buy 0.06 FOK: 10009", "check sltp #1 sl 1.07400: 10016",
          "sell 0.06 FOK #1: 10009"},
         ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        reset(GetParam());
        sim.execution = mql5sim::Market;
        StopLossPips = row.stopLossPips;
        sim.stopsLevel = row.stopsLevel;
        sim.refusesStopInDeal = row.refusesInDeal, sim.refusesStops = row.refusesStops;
        begin();
        feed("0.03125");
        EXPECT_EQ(sim.requests, row.sent);
        EXPECT_EQ(positions(), row.positions);
        if (!sim.positions.empty()) {
            EXPECT_NE(sim.positions[0].sl, 0.0);
        }
        EXPECT_EQ(sim.alerts.size(), row.refusesStops ? 1u : 0u);
    }
}

TEST_F(Mql5Advisor, EachMissingPermissionIsNamedOnTheChart)
{
    begin();
    write(record("0.0625"));
    const struct {
        bool mql5sim::Terminal::*permission;
        const char* why;
    } rows[] = {
        {&mql5sim::Terminal::terminalTrade, "Algo Trading is off in the terminal (TERMINAL_TRADE_ALLOWED)"},
        {&mql5sim::Terminal::programTrade, "Algo Trading is not allowed in this advisor's settings (MQL_TRADE_ALLOWED)"},
        {&mql5sim::Terminal::accountExpert, "the broker allows no expert advisors on this account (ACCOUNT_TRADE_EXPERT)"},
        {&mql5sim::Terminal::accountTrade,
         "trading is not allowed on this account, an investor-password login? (ACCOUNT_TRADE_ALLOWED)"},
        {&mql5sim::Terminal::connected, "no connection to the trade server"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        sim.*row.permission = false;
        OnTick();
        EXPECT_EQ(line(), std::string("Quorvane signal 0.0625 (long), lamps lit: 2 of 8 - not trading: ") + row.why);
        EXPECT_TRUE(requests().empty());
        sim.*row.permission = true;
    }
    OnTick();
    EXPECT_EQ(positions(), "b0.12") << "the record that came while blocked is acted on";
}

TEST_F(Mql5Advisor, LotsKeepToTheVolumeStepMinimumAndMaximum)
{
    const struct {
        const char* name;
        double step, least, most, lp;
        const char* positions;
    } rows[] = {
        {"StepOfAHundredth", 0.01, 0.01, 50, 1, "b0.06"}, // 10000 x 0.1 / 16 / 1000 = 0.0625
        {"StepOfAThousandth", 0.001, 0.001, 50, 1, "b0.062"},
        {"CappedAtTheMaximum", 0.01, 0.01, 0.5, 20, "b0.5"},
        {"BelowTheMinimumSkipped", 0.1, 0.1, 50, 1, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        reset(kHedging);
        sim.volumeStep = row.step, sim.volumeMin = row.least, sim.volumeMax = row.most;
        LP = row.lp;
        begin();
        feed("0.03125");
        feed("0.0312");
        EXPECT_EQ(positions(), row.positions);
        EXPECT_EQ(sim.prints.size(), *row.positions ? 0u : 1u) << "said once";
    }
}

TEST_F(Mql5Advisor, SymbolNamesAsBrokersSpellThem)
{
    const struct {
        const char* symbol;
        const char* prefix;
        const char* suffix;
        const char* fileLine;
    } rows[] = {
        {"EURUSD", "", "", "signal file EURUSD for EURUSD"},
        {"EURUSD.pro", "", "", "signal file EURUSD for EURUSD.pro"},
        {"EURUSD-ECN", "", "", "signal file EURUSD for EURUSD-ECN"},
        {"mEURUSD", "m", "", "signal file EURUSD for mEURUSD"},
        {"pre.EURUSD#", "pre.", "#", "signal file EURUSD for pre.EURUSD#"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.symbol);
        OnDeinit(0);
        sim.symbol = row.symbol;
        sim.positions.clear();
        SymbolPrefix = row.prefix, SymbolSuffix = row.suffix;
        begin();
        feed("0.03125");
        EXPECT_EQ(sim.comment.substr(sim.comment.find('\n') + 1), row.fileLine);
        EXPECT_EQ(positions(), "b0.06");
    }
}

TEST_F(Mql5Advisor, UseCommonFolderReadsTheTerminalsSharedFolder)
{
    UseCommonFolder = true;
    ASSERT_EQ(OnInit(), INIT_SUCCEEDED);
    write(record("0"), "common");
    OnTick();
    write(record("0.03125"), "common");
    OnTick();
    EXPECT_EQ(positions(), "b0.06");
}

TEST_F(Mql5Advisor, RefusesTheStrategyTesterAndBadInputs)
{
    sim.tester = true;
    EXPECT_EQ(OnInit(), INIT_FAILED);
    EXPECT_EQ(sim.prints,
              Lines{"Quorvane: the strategy tester has no live signal file; this advisor runs on a live chart only"});
    sim.tester = false;
    MaxSignal = 0;
    EXPECT_EQ(OnInit(), INIT_FAILED);
    MaxSignal = 0.25, LevelNum = 0;
    EXPECT_EQ(OnInit(), INIT_FAILED);
    EXPECT_EQ(sim.alerts.size(), 2u);
    EXPECT_TRUE(sim.globals.empty()) << "no lock taken by a copy that does not run";
}

TEST_F(Mql5Advisor, OneCopyPerSymbolAndMagic)
{
    sim.marginMode = mql5sim::RetailHedging;
    begin();
    EXPECT_EQ(second::OnInit(), INIT_FAILED);
    EXPECT_EQ(sim.alerts, Lines{"Quorvane: another copy already trades EURUSD with magic 300000; this one does not run"});
    second::magic = 300001; // another magic is another set of levels
    ASSERT_EQ(second::OnInit(), INIT_SUCCEEDED);
    second::OnTick();
    feed("0.0625");
    second::OnTick();
    EXPECT_EQ(positions(), "b0.06 b0.06");
    EXPECT_EQ(sim.positions.size(), 4u);
    second::OnDeinit(0);
    second::magic = 300000;
    OnDeinit(0);
    EXPECT_EQ(second::OnInit(), INIT_SUCCEEDED) << "the lock goes with the first copy";
    second::OnDeinit(0);
}

} // namespace
