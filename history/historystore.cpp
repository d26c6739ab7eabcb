// SPDX-License-Identifier: MIT
#include "history/historystore.h"

#include "core/records.h"
#include "history/historydb.h"
#include "history/sqlitedb.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <algorithm>
#include <map>

namespace quorvane {

namespace {

constexpr std::int64_t kDayMs = 24LL * 60 * 60 * 1000;

std::string folderOf(const std::string& file)
{
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash);
}

// mkdir -p; what it creates is the user's alone (the per-user data folder).
std::string makeFolders(const std::string& folder)
{
    for (std::size_t end = 1; end <= folder.size(); ++end) {
        if (end != folder.size() && folder[end] != '/')
            continue;
        const std::string part = folder.substr(0, end);
        struct stat info {};
        if (::stat(part.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            continue;
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return "cannot create the folder " + part + ": " + std::strerror(errno);
    }
    return std::string();
}

bool exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

// Prepared once per open: a poll runs five statements per record.
struct HistoryStore::Statements {
    explicit Statements(const SqliteDatabase& db)
        : findSymbol(db.prepare("SELECT id FROM symbols WHERE name = ?1")),
          addSymbol(db.prepare("INSERT INTO symbols(name, short) VALUES(?1, ?2)")),
          findText(db.prepare("SELECT id FROM texts WHERE bytes = ?1")),
          addText(db.prepare("INSERT INTO texts(bytes) VALUES(?1)")),
          addRecord(db.prepare("INSERT INTO records(symbol, received_ms, seq, price, market_time, signal_text,"
                               " signal) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)"))
    {
    }
    SqliteStatement findSymbol, addSymbol, findText, addText, addRecord;
};

std::string damagedName(const std::string& file, std::int64_t utcMs)
{
    const std::time_t seconds = static_cast<std::time_t>(utcMs / 1000);
    std::tm local {};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return file + ".damaged-" + stamp;
}

HistoryStore::HistoryStore(HistoryOptions options) : m_options(std::move(options))
{
    if (m_options.days > 0)
        open();
}

HistoryStore::~HistoryStore()
{
    close();
}

std::int64_t HistoryStore::now() const
{
    if (m_options.clock)
        return m_options.clock();
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch()).count();
}

void HistoryStore::close()
{
    m_statements.reset();
    m_db.reset();
    m_symbolIds.clear();
}

void HistoryStore::closeLeavingFiles()
{
    // A damaged file goes aside as it is: closing must neither checkpoint its
    // -wal into it nor delete that -wal.
    if (m_db) {
        int on = 1;
        sqlite3_file_control(m_db->handle(), "main", SQLITE_FCNTL_PERSIST_WAL, &on);
        sqlite3_db_config(m_db->handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    }
    close();
}

void HistoryStore::failed(const std::string& message)
{
    // One line per run of failures: a locked or read-only file would
    // otherwise fill the error log at every poll.
    if (m_reported)
        return;
    m_reported = true;
    if (m_options.reportError)
        m_options.reportError("History not saved in " + m_options.file + ": " + message);
}

bool HistoryStore::open()
{
    if (m_db)
        return true;
    try {
        openChecked();
        return true;
    } catch (const SqliteError& error) {
        if (!error.damaged()) {
            close();
            failed(error.what());
            return false;
        }
        closeLeavingFiles();
        if (!keepDamaged(error.what()))
            return false;
    } catch (const std::exception& error) {
        close();
        failed(error.what());
        return false;
    }
    try {
        openChecked();
        return true;
    } catch (const std::exception& error) {
        close();
        failed(error.what());
        return false;
    }
}

void HistoryStore::openChecked()
{
    const std::string folder = folderOf(m_options.file);
    const std::string folderError = makeFolders(folder);
    if (!folderError.empty())
        throw Exception(folderError);
    // WAL keeps its -wal and -shm beside the file: a folder that cannot take
    // them fails here with its own reason rather than SQLite's "unable to open".
    if (::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0)
        throw Exception("the folder " + folder + " cannot be written (" + std::strerror(errno) + ")");
    // One thread uses a connection: SQLite's own mutexes would only cost.
    m_db = std::make_unique<SqliteDatabase>(m_options.file,
                                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
    sqlite3_busy_timeout(m_db->handle(), m_options.busyTimeoutMs);
    // A whole check reads the whole file; once per file is enough.
    if (!m_checked) {
        const std::string check = m_db->scalarText("PRAGMA quick_check");
        if (check != "ok")
            throw SqliteError(SQLITE_CORRUPT, "quick_check: " + check);
        m_checked = true;
    }
    if (m_db->scalarText("PRAGMA journal_mode = WAL") != "wal")
        throw Exception("the file cannot be kept in WAL mode");
    m_db->exec("PRAGMA synchronous = NORMAL");
    // The -wal and -shm files stay when the last writer closes, so a reader
    // never has to create them; the -wal is emptied then, so nothing of it
    // could outlive the file it belongs to.
    m_db->exec("PRAGMA journal_size_limit = 0");
    int persist = 1;
    sqlite3_file_control(m_db->handle(), "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
    m_db->exec("BEGIN IMMEDIATE");
    try {
        createHistoryLayout(*m_db);
        m_db->exec("COMMIT");
    } catch (...) {
        sqlite3_exec(m_db->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    m_statements = std::make_unique<Statements>(*m_db);
    removeExpired(now());
}

bool HistoryStore::keepDamaged(const std::string& reason)
{
    std::string aside = damagedName(m_options.file, now());
    // Two damaged files within a second keep apart too.
    for (int n = 2; exists(aside); ++n)
        aside = damagedName(m_options.file, now()) + "-" + std::to_string(n);
    // The -wal holds pages of the damaged file: left behind, it would be
    // replayed into the new one.
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const std::string from = m_options.file + suffix;
        if (exists(from) && std::rename(from.c_str(), (aside + suffix).c_str()) != 0) {
            failed("the file is damaged (" + reason + ") and cannot be put aside: " + std::strerror(errno));
            return false;
        }
    }
    m_checked = false;
    if (m_options.reportError)
        m_options.reportError("History file " + m_options.file + " was damaged (" + reason + "); it is kept as "
                              + aside + " and a new one is started");
    return true;
}

void HistoryStore::removeExpired(std::int64_t now)
{
    m_db->exec("BEGIN IMMEDIATE");
    try {
        SqliteStatement remove = m_db->prepare(
            "DELETE FROM records WHERE symbol IN (SELECT id FROM symbols) AND received_ms < ?1");
        remove.bind(1, now - static_cast<std::int64_t>(m_options.days) * kDayMs).step();
        // Texts no record refers to any more; only worth the scan when records went.
        if (sqlite3_changes(m_db->handle()) > 0)
            m_db->exec("DELETE FROM texts WHERE id NOT IN (SELECT market_time FROM records)");
        m_db->exec("COMMIT");
    } catch (...) {
        sqlite3_exec(m_db->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    m_lastCleanup = now;
}

std::int64_t HistoryStore::symbolId(const std::string& symbol, const std::string& shortName)
{
    for (const auto& [name, id] : m_symbolIds) {
        if (name == symbol)
            return id;
    }
    SqliteStatement& find = m_statements->findSymbol;
    find.reset();
    std::int64_t id = 0;
    if (find.bindBytes(1, symbol).step()) {
        id = find.integer(0);
    } else {
        SqliteStatement& add = m_statements->addSymbol;
        add.reset();
        add.bindBytes(1, symbol).bindBytes(2, shortName).step();
        id = sqlite3_last_insert_rowid(m_db->handle());
    }
    find.reset();
    m_symbolIds.emplace_back(symbol, id);
    return id;
}

std::int64_t HistoryStore::textId(const std::string& text)
{
    SqliteStatement& find = m_statements->findText;
    find.reset();
    if (find.bindBytes(1, text).step()) {
        const std::int64_t id = find.integer(0);
        find.reset();
        return id;
    }
    find.reset();
    SqliteStatement& add = m_statements->addText;
    add.reset();
    add.bindBytes(1, text).step();
    return sqlite3_last_insert_rowid(m_db->handle());
}

void HistoryStore::storePoll(std::int64_t receivedUtcMs, const std::vector<std::string>& records)
{
    m_db->exec("BEGIN IMMEDIATE");
    std::map<std::string, std::int64_t> texts; // a poll's records mostly share one market time
    std::int64_t seq = 0;
    for (const std::string& record : records) {
        const std::string symbol = GetField(record, "Symbol");
        const std::string time = GetField(record, "Time");
        const std::string signal = GetField(record, "Signal");
        auto text = texts.find(time);
        if (text == texts.end())
            text = texts.emplace(time, textId(time)).first;
        const std::optional<double> number = signalNumber(signal);
        SqliteStatement& add = m_statements->addRecord;
        add.reset();
        add.bind(1, symbolId(symbol, shortName(record))).bind(2, receivedUtcMs).bind(3, seq++);
        add.bindBytes(4, GetField(record, "Price")).bind(5, text->second);
        // -0 is stored as 0 by SQLite: its text must stay.
        if (number && shortestText(*number) == signal && !(*number == 0 && std::signbit(*number)))
            add.bindNull(6);
        else
            add.bindBytes(6, signal);
        add.bind(7, number).step();
    }
    m_statements->addRecord.reset();
    m_db->exec("COMMIT");
}

bool HistoryStore::recordPoll(std::int64_t receivedUtcMs, const std::vector<std::string>& records)
{
    if (m_options.days <= 0)
        return false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!open())
            return false;
        try {
            const std::int64_t t = now();
            // A clock set back behind the last round would otherwise hold the
            // next one off until it had caught up again, for days or months.
            if (t - m_lastCleanup >= kDayMs || t < m_lastCleanup)
                removeExpired(t);
            // Another writer's poll (the window and the bridge side by side), or a
            // clock that stood still or was set back, may hold the same millisecond:
            // the later poll moves on to just after the newest one stored.
            for (std::int64_t at = receivedUtcMs, clash = 0;; ++clash) {
                try {
                    storePoll(at, records);
                    break;
                } catch (const SqliteError& error) {
                    sqlite3_exec(m_db->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
                    m_symbolIds.clear();
                    if (error.code() != SQLITE_CONSTRAINT || clash == 2)
                        throw;
                    SqliteStatement newest = m_db->prepare("SELECT MAX(received_ms) FROM records");
                    const std::int64_t last = newest.step() && !newest.isNull(0) ? newest.integer(0) : at;
                    at = std::max(at, last) + 1;
                }
            }
            m_reported = false;
            return true;
        } catch (const SqliteError& error) {
            if (m_db && !sqlite3_get_autocommit(m_db->handle()))
                sqlite3_exec(m_db->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
            m_symbolIds.clear();
            if (!error.damaged()) {
                failed(error.what());
                return false;
            }
            // Broken under our hands: put it aside and store this poll in a new file.
            closeLeavingFiles();
            if (!keepDamaged(error.what()))
                return false;
        } catch (const std::exception& error) {
            failed(error.what());
            return false;
        }
    }
    return false;
}

std::vector<std::string> HistoryStore::symbols() const
{
    try {
        return m_db ? querySymbols(*m_db) : std::vector<std::string>();
    } catch (const std::exception&) {
        return {};
    }
}

std::vector<HistoryPoint> HistoryStore::points(const std::string& shortName, std::int64_t fromUtcMs,
                                               std::int64_t toUtcMs) const
{
    try {
        return m_db ? queryPoints(*m_db, shortName, fromUtcMs, toUtcMs) : std::vector<HistoryPoint>();
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace quorvane
