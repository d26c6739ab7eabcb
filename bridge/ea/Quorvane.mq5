// SPDX-License-Identifier: MIT
//+------------------------------------------------------------------+
//| Quorvane.mq5 - reference expert advisor for MetaTrader 5          |
//|                                                                    |
//| Quorvane writes the newest market record of every symbol into the  |
//| terminal's MQL5\Files folder, one file per first six characters of |
//| the symbol, for example                                            |
//|   (Symbol:EURUSD,Price:1.0842,Time:2026.12.08 00:15,Signal:0.37)   |
//| and replaces each file in one step after every poll (every 15 s).  |
//| One level per lit lamp in the signal's direction; a level k opens  |
//| at k lamps and closes below k - 1/2 lamps or when the signal turns.|
//| Netting accounts hold the levels as one position (its volume in    |
//| steps of one level's lots), hedging accounts as one position each. |
//| What it shares with Quorvane.mq4 lies in QuorvaneSignal.mqh, its  |
//| deals with the broker in QuorvaneTrade5.mqh; "Select" in Quorvane  |
//| installs both beside it: all three belong in Experts.              |
//+------------------------------------------------------------------+
#property copyright "Quorvane developers"
#property version   "1.00"
#property description "Trades the Quorvane signal: one level per lit lamp."

//---- inputs (names and defaults as in Quorvane.mq4)
input int    magic            = 300000; // marks this advisor's positions
input double MaxSignal        = 0.25;   // signal at which all eight lamps are lit; must be > 0
input double LimitedFunds     = 0;      // money the advisor may budget with; 0 = the account's equity
input double MaximumRisk      = 0.1;    // share of the funds that all levels together may bind as margin
input int    LevelNum         = 16;     // the budget is split into this many levels; also the most levels held
input bool   OnlyClose        = false;  // true: never open, only close levels as lamps go out
input double LP               = 1;      // multiplier on the lot size of one level
input int    Slippage         = 3;      // pips accepted when opening or closing (x10 points on 5-digit quotes)
input int    StopLossPips     = 100;    // protective stop of every level, in pips; 0 = none
input int    MaxAgeSeconds    = 60;     // a file unchanged this long is stale (Quorvane stopped); 0 = never stale
input int    RetryWaitSeconds = 30;     // after a failed order, wait this long before trying again
input string SymbolPrefix     = "";     // broker's prefix of the chart symbol, e.g. "m" in mEURUSD
input string SymbolSuffix     = "";     // broker's suffix of the chart symbol, e.g. ".pro" in EURUSD.pro
input bool   UseCommonFolder  = false;  // read the file from the terminals' shared Common\Files folder

#include "QuorvaneSignal.mqh"

enum SignalState
{
   SignalFresh,
   SignalMissing,
   SignalNone
};

string   g_file = "";            // the signal file this chart reads
string   g_fileLine = "";        // "signal file EURUSD for EURUSD.pro"
string   g_lock = "";            // terminal variable held while this copy runs
bool     g_haveLock = false;
datetime g_modified = 0;         // the file's last modification date as the terminal reports it
uint     g_changedTick = 0;      // GetTickCount() when that date last changed
bool     g_read = false;         // the file has been looked at once since the start
bool     g_seenChange = false;   // ... and seen to change since: Quorvane is writing it
bool     g_decide = false;       // a new record (or a retry) waits for a decision
int      g_lamps = 0;            // lit lamps now, signed by side: a permanent refusal holds until they change
int      g_bar[9];               // level k closed by someone else on side g_bar[k] (+1 long, -1 short)
int      g_believed[2];          // levels held after the advisor's last orders: [0] long, [1] short

#include "QuorvaneTrade5.mqh"

void Show(string text)
{
   Comment(text, "\n", g_fileLine);
}

// Reads the record; a new date of the file is a new record.
SignalState ReadSignal(double &signal, string &field)
{
   datetime modified = 0;
   string text = "";
   bool present = ReadSignalFile(g_file, modified, text);
   // The first look only sets the baseline: a file left by a stopped
   // Quorvane must not be traded after a restart of the terminal. A file
   // that is missing for a while has not changed: only a new date counts.
   if(!g_read || (present && modified != g_modified))
   {
      if(g_read)
      {
         g_seenChange = true;
         g_decide = true;
      }
      g_read = true;
      g_modified = modified;
      g_changedTick = GetTickCount();
   }
   if(!present)
      return(SignalMissing);
   if(!ParseSignal(text, signal, field))
      return(SignalNone);
   return(SignalFresh);
}

//+------------------------------------------------------------------+
//| Levels wanted on the signal's side. Level k opens at k lamps; a   |
//| held level k stays until the signal falls below (k - 1/2) lamps,  |
//| so a signal jittering around one step does not open and close it. |
//| A level closed by anything but this advisor stays closed until    |
//| its lamp has gone out and lit again.                              |
//+------------------------------------------------------------------+
int Wanted(double signal, int side, int lamps)
{
   int held = CountLevels(side);
   int want = lamps;
   for(int k = lamps + 1; k <= held && k <= 8; k++)
   {
      if(LevelHolds(k, signal))
         want = k;
   }
   if(want > LevelNum)
      want = LevelNum;
   if(OnlyClose && want > held)
      want = held;
   for(int k = held + 1; k <= want; k++)
   {
      if(g_bar[k] == side)
      {
         want = k - 1;
         break;
      }
   }
   return(want);
}

void Remember()
{
   g_believed[0] = CountLevels(1);
   g_believed[1] = CountLevels(-1);
}

// Levels that went missing since the advisor's last orders were closed by a stop, the trader or a margin call.
void NoteOutsideCloses()
{
   for(int s = 0; s < 2; s++)
   {
      int side = s == 0 ? 1 : -1;
      int held = CountLevels(side);
      for(int k = held + 1; k <= g_believed[s] && k <= 8; k++)
         g_bar[k] = side;
      g_believed[s] = held;
   }
}

// A barred level is free again once its lamp is out.
void ClearBars(int side, int lamps)
{
   for(int k = 1; k <= 8; k++)
   {
      if(g_bar[k] != 0 && (g_bar[k] != side || lamps < k))
         g_bar[k] = 0;
   }
}

// Why no order may go out now; "" when one may.
string TradingBlocked()
{
   string missing = MissingPermission();
   if(missing != "")
      return(missing);
   if(g_foreign)
      return("the position on " + Symbol() + " is not this advisor's (another magic or a manual trade)");
   if(StoppedAt(g_lamps))
      return(g_stoppedText + "; waiting for the lamps to change");
   if(Waiting())
      return("waiting after a failed order");
   return("");
}

//+------------------------------------------------------------------+
int OnInit()
{
   // Inputs can change without the program being reloaded: start afresh.
   g_read = false;
   g_seenChange = false;
   g_decide = false;
   g_foreign = false;
   g_levelLots = 0;
   ResetSharedState();
   for(int k = 0; k <= 8; k++)
      g_bar[k] = 0;
   if(MQLInfoInteger(MQL_TESTER))
   {
      // The tester has no Quorvane writing the file: a back-test would trade on one frozen record.
      Print("Quorvane: the strategy tester has no live signal file; this advisor runs on a live chart only");
      return(INIT_FAILED);
   }
   if(!InputsValid())
      return(INIT_FAILED);
   g_file = SignalFileName(Symbol());
   g_fileLine = "signal file " + g_file + " for " + Symbol();
   g_lock = "Quorvane " + Symbol() + " " + IntegerToString(magic);
   g_lotsName = "Quorvane lots " + Symbol() + " " + IntegerToString(magic);
   // One copy per symbol and magic: two would both see the same missing levels and
   // both send. A temporary variable goes with the terminal, so a crash leaves no lock.
   // It is taken to start at 0 (not documented); if not, no copy runs, none runs twice.
   if(!GlobalVariableCheck(g_lock))
      GlobalVariableTemp(g_lock);
   if(!GlobalVariableSetOnCondition(g_lock, 1, 0))
   {
      Alert("Quorvane: another copy already trades ", Symbol(), " with magic ", IntegerToString(magic),
            "; this one does not run");
      return(INIT_FAILED);
   }
   g_haveLock = true;
   // Retail netting and exchange accounts hold one position per symbol: its
   // volume holds the levels. Only retail hedging keeps a position per level.
   g_hedging = AccountInfoInteger(ACCOUNT_MARGIN_MODE) == ACCOUNT_MARGIN_MODE_RETAIL_HEDGING;
   if(!g_hedging && GlobalVariableCheck(g_lotsName))
      g_levelLots = GlobalVariableGet(g_lotsName);
   ChooseFilling();
   Remember();
   Show("Quorvane: waiting for the signal file to change");
   return(INIT_SUCCEEDED);
}

void OnDeinit(const int reason)
{
   if(g_haveLock)
      GlobalVariableDel(g_lock);
   g_haveLock = false;
   Comment("");
}

//+------------------------------------------------------------------+
//| Every tick: read the file, show the signal; when a new record has |
//| come (or a retry is due), bring the levels in line.               |
//+------------------------------------------------------------------+
void OnTick()
{
   double signal = 0;
   string field = "";
   SignalState state = ReadSignal(signal, field);
   NoteOutsideCloses();
   if(state == SignalMissing)
   {
      Show("Quorvane: no signal file for " + g_file + " - holding");
      return;
   }
   if(!g_seenChange)
   {
      // The file may be left over from a Quorvane that has stopped.
      Show("Quorvane: waiting for the signal file to change - holding");
      return;
   }
   if(UnchangedTooLong(g_changedTick, GetTickCount()))
   {
      Show("Quorvane: signal stale (unchanged for more than " + IntegerToString(MaxAgeSeconds) + " s) - holding");
      return;
   }
   if(state == SignalNone)
   {
      Show("Quorvane: no signal in the file for " + g_file + " - holding");
      return;
   }
   int side = 1;
   if(signal < 0)
      side = -1;
   int lamps = LitLamps(signal);
   g_lamps = side * lamps;
   ClearBars(side, lamps);
   string shown = "Quorvane " + SignalText(field, signal, lamps);
   string blocked = TradingBlocked();
   if(blocked != "")
   {
      Show(shown + " - not trading: " + blocked);
      return;
   }
   Show(shown);
   if(!g_decide)
      return;
   g_decide = false;
   // A turned signal first closes everything held the other way.
   TradeOutcome outcome = Adjust(-side, 0);
   if(outcome == TradeDone)
      outcome = Adjust(side, Wanted(signal, side, lamps));
   if(outcome == TradeRetry)
      g_decide = true;
   Remember();
   if(outcome != TradeDone)
      Show(shown + " - not trading: " + TradingBlocked());
}
//+------------------------------------------------------------------+
