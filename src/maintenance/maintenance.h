#pragma once

#include "data/notice.h"

#include <QDate>
#include <QDateTime>
#include <QString>

class TDM1;

// Looking after the database as a whole: backup and restore of the file, the reset of every
// member's points, clearing old history and emptying everything down to operator 0001. None
// of them writes a row of its own to the log.
namespace Maintenance {

// Where a backup chosen under `chosen` goes: the name with ".bak" appended, also when it
// already ends in ".bak".
QString backupPath(const QString& chosen);
// A consistent copy of the open database, written aside and then renamed over an existing
// file of that name, so a failed backup never leaves half a file in place of an older one.
Outcome backup(TDM1& dm, const QString& chosen);

// The name the current database is kept under, beside it, when a restore replaces it.
QString keptCopyPath(const QString& databasePath, const QDateTime& at);
// Replaces the database with the chosen file, only when that is a sound database of this
// program. The current database is kept beside it first (the success text names the copy);
// then the connection closes, the checked copy is renamed into place, and the connection and
// the open lists come back. Any refusal leaves the data as it was.
Outcome restore(TDM1& dm, const QString& chosen);

// Every member's points to 0, in one transaction.
Outcome resetPoints(TDM1& dm);
// Deletes the loss records, verbal loss records, log rows and redemption records dated before
// the day; the day's own rows stay. Members, categories, operators and stock stay untouched.
Outcome clearHistory(TDM1& dm, const QDate& before);
// Empties every table and puts back the built-in operator 0001, in one transaction.
Outcome initialise(TDM1& dm);

} // namespace Maintenance
