#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The nine tables of the shop's database. Dates are ISO text (yyyy-MM-dd), times HH:mm:ss
// text, yes/no 0/1; points, cash and gift quantities are decimals that every changing
// statement keeps at two places.
namespace Schema {

struct Column
{
    const char* name;
    const char* type; // SQL type with its default, as the engine is told
};

struct Table
{
    const char* name;
    std::initializer_list<Column> columns;
};

const std::initializer_list<Table>& tables();

// Column names of a table in table order, or an empty list for an unknown table. The choosers
// where an operator names a column are checked against this before any statement is built.
QStringList columnsOf(const QString& table);
bool hasColumn(const QString& table, const QString& column);

// What the database lacks of this schema: the first table or column missing, described for the
// operator ("缺少表“会员卡信息”"); empty when every table is there with all its columns. Extra
// tables and columns are no obstacle.
QString missingIn(const QSqlDatabase& db);

// Statements that create every table and index of an empty database.
QStringList createStatements();

inline constexpr auto BuiltInOperatorId = "0001";
inline constexpr auto BuiltInOperatorName = "系统管理员";

} // namespace Schema
