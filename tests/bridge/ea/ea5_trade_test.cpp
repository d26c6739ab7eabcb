// SPDX-License-Identifier: MIT
// The MetaTrader 5 advisor's own source, compiled through mql5.h, against the
// simulated terminal and trade server of simulator5.h, on netting and hedging
// accounts: filling modes, results, stops, permissions and lots.

#include "ea5_fixture.h"

namespace {

using namespace mql5test;

class Mql5Trades : public Mql5Accounts {};

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
        {"Reject", 10006, false},          {"ClientDisablesAt", 10027, false},
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

TEST_P(Mql5Trades, ATimedOutOrderIsLookedUpNotSentTwice)
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

TEST_P(Mql5Trades, APartialFillCountsWhatWasFilled)
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

TEST_P(Mql5Trades, StopsAreNormalisedBeyondTheStopLevelAndSetAfterTheDealWhereTheBrokerWantsThat)
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

INSTANTIATE_TEST_SUITE_P(Accounts, Mql5Trades, ::testing::Values(kNetting, kHedging),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
