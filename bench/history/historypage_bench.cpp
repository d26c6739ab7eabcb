// SPDX-License-Identifier: MIT
// What showing 30 days of one symbol on the History page costs (15 s polls:
// 172,800 records): the reduction alone, choosing a symbol until the chart is
// drawn (read from history.sqlite, reduce, update, draw), and a redraw.

#include "demohistory.h"
#include "tests/support/fakehistorysource.h"

#include "history/historypage.h"
#include "history/historyreader.h"
#include "history/historyreduce.h"

#include <QPixmap>

#include <benchmark/benchmark.h>

namespace {

using namespace quorvane;
using namespace quorvane::bench;

constexpr std::int64_t kDayMs = 24 * 3600 * 1000;
constexpr std::int64_t kNow = kStart + 30 * kDayMs;
constexpr std::size_t kThirtyDays = 30 * 24 * 240;

HistoryPage::Services servicesAtNow()
{
    HistoryPage::Services services;
    services.nowUtcMs = [] { return kNow; };
    return services;
}

void BM_ReduceThirtyDays(benchmark::State& state)
{
    const std::vector<HistoryPoint> points = test::demoWalk("EURUSD", 1.0842, 5, kStart, kPollMs, kThirtyDays);
    const int columns = static_cast<int>(state.range(0));
    std::size_t kept = 0;
    for (auto _ : state) {
        const HistorySeries series = reduceToColumns(points, kStart, kNow, columns);
        kept = series.signal.size() + series.price.size();
        benchmark::DoNotOptimize(kept);
    }
    state.counters["records"] = static_cast<double>(points.size());
    state.counters["kept"] = static_cast<double>(kept);
}
BENCHMARK(BM_ReduceThirtyDays)->Arg(700)->Arg(1400)->Unit(benchmark::kMillisecond);

// The user picks the other symbol on the 30-day range: read from the file,
// reduce, update the chart and draw it once. This is the time to show 30 days.
void BM_ChooseThirtyDaysOfASymbol(benchmark::State& state)
{
    const HistoryReader reader(thirtyDaysFile());
    HistoryPage page(&reader, servicesAtNow());
    page.resize(776, 520);
    page.show();
    page.setRange(HistoryRange::ThirtyDays);
    bool other = false;
    for (auto _ : state) {
        other = !other;
        page.setSymbol(QString::fromLatin1(other ? "GBPUSD" : "EURUSD"));
        const QPixmap drawn = page.chartView()->grab();
        benchmark::DoNotOptimize(drawn.cacheKey());
    }
    state.counters["records"] = static_cast<double>(page.shownPoints().size());
}
BENCHMARK(BM_ChooseThirtyDaysOfASymbol)->Unit(benchmark::kMillisecond)->MinTime(2);

// The same without the reading: the chart update and one drawing.
void BM_RedrawThirtyDays(benchmark::State& state)
{
    test::FakeHistorySource source;
    source.add(test::demoWalk("EURUSD", 1.0842, 5, kStart, kPollMs, kThirtyDays, 1));
    HistoryPage page(&source, servicesAtNow());
    page.resize(776, 520);
    page.show();
    page.setRange(HistoryRange::ThirtyDays);
    double maximum = 0.25;
    for (auto _ : state) {
        maximum = maximum == 0.25 ? 0.5 : 0.25;
        page.setMaximumSignal(maximum);
        const QPixmap drawn = page.chartView()->grab();
        benchmark::DoNotOptimize(drawn.cacheKey());
    }
}
BENCHMARK(BM_RedrawThirtyDays)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace
