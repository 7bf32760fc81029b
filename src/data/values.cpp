#include "data/values.h"

#include "data/clock.h"

#include <cmath>

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
    // Rounding first keeps what sums of binary fractions leave behind (0.30000000000000004)
    // out of the shown text.
    double rounded = std::round(value * 100.0) / 100.0;
    if (rounded == 0.0)
        rounded = 0.0; // no "-0"
    QString text = QString::number(rounded, 'f', 2);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
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
    // What this program writes: a number, read without a detour through text.
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Bool:
        return value.toLongLong() != 0;
    default:
        break;
    }
    const QString text = value.toString().trimmed();
    if (text.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.isEmpty() || text.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0)
        return false;
    return text.toDouble() != 0;
}

} // namespace Values

namespace Values {

QString displayText(const QVariant& value, DisplayFormat format)
{
    if (value.isNull())
        return {};
    switch (format) {
    case DisplayFormat::Plain:
        return value.toString();
    case DisplayFormat::YesNo:
        return flag(value) ? QStringLiteral("是") : QStringLiteral("否");
    case DisplayFormat::Points: {
        bool ok = false;
        const double number = value.toDouble(&ok);
        return ok ? pointsText(number) : value.toString();
    }
    }
    return value.toString();
}

} // namespace Values
