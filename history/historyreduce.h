// SPDX-License-Identifier: MIT
#pragma once
// What a chart of the history can show: a window of records cut into as many
// columns as the chart has pixels across, each column kept as its first,
// lowest, highest and last sample. The line drawn through these looks the same
// as the line through every record, at a few thousand points instead of
// hundreds of thousands.

#include "history/historysource.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

/// One sample of a series: a moment and a value.
struct SeriesPoint {
    std::int64_t timeMs = 0; ///< ms since 1970 UTC
    double value = 0;
    bool operator==(const SeriesPoint& other) const { return timeMs == other.timeMs && value == other.value; }
};

/// Reduces `samples` (oldest first) to those in [fromMs, toMs), the window cut
/// into `columns` equal columns; from each column its first, lowest, highest and
/// last sample, each once and in time order. At most 4 * columns samples come
/// back. `columns` below 1 counts as 1; an empty window gives nothing.
std::vector<SeriesPoint> reduceToColumns(const std::vector<SeriesPoint>& samples, std::int64_t fromMs,
                                         std::int64_t toMs, int columns);

/// The two lines of the history chart.
struct HistorySeries {
    std::vector<SeriesPoint> signal; ///< records whose signal is a number
    std::vector<SeriesPoint> price;  ///< records whose price text is a number
};

/// Both series of `points` (oldest first), each reduced as above, in one pass.
/// Records whose signal or price is no number are left out of that series only.
HistorySeries reduceToColumns(const std::vector<HistoryPoint>& points, std::int64_t fromMs, std::int64_t toMs,
                              int columns);

/// A price text as a number: digits with "." as the service writes them,
/// whatever the reader's locale. Empty when the text is no plain decimal number.
std::optional<double> priceNumber(const std::string& text);

} // namespace quorvane
