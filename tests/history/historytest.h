// SPDX-License-Identifier: MIT
#pragma once
// What the history tests share: a poll's records, a controlled clock, a sink
// that counts messages and a second connection to the file.

#include "history/historystore.h"

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quorvane::test {

constexpr std::int64_t kDayMs = 24LL * 60 * 60 * 1000;
/// 2026-12-08T14:30:15Z.
constexpr std::int64_t kNoon = 1796740215000;

/// A record as the demo service writes it.
inline std::string demoRecord(const std::string& symbol, const std::string& price, const std::string& signal,
                              const std::string& time = "2026.12.08 14:30")
{
    return "(Symbol:" + symbol + ",Price:" + price + ",Time:" + time + ",Signal:" + signal + ")";
}

/// Eight symbols, the price telling the poll apart.
inline std::vector<std::string> demoPoll(int tag)
{
    std::vector<std::string> records;
    for (const char* symbol : {"EURUSD", "GBPUSD", "USDJPY", "USDCHF", "AUDUSD", "USDCAD", "NZDUSD", "EURGBP"})
        records.push_back(demoRecord(symbol, "1." + std::to_string(tag), "0.25"));
    return records;
}

struct TestClock {
    std::int64_t now = kNoon;
    std::function<std::int64_t()> function()
    {
        return [this] { return now; };
    }
};

/// Options with the test's clock and a sink that keeps every message.
inline HistoryOptions optionsFor(const std::string& file, TestClock& clock, std::vector<std::string>& messages)
{
    HistoryOptions options;
    options.file = file;
    options.clock = clock.function();
    options.reportError = [&messages](const std::string& m) { messages.push_back(m); };
    options.busyTimeoutMs = 0;
    return options;
}

/// A plain connection of the test's own, as another process would hold it.
class RawConnection {
public:
    explicit RawConnection(const std::string& file) { sqlite3_open(file.c_str(), &m_db); }
    ~RawConnection() { sqlite3_close(m_db); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;
    int exec(const std::string& sql) { return sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr); }
    /// The first column of the first row as text; "" without a row.
    std::string scalar(const std::string& sql)
    {
        sqlite3_stmt* statement = nullptr;
        std::string value;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK
            && sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0))
            value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        sqlite3_finalize(statement);
        return value;
    }

private:
    sqlite3* m_db = nullptr;
};

} // namespace quorvane::test
