#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>

// How dates and times are written into rows and shown: ISO text everywhere, so the same
// value reads the same on every screen and sorts correctly as text.
namespace Values {
inline constexpr auto DateFormat = "yyyy-MM-dd";
inline constexpr auto TimeFormat = "HH:mm:ss";

QString dateText(const QDate& date);
QString timeText(const QTime& time);
QString todayText();
QString nowTimeText();
// The date and the time of one moment, for a row that records both (two separate readings of
// the clock could fall on either side of midnight).
struct Stamp
{
    QString date;
    QString time;
};
Stamp now();
} // namespace Values

namespace Values {
// Points and money as the operator reads them: at most two decimals, no trailing zeros
// (12.5, 12, 0.3), whatever binary noise the stored double carries.
QString pointsText(double value);
QString pointsText(const QVariant& value); // null: empty text
} // namespace Values

namespace Values {
// A yes/no column's value: 0/1 as written here, or "True"/"False" and -1 from older files.
bool flag(const QVariant& value);
} // namespace Values

// How a list shows a column's value: as stored, as 是/否, or as points.
enum class DisplayFormat { Plain, YesNo, Points };

namespace Values {
QString displayText(const QVariant& value, DisplayFormat format);
} // namespace Values
