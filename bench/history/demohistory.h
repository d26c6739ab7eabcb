// SPDX-License-Identifier: MIT
#pragma once
// A history file filled as the demo service fills it: 8 symbols every 15 s,
// random-walk prices and smoothly drifting signals. Shared by the store's and
// the History page's benchmarks.

#include "history/historystore.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace quorvane::bench {

constexpr std::int64_t kStart = 1796688000000; // 2026-12-08T00:00:00Z
constexpr std::int64_t kPollMs = 15000;
constexpr int kPollsPerDay = 24 * 60 * 60 * 1000 / kPollMs;

/// The records of successive polls, as the demo service writes them.
class DemoFeed {
public:
    std::vector<std::string> poll(int index);

private:
    std::mt19937 m_random{42};
    std::normal_distribution<double> m_noise;
    double m_price[8] = {1.0842, 1.2671, 149.82, 0.8815, 0.6583, 1.3594, 0.6127, 0.8556};
    double m_signal[8] = {0.3, -0.2, 0.1, 0.5, -0.6, 0.0, 0.2, -0.1};
};

/// A store on `file` whose clock stands at `now`; failures go to stderr.
HistoryOptions optionsAt(const std::string& file, std::int64_t now);

/// The file and its -wal, in bytes.
long long sizeOnDisk(const std::string& file);

/// Records `polls` polls from kStart into `file`.
void fill(const std::string& file, int polls);

/// 30 days of 8 symbols, made once per run in a scratch folder.
const std::string& thirtyDaysFile();

} // namespace quorvane::bench
