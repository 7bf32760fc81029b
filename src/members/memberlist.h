#pragma once

#include "data/notice.h"

#include <QDate>
#include <QString>
#include <QVariantList>

#include <optional>

class TDM1;

namespace MemberList {

inline const QString AllMembers = QStringLiteral("select * from 会员卡信息");

// The three conditions of the member list; each applies when its "all" box is not ticked.
struct Filter
{
    bool allDates = true;
    QDate from, to;
    bool allPoints = true;
    QString low, high; // as typed
    bool allCategories = true;
    QString category;
};

enum Field { LowField, CategoryField };

struct Statement
{
    QString text;
    QVariantList values;
};

// The statement for the conditions in force, all bounds inclusive; or the refusal of a missing
// or unreadable bound or a missing category, points first.
std::optional<Notice> check(const Filter& filter);
Statement statementFor(const Filter& filter);
// Checks and, when the conditions hold, runs the list into the shared ADOQuery5.
std::optional<Notice> run(TDM1& dm, const Filter& filter);

// The quick search of the registration screen: members whose chosen column contains the
// text. The column must be one of 会员卡信息; anything else closes the list and returns an
// error text instead of reaching the database.
QString quickSearch(TDM1& dm, const QString& column, const QString& text);

// The chooser's columns in their order.
QStringList quickSearchColumns();

} // namespace MemberList
