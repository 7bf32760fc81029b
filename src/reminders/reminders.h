#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class TDM1;

// The two reminder lists: members whose birthday falls in the next days, and members whose
// car insurance expires soon. Days are counted from today (Clock), across month and year ends.
namespace Reminders {

// Birthdays as 会员生日 stores them ("m-d", no leading zeros) for today and the `days` - 1
// days after it: 3 for "三日内（默认）", 5 for "五日内". 2-29 comes only in a leap year.
QStringList birthdayDates(const QDate& today, int days);
// Expiry dates as stored (yyyy-MM-dd) from today to today + lastDay: 30, 15 or 5.
QStringList expiryDates(const QDate& today, int lastDay);

// The members whose 会员生日 is one of birthdayDates(today, days), into ADOQuery3.
QString showBirthdays(TDM1& dm, int days);
// The members whose 保险到期日期 is one of expiryDates(today, lastDay), into ADOQuery16. A
// past expiry is never listed.
QString showExpiries(TDM1& dm, int lastDay);

// Whether the reminder opens at the next start (提醒1 or 提醒2 of myini.ini). A file that
// cannot be written is let be: the screen closes all the same.
void saveShowAtStart(const QString& key, bool show);

} // namespace Reminders
