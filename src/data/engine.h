#pragma once

#include <QSqlDatabase>
#include <QString>

// Everything that knows which engine stores the data: the driver, its connection options and
// pragmas. Statements elsewhere stay in portable SQL with bound values.
namespace Engine {

// Opens an existing database file under the given connection name. A missing file, a file
// that is not a database of this program, or a locked one gives false and the reason.
bool open(const QString& connectionName, const QString& path, QString* error);

// Closes and forgets the named connection.
void close(const QString& connectionName);

// Creates a fresh database at path: every table and index, and the built-in operator 0001
// with an empty password. Refuses to touch a file that already exists.
bool create(const QString& path, QString* error);

} // namespace Engine
