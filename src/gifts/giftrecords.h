#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

class TDM1;

// The redemption records 礼品使用记录: one row per gift handed out, listed by date. The list
// is not read-only: a corrected cell is written back to its row.
namespace GiftRecords {

// Every record ordered by 日期, into the shared ADOQuery15. Returns the engine's error text.
QString showAll(TDM1& dm);

// A record as the list read it: the row is known by its 单据号 and the gift's name and unit,
// and by the old value of the cell being changed.
struct Row
{
    QVariant number; // 单据号
    QVariant name;   // 礼品名称
    QVariant unit;   // 单位
};

// Writes the text typed into the column of that row, in a transaction. 数量 must be a number
// and 日期 a yyyy-MM-dd date; other columns take the text as typed. A row that is no longer
// there, or that cannot be told from another one, is not changed. Returns the error text,
// empty when written.
QString writeCell(const QSqlDatabase& db, const Row& row, const QString& column, const QVariant& oldValue,
                  const QString& text);

} // namespace GiftRecords
