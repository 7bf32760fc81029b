#include "data/clock.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "data/values.h"
#include "gifts/giftrecords.h"
#include "gifts/giftstock.h"
#include "support/testhome.h"

#include <QSqlRecord>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class GiftsTest : public ::testing::Test
{
protected:
    void SetUp() override { Clock::setInstance(&clock); }
    void TearDown() override { Clock::setInstance(nullptr); }

    void move(const QVariant& name, const QVariant& unit, double quantity)
    {
        home.exec(u"insert into 礼品 (礼品名称, 单位, 数量) values (?, ?, ?)"_s, {name, unit, quantity});
    }
    // The stock list as shown: "name/unit=quantity" per row, in the list's order.
    QStringList stock()
    {
        QStringList rows;
        SharedQuery* q = home.dm().ADOQuery13;
        while (q->canFetchMore())
            q->fetchMore();
        for (int r = 0; r < q->rowCount(); ++r)
            rows << u"%1/%2=%3"_s.arg(q->index(r, 0).data().toString(), q->index(r, 1).data().toString(),
                                      Values::pointsText(q->index(r, 2).data()));
        return rows;
    }
    int count(const QString& statement) { return home.scalar(statement).toInt(); }

    FixedClock clock{QDateTime(QDate(2026, 12, 31), QTime(9, 0))};
    TestHome home;
};

TEST_F(GiftsTest, StockIsTheSumPerNameAndUnit)
{
    move(u"茶杯"_s, u"个"_s, 10);
    move(u"茶杯"_s, u"个"_s, 5.5);
    move(u"茶杯"_s, u"个"_s, -3); // handed out
    move(u"茶杯"_s, u"盒"_s, 2);  // the same name in another unit is another gift
    move(u"雨伞"_s, u"把"_s, 0.1);
    move(u"雨伞"_s, u"把"_s, 0.2);
    move(u"雨伞"_s, u"把"_s, -0.3); // all handed out: listed with 0
    ASSERT_TRUE(GiftStock::showAll(home.dm()).isEmpty());
    EXPECT_EQ(stock(), (QStringList{u"茶杯/个=12.5"_s, u"茶杯/盒=2"_s, u"雨伞/把=0"_s}));

    EXPECT_FALSE(GiftStock::showOne(home.dm(), u"茶杯"_s, u"盒"_s));
    EXPECT_EQ(stock(), QStringList{u"茶杯/盒=2"_s});
    EXPECT_FALSE(GiftStock::showOne(home.dm(), u"茶杯"_s, u"箱"_s));
    EXPECT_TRUE(stock().isEmpty()) << "a gift without rows shows an empty list";

    for (const auto& [name, unit] : {std::pair{u""_s, u"个"_s}, std::pair{u"茶杯"_s, u""_s}}) {
        const auto refusal = GiftStock::showOne(home.dm(), name, unit);
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->caption, u"提示"_s);
        EXPECT_EQ(refusal->text, u"请输入正确的礼品名称和包装单位！"_s);
    }
    EXPECT_TRUE(stock().isEmpty()) << "a refused query leaves the list as it was";
}

TEST_F(GiftsTest, StockInChecksThenBooksTheMovement)
{
    struct Case
    {
        GiftStock::StockIn entry;
        QString text;
        int field;
    };
    const QDate day(2026, 12, 30);
    const Case refused[] = {
        {{day, u""_s, u"个"_s, u"1"_s, {}}, u"请将信息填写完整！"_s, GiftStock::NameField},
        {{day, u"茶杯"_s, u""_s, u"1"_s, {}}, u"请将信息填写完整！"_s, GiftStock::UnitField},
        {{day, u"茶杯"_s, u"个"_s, u""_s, {}}, u"请将信息填写完整！"_s, GiftStock::QuantityField},
        // What the key filter lets through but is no number: the conversion error, nothing written.
        {{day, u"茶杯"_s, u"个"_s, u"-"_s, {}}, u"“-”不是有效的数值"_s, -1},
        {{day, u"茶杯"_s, u"个"_s, u"1.2.3"_s, {}}, u"“1.2.3”不是有效的数值"_s, -1},
        {{day, u"茶杯"_s, u"个"_s, u"."_s, {}}, u"“.”不是有效的数值"_s, -1},
    };
    for (const Case& c : refused) {
        const Outcome o = GiftStock::stockIn(home.db(), c.entry);
        EXPECT_FALSE(o.ok) << c.entry.quantity.toStdString();
        EXPECT_EQ(o.notice.text, c.text);
        EXPECT_EQ(o.notice.field, c.field);
    }
    EXPECT_EQ(count(u"select count(*) from 礼品"_s), 0);

    const Outcome in = GiftStock::stockIn(home.db(), {day, u"O'Neil 茶杯"_s, u"个"_s, u"12.5"_s, u"第一行\n第二行"_s});
    ASSERT_TRUE(in.ok) << in.notice.text.toStdString();
    EXPECT_EQ(in.notice.caption, u"提示"_s);
    EXPECT_EQ(in.notice.text, u"礼品入库成功！"_s);
    EXPECT_TRUE(GiftStock::stockIn(home.db(), {day, u"O'Neil 茶杯"_s, u"个"_s, u"-2"_s, {}}).ok)
        << "a negative stock-in lowers the stock";
    QSqlQuery row = Sql::run(home.db(), u"select 礼品名称, 单位, 数量, 备注, 日期 from 礼品 order by 数量 desc"_s);
    ASSERT_TRUE(row.next());
    EXPECT_EQ(row.value(0).toString(), u"O'Neil 茶杯"_s);
    EXPECT_EQ(row.value(1).toString(), u"个"_s);
    EXPECT_EQ(row.value(2).toDouble(), 12.5);
    EXPECT_EQ(row.value(3).toString(), u"第一行\n第二行"_s);
    EXPECT_EQ(row.value(4).toString(), u"2026-12-30"_s) << "the picker's date, not today";
    GiftStock::showAll(home.dm());
    EXPECT_EQ(stock(), QStringList{u"O'Neil 茶杯/个=10.5"_s});
}

TEST_F(GiftsTest, DeleteTakesEveryMovementOfOneGiftOnly)
{
    move(u"茶杯"_s, u"个"_s, 10);
    move(u"茶杯"_s, u"个"_s, -2);
    move(u"茶杯"_s, u"盒"_s, 2);
    move({}, {}, 7); // an old movement without name or unit
    home.exec(u"insert into 礼品使用记录 (单据号, 礼品名称, 单位, 数量) values ('0000000001', '茶杯', '个', 2)"_s);

    const Outcome o = GiftStock::remove(home.db(), std::pair{QVariant(u"茶杯"_s), QVariant(u"个"_s)});
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.notice.text, u"删除成功！"_s);
    GiftStock::showAll(home.dm());
    EXPECT_EQ(stock(), (QStringList{u"/=7"_s, u"茶杯/盒=2"_s}));
    EXPECT_EQ(count(u"select count(*) from 礼品使用记录"_s), 1) << "the redemption records stay";

    // An empty list has no gift: nothing goes, and the box is the same.
    const Outcome none = GiftStock::remove(home.db(), std::nullopt);
    EXPECT_TRUE(none.ok);
    EXPECT_EQ(none.notice.text, u"删除成功！"_s);
    EXPECT_EQ(count(u"select count(*) from 礼品"_s), 2);

    EXPECT_TRUE(GiftStock::remove(home.db(), std::pair{QVariant(), QVariant()}).ok);
    GiftStock::showAll(home.dm());
    EXPECT_EQ(stock(), QStringList{u"茶杯/盒=2"_s}) << "the nameless gift can be deleted from the list too";
}

class GiftRecordsTest : public GiftsTest
{
protected:
    void SetUp() override
    {
        GiftsTest::SetUp();
        // Two gifts under one number, the same gift under another, and the list's date order.
        record(u"0000000002"_s, u"B"_s, u"茶杯"_s, u"个"_s, 2, u"2026-03-01"_s);
        record(u"0000000001"_s, u"A"_s, u"茶杯"_s, u"个"_s, 2, u"2026-02-01"_s);
        record(u"0000000001"_s, u"A"_s, u"雨伞"_s, u"把"_s, 1, u"2026-02-01"_s);
    }
    void record(const QString& number, const QString& card, const QString& gift, const QString& unit, double quantity,
                const QString& date)
    {
        home.exec(u"insert into 礼品使用记录 (单据号, 会员卡号, 会员姓名, 礼品名称, 单位, 数量, 日期, 经手人) "
                  u"values (?, ?, '张三', ?, ?, ?, ?, '0001')"_s,
                  {number, card, gift, unit, quantity, date});
    }
    QString write(const QString& number, const QString& gift, const QString& unit, const QString& column,
                  const QVariant& old, const QString& text)
    {
        return GiftRecords::writeCell(home.db(), {number, gift, unit}, column, old, text);
    }
    // number/gift/column value for every record, by number and gift.
    QStringList column(const QString& name)
    {
        QStringList rows;
        QSqlQuery q = Sql::run(home.db(), u"select 单据号, 礼品名称, %1 from 礼品使用记录 order by 单据号, 礼品名称"_s.arg(name));
        while (q.next())
            rows << u"%1/%2/%3"_s.arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString());
        return rows;
    }
};

TEST_F(GiftRecordsTest, ListIsOrderedByDate)
{
    ASSERT_TRUE(GiftRecords::showAll(home.dm()).isEmpty());
    SharedQuery* q = home.dm().ADOQuery15;
    ASSERT_EQ(q->rowCount(), 3);
    // Inserted first, dated last.
    EXPECT_EQ(q->index(0, q->record().indexOf(u"单据号"_s)).data().toString(), u"0000000001"_s);
    EXPECT_EQ(q->index(2, q->record().indexOf(u"单据号"_s)).data().toString(), u"0000000002"_s);
}

TEST_F(GiftRecordsTest, CellIsWrittenBackToItsOwnRecord)
{
    EXPECT_EQ(write(u"0000000001"_s, u"茶杯"_s, u"个"_s, u"数量"_s, 2.0, u"3"_s), QString());
    EXPECT_EQ(column(u"数量"_s),
              (QStringList{u"0000000001/茶杯/3"_s, u"0000000001/雨伞/1"_s, u"0000000002/茶杯/2"_s}));
    EXPECT_EQ(write(u"0000000001"_s, u"雨伞"_s, u"把"_s, u"会员姓名"_s, u"张三"_s, u"O'Brien"_s), QString());
    EXPECT_EQ(write(u"0000000002"_s, u"茶杯"_s, u"个"_s, u"礼品名称"_s, u"茶杯"_s, u"保温杯"_s), QString());
    EXPECT_EQ(column(u"会员姓名"_s),
              (QStringList{u"0000000001/茶杯/张三"_s, u"0000000001/雨伞/O'Brien"_s, u"0000000002/保温杯/张三"_s}));

    struct Refused
    {
        QString column;
        QVariant old;
        QString text;
        QString error;
    };
    const Refused refused[] = {
        {u"数量"_s, 3.0, u"1.2.3"_s, u"“1.2.3”不是有效的数值"_s},
        {u"数量"_s, 3.0, u""_s, u"“”不是有效的数值"_s},
        {u"日期"_s, u"2026-02-01"_s, u"2026-13-01"_s, u"“2026-13-01”不是有效的日期"_s},
        {u"数量"_s, 2.0, u"5"_s, u"该记录已被删除或修改，请刷新后再试！"_s}, // changed since it was read
        {u"积分"_s, {}, u"5"_s, u"礼品使用记录中没有“积分”这一列"_s},
    };
    for (const Refused& r : refused) {
        EXPECT_EQ(write(u"0000000001"_s, u"茶杯"_s, u"个"_s, r.column, r.old, r.text), r.error);
    }
    EXPECT_EQ(column(u"数量"_s),
              (QStringList{u"0000000001/茶杯/3"_s, u"0000000001/雨伞/1"_s, u"0000000002/保温杯/2"_s}));

    // Two records that cannot be told apart: neither is changed.
    record(u"0000000003"_s, u"C"_s, u"茶杯"_s, u"个"_s, 1, u"2026-04-01"_s);
    record(u"0000000003"_s, u"C"_s, u"茶杯"_s, u"个"_s, 1, u"2026-04-01"_s);
    EXPECT_EQ(write(u"0000000003"_s, u"茶杯"_s, u"个"_s, u"数量"_s, 1.0, u"4"_s),
              u"有多条相同的记录，无法确定要修改哪一条！"_s);
    EXPECT_EQ(count(u"select count(*) from 礼品使用记录 where 单据号='0000000003' and 数量=1"_s), 2);

    // The engine's own text when it refuses the write.
    home.refuse(u"update"_s, u"礼品使用记录"_s, {}, u"记录已锁定"_s);
    EXPECT_TRUE(write(u"0000000001"_s, u"雨伞"_s, u"把"_s, u"数量"_s, 1.0, u"2"_s).contains(u"记录已锁定"_s));
}

} // namespace
