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
#include <string>
#include <sys/stat.h>
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
const int ERR_NO_ERROR = 0;
const int ERR_INVALID_STOPS = 130;
const int ERR_NOT_ENOUGH_MONEY = 134;
const int ERR_OFF_QUOTES = 136;
const int ERR_REQUOTE = 138;
const int ERR_TRADE_CONTEXT_BUSY = 146;
const int ERR_TRADE_DISABLED = 133;
const int ERR_INVALID_TICKET = 4108;
const int ERR_FILE_CANNOT_OPEN = 5004;

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
        mql4sim::terminal().lastError = ERR_NOT_ENOUGH_MONEY;
    return after;
}

template <typename... Args>
void Print(const Args&... args)
{
    mql4sim::terminal().prints.push_back(mql4sim::detail::joined(args...));
}

template <typename... Args>
void Comment(const Args&... args)
{
    mql4sim::terminal().comment = mql4sim::detail::joined(args...);
}

template <typename... Args>
void Alert(const Args&... args)
{
    mql4sim::terminal().alerts.push_back(mql4sim::detail::joined(args...));
}

// ---- orders ---------------------------------------------------------------------

inline int OrdersTotal() { return static_cast<int>(mql4sim::terminal().orders.size()); }

inline bool OrderSelect(int index, int select, int pool = MODE_TRADES)
{
    mql4sim::Terminal& t = mql4sim::terminal();
    t.selected = -1;
    if (pool != MODE_TRADES)
        return false;
    for (std::size_t i = 0; i < t.orders.size(); ++i) {
        if ((select == SELECT_BY_POS && static_cast<int>(i) == index)
            || (select == SELECT_BY_TICKET && t.orders[i].ticket == index))
            t.selected = static_cast<int>(i);
    }
    return t.selected >= 0;
}

inline const mql4sim::Order& selectedOrder()
{
    static const mql4sim::Order none;
    const mql4sim::Terminal& t = mql4sim::terminal();
    return t.selected >= 0 && t.selected < static_cast<int>(t.orders.size())
               ? t.orders[static_cast<std::size_t>(t.selected)]
               : none;
}
inline string OrderSymbol() { return string(selectedOrder().symbol.c_str()); }
inline int OrderMagicNumber() { return selectedOrder().magic; }
inline int OrderType() { return selectedOrder().type; }
inline int OrderTicket() { return selectedOrder().ticket; }
inline double OrderLots() { return selectedOrder().lots; }
inline double OrderStopLoss() { return selectedOrder().stopLoss; }

namespace mql4sim::detail {

// Whether the terminal refuses a request now, and why (the error code).
inline int refusal(int& failures)
{
    const Terminal& t = terminal();
    if (!t.connected)
        return 6; // ERR_NO_CONNECTION
    if (t.contextBusy)
        return ERR_TRADE_CONTEXT_BUSY;
    if (!t.tradeAllowed)
        return ERR_TRADE_DISABLED;
    if (failures > 0) {
        --failures;
        return ERR_OFF_QUOTES;
    }
    return 0;
}

inline void traded()
{
    Terminal& t = terminal();
    t.bid += t.moveAfterTrade;
    t.ask += t.moveAfterTrade;
}

} // namespace mql4sim::detail

inline int OrderSend(const string& symbol, int cmd, double volume, double price, int slippage, double stoploss,
                     double takeprofit, const string& comment, int magic, datetime expiration, color arrow)
{
    using namespace mql4sim::detail;
    static_cast<void>(takeprofit), static_cast<void>(expiration), static_cast<void>(arrow);
    mql4sim::Terminal& t = mql4sim::terminal();
    const bool buy = cmd == OP_BUY;
    const double market = buy ? t.ask : t.bid;
    std::string request = std::string("send ") + (buy ? "buy " : "sell ") + DoubleToString(volume, 2).utf8() + " at "
                          + quote(price) + " slippage " + std::to_string(slippage) + " sl " + quote(stoploss);
    int error = refusal(t.failSends);
    if (!error && symbol.utf8() != t.symbol)
        error = 4106; // ERR_UNKNOWN_SYMBOL
    if (!error && !near(price, market, slippage * t.point))
        error = ERR_REQUOTE;
    if (!error && stoploss != 0
        && (buy ? stoploss > t.bid - t.stopLevelPoints * t.point : stoploss < t.ask + t.stopLevelPoints * t.point))
        error = ERR_INVALID_STOPS;
    if (!error && AccountFreeMargin() < volume * t.marginPerLot)
        error = ERR_NOT_ENOUGH_MONEY;
    if (error) {
        t.lastError = error;
        t.requests.push_back(request + ": error " + std::to_string(error));
        return -1;
    }
    mql4sim::Order order;
    order.ticket = t.nextTicket++;
    order.type = cmd;
    order.lots = volume;
    order.openPrice = market;
    order.stopLoss = stoploss;
    order.magic = magic;
    order.symbol = symbol.utf8();
    order.comment = comment.utf8();
    t.orders.push_back(order);
    t.requests.push_back(request + ": ticket " + std::to_string(order.ticket));
    traded();
    return order.ticket;
}

inline bool OrderClose(int ticket, double lots, double price, int slippage, color arrow)
{
    using namespace mql4sim::detail;
    static_cast<void>(arrow);
    mql4sim::Terminal& t = mql4sim::terminal();
    const std::string request = "close " + std::to_string(ticket) + " at " + quote(price) + " slippage "
                                + std::to_string(slippage);
    std::size_t at = t.orders.size();
    for (std::size_t i = 0; i < t.orders.size(); ++i) {
        if (t.orders[i].ticket == ticket)
            at = i;
    }
    int error = refusal(t.failCloses);
    if (!error && (at == t.orders.size() || lots != t.orders[at].lots))
        error = ERR_INVALID_TICKET;
    if (!error && !near(price, t.orders[at].type == OP_BUY ? t.bid : t.ask, slippage * t.point))
        error = ERR_REQUOTE;
    if (error) {
        t.lastError = error;
        t.requests.push_back(request + ": error " + std::to_string(error));
        return false;
    }
    t.orders.erase(t.orders.begin() + static_cast<std::ptrdiff_t>(at));
    t.selected = -1;
    t.requests.push_back(request + ": closed");
    traded();
    return true;
}

// ---- files ------------------------------------------------------------------------

// Opens a file of the sandbox for reading. Without FILE_ANSI the terminal (build
// 600 and later) reads text as UTF-16, two bytes a character, so does this one.
inline int FileOpen(const string& name, int flags)
{
    mql4sim::Terminal& t = mql4sim::terminal();
    const std::string path = t.filesFolder + "/" + name.utf8();
    struct stat info {};
    std::FILE* in = (flags & FILE_READ) ? std::fopen(path.c_str(), "rb") : nullptr;
    if (!in || ::fstat(fileno(in), &info) != 0 || !S_ISREG(info.st_mode)) {
        if (in)
            std::fclose(in);
        t.lastError = ERR_FILE_CANNOT_OPEN;
        return INVALID_HANDLE;
    }
    mql4sim::Terminal::File file;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        file.bytes.append(buffer, n);
    std::fclose(in);
    file.ansi = (flags & FILE_ANSI) != 0;
    file.modified = info.st_mtime;
    const int handle = t.nextHandle++;
    t.files[handle] = file;
    return handle;
}

inline void FileClose(int handle) { mql4sim::terminal().files.erase(handle); }

inline ulong FileSize(int handle)
{
    const auto& files = mql4sim::terminal().files;
    const auto it = files.find(handle);
    return it == files.end() ? 0 : it->second.bytes.size();
}

inline long FileGetInteger(int handle, int property)
{
    const auto& files = mql4sim::terminal().files;
    const auto it = files.find(handle);
    return it == files.end() || property != FILE_MODIFY_DATE ? 0 : it->second.modified;
}

// In a binary file `length` counts characters: bytes with FILE_ANSI, UTF-16 units without.
inline string FileReadString(int handle, int length)
{
    auto& files = mql4sim::terminal().files;
    const auto it = files.find(handle);
    if (it == files.end() || length <= 0)
        return string();
    mql4sim::Terminal::File& f = it->second;
    std::u16string units;
    for (int n = 0; n < length && f.at < f.bytes.size(); ++n) {
        const auto lo = static_cast<unsigned char>(f.bytes[f.at++]);
        if (f.ansi) {
            units.push_back(lo);
        } else if (f.at < f.bytes.size()) {
            const auto hi = static_cast<unsigned char>(f.bytes[f.at++]);
            units.push_back(static_cast<char16_t>(hi << 8 | lo));
        }
    }
    return string(units);
}

// The advisor's inputs are plain variables here that a test sets.
#define input
