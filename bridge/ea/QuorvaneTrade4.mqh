// SPDX-License-Identifier: MIT
//+------------------------------------------------------------------+
//| QuorvaneTrade4.mqh - how Quorvane.mq4 talks to the broker: its   |
//| own orders counted and closed oldest first, a level opened with  |
//| its stop in the order or set right after the fill, refusals      |
//| sorted into worth another try and permanent, the pool looked at  |
//| again after a timed-out close, and whether a request may go out  |
//| now. MQL4 only. The advisor includes it once, after its globals  |
//| (a refusal stops at g_lamps); included once, it needs no guard.  |
//+------------------------------------------------------------------+

// OnInit starts these afresh, with the advisor's own globals.
int  g_closingTicket = 0;        // a close that timed out: it may still have gone through
bool g_stopAfterFill = false;    // the server takes no stop in the order (market execution)

// This advisor's orders on this chart's symbol: not manual ones, not other advisors'.
bool IsOurs(int type)
{
   return(OrderSymbol() == Symbol() && OrderMagicNumber() == magic && OrderType() == type);
}

int CountLevels(int type)
{
   int count = 0;
   for(int i = OrdersTotal() - 1; i >= 0; i--)
   {
      if(OrderSelect(i, SELECT_BY_POS, MODE_TRADES) && IsOurs(type))
         count++;
   }
   return(count);
}

// The protective stop for a position of `type` at today's quotes.
double StopLossPrice(int type)
{
   return(StopLossAt(type == OP_BUY, Bid, Ask, Point, Digits, MarketInfo(Symbol(), MODE_STOPLEVEL)));
}

// Lot size of one level, on the broker's lot grid; 0 when below its minimum.
double LevelLots()
{
   double lots = BudgetLots(AccountEquity(), MarketInfo(Symbol(), MODE_MARGINREQUIRED));
   return(RoundLots(lots, MarketInfo(Symbol(), MODE_LOTSTEP), MarketInfo(Symbol(), MODE_MINLOT),
                    MarketInfo(Symbol(), MODE_MAXLOT)));
}

//+------------------------------------------------------------------+
//| The oldest of this advisor's orders of `type`, or -1. Closing    |
//| oldest first is what FIFO accounts demand and valid everywhere;  |
//| the pool's order says nothing about age.                         |
//+------------------------------------------------------------------+
int OldestLevel(int type)
{
   int ticket = -1;
   datetime opened = 0;
   for(int i = OrdersTotal() - 1; i >= 0; i--)
   {
      if(!OrderSelect(i, SELECT_BY_POS, MODE_TRADES) || !IsOurs(type))
         continue;
      if(ticket < 0 || OrderOpenTime() < opened || (OrderOpenTime() == opened && OrderTicket() < ticket))
      {
         ticket = OrderTicket();
         opened = OrderOpenTime();
      }
   }
   return(ticket);
}

// Errors after which the same request may well succeed a little later.
bool IsTransient(int error)
{
   return(error == ERR_SERVER_BUSY || error == ERR_NO_CONNECTION || error == ERR_TOO_FREQUENT_REQUESTS
          || error == ERR_TRADE_TIMEOUT || error == ERR_INVALID_PRICE || error == ERR_MARKET_CLOSED
          || error == ERR_PRICE_CHANGED || error == ERR_OFF_QUOTES || error == ERR_BROKER_BUSY
          || error == ERR_REQUOTE || error == ERR_TOO_MANY_REQUESTS || error == ERR_TRADE_CONTEXT_BUSY);
}

// 148 to 150 by number: their names in stderror.mqh are not documented.
string ErrorText(int error)
{
   if(error == ERR_INVALID_STOPS)
      return("invalid stops");
   if(error == ERR_INVALID_TRADE_VOLUME)
      return("invalid volume");
   if(error == ERR_TRADE_DISABLED)
      return("trade disabled");
   if(error == ERR_NOT_ENOUGH_MONEY)
      return("not enough money");
   if(error == 148)
      return("too many orders");
   if(error == 149)
      return("hedging prohibited");
   if(error == 150)
      return("FIFO rule");
   return("refused");
}

//+------------------------------------------------------------------+
//| A refused request. Transient: wait RetryWaitSeconds (a timeout   |
//| at least a minute, since the order may still appear in the pool) |
//| by GetTickCount(), which no clock change moves. Permanent: one   |
//| alert, and no orders until the lit-lamp count changes.           |
//+------------------------------------------------------------------+
void Refuse(string what, int error)
{
   StopUntilLampsChange(what + " refused, error " + IntegerToString(error) + " (" + ErrorText(error) + ")", g_lamps);
   Alert("Quorvane ", Symbol(), ": ", g_stoppedText, "; no more orders until the lamps change");
}

void Failed(string what, int error)
{
   if(!IsTransient(error))
   {
      Refuse(what, error);
      return;
   }
   int wait = RetrySeconds(error == ERR_TRADE_TIMEOUT);
   WaitBeforeRetry(wait);
   Print("Quorvane: ", what, " failed, error ", IntegerToString(error), "; next try in ", IntegerToString(wait), " s");
}

bool CloseTicket(int ticket)
{
   if(!OrderSelect(ticket, SELECT_BY_TICKET, MODE_TRADES))
      return(false);
   RefreshRates();
   double price = Bid;
   if(OrderType() == OP_SELL)
      price = Ask;
   ResetLastError();
   return(OrderClose(ticket, OrderLots(), NormalizeDouble(price, Digits), Slippage * PipPoints(Digits), clrNONE));
}

bool CloseOldest(int type)
{
   int ticket = OldestLevel(type);
   if(ticket < 0)
      return(true);
   if(CloseTicket(ticket))
      return(true);
   int error = GetLastError();
   if(error == ERR_TRADE_TIMEOUT)
      g_closingTicket = ticket;
   Failed("closing ticket " + IntegerToString(ticket), error);
   return(false);
}

// A close that timed out may still have gone through: true when the pool
// shows it closed. Looked at once; the ticket is forgotten either way.
bool ClosedAfterTimeout()
{
   if(g_closingTicket <= 0)
      return(false);
   bool closed = OrderSelect(g_closingTicket, SELECT_BY_TICKET, MODE_TRADES) && OrderCloseTime() != 0;
   g_closingTicket = 0;
   return(closed);
}

//+------------------------------------------------------------------+
//| Sets the stop of a position filled without one. When it cannot   |
//| be set, the position is closed: none is left unprotected.        |
//+------------------------------------------------------------------+
bool ProtectOrder(int ticket, int type)
{
   int error = 0;
   for(int attempt = 0; attempt < 3; attempt++)
   {
      if(attempt > 0)
         Sleep(500);
      if(!OrderSelect(ticket, SELECT_BY_TICKET, MODE_TRADES))
         break;
      RefreshRates();
      ResetLastError();
      if(OrderModify(ticket, OrderOpenPrice(), StopLossPrice(type), OrderTakeProfit(), 0, clrNONE))
         return(true);
      error = GetLastError();
      if(!IsTransient(error))
         break;
   }
   // Opening again would only pay the spread once more: stop until the lamps change.
   bool closed = false;
   for(int again = 0; again < 3 && !closed; again++)
      closed = CloseTicket(ticket);
   if(closed)
      Refuse("setting the stop of ticket " + IntegerToString(ticket) + " (closed again)", error);
   else
   {
      Refuse("setting the stop of ticket " + IntegerToString(ticket), error);
      Alert("Quorvane ", Symbol(), ": ticket ", IntegerToString(ticket),
            " is open WITHOUT its stop and could not be closed: close it by hand");
   }
   return(false);
}

//+------------------------------------------------------------------+
//| Opens one level. A server that takes no stop in the order        |
//| (market execution, or a refusal with 130) gets the order without |
//| one and the stop right after the fill.                           |
//+------------------------------------------------------------------+
bool OpenLevel(int type, double lots)
{
   RefreshRates();
   double price = Ask;
   if(type == OP_SELL)
      price = Bid;
   bool stopAfter = g_stopAfterFill && StopLossPips > 0;
   double stop = 0;
   if(StopLossPips > 0 && !stopAfter)
      stop = StopLossPrice(type);
   ResetLastError();
   int ticket = OrderSend(Symbol(), type, lots, NormalizeDouble(price, Digits), Slippage * PipPoints(Digits), stop, 0,
                          "Quorvane", magic, 0, clrNONE);
   if(ticket < 0)
   {
      int error = GetLastError();
      if(error == ERR_INVALID_STOPS && stop != 0)
      {
         Print("Quorvane: the server refused the stop in the order; it is set after the fill from now on");
         g_stopAfterFill = true;
         return(OpenLevel(type, lots));
      }
      Failed("opening a level", error);
      return(false);
   }
   if(stopAfter)
      return(ProtectOrder(ticket, type));
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
   if(Waiting())
      return("waiting after a failed order");
   return("");
}
