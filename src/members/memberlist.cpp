#include "members/memberlist.h"

#include "data/schema.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "data/values.h"

using namespace Qt::Literals::StringLiterals;

namespace MemberList {

namespace {
bool isNumber(const QString& text)
{
    bool ok = false;
    text.trimmed().toDouble(&ok);
    return ok;
}
} // namespace

std::optional<Notice> check(const Filter& f)
{
    if (!f.allPoints) {
        if (f.low.isEmpty() || f.high.isEmpty())
            return Notice::error(u"提示"_s, u"请填写积分条件！"_s, LowField);
        // The engine would read "1..2" as 1 without a word; refuse it instead.
        for (const QString& bound : {f.low, f.high}) {
            if (!isNumber(bound))
                return Notice::error(u"提示"_s, u"“%1”不是有效的积分数值！"_s.arg(bound), LowField);
        }
    }
    if (!f.allCategories && f.category.isEmpty())
        return Notice::error(u"提示"_s, u"请填写卡类别条件！"_s, CategoryField);
    return std::nullopt;
}

Statement statementFor(const Filter& f)
{
    QStringList conditions;
    QVariantList values;
    if (!f.allCategories) {
        conditions << u"(卡类别 =?)"_s;
        values << f.category;
    }
    if (!f.allPoints) {
        conditions << u"(积分>=?)"_s << u"(积分<=?)"_s;
        values << f.low.trimmed().toDouble() << f.high.trimmed().toDouble();
    }
    if (!f.allDates) {
        conditions << u"(起用日期 between ? and ?)"_s;
        values << Values::dateText(f.from) << Values::dateText(f.to);
    }
    if (conditions.isEmpty())
        return {AllMembers, {}};
    return {AllMembers + u" where "_s + conditions.join(u" and "_s), values};
}

std::optional<Notice> run(TDM1& dm, const Filter& f)
{
    if (auto n = check(f))
        return n;
    const Statement s = statementFor(f);
    dm.ADOQuery5->close();
    dm.ADOQuery5->setStatement(s.text, s.values);
    const QString failed = dm.ADOQuery5->open();
    if (!failed.isEmpty())
        return Notice::plain(failed);
    return std::nullopt;
}

QString quickSearch(TDM1& dm, const QString& column, const QString& text)
{
    dm.ADOQuery5->close();
    if (!Schema::hasColumn(u"会员卡信息"_s, column))
        return u"会员卡信息中没有“%1”这一列"_s.arg(column);
    dm.ADOQuery5->setStatement(u"select * from 会员卡信息 where lower(cast(%1 as text)) like lower(?)"_s.arg(Sql::quotedName(column)), {u'%' + text + u'%'});
    return dm.ADOQuery5->open();
}

QStringList quickSearchColumns()
{
    return {u"会员卡号"_s, u"会员姓名"_s, u"卡类别"_s, u"地址"_s, u"固定电话"_s, u"手机"_s,
            u"职业"_s,     u"兴趣爱好"_s, u"车牌号"_s, u"VIN码"_s, u"车型"_s,     u"车身颜色"_s};
}

} // namespace MemberList
