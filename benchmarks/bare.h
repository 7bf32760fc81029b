#pragma once

// The same statements as the program runs, through the SQLite C API alone: each prepared once,
// on a connection of its own to the same file with the same settings. What the program's own
// path costs on top of the engine is the difference.
#include <sqlite3.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace Bare {

class Connection
{
public:
    explicit Connection(const std::string& path)
    {
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_db));
        sqlite3_busy_timeout(m_db, 10000);
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=FULL");
    }
    ~Connection() { sqlite3_close_v2(m_db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void exec(const std::string& sql)
    {
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "?";
            sqlite3_free(message);
            throw std::runtime_error(text);
        }
    }
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// One prepared statement; bind, step through, reset.
class Statement
{
public:
    Statement(const Connection& c, const std::string& sql) : m_db(c.handle())
    {
        if (sqlite3_prepare_v3(m_db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string(sqlite3_errmsg(m_db)) + " in " + sql);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // The text must outlive the step, as with the program's own binding (no copy is made).
    Statement& bind(int at, const std::string& text)
    {
        sqlite3_bind_text(m_stmt, at, text.data(), int(text.size()), SQLITE_STATIC);
        return *this;
    }
    Statement& bind(int at, std::string&& text) = delete;
    Statement& bind(int at, double value)
    {
        sqlite3_bind_double(m_stmt, at, value);
        return *this;
    }
    Statement& bind(int at, int value)
    {
        sqlite3_bind_int(m_stmt, at, value);
        return *this;
    }
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(m_db));
        return false;
    }
    void reset() { sqlite3_reset(m_stmt); }
    int columns() const { return sqlite3_column_count(m_stmt); }
    std::string text(int column) const
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return p ? std::string(p, std::size_t(sqlite3_column_bytes(m_stmt, column))) : std::string();
    }
    double number(int column) const { return sqlite3_column_double(m_stmt, column); }
    int type(int column) const { return sqlite3_column_type(m_stmt, column); }
    sqlite3_stmt* handle() const { return m_stmt; }
    int changes() const { return sqlite3_changes(m_db); }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace Bare
