// SPDX-License-Identifier: MIT
//+------------------------------------------------------------------+
//| QuorvaneSignal.mqh - what Quorvane.mq4 and Quorvane.mq5 share:   |
//| the signal file of the chart and its record, freshness by the    |
//| tick count, the lamps and their half-lamp hysteresis, stops and  |
//| lots on the broker's grid, the back-off after a failed order and |
//| the stop until the lamps change. Only what MQL4 and MQL5 both    |
//| have. Each advisor includes it once, after its inputs, which it  |
//| reads; included once, it needs no include guard.                 |
//+------------------------------------------------------------------+

// OnInit starts these afresh: the terminal keeps globals when only the inputs change.
string g_lastWarning = "";       // the journal gets each warning once, not on every tick
bool   g_waiting = false;        // backing off after a failed request
uint   g_waitStart = 0;          // GetTickCount() when the back-off began
uint   g_waitMs = 0;
bool   g_stopped = false;        // refused for good: no orders until the lit lamps change
int    g_stoppedLamps = 0;       // the signed lamp count the refusal came at
string g_stoppedText = "";

void ResetSharedState()
{
   g_lastWarning = "";
   g_waiting = false;
   g_stopped = false;
}

void Warn(string text)
{
   if(text == g_lastWarning)
      return;
   g_lastWarning = text;
   Print("Quorvane: ", text);
}

// MaxSignal and LevelNum divide: an advisor with either at 0 or below must not start.
bool InputsValid()
{
   if(MaxSignal <= 0)
   {
      Alert("Quorvane: MaxSignal must be greater than 0 (the signal at which all eight lamps are lit)");
      return(false);
   }
   if(LevelNum <= 0)
   {
      Alert("Quorvane: LevelNum must be at least 1");
      return(false);
   }
   return(true);
}

//+------------------------------------------------------------------+
//| The signal file of a chart symbol: without the broker's prefix   |
//| and suffix, cut to six characters as Quorvane names its files,   |
//| so EURUSD.pro, EURUSDm and EURUSD# all read EURUSD.              |
//+------------------------------------------------------------------+
string SignalFileName(string symbol)
{
   string name = symbol;
   int prefix = StringLen(SymbolPrefix);
   if(prefix > 0 && StringFind(name, SymbolPrefix, 0) == 0)
      name = StringSubstr(name, prefix);
   int suffix = StringLen(SymbolSuffix);
   int cut = StringLen(name) - suffix;
   if(suffix > 0 && cut > 0 && StringSubstr(name, cut) == SymbolSuffix)
      name = StringSubstr(name, 0, cut);
   return(StringSubstr(name, 0, 6));
}

//+------------------------------------------------------------------+
//| The value of a field of a record: the key, one separator char,   |
//| then the text up to "," (else up to ")"). "" when absent.        |
//+------------------------------------------------------------------+
string GetField(string record, string key)
{
   int at = StringFind(record, key, 0);
   if(at < 0 || StringLen(key) == 0)
      return("");
   int from = at + StringLen(key) + 1;
   int end = StringFind(record, ",", from - 1);
   if(end < 0)
      end = StringFind(record, ")", from - 1);
   if(end < from)
      return("");
   return(StringSubstr(record, from, end - from));
}

//+------------------------------------------------------------------+
//| A plain decimal number: optional sign, digits, at most one point. |
//| StringToDouble would read any text, even "", as 0 - and a 0      |
//| signal closes every level.                                       |
//+------------------------------------------------------------------+
bool IsNumber(string text)
{
   int n = StringLen(text);
   int i = 0;
   if(n > 0 && (StringGetCharacter(text, 0) == '+' || StringGetCharacter(text, 0) == '-'))
      i = 1;
   int digits = 0;
   bool point = false;
   for(; i < n; i++)
   {
      ushort c = StringGetCharacter(text, i);
      if(c >= '0' && c <= '9')
         digits++;
      else if(c == '.' && !point)
         point = true;
      else
         return(false);
   }
   return(digits > 0);
}

//+------------------------------------------------------------------+
//| Reads a signal file: false when it cannot be opened. FILE_ANSI:  |
//| Quorvane writes 8-bit text, which the terminal would otherwise   |
//| read as UTF-16. The shared modes let Quorvane replace the file   |
//| while it is open here. `modified` is the file's date in whatever |
//| clock the terminal stamps it (not documented; Wine differs), so  |
//| it is only ever compared with an earlier value of itself.        |
//+------------------------------------------------------------------+
bool ReadSignalFile(string file, datetime &modified, string &text)
{
   modified = 0;
   text = "";
   int flags = FILE_READ | FILE_BIN | FILE_ANSI | FILE_SHARE_READ | FILE_SHARE_WRITE;
   if(UseCommonFolder)
      flags |= FILE_COMMON;
   int handle = FileOpen(file, flags);
   if(handle == INVALID_HANDLE)
      return(false);
   modified = (datetime)FileGetInteger(handle, FILE_MODIFY_DATE);
   int size = (int)FileSize(handle);
   if(size > 0)
      text = FileReadString(handle, size);
   FileClose(handle);
   return(true);
}

// The signal of a file's text, whose record is the text up to the first ")";
// false when that holds no plain number in its Signal field.
bool ParseSignal(string text, double &signal, string &field)
{
   int close = StringFind(text, ")", 0);
   if(close < 0)
      return(false);
   field = GetField(StringSubstr(text, 0, close + 1), "Signal");
   if(!IsNumber(field))
      return(false);
   signal = StringToDouble(field);
   return(true);
}

// Unchanged since `changedTick` for more than MaxAgeSeconds (0 = never): Quorvane
// stopped. A uint difference of GetTickCount() stays right across its 49-day wrap.
bool UnchangedTooLong(uint changedTick, uint now)
{
   if(MaxAgeSeconds <= 0)
      return(false);
   return((double)(uint)(now - changedTick) > MaxAgeSeconds * 1000.0);
}

//+------------------------------------------------------------------+
//| Lit lamps: the largest k <= 8 with k * MaxSignal <= 8 * |signal|. |
//| Level k opens when k lamps are lit.                              |
//+------------------------------------------------------------------+
int LitLamps(double signal)
{
   int lit = 0;
   for(int k = 1; k <= 8; k++)
   {
      if(k * MaxSignal <= 8 * MathAbs(signal))
         lit = k;
   }
   return(lit);
}

// A held level k stays down to k - 1/2 lamps, so a signal hovering at a step trades once.
bool LevelHolds(int k, double signal)
{
   return((k - 0.5) * MaxSignal <= 8 * MathAbs(signal));
}

// "signal 0.37 (long), lamps lit: 2 of 8"
string SignalText(string field, double signal, int lamps)
{
   string side = "long";
   if(signal < 0)
      side = "short";
   return("signal " + field + " (" + side + "), lamps lit: " + IntegerToString(lamps) + " of 8");
}

// Five- and three-digit quotes count a pip as ten points.
int PipPoints(long digits)
{
   if(digits == 3 || digits == 5)
      return(10);
   return(1);
}

//+------------------------------------------------------------------+
//| The protective stop of a buy or a sell at these quotes:          |
//| StopLossPips away, and at least one point beyond the broker's    |
//| stop level so a tick in between does not make it invalid;        |
//| on the symbol's digits. 0 = none.                                |
//+------------------------------------------------------------------+
double StopLossAt(bool buy, double bid, double ask, double point, int digits, double stopLevel)
{
   if(StopLossPips <= 0)
      return(0);
   double distance = StopLossPips * PipPoints(digits) * point;
   double least = (stopLevel + 1) * point;
   if(distance < least)
      distance = least;
   if(buy)
      return(NormalizeDouble(bid - distance, digits));
   return(NormalizeDouble(ask + distance, digits));
}

//+------------------------------------------------------------------+
//| Lots of one level before the broker's grid: the level's margin   |
//| budget (funds x MaximumRisk / LevelNum; funds = the equity, or   |
//| LimitedFunds when set and smaller) over the margin one lot       |
//| binds, times LP. 0 when there is nothing to budget with.         |
//+------------------------------------------------------------------+
double BudgetLots(double equity, double marginPerLot)
{
   double funds = equity;
   if(LimitedFunds > 0 && LimitedFunds < funds)
      funds = LimitedFunds;
   if(LevelNum <= 0 || funds <= 0 || marginPerLot <= 0)
      return(0);
   return(funds * MaximumRisk / LevelNum / marginPerLot * LP);
}

// Decimals of a volume step (0.01 -> 2, 0.001 -> 3), for NormalizeDouble.
int StepDigits(double step)
{
   int digits = 0;
   while(digits < 8 && MathAbs(step - MathRound(step)) > 1e-9)
   {
      step *= 10;
      digits++;
   }
   return(digits);
}

//+------------------------------------------------------------------+
//| Lots rounded down to the volume step (0.001 and 0.05 exist, so   |
//| no fixed number of decimals) and capped at the maximum; 0 when   |
//| below the minimum.                                               |
//+------------------------------------------------------------------+
double RoundLots(double lots, double step, double least, double most)
{
   if(step <= 0)
      return(0);
   if(most > 0 && lots > most)
      lots = most;
   lots = MathFloor(lots / step + 1e-7) * step;
   if(lots < least - step * 1e-7)
      return(0);
   return(NormalizeDouble(lots, StepDigits(step)));
}

// After a failed request: RetryWaitSeconds, and at least a minute after a
// timeout, since the order may still appear.
int RetrySeconds(bool timedOut)
{
   int wait = RetryWaitSeconds;
   if(timedOut && wait < 60)
      wait = 60;
   if(wait < 0)
      wait = 0;
   return(wait);
}

// The back-off runs by GetTickCount(), which no clock change moves.
void WaitBeforeRetry(int seconds)
{
   if(seconds < 0)
      seconds = 0;
   g_waiting = true;
   g_waitStart = GetTickCount();
   g_waitMs = (uint)seconds * 1000;
}

bool Waiting()
{
   if(g_waiting && (uint)(GetTickCount() - g_waitStart) >= g_waitMs)
      g_waiting = false;
   return(g_waiting);
}

// A refusal that trying again cannot mend: no orders while `lamps`, the signed
// number of lit lamps, stays as it is.
void StopUntilLampsChange(string text, int lamps)
{
   g_stopped = true;
   g_stoppedLamps = lamps;
   g_stoppedText = text;
}

bool StoppedAt(int lamps)
{
   if(g_stopped && lamps != g_stoppedLamps)
      g_stopped = false;
   return(g_stopped);
}
//+------------------------------------------------------------------+
