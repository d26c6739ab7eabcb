// SPDX-License-Identifier: MIT
//+------------------------------------------------------------------+
//| Quorvane.mq4 - reference expert advisor for the Quorvane signals   |
//|                                                                    |
//| Quorvane writes the newest market record of every symbol into the  |
//| terminal's MQL4\Files folder (experts\files before build 600),     |
//| one file per first six characters of the symbol, for example       |
//|   (Symbol:EURUSD,Price:1.0842,Time:2026.12.08 00:15,Signal:0.37)   |
//| It replaces each file in one step after every poll (every 15 s).   |
//| This advisor reads its chart symbol's file on every tick, shows    |
//| the signal and the number of lit lamps, and trades progressively:  |
//| one position (a "level") per lit lamp in the signal's direction.   |
//| Levels are decided once per new record, with half a lamp of        |
//| hysteresis; a signal that turns closes every level of the other    |
//| direction first. A missing, stale or unreadable signal is no       |
//| signal: the levels are held as they are.                           |
//| What it shares with Quorvane.mq5 lies in QuorvaneSignal.mqh, its  |
//| orders to the broker in QuorvaneTrade4.mqh; "Select" in Quorvane   |
//| installs both beside it: all three belong in Experts.              |
//+------------------------------------------------------------------+
#property copyright "Quorvane developers"
#property version   "3.00"
#property strict

#include <stderror.mqh>

//---- inputs
input int    magic            = 300000; // marks this advisor's orders
input double MaxSignal        = 0.25;   // signal at which all eight lamps are lit; must be > 0
input double LimitedFunds     = 0;      // money the advisor may budget with; 0 = the account's equity
input double MaximumRisk      = 0.1;    // share of the funds that all levels together may bind as margin
input int    LevelNum         = 16;     // the budget is split into this many levels; also the most levels held
input bool   OnlyClose        = false;  // true: never open, only close levels as lamps go out
input double LP               = 1;      // multiplier on the lot size of one level
input int    Slippage         = 3;      // pips accepted when opening or closing (x10 points on 5-digit quotes)
input int    StopLossPips     = 100;    // protective stop of every order, in pips; 0 = none
input int    MaxAgeSeconds    = 60;     // a signal file unchanged this long is stale (Quorvane stopped); 0 = never
input int    RetryWaitSeconds = 30;     // after a failed order, wait this long before trying again
input string SymbolPrefix     = "";     // the broker's prefix before the symbol, e.g. "m" for mEURUSD
input string SymbolSuffix     = "";     // the broker's suffix after the symbol, e.g. ".pro" for EURUSD.pro
input bool   UseCommonFolder  = false;  // read the signal file from the terminals' common folder

#include "QuorvaneSignal.mqh"

enum SignalState
{
   SignalFresh,
   SignalMissing,
   SignalWaiting,
   SignalStale,
   SignalNone
};

// What each of the eight levels is, in the direction g_dir. A level closed by
// anyone but this advisor (its stop, the trader, a margin call) is Blocked
// until its lamp has gone out, so a stop-out is never bought back at once.
enum LevelState
{
   LevelOut,
   LevelHeld,
   LevelBlocked
};

// Remembered between ticks; OnInit starts them afresh because the terminal
// keeps globals when only the inputs or the chart's timeframe change.
string     g_file = "";          // the signal file this chart reads
string     g_lockName = "";      // the terminal variable that keeps a second copy out
bool       g_ownsLock = false;
bool       g_observed = false;   // the file has been looked at once since the start
bool       g_present = false;    // last look: the file was there
datetime   g_lastDate = 0;       // last look: its modification date, in whatever clock the terminal uses
string     g_lastText = "";      // last look: its text (two writes within a second share a date)
bool       g_changed = false;    // the file changed since the start
uint       g_changeTick = 0;     // GetTickCount() of that change
int        g_dir = -1;           // direction of the levels: OP_BUY, OP_SELL, -1 none yet
LevelState g_level[9];           // levels 1 to 8
int        g_held = 0;           // orders this advisor knows it holds in g_dir
int        g_lamps = 0;          // lit lamps of the last record, negative when short
bool       g_pending = false;    // the levels are not yet in line with the last record

#include "QuorvaneTrade4.mqh"

//+------------------------------------------------------------------+
//| Reads this chart's signal file. `isNew` tells whether the file   |
//| changed since the last look: it was there or not, its date or    |
//| its text changed. Freshness uses no clock but GetTickCount().    |
//+------------------------------------------------------------------+
SignalState ReadSignal(double &signal, string &field, bool &isNew)
{
   isNew = false;
   datetime modified = 0;
   string text = "";
   bool present = ReadSignalFile(g_file, modified, text);
   uint now = GetTickCount();
   bool first = !g_observed;
   if(first || present != g_present || modified != g_lastDate || text != g_lastText)
   {
      // The first look after the start proves nothing: the file may be a
      // leftover of a Quorvane that stopped hours ago.
      if(!first)
      {
         g_changed = true;
         g_changeTick = now;
         isNew = present;
      }
      else if(MaxAgeSeconds <= 0)
         isNew = present;
      g_observed = true;
      g_present = present;
      g_lastDate = modified;
      g_lastText = text;
   }
   if(!present)
      return(SignalMissing);
   if(MaxAgeSeconds > 0)
   {
      if(!g_changed)
         return(SignalWaiting);
      if(UnchangedTooLong(g_changeTick, now))
         return(SignalStale);
   }
   if(!ParseSignal(text, signal, field))
      return(SignalNone);
   return(SignalFresh);
}

int Opposite(int type)
{
   if(type == OP_BUY)
      return(OP_SELL);
   return(OP_BUY);
}

int WantedLevels()
{
   int want = 0;
   for(int k = 1; k <= 8; k++)
   {
      if(g_level[k] == LevelHeld)
         want++;
   }
   return(want);
}

//+------------------------------------------------------------------+
//| A new record decides the levels. Level k opens when k lamps light |
//| and, once held, closes only below k - 1/2 lamps or when the      |
//| signal turns, so a signal hovering at a step trades once.        |
//+------------------------------------------------------------------+
void DecideLevels(double signal)
{
   int lamps = LitLamps(signal);
   int dir = -1;
   if(signal > 0)
      dir = OP_BUY;
   if(signal < 0)
      dir = OP_SELL;
   g_lamps = lamps;
   if(dir == OP_SELL)
      g_lamps = -lamps;
   if(dir >= 0 && dir != g_dir)
   {
      // Turned: the other side is closed, its lamps all went out.
      for(int j = 1; j <= 8; j++)
         g_level[j] = LevelOut;
      g_dir = dir;
      g_held = CountLevels(g_dir);
   }
   for(int k = 1; k <= 8; k++)
   {
      if(g_level[k] == LevelHeld && (!LevelHolds(k, signal) || k > LevelNum))
         g_level[k] = LevelOut;
      else if(g_level[k] == LevelBlocked && lamps < k)
         g_level[k] = LevelOut;
      else if(g_level[k] == LevelOut && lamps >= k && k <= LevelNum && !OnlyClose)
         g_level[k] = LevelHeld;
   }
   g_pending = true;
}

//+------------------------------------------------------------------+
//| Brings the orders in line with the levels decided. Counts them   |
//| again before every order: another program may have traded since.|
//| false when a request failed.                                     |
//+------------------------------------------------------------------+
bool SyncLevels()
{
   bool done = true;
   while(done && CountLevels(Opposite(g_dir)) > 0)
      done = CloseOldest(Opposite(g_dir));
   int want = WantedLevels();
   while(done && CountLevels(g_dir) > want)
      done = CloseOldest(g_dir);
   double lots = 0;
   if(done && CountLevels(g_dir) < want)
   {
      lots = LevelLots();
      if(lots <= 0)
         Warn("the lot size of one level is below the broker's minimum; nothing opened");
   }
   while(done && lots > 0 && CountLevels(g_dir) < want)
   {
      ResetLastError();
      double freeAfter = AccountFreeMarginCheck(Symbol(), g_dir, lots);
      if(freeAfter <= 0 || GetLastError() == ERR_NOT_ENOUGH_MONEY)
      {
         Warn("not enough free margin for another level");
         break;
      }
      done = OpenLevel(g_dir, lots);
   }
   g_held = CountLevels(g_dir);
   return(done);
}

//+------------------------------------------------------------------+
//| Before anything else on a tick: orders of ours that are gone     |
//| without this advisor closing them were stopped out or closed by  |
//| hand; their levels are blocked, counted from the top.            |
//+------------------------------------------------------------------+
void NoteClosedLevels()
{
   // After a timeout the pool may still change: wait for the back-off.
   if(g_dir < 0 || Waiting())
      return;
   if(ClosedAfterTimeout())
      g_held--;
   int have = CountLevels(g_dir);
   // Orders that were to be closed anyway block no level when they go.
   int surplus = g_held - WantedLevels();
   if(surplus < 0)
      surplus = 0;
   int lost = g_held - have - surplus;
   for(int k = 8; k >= 1 && lost > 0; k--)
   {
      if(g_level[k] == LevelHeld)
      {
         g_level[k] = LevelBlocked;
         lost--;
      }
   }
   g_held = have;
}

// Takes the terminal-wide variable of this symbol and magic. What value a
// new temporary variable holds is not documented, so any value but 1 counts
// as free and is swapped for 1 in one atomic step.
bool TakeLock()
{
   g_lockName = StringSubstr("Quorvane." + Symbol() + "." + IntegerToString(magic), 0, 63);
   GlobalVariableTemp(g_lockName);
   double value = GlobalVariableGet(g_lockName);
   if(value == 1)
      return(false);
   return(GlobalVariableSetOnCondition(g_lockName, 1, value));
}

string Heading()
{
   string where = "";
   if(UseCommonFolder)
      where = " (common folder)";
   return("Quorvane: signal file " + g_file + where + " for " + Symbol());
}

//+------------------------------------------------------------------+
int OnInit()
{
   // Inputs can change without the program being reloaded: start afresh.
   g_file = SignalFileName(Symbol());
   g_ownsLock = false;
   g_observed = false;
   g_changed = false;
   g_held = 0;
   g_lamps = 0;
   g_pending = false;
   g_closingTicket = 0;
   ResetSharedState();
   g_stopAfterFill = SymbolInfoInteger(Symbol(), SYMBOL_TRADE_EXEMODE) == SYMBOL_TRADE_EXECUTION_MARKET;
   if(!InputsValid())
      return(INIT_FAILED);
   if(IsTesting())
   {
      // There TimeLocal() is the tester's time and no file follows it: a
      // back-test would trade on one frozen record. (Alert is mute there.)
      Print("Quorvane: the strategy tester cannot replay Quorvane's signal files; run the advisor on a live chart");
      return(INIT_FAILED);
   }
   if(!TakeLock())
   {
      Alert("Quorvane: another copy already trades ", Symbol(), " with magic ", IntegerToString(magic),
            " in this terminal; this one does not run");
      return(INIT_FAILED);
   }
   g_ownsLock = true;
   // Levels held from before (a restart) are taken over, largest side first.
   int buys = CountLevels(OP_BUY);
   int sells = CountLevels(OP_SELL);
   g_dir = -1;
   if(buys > 0 || sells > 0)
      g_dir = buys >= sells ? OP_BUY : OP_SELL;
   g_held = CountLevels(g_dir);
   for(int k = 1; k <= 8; k++)
   {
      g_level[k] = LevelOut;
      if(k <= g_held)
         g_level[k] = LevelHeld;
   }
   Comment(Heading(), "\n", "waiting for a signal");
   return(INIT_SUCCEEDED);
}

void OnDeinit(const int reason)
{
   // Also called after a refused start: only the owner frees the variable.
   if(g_ownsLock)
      GlobalVariableSet(g_lockName, 0);
   g_ownsLock = false;
   Comment("");
}

//+------------------------------------------------------------------+
//| Every tick: read the signal, show it, bring the levels in line.  |
//+------------------------------------------------------------------+
void OnTick()
{
   double signal = 0;
   string field = "";
   bool isNew = false;
   SignalState state = ReadSignal(signal, field, isNew);
   NoteClosedLevels();
   string heading = Heading();
   if(state == SignalMissing)
   {
      // Quorvane is not running or disconnected the terminal: hold.
      Comment(heading, "\n", "no signal file - holding");
      return;
   }
   if(state == SignalWaiting)
   {
      Comment(heading, "\n", "waiting for the signal file to change - holding");
      return;
   }
   if(state == SignalStale)
   {
      Comment(heading, "\n", "signal stale (unchanged for more than ", IntegerToString(MaxAgeSeconds),
              " s) - holding");
      return;
   }
   if(state == SignalNone)
   {
      Comment(heading, "\n", "no signal in the file - holding");
      return;
   }
   if(isNew)
      DecideLevels(signal);

   string shown = SignalText(field, signal, LitLamps(signal));
   if(StoppedAt(g_lamps))
   {
      Comment(heading, "\n", shown, "\n", "stopped: ", g_stoppedText, "; no orders until the lamps change");
      return;
   }
   string blocked = TradingBlocked();
   if(blocked != "")
   {
      Comment(heading, "\n", shown, " - not trading: ", blocked);
      return;
   }
   Comment(heading, "\n", shown);
   if(g_pending && g_dir >= 0)
      g_pending = !SyncLevels() && !g_stopped;
}
//+------------------------------------------------------------------+
