// SPDX-License-Identifier: MIT
// The simulated MetaTrader 5 trade server and position pool behind mql5.h.

#include "mql5.h"
#undef input

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mql5sim {

double Terminal::usedMargin() const
{
    double used = 0;
    for (const Position& p : positions)
        used += p.volume * marginPerLot;
    return used;
}

Position& Terminal::add(bool buy, double volume, long magic, double sl)
{
    Position p;
    p.ticket = p.identifier = nextTicket++;
    p.buy = buy;
    p.volume = volume;
    p.priceOpen = buy ? ask : bid;
    p.sl = sl;
    p.magic = magic;
    p.timeMsc = clockMsc++;
    p.symbol = symbol;
    positions.push_back(p);
    return positions.back();
}

Terminal& terminal()
{
    static Terminal t;
    return t;
}

} // namespace mql5sim

namespace {

using mql5sim::Position;
using mql5sim::Terminal;

Terminal& sim() { return mql5sim::terminal(); }

constexpr double kEpsilon = 1e-9;
// The FIFO refusal; its number is not in the documentation we have, and the
// advisor treats every code it does not know as permanent.
constexpr uint kFifoClose = 10045;

// Exactly on the grid, as NormalizeDouble leaves a value: the server compares
// prices and volumes as sent, and 1.0740000000000001 is not 1.07400.
bool onGrid(double value, double unit)
{
    int digits = 0;
    for (double u = unit; digits < 8 && std::fabs(u - std::round(u)) > 1e-9; u *= 10)
        ++digits;
    const double scale = std::pow(10.0, digits);
    return value == std::round(value * scale) / scale && std::fabs(value / unit - std::round(value / unit)) < 1e-6;
}

std::string number(const char* format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

Position* find(ulong ticket)
{
    for (Position& p : sim().positions) {
        if (p.ticket == ticket)
            return &p;
    }
    return nullptr;
}

// The netting account's one position on the symbol.
Position* netPosition()
{
    for (Position& p : sim().positions) {
        if (p.symbol == sim().symbol)
            return &p;
    }
    return nullptr;
}

// Instant and request execution take FOK only; RETURN suits a market order only
// under exchange execution; otherwise the server takes what its mask allows.
bool fillingAccepted(ENUM_ORDER_TYPE_FILLING filling)
{
    const Terminal& t = sim();
    if (t.execution == mql5sim::Instant || t.execution == mql5sim::Request)
        return filling == ORDER_FILLING_FOK;
    const int mask = t.serverFilling >= 0 ? t.serverFilling : t.fillingMask;
    switch (filling) {
    case ORDER_FILLING_FOK: return (mask & mql5sim::FillFok) != 0;
    case ORDER_FILLING_IOC: return (mask & mql5sim::FillIoc) != 0;
    case ORDER_FILLING_RETURN: return t.execution == mql5sim::Exchange;
    }
    return false;
}

std::string describe(const MqlTradeRequest& r)
{
    if (r.action == TRADE_ACTION_SLTP)
        return "sltp #" + std::to_string(r.position) + " sl " + number("%.5f", r.sl);
    static const char* const fillings[] = {"FOK", "IOC", "RETURN"};
    std::string s = std::string(r.type == ORDER_TYPE_BUY ? "buy " : "sell ") + number("%g", r.volume) + " "
                    + fillings[r.type_filling];
    if (r.position != 0)
        s += " #" + std::to_string(r.position);
    if (r.sl != 0)
        s += " sl " + number("%.5f", r.sl);
    return s;
}

// A stop far enough from the price it would be triggered by.
uint stopRefusal(bool buy, double sl)
{
    const Terminal& t = sim();
    if (!onGrid(sl, t.point))
        return TRADE_RETCODE_INVALID_STOPS;
    const double distance = buy ? t.bid - sl : sl - t.ask;
    if (distance < t.stopsLevel * t.point - kEpsilon)
        return TRADE_RETCODE_INVALID_STOPS;
    if (distance <= t.freezeLevel * t.point + kEpsilon && t.freezeLevel > 0)
        return TRADE_RETCODE_FROZEN;
    return 0;
}

// The position a deal reduces, or nullptr when it opens or adds.
Position* reduced(const MqlTradeRequest& r)
{
    const bool buy = r.type == ORDER_TYPE_BUY;
    Position* p = sim().hedging() ? (r.position ? find(r.position) : nullptr) : netPosition();
    return p && p->buy != buy ? p : nullptr;
}

// What the server would answer to a request before executing it; 0 when it goes through.
uint refusal(const MqlTradeRequest& r)
{
    Terminal& t = sim();
    if (!t.terminalTrade || !t.programTrade)
        return TRADE_RETCODE_CLIENT_DISABLES_AT;
    if (!t.connected)
        return TRADE_RETCODE_CONNECTION;
    if (!t.accountExpert)
        return TRADE_RETCODE_SERVER_DISABLES_AT;
    if (!t.accountTrade)
        return TRADE_RETCODE_TRADE_DISABLED;
    if (r.action == TRADE_ACTION_SLTP) {
        Position* p = t.hedging() ? find(r.position) : netPosition();
        if (!p)
            return TRADE_RETCODE_INVALID;
        return t.refusesStops ? TRADE_RETCODE_INVALID_STOPS : stopRefusal(p->buy, r.sl);
    }
    if (r.action != TRADE_ACTION_DEAL)
        return TRADE_RETCODE_INVALID;
    if (!fillingAccepted(r.type_filling))
        return TRADE_RETCODE_INVALID_FILL;
    if (r.volume < t.volumeMin - kEpsilon || r.volume > t.volumeMax + kEpsilon || !onGrid(r.volume, t.volumeStep))
        return TRADE_RETCODE_INVALID_VOLUME;
    const bool buy = r.type == ORDER_TYPE_BUY;
    const double market = buy ? t.ask : t.bid;
    if (t.execution == mql5sim::Instant || t.execution == mql5sim::Request) {
        if (!onGrid(r.price, t.point))
            return TRADE_RETCODE_INVALID_PRICE;
        if (std::fabs(r.price - market) > static_cast<double>(r.deviation) * t.point + kEpsilon)
            return TRADE_RETCODE_REQUOTE;
    }
    Position* closing = reduced(r);
    if (t.hedging() && r.position != 0 && (!closing || r.volume > closing->volume + kEpsilon))
        return TRADE_RETCODE_INVALID;
    if (closing && t.fifo) {
        for (const Position& p : t.positions) {
            if (p.symbol == closing->symbol && p.buy == closing->buy && p.timeMsc < closing->timeMsc)
                return kFifoClose;
        }
    }
    double added = r.volume;
    if (closing)
        added = std::max(0.0, r.volume - closing->volume);
    if (r.sl != 0 && added > 0) {
        const bool marketExecution = t.execution == mql5sim::Market || t.execution == mql5sim::Exchange;
        if (t.refusesStopInDeal && marketExecution)
            return TRADE_RETCODE_INVALID_STOPS;
        if (const uint stop = stopRefusal(buy, r.sl))
            return stop;
    }
    if (added * t.marginPerLot > t.equity - t.usedMargin() + kEpsilon)
        return TRADE_RETCODE_NO_MONEY;
    return 0;
}

double onStep(double volume) { return std::round(volume / sim().volumeStep) * sim().volumeStep; }

void execute(const MqlTradeRequest& r, MqlTradeResult& result)
{
    Terminal& t = sim();
    const bool buy = r.type == ORDER_TYPE_BUY;
    double volume = r.volume;
    result.retcode = TRADE_RETCODE_DONE;
    if (r.type_filling == ORDER_FILLING_IOC && t.iocFillShare < 1) {
        volume = onStep(std::floor(volume * t.iocFillShare / t.volumeStep + kEpsilon) * t.volumeStep);
        result.retcode = TRADE_RETCODE_DONE_PARTIAL;
    }
    const double market = buy ? t.ask : t.bid;
    Position* closing = reduced(r);
    Position* same = t.hedging() ? nullptr : netPosition();
    if (closing) {
        if (volume < closing->volume - kEpsilon) {
            closing->volume = onStep(closing->volume - volume);
        } else if (volume <= closing->volume + kEpsilon) {
            t.positions.erase(t.positions.begin() + (closing - t.positions.data()));
        } else {
            // A netting reversal: a new ticket, the same identifier.
            closing->volume = onStep(volume - closing->volume);
            closing->buy = buy;
            closing->ticket = t.nextTicket++;
            closing->magic = static_cast<long>(r.magic);
            closing->sl = r.sl;
            closing->priceOpen = market;
        }
    } else if (same) {
        same->volume = onStep(same->volume + volume);
        if (r.sl != 0)
            same->sl = r.sl;
    } else {
        t.add(buy, volume, static_cast<long>(r.magic), r.sl);
    }
    result.volume = volume;
    result.price = market;
    result.deal = t.nextTicket++;
    result.order = t.nextTicket++;
    t.bid += t.moveAfterTrade;
    t.ask += t.moveAfterTrade;
}

std::string answer(uint code) { return ": " + std::to_string(code); }

} // namespace

// ---- the trade server ----------------------------------------------------------

bool OrderCheck(const MqlTradeRequest& request, MqlTradeCheckResult& result)
{
    Terminal& t = sim();
    result = MqlTradeCheckResult();
    result.retcode = request.symbol.utf8() == t.symbol ? refusal(request) : TRADE_RETCODE_INVALID;
    result.equity = t.equity;
    result.margin_free = t.equity - t.usedMargin();
    if (result.retcode != 0)
        t.requests.push_back("check " + describe(request) + answer(result.retcode));
    return result.retcode == 0;
}

// As documented: true means the request was well formed and reached the server,
// not that it was executed; the server's answer is the retcode.
bool OrderSend(MqlTradeRequest& request, MqlTradeResult& result)
{
    Terminal& t = sim();
    result = MqlTradeResult();
    const std::string line = describe(request);
    if (request.symbol.utf8() != t.symbol) {
        result.retcode = TRADE_RETCODE_INVALID;
        t.requests.push_back(line + answer(result.retcode));
        return false;
    }
    result.retcode = refusal(request);
    if (result.retcode == 0 && !t.answers.empty()) {
        result.retcode = t.answers.front();
        t.answers.pop_front();
        if (result.retcode == TRADE_RETCODE_TIMEOUT && t.timeoutExecutes) {
            MqlTradeResult executed;
            execute(request, executed);
        }
    } else if (result.retcode == 0 && request.action == TRADE_ACTION_SLTP) {
        (t.hedging() ? find(request.position) : netPosition())->sl = request.sl;
        result.retcode = TRADE_RETCODE_DONE;
    } else if (result.retcode == 0) {
        execute(request, result);
    }
    t.requests.push_back(line + answer(result.retcode));
    // The terminal itself refuses while algo trading is off: the request never leaves.
    return result.retcode != TRADE_RETCODE_CLIENT_DISABLES_AT;
}

// ---- positions --------------------------------------------------------------------

int PositionsTotal() { return static_cast<int>(sim().positions.size()); }

ulong PositionGetTicket(int index)
{
    Terminal& t = sim();
    t.selected = index >= 0 && index < PositionsTotal() ? t.positions[static_cast<std::size_t>(index)].ticket : 0;
    return t.selected;
}

bool PositionSelectByTicket(ulong ticket)
{
    sim().selected = find(ticket) ? ticket : 0;
    return sim().selected != 0;
}

namespace {
const Position& selected()
{
    static const Position none;
    const Position* p = find(sim().selected);
    return p ? *p : none;
}
} // namespace

long PositionGetInteger(ENUM_POSITION_PROPERTY_INTEGER id)
{
    const Position& p = selected();
    switch (id) {
    case POSITION_TICKET: return static_cast<long>(p.ticket);
    case POSITION_TIME_MSC: return p.timeMsc;
    case POSITION_TYPE: return p.buy ? POSITION_TYPE_BUY : POSITION_TYPE_SELL;
    case POSITION_MAGIC: return p.magic;
    case POSITION_IDENTIFIER: return static_cast<long>(p.identifier);
    }
    return 0;
}

double PositionGetDouble(ENUM_POSITION_PROPERTY_DOUBLE id)
{
    const Position& p = selected();
    switch (id) {
    case POSITION_VOLUME: return p.volume;
    case POSITION_PRICE_OPEN: return p.priceOpen;
    case POSITION_SL: return p.sl;
    }
    return 0;
}

string PositionGetString(ENUM_POSITION_PROPERTY_STRING id)
{
    return id == POSITION_SYMBOL && sim().selected ? string(selected().symbol.c_str()) : string();
}
