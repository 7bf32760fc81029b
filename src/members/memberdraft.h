#pragma once

#include "data/notice.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

// What the operator typed on the registration screen or the edit dialog, before it is stored.
// Texts are stored exactly as typed, not trimmed.
struct MemberDraft
{
    QString cardNo;
    QString category;
    QString name;
    QString sex;
    QString idNumber;
    QString birthday; // "m-d" from the registration picker, or as typed on the edit dialog
    QString address;
    QString phone;
    QString mobile;
    QDate startDate;
    QString occupation;
    QString hobby;
    QString plate;
    QString vin;
    QString carModel;
    QString carColour;
    QDate purchaseDate;
    bool insured = true;
    QDate insuranceDate;
    QDate insuranceExpiry;
};

// The inputs a refusal sends the focus to.
enum class MemberField { CardNo, Category, Name, IdNumber, Birthday };

namespace Registration {
// Leaving the card field, and again on saving: a retired (replaced) number or a number a
// member already carries is refused and cleared. An empty number passes.
std::optional<Notice> cardRefusal(const QSqlDatabase& db, const QString& cardNo);
// Checks in order (card empty, retired, in use, category), then stores the new member with
// 0 points and no verbal loss.
Outcome save(const QSqlDatabase& db, const MemberDraft& draft);
} // namespace Registration

namespace MemberEdit {
// Leaving the card field: another member already carries the number.
std::optional<Notice> duplicateRefusal(const QSqlDatabase& db, const QString& cardNo, const QString& oldCardNo);
// Checks in order (card empty, retired, category empty, category unknown, duplicate), then
// rewrites every column but the points and the verbal-loss flag of the row `oldCardNo`.
Outcome save(const QSqlDatabase& db, const MemberDraft& draft, const QString& oldCardNo);
} // namespace MemberEdit
