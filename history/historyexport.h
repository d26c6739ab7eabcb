// SPDX-License-Identifier: MIT
#pragma once
// The signal history as CSV (RFC 4180, CRLF line ends), for
// `quorvane-bridge --export-history` and the History page's "Export CSV…".
//
//   received_utc,symbol,price,market_time,signal
//   2026-12-08T14:30:15Z,EURUSD,1.08423,2026.12.08 14:30,0.4213
//
// Fields are the bytes the service sent, shown as the window shows them: a
// field that is valid UTF-8 stays as it is; any other field is read as
// Latin-1 and written in UTF-8, so no byte is lost. A field that is no number
// and starts with "=", "+", "-", "@", TAB or CR gets a "'" in front, so that a
// spreadsheet shows it as text instead of running it as a formula. A field
// holding a comma, a double quote, CR or LF is quoted, its double quotes doubled.

#include "history/historysource.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

/// Writes the history in `historyFile` to `out`: every record (of one short
/// name, when given) received at or after `sinceUtcMs`, oldest first, a poll's
/// records in the reply's order. A missing file is an empty history: the
/// header alone. Opens the file for reading only, so it works while the window
/// or the bridge records. Throws Exception when the file cannot be read or
/// `out` fails.
void exportHistoryCsv(const std::string& historyFile, std::optional<std::string> shortName,
                      std::optional<std::int64_t> sinceUtcMs, std::ostream& out);

/// The first line, CRLF included.
void writeCsvHeader(std::ostream& out);

/// One record as a CSV line, CRLF included.
void writeCsvRow(std::ostream& out, const HistoryPoint& point);

/// The header and one line per point, in the given order: what the History
/// page exports, byte for byte as the command line writes it.
std::string historyCsv(const std::vector<HistoryPoint>& points);

/// A field as written: converted to UTF-8, kept from formulas and quoted where needed, as above.
std::string csvField(std::string_view bytes);

/// `bytes` when they are valid UTF-8, else each byte read as Latin-1, in UTF-8.
std::string displayUtf8(std::string_view bytes);

/// "2026-12-08T14:30:15Z": the UTC second of a time in ms since 1970.
std::string utcTimestamp(std::int64_t utcMs);

/// The --since text "YYYY-MM-DD" as 00:00:00 UTC of that day, in ms since 1970.
/// Throws Exception with a message for the user when it is no such date.
std::int64_t parseSinceDate(const std::string& text);

} // namespace quorvane
