#pragma once

#include <QDate>
#include <QString>

namespace MemberDates {

// The birthday an identity card number carries: 18 characters hold yyyyMMdd at positions
// 7-14, 15 characters yyMMdd at 7-12 (read as 19yy: those cards were issued to people born
// in the 1900s). Other lengths carry none.
struct IdBirthday
{
    enum class Status { None, Valid, Invalid };
    Status status = Status::None;
    QDate date;
    QString text; // the parts joined with "-", as read: shown when they are no date
};
IdBirthday fromIdNumber(const QString& idNumber);
QString invalidDateText(const QString& text);

// The stored birthday: month and day without leading zeros, no year ("7-10", "12-20").
QString birthdayText(const QDate& date);

// Insurance runs one year: the same month and day a year later, 28 February for a policy
// taken out on 29 February.
QDate insuranceExpiry(const QDate& insuranceDate);

} // namespace MemberDates
