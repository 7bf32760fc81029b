#include "members/categories.h"

#include "data/sqlrun.h"
#include "data/values.h"
#include "data/tdm1.h"

using namespace Qt::Literals::StringLiterals;

namespace Categories {

namespace {
const QString Caption = u"提示"_s;


std::optional<Notice> checkNameAndRatio(const Category& c)
{
    if (c.name.isEmpty())
        return Notice::error(Caption, u"卡类别名称不能为空！"_s, NameField);
    return std::nullopt;
}

std::optional<Notice> checkRatio(const Category& c)
{
    if (c.ratio <= 0)
        return Notice::error(Caption, u"积分比例必须大于零！"_s, RatioField);
    return std::nullopt;
}
} // namespace

QStringList names(const QSqlDatabase& db)
{
    // The whole row, so the engine walks the table in the order the categories were made
    // instead of along the name index.
    Sql::Rows q = Sql::run(db, ListStatement);
    QStringList list;
    while (q.next())
        list << q.value(u"卡类别"_s).toString();
    return list;
}

std::optional<Category> find(const QSqlDatabase& db, const QString& name)
{
    Sql::Rows q = Sql::run(db, u"select 卡类别, 积分比例, 允许兑换礼品, 允许返现金 from 卡类别 where 卡类别=?"_s, {name});
    if (!q.next())
        return std::nullopt;
    return Category{q.value(0).toString(), q.value(1).toInt(), Values::flag(q.value(2)), Values::flag(q.value(3))};
}

std::optional<Notice> nameTaken(const QSqlDatabase& db, const QString& name)
{
    if (find(db, name))
        return Notice::error(Caption, u"该卡类别名称已经存在！请重新设定一个新的卡类别名称！"_s, NameField, true);
    return std::nullopt;
}

Outcome add(const QSqlDatabase& db, const Category& c)
{
    if (auto n = checkNameAndRatio(c))
        return Outcome::refused(*n);
    if (auto n = nameTaken(db, c.name))
        return Outcome::refused(*n);
    if (auto n = checkRatio(c))
        return Outcome::refused(*n);
    const QString failed = Sql::transact(db, [&] {
        Sql::run(db, u"insert into 卡类别(卡类别, 积分比例, 允许兑换礼品, 允许返现金) values (?, ?, ?, ?)"_s,
                 {c.name, c.ratio, c.gifts ? 1 : 0, c.cash ? 1 : 0});
    });
    if (!failed.isEmpty())
        return Outcome::refused(Notice::plain(failed));
    return Outcome::success(Notice::information(Caption, u"新增卡类别成功！"_s));
}

Outcome update(const QSqlDatabase& db, const Category& c)
{
    if (auto n = checkNameAndRatio(c))
        return Outcome::refused(*n);
    if (auto n = checkRatio(c))
        return Outcome::refused(*n);
    const QString failed = Sql::transact(db, [&] {
        Sql::run(db, u"update 卡类别 set 积分比例=?, 允许兑换礼品=?, 允许返现金=? where 卡类别=?"_s,
                 {c.ratio, c.gifts ? 1 : 0, c.cash ? 1 : 0, c.name});
    });
    if (!failed.isEmpty())
        return Outcome::refused(Notice::plain(failed));
    return Outcome::success(Notice::information(Caption, u"修改卡类别成功！"_s));
}

void remove(const QSqlDatabase& db, const QString& name)
{
    Sql::run(db, u"delete from 卡类别 where 卡类别=?"_s, {name});
}

void reopenList(TDM1& dm)
{
    dm.ADOQuery4->setStatement(ListStatement);
    dm.ADOQuery4->open();
}

} // namespace Categories
