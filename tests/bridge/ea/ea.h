#pragma once
// What the tests reach of the expert advisor: its event handlers and inputs.

int OnInit();
void OnTick();
void OnDeinit(const int reason);

extern int magic;
extern double MaxSignal;
extern double LimitedFunds;
extern double MaximumRisk;
extern int LevelNum;
extern bool OnlyClose;
extern double LP;
extern int Slippage;
extern int StopLossPips;
extern int MaxAgeSeconds;
extern int RetryWaitSeconds;
