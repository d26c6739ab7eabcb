// SPDX-License-Identifier: MIT
#pragma once
// Just enough MQL5 for g++ to compile the MetaTrader 5 advisor's own source
// unchanged: the types, enumerations, structures and built-ins it uses. The
// trade server, positions, files and terminal variables behind them are the
// simulated terminal of simulator5.h; the bodies live in simulator5.cpp. Each
// property group is its own enumeration, so a property passed to the wrong
// getter fails to compile here as it does in MetaEditor.

#include "mqlcore.h"
#include "simulator5.h"

#include <string>

typedef long datetime;

// ---- enumerations (MQL5 fixes the names; only the filling values are documented) --

enum ENUM_ORDER_TYPE { ORDER_TYPE_BUY, ORDER_TYPE_SELL };
enum ENUM_ORDER_TYPE_FILLING { ORDER_FILLING_FOK = 0, ORDER_FILLING_IOC = 1, ORDER_FILLING_RETURN = 2 };
enum ENUM_TRADE_REQUEST_ACTIONS { TRADE_ACTION_DEAL = 1, TRADE_ACTION_SLTP = 6 };
enum ENUM_POSITION_TYPE { POSITION_TYPE_BUY, POSITION_TYPE_SELL };
enum ENUM_SYMBOL_TRADE_EXECUTION {
    SYMBOL_TRADE_EXECUTION_REQUEST = mql5sim::Request,
    SYMBOL_TRADE_EXECUTION_INSTANT = mql5sim::Instant,
    SYMBOL_TRADE_EXECUTION_MARKET = mql5sim::Market,
    SYMBOL_TRADE_EXECUTION_EXCHANGE = mql5sim::Exchange,
};
enum ENUM_ACCOUNT_MARGIN_MODE {
    ACCOUNT_MARGIN_MODE_RETAIL_NETTING = mql5sim::RetailNetting,
    ACCOUNT_MARGIN_MODE_EXCHANGE = mql5sim::ExchangeNetting,
    ACCOUNT_MARGIN_MODE_RETAIL_HEDGING = mql5sim::RetailHedging,
};
const int SYMBOL_FILLING_FOK = mql5sim::FillFok;
const int SYMBOL_FILLING_IOC = mql5sim::FillIoc;

enum ENUM_SYMBOL_INFO_INTEGER {
    SYMBOL_DIGITS,
    SYMBOL_TRADE_STOPS_LEVEL,
    SYMBOL_TRADE_FREEZE_LEVEL,
    SYMBOL_FILLING_MODE,
    SYMBOL_TRADE_EXEMODE,
};
enum ENUM_SYMBOL_INFO_DOUBLE { SYMBOL_BID, SYMBOL_ASK, SYMBOL_POINT, SYMBOL_VOLUME_MIN, SYMBOL_VOLUME_MAX, SYMBOL_VOLUME_STEP };
enum ENUM_ACCOUNT_INFO_INTEGER { ACCOUNT_MARGIN_MODE, ACCOUNT_TRADE_ALLOWED, ACCOUNT_TRADE_EXPERT };
enum ENUM_ACCOUNT_INFO_DOUBLE { ACCOUNT_EQUITY, ACCOUNT_MARGIN_FREE };
enum ENUM_TERMINAL_INFO_INTEGER { TERMINAL_TRADE_ALLOWED, TERMINAL_CONNECTED };
enum ENUM_MQL_INFO_INTEGER { MQL_TRADE_ALLOWED, MQL_TESTER };
enum ENUM_POSITION_PROPERTY_INTEGER { POSITION_TICKET, POSITION_TIME_MSC, POSITION_TYPE, POSITION_MAGIC, POSITION_IDENTIFIER };
enum ENUM_POSITION_PROPERTY_DOUBLE { POSITION_VOLUME, POSITION_PRICE_OPEN, POSITION_SL };
enum ENUM_POSITION_PROPERTY_STRING { POSITION_SYMBOL, POSITION_COMMENT };
enum ENUM_FILE_PROPERTY_INTEGER { FILE_MODIFY_DATE = 2 };

const uint TRADE_RETCODE_REQUOTE = 10004;
const uint TRADE_RETCODE_REJECT = 10006;
const uint TRADE_RETCODE_PLACED = 10008;
const uint TRADE_RETCODE_DONE = 10009;
const uint TRADE_RETCODE_DONE_PARTIAL = 10010;
const uint TRADE_RETCODE_ERROR = 10011;
const uint TRADE_RETCODE_TIMEOUT = 10012;
const uint TRADE_RETCODE_INVALID = 10013;
const uint TRADE_RETCODE_INVALID_VOLUME = 10014;
const uint TRADE_RETCODE_INVALID_PRICE = 10015;
const uint TRADE_RETCODE_INVALID_STOPS = 10016;
const uint TRADE_RETCODE_TRADE_DISABLED = 10017;
const uint TRADE_RETCODE_MARKET_CLOSED = 10018;
const uint TRADE_RETCODE_NO_MONEY = 10019;
const uint TRADE_RETCODE_PRICE_CHANGED = 10020;
const uint TRADE_RETCODE_PRICE_OFF = 10021;
const uint TRADE_RETCODE_TOO_MANY_REQUESTS = 10024;
const uint TRADE_RETCODE_SERVER_DISABLES_AT = 10026;
const uint TRADE_RETCODE_CLIENT_DISABLES_AT = 10027;
const uint TRADE_RETCODE_LOCKED = 10028;
const uint TRADE_RETCODE_FROZEN = 10029;
const uint TRADE_RETCODE_INVALID_FILL = 10030;
const uint TRADE_RETCODE_CONNECTION = 10031;
const uint TRADE_RETCODE_LIMIT_ORDERS = 10033;
const uint TRADE_RETCODE_LIMIT_VOLUME = 10034;

const int FILE_READ = 1;
const int FILE_WRITE = 2;
const int FILE_BIN = 4;
const int FILE_ANSI = 32;
const int FILE_SHARE_READ = 128;
const int FILE_SHARE_WRITE = 256;
const int FILE_COMMON = 4096;
const int INVALID_HANDLE = -1;
const int INIT_SUCCEEDED = 0;
const int INIT_FAILED = 1;

// ---- structures ------------------------------------------------------------------

struct MqlTradeRequest {
    ENUM_TRADE_REQUEST_ACTIONS action = ENUM_TRADE_REQUEST_ACTIONS();
    ulong magic = 0;
    ulong order = 0;
    string symbol;
    double volume = 0, price = 0, stoplimit = 0, sl = 0, tp = 0;
    ulong deviation = 0;
    ENUM_ORDER_TYPE type = ORDER_TYPE_BUY;
    ENUM_ORDER_TYPE_FILLING type_filling = ORDER_FILLING_FOK;
    int type_time = 0;
    datetime expiration = 0;
    string comment;
    ulong position = 0, position_by = 0;
};

struct MqlTradeResult {
    uint retcode = 0;
    ulong deal = 0, order = 0;
    double volume = 0, price = 0, bid = 0, ask = 0;
    string comment;
    uint request_id = 0;
    int retcode_external = 0;
};

struct MqlTradeCheckResult {
    uint retcode = 0;
    double balance = 0, equity = 0, profit = 0, margin = 0, margin_free = 0, margin_level = 0;
    string comment;
};

// MQL5 zeroes a structure in place; here every member has its zero as default.
template <typename T>
void ZeroMemory(T& value)
{
    value = T();
}

inline double MathMax(double a, double b) { return a > b ? a : b; }
inline double MathRound(double v) { return std::round(v); }

// ---- terminal, account, symbol ---------------------------------------------------

string Symbol();
long SymbolInfoInteger(const string& symbol, ENUM_SYMBOL_INFO_INTEGER id);
double SymbolInfoDouble(const string& symbol, ENUM_SYMBOL_INFO_DOUBLE id);
long AccountInfoInteger(ENUM_ACCOUNT_INFO_INTEGER id);
double AccountInfoDouble(ENUM_ACCOUNT_INFO_DOUBLE id);
int TerminalInfoInteger(ENUM_TERMINAL_INFO_INTEGER id);
int MQLInfoInteger(ENUM_MQL_INFO_INTEGER id);
uint GetTickCount();
bool OrderCalcMargin(ENUM_ORDER_TYPE type, const string& symbol, double volume, double price, double& margin);

// ---- positions and the trade server ---------------------------------------------

int PositionsTotal();
ulong PositionGetTicket(int index);
bool PositionSelectByTicket(ulong ticket);
long PositionGetInteger(ENUM_POSITION_PROPERTY_INTEGER id);
double PositionGetDouble(ENUM_POSITION_PROPERTY_DOUBLE id);
string PositionGetString(ENUM_POSITION_PROPERTY_STRING id);
bool OrderCheck(const MqlTradeRequest& request, MqlTradeCheckResult& result);
bool OrderSend(MqlTradeRequest& request, MqlTradeResult& result);

// ---- terminal variables and files -----------------------------------------------

bool GlobalVariableCheck(const string& name);
bool GlobalVariableTemp(const string& name);
datetime GlobalVariableSet(const string& name, double value);
bool GlobalVariableSetOnCondition(const string& name, double value, double check);
double GlobalVariableGet(const string& name);
bool GlobalVariableDel(const string& name);

int FileOpen(const string& name, int flags);
void FileClose(int handle);
ulong FileSize(int handle);
long FileGetInteger(int handle, ENUM_FILE_PROPERTY_INTEGER id);
string FileReadString(int handle, int length);

// ---- chart and journal -----------------------------------------------------------

namespace mql5sim::detail {

inline std::string text(const string& s) { return s.utf8(); }
inline std::string text(const char* s) { return s; }
inline std::string text(int v) { return std::to_string(v); }
inline std::string text(long v) { return std::to_string(v); }
inline std::string text(uint v) { return std::to_string(v); }
// Doubles go through DoubleToString in the advisor, so the shown digits are its choice.
std::string text(double) = delete;

template <typename... Args>
std::string joined(const Args&... args)
{
    return (std::string() + ... + text(args));
}

} // namespace mql5sim::detail

template <typename... Args>
void Print(const Args&... args)
{
    mql5sim::terminal().prints.push_back(mql5sim::detail::joined(args...));
}

template <typename... Args>
void Comment(const Args&... args)
{
    mql5sim::terminal().comment = mql5sim::detail::joined(args...);
}

template <typename... Args>
void Alert(const Args&... args)
{
    mql5sim::terminal().alerts.push_back(mql5sim::detail::joined(args...));
}

// The advisor's inputs are plain variables here that a test sets.
#define input
