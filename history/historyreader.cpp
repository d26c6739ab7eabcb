// SPDX-License-Identifier: MIT
#include "history/historyreader.h"

#include "history/historydb.h"
#include "history/sqlitedb.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>

namespace quorvane {

HistoryReader::HistoryReader(std::string file) : m_file(std::move(file)) {}

HistoryReader::~HistoryReader() = default;

const SqliteDatabase* HistoryReader::database() const
{
    if (m_db)
        return m_db.get();
    struct stat info {};
    if (::stat(m_file.c_str(), &info) != 0 && errno == ENOENT)
        return nullptr;
    try {
        m_db = std::make_unique<SqliteDatabase>(m_file, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
        // A month of one symbol is some 7 MB spread over the file: read it
        // through the page cache of the system instead of copying page by page.
        m_db->exec("PRAGMA mmap_size = 1073741824");
        // A file created but not yet laid out holds no records either.
        if (!hasHistoryLayout(*m_db)) {
            m_db.reset();
            return nullptr;
        }
    } catch (const SqliteError& error) {
        m_db.reset();
        throw Exception("Cannot read the history file " + m_file + ": " + error.what());
    }
    return m_db.get();
}

std::vector<std::string> HistoryReader::symbols() const
{
    try {
        const SqliteDatabase* db = database();
        return db ? querySymbols(*db) : std::vector<std::string>();
    } catch (const std::exception&) {
        return {};
    }
}

std::vector<HistoryPoint> HistoryReader::points(const std::string& shortName, std::int64_t fromUtcMs,
                                                std::int64_t toUtcMs) const
{
    try {
        const SqliteDatabase* db = database();
        return db ? queryPoints(*db, shortName, fromUtcMs, toUtcMs) : std::vector<HistoryPoint>();
    } catch (const std::exception&) {
        return {};
    }
}

void HistoryReader::forEach(const std::optional<std::string>& shortName, std::int64_t sinceUtcMs,
                            const std::function<void(const HistoryPoint&)>& visit) const
{
    const SqliteDatabase* db = database();
    if (!db)
        return;
    try {
        forEachRecord(*db, shortName, sinceUtcMs, visit);
    } catch (const SqliteError& error) {
        throw Exception("Cannot read the history file " + m_file + ": " + error.what());
    }
}

} // namespace quorvane
