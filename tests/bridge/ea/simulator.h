#pragma once
// A small MetaTrader 4 terminal behind the built-ins of mql4.h: one chart symbol,
// its quotes, an account, the trade context, the files sandbox and the clock,
// all set by the test and recording every request the expert advisor makes.

#include <map>
#include <string>
#include <vector>

// The terminal's predefined variables, refreshed at a tick and by RefreshRates.
extern double Ask;
extern double Bid;
extern double Point;
extern int Digits;

namespace mql4sim {

struct Order {
    int ticket = 0;
    int type = 0; // OP_BUY 0, OP_SELL 1
    double lots = 0, openPrice = 0, stopLoss = 0;
    int magic = 0;
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
    long long now = 1800000000; ///< TimeLocal()
    std::string filesFolder;    ///< the FileOpen sandbox (MQL4/Files)
    int failSends = 0, failCloses = 0; ///< so many next requests fail (off quotes)

    std::vector<Order> orders;
    std::vector<std::string> requests; ///< every trade request, "send …" / "close …", with its outcome
    std::string comment;
    std::vector<std::string> alerts, prints;

    // Internal state of the built-ins.
    int nextTicket = 1, lastError = 0, selected = -1, nextHandle = 1;
    struct File {
        std::string bytes;
        std::size_t at = 0;
        bool ansi = false;
        long long modified = 0;
    };
    std::map<int, File> files;

    double usedMargin() const;
};

/// The one terminal; the test resets it before each case.
Terminal& terminal();

/// A new tick: Ask and Bid take the market's quotes, then OnTick runs.
void Tick();

} // namespace mql4sim
