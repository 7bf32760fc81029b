#include "data/values.h"

#include "data/clock.h"

namespace Values {

QString dateText(const QDate& date)
{
    return date.toString(QString::fromLatin1(DateFormat));
}

QString timeText(const QTime& time)
{
    return time.toString(QString::fromLatin1(TimeFormat));
}

QString todayText()
{
    return dateText(Clock::today());
}

QString nowTimeText()
{
    return timeText(Clock::currentDateTime().time());
}

} // namespace Values
