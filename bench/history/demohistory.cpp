// SPDX-License-Identifier: MIT
#include "demohistory.h"

#include "tests/support/scratchfolder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

namespace quorvane::bench {

std::vector<std::string> DemoFeed::poll(int index)
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

const std::string& thirtyDaysFile()
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

} // namespace quorvane::bench
