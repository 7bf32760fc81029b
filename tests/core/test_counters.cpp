// Several counters on one database file: what a screen showed may be stale by the time it saves,
// a list may be open while others save, and the stored state must decide.
#include "config/programhome.h"
#include "data/engine.h"
#include "data/sqlrun.h"
#include "loss/formalloss.h"
#include "loss/verballoss.h"
#include "points/pointsops.h"
#include "support/testhome.h"

#include <QSqlQuery>

#include <functional>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Everything the saves below might write, as one text: a refused save leaves it as it was.
QString storedState(TestHome& home)
{
    QString state;
    const QString tables[] = {
        u"select 会员卡号, 积分, 口头挂失标志 from 会员卡信息 order by 会员卡号"_s,
        u"select 编号, 会员卡号, 增减积分 from 流水记录 order by 编号"_s,
        u"select 旧卡号, 新卡号 from 挂失记录 order by "_s + rowKey(),
        u"select 会员卡号, 取消挂失日期 from 口头挂失记录 order by "_s + rowKey(),
        u"select 礼品名称, 数量 from 礼品 order by "_s + rowKey(),
        u"select 单据号, 礼品名称 from 礼品使用记录 order by "_s + rowKey(),
    };
    for (const QString& statement : tables) {
        QSqlQuery q = Sql::run(home.db(), statement);
        while (q.next()) {
            for (int i = 0; i < q.record().count(); ++i)
                state += q.value(i).toString() + u'|';
            state += u'\n';
        }
        state += u"--\n"_s;
    }
    return state;
}

PointsOps::PurchaseDraft purchase(const QString& field, const QString& loaded, const QString& points = u"10"_s)
{
    PointsOps::PurchaseDraft d;
    d.cardNo = field;
    d.loadedCard = loaded;
    d.name = u"张三"_s;
    d.goods = u"机油"_s;
    d.points = points;
    return d;
}

PointsOps::RedemptionDraft redemption(const QString& card, const QString& points, const QString& shown)
{
    PointsOps::RedemptionDraft d;
    d.giftsEnabled = true;
    d.gifts = {{u"帽子"_s, u"顶"_s, u"1"_s}};
    d.cardNo = card;
    d.loadedCard = card;
    d.name = u"张三"_s;
    d.points = points;
    d.currentPoints = shown;
    return d;
}

VerbalLoss::Request verbal(VerbalLoss::Mode mode, bool frozenShown, const QString& card)
{
    return {mode, frozenShown, card, card, u"张三"_s, u"0002"_s};
}

FormalLoss::Request replacement(const QString& oldCard, const QString& newCard, const QString& pointsShown = u"1000"_s)
{
    return {oldCard, oldCard, newCard, u"张三"_s, pointsShown, u"0002"_s};
}

// Each case: what another counter did since this screen's lookup, then this screen's save,
// which must be refused with the box named and change nothing.
TEST(StaleScreens, SavesCheckWhatIsStoredAndChangeNothingWhenRefused)
{
    struct Case
    {
        const char* what;
        std::function<void(TestHome&)> meanwhile;
        std::function<Outcome(const QSqlDatabase&)> save;
        QString caption;
        QString text;
        Notice::Kind kind = Notice::Kind::Error;
    };
    const auto add = PointsOps::PurchaseKind::Add;
    const auto deduct = PointsOps::PurchaseKind::Deduct;
    const auto replaced = [](TestHome& h) {
        ASSERT_TRUE(FormalLoss::replace(h.db(), replacement(u"A"_s, u"B"_s)).ok);
    };
    const auto frozen = [](TestHome& h) {
        ASSERT_TRUE(VerbalLoss::confirm(h.db(), verbal(VerbalLoss::Mode::Report, false, u"A"_s)).outcome.ok);
    };
    const auto redeemedAll = [](TestHome& h) {
        ASSERT_TRUE(PointsOps::redeem(h.db(), redemption(u"A"_s, u"1000"_s, u"1000"_s), u"0003"_s).outcome.ok);
    };
    const auto nothing = [](TestHome&) {};
    const Case cases[] = {
        {"a purchase after a failed lookup: no member loaded", nothing,
         [&](auto db) { return PointsOps::savePurchase(db, add, purchase(u"Z"_s, u""_s), u"0002"_s).outcome; },
         u"提示！"_s, u"请将卡号填写完整！"_s},
        {"a purchase with another number typed after the lookup", nothing,
         [&](auto db) { return PointsOps::savePurchase(db, add, purchase(u"X"_s, u"A"_s), u"0002"_s).outcome; },
         u"提示！"_s, u"请将卡号填写完整！"_s},
        {"a return with the card field emptied by a search", nothing,
         [&](auto db) { return PointsOps::savePurchase(db, deduct, purchase(u""_s, u"A"_s), u"0002"_s).outcome; },
         u"提示！"_s, u"请将卡号填写完整！"_s},
        {"a purchase on a card replaced meanwhile", replaced,
         [&](auto db) { return PointsOps::savePurchase(db, add, purchase(u"A"_s, u"A"_s), u"0002"_s).outcome; },
         u"提示！"_s, u"此卡号不存在！"_s},
        {"a return on a card frozen meanwhile", frozen,
         [&](auto db) { return PointsOps::savePurchase(db, deduct, purchase(u"A"_s, u"A"_s), u"0002"_s).outcome; },
         u"提示！"_s, u"此卡已经口头挂失，不能使用！"_s},
        {"a purchase with a points text beyond what a double keeps", nothing,
         [&](auto db) {
             return PointsOps::savePurchase(db, add, purchase(u"A"_s, u"A"_s, u"123456789012345678.99"_s), u"0002"_s)
                 .outcome;
         },
         {}, u"“123456789012345678.99”不是有效的数值"_s, Notice::Kind::Plain},
        {"the full balance redeemed again from a screen still showing it", redeemedAll,
         [&](auto db) { return PointsOps::redeem(db, redemption(u"A"_s, u"1000"_s, u"1000"_s), u"0002"_s).outcome; },
         u"提示"_s, u"兑换积分大于现有积分，不能保存！"_s},
        {"a redemption the shown balance covers but the stored one does not",
         [](TestHome& h) { h.exec(u"update 会员卡信息 set 积分=50 where 会员卡号='A'"_s); },
         [&](auto db) { return PointsOps::redeem(db, redemption(u"A"_s, u"75"_s, u"100"_s), u"0002"_s).outcome; },
         u"提示"_s, u"兑换积分大于现有积分，不能保存！"_s},
        {"a redemption on a card frozen meanwhile", frozen,
         [&](auto db) { return PointsOps::redeem(db, redemption(u"A"_s, u"10"_s, u"1000"_s), u"0002"_s).outcome; },
         u"提示！"_s, u"此卡已经口头挂失，不能使用！"_s},
        {"a redemption on a card replaced meanwhile", replaced,
         [&](auto db) { return PointsOps::redeem(db, redemption(u"A"_s, u"10"_s, u"1000"_s), u"0002"_s).outcome; },
         u"提示！"_s, u"此卡号不存在！"_s},
        {"the same card replaced again from a second screen", replaced,
         [&](auto db) { return FormalLoss::replace(db, replacement(u"A"_s, u"C"_s)); }, u"提示！"_s,
         u"此卡号不存在！"_s},
        {"a replacement whose 现有积分 is no number", nothing,
         [&](auto db) { return FormalLoss::replace(db, replacement(u"A"_s, u"C"_s, u"１２"_s)); }, {},
         u"“１２”不是有效的数值"_s, Notice::Kind::Plain},
        {"a verbal loss reported again from a second screen", frozen,
         [&](auto db) { return VerbalLoss::confirm(db, verbal(VerbalLoss::Mode::Report, false, u"A"_s)).outcome; },
         u"提示！"_s, u"此卡号已经口头挂失！"_s},
        {"a verbal loss reported while an open report stands",
         [](TestHome& h) { h.exec(u"insert into 口头挂失记录 (会员卡号, 口头挂失日期) values ('A', '2026-01-01')"_s); },
         [&](auto db) { return VerbalLoss::confirm(db, verbal(VerbalLoss::Mode::Report, false, u"A"_s)).outcome; },
         u"提示！"_s, u"此卡号已经口头挂失！"_s},
        {"a verbal loss cancelled again from a second screen",
         [&](TestHome& h) {
             frozen(h);
             ASSERT_TRUE(VerbalLoss::confirm(h.db(), verbal(VerbalLoss::Mode::Cancel, true, u"A"_s)).outcome.ok);
         },
         [&](auto db) { return VerbalLoss::confirm(db, verbal(VerbalLoss::Mode::Cancel, true, u"A"_s)).outcome; },
         u"提示！"_s, u"此卡号还没有口头挂失！"_s},
        {"a verbal loss on a card replaced meanwhile", replaced,
         [&](auto db) { return VerbalLoss::confirm(db, verbal(VerbalLoss::Mode::Report, false, u"A"_s)).outcome; },
         u"提示！"_s, u"此卡号不存在！"_s},
        {"a verbal loss with another number typed after the lookup", nothing,
         [&](auto db) {
             return VerbalLoss::confirm(db, {VerbalLoss::Mode::Report, false, u"X"_s, u"A"_s, u"张三"_s, u"0002"_s})
                 .outcome;
         },
         u"提示！"_s, u"请将卡号填写完整！"_s},
    };
    for (const Case& c : cases) {
        TestHome home;
        home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 积分) values ('A', '张三', 1000), ('X', '李四', 7)"_s);
        c.meanwhile(home);
        const QString before = storedState(home);
        const Outcome o = c.save(home.db());
        EXPECT_FALSE(o.ok) << c.what;
        EXPECT_EQ(o.notice.kind, c.kind) << c.what;
        EXPECT_EQ(o.notice.caption, c.caption) << c.what;
        EXPECT_EQ(o.notice.text, c.text) << c.what;
        EXPECT_EQ(storedState(home), before) << c.what;
    }
}

// A list shown on this counter holds no statement between its pages: the other counter's
// saves are checkpointed out of the log, and this counter's own save goes through.
TEST(OpenList, NeverHoldsTheDatabaseBetweenPages)
{
    TestHome home;
    home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名) values ('A', '张三'), ('B', '李四')"_s);
    home.exec(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 600) "
              u"insert into 流水记录 (编号, 会员卡号, 增减积分) select "_s + padded(u"i"_s, 10) + u", 'B', 0 from n"_s);
    SharedQuery* list = home.dm().ADOQuery8;
    list->setStatement(u"select * from 流水记录"_s);
    ASSERT_EQ(list->open(), QString());
    ASSERT_TRUE(list->canFetchMore()) << "the list stands in the middle of its rows";

    QString error;
    ASSERT_TRUE(Engine::open(u"other counter"_s, home.location(), &error)) << error.toStdString();
    {
        const QSqlDatabase other = QSqlDatabase::database(u"other counter"_s, false);
        EXPECT_TRUE(PointsOps::savePurchase(other, PointsOps::PurchaseKind::Add, purchase(u"B"_s, u"B"_s), u"0003"_s)
                        .outcome.ok);
        // A reader holding an older snapshot would keep SQLite's log from being emptied (busy = 1).
        if (!onServer()) {
            QSqlQuery checkpoint = Sql::run(other, u"PRAGMA wal_checkpoint(TRUNCATE)"_s);
            ASSERT_TRUE(checkpoint.next());
            EXPECT_EQ(checkpoint.value(0).toInt(), 0) << "no reader keeps the log";
        }
    }
    Engine::close(u"other counter"_s);

    const PointsOps::Saved own =
        PointsOps::savePurchase(home.db(), PointsOps::PurchaseKind::Add, purchase(u"A"_s, u"A"_s), u"0002"_s);
    EXPECT_TRUE(own.outcome.ok) << own.outcome.notice.text.toStdString();

    // The list goes on where it stood and takes the rows written meanwhile once.
    while (list->canFetchMore())
        list->fetchMore();
    EXPECT_EQ(list->rowCount(), 602);
    EXPECT_EQ(list->fetchError(), QString());
}

// Pages step past the last row by its sort values and row key; ties, nulls and mixed
// directions must neither skip nor repeat a row. The engine's own single ordered statement is
// the reference.
TEST(OpenList, PagesFollowTheOrderAcrossTiesAndNulls)
{
    TestHome home;
    // 3000 rows whose goods, points and operator repeat in cycles of 4, 5 and 3, with nulls.
    home.exec(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000) "
              u"insert into 流水记录 (编号, 商品, 增减积分, 经手人) select "_s + padded(u"3001 - i"_s, 10) + u", "
              u"case i % 4 when 0 then null when 1 then 'B' when 2 then 'A' else 'a' end, "
              u"case i % 5 when 0 then null when 1 then 2.5 when 2 then -1 else i % 5 end, "
              u"case i % 3 when 0 then '0001' when 1 then null else '0002' end from n"_s);
    using Key = SharedQuery::SortKey;
    struct Case
    {
        QString where;    // a condition of the statement, if any
        QString ownOrder; // the statement's own order, if any
        QList<Key> keys;  // the titles clicked
        QString engineOrder;
    };
    const auto asc = Qt::AscendingOrder;
    const auto desc = Qt::DescendingOrder;
    const Case cases[] = {
        // Nulls first going up and last going down, as SQLite puts them by itself.
        {{}, {}, {}, rowKey()},
        {{}, {}, {{u"商品"_s, asc}}, u"商品 nulls first, "_s + rowKey()},
        {{}, {}, {{u"商品"_s, desc}}, u"商品 desc nulls last, "_s + rowKey()},
        {{}, {}, {{u"增减积分"_s, desc}, {u"商品"_s, asc}}, u"增减积分 desc nulls last, 商品 nulls first, "_s + rowKey()},
        {{},
         {},
         {{u"经手人"_s, asc}, {u"商品"_s, desc}, {u"增减积分"_s, asc}},
         u"经手人 nulls first, 商品 desc nulls last, 增减积分 nulls first, "_s + rowKey()},
        // The statement's own order while no title is clicked; a quoted name reads as the column.
        {u" where 增减积分 is not null"_s, u" order by \"经手人\" desc, 编号"_s, {},
         u"经手人 desc nulls last, 编号, "_s + rowKey()},
        {u" where 增减积分 is not null"_s, u" order by 经手人 desc"_s, {{u"增减积分"_s, asc}},
         u"增减积分 nulls first, "_s + rowKey()},
    };
    SharedQuery* q = home.dm().ADOQuery8;
    for (const Case& c : cases) {
        q->setStatement(u"select * from 流水记录"_s + c.where + c.ownOrder);
        ASSERT_EQ(q->open(), QString()) << c.engineOrder.toStdString();
        ASSERT_EQ(q->setSortKeys(c.keys), QString());
        while (q->canFetchMore())
            q->fetchMore();
        QStringList shown;
        for (int row = 0; row < q->rowCount(); ++row)
            shown << q->record(row).value(u"编号"_s).toString();

        QSqlQuery reference =
            Sql::run(home.db(), u"select 编号 from 流水记录%1 order by %2"_s.arg(c.where, c.engineOrder));
        QStringList expected;
        while (reference.next())
            expected << reference.value(0).toString();
        ASSERT_GT(expected.size(), SharedQuery::FirstPageRows + SharedQuery::PageRows);
        EXPECT_EQ(shown, expected) << c.engineOrder.toStdString();
    }

    // A grouped statement pages too: one row per group, each once.
    home.exec(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 2000) "
              u"insert into 礼品 (礼品名称, 单位, 数量) select '礼品' || (i % 700), case i % 2 when 0 then '个' else '盒' end, 1 "
              u"from n"_s);
    q->setStatement(u"select 礼品名称, 单位, sum(数量) as 数量 from 礼品 group by 礼品名称, 单位"_s);
    ASSERT_EQ(q->open(), QString());
    while (q->canFetchMore())
        q->fetchMore();
    QSet<QString> groups;
    for (int row = 0; row < q->rowCount(); ++row)
        groups << q->record(row).value(u"礼品名称"_s).toString() + q->record(row).value(u"单位"_s).toString();
    EXPECT_EQ(q->rowCount(), 700);
    EXPECT_EQ(groups.size(), 700);

    // What the pages cannot step along is refused at once, not shown in a wrong order.
    q->setStatement(u"select * from 流水记录 order by length(商品)"_s);
    EXPECT_FALSE(q->open().isEmpty());
    EXPECT_FALSE(q->isOpen());
}

} // namespace
