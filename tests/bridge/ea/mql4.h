// SPDX-License-Identifier: MIT
#pragma once
// Just enough MQL4 for g++ to compile the expert advisor's own source unchanged:
// MQL's string (UTF-16 units, as build 600 and later hold text), the types, the
// constants and the built-ins it calls, each answered by the simulated terminal
// of simulator.h the way the real one answers where it matters. The build
// includes this header ahead of a copy of the source without its #property lines.

#include "simulator.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <utility>

typedef unsigned short ushort;
typedef unsigned char uchar;
typedef unsigned int uint;
typedef unsigned long ulong;
typedef long datetime;
typedef unsigned int color;

#include "mqlcore.h"

// ---- constants --------------------------------------------------------------

const int OP_BUY = 0;
const int OP_SELL = 1;
const int SELECT_BY_POS = 0;
const int SELECT_BY_TICKET = 1;
const int MODE_TRADES = 0;
const int MODE_POINT = 11;
const int MODE_DIGITS = 12;
const int MODE_STOPLEVEL = 14;
const int MODE_LOTSTEP = 24;
const int MODE_MINLOT = 23;
const int MODE_MAXLOT = 25;
const int MODE_MARGINREQUIRED = 32;
const color clrNONE = 0xFFFFFFFF;
const color CLR_NONE = 0xFFFFFFFF;
const int FILE_READ = 1;
const int FILE_WRITE = 2;
const int FILE_BIN = 4;
const int FILE_CSV = 8;
const int FILE_TXT = 16;
const int FILE_ANSI = 32;
const int FILE_UNICODE = 64;
const int FILE_SHARE_READ = 128;
const int FILE_SHARE_WRITE = 256;
const int FILE_MODIFY_DATE = 2;
const int INVALID_HANDLE = -1;
const int INIT_SUCCEEDED = 0;
const int INIT_FAILED = 1;
const int FILE_COMMON = 4096;
enum ENUM_SYMBOL_INFO_INTEGER { SYMBOL_TRADE_EXEMODE = 33 };
// The values are not documented; the advisor uses the names only.
enum ENUM_SYMBOL_TRADE_EXECUTION {
    SYMBOL_TRADE_EXECUTION_REQUEST,
    SYMBOL_TRADE_EXECUTION_INSTANT,
    SYMBOL_TRADE_EXECUTION_MARKET,
    SYMBOL_TRADE_EXECUTION_EXCHANGE
};
// The ERR_* names come from <stderror.mqh>, which the advisor must include.

namespace mql4sim::detail {

inline std::string text(const string& s) { return s.utf8(); }
inline std::string text(const char* s) { return s; }
inline std::string text(int v) { return std::to_string(v); }
inline std::string text(long v) { return std::to_string(v); }
// Doubles go through DoubleToString in the advisor, so the shown digits are its choice.
std::string text(double) = delete;

template <typename... Args>
std::string joined(const Args&... args)
{
    return (std::string() + ... + text(args));
}

inline std::string quote(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.5f", value);
    return buffer;
}

inline bool near(double a, double b, double tolerance) { return std::fabs(a - b) <= tolerance + 1e-9; }

} // namespace mql4sim::detail

// ---- terminal, account, market ------------------------------------------------

inline string Symbol() { return string(mql4sim::terminal().symbol.c_str()); }
inline datetime TimeLocal() { return static_cast<datetime>(mql4sim::terminal().now); }
inline bool IsConnected() { return mql4sim::terminal().connected; }
inline bool IsTradeContextBusy() { return mql4sim::terminal().contextBusy; }
// As in the terminal: false also while another advisor holds the trade context.
inline bool IsTradeAllowed() { return mql4sim::terminal().tradeAllowed && !mql4sim::terminal().contextBusy; }

inline int GetLastError()
{
    return std::exchange(mql4sim::terminal().lastError, 0);
}

inline bool RefreshRates()
{
    const mql4sim::Terminal& t = mql4sim::terminal();
    const bool changed = Ask != t.ask || Bid != t.bid;
    Ask = t.ask;
    Bid = t.bid;
    return changed;
}

inline double MarketInfo(const string& symbol, int mode)
{
    const mql4sim::Terminal& t = mql4sim::terminal();
    if (symbol.utf8() != t.symbol)
        return 0;
    switch (mode) {
    case MODE_POINT: return t.point;
    case MODE_DIGITS: return t.digits;
    case MODE_STOPLEVEL: return t.stopLevelPoints;
    case MODE_LOTSTEP: return t.lotStep;
    case MODE_MINLOT: return t.minLot;
    case MODE_MAXLOT: return t.maxLot;
    case MODE_MARGINREQUIRED: return t.marginPerLot;
    default: return 0;
    }
}

inline double AccountEquity() { return mql4sim::terminal().equity; }
inline double AccountFreeMargin() { return mql4sim::terminal().equity - mql4sim::terminal().usedMargin(); }
inline double AccountFreeMarginCheck(const string&, int, double volume)
{
    const double after = AccountFreeMargin() - volume * mql4sim::terminal().marginPerLot;
    if (after <= 0)
        mql4sim::terminal().lastError = mql4sim::err::notEnoughMoney;
    return after;
}

template <typename... Args>
void Print(const Args&... args)
{
    mql4sim::terminal().prints.push_back(mql4sim::detail::joined(args...));
}

// Each chart has its own text.
template <typename... Args>
void Comment(const Args&... args)
{
    mql4sim::Terminal& t = mql4sim::terminal();
    (t.chart == 0 ? t.comment : t.otherComment) = mql4sim::detail::joined(args...);
}

template <typename... Args>
void Alert(const Args&... args)
{
    mql4sim::terminal().alerts.push_back(mql4sim::detail::joined(args...));
}

#include "mql4orders.h"

// ---- files ------------------------------------------------------------------------

// Opens a file of the sandbox (with FILE_COMMON: of the terminals' common folder)
// for reading. Without FILE_ANSI the terminal (build 600 and later) reads text
// as UTF-16, two bytes a character, so does this one. The modification date is
// in a clock of its own, `fileClockOffset` away from TimeLocal().
inline int FileOpen(const string& name, int flags)
{
    mql4sim::Terminal& t = mql4sim::terminal();
    const std::string path = ((flags & FILE_COMMON) ? t.commonFolder : t.filesFolder) + "/" + name.utf8();
    const int handle = (flags & FILE_READ) ? t.files.open(path, (flags & FILE_ANSI) != 0, t.fileClockOffset)
                                           : INVALID_HANDLE;
    if (handle == INVALID_HANDLE)
        t.lastError = mql4sim::err::cannotOpenFile;
    return handle;
}

inline void FileClose(int handle) { mql4sim::terminal().files.close(handle); }
inline ulong FileSize(int handle) { return mql4sim::terminal().files.size(handle); }

inline long FileGetInteger(int handle, int property)
{
    return property != FILE_MODIFY_DATE ? 0 : mql4sim::terminal().files.modified(handle, 0);
}

// In a binary file `length` counts characters: bytes with FILE_ANSI, UTF-16 units without.
inline string FileReadString(int handle, int length)
{
    return string(mql4sim::terminal().files.read(handle, length));
}

// ---- clocks, run mode, symbol properties ---------------------------------------------

inline uint GetTickCount() { return mql4sim::terminal().tickCount; }
// The simulated clock runs on; nothing waits.
inline void Sleep(int milliseconds)
{
    if (milliseconds > 0)
        mql4sim::terminal().tickCount += static_cast<uint>(milliseconds);
}
inline bool IsTesting() { return mql4sim::terminal().testing; }
inline void ResetLastError() { mql4sim::terminal().lastError = 0; }
inline double MathRound(double v) { return std::round(v); }

inline long SymbolInfoInteger(const string& symbol, ENUM_SYMBOL_INFO_INTEGER property)
{
    const mql4sim::Terminal& t = mql4sim::terminal();
    if (symbol.utf8() != t.symbol || property != SYMBOL_TRADE_EXEMODE)
        return 0;
    return t.marketExecution ? SYMBOL_TRADE_EXECUTION_MARKET : SYMBOL_TRADE_EXECUTION_INSTANT;
}

// ---- terminal global variables: one set for every chart of the terminal --------------

inline bool GlobalVariableTemp(const string& name)
{
    mql4sim::terminal().globals.emplace(name.utf8(), 0.0);
    return true;
}

inline double GlobalVariableGet(const string& name)
{
    mql4sim::Terminal& t = mql4sim::terminal();
    const auto it = t.globals.find(name.utf8());
    if (it == t.globals.end()) {
        t.lastError = mql4sim::err::globalNotFound;
        return 0;
    }
    return it->second;
}

inline datetime GlobalVariableSet(const string& name, double value)
{
    mql4sim::terminal().globals[name.utf8()] = value;
    return TimeLocal();
}

// Atomic in the terminal; here nothing runs in between anyway.
inline bool GlobalVariableSetOnCondition(const string& name, double value, double check)
{
    mql4sim::Terminal& t = mql4sim::terminal();
    const auto it = t.globals.find(name.utf8());
    if (it == t.globals.end()) {
        t.lastError = mql4sim::err::globalNotFound;
        return false;
    }
    if (it->second != check)
        return false;
    it->second = value;
    return true;
}

// The advisor's inputs are plain variables here that a test sets.
#define input
