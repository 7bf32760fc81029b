#include "gifts/giftrecords.h"

#include "data/schema.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "data/values.h"
#include "members/memberdates.h"
#include "points/transactionlog.h"

#include <QDate>

using namespace Qt::Literals::StringLiterals;

namespace GiftRecords {

namespace {

const QString Table = u"礼品使用记录"_s;

// Equal to the bound value, a null one included (the value is bound twice).
QString sameAs(const QString& column)
{
    const QString name = Sql::quotedName(column);
    return u"(%1 = ? or (%1 is null and cast(? as text) is null))"_s.arg(name);
}

QVariant storedValue(const QString& column, const QString& text)
{
    if (column == u"数量"_s)
        return RoundTwoDecimals(parseNumber(text));
    if (column == u"日期"_s) {
        if (!QDate::fromString(text, QString::fromLatin1(Values::DateFormat)).isValid())
            throw Failure(MemberDates::invalidDateText(text));
    }
    return text;
}

} // namespace

QString showAll(TDM1& dm)
{
    dm.ADOQuery15->close();
    dm.ADOQuery15->setStatement(u"select * from 礼品使用记录 order by 日期"_s);
    return dm.ADOQuery15->open();
}

QString writeCell(const QSqlDatabase& db, const Row& row, const QString& column, const QVariant& oldValue,
                  const QString& text)
{
    if (!Schema::hasColumn(Table, column))
        return u"%1中没有“%2”这一列"_s.arg(Table, column);
    return Sql::transact(db, [&] {
        const QVariant value = storedValue(column, text);
        QStringList where{sameAs(u"单据号"_s), sameAs(u"礼品名称"_s), sameAs(u"单位"_s)};
        QVariantList values{value, row.number, row.number, row.name, row.name, row.unit, row.unit};
        if (column != u"单据号"_s && column != u"礼品名称"_s && column != u"单位"_s) {
            where << sameAs(column);
            values << oldValue << oldValue;
        }
        QSqlQuery update = Sql::run(
            db, u"update 礼品使用记录 set %1 = ? where %2"_s.arg(Sql::quotedName(column), where.join(u" and "_s)),
            values);
        const int changed = update.numRowsAffected();
        if (changed == 0)
            throw Failure(u"该记录已被删除或修改，请刷新后再试！"_s);
        if (changed > 1)
            throw Failure(u"有多条相同的记录，无法确定要修改哪一条！"_s);
    });
}

} // namespace GiftRecords
