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

} // namespace Engine
