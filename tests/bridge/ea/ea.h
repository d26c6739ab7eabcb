// SPDX-License-Identifier: MIT
#pragma once
// What the tests reach of the expert advisor: its event handlers and inputs, of
// the copy on the first chart and of the copy in namespace `second`.

#include "mql4.h"
#undef input

#define QUORVANE_EA_INTERFACE                                                                                  \
    int OnInit();                                                                                              \
    void OnTick();                                                                                             \
    void OnDeinit(const int reason);                                                                           \
    extern int magic;                                                                                          \
    extern double MaxSignal;                                                                                   \
    extern double LimitedFunds;                                                                                \
    extern double MaximumRisk;                                                                                 \
    extern int LevelNum;                                                                                       \
    extern bool OnlyClose;                                                                                     \
    extern double LP;                                                                                          \
    extern int Slippage;                                                                                       \
    extern int StopLossPips;                                                                                   \
    extern int MaxAgeSeconds;                                                                                  \
    extern int RetryWaitSeconds;                                                                               \
    extern string SymbolPrefix;                                                                                \
    extern string SymbolSuffix;                                                                                \
    extern bool UseCommonFolder;

QUORVANE_EA_INTERFACE
namespace second {
QUORVANE_EA_INTERFACE
}
#undef QUORVANE_EA_INTERFACE
