// SPDX-License-Identifier: MIT
// The expert advisor against a trade server that refuses what a broker's
// refuses: stops, lot sizes, FIFO, margin, errors that pass and errors that
// do not, stop-outs, other orders in the pool and a second chart.

#include "ea_fixture.h"

namespace {

using namespace eatest;

TEST_F(ExpertAdvisor, TradesOnlyWhenConnectedAllowedAndTheContextIsFree)
{
    start();
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
        feed("0.0625");
        EXPECT_EQ(sim.comment, chart(std::string("signal 0.0625 (long), lamps lit: 2 of 8 - not trading: ") + row.why));
        EXPECT_TRUE(requests().empty());
    }
    sim.connected = true, sim.tradeAllowed = true, sim.contextBusy = false;
    mql4sim::Tick(); // the record decided while blocked is carried out now
    EXPECT_EQ(positions(), "bb");
}

TEST_F(ExpertAdvisor, TransientErrorsWaitPermanentOnesStopUntilTheLampsChange)
{
    const struct {
        const char* name;
        int error;
        int wait; // seconds until the next try; 0: none until the lamps change
    } rows[] = {
        {"Requote", 138, 30}, {"PriceChanged", 135, 30}, {"OffQuotes", 136, 30}, {"ServerBusy", 4, 30},
        {"ContextBusy", 146, 30}, {"NoConnection", 6, 30}, {"Timeout", 128, 60},
        {"InvalidVolume", 131, 0}, {"TradeDisabled", 133, 0}, {"NotEnoughMoney", 134, 0},
        {"TooManyOrders", 148, 0}, {"HedgingProhibited", 149, 0}, {"Fifo", 150, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        reset();
        start();
        sim.sendErrors = {row.error};
        feed("0.0625");
        EXPECT_EQ(requests().size(), 1u);
        for (int waited = 15; waited < 90; waited += 15) {
            feed("0.0625"); // the same lamps, polled on
            const bool due = row.wait > 0 && waited >= row.wait;
            EXPECT_EQ(positions(), due ? "bb" : "") << waited << " s after the failure";
        }
        if (row.wait == 0) {
            EXPECT_EQ(sim.alerts.size(), 1u) << "alerted once";
            EXPECT_NE(sim.comment.find("stopped: opening a level refused, error " + std::to_string(row.error)),
                      std::string::npos);
            feed("0.09375"); // three lamps: tried again
            EXPECT_EQ(positions(), "bbb");
        }
        EXPECT_TRUE(sim.alerts.size() <= 1u);
    }
}

TEST_F(ExpertAdvisor, ATimedOutOrderThatWentThroughIsNotSentAgain)
{
    start();
    sim.sendErrors = {128};
    sim.timeoutFills = true;
    feed("0.0625");
    EXPECT_EQ(requests(), (Lines{"send buy 0.06 at 1.08412 slippage 30 sl 1.07400: error 128, filled"}));
    sim.advance(60);
    feed("0.0625");
    EXPECT_EQ(positions(), "bb");
    EXPECT_EQ(requests().size(), 1u) << "the filled one is found in the pool";
    sim.closeErrors = {128};
    feed("0");
    sim.advance(60);
    feed("0");
    feed("0.03125");
    EXPECT_EQ(positions(), "b") << "its own timed-out close blocks no level";
}

TEST_F(ExpertAdvisor, FailedRequestWaitsByTheTickCountNotTheClock)
{
    start();
    sim.sendErrors = {136};
    feed("0.0625");
    EXPECT_EQ(requests(), Lines{"send buy 0.06 at 1.08412 slippage 30 sl 1.07400: error 136"});
    sim.advance(29);
    mql4sim::Tick();
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(sim.comment, chart("signal 0.0625 (long), lamps lit: 2 of 8 - not trading: waiting after a failed order"));
    sim.now -= 3600; // the clock is set back an hour: the wait is still 30 s
    sim.advance(1);
    mql4sim::Tick();
    EXPECT_EQ(positions(), "bb");
    requests();

    sim.closeErrors = {136};
    feed("0");
    EXPECT_EQ(requests().front(), "close 1 at 1.08400 slippage 30: error 136");
    mql4sim::Tick();
    EXPECT_TRUE(requests().empty());
    sim.advance(30);
    mql4sim::Tick();
    EXPECT_EQ(positions(), "");
}

TEST_F(ExpertAdvisor, RatesAreRefreshedBeforeEachOrder)
{
    start();
    sim.moveAfterTrade = 0.0005; // 50 points after every fill, more than the slippage
    feed("0.25");
    EXPECT_EQ(positions(), "bbbbbbbb");
    EXPECT_EQ(requests().back(), "send buy 0.06 at 1.08762 slippage 30 sl 1.07750: ticket 8");
}

TEST_F(ExpertAdvisor, StopsAreNormalisedBeyondTheStopLevelAndSetAfterTheFillWhereTheServerWantsIt)
{
    const struct {
        const char* name;
        int digits, stopLossPips, stopLevel;
        bool marketExecution, refusesStop;
        int modifyError;
        Lines requests;
    } rows[] = {
        {"FiveDigits", 5, 100, 0, false, false, 0, {"send buy 0.06 at 1.08412 slippage 30 sl 1.07400: ticket 1"}},
        {"NoStop", 5, 0, 0, false, false, 0, {"send buy 0.06 at 1.08412 slippage 30 sl 0.00000: ticket 1"}},
        {"BeyondTheStopLevel", 5, 1, 50, false, false, 0, {"send buy 0.06 at 1.08412 slippage 30 sl 1.08349: ticket 1"}},
        {"FourDigits", 4, 100, 0, false, false, 0, {"send buy 0.06 at 1.08410 slippage 3 sl 1.07400: ticket 1"}},
        {"MarketExecution", 5, 100, 0, true, false, 0,
         {"send buy 0.06 at 1.08412 slippage 30 sl 0.00000: ticket 1", "modify 1 sl 1.07400: done"}},
        {"RefusesTheStopWithoutSaying", 5, 100, 0, false, true, 0,
         {"send buy 0.06 at 1.08412 slippage 30 sl 1.07400: error 130",
          "send buy 0.06 at 1.08412 slippage 30 sl 0.00000: ticket 1", "modify 1 sl 1.07400: done"}},
        {"StopCannotBeSet", 5, 100, 0, true, false, 130,
         {"send buy 0.06 at 1.08412 slippage 30 sl 0.00000: ticket 1", "modify 1 sl 1.07400: error 130",
          "close 1 at 1.08400 slippage 30: closed"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        reset();
        sim.digits = row.digits;
        sim.point = row.digits == 5 ? 0.00001 : 0.0001;
        sim.ask = row.digits == 5 ? 1.08412 : 1.0841;
        sim.stopLevelPoints = row.stopLevel;
        sim.marketExecution = row.marketExecution, sim.refusesStopInOrder = row.refusesStop;
        if (row.modifyError)
            sim.modifyErrors = {row.modifyError};
        StopLossPips = row.stopLossPips;
        start();
        feed("0.03125"); // one lamp
        EXPECT_EQ(sim.requests, row.requests);
        EXPECT_EQ(sim.alerts.size(), row.modifyError ? 1u : 0u) << ::testing::PrintToString(sim.alerts);
        for (const mql4sim::Order& o : sim.orders)
            EXPECT_EQ(o.stopLoss != 0, row.stopLossPips != 0) << "never a position without its stop";
        OnDeinit(0);
    }
}

TEST_F(ExpertAdvisor, LotsAreRoundedDownToTheStepAndKeptWithinTheBrokersLimits)
{
    const struct {
        const char* name;
        double step, minLot, maxLot, lp;
        const char* lots; // "": nothing sent
    } rows[] = {
        {"HundredthStep", 0.01, 0.01, 50, 1, "0.06"},
        {"ThousandthStep", 0.001, 0.001, 50, 1, "0.062"},
        {"ThousandthStepSmall", 0.001, 0.001, 50, 0.1, "0.006"},
        {"FiveHundredthStep", 0.05, 0.05, 50, 3, "0.15"},
        {"TenthStep", 0.1, 0.1, 50, 5, "0.30"},
        {"CappedAtTheMaximum", 0.01, 0.01, 0.05, 1, "0.05"},
        {"BelowTheMinimum", 0.01, 0.1, 50, 1, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        reset();
        sim.lotStep = row.step, sim.minLot = row.minLot, sim.maxLot = row.maxLot;
        LP = row.lp;
        start();
        feed("0.03125");
        if (*row.lots) {
            ASSERT_EQ(sim.requests.size(), 1u);
            EXPECT_EQ(sim.requests[0].substr(0, sim.requests[0].find(" at")), std::string("send buy ") + row.lots);
            EXPECT_EQ(positions(), "b");
        } else {
            EXPECT_TRUE(sim.requests.empty());
            EXPECT_EQ(sim.prints, Lines{"Quorvane: the lot size of one level is below the broker's minimum; nothing opened"});
        }
    }
}

TEST_F(ExpertAdvisor, MarginBudgetAndFreeMargin)
{
    start();
    LP = 20; // 1.25 lots a level, 1250 of margin each: the eighth would leave no free margin
    feed("0.25");
    EXPECT_EQ(positions(), "bbbbbbb");
    EXPECT_EQ(sim.prints, Lines{"Quorvane: not enough free margin for another level"});
    feed("0.25");
    EXPECT_EQ(sim.prints.size(), 1u) << "said once, not on every record";
}

TEST_F(ExpertAdvisor, OnlyItsOwnOrdersCountAndTheOldestCloseFirstEvenOnFifoAccounts)
{
    sim.fifo = true;
    sim.newestFirst = true; // the pool's order is no age
    const auto foreign = [this](int type, int magic, const char* symbol) {
        mql4sim::Order o;
        o.ticket = sim.nextTicket++, o.type = type, o.lots = 0.5, o.magic = magic, o.symbol = symbol;
        o.openTime = sim.now;
        sim.orders.push_back(o);
    };
    foreign(OP_SELL, 300000, "GBPUSD"); // our magic on another chart's symbol
    start();
    feed("0.125");
    ASSERT_EQ(positions(), "bbbb");
    foreign(OP_BUY, 0, "EURUSD");      // the trader's, newer than ours
    foreign(OP_SELL, 777, "EURUSD");   // another advisor's
    requests();
    feed("0.0625");
    EXPECT_EQ(requests(), (Lines{"close 2 at 1.08400 slippage 30: closed", "close 3 at 1.08400 slippage 30: closed"}));
    feed("-0.03125");
    EXPECT_EQ(positions(), "s");
    EXPECT_EQ(sim.orders.size(), 4u) << "the others' orders are left alone";
}

TEST_F(ExpertAdvisor, ALevelClosedByItsStopStaysClosedUntilItsLampLightsAgain)
{
    start();
    feed("0.25");
    ASSERT_EQ(positions(), "bbbbbbbb");
    for (int stopOut = 0; stopOut < 3; ++stopOut) {
        closedOutside(0); // the oldest's stop was hit
        feed("0.25");
        feed("0.25");
    }
    EXPECT_EQ(positions(), "bbbbb") << "no re-entry while the lamps stay lit";
    closedOutside(0); // the trader closes one by hand
    feed("0.25");
    EXPECT_EQ(positions(), "bbbb");
    feed("0.21875"); // seven lamps: the eighth went out
    feed("0.25");    // and lit again: that level opens, the other three stay closed
    EXPECT_EQ(positions(), "bbbbb");
    feed("0");
    feed("0.25");
    EXPECT_EQ(positions(), "bbbbbbbb");
}

TEST_F(ExpertAdvisor, ARestartTakesOverTheLevelsItHolds)
{
    start();
    feed("0.09375");
    OnDeinit(0);
    requests();
    start();
    feed("0.09375");
    EXPECT_TRUE(requests().empty());
    feed("0.0625");
    EXPECT_EQ(requests().size(), 1u);
    EXPECT_EQ(positions(), "bb");
}

TEST_F(ExpertAdvisor, OneCopyPerSymbolAndMagicInATerminal)
{
    start();
    EXPECT_EQ(second::OnInit(), INIT_FAILED);
    EXPECT_EQ(sim.alerts,
              Lines{"Quorvane: another copy already trades EURUSD with magic 300000 in this terminal; this one does not run"});
    second::OnDeinit(8); // the terminal deinitialises a refused start: the first copy keeps its hold
    EXPECT_EQ(second::OnInit(), INIT_FAILED);
    second::OnDeinit(8);
    feed("0.0625");
    EXPECT_EQ(positions(), "bb");
    second::magic = 300001; // another magic is another set of levels
    EXPECT_EQ(second::OnInit(), INIT_SUCCEEDED);
    second::OnDeinit(0);
    second::magic = 300000;
    OnDeinit(0);
    EXPECT_EQ(second::OnInit(), INIT_SUCCEEDED) << "free once the first copy has gone";
    second::OnDeinit(0);
}

TEST_F(ExpertAdvisor, CountsItsLevelsAgainBeforeEveryOrder)
{
    // Two terminals on one account share the orders but not their variables:
    // the other copy trades while this one is sending.
    start();
    sim.globals.clear();
    ASSERT_EQ(second::OnInit(), INIT_SUCCEEDED);
    mql4sim::Tick(1, &second::OnTick);
    poll(record("0.0625"));
    sim.afterTrade = [] { mql4sim::Tick(1, &second::OnTick); };
    mql4sim::Tick();
    EXPECT_EQ(positions(), "bb");
    second::OnDeinit(0);
}

TEST_F(ExpertAdvisor, RefusesToStartOnBadInputsAndInTheStrategyTester)
{
    const struct {
        const char* name;
        double maxSignal;
        int levelNum;
        bool testing;
        const char* message;
    } rows[] = {
        {"NoLevels", 0.25, 0, false, "Quorvane: LevelNum must be at least 1"},
        {"MaxSignalZero", 0, 16, false,
         "Quorvane: MaxSignal must be greater than 0 (the signal at which all eight lamps are lit)"},
        {"MaxSignalNegative", -0.25, 16, false,
         "Quorvane: MaxSignal must be greater than 0 (the signal at which all eight lamps are lit)"},
        {"StrategyTester", 0.25, 16, true,
         "Quorvane: the strategy tester cannot replay Quorvane's signal files; run the advisor on a live chart"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        reset();
        MaxSignal = row.maxSignal, LevelNum = row.levelNum;
        sim.testing = row.testing;
        EXPECT_EQ(OnInit(), INIT_FAILED);
        // Alert is mute in the tester: there the journal says it.
        EXPECT_EQ(row.testing ? sim.prints : sim.alerts, Lines{row.message});
        OnDeinit(8);
    }
}

} // namespace
