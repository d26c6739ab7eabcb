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
#include <sys/stat.h>
#include <utility>

typedef unsigned short ushort;
typedef unsigned char uchar;
typedef unsigned int uint;
typedef unsigned long ulong;
typedef long datetime;
typedef unsigned int color;

/// MQL's string: a value of UTF-16 code units; literals in the source are ASCII.
class string {
public:
    string() = default;
    string(const char* text)
    {
        for (; *text; ++text)
            m_units.push_back(static_cast<unsigned char>(*text));
    }
    explicit string(std::u16string units) : m_units(std::move(units)) {}

    const std::u16string& units() const { return m_units; }
    /// The text as UTF-8 (code units below U+0800 are all the tests need to read).
    std::string utf8() const
    {
        std::string out;
        for (const char16_t c : m_units) {
            if (c < 0x80) {
                out.push_back(static_cast<char>(c));
            } else if (c < 0x800) {
                out.push_back(static_cast<char>(0xC0 | (c >> 6)));
                out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            } else {
                out.push_back(static_cast<char>(0xE0 | (c >> 12)));
                out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
                out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            }
        }
        return out;
    }
    string& operator+=(const string& other)
    {
        m_units += other.m_units;
        return *this;
    }
    friend string operator+(string a, const string& b) { return a += b; }
    friend bool operator==(const string& a, const string& b) { return a.m_units == b.m_units; }
    friend bool operator!=(const string& a, const string& b) { return a.m_units != b.m_units; }

private:
    std::u16string m_units;
};

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

// ---- strings and numbers ------------------------------------------------------

inline int StringLen(const string& s) { return static_cast<int>(s.units().size()); }

inline int StringFind(const string& s, const string& match, int start = 0)
{
    if (start < 0 || start > StringLen(s))
        return -1;
    const std::size_t at = s.units().find(match.units(), static_cast<std::size_t>(start));
    return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

inline string StringSubstr(const string& s, int start, int length = -1)
{
    if (start < 0 || start >= StringLen(s))
        return string();
    const std::size_t count = length < 0 ? std::u16string::npos : static_cast<std::size_t>(length);
    return string(s.units().substr(static_cast<std::size_t>(start), count));
}

inline ushort StringGetCharacter(const string& s, int pos)
{
    return pos < 0 || pos >= StringLen(s) ? 0 : s.units()[static_cast<std::size_t>(pos)];
}

// Reads a leading number like the terminal's: text that is none gives 0.
inline double StringToDouble(const string& s) { return std::atof(s.utf8().c_str()); }

inline string IntegerToString(long value) { return string(std::to_string(value).c_str()); }

inline string DoubleToString(double value, int digits = 8)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", digits, value);
    return string(buffer);
}

inline double MathAbs(double v) { return std::fabs(v); }
inline double MathFloor(double v) { return std::floor(v); }
inline double NormalizeDouble(double v, int digits)
{
    const double scale = std::pow(10.0, digits);
    return std::round(v * scale) / scale;
}

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

// ---- orders ---------------------------------------------------------------------

inline int OrdersTotal() { return static_cast<int>(mql4sim::terminal().orders.size()); }

// By position only open orders; by ticket the pool is ignored and closed ones are found too.
inline bool OrderSelect(int index, int select, int pool = MODE_TRADES)
{
    mql4sim::Terminal& t = mql4sim::terminal();
    t.selected = -1;
    t.selectedFromHistory = false;
    if (select == SELECT_BY_POS) {
        if (pool == MODE_TRADES && index >= 0 && index < static_cast<int>(t.orders.size()))
            t.selected = index;
        return t.selected >= 0;
    }
    for (std::size_t i = 0; i < t.orders.size(); ++i) {
        if (t.orders[i].ticket == index)
            t.selected = static_cast<int>(i);
    }
    for (std::size_t i = 0; t.selected < 0 && i < t.history.size(); ++i) {
        if (t.history[i].ticket == index) {
            t.selected = static_cast<int>(i);
            t.selectedFromHistory = true;
        }
    }
    return t.selected >= 0;
}

inline const mql4sim::Order& selectedOrder()
{
    static const mql4sim::Order none;
    const mql4sim::Terminal& t = mql4sim::terminal();
    const std::vector<mql4sim::Order>& pool = t.selectedFromHistory ? t.history : t.orders;
    return t.selected >= 0 && t.selected < static_cast<int>(pool.size()) ? pool[static_cast<std::size_t>(t.selected)]
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
inline int refusal(std::deque<int>& injected)
{
    const Terminal& t = terminal();
    if (!t.connected)
        return err::noConnection;
    if (t.contextBusy)
        return err::contextBusy;
    if (!t.tradeAllowed)
        return err::tradeDisabled;
    if (!injected.empty()) {
        const int error = injected.front();
        injected.pop_front();
        return error;
    }
    return 0;
}

// Exactly what NormalizeDouble gives: the server takes no other price or stop.
inline bool normalised(double value, int digits) { return value == NormalizeDouble(value, digits); }

inline void traded()
{
    Terminal& t = terminal();
    t.bid = NormalizeDouble(t.bid + t.moveAfterTrade, t.digits);
    t.ask = NormalizeDouble(t.ask + t.moveAfterTrade, t.digits);
    if (t.afterTrade) {
        const std::function<void()> meanwhile = std::move(t.afterTrade);
        t.afterTrade = nullptr;
        meanwhile();
    }
}

inline std::string lotsText(double lots)
{
    std::string text = DoubleToString(lots, 8).utf8();
    while (text.size() > 4 && text.back() == '0' && text[text.size() - 3] != '.')
        text.pop_back();
    return text;
}

// The stop of an order of `type` lies at least the stop level beyond the price it closes at.
inline bool stopTooClose(int type, double stop)
{
    const Terminal& t = terminal();
    const double least = t.stopLevelPoints * t.point - 1e-9;
    return type == 0 ? t.bid - stop < least : stop - t.ask < least;
}

inline bool olderOpen(const Order& order)
{
    for (const Order& other : terminal().orders) {
        if (other.symbol == order.symbol && other.ticket != order.ticket
            && (other.openTime < order.openTime || (other.openTime == order.openTime && other.ticket < order.ticket)))
            return true;
    }
    return false;
}

} // namespace mql4sim::detail

inline int OrderSend(const string& symbol, int cmd, double volume, double price, int slippage, double stoploss,
                     double takeprofit, const string& comment, int magic, datetime expiration, color arrow)
{
    using namespace mql4sim::detail;
    namespace err = mql4sim::err;
    static_cast<void>(expiration), static_cast<void>(arrow);
    mql4sim::Terminal& t = mql4sim::terminal();
    const bool buy = cmd == OP_BUY;
    const double market = buy ? t.ask : t.bid;
    std::string request = std::string("send ") + (buy ? "buy " : "sell ") + lotsText(volume) + " at " + quote(price)
                          + " slippage " + std::to_string(slippage) + " sl " + quote(stoploss);
    int error = refusal(t.sendErrors);
    const bool timedOut = error == err::tradeTimeout && t.timeoutFills;
    if (timedOut)
        error = 0;
    const double steps = volume / t.lotStep;
    if (!error && symbol.utf8() != t.symbol)
        error = err::unknownSymbol;
    if (!error
        && (volume < t.minLot - 1e-9 || volume > t.maxLot + 1e-9 || std::fabs(steps - std::round(steps)) > 1e-7))
        error = err::invalidVolume;
    if (!error && !normalised(price, t.digits))
        error = err::invalidPrice;
    if (!error && !near(price, market, slippage * t.point))
        error = err::requote;
    if (!error && stoploss != 0
        && (t.marketExecution || t.refusesStopInOrder || !normalised(stoploss, t.digits) || stopTooClose(cmd, stoploss)))
        error = err::invalidStops;
    for (const mql4sim::Order& other : t.orders) {
        if (!error && t.noHedging && other.symbol == t.symbol && other.type != cmd)
            error = err::hedgingProhibited;
    }
    if (!error && AccountFreeMargin() < volume * t.marginPerLot)
        error = err::notEnoughMoney;
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
    order.takeProfit = takeprofit;
    order.magic = magic;
    order.openTime = t.now;
    order.symbol = symbol.utf8();
    order.comment = comment.utf8();
    t.orders.insert(t.newestFirst ? t.orders.begin() : t.orders.end(), order);
    t.selected = -1;
    t.requests.push_back(request + (timedOut ? ": error 128, filled" : ": ticket " + std::to_string(order.ticket)));
    traded();
    if (timedOut) {
        t.lastError = err::tradeTimeout;
        return -1;
    }
    return order.ticket;
}

inline bool OrderClose(int ticket, double lots, double price, int slippage, color arrow)
{
    using namespace mql4sim::detail;
    namespace err = mql4sim::err;
    static_cast<void>(arrow);
    mql4sim::Terminal& t = mql4sim::terminal();
    const std::string request = "close " + std::to_string(ticket) + " at " + quote(price) + " slippage "
                                + std::to_string(slippage);
    std::size_t at = t.orders.size();
    for (std::size_t i = 0; i < t.orders.size(); ++i) {
        if (t.orders[i].ticket == ticket)
            at = i;
    }
    int error = refusal(t.closeErrors);
    const bool timedOut = error == err::tradeTimeout && t.timeoutFills;
    if (timedOut)
        error = 0;
    if (!error && (at == t.orders.size() || lots != t.orders[at].lots))
        error = err::invalidTicket;
    if (!error && !normalised(price, t.digits))
        error = err::invalidPrice;
    if (!error && !near(price, t.orders[at].type == OP_BUY ? t.bid : t.ask, slippage * t.point))
        error = err::requote;
    if (!error && t.fifo && olderOpen(t.orders[at]))
        error = err::fifo;
    if (error) {
        t.lastError = error;
        t.requests.push_back(request + ": error " + std::to_string(error));
        return false;
    }
    mql4sim::Order closed = t.orders[at];
    closed.closeTime = t.now;
    t.history.push_back(closed);
    t.orders.erase(t.orders.begin() + static_cast<std::ptrdiff_t>(at));
    t.selected = -1;
    t.requests.push_back(request + (timedOut ? ": error 128, closed" : ": closed"));
    traded();
    if (timedOut) {
        t.lastError = err::tradeTimeout;
        return false;
    }
    return true;
}

// ---- more of the order's properties -------------------------------------------------

inline datetime OrderOpenTime() { return static_cast<datetime>(selectedOrder().openTime); }
inline datetime OrderCloseTime() { return static_cast<datetime>(selectedOrder().closeTime); }
inline double OrderOpenPrice() { return selectedOrder().openPrice; }
inline double OrderTakeProfit() { return selectedOrder().takeProfit; }

// Sets the stop of an open order; the server checks it as it checks the stop of a new order.
inline bool OrderModify(int ticket, double price, double stoploss, double takeprofit, datetime expiration, color arrow)
{
    using namespace mql4sim::detail;
    namespace err = mql4sim::err;
    static_cast<void>(price), static_cast<void>(expiration), static_cast<void>(arrow);
    mql4sim::Terminal& t = mql4sim::terminal();
    const std::string request = "modify " + std::to_string(ticket) + " sl " + quote(stoploss);
    mql4sim::Order* order = nullptr;
    for (mql4sim::Order& o : t.orders) {
        if (o.ticket == ticket)
            order = &o;
    }
    int error = refusal(t.modifyErrors);
    if (!error && !order)
        error = err::invalidTicket;
    if (!error && stoploss == order->stopLoss && takeprofit == order->takeProfit)
        error = err::noResult;
    if (!error && stoploss != 0 && (!normalised(stoploss, t.digits) || stopTooClose(order->type, stoploss)))
        error = err::invalidStops;
    if (error) {
        t.lastError = error;
        t.requests.push_back(request + ": error " + std::to_string(error));
        return false;
    }
    order->stopLoss = stoploss;
    order->takeProfit = takeprofit;
    t.requests.push_back(request + ": done");
    return true;
}

// ---- files ------------------------------------------------------------------------

// Opens a file of the sandbox (with FILE_COMMON: of the terminals' common folder)
// for reading. Without FILE_ANSI the terminal (build 600 and later) reads text
// as UTF-16, two bytes a character, so does this one. The modification date is
// in a clock of its own, `fileClockOffset` away from TimeLocal().
inline int FileOpen(const string& name, int flags)
{
    mql4sim::Terminal& t = mql4sim::terminal();
    const std::string path = ((flags & FILE_COMMON) ? t.commonFolder : t.filesFolder) + "/" + name.utf8();
    struct stat info {};
    std::FILE* in = (flags & FILE_READ) ? std::fopen(path.c_str(), "rb") : nullptr;
    if (!in || ::fstat(fileno(in), &info) != 0 || !S_ISREG(info.st_mode)) {
        if (in)
            std::fclose(in);
        t.lastError = mql4sim::err::cannotOpenFile;
        return INVALID_HANDLE;
    }
    mql4sim::Terminal::File file;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        file.bytes.append(buffer, n);
    std::fclose(in);
    file.ansi = (flags & FILE_ANSI) != 0;
    file.modified = info.st_mtime + t.fileClockOffset;
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
