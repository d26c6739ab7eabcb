// SPDX-License-Identifier: MIT
// A committed sample must cost one scroll and one column, never a redraw of
// the history: compare 10,000 Update calls with single full Replays on a
// 400 x 200 graph with three series.
#include "samples/perfgrap/performancechart.h"

#include <benchmark/benchmark.h>

using namespace quorvane;

namespace {

void feed(PerformanceChart& chart, int n)
{
    chart.DataPoint(QColor(255, 64, 64), 100 + (n * 37) % 250);
    chart.DataPoint(QColor(255, 220, 0), 400 + (n * 53) % 200);
    chart.DataPoint(QColor(64, 160, 255), 650 + (n * 29) % 250);
    // Holds the scale at 1000 so that no sample changes it.
    chart.DataPoint(QColor(255, 255, 255), 950);
}

PerformanceChart filledChart(TGraphKind kind)
{
    PerformanceChart chart;
    chart.SetKind(kind);
    chart.setSize(400, 200);
    for (int n = 0; n < 200; ++n) {
        feed(chart, n);
        chart.Update();
    }
    return chart;
}

void BM_Update10000(benchmark::State& state)
{
    PerformanceChart chart = filledChart(static_cast<TGraphKind>(state.range(0)));
    int replays = 0;
    chart.onScaleChange = [&replays] { ++replays; };
    for (auto _ : state) {
        for (int n = 0; n < 10000; ++n) {
            feed(chart, n);
            chart.Update();
        }
        benchmark::DoNotOptimize(chart.picture().constBits());
    }
    state.counters["replays"] = replays;
}
BENCHMARK(BM_Update10000)->Arg(pgLine)->Arg(pgBar)->Unit(benchmark::kMillisecond);

void BM_Replay(benchmark::State& state)
{
    PerformanceChart chart = filledChart(static_cast<TGraphKind>(state.range(0)));
    for (auto _ : state) {
        chart.Replay();
        benchmark::DoNotOptimize(chart.picture().constBits());
    }
}
BENCHMARK(BM_Replay)->Arg(pgLine)->Arg(pgBar)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
