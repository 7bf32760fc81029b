#pragma once

#include "data/notice.h"

#include <QSqlDatabase>
#include <QString>

class TDM1;

// Replacing a lost card: the member row, its balance and its whole points history move to
// the new number, the old number is retired for good in 挂失记录, and an open verbal-loss
// report of the old number is closed, all in one transaction.
namespace FormalLoss {

struct Request
{
    QString oldCardNo;    // the card field as it stands now
    QString lookedUpCard; // the number the screen last loaded a member for ("" when none)
    QString newCardNo;
    QString name;         // the name field
    QString pointsShown;  // the 现有积分 field
    QString operatorId;
};

enum Field { OldCardField, NewCardField };

// Refusals in order: the card field empty or no longer the card looked up; the new number
// empty, retired or in use (cleared); a 现有积分 text that is no number (the conversion error
// of parseNumber); then the replacement, which checks again what is stored: the new number
// still free, the old card still a member's ("此卡号不存在！" when another counter replaced it).
Outcome replace(const QSqlDatabase& db, const Request& request);

// Every replacement record, into the shared ADOQuery9.
void showAllRecords(TDM1& dm);

} // namespace FormalLoss
