#pragma once

#include "data/notice.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

class TDM1;

// Card categories: how many yuan earn one point, and whether cards may redeem gifts or cash.
struct Category
{
    QString name;
    int ratio = 1;
    bool gifts = true;
    bool cash = true;
};

namespace Categories {

enum Field { NameField, RatioField };

inline const QString ListStatement = QStringLiteral("select * from 卡类别");

QStringList names(const QSqlDatabase& db);
std::optional<Category> find(const QSqlDatabase& db, const QString& name);

// Leaving the name field: a name already in use is refused (and cleared). Empty passes.
std::optional<Notice> nameTaken(const QSqlDatabase& db, const QString& name);

// The new category, checked in order: name empty, name in use, ratio not above zero.
Outcome add(const QSqlDatabase& db, const Category& category);
// The changed ratio and rights; the name never changes.
Outcome update(const QSqlDatabase& db, const Category& category);
// Deleting does not look at members still carrying the name; they keep it.
void remove(const QSqlDatabase& db, const QString& name);

// Reopens the category list every screen shows.
void reopenList(TDM1& dm);

} // namespace Categories
