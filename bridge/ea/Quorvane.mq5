//+------------------------------------------------------------------+
//| Quorvane.mq5: stands in for the MQL5 expert advisor until it      |
//| lands; it trades nothing and says so on the chart.                |
//+------------------------------------------------------------------+
#property strict

int OnInit()
{
    Comment("Quorvane: this build carries no MQL5 expert advisor yet");
    return INIT_SUCCEEDED;
}

void OnDeinit(const int reason)
{
    Comment("");
}

void OnTick()
{
}
