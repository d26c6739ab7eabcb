// SPDX-License-Identifier: MIT
#pragma once
// The writer of the signal history: every record of every successful poll
// goes into history.sqlite, one transaction per poll.
//
// History never breaks the poll. A file that cannot be opened or written (a
// read-only folder, a full disk, a lock held elsewhere) is told to the error
// sink once, and again only after it had worked in between; every poll tries
// anew. A damaged file is kept under another name and a new one started.
//
// The file runs in WAL mode with synchronous=NORMAL: a poll's transaction is in
// the -wal file when recordPoll returns, so a process killed at any moment
// keeps every poll that had finished, and readers never wait for the writer.

#include "history/historysource.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvane {

class SqliteDatabase;

/// Receives one message for the error log.
using HistoryErrorSink = std::function<void(const std::string&)>;

struct HistoryOptions {
    /// The path of history.sqlite. Missing folders are created, mode 0700.
    std::string file;
    /// Records older than this many days are removed at open and once a day;
    /// 0 keeps no history: nothing is opened, created or recorded.
    int days = 30;
    /// Now, in ms since 1970 UTC; the system clock when empty.
    std::function<std::int64_t()> clock;
    /// Where failures are told; may be empty.
    HistoryErrorSink reportError;
    /// How long a write waits for another process's transaction to end.
    int busyTimeoutMs = 500;
};

class HistoryStore : public HistorySource {
public:
    /// Opens (or creates) the file at once; a failure is reported, not thrown.
    explicit HistoryStore(HistoryOptions options);
    ~HistoryStore() override;
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    /// Stores the records of one successful poll (the record lines as SplitReply
    /// cut them), received at `receivedUtcMs`. Returns true when they are in the
    /// file; never throws.
    bool recordPoll(std::int64_t receivedUtcMs, const std::vector<std::string>& records);

    /// Whether the file is open for writing now.
    bool isOpen() const { return m_db != nullptr; }

    /// The file's readers' view of what this store wrote (empty while it is not open).
    std::vector<std::string> symbols() const override;
    std::vector<HistoryPoint> points(const std::string& shortName, std::int64_t fromUtcMs,
                                     std::int64_t toUtcMs) const override;

private:
    struct Statements;

    bool open();
    void openChecked();
    bool keepDamaged(const std::string& reason);
    void removeExpired(std::int64_t now);
    void storePoll(std::int64_t receivedUtcMs, const std::vector<std::string>& records);
    std::int64_t symbolId(const std::string& symbol, const std::string& shortName);
    std::int64_t textId(const std::string& text);
    void failed(const std::string& message);
    void close();
    void closeLeavingFiles();
    std::int64_t now() const;

    HistoryOptions m_options;
    std::unique_ptr<SqliteDatabase> m_db;
    std::unique_ptr<Statements> m_statements; // before m_db goes
    bool m_checked = false;   // quick_check passed for the file in place
    bool m_reported = false;  // a failure was told and nothing worked since
    std::int64_t m_lastCleanup = 0;
    std::vector<std::pair<std::string, std::int64_t>> m_symbolIds;
};

/// history.sqlite.damaged-YYYYMMDD-HHMMSS for a file put aside at `utcMs` (local time).
std::string damagedName(const std::string& file, std::int64_t utcMs);

} // namespace quorvane
