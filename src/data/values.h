#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// How dates and times are written into rows and shown: ISO text everywhere, so the same
// value reads the same on every screen and sorts correctly as text.
namespace Values {
inline constexpr auto DateFormat = "yyyy-MM-dd";
inline constexpr auto TimeFormat = "HH:mm:ss";

QString dateText(const QDate& date);
QString timeText(const QTime& time);
QString todayText();
QString nowTimeText();
} // namespace Values
