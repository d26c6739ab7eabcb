// SPDX-License-Identifier: MIT
// How the main window's poll scales and what one real poll costs.
//
//   build*/bin/window_bench                      all figures
//   build*/bin/window_bench --benchmark_filter=Split   only the data path
//
// The loopback figures need php (the demo service, sim/start.sh).

#include "tests/support/acceptingtray.h"
#include "app/formservices.h"
#include "core/records.h"
#include "tests/support/scratchfolder.h"
#include "app/tform1.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace quorvane;

std::string makeReply(int records, char prefix = 'S')
{
    std::string reply;
    reply.reserve(static_cast<std::size_t>(records) * 70);
    for (int i = 0; i < records; ++i) {
        reply += std::string("(Symbol:") + prefix + std::to_string(10000 + i) + "x,Price:1.08" + std::to_string(i % 100) +
                 ",Time:2026.12.08 10:00,Signal:0.1" + std::to_string(i % 10) + ")";
    }
    return reply;
}

// The data path of one poll without widgets: split, selector sync, one field
// lookup per record. Must grow linearly with the reply.
void BM_SplitSyncGetField(benchmark::State& state)
{
    const std::string reply = makeReply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::vector<std::string> records = SplitReply(reply);
        std::vector<std::string> items;
        syncSymbolItems(items, records);
        std::size_t total = 0;
        for (const std::string& r : records)
            total += GetField(r, "Signal").size() + GetField(r, "Price").size();
        benchmark::DoNotOptimize(total);
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(reply.size()));
}
BENCHMARK(BM_SplitSyncGetField)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond)->Complexity();

class CannedService : public HelloWorldPortType {
public:
    explicit CannedService(const std::string* reply) : m_reply(reply) {}
    std::string Signal(int, const std::string&) override { return *m_reply; }

private:
    const std::string* m_reply;
};

FormServices services(const std::string& folder, std::function<std::shared_ptr<HelloWorldPortType>()> factory)
{
    FormServices s;
    s.executablePath = folder + "/quorvane";
    s.signalService = std::move(factory);
    s.reportError = [](const std::string&) {};
    // The desktop's notification area is not what is measured here.
    s.trayShell = std::make_unique<test::AcceptingTray>();
    return s;
}

// The same through the window: the poll refills the selector (every poll
// alternates two symbol sets, so the items are replaced each time).
void BM_WindowPollInMemory(benchmark::State& state)
{
    test::ScratchFolder dir;
    const std::string a = makeReply(static_cast<int>(state.range(0)), 'S');
    const std::string b = makeReply(static_cast<int>(state.range(0)), 'T');
    const std::string* current = &a;
    TForm1 form(services(dir.path(), [&] { return std::make_shared<CannedService>(current); }));
    for (auto _ : state) {
        current = current == &a ? &b : &a;
        form.Timer1Timer();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_WindowPollInMemory)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

/// The demo service on loopback for the duration of the run.
struct DemoService {
    std::string url;
    std::string pid;
    DemoService()
    {
        QProcess start;
        start.start(QStringLiteral("sh"), {QStringLiteral(QUORVANE_SOURCE_DIR "/sim/start.sh")});
        if (!start.waitForFinished(30000) || start.exitCode() != 0)
            return;
        const QStringList lines = QString::fromLocal8Bit(start.readAllStandardOutput()).split('\n');
        if (lines.size() >= 2) {
            url = lines[0].trimmed().toStdString();
            pid = lines[1].trimmed().toStdString();
        }
    }
    ~DemoService()
    {
        if (!pid.empty())
            QProcess::execute(QStringLiteral("sh"),
                              {QStringLiteral(QUORVANE_SOURCE_DIR "/sim/stop.sh"), QString::fromStdString(pid)});
    }
};

DemoService& demo()
{
    static DemoService service;
    return service;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

// One whole poll against the demo service: timer tick to repainted lamps.
void BM_PollLoopback(benchmark::State& state)
{
    if (demo().url.empty()) {
        state.SkipWithError("demo service did not start (php missing?)");
        return;
    }
    test::ScratchFolder dir;
    const std::string url = demo().url;
    TForm1 form(services(dir.path(), [url] { return GetSignalService(false, url); }));
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        state.SkipWithError("window not exposed");
        return;
    }
    for (auto _ : state)
        form.Timer1Timer();
}
BENCHMARK(BM_PollLoopback)
    ->Iterations(1)
    ->Repetitions(100)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p90", [](const std::vector<double>& v) { return percentile(v, 0.9); })
    ->Unit(benchmark::kMillisecond);

long residentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Start-up to the first shown window (first poll included), and resident
// memory across 100 polls: growth would show as a gap between the two counters.
void BM_StartupAndMemory(benchmark::State& state)
{
    if (demo().url.empty()) {
        state.SkipWithError("demo service did not start (php missing?)");
        return;
    }
    const std::string url = demo().url;
    for (auto _ : state) {
        test::ScratchFolder dir;
        QElapsedTimer clock;
        clock.start();
        TForm1 form(services(dir.path(), [url] { return GetSignalService(false, url); }));
        form.show();
        if (!QTest::qWaitForWindowExposed(&form)) {
            state.SkipWithError("window not exposed");
            return;
        }
        state.counters["startup_ms"] = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        for (int i = 0; i < 10; ++i)
            form.Timer1Timer();
        const long after10 = residentKiB();
        for (int i = 10; i < 100; ++i)
            form.Timer1Timer();
        state.counters["rss_after_10_polls_KiB"] = static_cast<double>(after10);
        state.counters["rss_after_100_polls_KiB"] = static_cast<double>(residentKiB());
    }
}
BENCHMARK(BM_StartupAndMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
