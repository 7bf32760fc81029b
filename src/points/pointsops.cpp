#include "points/pointsops.h"

#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "data/values.h"
#include "members/categories.h"
#include "points/transactionlog.h"

using namespace Qt::Literals::StringLiterals;

namespace PointsOps {

namespace {
QString orZero(const QString& text)
{
    return text.trimmed().isEmpty() ? u"0"_s : text.trimmed();
}

// The card field no longer holds the card the screen loaded (a failed lookup, a search or an
// edit changed it, or no member was ever loaded): the save would book someone else.
std::optional<Notice> notTheLoadedCard(const QString& cardField, const QString& loadedCard)
{
    if (loadedCard.isEmpty() || cardField != loadedCard)
        return Notice::error(u"提示！"_s, u"请将卡号填写完整！"_s);
    return std::nullopt;
}

// The card as stored, read inside the save's transaction (which holds the write lock, so it
// stays so until the commit): a card no member holds any more, or one a verbal loss report
// froze meanwhile, is refused however the screen showed it.
void admitStoredCard(const QSqlDatabase& db, const QString& cardNo)
{
    QSqlQuery q = Sql::run(db, u"select 口头挂失标志 from 会员卡信息 where 会员卡号=?"_s, {cardNo});
    if (!q.next())
        throw Refusal(Notice::error(u"提示！"_s, u"此卡号不存在！"_s));
    if (Values::flag(q.value(0)))
        throw Refusal(Notice::error(u"提示！"_s, u"此卡已经口头挂失，不能使用！"_s));
}

// The balance update must change the one row of the card.
void expectOneRow(const QSqlQuery& update, const Notice& otherwise)
{
    if (update.numRowsAffected() != 1)
        throw Refusal(otherwise);
}

Outcome failedSave(const QString& failed, const std::optional<Notice>& refusal)
{
    return Outcome::refused(refusal ? *refusal : Notice::plain(failed));
}
} // namespace

Saved savePurchase(const QSqlDatabase& db, PurchaseKind kind, const PurchaseDraft& d, const QString& operatorId)
{
    Saved saved;
    if (auto refusal = notTheLoadedCard(d.cardNo, d.loadedCard)) {
        saved.outcome = Outcome::refused(*refusal);
        return saved;
    }
    const bool add = kind == PurchaseKind::Add;
    std::optional<Notice> refusal;
    const QString failed = transactWithNumber(
        db,
        [&](const QString& number) {
            const double points = RoundTwoDecimals(parseNumber(orZero(d.points)));
            admitStoredCard(db, d.loadedCard);
            expectOneRow(Sql::run(db, u"update 会员卡信息 set 积分=round(积分+?, 2) where 会员卡号=?"_s,
                                  {add ? points : -points, d.loadedCard}),
                         Notice::error(u"提示！"_s, u"此卡号不存在！"_s));
            Sql::run(db,
                     u"insert into 流水记录(编号,会员卡号,会员姓名,商品,增减积分,增减原因,日期,时间,经手人) "
                     u"values (?,?,?,?,?,?,?,?,?)"_s,
                     {number, d.loadedCard, d.name, d.goods, add ? points : -points,
                      add ? u"购物消费"_s : u"退货减积分"_s, Values::todayText(), Values::nowTimeText(), operatorId});
            saved.number = number;
            saved.points = Values::pointsText(points);
        },
        &refusal);
    if (!failed.isEmpty()) {
        saved.outcome = failedSave(failed, refusal);
        return saved;
    }
    const QString tail = u"注意：如果本次录入操作出现了错误，解决的方法是到“会员积分增减历史记录”里把错误记录删除，然后重新录入！"_s;
    saved.outcome =
        Outcome::success(Notice::information(u"提示"_s, (add ? u"增加积分成功！"_s : u"退货减积分成功！"_s) + tail));
    return saved;
}

QStringList goodsList(const QSqlDatabase& db)
{
    QSqlQuery q = Sql::run(db, u"select distinct 商品 from 流水记录 where 商品 is not null and 商品 <> ''"_s);
    QStringList list;
    while (q.next())
        list << q.value(0).toString();
    return list;
}

QString giftText(const QList<GiftRow>& gifts)
{
    QString text;
    for (const GiftRow& g : gifts) {
        if (!g.name.isEmpty())
            text += u' ' + g.name;
    }
    return text;
}

Redeemed redeem(const QSqlDatabase& db, const RedemptionDraft& d, const QString& operatorId)
{
    Redeemed r;
    if (d.giftsEnabled) {
        for (int i = 0; i < d.gifts.size(); ++i) {
            const GiftRow& g = d.gifts.at(i);
            if (!g.isEmpty() && !g.isComplete()) {
                r.badRow = i;
                r.outcome = Outcome::refused(Notice::error(u"提示"_s, u"请将兑换礼品表格填写完整！"_s));
                return r;
            }
        }
    }
    r.giftText = giftText(d.gifts);
    if (auto refusal = notTheLoadedCard(d.cardNo, d.loadedCard)) {
        r.outcome = Outcome::refused(*refusal);
        return r;
    }
    double points = 0;
    double current = 0;
    try {
        points = RoundTwoDecimals(parseNumber(orZero(d.points)));
        current = parseNumber(orZero(d.currentPoints));
    } catch (const Failure& f) {
        r.outcome = Outcome::refused(Notice::plain(f.text()));
        return r;
    }
    if (points <= 0) {
        r.outcome = Outcome::refused(Notice::error(u"提示"_s, u"兑换积分小于或等于零，不能保存！"_s));
        return r;
    }
    const Notice overdrawn = Notice::error(u"提示"_s, u"兑换积分大于现有积分，不能保存！"_s);
    if (points > current) {
        r.outcome = Outcome::refused(overdrawn);
        return r;
    }

    std::optional<Notice> refusal;
    const QString failed = transactWithNumber(
        db,
        [&](const QString& number) {
            const double cash = RoundTwoDecimals(parseNumber(orZero(d.cash)));
            admitStoredCard(db, d.loadedCard);
            // The stored balance decides, not the one the screen showed: another counter may
            // have redeemed from the same card meanwhile.
            expectOneRow(Sql::run(db, u"update 会员卡信息 set 积分=round(积分-?, 2) where 会员卡号=? and 积分>=?"_s,
                                  {points, d.loadedCard, points}),
                         overdrawn);
            Sql::run(db,
                     u"insert into 流水记录(编号,会员卡号,会员姓名,兑换礼品,返现金,增减积分,增减原因,日期,时间,经手人) "
                     u"values (?,?,?,?,?,?,?,?,?,?)"_s,
                     {number, d.loadedCard, d.name, r.giftText, cash, -points, u"兑换积分"_s, Values::todayText(),
                      Values::nowTimeText(), operatorId});
            for (const GiftRow& g : d.gifts) {
                if (g.name.isEmpty())
                    continue;
                const double quantity = RoundTwoDecimals(parseNumber(g.quantity));
                Sql::run(db, u"insert into 礼品(礼品名称,单位,数量) values (?,?,?)"_s, {g.name, g.unit, -quantity});
                Sql::run(db,
                         u"insert into 礼品使用记录(单据号,会员卡号,会员姓名,礼品名称,单位,数量,日期,经手人) "
                         u"values (?,?,?,?,?,?,?,?)"_s,
                         {number, d.loadedCard, d.name, g.name, g.unit, quantity, Values::todayText(), operatorId});
            }
            r.number = number;
            r.points = Values::pointsText(points);
            r.cash = Values::pointsText(cash);
        },
        &refusal);
    if (!failed.isEmpty()) {
        r.outcome = failedSave(failed, refusal);
        return r;
    }
    r.outcome = Outcome::success(Notice::notify(
        u"系统提示"_s,
        u"兑换积分成功！注意：如果本次录入操作出现了错误，解决的方法是到“会员积分增减历史记录”里把错误记录删除，然后重新录入！"_s));
    return r;
}

void showGiftPickList(TDM1& dm)
{
    dm.ADOQuery14->close();
    dm.ADOQuery14->setStatement(u"select 礼品名称,单位 from 礼品 group by 礼品名称,单位"_s);
    dm.ADOQuery14->open();
}

std::optional<Notice> rightsRefusal(const QSqlDatabase& db, const QString& category, RedeemMode mode)
{
    const auto c = Categories::find(db, category);
    const bool gifts = c && c->gifts;
    const bool cash = c && c->cash;
    if (mode == RedeemMode::Gifts && !gifts)
        return Notice::error(u"提示！"_s, u"对不起！此卡不允许兑换礼品！"_s);
    if (mode == RedeemMode::Cash && !cash)
        return Notice::error(u"提示！"_s, u"对不起！此卡不允许返现金！"_s);
    return std::nullopt;
}

} // namespace PointsOps
