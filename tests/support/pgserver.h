#pragma once

#include "data/engine.h"

#include <QSqlDatabase>
#include <QString>

// The throw-away PostgreSQL server that pg_virtualenv starts, named by libpq's own variables
// (PGHOST, PGPORT, PGUSER, PGPASSWORD, PGDATABASE); shared by the tests and the benchmarks.
namespace PgServer {

inline int port()
{
    return qEnvironmentVariableIsSet("PGPORT") ? qEnvironmentVariableIntValue("PGPORT") : 5432;
}

// A database of that server under the given name.
inline Engine::Location location(const QString& database)
{
    Engine::Location location;
    location.kind = Engine::Location::Kind::PostgreSQL;
    location.host = qEnvironmentVariable("PGHOST");
    location.port = port();
    location.user = qEnvironmentVariable("PGUSER");
    location.password = qEnvironmentVariable("PGPASSWORD");
    location.database = database;
    return location;
}

// The server's own database, on which the throw-away ones are made and dropped; opened once
// under the connection name. The caller checks isOpen().
inline QSqlDatabase admin(const QString& connectionName)
{
    if (QSqlDatabase::contains(connectionName))
        return QSqlDatabase::database(connectionName);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    db.setHostName(qEnvironmentVariable("PGHOST"));
    db.setPort(port());
    db.setUserName(qEnvironmentVariable("PGUSER"));
    db.setPassword(qEnvironmentVariable("PGPASSWORD"));
    db.setDatabaseName(qEnvironmentVariableIsSet("PGDATABASE") ? qEnvironmentVariable("PGDATABASE")
                                                                : QStringLiteral("postgres"));
    db.open();
    return db;
}

} // namespace PgServer
