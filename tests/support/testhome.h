#pragma once

#include "data/tdm1.h"

#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QVariantList>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// The engine the tests run on. QUORVANE_TEST_ENGINE=postgresql runs them against the server
// that PGHOST, PGPORT, PGUSER and PGPASSWORD name (pg_virtualenv sets them), each test in a fresh
// database of its own; otherwise on a SQLite file of the test's program home.
bool onServer();
// A test of something only the file engine has (its file, its pragmas) ends here on the server.
#define SQLITE_ONLY(why)                                                                                               \
    if (onServer())                                                                                                    \
    GTEST_SKIP() << "SQLite only: " << why
// A test of something only the server has ends here on SQLite.
#define SERVER_ONLY(why)                                                                                               \
    if (!onServer())                                                                                                   \
    GTEST_SKIP() << "PostgreSQL only: " << why

// Pieces of test statements that the engines write differently.
// The engine's row key, what rows are in the order they were written by.
QString rowKey();
// The number expr as a text of width digits with leading zeros (SQLite's printf('%05d', …)).
QString padded(const QString& expr, int width);
// The sum of a column that is 0 over no rows.
QString total(const QString& column);

// A fresh, empty database on the test server (no tables), dropped again with the object.
class ServerDatabase
{
public:
    ServerDatabase();
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;
    const Engine::Location& location() const { return m_location; }
    // Another connection's server process ended, as a server restart ends it.
    static void terminate(const QSqlDatabase& db);

private:
    Engine::Location m_location;
};

// Flips bytes [from, to) of the first page of a table or index in a closed database file:
// page header and cell pointers, what a failing disk or a bad copy may garble.
void damagePage(const QString& path, const QString& tableOrIndex, int from, int to);
// The file's bytes, to tell that it was left exactly as it was; "(missing)" when there is none.
QByteArray fileBytes(const QString& path);

// A program home in a temporary folder with a fresh database, DM1 connected to it: the home's
// SQLite file, or on the server a database of its own that the home's myini.ini names (section
// 数据库), as a shop configured for the server has it.
class TestHome
{
public:
    TestHome();
    ~TestHome();

    QString path(const QString& relative = {}) const;
    // Where the database is, as Engine::open takes it.
    const Engine::Location& location() const { return m_location; }
    QSqlDatabase db() const { return m_dm->ADOConnection1(); }
    TDM1& dm() { return *m_dm; }
    // Runs a statement with bound values; fails the test on an engine error.
    void exec(const QString& statement, const QVariantList& values = {});
    QVariant scalar(const QString& statement, const QVariantList& values = {});
    // Makes every <event> ("insert", "update", "delete") on the table fail with the engine's
    // error carrying message, when condition (on old./new.) holds or is empty: a disk that fills
    // or a record another program locked, midway through an operation.
    void refuse(const QString& event, const QString& table, const QString& condition, const QString& message);
    // How long this connection waits for another's lock before it gives up.
    void waitAtMost(int milliseconds);
    // Writes raw bytes as myini.ini.
    void writeConfig(const QByteArray& bytes);
    // Closes DM1's connection, so that the file can be handled as the shop's disk would.
    void disconnect();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ServerDatabase> m_server;
    Engine::Location m_location;
    std::unique_ptr<TDM1> m_dm;
};
