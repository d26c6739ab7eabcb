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
//| When lamps go out, levels are closed again; a signal that turns    |
//| closes every level of the other direction first. A missing, stale  |
//| or unreadable signal is no signal: the levels are held as they are.|
//+------------------------------------------------------------------+
#property copyright "Quorvane developers"
#property version   "2.00"
#property strict

//---- inputs
input int    magic            = 300000; // marks this advisor's orders
input double MaxSignal        = 0.25;   // signal at which all eight lamps are lit; must be > 0
input double LimitedFunds     = 0;      // money the advisor may budget with; 0 = the account's equity
input double MaximumRisk      = 0.1;    // share of the funds that all levels together may bind as margin
input int    LevelNum         = 16;     // the budget is split into this many levels; also the most levels held
input bool   OnlyClose        = false;  // true: never open, only close levels as lamps go out
input double LP               = 1;      // multiplier on the lot size of one level
input int    Slippage         = 3;      // pips accepted when opening or closing (x10 points on 5-digit quotes)
input int    StopLossPips     = 100;    // protective stop sent with every order, in pips; 0 = none
input int    MaxAgeSeconds    = 60;     // an older signal file is stale (Quorvane stopped); 0 = never stale
input int    RetryWaitSeconds = 30;     // after a failed order, wait this long before trading again

enum SignalState
{
   SignalFresh,
   SignalMissing,
   SignalStale,
   SignalNone
};

datetime g_nextTry = 0;       // no trade request before this moment (after a failure)
string   g_lastWarning = "";  // the journal gets each warning once, not on every tick

void Warn(string text)
{
   if(text == g_lastWarning)
      return;
   g_lastWarning = text;
   Print("Quorvane: ", text);
}

//+------------------------------------------------------------------+
//| The value of a field of a record: the key, one separator char,    |
//| then the text up to "," (else up to ")"). "" when absent.         |
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
//| signal closes every level.                                        |
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
//| Reads this chart's signal file. FILE_ANSI: Quorvane writes 8-bit |
//| text, which the terminal would otherwise read as UTF-16. The     |
//| shared modes let Quorvane replace the file while it is open.     |
//+------------------------------------------------------------------+
SignalState ReadSignal(double &signal, string &field)
{
   string name = StringSubstr(Symbol(), 0, 6);
   int handle = FileOpen(name, FILE_READ | FILE_BIN | FILE_ANSI | FILE_SHARE_READ | FILE_SHARE_WRITE);
   if(handle == INVALID_HANDLE)
      return(SignalMissing);
   datetime modified = (datetime)FileGetInteger(handle, FILE_MODIFY_DATE);
   int size = (int)FileSize(handle);
   string text = "";
   if(size > 0)
      text = FileReadString(handle, size);
   FileClose(handle);

   // Quorvane rewrites the file after every poll; an old one means it stopped.
   if(MaxAgeSeconds > 0 && TimeLocal() - modified > MaxAgeSeconds)
      return(SignalStale);
   // Only the text up to the first ")" is the record.
   int close = StringFind(text, ")", 0);
   if(close < 0)
      return(SignalNone);
   field = GetField(StringSubstr(text, 0, close + 1), "Signal");
   if(!IsNumber(field))
      return(SignalNone);
   signal = StringToDouble(field);
   return(SignalFresh);
}

//+------------------------------------------------------------------+
//| Lit lamps: the largest k <= 8 with k * MaxSignal <= 8 * |signal|. |
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

// Five- and three-digit quotes count a pip as ten points.
int PipPoints()
{
   if(Digits == 3 || Digits == 5)
      return(10);
   return(1);
}

//+------------------------------------------------------------------+
//| The protective stop of a new order, at least the broker's stop   |
//| level away; 0 when StopLossPips is 0.                            |
//+------------------------------------------------------------------+
double StopLossPrice(int type)
{
   if(StopLossPips <= 0)
      return(0);
   double distance = StopLossPips * PipPoints() * Point;
   double least = MarketInfo(Symbol(), MODE_STOPLEVEL) * Point;
   if(distance < least)
      distance = least;
   if(type == OP_BUY)
      return(NormalizeDouble(Bid - distance, Digits));
   return(NormalizeDouble(Ask + distance, Digits));
}

//+------------------------------------------------------------------+
//| Lot size of one level: the level's margin budget                 |
//| (funds x MaximumRisk / LevelNum) divided by the margin one lot   |
//| binds, times LP, stepped down to the broker's lot step.          |
//| 0 when below the broker's minimum.                               |
//+------------------------------------------------------------------+
double LevelLots()
{
   double funds = AccountEquity();
   if(LimitedFunds > 0 && LimitedFunds < funds)
      funds = LimitedFunds;
   if(LevelNum <= 0 || funds <= 0)
      return(0);

   double budget = funds * MaximumRisk / LevelNum;
   double marginPerLot = MarketInfo(Symbol(), MODE_MARGINREQUIRED);
   if(marginPerLot <= 0)
      return(0);
   double lots = budget / marginPerLot * LP;

   double step = MarketInfo(Symbol(), MODE_LOTSTEP);
   if(step > 0)
      lots = MathFloor(lots / step + 0.000001) * step;
   if(lots < MarketInfo(Symbol(), MODE_MINLOT))
      return(0);
   double maxLots = MarketInfo(Symbol(), MODE_MAXLOT);
   if(maxLots > 0 && lots > maxLots)
      lots = maxLots;
   return(NormalizeDouble(lots, 2));
}

//+------------------------------------------------------------------+
//| Open levels of this advisor on this symbol in one direction.     |
//+------------------------------------------------------------------+
int CountLevels(int type)
{
   int count = 0;
   for(int i = OrdersTotal() - 1; i >= 0; i--)
   {
      if(!OrderSelect(i, SELECT_BY_POS, MODE_TRADES))
         continue;
      if(OrderSymbol() == Symbol() && OrderMagicNumber() == magic && OrderType() == type)
         count++;
   }
   return(count);
}

// A failed request is not repeated on every tick: the broker is asked again
// only after RetryWaitSeconds.
void BackOff(string what)
{
   Print("Quorvane: ", what, " failed, error ", IntegerToString(GetLastError()), "; next try in ",
         IntegerToString(RetryWaitSeconds), " s");
   g_nextTry = TimeLocal() + RetryWaitSeconds;
}

//+------------------------------------------------------------------+
//| Closes up to `howMany` levels of one direction, newest first.    |
//| false when a close failed.                                       |
//+------------------------------------------------------------------+
bool CloseLevels(int type, int howMany)
{
   for(int i = OrdersTotal() - 1; i >= 0 && howMany > 0; i--)
   {
      if(!OrderSelect(i, SELECT_BY_POS, MODE_TRADES))
         continue;
      if(OrderSymbol() != Symbol() || OrderMagicNumber() != magic || OrderType() != type)
         continue;
      RefreshRates();
      double price = Bid;
      if(type == OP_SELL)
         price = Ask;
      if(!OrderClose(OrderTicket(), OrderLots(), price, Slippage * PipPoints(), clrNONE))
      {
         BackOff("closing ticket " + IntegerToString(OrderTicket()));
         return(false);
      }
      howMany--;
   }
   return(true);
}

//+------------------------------------------------------------------+
//| Opens `howMany` levels of one direction; false when one failed.  |
//+------------------------------------------------------------------+
bool OpenLevels(int type, int howMany)
{
   double lots = LevelLots();
   if(lots <= 0)
   {
      Warn("the lot size of one level is below the broker's minimum; nothing opened");
      return(true);
   }
   for(int n = 0; n < howMany; n++)
   {
      double freeAfter = AccountFreeMarginCheck(Symbol(), type, lots);
      if(freeAfter <= 0 || GetLastError() == ERR_NOT_ENOUGH_MONEY)
      {
         Warn("not enough free margin for another level");
         return(true);
      }
      RefreshRates();
      double price = Ask;
      if(type == OP_SELL)
         price = Bid;
      int ticket = OrderSend(Symbol(), type, lots, price, Slippage * PipPoints(), StopLossPrice(type), 0,
                             "Quorvane", magic, 0, clrNONE);
      if(ticket < 0)
      {
         BackOff("opening a level");
         return(false);
      }
   }
   return(true);
}

//+------------------------------------------------------------------+
//| Why no trade request may go out now; "" when one may.            |
//+------------------------------------------------------------------+
string TradingBlocked()
{
   if(!IsConnected())
      return("no connection to the trade server");
   if(IsTradeContextBusy())
      return("trade context busy");
   if(!IsTradeAllowed())
      return("trading is not allowed");
   if(TimeLocal() < g_nextTry)
      return("waiting after a failed order");
   return("");
}

//+------------------------------------------------------------------+
int OnInit()
{
   // Inputs can change without the program being reloaded: start afresh.
   g_nextTry = 0;
   g_lastWarning = "";
   if(MaxSignal <= 0)
   {
      Alert("Quorvane: MaxSignal must be greater than 0 (the signal at which all eight lamps are lit)");
      return(INIT_FAILED);
   }
   if(LevelNum <= 0)
   {
      Alert("Quorvane: LevelNum must be at least 1");
      return(INIT_FAILED);
   }
   Comment("Quorvane: waiting for a signal");
   return(INIT_SUCCEEDED);
}

void OnDeinit(const int reason)
{
   Comment("");
}

//+------------------------------------------------------------------+
//| Every tick: read the signal, show it, bring the levels in line.  |
//+------------------------------------------------------------------+
void OnTick()
{
   double signal = 0;
   string field = "";
   string name = StringSubstr(Symbol(), 0, 6);
   SignalState state = ReadSignal(signal, field);
   if(state == SignalMissing)
   {
      // Quorvane is not running or disconnected the terminal: hold.
      Comment("Quorvane: no signal file for ", name, " - holding");
      return;
   }
   if(state == SignalStale)
   {
      Comment("Quorvane: signal stale (older than ", IntegerToString(MaxAgeSeconds), " s) - holding");
      return;
   }
   if(state == SignalNone)
   {
      Comment("Quorvane: no signal in the file for ", name, " - holding");
      return;
   }

   int lamps = LitLamps(signal);
   int want = lamps;
   if(want > LevelNum)
      want = LevelNum;
   int along = OP_BUY;
   int against = OP_SELL;
   string side = "long";
   if(signal < 0)
   {
      along = OP_SELL;
      against = OP_BUY;
      side = "short";
   }
   string shown = "Quorvane signal " + field + " (" + side + "), lamps lit: " + IntegerToString(lamps) + " of 8";
   string blocked = TradingBlocked();
   if(blocked != "")
   {
      Comment(shown, " - not trading: ", blocked);
      return;
   }
   Comment(shown);

   // A turned signal first closes everything held the other way.
   if(!CloseLevels(against, CountLevels(against)))
      return;
   int held = CountLevels(along);
   if(held > want)
      CloseLevels(along, held - want);
   else if(held < want && !OnlyClose)
      OpenLevels(along, want - held);
}
//+------------------------------------------------------------------+
