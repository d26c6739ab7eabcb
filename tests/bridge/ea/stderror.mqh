// SPDX-License-Identifier: MIT
#pragma once
// The terminal's stderror.mqh for the simulator: the names of the trade server's
// codes the expert advisor uses. Not part of mql4.h, so that an advisor that
// forgets to include it does not compile here either.

#include "simulator.h"

const int ERR_NO_ERROR = 0;
const int ERR_NO_RESULT = mql4sim::err::noResult;
const int ERR_SERVER_BUSY = 4;
const int ERR_NO_CONNECTION = mql4sim::err::noConnection;
const int ERR_TOO_FREQUENT_REQUESTS = 8;
const int ERR_TRADE_TIMEOUT = mql4sim::err::tradeTimeout;
const int ERR_INVALID_PRICE = mql4sim::err::invalidPrice;
const int ERR_INVALID_STOPS = mql4sim::err::invalidStops;
const int ERR_INVALID_TRADE_VOLUME = mql4sim::err::invalidVolume;
const int ERR_MARKET_CLOSED = 132;
const int ERR_TRADE_DISABLED = mql4sim::err::tradeDisabled;
const int ERR_NOT_ENOUGH_MONEY = mql4sim::err::notEnoughMoney;
const int ERR_PRICE_CHANGED = 135;
const int ERR_OFF_QUOTES = mql4sim::err::offQuotes;
const int ERR_BROKER_BUSY = 137;
const int ERR_REQUOTE = mql4sim::err::requote;
const int ERR_TOO_MANY_REQUESTS = 141;
const int ERR_TRADE_CONTEXT_BUSY = mql4sim::err::contextBusy;
const int ERR_INVALID_TICKET = mql4sim::err::invalidTicket;
