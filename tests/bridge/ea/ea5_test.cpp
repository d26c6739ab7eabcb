// SPDX-License-Identifier: MIT
// The MetaTrader 5 advisor's own source, compiled through mql5.h, against the
// simulated terminal and trade server of simulator5.h, on netting and hedging
// accounts: levels, the signal file, symbol names and the copies of the advisor.

#include "ea5_fixture.h"

namespace {

using namespace mql5test;

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
    // A file that goes missing and comes back as it was is no new record.
    MaxAgeSeconds = 60;
    sim.tick += 61000;
    std::filesystem::rename(dir / "EURUSD", dir / "away");
    OnTick();
    EXPECT_EQ(line(), "Quorvane: no signal file for EURUSD - holding");
    std::filesystem::rename(dir / "away", dir / "EURUSD");
    OnTick();
    EXPECT_EQ(line(), "Quorvane: signal stale (unchanged for more than 60 s) - holding");
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
