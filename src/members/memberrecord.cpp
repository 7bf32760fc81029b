#include "members/memberrecord.h"

#include "data/sqlrun.h"
#include "data/values.h"

#include <QSqlRecord>

using namespace Qt::Literals::StringLiterals;

MemberRecord MemberRecord::fromRecord(const QSqlRecord& r)
{
    auto text = [&](const char* column) { return r.value(QString::fromUtf8(column)).toString(); };
    MemberRecord m;
    m.cardNo = text("会员卡号");
    m.category = text("卡类别");
    m.name = text("会员姓名");
    m.sex = text("性别");
    m.idNumber = text("身份证号");
    m.birthday = text("会员生日");
    m.address = text("地址");
    m.phone = text("固定电话");
    m.mobile = text("手机");
    m.startDate = text("起用日期");
    m.occupation = text("职业");
    m.hobby = text("兴趣爱好");
    m.plate = text("车牌号");
    m.vin = text("VIN码");
    m.carModel = text("车型");
    m.carColour = text("车身颜色");
    m.purchaseDate = text("购车日期");
    m.insured = Values::flag(r.value(u"投保标志"_s));
    m.insuranceDate = text("投保日期");
    m.insuranceExpiry = text("保险到期日期");
    m.points = r.value(u"积分"_s).toDouble();
    m.verbalLoss = Values::flag(r.value(u"口头挂失标志"_s));
    return m;
}

namespace Members {

std::optional<MemberRecord> find(const QSqlDatabase& db, const QString& cardNo)
{
    QSqlQuery q = Sql::run(db, u"select * from 会员卡信息 where 会员卡号 =?"_s, {cardNo});
    if (!q.next())
        return std::nullopt;
    return MemberRecord::fromRecord(q.record());
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
    QSqlQuery q = Sql::run(db, u"select distinct %1 from 会员卡信息 where %1 <> '' order by 1"_s.arg(Sql::quotedName(column)));
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
