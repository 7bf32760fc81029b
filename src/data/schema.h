#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

// The nine tables of the shop's database. Dates are ISO text (yyyy-MM-dd), times HH:mm:ss
// text, yes/no 0/1; points, cash and gift quantities are decimals that every changing
// statement keeps at two places.
namespace Schema {

// How a text column compares. Card numbers, category names and operator IDs are keys that
// the shop types in any letter case: "a001" finds the card A001, and two keys that differ only
// in case cannot both exist. The engine supplies the clause that makes a column so.
enum class Compare { Exact, Caseless };

struct Column
{
    const char* name;
    // SQL type with its constraints as SQLite is told (the file format); another engine reads
    // the kind of value from its first word (TEXT, INTEGER, REAL) and gives its own type.
    const char* type;
    Compare compare = Compare::Exact;
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

// The version of the tables and indexes this program makes, kept in the file: every change
// to them raises it by one and comes with the upgrade step that brings an older file along.
inline constexpr int Version = 1;

// What follows a column's name in CREATE TABLE, as the engine writes it (type, comparison,
// constraints).
using ColumnDefinition = std::function<QString(const Column&)>;

// The statement that creates a table under the given name (its own, or a stand-in while the
// table is rebuilt); extra is what the engine adds after the columns (empty for nothing).
QString createTable(const Table& table, const QString& name, const ColumnDefinition& definition,
                    const QString& extra = {});
// Every index, unique keys first; they follow their columns' comparison.
QStringList indexStatements();
// What the database lacks of this schema: the first table or column missing, described for the
// operator ("缺少表“会员卡信息”"); empty when every table is there with all its columns. Extra
// tables and columns are no obstacle.
QString missingIn(const QSqlDatabase& db);

// Statements that create every table and index of an empty database.
QStringList createStatements(const ColumnDefinition& definition, const QString& extra = {});

inline constexpr auto BuiltInOperatorId = "0001";
inline constexpr auto BuiltInOperatorName = "系统管理员";

} // namespace Schema
