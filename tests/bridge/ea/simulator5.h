// SPDX-License-Identifier: MIT
#pragma once
// A small MetaTrader 5 terminal and trade server behind the built-ins of mql5.h:
// one symbol with its quotes and broker rules, a netting or hedging account, the
// four trade permissions, the position pool (with other advisors' and manual
// positions), terminal variables, the files sandbox and GetTickCount, all set by
// the test. The server refuses what a real one refuses and every request is
// recorded with its answer.

#include "mqlfiles.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace mql5sim {

enum Execution { Request, Instant, Market, Exchange };
enum MarginMode { RetailNetting, ExchangeNetting, RetailHedging };
enum FillingFlag { FillFok = 1, FillIoc = 2 };

struct Position {
    unsigned long ticket = 0, identifier = 0;
    bool buy = true;
    double volume = 0, priceOpen = 0, sl = 0;
    long magic = 0;
    long timeMsc = 0;
    std::string symbol = "EURUSD";
};

struct Terminal {
    // The symbol and its broker rules.
    std::string symbol = "EURUSD";
    int digits = 5;
    double point = 0.00001;
    double bid = 1.08400, ask = 1.08412;
    double volumeMin = 0.01, volumeStep = 0.01, volumeMax = 50;
    int stopsLevel = 0, freezeLevel = 0; ///< points
    Execution execution = Instant;
    int fillingMask = FillFok | FillIoc; ///< SYMBOL_FILLING_MODE as the terminal reports it
    int serverFilling = -1;              ///< what the server really takes under Market/Exchange; -1: the mask
    bool refusesStopInDeal = false;      ///< a broker that takes stops only by TRADE_ACTION_SLTP (market execution)
    bool refusesStops = false;           ///< ... and then refuses TRADE_ACTION_SLTP too
    double moveAfterTrade = 0;           ///< the market moves by this after every executed deal

    // The account.
    MarginMode marginMode = RetailNetting;
    double equity = 10000, marginPerLot = 1000;
    bool fifo = false; ///< ACCOUNT_FIFO_CLOSE: a newer position closed before an older one is refused

    // Permissions, connection, run mode.
    bool terminalTrade = true, programTrade = true, accountExpert = true, accountTrade = true;
    bool connected = true, tester = false;

    unsigned tick = 5000; ///< GetTickCount(); the tests move it
    std::string filesFolder, commonFolder;

    // Scripted answers of the server to the next valid deals instead of executing
    // them; a 10012 with `timeoutExecutes` is executed all the same.
    std::deque<unsigned> answers;
    bool timeoutExecutes = false;
    double iocFillShare = 1; ///< an IOC deal fills only this share of its volume (10010)

    std::vector<Position> positions;
    std::vector<std::string> requests; ///< "buy 0.06 FOK sl 1.07400: 10009", "check …", "sltp …"
    std::string comment;
    std::vector<std::string> alerts, prints;
    std::map<std::string, double> globals;

    // Internal state of the built-ins.
    unsigned long nextTicket = 1;
    long clockMsc = 1000;
    unsigned long selected = 0; ///< ticket of the position PositionGet* reads
    mqlsim::OpenFiles files;

    bool hedging() const { return marginMode == RetailHedging; }
    double usedMargin() const;
    /// Position of this advisor's kind, for test set-up: a manual one has magic 0.
    Position& add(bool buy, double volume, long magic, double sl = 0);
};

/// The one terminal; the test resets it before each case.
Terminal& terminal();

} // namespace mql5sim
