#include "loss/lossviews.h"

#include "data/schema.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"

using namespace Qt::Literals::StringLiterals;

namespace LossViews {

const View& verbal()
{
    static const View v{"口头挂失记录", "口头挂失记录", {u"会员卡号"_s, u"会员姓名"_s}};
    return v;
}

const View& formal()
{
    static const View v{"挂失记录", "全部挂失历史记录", {u"旧卡号"_s, u"新卡号"_s, u"会员姓名"_s}};
    return v;
}

SharedQuery* queryOf(TDM1& dm, const View& view)
{
    return &view == &verbal() ? dm.ADOQuery10 : dm.ADOQuery9;
}

QString showAll(TDM1& dm, const View& view)
{
    SharedQuery* q = queryOf(dm, view);
    q->close();
    q->setStatement(u"select * from %1 "_s.arg(QString::fromUtf8(view.table)));
    return q->open();
}

QString filter(TDM1& dm, const View& view, const QString& column, const QString& value)
{
    SharedQuery* q = queryOf(dm, view);
    q->close();
    const QString table = QString::fromUtf8(view.table);
    if (!Schema::hasColumn(table, column))
        return u"%1中没有“%2”这一列"_s.arg(table, column);
    q->setStatement(u"select * from %1 where %2 = ?"_s.arg(table, Sql::quotedName(column)), {value});
    return q->open();
}

} // namespace LossViews
