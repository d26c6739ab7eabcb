// SPDX-License-Identifier: MIT
#include "history/sqlitedb.h"

#include <sqlite3.h>

#include <cstring>
#include <utility>

namespace quorvane {

namespace {

std::string messageOf(sqlite3* db, int rc)
{
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    // "unable to open database file" alone does not say whether the folder is
    // read-only or missing; the system's reason does.
    const int systemError = db ? sqlite3_system_errno(db) : 0;
    if ((rc & 0xff) == SQLITE_CANTOPEN && systemError != 0)
        message += std::string(" (") + std::strerror(systemError) + ")";
    return message;
}

} // namespace

bool SqliteError::damaged() const
{
    return m_code == SQLITE_NOTADB || m_code == SQLITE_CORRUPT;
}

void throwUnlessOk(sqlite3* db, int rc)
{
    if (rc != SQLITE_OK)
        throw SqliteError(rc & 0xff, messageOf(db, rc));
}

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) : m_db(db)
{
    throwUnlessOk(db, sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_statement, nullptr));
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_statement(std::exchange(other.m_statement, nullptr))
{
}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_statement);
        m_db = std::exchange(other.m_db, nullptr);
        m_statement = std::exchange(other.m_statement, nullptr);
    }
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t value)
{
    throwUnlessOk(m_db, sqlite3_bind_int64(m_statement, index, value));
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::optional<double> value)
{
    if (!value)
        return bindNull(index);
    throwUnlessOk(m_db, sqlite3_bind_double(m_statement, index, *value));
    return *this;
}

SqliteStatement& SqliteStatement::bindBytes(int index, std::string_view bytes)
{
    // A zero-length blob, not NULL, for an empty field. ("" has a non-null data().)
    throwUnlessOk(m_db, sqlite3_bind_blob(m_statement, index, bytes.data() ? bytes.data() : "",
                                          static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement& SqliteStatement::bindNull(int index)
{
    throwUnlessOk(m_db, sqlite3_bind_null(m_statement, index));
    return *this;
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throwUnlessOk(m_db, rc);
    return false;
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

std::int64_t SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

double SqliteStatement::real(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

std::string SqliteStatement::bytes(int column) const
{
    const void* data = sqlite3_column_blob(m_statement, column);
    const int size = sqlite3_column_bytes(m_statement, column);
    return data ? std::string(static_cast<const char*>(data), static_cast<std::size_t>(size)) : std::string();
}

SqliteDatabase::SqliteDatabase(const std::string& path, int flags)
{
    const int rc = sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const SqliteError error(rc & 0xff, messageOf(m_db, rc));
        sqlite3_close(m_db);
        throw error;
    }
    sqlite3_extended_result_codes(m_db, 1);
}

SqliteDatabase::~SqliteDatabase()
{
    // Statements are finalised by their owners first; close_v2 copes with stragglers.
    sqlite3_close_v2(m_db);
}

void SqliteDatabase::exec(const std::string& sql)
{
    throwUnlessOk(m_db, sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, nullptr));
}

std::string SqliteDatabase::scalarText(std::string_view sql) const
{
    SqliteStatement statement(m_db, sql);
    return statement.step() ? statement.bytes(0) : std::string();
}

} // namespace quorvane
