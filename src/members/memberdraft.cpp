#include "members/memberdraft.h"

#include "data/sqlrun.h"
#include "data/values.h"
#include "members/categories.h"
#include "members/memberrecord.h"

using namespace Qt::Literals::StringLiterals;

namespace {

int field(MemberField f)
{
    return int(f);
}

Notice retiredCard()
{
    return Notice::notify(u"系统提示"_s, u"此卡已经挂失，不能使用!"_s, field(MemberField::CardNo), true);
}

// The values of the columns both screens write, in the order of their statements.
QVariantList columnValues(const MemberDraft& d)
{
    const QVariant null;
    return {d.cardNo,
            d.category,
            d.name,
            d.sex,
            d.idNumber,
            d.birthday,
            d.address,
            d.phone,
            d.mobile,
            Values::dateText(d.startDate),
            d.occupation,
            d.hobby,
            d.plate,
            d.vin,
            d.carModel,
            d.carColour,
            Values::dateText(d.purchaseDate),
            d.insured ? 1 : 0,
            d.insured ? QVariant(Values::dateText(d.insuranceDate)) : null,
            d.insured ? QVariant(Values::dateText(d.insuranceExpiry)) : null};
}

const QString CategoryMissing =
    u"必须为会员选择一个正确的卡类别！否则无法进行积分！如果你还没有设置卡类别，请到“卡类别设置”中进行设置！!"_s;

} // namespace

namespace Registration {

std::optional<Notice> cardRefusal(const QSqlDatabase& db, const QString& cardNo)
{
    if (Members::isRetiredCard(db, cardNo))
        return retiredCard();
    if (Members::exists(db, cardNo))
        return Notice::error(u"提示"_s, u"此卡号已经存在！"_s, field(MemberField::CardNo), true);
    return std::nullopt;
}

Outcome save(const QSqlDatabase& db, const MemberDraft& d)
{
    if (d.cardNo.isEmpty())
        return Outcome::refused(Notice::notify(u"系统提示"_s, u"卡号不能为空!"_s, field(MemberField::CardNo)));
    if (auto n = cardRefusal(db, d.cardNo))
        return Outcome::refused(*n);
    if (d.category.isEmpty() || !Categories::find(db, d.category))
        return Outcome::refused(Notice::error(u"系统提示"_s, CategoryMissing, field(MemberField::Category)));

    const QString failed = Sql::transact(db, [&] {
        Sql::run(db,
                 u"insert into 会员卡信息(会员卡号,卡类别,会员姓名,性别,身份证号,会员生日,地址,固定电话,手机,"
                 u"起用日期,职业,兴趣爱好,车牌号,\"VIN码\",车型,车身颜色,购车日期,投保标志,投保日期,保险到期日期,"
                 u"积分,口头挂失标志) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,0,0)"_s,
                 columnValues(d));
    });
    if (!failed.isEmpty())
        return Outcome::refused(Notice::plain(failed));
    return Outcome::success(Notice::information(u"提示"_s, u"新增会员成功！"_s));
}

} // namespace Registration

namespace MemberEdit {

std::optional<Notice> duplicateRefusal(const QSqlDatabase& db, const QString& cardNo, const QString& oldCardNo)
{
    const QVariant other = Sql::scalar(db, u"select 会员卡号 from 会员卡信息 where (会员卡号=?)and(会员卡号<>?)"_s,
                                       {cardNo, oldCardNo});
    if (!other.toString().isEmpty())
        return Notice::error(u"提示"_s, u"该会员卡号已经存在！"_s, field(MemberField::CardNo), true);
    return std::nullopt;
}

Outcome save(const QSqlDatabase& db, const MemberDraft& d, const QString& oldCardNo)
{
    if (d.cardNo.isEmpty())
        return Outcome::refused(Notice::error(u"提示"_s, u"会员卡号不能为空！"_s, field(MemberField::CardNo)));
    if (Members::isRetiredCard(db, d.cardNo))
        return Outcome::refused(retiredCard());
    if (d.category.isEmpty())
        return Outcome::refused(Notice::error(u"提示"_s, u"必须选择一种会员卡类别！"_s, field(MemberField::Category)));
    if (!Categories::find(db, d.category))
        return Outcome::refused(Notice::error(
            u"提示"_s, u"请选择正确的会员卡类型！如果会员卡类别还没有设置，请您设置“卡类别”！"_s,
            field(MemberField::Category)));
    if (auto n = duplicateRefusal(db, d.cardNo, oldCardNo))
        return Outcome::refused(*n);

    QVariantList values = columnValues(d);
    values << oldCardNo;
    const QString failed = Sql::transact(db, [&] {
        Sql::run(db,
                 u"update 会员卡信息 set 会员卡号=?,卡类别=?,会员姓名=?,性别=?,身份证号=?,会员生日=?,地址=?,"
                 u"固定电话=?,手机=?,起用日期=?,职业=?,兴趣爱好=?,车牌号=?,\"VIN码\"=?,车型=?,车身颜色=?,购车日期=?,"
                 u"投保标志=?,投保日期=?,保险到期日期=? where 会员卡号=?"_s,
                 values);
    });
    if (!failed.isEmpty())
        return Outcome::refused(Notice::plain(failed));
    return Outcome::success(Notice::information(u"提示"_s, u"修改会员信息成功！"_s));
}

} // namespace MemberEdit
