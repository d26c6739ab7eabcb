// SPDX-License-Identifier: MIT
#pragma once
// A small owner of an SQLite connection and its prepared statements, so the
// store and the reader never leak a handle when a step fails. Failures are
// thrown as SqliteError with SQLite's own message and result code.

#include "core/exceptions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace quorvane {

/// A failed SQLite call: what() is SQLite's message (with the system's reason
/// when a file could not be opened), code() its primary result code.
class SqliteError : public Exception {
public:
    SqliteError(int code, const std::string& message) : Exception(message), m_code(code) {}
    int code() const { return m_code; }
    /// The file is no database or its content is broken.
    bool damaged() const;

private:
    int m_code;
};

class SqliteStatement {
public:
    SqliteStatement() = default;
    SqliteStatement(sqlite3* db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    /// Parameters count from 1, as in SQL.
    SqliteStatement& bind(int index, std::int64_t value);
    SqliteStatement& bind(int index, std::optional<double> value);
    /// Bytes as they are, embedded NULs included.
    SqliteStatement& bindBytes(int index, std::string_view bytes);
    SqliteStatement& bindNull(int index);
    /// True while a row is ready; false once the statement is done.
    bool step();
    /// Back to the start with the bindings cleared, so it can run again.
    void reset();

    std::int64_t integer(int column) const;
    bool isNull(int column) const;
    double real(int column) const;
    std::string bytes(int column) const;

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
};

class SqliteDatabase {
public:
    /// Opens `path` with the sqlite3_open_v2 flags; throws SqliteError.
    SqliteDatabase(const std::string& path, int flags);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    sqlite3* handle() const { return m_db; }
    void exec(const std::string& sql);
    SqliteStatement prepare(std::string_view sql) const { return SqliteStatement(m_db, sql); }
    /// The first column of the first row of `sql` as text ("" without a row).
    std::string scalarText(std::string_view sql) const;

private:
    sqlite3* m_db = nullptr;
};

/// Throws SqliteError for result code `rc` of a call on `db` unless it is SQLITE_OK.
void throwUnlessOk(sqlite3* db, int rc);

} // namespace quorvane
