#include "gifts/giftstock.h"

#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "data/values.h"
#include "points/transactionlog.h"

using namespace Qt::Literals::StringLiterals;

namespace GiftStock {

namespace {
const QString Totals = u"select 礼品名称, 单位, round(sum(数量), 2) as 数量 from 礼品 %1group by 礼品名称, 单位"_s;
} // namespace

Outcome stockIn(const QSqlDatabase& db, const StockIn& e)
{
    const std::pair<const QString*, Field> required[] = {
        {&e.name, NameField}, {&e.unit, UnitField}, {&e.quantity, QuantityField}};
    for (const auto& [text, field] : required) {
        if (text->isEmpty())
            return Outcome::refused(Notice::error(u"提示"_s, u"请将信息填写完整！"_s, field));
    }
    const QString failed = Sql::transact(db, [&] {
        const double quantity = RoundTwoDecimals(parseNumber(e.quantity));
        Sql::run(db, u"insert into 礼品(礼品名称, 单位, 数量, 备注, 日期) values (?, ?, ?, ?, ?)"_s,
                 {e.name, e.unit, quantity, e.remark, Values::dateText(e.date)});
    });
    if (!failed.isEmpty())
        return Outcome::refused(Notice::plain(failed));
    return Outcome::success(Notice::information(u"提示"_s, u"礼品入库成功！"_s));
}

QString showAll(TDM1& dm)
{
    dm.ADOQuery13->close();
    dm.ADOQuery13->setStatement(Totals.arg(QString()));
    return dm.ADOQuery13->open();
}

std::optional<Notice> showOne(TDM1& dm, const QString& name, const QString& unit)
{
    if (name.isEmpty() || unit.isEmpty())
        return Notice::error(u"提示"_s, u"请输入正确的礼品名称和包装单位！"_s);
    dm.ADOQuery13->close();
    dm.ADOQuery13->setStatement(Totals.arg(u"where 礼品名称 = ? and 单位 = ? "_s), {name, unit});
    const QString failed = dm.ADOQuery13->open();
    if (!failed.isEmpty())
        return Notice::plain(failed);
    return std::nullopt;
}

Outcome remove(const QSqlDatabase& db, const std::optional<std::pair<QVariant, QVariant>>& gift)
{
    if (gift) {
        try {
            // A movement booked without a name or unit groups as null; it must go as well.
            Sql::run(db,
                     u"delete from 礼品 where (礼品名称 = ? or (礼品名称 is null and cast(? as text) is null)) "
                     u"and (单位 = ? or (单位 is null and cast(? as text) is null))"_s,
                     {gift->first, gift->first, gift->second, gift->second});
        } catch (const Failure& failure) {
            return Outcome::refused(Notice::plain(failure.text()));
        }
    }
    return Outcome::success(Notice::information(u"提示"_s, u"删除成功！"_s));
}

} // namespace GiftStock
