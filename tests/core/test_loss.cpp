#include "data/clock.h"
#include "data/sqlrun.h"
#include "loss/formalloss.h"
#include "loss/lossviews.h"
#include "loss/verballoss.h"
#include "members/cardlookup.h"
#include "support/testhome.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class LossTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Clock::setInstance(&clock);
        addMember(u"A"_s, u"张三"_s, 88.5);
        addMember(u"X"_s, u"李四"_s, 1);
    }
    void TearDown() override { Clock::setInstance(nullptr); }
    void addMember(const QString& card, const QString& name, double points)
    {
        home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 积分) values (?, ?, ?)"_s, {card, name, points});
    }
    VerbalLoss::Result verbal(VerbalLoss::Mode mode, const QString& card = u"A"_s)
    {
        const bool frozen = home.scalar(u"select 口头挂失标志 from 会员卡信息 where 会员卡号=?"_s, {card}).toInt() != 0;
        return VerbalLoss::confirm(home.db(), {mode, frozen, card, card, u"张三"_s, u"0002"_s});
    }
    FormalLoss::Request replacement(const QString& oldCard, const QString& newCard)
    {
        return {oldCard, oldCard, newCard, u"张三"_s, u"88.5"_s, u"0002"_s};
    }
    int count(const QString& statement, const QVariantList& values = {})
    {
        return home.scalar(statement, values).toInt();
    }

    FixedClock clock{QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58))};
    TestHome home;
};

TEST_F(LossTest, VerbalReportThenReportAgainIsRefused)
{
    const auto first = verbal(VerbalLoss::Mode::Report);
    EXPECT_TRUE(first.outcome.ok);
    EXPECT_EQ(first.outcome.notice.text, u"口头挂失成功！"_s);
    EXPECT_EQ(first.outcome.notice.caption, u"提示！"_s);
    EXPECT_TRUE(first.disableConfirm);
    EXPECT_EQ(count(u"select 口头挂失标志 from 会员卡信息 where 会员卡号='A'"_s), 1);
    QSqlQuery row = Sql::run(home.db(), u"select 会员卡号, 会员姓名, 口头挂失日期, 口头挂失时间, 挂失经手人, 取消挂失日期 from 口头挂失记录"_s);
    ASSERT_TRUE(row.next());
    EXPECT_EQ(row.value(2).toString(), u"2026-12-31"_s);
    EXPECT_EQ(row.value(3).toString(), u"23:59:58"_s);
    EXPECT_EQ(row.value(4).toString(), u"0002"_s);
    EXPECT_TRUE(row.value(5).isNull());

    const auto again = verbal(VerbalLoss::Mode::Report);
    EXPECT_FALSE(again.outcome.ok);
    EXPECT_EQ(again.outcome.notice.text, u"此卡号已经口头挂失！"_s);
    EXPECT_TRUE(again.disableConfirm);
    EXPECT_EQ(count(u"select count(*) from 口头挂失记录"_s), 1);

    const auto notFrozen = verbal(VerbalLoss::Mode::Cancel, u"X"_s);
    EXPECT_EQ(notFrozen.outcome.notice.text, u"此卡号还没有口头挂失！"_s);
    EXPECT_TRUE(notFrozen.disableConfirm);
    const auto empty = VerbalLoss::confirm(home.db(), {VerbalLoss::Mode::Report, false, u""_s, u"A"_s, u""_s, u"0002"_s});
    EXPECT_EQ(empty.outcome.notice.text, u"请将卡号填写完整！"_s);
    EXPECT_FALSE(empty.disableConfirm) << "an empty card keeps 确定 enabled";
}

TEST_F(LossTest, CancelClosesEveryOpenReportOfTheCardOnly)
{
    home.exec(u"update 会员卡信息 set 口头挂失标志=1 where 会员卡号='A'"_s);
    home.exec(u"insert into 口头挂失记录 (会员卡号, 口头挂失日期) values ('A', '2026-01-01'), ('A', '2026-02-01'), ('X', '2026-02-02')"_s);
    home.exec(u"insert into 口头挂失记录 (会员卡号, 取消挂失日期, 取消挂失时间, 取消挂失经手人) values ('A', '2025-05-05', '10:00:00', '0009')"_s);
    const auto done = verbal(VerbalLoss::Mode::Cancel);
    EXPECT_TRUE(done.outcome.ok);
    EXPECT_EQ(done.outcome.notice.text, u"取消口头挂失成功！"_s);
    EXPECT_EQ(count(u"select 口头挂失标志 from 会员卡信息 where 会员卡号='A'"_s), 0);
    EXPECT_EQ(count(u"select count(*) from 口头挂失记录 where 会员卡号='A' and 取消挂失日期='2026-12-31' and 取消挂失经手人='0002'"_s), 2);
    EXPECT_EQ(count(u"select count(*) from 口头挂失记录 where 取消挂失日期='2025-05-05'"_s), 1) << "closed reports stay";
    EXPECT_EQ(count(u"select count(*) from 口头挂失记录 where 会员卡号='X' and 取消挂失日期 is null"_s), 1);
}

TEST_F(LossTest, ReplacementRefusalsInOrder)
{
    home.exec(u"insert into 挂失记录 (旧卡号, 新卡号) values ('OLD', 'A')"_s);
    struct Case
    {
        FormalLoss::Request r;
        QString text;
        int field;
        bool clear;
    };
    FormalLoss::Request searched = replacement(u""_s, u"B"_s);
    searched.lookedUpCard = u"A"_s;
    FormalLoss::Request edited = replacement(u"X"_s, u"B"_s);
    edited.lookedUpCard = u"A"_s;
    const Case cases[] = {
        {searched, u"请将卡号填写完整！"_s, FormalLoss::OldCardField, false},
        {edited, u"请将卡号填写完整！"_s, FormalLoss::OldCardField, false},
        {replacement(u"A"_s, u""_s), u"请输入新卡号！"_s, FormalLoss::NewCardField, false},
        {replacement(u"A"_s, u"OLD"_s), u"此新卡号已经被挂失，不能使用！"_s, FormalLoss::NewCardField, false},
        {replacement(u"A"_s, u"X"_s), u"此卡号已经存在！"_s, FormalLoss::NewCardField, true},
        {replacement(u"A"_s, u"A"_s), u"此卡号已经存在！"_s, FormalLoss::NewCardField, true},
    };
    for (const Case& c : cases) {
        const Outcome o = FormalLoss::replace(home.db(), c.r);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.notice.text, c.text);
        EXPECT_EQ(o.notice.caption, u"提示！"_s);
        EXPECT_EQ(o.notice.field, c.field);
        EXPECT_EQ(o.notice.clearField, c.clear);
    }
    EXPECT_EQ(count(u"select count(*) from 挂失记录"_s), 1);
    EXPECT_EQ(count(u"select count(*) from 会员卡信息 where 会员卡号='A'"_s), 1);
}

TEST_F(LossTest, ReplacementMovesMemberBalanceAndHistoryInOneTransaction)
{
    home.exec(u"update 会员卡信息 set 口头挂失标志=1 where 会员卡号='A'"_s);
    home.exec(u"insert into 口头挂失记录 (会员卡号) values ('A')"_s);
    home.exec(u"insert into 流水记录 (编号, 会员卡号, 增减积分) values ('0000000001', 'A', 50), ('0000000002', 'A', 38.5), "
              u"('0000000003', 'X', 1)"_s);
    home.exec(u"insert into 礼品使用记录 (单据号, 会员卡号) values ('0000000002', 'A')"_s);

    const Outcome o = FormalLoss::replace(home.db(), replacement(u"A"_s, u"B"_s));
    ASSERT_TRUE(o.ok) << o.notice.text.toStdString();
    EXPECT_EQ(o.notice.text, u"会员卡挂失、补发新卡成功!"_s);
    EXPECT_EQ(count(u"select count(*) from 会员卡信息 where 会员卡号='A'"_s), 0);
    EXPECT_EQ(home.scalar(u"select 积分 from 会员卡信息 where 会员卡号='B'"_s).toDouble(), 88.5);
    EXPECT_EQ(count(u"select 口头挂失标志 from 会员卡信息 where 会员卡号='B'"_s), 0);
    EXPECT_EQ(count(u"select count(*) from 流水记录 where 会员卡号='B'"_s), 2);
    EXPECT_EQ(count(u"select count(*) from 流水记录 where 会员卡号='X'"_s), 1);
    QSqlQuery rec = Sql::run(home.db(), u"select 旧卡号, 新卡号, 会员姓名, 原有积分, 日期, 时间, 经手人 from 挂失记录"_s);
    ASSERT_TRUE(rec.next());
    EXPECT_EQ(rec.value(1).toString(), u"B"_s);
    EXPECT_EQ(rec.value(3).toDouble(), 88.5);
    EXPECT_EQ(rec.value(4).toString(), u"2026-12-31"_s);
    EXPECT_EQ(rec.value(6).toString(), u"0002"_s);
    EXPECT_EQ(count(u"select count(*) from 口头挂失记录 where 会员卡号='A' and 取消挂失经手人='0002'"_s), 1);
    EXPECT_EQ(count(u"select count(*) from 礼品使用记录 where 会员卡号='A'"_s), 1) << "gift records keep the old number";
    EXPECT_EQ(CardLookup::byCardNumber(home.db(), u"A"_s).kind, CardLookup::Result::Kind::Retired);
    EXPECT_EQ(CardLookup::byCardNumber(home.db(), u"B"_s).kind, CardLookup::Result::Kind::Found);

    // A chain A→B→C retires both A and B for good.
    ASSERT_TRUE(FormalLoss::replace(home.db(), replacement(u"B"_s, u"C"_s)).ok);
    for (const QString& retired : {u"A"_s, u"B"_s})
        EXPECT_EQ(FormalLoss::replace(home.db(), replacement(u"C"_s, retired)).notice.text,
                  u"此新卡号已经被挂失，不能使用！"_s);
    EXPECT_EQ(count(u"select count(*) from 流水记录 where 会员卡号='C'"_s), 2);
}

TEST_F(LossTest, ReplacementFailingMidwayLeavesNoTrace)
{
    home.exec(u"insert into 流水记录 (编号, 会员卡号) values ('0000000001', 'A')"_s);
    home.refuse(u"insert"_s, u"挂失记录"_s, {}, u"磁盘已满"_s);
    const Outcome o = FormalLoss::replace(home.db(), replacement(u"A"_s, u"B"_s));
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.notice.kind, Notice::Kind::Plain);
    EXPECT_TRUE(o.notice.text.contains(u"磁盘已满"_s));
    EXPECT_EQ(count(u"select count(*) from 会员卡信息 where 会员卡号='A'"_s), 1);
    EXPECT_EQ(count(u"select count(*) from 流水记录 where 会员卡号='A'"_s), 1);
}

TEST_F(LossTest, LossViewsFilterOnlyByTheirOwnColumns)
{
    home.exec(u"insert into 挂失记录 (旧卡号, 新卡号, 会员姓名) values ('A1', 'B1', '张三'), ('A2', 'B2', ''), ('A3', 'B3', '李四')"_s);
    SharedQuery* q = home.dm().ADOQuery9;
    EXPECT_EQ(LossViews::filter(home.dm(), LossViews::formal(), u"新卡号"_s, u"B2"_s), QString());
    EXPECT_EQ(q->rowCount(), 1);
    EXPECT_EQ(LossViews::filter(home.dm(), LossViews::formal(), u"会员姓名"_s, u""_s), QString());
    EXPECT_EQ(q->rowCount(), 1) << "an empty value matches only empty text";
    EXPECT_EQ(LossViews::filter(home.dm(), LossViews::formal(), u"会员姓名"_s, u"王五"_s), QString());
    EXPECT_EQ(q->rowCount(), 0);
    EXPECT_FALSE(LossViews::filter(home.dm(), LossViews::formal(), u"1=1 or 旧卡号"_s, u"x"_s).isEmpty());
    EXPECT_FALSE(q->isOpen());
    EXPECT_EQ(LossViews::showAll(home.dm(), LossViews::formal()), QString());
    EXPECT_EQ(q->rowCount(), 3);
    EXPECT_EQ(LossViews::filter(home.dm(), LossViews::verbal(), u"旧卡号"_s, u"A1"_s).isEmpty(), false)
        << "the verbal view has no 旧卡号";
}

} // namespace
