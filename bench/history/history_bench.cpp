// The signal history at the poll's pace: 8 symbols every 15 s, as the demo
// service sends them. Measured: storing one poll (one transaction, WAL,
// synchronous=NORMAL), the file's size after one day (5,760 polls), and
// reading 30 days of one symbol (172,800 records) as the History page does.

#include "history/historyexport.h"
#include "history/historyreader.h"
#include "history/historystore.h"
#include "scratchfolder.h"

#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace quorvane;

namespace {

constexpr std::int64_t kStart = 1796688000000; // 2026-12-08T00:00:00Z
constexpr std::int64_t kPollMs = 15000;
constexpr int kPollsPerDay = 24 * 60 * 60 * 1000 / kPollMs;

// Random-walk prices and smoothly drifting signals, written as the demo service does.
class DemoFeed {
public:
    std::vector<std::string> poll(int index)
    {
        static const char* const symbols[] = {"EURUSD", "GBPUSD", "USDJPY", "USDCHF",
                                              "AUDUSD", "USDCAD", "NZDUSD", "EURGBP"};
        const std::int64_t minutes = (kStart + index * kPollMs) / 60000;
        char time[32];
        std::snprintf(time, sizeof time, "2026.12.%02lld %02lld:%02lld", 8 + static_cast<long long>(minutes / 1440 % 30),
                      static_cast<long long>(minutes / 60 % 24), static_cast<long long>(minutes % 60));
        std::vector<std::string> records;
        for (int s = 0; s < 8; ++s) {
            m_price[s] *= 1.0 + 0.0003 * m_noise(m_random);
            m_signal[s] = std::max(-1.0, std::min(1.0, 0.97 * m_signal[s] + 0.03 * m_noise(m_random)));
            char record[160];
            std::snprintf(record, sizeof record, "(Symbol:%s,Price:%.*f,Time:%s,Signal:%.4f)", symbols[s],
                          s == 2 ? 3 : 5, m_price[s], time, m_signal[s]);
            records.emplace_back(record);
        }
        return records;
    }

private:
    std::mt19937 m_random{42};
    std::normal_distribution<double> m_noise;
    double m_price[8] = {1.0842, 1.2671, 149.82, 0.8815, 0.6583, 1.3594, 0.6127, 0.8556};
    double m_signal[8] = {0.3, -0.2, 0.1, 0.5, -0.6, 0.0, 0.2, -0.1};
};

HistoryOptions optionsAt(const std::string& file, std::int64_t now)
{
    HistoryOptions options;
    options.file = file;
    options.clock = [now] { return now; };
    options.reportError = [](const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); };
    return options;
}

long long sizeOnDisk(const std::string& file)
{
    long long total = 0;
    for (const char* suffix : {"", "-wal"}) {
        struct stat info {};
        if (::stat((file + suffix).c_str(), &info) == 0)
            total += info.st_size;
    }
    return total;
}

void fill(const std::string& file, int polls)
{
    DemoFeed feed;
    HistoryStore store(optionsAt(file, kStart + polls * kPollMs));
    for (int k = 0; k < polls; ++k)
        store.recordPoll(kStart + k * kPollMs, feed.poll(k));
}

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

// 30 days of 8 symbols, made once for the reading benchmarks.
const std::string& thirtyDays()
{
    static test::ScratchFolder dir;
    static const std::string file = dir / "history.sqlite";
    static const bool made = [] {
        fill(file, 30 * kPollsPerDay);
        std::printf("history.sqlite after 30 days: %lld bytes (%.1f MB)\n", sizeOnDisk(file),
                    static_cast<double>(sizeOnDisk(file)) / (1024.0 * 1024.0));
        return true;
    }();
    (void)made;
    return file;
}

void BM_Points30DaysOneSymbol(benchmark::State& state)
{
    const HistoryReader reader(thirtyDays());
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
    const std::string& file = thirtyDays();
    test::ScratchFolder dir;
    for (auto _ : state) {
        std::ofstream out(dir / "export.csv", std::ios::binary | std::ios::trunc);
        exportHistoryCsv(file, std::nullopt, std::nullopt, out);
    }
}
BENCHMARK(BM_ExportCsv30DaysAllSymbols)->Iterations(2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
