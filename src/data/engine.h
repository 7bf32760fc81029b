#pragma once

#include <QSqlDatabase>
#include <QString>

// Everything that knows which engine stores the data: the driver, its connection options and
// pragmas. Statements elsewhere stay in portable SQL with bound values.
namespace Engine {

// Opens an existing database file under the given connection name. A missing file, a file
// that is not a database of this program, or a locked one gives false and the reason. A file
// of an older schema version is upgraded first, all steps in one transaction (a step that
// fails leaves the file as it was and the open refused); a file of a newer program is refused.
bool open(const QString& connectionName, const QString& path, QString* error);

// The schema version the file records; 0 for files made before versions were kept.
int schemaVersion(const QSqlDatabase& db);

// The clause that makes a text column compare without regard to letter case.
QString caselessCollation();

// Closes and forgets the named connection.
void close(const QString& connectionName);

// Creates a fresh database at path: every table and index of the current schema version, and
// the built-in operator 0001 with an empty password. Refuses to touch a file that already exists.
bool create(const QString& path, QString* error);

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
