#pragma once

#include "data/sqlrun.h"

#include <QSqlDatabase>
#include <QString>

class QSqlError;

// Everything that knows which engine stores the data: the driver, its connection options and
// pragmas. Statements elsewhere stay in portable SQL with bound values.
namespace Engine {

// Opens an existing database file under the given connection name. A missing file, a file
// that is not a database of this program, or a locked one gives false and the reason.
// Before anything can write to the file its structure is checked (pragma quick_check, on a
// read-only connection of its own): a damaged file gives false, the engine's findings as the
// reason and damaged set, and is left exactly as it was.
bool open(const QString& connectionName, const QString& path, QString* error, bool* damaged = nullptr);

// Closes and forgets the named connection.
void close(const QString& connectionName);

// Creates a fresh database at path: every table and index, and the built-in operator 0001
// with an empty password. Refuses to touch a file that already exists.
bool create(const QString& path, QString* error);

// Begins a transaction that writes. SQLite: BEGIN IMMEDIATE, which takes the write lock at
// once and so waits on the busy timeout while another counter writes, instead of starting on
// a snapshot that the other counter's commit makes stale (SQLite refuses such a snapshot's
// first write at once, without waiting). Throws Failure.
void beginWrite(const QSqlDatabase& db);

// What an engine error means to the operations: the database held by another connection past
// the busy timeout, a unique index refusing a duplicate, or anything else.
Failure::Kind kindOf(const QSqlError& error);
// A duplicate refused by the unique index on exactly that table's column.
bool isDuplicateOf(const Failure& failure, const QString& table, const QString& column);

// The select statement with the engine's row key as an extra first column named keyName: what
// list paging breaks ties on and steps past. SQLite: rowid (in a grouped statement the rowid
// of one row of each group, which tells the groups apart as well). Only a plain
// "select <columns> from …" takes a key; anything else gives an empty text.
QString keyedSelect(const QString& select, const QString& keyName);

} // namespace Engine
