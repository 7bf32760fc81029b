#include "members/cardlookup.h"

#include "data/sqlrun.h"
#include "data/tdm1.h"

using namespace Qt::Literals::StringLiterals;

namespace CardLookup {

namespace {
const std::array<SearchField, 8> g_fields = {{
    {"会员姓名", "Edit3", "BitBtn5"},
    {"身份证号", "Edit4", "BitBtn6"},
    {"固定电话", "Edit5", "BitBtn7"},
    {"手机", "Edit6", "BitBtn8"},
    {"职业", "Edit12", "BitBtn9"},
    {"兴趣爱好", "Edit13", "BitBtn10"},
    {"车牌号", "Edit14", "BitBtn11"},
    {"VIN码", "Edit15", "BitBtn12"},
}};
} // namespace

Result byCardNumber(const QSqlDatabase& db, const QString& cardNo)
{
    if (Members::isRetiredCard(db, cardNo))
        return {Result::Kind::Retired, {}};
    if (auto member = Members::find(db, cardNo); member && !member->cardNo.isEmpty())
        return {Result::Kind::Found, *member};
    return {Result::Kind::NotFound, {}};
}

void showLossRecords(TDM1& dm, const QString& cardNo)
{
    dm.ADOQuery9->setStatement(u"select * from 挂失记录 where 旧卡号=?"_s, {cardNo});
    dm.ADOQuery9->open();
}

void showVerbalLossRecords(TDM1& dm, const QString& cardNo)
{
    dm.ADOQuery10->setStatement(u"select * from 口头挂失记录 where 会员卡号=?"_s, {cardNo});
    dm.ADOQuery10->open();
}

const std::array<SearchField, 8>& searchFields()
{
    return g_fields;
}

QString search(TDM1& dm, const QString& column, const QString& text)
{
    const bool known = std::any_of(g_fields.begin(), g_fields.end(),
                                   [&](const SearchField& f) { return column == QString::fromUtf8(f.column); });
    if (!known)
        return u"不能按“%1”查找会员"_s.arg(column);
    dm.ADOQuery7->setStatement(u"select 会员卡号,会员姓名,身份证号 from 会员卡信息 where lower(%1) like lower(?)"_s.arg(Sql::quotedName(column)),
                               {u'%' + text + u'%'});
    return dm.ADOQuery7->open();
}

} // namespace CardLookup
