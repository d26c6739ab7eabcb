//+------------------------------------------------------------------+
//| Quorvane.mq4 - reference expert advisor for the Quorvane signals   |
//|                                                                    |
//| Quorvane writes the newest market record of every symbol into      |
//| experts\files\<first six characters of the symbol>, for example   |
//|   Symbol=EURUSD,Price=1.0842,Time=2026.12.08 00:15,Signal=0.37)    |
//| This advisor reads its chart symbol's file on every tick, shows    |
//| the signal and the number of lit lamps, and trades progressively:  |
//| one position (a "level") per lit lamp in the signal's direction.   |
//| When lamps go out, levels are closed again; a signal that turns    |
//| closes every level of the other direction first.                   |
//+------------------------------------------------------------------+
#property copyright "Quorvane developers"

//---- inputs
extern int    magic        = 300000; // marks this advisor's orders
extern double MaxSignal    = 0.25;   // signal at which all eight lamps are lit
extern double LimitedFunds = 0;      // money to trade with; 0 = the account's free margin
extern double MaximumRisk  = 0.1;    // share of the funds all levels together may bind as margin
extern int    LevelNum     = 16;     // the funds are split into this many levels; also the most levels held
extern bool   OnlyClose    = false;  // true: never open, only close levels as lamps go out
extern double LP           = 1;      // multiplier on the lot size of one level
extern int    Slippage     = 3;      // points accepted when opening or closing

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
//| The whole signal file of this chart's symbol; "" when missing.   |
//| Quorvane replaces the file in one step, so a read never sees     |
//| half a record.                                                    |
//+------------------------------------------------------------------+
string ReadSignalRecord()
{
   string name = StringSubstr(Symbol(), 0, 6);
   int handle = FileOpen(name, FILE_BIN | FILE_READ);
   if(handle < 0)
      return("");
   string text = FileReadString(handle, FileSize(handle));
   FileClose(handle);
   // Only the text up to the first ")" is the record.
   int close = StringFind(text, ")", 0);
   if(close < 0)
      return("");
   return(StringSubstr(text, 0, close + 1));
}

//+------------------------------------------------------------------+
//| Lit lamps: the largest k <= 8 with k * MaxSignal <= 8 * |signal|. |
//+------------------------------------------------------------------+
int LitLamps(double signal)
{
   if(MaxSignal <= 0)
      return(0);
   int k = 8;
   while(k > 0 && k * MaxSignal > 8 * MathAbs(signal))
      k--;
   return(k);
}

//+------------------------------------------------------------------+
//| Lot size of one level: the share of the funds for one level,     |
//| turned into lots through the margin one lot binds, stepped down  |
//| to the broker's lot step. 0 when below the broker's minimum.     |
//+------------------------------------------------------------------+
double LevelLots()
{
   double funds = LimitedFunds;
   if(funds == 0)
      funds = AccountFreeMargin();
   if(LevelNum <= 0 || funds <= 0)
      return(0);

   double money = funds * MaximumRisk / LevelNum;
   double marginPerLot = MarketInfo(Symbol(), MODE_MARGINREQUIRED);
   if(marginPerLot <= 0)
      return(0);
   double lots = money / marginPerLot * LP;

   double step = MarketInfo(Symbol(), MODE_LOTSTEP);
   if(step > 0)
      lots = MathFloor(lots / step) * step;
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

//+------------------------------------------------------------------+
//| Closes up to `howMany` levels of one direction, newest first.    |
//+------------------------------------------------------------------+
void CloseLevels(int type, int howMany)
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
      if(OrderClose(OrderTicket(), OrderLots(), price, Slippage, CLR_NONE))
         howMany--;
      else
         Print("Quorvane: closing ticket ", OrderTicket(), " failed, error ", GetLastError());
   }
}

//+------------------------------------------------------------------+
//| Opens `howMany` levels of one direction.                          |
//+------------------------------------------------------------------+
void OpenLevels(int type, int howMany)
{
   double lots = LevelLots();
   if(lots <= 0)
   {
      if(howMany > 0)
         Print("Quorvane: lot size below the broker's minimum, nothing opened");
      return;
   }
   for(int n = 0; n < howMany; n++)
   {
      RefreshRates();
      double price = Ask;
      if(type == OP_SELL)
         price = Bid;
      if(OrderSend(Symbol(), type, lots, price, Slippage, 0, 0, "Quorvane", magic, 0, CLR_NONE) < 0)
      {
         Print("Quorvane: opening a level failed, error ", GetLastError());
         return;
      }
   }
}

//+------------------------------------------------------------------+
int init()
{
   Comment("Quorvane: waiting for a signal");
   return(0);
}

int deinit()
{
   Comment("");
   return(0);
}

//+------------------------------------------------------------------+
//| Every tick: read the signal, show it, bring the levels in line.  |
//+------------------------------------------------------------------+
int start()
{
   string record = ReadSignalRecord();
   string field = GetField(record, "Signal");
   if(field == "")
   {
      // No file (Quorvane is not running or disconnected the terminal):
      // hold the positions as they are.
      Comment("Quorvane: no signal for ", StringSubstr(Symbol(), 0, 6));
      return(0);
   }

   double signal = StrToDouble(field);
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
   Comment("Quorvane signal ", field, " (", side, "), lamps lit: ", lamps, " of 8");

   // A turned signal first closes everything held the other way.
   CloseLevels(against, CountLevels(against));

   int held = CountLevels(along);
   if(held > want)
      CloseLevels(along, held - want);
   else if(held < want && !OnlyClose)
      OpenLevels(along, want - held);
   return(0);
}
//+------------------------------------------------------------------+
