// SPDX-License-Identifier: MIT
#pragma once
// The signal history as its readers see it: every market record of every
// successful poll, with the moment it was received. The History page and the
// CSV export read through this interface; the SQLite store implements it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

/// One stored market record. The texts are the record's bytes as the service sent them.
struct HistoryPoint {
    std::int64_t receivedUtcMs = 0; ///< when the poll's reply arrived, ms since 1970 UTC
    std::string symbol;             ///< the Symbol field in full
    std::string price;              ///< the Price field as text
    std::string marketTime;         ///< the Time field as text
    std::string signalText;         ///< the Signal field as received
    std::optional<double> signal;   ///< the Signal as a number; empty when it is none
};

class HistorySource {
public:
    virtual ~HistorySource();
    /// The short names (first six characters of the symbol) that have records, sorted.
    virtual std::vector<std::string> symbols() const = 0;
    /// The records of one short name received in [fromUtcMs, toUtcMs), oldest first,
    /// within one poll in the reply's order.
    virtual std::vector<HistoryPoint> points(const std::string& shortName, std::int64_t fromUtcMs,
                                             std::int64_t toUtcMs) const = 0;
};

} // namespace quorvane
