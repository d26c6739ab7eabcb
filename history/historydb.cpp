// SPDX-License-Identifier: MIT
#include "history/historydb.h"

#include "display/decimal.h"

#include <charconv>
#include <limits>

namespace quorvane {

namespace {

constexpr const char* kLayout = R"sql(
CREATE TABLE IF NOT EXISTS symbols(
    id INTEGER PRIMARY KEY,
    name BLOB NOT NULL UNIQUE,
    short BLOB NOT NULL);
CREATE TABLE IF NOT EXISTS texts(
    id INTEGER PRIMARY KEY,
    bytes BLOB NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS records(
    symbol INTEGER NOT NULL REFERENCES symbols(id),
    received_ms INTEGER NOT NULL,
    seq INTEGER NOT NULL,
    price BLOB NOT NULL,
    market_time INTEGER NOT NULL REFERENCES texts(id),
    signal_text BLOB,
    signal REAL,
    PRIMARY KEY(symbol, received_ms, seq)) WITHOUT ROWID;
)sql";

constexpr const char* kSelectRecord =
    "SELECT r.received_ms, s.name, r.price, t.bytes, r.signal_text, r.signal"
    " FROM symbols s JOIN records r ON r.symbol = s.id JOIN texts t ON t.id = r.market_time ";

HistoryPoint pointAt(const SqliteStatement& row)
{
    HistoryPoint point;
    point.receivedUtcMs = row.integer(0);
    point.symbol = row.bytes(1);
    point.price = row.bytes(2);
    point.marketTime = row.bytes(3);
    if (!row.isNull(5))
        point.signal = row.real(5);
    point.signalText = row.isNull(4) && point.signal ? shortestText(*point.signal) : row.bytes(4);
    return point;
}

} // namespace

void createHistoryLayout(SqliteDatabase& db)
{
    const int version = std::stoi(db.scalarText("PRAGMA user_version"));
    if (version != 0 && version != kHistoryLayoutVersion)
        throw Exception("it holds another layout (version " + std::to_string(version)
                        + "), written by another Quorvane");
    db.exec(kLayout);
    if (version == 0)
        db.exec("PRAGMA user_version = " + std::to_string(kHistoryLayoutVersion));
}

bool hasHistoryLayout(const SqliteDatabase& db)
{
    return !db.scalarText("SELECT name FROM sqlite_schema WHERE type = 'table' AND name = 'records'").empty();
}

std::optional<double> signalNumber(const std::string& text)
{
    try {
        return signalToFloat(text, '.');
    } catch (const EConvertError&) {
        return std::nullopt;
    }
}

std::string shortestText(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::vector<std::string> querySymbols(const SqliteDatabase& db)
{
    SqliteStatement statement = db.prepare(
        "SELECT DISTINCT short FROM symbols s WHERE EXISTS (SELECT 1 FROM records r WHERE r.symbol = s.id)"
        " ORDER BY short");
    std::vector<std::string> names;
    while (statement.step())
        names.push_back(statement.bytes(0));
    return names;
}

std::vector<HistoryPoint> queryPoints(const SqliteDatabase& db, const std::string& shortName,
                                      std::int64_t fromUtcMs, std::int64_t toUtcMs)
{
    SqliteStatement statement = db.prepare(
        std::string(kSelectRecord)
        + "WHERE s.short = ?1 AND r.received_ms >= ?2 AND r.received_ms < ?3 ORDER BY r.received_ms, r.seq");
    statement.bindBytes(1, shortName).bind(2, fromUtcMs).bind(3, toUtcMs);
    std::vector<HistoryPoint> points;
    while (statement.step())
        points.push_back(pointAt(statement));
    return points;
}

void forEachRecord(const SqliteDatabase& db, const std::optional<std::string>& shortName,
                   std::int64_t sinceUtcMs, const std::function<void(const HistoryPoint&)>& visit)
{
    SqliteStatement statement = db.prepare(
        std::string(kSelectRecord)
        + "WHERE (?1 IS NULL OR s.short = ?1) AND r.received_ms >= ?2 ORDER BY r.received_ms, r.seq");
    if (shortName)
        statement.bindBytes(1, *shortName);
    statement.bind(2, sinceUtcMs);
    while (statement.step())
        visit(pointAt(statement));
}

} // namespace quorvane
