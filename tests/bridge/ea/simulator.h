// SPDX-License-Identifier: MIT
#pragma once
// A small MetaTrader 4 terminal behind the built-ins of mql4.h: one chart symbol,
// its quotes, an account, the trade context, the files sandbox and the clocks,
// all set by the test and recording every request the expert advisor makes.
// Its trade server refuses what a broker's server refuses.

#include "mqlfiles.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The terminal's predefined variables, refreshed at a tick and by RefreshRates.
extern double Ask;
extern double Bid;
extern double Point;
extern int Digits;

namespace mql4sim {

/// The codes the simulated server answers with (the advisor spells them ERR_*).
namespace err {
constexpr int noResult = 1, noConnection = 6, tradeTimeout = 128, invalidPrice = 129, invalidStops = 130,
              invalidVolume = 131, tradeDisabled = 133, notEnoughMoney = 134, offQuotes = 136, requote = 138,
              contextBusy = 146, hedgingProhibited = 149, fifo = 150, unknownSymbol = 4106, invalidTicket = 4108,
              globalNotFound = 4501, cannotOpenFile = 5004;
}

struct Order {
    int ticket = 0;
    int type = 0; // OP_BUY 0, OP_SELL 1
    double lots = 0, openPrice = 0, stopLoss = 0, takeProfit = 0;
    int magic = 0;
    long long openTime = 0, closeTime = 0;
    std::string symbol, comment;
};

struct Terminal {
    std::string symbol = "EURUSD";
    int digits = 5;
    double point = 0.00001;
    double bid = 1.08400, ask = 1.08412; ///< the market; Ask/Bid follow it at a tick and at RefreshRates
    double moveAfterTrade = 0;           ///< the market moves by this after every executed request
    double equity = 10000, marginPerLot = 1000, minLot = 0.01, lotStep = 0.01, maxLot = 50;
    int stopLevelPoints = 0;
    bool connected = true, tradeAllowed = true, contextBusy = false;
    bool testing = false;         ///< IsTesting(): the strategy tester
    bool marketExecution = false; ///< ECN: the execution mode says so and a stop in the order is refused
    bool refusesStopInOrder = false; ///< refuses a stop in the order without saying it executes at market
    bool fifo = false;            ///< an order may only be closed when no older one of its symbol is open
    bool noHedging = false;       ///< no order against an open one of the same symbol
    bool newestFirst = false;     ///< the pool lists new orders first: its order says nothing of age
    bool timeoutFills = false;    ///< a request that times out (128) is executed all the same
    long long now = 1800000000;   ///< TimeLocal()
    unsigned int tickCount = 5000000; ///< GetTickCount(), ms
    long long fileClockOffset = 0;    ///< FILE_MODIFY_DATE minus TimeLocal() for a file written now
    std::string filesFolder;          ///< the FileOpen sandbox (MQL4/Files)
    std::string commonFolder;         ///< FILE_COMMON: Terminal/Common/Files
    std::deque<int> sendErrors, closeErrors, modifyErrors; ///< the next requests of each kind fail with these
    /// Runs once after the next executed request: another program trading meanwhile.
    std::function<void()> afterTrade;

    std::vector<Order> orders, history;
    std::vector<std::string> requests; ///< every trade request, "send …" / "close …" / "modify …", with its outcome
    std::map<std::string, double> globals; ///< the terminal's global variables, shared by all its charts
    int chart = 0;                         ///< the chart whose advisor runs now (0 or 1)
    std::string comment, otherComment;     ///< the text of chart 0, chart 1
    std::vector<std::string> alerts, prints;

    // Internal state of the built-ins.
    int nextTicket = 1, lastError = 0, selected = -1;
    bool selectedFromHistory = false;
    mqlsim::OpenFiles files;

    double usedMargin() const;
    /// Both clocks run on by `seconds`.
    void advance(long long seconds);
};

/// The one terminal; the test resets it before each case.
Terminal& terminal();

/// A new tick on chart 0: Ask and Bid take the market's quotes, then OnTick runs.
void Tick();
/// The same on another chart of the same symbol, whose advisor's OnTick is `onTick`.
void Tick(int chart, void (*onTick)());

} // namespace mql4sim
