// SPDX-License-Identifier: MIT
// The simulated MetaTrader 5 terminal behind mql5.h: symbol, account and run
// mode properties, terminal variables and the files sandbox.

#include "mql5.h"
#undef input

namespace {

using mql5sim::Terminal;

Terminal& sim() { return mql5sim::terminal(); }

} // namespace

// ---- terminal, account, symbol ----------------------------------------------------

string Symbol() { return string(sim().symbol.c_str()); }

long SymbolInfoInteger(const string& symbol, ENUM_SYMBOL_INFO_INTEGER id)
{
    const Terminal& t = sim();
    if (symbol.utf8() != t.symbol)
        return 0;
    switch (id) {
    case SYMBOL_DIGITS: return t.digits;
    case SYMBOL_TRADE_STOPS_LEVEL: return t.stopsLevel;
    case SYMBOL_TRADE_FREEZE_LEVEL: return t.freezeLevel;
    case SYMBOL_FILLING_MODE: return t.fillingMask;
    case SYMBOL_TRADE_EXEMODE: return t.execution;
    }
    return 0;
}

double SymbolInfoDouble(const string& symbol, ENUM_SYMBOL_INFO_DOUBLE id)
{
    const Terminal& t = sim();
    if (symbol.utf8() != t.symbol)
        return 0;
    switch (id) {
    case SYMBOL_BID: return t.bid;
    case SYMBOL_ASK: return t.ask;
    case SYMBOL_POINT: return t.point;
    case SYMBOL_VOLUME_MIN: return t.volumeMin;
    case SYMBOL_VOLUME_MAX: return t.volumeMax;
    case SYMBOL_VOLUME_STEP: return t.volumeStep;
    }
    return 0;
}

long AccountInfoInteger(ENUM_ACCOUNT_INFO_INTEGER id)
{
    const Terminal& t = sim();
    switch (id) {
    case ACCOUNT_MARGIN_MODE: return t.marginMode;
    case ACCOUNT_TRADE_ALLOWED: return t.accountTrade;
    case ACCOUNT_TRADE_EXPERT: return t.accountExpert;
    }
    return 0;
}

double AccountInfoDouble(ENUM_ACCOUNT_INFO_DOUBLE id)
{
    return id == ACCOUNT_EQUITY ? sim().equity : sim().equity - sim().usedMargin();
}

int TerminalInfoInteger(ENUM_TERMINAL_INFO_INTEGER id)
{
    return id == TERMINAL_TRADE_ALLOWED ? sim().terminalTrade : sim().connected;
}

int MQLInfoInteger(ENUM_MQL_INFO_INTEGER id) { return id == MQL_TRADE_ALLOWED ? sim().programTrade : sim().tester; }

uint GetTickCount() { return sim().tick; }

bool OrderCalcMargin(ENUM_ORDER_TYPE, const string& symbol, double volume, double, double& margin)
{
    margin = symbol.utf8() == sim().symbol ? volume * sim().marginPerLot : 0;
    return symbol.utf8() == sim().symbol;
}

// ---- terminal variables -----------------------------------------------------------

bool GlobalVariableCheck(const string& name) { return sim().globals.count(name.utf8()) != 0; }

bool GlobalVariableTemp(const string& name)
{
    sim().globals.emplace(name.utf8(), 0.0);
    return true;
}

datetime GlobalVariableSet(const string& name, double value)
{
    sim().globals[name.utf8()] = value;
    return 1800000000;
}

bool GlobalVariableSetOnCondition(const string& name, double value, double check)
{
    const auto it = sim().globals.find(name.utf8());
    if (it == sim().globals.end() || it->second != check)
        return false;
    it->second = value;
    return true;
}

double GlobalVariableGet(const string& name)
{
    const auto it = sim().globals.find(name.utf8());
    return it == sim().globals.end() ? 0 : it->second;
}

bool GlobalVariableDel(const string& name) { return sim().globals.erase(name.utf8()) != 0; }

// ---- files ------------------------------------------------------------------------

// Opens a file of the sandbox (or, with FILE_COMMON, of the shared folder) for
// reading. Without FILE_ANSI the terminal reads text as UTF-16, and so does this one.
int FileOpen(const string& name, int flags)
{
    Terminal& t = sim();
    const std::string path = ((flags & FILE_COMMON) ? t.commonFolder : t.filesFolder) + "/" + name.utf8();
    return (flags & FILE_READ) ? t.files.open(path, (flags & FILE_ANSI) != 0) : INVALID_HANDLE;
}

void FileClose(int handle) { sim().files.close(handle); }
ulong FileSize(int handle) { return sim().files.size(handle); }

long FileGetInteger(int handle, ENUM_FILE_PROPERTY_INTEGER id)
{
    return id != FILE_MODIFY_DATE ? -1 : sim().files.modified(handle, -1);
}

string FileReadString(int handle, int length) { return string(sim().files.read(handle, length)); }
