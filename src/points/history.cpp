#include "points/history.h"

#include "data/schema.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "data/values.h"

using namespace Qt::Literals::StringLiterals;

namespace History {

QString run(TDM1& dm, const Filter& f)
{
    SharedQuery* q = dm.ADOQuery8;
    q->close();
    QStringList conditions;
    QVariantList values;
    if (!f.allOther) {
        if (!Schema::hasColumn(u"流水记录"_s, f.column))
            return u"流水记录中没有“%1”这一列"_s.arg(f.column);
        conditions << u"(%1 = ?)"_s.arg(Sql::quotedName(f.column));
        values << f.value;
    }
    if (!f.allDates) {
        conditions << u"(日期 between ? and ?)"_s;
        values << Values::dateText(f.from) << Values::dateText(f.to);
    }
    q->setStatement(conditions.isEmpty() ? AllRows : AllRows + u" where "_s + conditions.join(u"and"_s), values);
    return q->open();
}

void showCard(TDM1& dm, const QString& cardNo)
{
    dm.ADOQuery8->close();
    dm.ADOQuery8->setStatement(u"select * from 流水记录 where 会员卡号=?"_s, {cardNo});
    dm.ADOQuery8->open();
}

Outcome deleteEntry(const QSqlDatabase& db, const QString& number)
{
    const QString failed = Sql::transact(db, [&] {
        Sql::Rows row = Sql::run(db, u"select 会员卡号, 增减积分 from 流水记录 where 编号=?"_s, {number});
        if (!row.next())
            throw Failure(u"这条历史记录已经不存在"_s);
        const QString card = row.value(0).toString();
        const double change = row.value(1).toDouble();
        row.finish();
        Sql::run(db, u"update 会员卡信息 set 积分=round(积分-?, 2) where 会员卡号=?"_s, {change, card});

        Sql::Rows gifts = Sql::run(db, u"select 礼品名称, 单位, 数量 from 礼品使用记录 where 单据号=?"_s, {number});
        QList<QVariantList> back;
        while (gifts.next())
            back.append({gifts.value(0), gifts.value(1), gifts.value(2)});
        gifts.finish();
        if (!back.isEmpty()) {
            Sql::run(db, u"delete from 礼品使用记录 where 单据号=?"_s, {number});
            for (const QVariantList& g : std::as_const(back))
                Sql::run(db, u"insert into 礼品(礼品名称, 单位, 数量, 日期) values (?, ?, ?, ?)"_s,
                         {g.at(0), g.at(1), g.at(2), Values::todayText()});
        }
        Sql::run(db, u"delete from 流水记录 where 编号=?"_s, {number});
    });
    if (!failed.isEmpty())
        return Outcome::refused(Notice::plain(failed));
    return Outcome::success(Notice::information(u"提示"_s, u"删除成功！如果是错误录入，请重新录入！"_s));
}

QStringList filterColumns()
{
    return {u"会员卡号"_s, u"会员姓名"_s};
}

} // namespace History
