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

namespace Values {

QString pointsText(double value)
{
    QString text = QString::number(value, 'f', 2);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == QStringLiteral("-0"))
        text = QStringLiteral("0");
    return text;
}

QString pointsText(const QVariant& value)
{
    return value.isNull() ? QString() : pointsText(value.toDouble());
}

} // namespace Values

namespace Values {

bool flag(const QVariant& value)
{
    const QString text = value.toString().trimmed();
    if (text.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.isEmpty() || text.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0)
        return false;
    return text.toDouble() != 0;
}

} // namespace Values
