// SPDX-License-Identifier: MIT
// The signal history at the poll's pace: 8 symbols every 15 s, as the demo
// service sends them. Measured: storing one poll (one transaction, WAL,
// synchronous=NORMAL), the file's size after one day (5,760 polls), and
// reading 30 days of one symbol (172,800 records) as the History page does.
// What the page then does with them is in historypage_bench.cpp.

#include "demohistory.h"

#include "history/historyexport.h"
#include "history/historyreader.h"
#include "history/historystore.h"
#include "tests/support/scratchfolder.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace quorvane;
using namespace quorvane::bench;

namespace {

void BM_RecordPoll(benchmark::State& state)
{
    test::ScratchFolder dir;
    DemoFeed feed;
    std::vector<std::vector<std::string>> polls;
    for (int k = 0; k < 1000; ++k)
        polls.push_back(feed.poll(k));
    HistoryStore store(optionsAt(dir / "history.sqlite", kStart));
    int k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.recordPoll(kStart + k * kPollMs, polls[k % polls.size()]));
        ++k;
    }
    state.SetItemsProcessed(state.iterations() * 8);
}
BENCHMARK(BM_RecordPoll)->Unit(benchmark::kMicrosecond);

void BM_OneDayOnDisk(benchmark::State& state)
{
    long long bytes = 0;
    for (auto _ : state) {
        test::ScratchFolder dir;
        fill(dir / "history.sqlite", kPollsPerDay);
        bytes = sizeOnDisk(dir / "history.sqlite");
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    std::printf("history.sqlite after one day (%d polls of 8 records): %lld bytes (%.2f MB)\n", kPollsPerDay, bytes,
                static_cast<double>(bytes) / (1024.0 * 1024.0));
}
BENCHMARK(BM_OneDayOnDisk)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Points30DaysOneSymbol(benchmark::State& state)
{
    const HistoryReader reader(thirtyDaysFile());
    std::size_t count = 0;
    for (auto _ : state) {
        const std::vector<HistoryPoint> points = reader.points("EURUSD", kStart, kStart + 31LL * 86400000);
        count = points.size();
        benchmark::DoNotOptimize(points.data());
    }
    state.counters["records"] = static_cast<double>(count);
}
BENCHMARK(BM_Points30DaysOneSymbol)->Unit(benchmark::kMillisecond);

void BM_ExportCsv30DaysAllSymbols(benchmark::State& state)
{
    const std::string& file = thirtyDaysFile();
    test::ScratchFolder dir;
    for (auto _ : state) {
        std::ofstream out(dir / "export.csv", std::ios::binary | std::ios::trunc);
        exportHistoryCsv(file, std::nullopt, std::nullopt, out);
    }
}
BENCHMARK(BM_ExportCsv30DaysAllSymbols)->Iterations(2)->Unit(benchmark::kMillisecond);

} // namespace
