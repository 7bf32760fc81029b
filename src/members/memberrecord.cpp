#include "members/memberrecord.h"

#include "data/sqlrun.h"
#include "data/values.h"

#include <QSqlRecord>

using namespace Qt::Literals::StringLiterals;

namespace {
// The value of the column at each position of MemberRecord::columns().
template <class Value> MemberRecord fill(const Value& value)
{
    auto text = [&](int column) { return value(column).toString(); };
    MemberRecord m;
    m.cardNo = text(0);
    m.category = text(1);
    m.name = text(2);
    m.sex = text(3);
    m.idNumber = text(4);
    m.birthday = text(5);
    m.address = text(6);
    m.phone = text(7);
    m.mobile = text(8);
    m.startDate = text(9);
    m.occupation = text(10);
    m.hobby = text(11);
    m.plate = text(12);
    m.vin = text(13);
    m.carModel = text(14);
    m.carColour = text(15);
    m.purchaseDate = text(16);
    m.insured = Values::flag(value(17));
    m.insuranceDate = text(18);
    m.insuranceExpiry = text(19);
    m.points = value(20).toDouble();
    m.verbalLoss = Values::flag(value(21));
    return m;
}

} // namespace

const QStringList& MemberRecord::columns()
{
    static const QStringList names = {u"会员卡号"_s, u"卡类别"_s,   u"会员姓名"_s, u"性别"_s,     u"身份证号"_s,
                                      u"会员生日"_s, u"地址"_s,     u"固定电话"_s, u"手机"_s,     u"起用日期"_s,
                                      u"职业"_s,     u"兴趣爱好"_s, u"车牌号"_s,   u"VIN码"_s,    u"车型"_s,
                                      u"车身颜色"_s, u"购车日期"_s, u"投保标志"_s, u"投保日期"_s, u"保险到期日期"_s,
                                      u"积分"_s,     u"口头挂失标志"_s};
    return names;
}

MemberRecord MemberRecord::fromRecord(const QSqlRecord& r)
{
    return fill([&](int column) { return r.value(columns().at(column)); });
}

MemberRecord MemberRecord::fromRow(const Sql::Rows& rows)
{
    return fill([&](int column) { return rows.value(column); });
}

namespace Members {

const QString& findStatement()
{
    // The columns by name, so their order in the file does not matter; quoted, as a server
    // folds an unquoted name to lower case (VIN码).
    static const QString statement = [] {
        QStringList quoted;
        for (const QString& c : MemberRecord::columns())
            quoted << Sql::quotedName(c);
        return u"select %1 from 会员卡信息 where 会员卡号 =?"_s.arg(quoted.join(u", "_s));
    }();
    return statement;
}

std::optional<MemberRecord> find(const QSqlDatabase& db, const QString& cardNo)
{
    Sql::Rows q = Sql::run(db, findStatement(), {cardNo});
    if (!q.next())
        return std::nullopt;
    return MemberRecord::fromRow(q);
}

bool isRetiredCard(const QSqlDatabase& db, const QString& cardNo)
{
    return !Sql::scalar(db, u"select 旧卡号 from 挂失记录 where 旧卡号 =?"_s, {cardNo}).toString().isEmpty();
}

bool exists(const QSqlDatabase& db, const QString& cardNo)
{
    return !Sql::scalar(db, u"select 会员卡号 from 会员卡信息 where 会员卡号 =?"_s, {cardNo}).toString().isEmpty();
}

QStringList distinctValues(const QSqlDatabase& db, const QString& column)
{
    static const QStringList allowed = {u"地址"_s, u"职业"_s, u"兴趣爱好"_s, u"车型"_s, u"车身颜色"_s};
    if (!allowed.contains(column))
        return {};
    Sql::Rows q = Sql::run(db, u"select distinct %1 from 会员卡信息 where %1 <> '' order by 1"_s.arg(Sql::quotedName(column)));
    QStringList values;
    while (q.next())
        values << q.value(0).toString();
    return values;
}

void remove(const QSqlDatabase& db, const QString& cardNo)
{
    Sql::run(db, u"delete from 会员卡信息 where 会员卡号=?"_s, {cardNo});
}

} // namespace Members
