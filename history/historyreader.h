// SPDX-License-Identifier: MIT
#pragma once
// The signal history opened for reading only, by the History page and the
// CSV export, while the window or the bridge may be writing it. It writes
// nothing and holds no lock that could stop the writer (WAL readers read a
// snapshot); a missing file is an empty history. One thread at a time uses
// a reader; a thread of its own makes a reader of its own.

#include "history/historysource.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quorvane {

class SqliteDatabase;

class HistoryReader : public HistorySource {
public:
    /// Opens nothing yet: the file may appear with the first poll.
    explicit HistoryReader(std::string file);
    ~HistoryReader() override;
    HistoryReader(const HistoryReader&) = delete;
    HistoryReader& operator=(const HistoryReader&) = delete;

    /// Empty when the file is missing or cannot be read.
    std::vector<std::string> symbols() const override;
    std::vector<HistoryPoint> points(const std::string& shortName, std::int64_t fromUtcMs,
                                     std::int64_t toUtcMs) const override;

    /// Every record (of one short name, when given) received at or after
    /// `sinceUtcMs`, oldest first, a poll's records in the reply's order.
    /// Nothing for a missing file; throws Exception with the reason when the
    /// file is there but cannot be read.
    void forEach(const std::optional<std::string>& shortName, std::int64_t sinceUtcMs,
                 const std::function<void(const HistoryPoint&)>& visit) const;

private:
    /// The open file, or null when there is none (yet).
    const SqliteDatabase* database() const;

    std::string m_file;
    mutable std::unique_ptr<SqliteDatabase> m_db;
};

} // namespace quorvane
