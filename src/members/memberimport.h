#pragma once

#include "data/notice.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

// Members taken over in bulk from a worksheet of an Excel workbook (.xls or .xlsx) whose first
// row holds the column titles. All rows go in or none.
namespace MemberImport {

// The eighteen columns a worksheet supplies, in the order they are stored. Every other column
// of the table gets its default: no insurance, no verbal loss.
const QStringList& columns();

// The template workbook: one worksheet whose first row holds the eighteen titles.
bool writeTemplate(const QString& path, QString* error);

// Called every so many rows with the rows checked and stored so far; false cancels the import.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Reads the worksheet (its name compared without case), finds the eighteen titles in its first
// row, and stores every further row in one transaction, followed by the date pass: empty
// purchase and start dates of every member become today, as do the empty insurance dates of
// insured members. The first row that cannot go in refuses the whole import with a message
// that names it: no card number, a card number a member already carries, one retired by a
// formal loss, one that stands twice in the sheet, an unknown category, points that are no
// number, a date that is no date. `imported` receives the number of members stored.
Outcome run(const QSqlDatabase& db, const QString& path, const QString& sheetName, const Progress& progress = {},
            int* imported = nullptr);

} // namespace MemberImport
