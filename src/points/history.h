#pragma once

#include "data/notice.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class TDM1;

// The points transaction log as the history screen lists it, and the correction of a wrong
// entry: its points go back off (or onto) the card and redeemed gifts go back into stock.
namespace History {

inline const QString AllRows = QStringLiteral("select * from 流水记录");

struct Filter
{
    bool allDates = true;
    QDate from, to;
    bool allOther = true;
    QString column; // a column of 流水记录, as chosen or typed
    QString value;  // matched exactly
};

// Runs the filter into the shared ADOQuery8. A column 流水记录 lacks closes the list and
// returns an error text instead of reaching the database.
QString run(TDM1& dm, const Filter& filter);

// The rows of one card into ADOQuery8 (the "详细记录" buttons).
void showCard(TDM1& dm, const QString& cardNo);

// Undoes and deletes the log row with this number, all of it in one transaction.
Outcome deleteEntry(const QSqlDatabase& db, const QString& number);

QStringList filterColumns(); // the chooser's own items, first selected

} // namespace History
