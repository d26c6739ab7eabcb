// SPDX-License-Identifier: MIT
#pragma once
// The layout of history.sqlite and the queries its writer and its readers share.
//
//   symbols(id, name, short)      every Symbol value once, in full, with its short name
//   texts(id, bytes)              every market-time text once (it repeats across
//                                 symbols and polls for a minute or more)
//   records(symbol, received_ms, seq, price, market_time, signal_text, signal)
//                                 one row per market record, clustered by symbol
//                                 and time, so one symbol's range is one scan
//
// signal_text is NULL when it is exactly the shortest text of `signal`, which
// holds for almost every value the service sends; the text comes back from the
// number then, byte for byte.

#include "history/historysource.h"
#include "history/sqlitedb.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

/// PRAGMA user_version of the layout above.
constexpr int kHistoryLayoutVersion = 1;

/// Creates the tables that are missing. Throws SqliteError, or Exception for a
/// file of another layout version.
void createHistoryLayout(SqliteDatabase& db);

/// Whether the file holds the records table (a new empty file does not).
bool hasHistoryLayout(const SqliteDatabase& db);

/// The Signal field as a number, as the window reads it ("." decimals); empty when it is none.
std::optional<double> signalNumber(const std::string& text);

/// The shortest text that reads back as `value` ("0.4213", "-1", "1e-05").
std::string shortestText(double value);

/// Short names that have records, sorted by their bytes.
std::vector<std::string> querySymbols(const SqliteDatabase& db);

/// Records of `shortName` received in [fromUtcMs, toUtcMs), oldest first, a
/// poll's records in the reply's order.
std::vector<HistoryPoint> queryPoints(const SqliteDatabase& db, const std::string& shortName,
                                      std::int64_t fromUtcMs, std::int64_t toUtcMs);

/// Every record (of `shortName` only, when given) received at or after
/// `sinceUtcMs`, in the order of queryPoints, one at a time.
void forEachRecord(const SqliteDatabase& db, const std::optional<std::string>& shortName,
                   std::int64_t sinceUtcMs, const std::function<void(const HistoryPoint&)>& visit);

} // namespace quorvane
