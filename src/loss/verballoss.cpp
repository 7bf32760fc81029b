#include "loss/verballoss.h"

#include "data/sqlrun.h"
#include "data/values.h"

using namespace Qt::Literals::StringLiterals;

namespace VerbalLoss {

void closeOpenReports(const QSqlDatabase& db, const QString& cardNo, const QString& operatorId)
{
    Sql::run(db,
             u"update 口头挂失记录 set 取消挂失日期=?,取消挂失时间=?,取消挂失经手人=? where (会员卡号=? and 取消挂失日期 is "
             u"null and 取消挂失时间 is null and 取消挂失经手人 is null)"_s,
             {Values::todayText(), Values::nowTimeText(), operatorId, cardNo});
}

Result confirm(const QSqlDatabase& db, const Request& r)
{
    const QString caption = u"提示！"_s;
    if (r.mode == Mode::Report && r.frozenShown)
        return {Outcome::refused(Notice::error(caption, u"此卡号已经口头挂失！"_s)), true};
    if (r.mode == Mode::Cancel && !r.frozenShown)
        return {Outcome::refused(Notice::error(caption, u"此卡号还没有口头挂失！"_s)), true};
    if (r.cardNo.isEmpty())
        return {Outcome::refused(Notice::error(caption, u"请将卡号填写完整！"_s)), false};

    const QString failed = Sql::transact(db, [&] {
        if (r.mode == Mode::Report) {
            Sql::run(db, u"update 会员卡信息 set 口头挂失标志=1 where 会员卡号=?"_s, {r.cardNo});
            Sql::run(db,
                     u"insert into 口头挂失记录(会员卡号,会员姓名,口头挂失日期,口头挂失时间,挂失经手人) values (?,?,?,?,?)"_s,
                     {r.cardNo, r.name, Values::todayText(), Values::nowTimeText(), r.operatorId});
        } else {
            Sql::run(db, u"update 会员卡信息 set 口头挂失标志=0 where 会员卡号=?"_s, {r.cardNo});
            closeOpenReports(db, r.cardNo, r.operatorId);
        }
    });
    if (!failed.isEmpty())
        return {Outcome::refused(Notice::plain(failed)), false};
    return {Outcome::success(Notice::information(
                caption, r.mode == Mode::Report ? u"口头挂失成功！"_s : u"取消口头挂失成功！"_s)),
            true};
}

} // namespace VerbalLoss
