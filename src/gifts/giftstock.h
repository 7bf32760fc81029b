#pragma once

#include "data/notice.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <optional>

class TDM1;

// The gift stock: a log of movements in 礼品 (stock-in, redemption, undone redemption), whose
// sum per gift name and unit is the stock. A gift is the pair of name and unit.
namespace GiftStock {

struct StockIn
{
    QDate date;
    QString name;
    QString unit;
    QString quantity; // as typed; may be negative
    QString remark;   // the memo's whole text, line breaks included
};

// The fields of the stock-in screen, as a refusal names them.
enum Field { NameField, UnitField, QuantityField };

// Books one stock-in: refuses an empty name, unit or quantity ("请将信息填写完整！"), then
// inserts the movement in a transaction. A quantity that is no number fails with the
// conversion error and writes nothing.
Outcome stockIn(const QSqlDatabase& db, const StockIn& entry);

// "显示全部": one row per gift with its stock, into the shared ADOQuery13. Returns the
// engine's error text, empty on success.
QString showAll(TDM1& dm);
// "查询": the one gift of that name and unit. Either empty is refused before the list changes.
std::optional<Notice> showOne(TDM1& dm, const QString& name, const QString& unit);

// Deletes every movement of the gift (name and unit as the list shows them, a null one
// included). Without a gift (an empty list) nothing is deleted and the outcome is the same
// success. The redemption records stay.
Outcome remove(const QSqlDatabase& db, const std::optional<std::pair<QVariant, QVariant>>& gift);

} // namespace GiftStock
