#pragma once

#include "data/notice.h"

#include <QSqlDatabase>
#include <QString>

// Freezing a card at once when its member phones in the loss, and lifting the freeze when the
// card turns up: the member's 口头挂失标志 and a row of 口头挂失记录 that stays open until then.
namespace VerbalLoss {

enum class Mode { Report = 0, Cancel = 1 };

struct Request
{
    Mode mode = Mode::Report;
    bool frozenShown = false; // the flag as the screen shows it for the card looked up
    QString cardNo;           // the card field as it stands now
    QString loadedCard;       // the card of the member the screen loaded ("" when none is)
    QString name;             // the name field as it stands now
    QString operatorId;
};

struct Result
{
    Outcome outcome;
    bool disableConfirm = false; // a refusal that needs a new lookup, or a completed change
};

// Refusals in order (already frozen, not frozen, card empty or not the card loaded), then the
// change in one transaction, which checks the stored card first: a card no member holds any
// more, a report of a card frozen or with an open report meanwhile, or a cancellation of a
// card no longer frozen is refused and changes nothing.
Result confirm(const QSqlDatabase& db, const Request& request);

// The card has an Open verbal-loss record (all three cancellation columns null).
bool hasOpenReport(const QSqlDatabase& db, const QString& cardNo);

// Closes every open report of the card (all three cancellation columns null); closed ones
// stay as they are. Runs inside the caller's transaction.
void closeOpenReports(const QSqlDatabase& db, const QString& cardNo, const QString& operatorId);

} // namespace VerbalLoss
