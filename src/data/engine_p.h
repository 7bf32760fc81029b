#pragma once

// The engines behind data/engine.h: what each one does its own way. Only the engine files
// include this.

#include "data/engine.h"
#include "data/schema.h"

#include <QSqlDatabase>
#include <QString>

class QSqlError;

namespace Engine {

class Dialect
{
public:
    virtual ~Dialect() = default;

    virtual const char* driver() const = 0;
    // The connection's target and options, before it is opened.
    virtual void describeTo(QSqlDatabase& db, const Location& location) const = 0;
    // The settings every connection gets right after it opens.
    virtual void configure(QSqlDatabase& db) const = 0;

    // The column's type, comparison and constraints after its name in CREATE TABLE.
    virtual QString columnDefinition(const Schema::Column& column) const = 0;
    // What every table has beyond the schema's columns (a row key where the engine has none of
    // its own), written after the last column; empty for none.
    virtual QString extraColumns() const = 0;
    // The row key as a select names it, for one table.
    virtual QString rowKey() const = 0;
    // Makes the engine ready for the tables (extensions, the version's home); inside the
    // creating transaction.
    virtual void prepareForTables(const QSqlDatabase& db) const = 0;
    // Whether any of the program's tables is there already.
    virtual bool holdsTables(const QSqlDatabase& db) const = 0;

    virtual int schemaVersion(const QSqlDatabase& db) const = 0;
    virtual void setSchemaVersion(const QSqlDatabase& db, int version) const = 0;

    virtual void beginWrite(const QSqlDatabase& db) const = 0;
    // A transaction that only reads, all its statements seeing one moment of the data.
    virtual void beginConsistentRead(const QSqlDatabase& db) const = 0;
    virtual Failure::Kind kindOf(const QSqlError& error) const = 0;
    virtual bool isDuplicateOf(const Failure& failure, const QString& table, const QString& column) const = 0;
    virtual QString keyedSelect(const QString& select, const QString& keyName) const = 0;
    // After rows were copied in with their row keys: the engine's next key comes after them.
    virtual void afterKeyedCopy(const QSqlDatabase& db, const QString& table) const = 0;
    // Whether the connection to the server was lost (a file's connection never is).
    virtual bool isLost(const QSqlDatabase& db) const = 0;
};

const Dialect& sqlite();
const Dialect& postgres();
const Dialect& dialectOf(const QSqlDatabase& db);
const Dialect& dialectFor(const Location& location);

// A statement the engine runs as it is, without preparing it (PostgreSQL prepares no
// definitions or transaction commands). Throws Failure with the engine's text.
void direct(const QSqlDatabase& db, const QString& statement);

// A connection name no one else uses.
QString uniqueName(const QString& purpose);

} // namespace Engine
