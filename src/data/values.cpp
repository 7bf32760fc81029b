#include "data/values.h"

#include "data/clock.h"

#include <cmath>

namespace Values {

namespace {
// Digits written straight in: every save stamps its rows, and a format text parsed each time
// costs more than the rest of the stamp.
void putDigits(char16_t* at, int value, int width)
{
    for (int i = width - 1; i >= 0; --i, value /= 10)
        at[i] = char16_t(u'0' + value % 10);
}
} // namespace

QString dateText(const QDate& date)
{
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    if (!date.isValid() || year < 1 || year > 9999)
        return date.toString(QString::fromLatin1(DateFormat));
    char16_t text[10] = {0, 0, 0, 0, u'-', 0, 0, u'-', 0, 0};
    putDigits(text, year, 4);
    putDigits(text + 5, month, 2);
    putDigits(text + 8, day, 2);
    return QString(reinterpret_cast<const QChar*>(text), 10);
}

QString timeText(const QTime& time)
{
    if (!time.isValid())
        return time.toString(QString::fromLatin1(TimeFormat));
    char16_t text[8] = {0, 0, u':', 0, 0, u':', 0, 0};
    putDigits(text, time.hour(), 2);
    putDigits(text + 3, time.minute(), 2);
    putDigits(text + 6, time.second(), 2);
    return QString(reinterpret_cast<const QChar*>(text), 8);
}

QString todayText()
{
    return dateText(Clock::today());
}

QString nowTimeText()
{
    return timeText(Clock::currentDateTime().time());
}

Stamp now()
{
    const QDateTime at = Clock::currentDateTime();
    return {dateText(at.date()), timeText(at.time())};
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
