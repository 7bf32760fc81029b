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
    const Notice alreadyFrozen = Notice::error(caption, u"此卡号已经口头挂失！"_s);
    const Notice notFrozen = Notice::error(caption, u"此卡号还没有口头挂失！"_s);
    if (r.mode == Mode::Report && r.frozenShown)
        return {Outcome::refused(alreadyFrozen), true};
    if (r.mode == Mode::Cancel && !r.frozenShown)
        return {Outcome::refused(notFrozen), true};
    // An empty field, or one that no longer holds the card looked up: the change would reach
    // another card, or a number no member has.
    if (r.cardNo.isEmpty() || r.cardNo != r.loadedCard)
        return {Outcome::refused(Notice::error(caption, u"请将卡号填写完整！"_s)), false};

    std::optional<Notice> refusal;
    const QString failed = Sql::transact(
        db,
        [&] {
            // What is stored decides, inside the transaction: another counter may have reported
            // or cancelled this card since the lookup.
            QSqlQuery member = Sql::run(db, u"select 口头挂失标志 from 会员卡信息 where 会员卡号=?"_s, {r.loadedCard});
            if (!member.next())
                throw Refusal(Notice::error(caption, u"此卡号不存在！"_s));
            const bool frozen = Values::flag(member.value(0));
            member.finish();
            if (r.mode == Mode::Report) {
                if (frozen || hasOpenReport(db, r.loadedCard))
                    throw Refusal(alreadyFrozen);
                Sql::run(db, u"update 会员卡信息 set 口头挂失标志=1 where 会员卡号=?"_s, {r.loadedCard});
                Sql::run(db,
                         u"insert into 口头挂失记录(会员卡号,会员姓名,口头挂失日期,口头挂失时间,挂失经手人) values (?,?,?,?,?)"_s,
                         {r.loadedCard, r.name, Values::todayText(), Values::nowTimeText(), r.operatorId});
            } else {
                if (!frozen)
                    throw Refusal(notFrozen);
                Sql::run(db, u"update 会员卡信息 set 口头挂失标志=0 where 会员卡号=?"_s, {r.loadedCard});
                closeOpenReports(db, r.loadedCard, r.operatorId);
            }
        },
        &refusal);
    if (!failed.isEmpty())
        return {Outcome::refused(refusal ? *refusal : Notice::plain(failed)), false};
    return {Outcome::success(Notice::information(
                caption, r.mode == Mode::Report ? u"口头挂失成功！"_s : u"取消口头挂失成功！"_s)),
            true};
}

bool hasOpenReport(const QSqlDatabase& db, const QString& cardNo)
{
    return Sql::scalar(db,
                       u"select count(*) from 口头挂失记录 where 会员卡号=? and 取消挂失日期 is null and 取消挂失时间 is "
                       u"null and 取消挂失经手人 is null"_s,
                       {cardNo})
               .toInt()
           > 0;
}

} // namespace VerbalLoss
