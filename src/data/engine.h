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
// reason and damaged set, and is left exactly as it was. A file of an older schema version is
// then upgraded, all steps in one transaction (a step that fails leaves the file as it was and
// the open refused); a file of a newer program is refused.
bool open(const QString& connectionName, const QString& path, QString* error, bool* damaged = nullptr);

// The schema version the file records; 0 for files made before versions were kept.
int schemaVersion(const QSqlDatabase& db);

// The clause that makes a text column compare without regard to letter case.
QString caselessCollation();

// Closes and forgets the named connection.
void close(const QString& connectionName);

// Creates a fresh database at path: every table and index of the current schema version, and
// the built-in operator 0001 with an empty password. Refuses to touch a file that already exists.
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

// A consistent copy of the open database, committed rows only, as a new file at target (which
// must not exist yet). Runs while other connections read and write.
bool copyTo(const QSqlDatabase& db, const QString& target, QString* error);

// Whether the file at path is a database of this program: it opens as one, the engine finds
// no damage in it, and every table of the schema is there with its columns. The file is
// opened for writing (any open-time upgrade runs on it), so check a copy, not the original.
bool validate(const QString& path, QString* error);

// Closes the named connection and opens it again on the same file, with the same settings.
// Every copy of the connection handle keeps working afterwards.
void suspend(const QString& connectionName);
bool resume(const QString& connectionName, QString* error);

// Removes a database file that no connection uses, with the engine's own files beside it.
void removeFile(const QString& path);

// Puts the file at replacement in place of the database at path in one step (a rename), so
// the path always holds either the old file or the new one. Refused while any connection has
// the database open, because its engine files would then belong to the wrong database.
bool replaceFile(const QString& path, const QString& replacement, QString* error);

} // namespace Engine
