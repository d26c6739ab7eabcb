#pragma once
// The history as CSV (RFC 4180, CRLF line ends), the format both the History
// page's export and the command line write.

#include "history/historysource.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorvane {

/// The header line's fields, without its line end.
inline constexpr const char* kHistoryCsvHeader = "received_utc,symbol,price,market_time,signal";

/// "2026-12-08T14:30:15Z": the moment in UTC to the second, cut toward the past.
std::string utcTimestamp(std::int64_t utcMs);

/// One field: the bytes converted from Latin-1 to UTF-8 as the window shows
/// them, in double quotes (inner quotes doubled) when it holds a comma, a
/// quote, a CR or an LF.
std::string csvField(const std::string& bytes);

/// One record's line with its CRLF: receipt time, the symbol in full, price,
/// market time and signal as received.
std::string historyCsvLine(const HistoryPoint& point);

/// The header and one line per point, in the given order.
std::string historyCsv(const std::vector<HistoryPoint>& points);

} // namespace quorvane
