// SPDX-License-Identifier: MIT
#include "simulator.h"

double Ask = 0;
double Bid = 0;
double Point = 0.00001;
int Digits = 5;

void OnTick(); // the expert advisor's

namespace mql4sim {

double Terminal::usedMargin() const
{
    double used = 0;
    for (const Order& order : orders)
        used += order.lots * marginPerLot;
    return used;
}

void Terminal::advance(long long seconds)
{
    now += seconds;
    tickCount += static_cast<unsigned int>(seconds * 1000);
}

Terminal& terminal()
{
    static Terminal t;
    return t;
}

void Tick(int chart, void (*onTick)())
{
    Terminal& t = terminal();
    Ask = t.ask;
    Bid = t.bid;
    Point = t.point;
    Digits = t.digits;
    t.chart = chart;
    onTick();
    t.chart = 0;
}

void Tick() { Tick(0, &::OnTick); }

} // namespace mql4sim
