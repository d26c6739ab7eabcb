// SPDX-License-Identifier: MIT
#pragma once
// What the tests reach of the MetaTrader 5 advisor: its event handlers and
// inputs, of the first copy and of the second one (namespace second).

#include "mqlcore.h"

#define QUORVANE_MQL5_ADVISOR                                                                                          \
    int OnInit();                                                                                                      \
    void OnTick();                                                                                                     \
    void OnDeinit(const int reason);                                                                                   \
    extern int magic;                                                                                                  \
    extern double MaxSignal, LimitedFunds, MaximumRisk, LP;                                                            \
    extern int LevelNum, Slippage, StopLossPips, MaxAgeSeconds, RetryWaitSeconds;                                      \
    extern bool OnlyClose, UseCommonFolder;                                                                            \
    extern string SymbolPrefix, SymbolSuffix;

QUORVANE_MQL5_ADVISOR
namespace second {
QUORVANE_MQL5_ADVISOR
} // namespace second

#undef QUORVANE_MQL5_ADVISOR
