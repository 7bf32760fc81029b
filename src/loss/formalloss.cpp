#include "loss/formalloss.h"

#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "data/values.h"
#include "loss/verballoss.h"
#include "members/memberrecord.h"
#include "points/transactionlog.h"

using namespace Qt::Literals::StringLiterals;

namespace FormalLoss {

Outcome replace(const QSqlDatabase& db, const Request& r)
{
    const QString caption = u"提示！"_s;
    // A search empties the card field; an edit may change it. Either way the number on screen
    // is not the member's any more, and retiring it would lose an unrelated card or nothing.
    if (r.oldCardNo.isEmpty() || r.oldCardNo != r.lookedUpCard)
        return Outcome::refused(Notice::error(caption, u"请将卡号填写完整！"_s, OldCardField));
    if (r.newCardNo.isEmpty())
        return Outcome::refused(Notice::error(caption, u"请输入新卡号！"_s, NewCardField));
    if (Members::isRetiredCard(db, r.newCardNo))
        return Outcome::refused(Notice::error(caption, u"此新卡号已经被挂失，不能使用！"_s, NewCardField));
    if (Members::exists(db, r.newCardNo))
        return Outcome::refused(Notice::error(caption, u"此卡号已经存在！"_s, NewCardField, true));

    double points = 0;
    try {
        points = parseNumber(r.pointsShown);
    } catch (const Failure& failure) {
        return Outcome::refused(Notice::plain(failure.text()));
    }
    std::optional<Notice> refusal;
    const QString failed = Sql::transact(
        db,
        [&] {
            // The same checks again against what is stored now, under the write lock: another
            // counter may have replaced this card, or given out the new number, meanwhile.
            if (Members::isRetiredCard(db, r.newCardNo))
                throw Refusal(Notice::error(caption, u"此新卡号已经被挂失，不能使用！"_s, NewCardField));
            if (Members::exists(db, r.newCardNo))
                throw Refusal(Notice::error(caption, u"此卡号已经存在！"_s, NewCardField, true));
            const QSqlQuery renamed =
                Sql::run(db, u"update 会员卡信息 set 口头挂失标志=0,会员卡号=? where 会员卡号=?"_s, {r.newCardNo, r.oldCardNo});
            if (renamed.numRowsAffected() != 1)
                throw Refusal(Notice::error(caption, u"此卡号不存在！"_s, OldCardField));
            Sql::run(db, u"update 流水记录 set 会员卡号=? where 会员卡号=?"_s, {r.newCardNo, r.oldCardNo});
            Sql::run(db, u"insert into 挂失记录(旧卡号,新卡号,会员姓名,原有积分,日期,时间,经手人) values (?,?,?,?,?,?,?)"_s,
                     {r.oldCardNo, r.newCardNo, r.name, points, Values::todayText(), Values::nowTimeText(),
                      r.operatorId});
            VerbalLoss::closeOpenReports(db, r.oldCardNo, r.operatorId);
        },
        &refusal);
    if (!failed.isEmpty())
        return Outcome::refused(refusal ? *refusal : Notice::plain(failed));
    return Outcome::success(Notice::information(caption, u"会员卡挂失、补发新卡成功!"_s));
}

void showAllRecords(TDM1& dm)
{
    dm.ADOQuery9->close();
    dm.ADOQuery9->setStatement(u"select * from 挂失记录 "_s);
    dm.ADOQuery9->open();
}

} // namespace FormalLoss
