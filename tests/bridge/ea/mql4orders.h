// SPDX-License-Identifier: MIT
#pragma once
// The trade server of the simulated terminal: the order pool and the requests
// that change it, refused as a broker's server refuses them (stops, prices and
// lots not as the symbol demands, FIFO, hedging, margin) and as injected by the
// test. Part of mql4.h, which includes it after the account's built-ins.

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
