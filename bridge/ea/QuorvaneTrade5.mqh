// SPDX-License-Identifier: MIT
//+------------------------------------------------------------------+
//| QuorvaneTrade5.mqh - how Quorvane.mq5 talks to the broker: its   |
//| positions counted on netting accounts (one position, its volume  |
//| in steps of one level's lots) and on hedging accounts (one each),|
//| closed oldest first; deals built, checked and sent with a filling|
//| mode the symbol takes (the other one tried on 10030), the stop   |
//| set after the fill where the deal may not carry it, retcodes     |
//| sorted into worth another try and permanent; and the permissions |
//| an order needs. MQL5 only. The advisor includes it once, after   |
//| its globals (a refusal stops at g_lamps); it needs no guard.     |
//+------------------------------------------------------------------+

// What an order came to: done, worth another try after the back-off, or
// refused for a reason that trying again cannot mend.
enum TradeOutcome
{
   TradeDone,
   TradeRetry,
   TradeStop
};

// OnInit sets these afresh, with the advisor's own globals.
string   g_lotsName = "";        // terminal variable with one level's lots on a netting account
bool     g_hedging = false;
bool     g_foreign = false;      // a netting position on this symbol that is not ours
double   g_levelLots = 0;        // lots of one level while a netting position is held
ENUM_ORDER_TYPE_FILLING g_filling = ORDER_FILLING_FOK;
ENUM_ORDER_TYPE_FILLING g_otherFilling = ORDER_FILLING_FOK;
bool     g_hasOther = false;

// Lots on the symbol's volume grid; 0 below its minimum.
double StepLots(double lots)
{
   return(RoundLots(lots, SymbolInfoDouble(Symbol(), SYMBOL_VOLUME_STEP), SymbolInfoDouble(Symbol(), SYMBOL_VOLUME_MIN),
                    SymbolInfoDouble(Symbol(), SYMBOL_VOLUME_MAX)));
}

// Lots of one level, over the margin of one lot as the terminal works it out.
double LevelLots()
{
   double perLot = 0;
   if(!OrderCalcMargin(ORDER_TYPE_BUY, Symbol(), 1.0, SymbolInfoDouble(Symbol(), SYMBOL_ASK), perLot))
      perLot = 0;
   return(StepLots(BudgetLots(AccountInfoDouble(ACCOUNT_EQUITY), perLot)));
}

// A netting position counts in steps of the lots its first level had,
// kept in a terminal variable so that a restart counts the same way.
double NettingLevelLots()
{
   if(g_levelLots <= 0)
   {
      g_levelLots = LevelLots();
      if(g_levelLots > 0)
         GlobalVariableSet(g_lotsName, g_levelLots);
   }
   return(g_levelLots);
}

bool IsOurs(ulong ticket)
{
   return(PositionSelectByTicket(ticket) && PositionGetString(POSITION_SYMBOL) == Symbol()
          && PositionGetInteger(POSITION_MAGIC) == magic);
}

// The netting account's one position on this symbol; 0 when flat. Sets g_foreign.
ulong NettingPosition()
{
   g_foreign = false;
   for(int i = PositionsTotal() - 1; i >= 0; i--)
   {
      ulong ticket = PositionGetTicket(i);
      if(ticket == 0 || PositionGetString(POSITION_SYMBOL) != Symbol())
         continue;
      if(PositionGetInteger(POSITION_MAGIC) != magic)
      {
         g_foreign = true;
         return(0);
      }
      return(ticket);
   }
   return(0);
}

// Levels held on one side (+1 long, -1 short).
int CountLevels(int side)
{
   long type = side > 0 ? POSITION_TYPE_BUY : POSITION_TYPE_SELL;
   if(!g_hedging)
   {
      ulong ticket = NettingPosition();
      if(ticket == 0 || !PositionSelectByTicket(ticket) || PositionGetInteger(POSITION_TYPE) != type)
         return(0);
      double lots = NettingLevelLots();
      if(lots <= 0)
         return(0);
      return((int)MathFloor(PositionGetDouble(POSITION_VOLUME) / lots + 0.5));
   }
   int count = 0;
   for(int i = PositionsTotal() - 1; i >= 0; i--)
   {
      ulong ticket = PositionGetTicket(i);
      if(ticket != 0 && IsOurs(ticket) && PositionGetInteger(POSITION_TYPE) == type)
         count++;
   }
   return(count);
}

// The oldest of our positions on one side: FIFO accounts refuse any other order of closing.
ulong OldestPosition(int side)
{
   long type = side > 0 ? POSITION_TYPE_BUY : POSITION_TYPE_SELL;
   ulong oldest = 0;
   long oldestTime = 0;
   for(int i = PositionsTotal() - 1; i >= 0; i--)
   {
      ulong ticket = PositionGetTicket(i);
      if(ticket == 0 || !IsOurs(ticket) || PositionGetInteger(POSITION_TYPE) != type)
         continue;
      long opened = PositionGetInteger(POSITION_TIME_MSC);
      if(oldest == 0 || opened < oldestTime || (opened == oldestTime && ticket < oldest))
      {
         oldest = ticket;
         oldestTime = opened;
      }
   }
   return(oldest);
}

//+------------------------------------------------------------------+
//| The filling mode. SYMBOL_FILLING_MODE is a mask of FOK and IOC    |
//| (by their names: the values are not in every manual); instant     |
//| execution takes FOK only, and so request execution gets FOK, the  |
//| only mode any copy of the manual allows there. RETURN suits market|
//| orders only under exchange execution. A market-execution symbol    |
//| that allows neither is not documented: FOK first, IOC on a 10030.  |
//+------------------------------------------------------------------+
void ChooseFilling()
{
   long mask = SymbolInfoInteger(Symbol(), SYMBOL_FILLING_MODE);
   long execution = SymbolInfoInteger(Symbol(), SYMBOL_TRADE_EXEMODE);
   bool fok = (mask & SYMBOL_FILLING_FOK) != 0;
   bool ioc = (mask & SYMBOL_FILLING_IOC) != 0;
   g_filling = ORDER_FILLING_FOK;
   g_hasOther = false;
   if(execution == SYMBOL_TRADE_EXECUTION_INSTANT || execution == SYMBOL_TRADE_EXECUTION_REQUEST)
      return;
   if(fok && ioc)
   {
      g_otherFilling = ORDER_FILLING_IOC;
      g_hasOther = true;
   }
   else if(ioc)
      g_filling = ORDER_FILLING_IOC;
   else if(!fok && execution == SYMBOL_TRADE_EXECUTION_EXCHANGE)
      g_filling = ORDER_FILLING_RETURN;
   else if(!fok)
   {
      g_otherFilling = ORDER_FILLING_IOC;
      g_hasOther = true;
   }
}

bool MarketExecution()
{
   long execution = SymbolInfoInteger(Symbol(), SYMBOL_TRADE_EXEMODE);
   return(execution == SYMBOL_TRADE_EXECUTION_MARKET || execution == SYMBOL_TRADE_EXECUTION_EXCHANGE);
}

bool IsDone(uint code)
{
   return(code == TRADE_RETCODE_DONE || code == TRADE_RETCODE_PLACED || code == TRADE_RETCODE_DONE_PARTIAL);
}

// Results worth another try after the back-off. Everything else (invalid stops,
// volume, no money, trading disabled, limits, hedging and FIFO refusals, and codes
// this advisor does not know) is permanent: trying again would only repeat it.
bool IsTransient(uint code)
{
   return(code == TRADE_RETCODE_REQUOTE || code == TRADE_RETCODE_PRICE_CHANGED || code == TRADE_RETCODE_PRICE_OFF
          || code == TRADE_RETCODE_TOO_MANY_REQUESTS || code == TRADE_RETCODE_CONNECTION
          || code == TRADE_RETCODE_TIMEOUT || code == TRADE_RETCODE_MARKET_CLOSED || code == TRADE_RETCODE_LOCKED
          || code == TRADE_RETCODE_FROZEN);
}

//+------------------------------------------------------------------+
//| OrderCheck, then OrderSend; the server's answer is the retcode:   |
//| OrderSend returning true only means the request was well formed.  |
//+------------------------------------------------------------------+
uint CheckAndSend(MqlTradeRequest &request, MqlTradeResult &result)
{
   MqlTradeCheckResult check;
   ZeroMemory(check);
   ZeroMemory(result);
   if(!OrderCheck(request, check))
      return(check.retcode != 0 ? check.retcode : (uint)TRADE_RETCODE_ERROR);
   if(!OrderSend(request, result) && result.retcode == 0)
      return(TRADE_RETCODE_ERROR);
   return(result.retcode);
}

// A 10030 tries the other allowed filling mode once; when that one is taken it stays.
uint Send(MqlTradeRequest &request, MqlTradeResult &result)
{
   request.type_filling = g_filling;
   uint code = CheckAndSend(request, result);
   if(code == TRADE_RETCODE_INVALID_FILL && g_hasOther)
   {
      request.type_filling = g_otherFilling;
      code = CheckAndSend(request, result);
      if(code != TRADE_RETCODE_INVALID_FILL)
      {
         g_otherFilling = g_filling;
         g_filling = request.type_filling;
      }
   }
   return(code);
}

TradeOutcome Failed(string what, uint code)
{
   if(IsTransient(code))
   {
      // A timed-out order may still have been executed: the levels are counted
      // again before the next order instead of repeating this one.
      int wait = RetrySeconds(code == TRADE_RETCODE_TIMEOUT);
      WaitBeforeRetry(wait);
      Print("Quorvane: ", what, " failed, retcode ", IntegerToString(code), "; next try in ",
            IntegerToString(wait), " s");
      return(TradeRetry);
   }
   StopUntilLampsChange(what + " refused, retcode " + IntegerToString(code), g_lamps);
   Alert("Quorvane: ", g_stoppedText, "; no more orders on ", Symbol(), " until the lamps change");
   return(TradeStop);
}

void Deal(MqlTradeRequest &request, bool buy, double volume, ulong position)
{
   ZeroMemory(request);
   request.action = TRADE_ACTION_DEAL;
   request.symbol = Symbol();
   request.magic = (ulong)magic;
   request.volume = volume;
   request.type = buy ? ORDER_TYPE_BUY : ORDER_TYPE_SELL;
   int digits = (int)SymbolInfoInteger(Symbol(), SYMBOL_DIGITS);
   request.price = NormalizeDouble(SymbolInfoDouble(Symbol(), buy ? SYMBOL_ASK : SYMBOL_BID), digits);
   request.deviation = (ulong)(Slippage * PipPoints(digits));
   request.position = position;
   request.comment = "Quorvane";
}

// The protective stop of a buy or sell at the symbol's quotes now; 0 = none.
double StopLossPrice(bool buy)
{
   return(StopLossAt(buy, SymbolInfoDouble(Symbol(), SYMBOL_BID), SymbolInfoDouble(Symbol(), SYMBOL_ASK),
                     SymbolInfoDouble(Symbol(), SYMBOL_POINT), (int)SymbolInfoInteger(Symbol(), SYMBOL_DIGITS),
                     (double)SymbolInfoInteger(Symbol(), SYMBOL_TRADE_STOPS_LEVEL)));
}

// Closes `volume` of a position (all of it on hedging accounts: one level each).
TradeOutcome Close(int side, ulong ticket, double volume)
{
   MqlTradeRequest request;
   MqlTradeResult result;
   Deal(request, side < 0, volume, ticket);
   uint code = Send(request, result);
   if(IsDone(code))
      return(TradeDone);
   return(Failed("closing " + DoubleToString(volume, 2) + " lots of position " + IntegerToString(ticket), code));
}

//+------------------------------------------------------------------+
//| A broker that refuses a stop in a market-execution deal gets the  |
//| deal without it and the stop right after; a position whose stop   |
//| cannot be set is closed again: none is left without its stop.    |
//+------------------------------------------------------------------+
TradeOutcome SetMissingStop(int side, double opened)
{
   // The new position is found as ours without a stop, not by the deal's or
   // order's ticket: how those map to position tickets is not documented.
   ulong ticket = g_hedging ? 0 : NettingPosition();
   for(int i = PositionsTotal() - 1; i >= 0 && g_hedging; i--)
   {
      ulong candidate = PositionGetTicket(i);
      if(candidate != 0 && IsOurs(candidate) && PositionGetDouble(POSITION_SL) == 0)
         ticket = candidate;
   }
   if(ticket == 0)
      return(TradeDone);
   MqlTradeRequest request;
   MqlTradeResult result;
   ZeroMemory(request);
   request.action = TRADE_ACTION_SLTP;
   request.symbol = Symbol();
   request.magic = (ulong)magic;
   request.position = ticket;
   request.sl = StopLossPrice(side > 0);
   uint code = CheckAndSend(request, result);
   if(code == TRADE_RETCODE_DONE)
      return(TradeDone);
   // Only what was just opened goes: earlier levels of a netting position keep their stop.
   Close(side, ticket, opened);
   return(Failed("setting the stop of position " + IntegerToString(ticket), code));
}

TradeOutcome Open(int side, double volume)
{
   MqlTradeRequest request;
   MqlTradeResult result;
   Deal(request, side > 0, volume, 0);
   request.sl = StopLossPrice(side > 0);
   uint code = Send(request, result);
   if(code == TRADE_RETCODE_INVALID_STOPS && request.sl != 0 && MarketExecution())
   {
      request.sl = 0;
      code = Send(request, result);
      if(IsDone(code))
         return(SetMissingStop(side, result.volume));
   }
   if(code == TRADE_RETCODE_DONE_PARTIAL)
   {
      // What was filled is held and counted; the rest waits for the back-off.
      Print("Quorvane: ", DoubleToString(result.volume, 2), " of ", DoubleToString(volume, 2), " lots filled");
      WaitBeforeRetry(RetryWaitSeconds);
      return(TradeRetry);
   }
   if(IsDone(code))
      return(TradeDone);
   return(Failed("opening " + DoubleToString(volume, 2) + " lots", code));
}

//+------------------------------------------------------------------+
//| Brings one side to `want` levels. The levels are counted again    |
//| before every order: another copy, a late fill after a time-out or |
//| the trader may have changed them since the last count.            |
//+------------------------------------------------------------------+
TradeOutcome Adjust(int side, int want)
{
   if(!g_hedging)
   {
      if(CountLevels(side) == want)
         return(TradeDone);
      ulong ticket = NettingPosition();
      double volume = 0;
      if(ticket != 0 && PositionSelectByTicket(ticket))
         volume = PositionGetDouble(POSITION_VOLUME);
      if(want == 0)
         return(Close(side, ticket, volume));
      if(ticket == 0)
         g_levelLots = 0; // flat: the first level of a new position sets the step
      double target = want * NettingLevelLots();
      double delta = StepLots(MathAbs(target - volume));
      if(delta <= 0)
      {
         Warn("the lot size of one level is below the broker's minimum; nothing opened");
         return(TradeDone);
      }
      if(target > volume)
         return(Open(side, delta));
      return(Close(side, ticket, delta));
   }
   for(int n = 0; n < 16; n++)
   {
      int held = CountLevels(side);
      if(held == want)
         return(TradeDone);
      TradeOutcome outcome = TradeDone;
      if(held > want)
      {
         ulong oldest = OldestPosition(side);
         if(oldest == 0 || !PositionSelectByTicket(oldest))
            return(TradeDone);
         outcome = Close(side, oldest, PositionGetDouble(POSITION_VOLUME));
      }
      else
      {
         double lots = LevelLots();
         if(lots <= 0)
         {
            Warn("the lot size of one level is below the broker's minimum; nothing opened");
            return(TradeDone);
         }
         outcome = Open(side, lots);
      }
      if(outcome != TradeDone)
         return(outcome);
   }
   return(TradeDone);
}

// Which of the four permissions is missing; "" when the advisor may trade.
string MissingPermission()
{
   if(!TerminalInfoInteger(TERMINAL_TRADE_ALLOWED))
      return("Algo Trading is off in the terminal (TERMINAL_TRADE_ALLOWED)");
   if(!MQLInfoInteger(MQL_TRADE_ALLOWED))
      return("Algo Trading is not allowed in this advisor's settings (MQL_TRADE_ALLOWED)");
   if(!AccountInfoInteger(ACCOUNT_TRADE_EXPERT))
      return("the broker allows no expert advisors on this account (ACCOUNT_TRADE_EXPERT)");
   if(!AccountInfoInteger(ACCOUNT_TRADE_ALLOWED))
      return("trading is not allowed on this account, an investor-password login? (ACCOUNT_TRADE_ALLOWED)");
   if(!TerminalInfoInteger(TERMINAL_CONNECTED))
      return("no connection to the trade server");
   return("");
}
