// SPDX-License-Identifier: MIT
#pragma once
// An in-memory signal history for the History page's tests and benchmarks:
// the records it is given, and every question it was asked.

#include "history/historysource.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace quorvane::test {

class FakeHistorySource : public HistorySource {
public:
    struct Query {
        std::string shortName;
        std::int64_t fromMs;
        std::int64_t toMs;
    };

    /// Every record of every symbol, oldest first.
    std::vector<HistoryPoint> records;
    mutable std::vector<Query> queries;
    mutable int symbolCalls = 0;

    std::vector<std::string> symbols() const override
    {
        ++symbolCalls;
        std::set<std::string> names;
        for (const HistoryPoint& p : records)
            names.insert(p.symbol.substr(0, 6));
        return {names.begin(), names.end()};
    }

    std::vector<HistoryPoint> points(const std::string& shortName, std::int64_t fromUtcMs,
                                     std::int64_t toUtcMs) const override
    {
        queries.push_back({shortName, fromUtcMs, toUtcMs});
        const auto begin = std::lower_bound(records.begin(), records.end(), fromUtcMs,
                                            [](const HistoryPoint& p, std::int64_t ms) { return p.receivedUtcMs < ms; });
        std::vector<HistoryPoint> found;
        for (auto it = begin; it != records.end() && it->receivedUtcMs < toUtcMs; ++it) {
            if (it->symbol.substr(0, 6) == shortName)
                found.push_back(*it);
        }
        return found;
    }

    void add(std::vector<HistoryPoint> more)
    {
        records.insert(records.end(), more.begin(), more.end());
        std::stable_sort(records.begin(), records.end(),
                         [](const HistoryPoint& a, const HistoryPoint& b) { return a.receivedUtcMs < b.receivedUtcMs; });
    }
};

/// A number with `decimals` digits after ".", whatever the process's locale.
inline std::string fixedText(double value, int decimals)
{
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    return std::string(text, end);
}

/// `count` records of one symbol every `stepMs` from `fromMs`, walking as the
/// demo service does: the price at random, the signal smoothly after a slow trend.
inline std::vector<HistoryPoint> demoWalk(const std::string& symbol, double price, int decimals, std::int64_t fromMs,
                                          std::int64_t stepMs, std::size_t count, unsigned seed = 1)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> gaussian;
    double signal = std::clamp(0.45 * gaussian(random), -0.9, 0.9);
    double trend = 0;
    std::vector<HistoryPoint> walk;
    walk.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        price *= 1.0 + 0.0003 * gaussian(random);
        trend = std::clamp(0.9 * trend + 0.03 * gaussian(random), -0.15, 0.15);
        signal = std::clamp(0.97 * signal + trend, -1.0, 1.0);
        HistoryPoint p;
        p.receivedUtcMs = fromMs + static_cast<std::int64_t>(i) * stepMs;
        p.symbol = symbol;
        p.price = fixedText(price, decimals);
        p.marketTime = "2026.12.08 10:00";
        p.signalText = fixedText(signal, 4);
        double number = 0;
        std::from_chars(p.signalText.data(), p.signalText.data() + p.signalText.size(), number);
        p.signal = number;
        walk.push_back(std::move(p));
    }
    return walk;
}

} // namespace quorvane::test
