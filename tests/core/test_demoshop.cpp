#include "app/demoshop.h"
#include "data/clock.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "data/values.h"
#include "members/memberdates.h"
#include "operators/login.h"
#include "operators/operatoradmin.h"
#include "operators/permissions.h"
#include "reminders/reminders.h"
#include "support/testhome.h"

#include <QRegularExpression>
#include <QSqlRecord>
#include <QSet>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The shop is written once for all the checks: the clock stands on 30 December, so the
// birthday window runs into the new year and the three months back into September.
class DemoShopTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Clock::setInstance(&s_clock);
        s_home = new TestHome;
        s_error = DemoShop::fill(s_home->db(), s_clock.now().date());
    }
    static void TearDownTestSuite()
    {
        delete s_home;
        s_home = nullptr;
        Clock::setInstance(nullptr);
    }
    void SetUp() override { ASSERT_TRUE(s_error.isEmpty()) << s_error.toStdString(); }

    static QDate today() { return s_clock.now().date(); }
    static TestHome& home() { return *s_home; }
    static QStringList column(const QString& statement, const QVariantList& values = {})
    {
        Sql::Rows q = Sql::run(home().db(), statement, values);
        QStringList list;
        while (q.next())
            list << q.value(0).toString();
        return list;
    }

    static inline FixedClock s_clock{QDateTime(QDate(2027, 12, 30), QTime(8, 15))};
    static inline TestHome* s_home = nullptr;
    static inline QString s_error;
};

TEST_F(DemoShopTest, EveryBalanceIsTheSumOfItsLogAndEveryLogRowHasItsCard)
{
    EXPECT_EQ(home().scalar(u"select count(*) from 会员卡信息"_s).toInt(), 300);
    const QStringList wrong = column(
        u"select m.会员卡号 from 会员卡信息 m where abs(m.积分 - coalesce((select sum(l.增减积分) from 流水记录 l "
        u"where l.会员卡号 = m.会员卡号), 0)) > 0.001"_s);
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(u' ').toStdString();
    EXPECT_EQ(home().scalar(u"select count(*) from 流水记录 where 会员卡号 not in (select 会员卡号 from 会员卡信息)"_s).toInt(), 0)
        << "the replaced cards' history moved to their new numbers";
    EXPECT_EQ(home().scalar(u"select count(*) from 会员卡信息 where 积分 < 0"_s).toInt(), 0);

    // Three months of every kind of transaction, up to yesterday, by both operators.
    for (const QString& reason : {u"购物消费"_s, u"退货减积分"_s, u"兑换积分"_s})
        EXPECT_GT(home().scalar(u"select count(*) from 流水记录 where 增减原因=?"_s, {reason}).toInt(), 5) << reason.toStdString();
    EXPECT_GT(home().scalar(u"select count(*) from 流水记录 where 增减原因='兑换积分' and 返现金 > 0"_s).toInt(), 0);
    EXPECT_EQ(home().scalar(u"select min(日期) from 流水记录"_s).toString(), Values::dateText(today().addDays(-90)));
    EXPECT_EQ(home().scalar(u"select max(日期) from 流水记录"_s).toString(), Values::dateText(today().addDays(-1)));
    EXPECT_EQ(column(u"select distinct 经手人 from 流水记录 order by 经手人"_s), (QStringList{u"0001"_s, u"0002"_s}));
    EXPECT_EQ(home().scalar(u"select max(编号) from 流水记录"_s).toInt(), home().scalar(u"select count(*) from 流水记录"_s).toInt());
}

TEST_F(DemoShopTest, TheRemindersOpenWithRowsToday)
{
    TDM1& dm = home().dm();
    ASSERT_TRUE(Reminders::showBirthdays(dm, 3).isEmpty());
    EXPECT_GE(dm.ADOQuery3->rowCount(), 3);
    const QStringList birthdays = column(u"select 会员生日 from 会员卡信息"_s);
    for (const QString& day : {u"12-30"_s, u"12-31"_s, u"1-1"_s})
        EXPECT_TRUE(birthdays.contains(day)) << day.toStdString();
    ASSERT_TRUE(Reminders::showExpiries(dm, 5).isEmpty());
    EXPECT_GE(dm.ADOQuery16->rowCount(), 3);
    ASSERT_TRUE(Reminders::showExpiries(dm, 30).isEmpty());
    EXPECT_GT(dm.ADOQuery16->rowCount(), dm.ADOQuery3->rowCount());
}

TEST_F(DemoShopTest, LossesGiftsAndTheCounterOperator)
{
    EXPECT_EQ(home().scalar(u"select count(*) from 挂失记录"_s).toInt(), 3);
    EXPECT_EQ(home().scalar(u"select count(*) from 会员卡信息 where 会员卡号 in (select 旧卡号 from 挂失记录)"_s).toInt(), 0);
    EXPECT_EQ(home().scalar(u"select count(*) from 会员卡信息 where 会员卡号 in (select 新卡号 from 挂失记录)"_s).toInt(), 3);
    // Two cards still frozen today, each with its open report; the others' reports are closed.
    const QStringList frozen = column(u"select 会员卡号 from 会员卡信息 where 口头挂失标志=1 order by 会员卡号"_s);
    EXPECT_EQ(frozen.size(), 2);
    EXPECT_EQ(column(u"select 会员卡号 from 口头挂失记录 where 取消挂失日期 is null order by 会员卡号"_s), frozen);
    EXPECT_EQ(home().scalar(u"select count(*) from 口头挂失记录 where 取消挂失日期 is not null"_s).toInt(), 2)
        << "one card found again, one replaced after the phone call";

    EXPECT_EQ(column(u"select 礼品名称 from 礼品 group by 礼品名称, 单位 having sum(数量) < 0"_s), QStringList());
    EXPECT_GE(column(u"select 礼品名称 from 礼品 group by 礼品名称, 单位 having sum(数量) > 0"_s).size(), 5);
    EXPECT_EQ(home().scalar(u"select sum(数量) from 礼品使用记录"_s).toDouble(),
              -home().scalar(u"select sum(数量) from 礼品 where 数量 < 0"_s).toDouble());

    EXPECT_EQ(column(u"select 卡类别 from 卡类别 order by 积分比例"_s), (QStringList{u"金卡"_s, u"银卡"_s, u"普通卡"_s}));
    const auto counter = Operators::find(home().db(), DemoShop::CounterOperator);
    ASSERT_TRUE(counter);
    EXPECT_TRUE(passwordsMatch(counter->password, DemoShop::CounterPassword));
    const QSet<QString> rights = Permissions::held(home().db(), DemoShop::CounterOperator);
    EXPECT_TRUE(rights.contains(u"增加积分"_s) && rights.contains(u"会员生日提醒"_s));
    EXPECT_FALSE(rights.contains(u"数据初始化"_s) || rights.contains(u"操作人员设置"_s));
}

TEST_F(DemoShopTest, MembersCarryPlausibleIdentityPhoneAndCarData)
{
    const QRegularExpression mobile(u"^1[3-9]\\d{9}$"_s);
    const QRegularExpression vin(u"^L[A-HJ-NPR-Z0-9]{16}$"_s);
    const QRegularExpression plate(u"^粤[A-Z][A-Z0-9]{5,6}$"_s);
    QSet<QString> names;
    Sql::Rows q = Sql::run(home().db(), u"select 会员姓名, 性别, 身份证号, 会员生日, 手机, \"VIN码\", 车牌号, 投保标志, 投保日期, "
                                        u"保险到期日期 from 会员卡信息"_s);
    while (q.next()) {
        const QString id = q.value(2).toString();
        const auto born = MemberDates::fromIdNumber(id);
        ASSERT_EQ(born.status, MemberDates::IdBirthday::Status::Valid) << id.toStdString();
        EXPECT_EQ(q.value(3).toString(), MemberDates::birthdayText(born.date)) << "the birthday is the ID number's";
        EXPECT_EQ(q.value(1).toString(), id.at(16).digitValue() % 2 ? u"男"_s : u"女"_s) << id.toStdString();
        static const int weights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
        int sum = 0;
        for (int i = 0; i < 17; ++i)
            sum += id.at(i).digitValue() * weights[i];
        EXPECT_EQ(id.at(17), u"10X98765432"_s.at(sum % 11)) << id.toStdString();
        EXPECT_TRUE(mobile.match(q.value(4).toString()).hasMatch()) << q.value(4).toString().toStdString();
        EXPECT_TRUE(vin.match(q.value(5).toString()).hasMatch()) << q.value(5).toString().toStdString();
        EXPECT_TRUE(plate.match(q.value(6).toString()).hasMatch()) << q.value(6).toString().toStdString();
        if (Values::flag(q.value(7)))
            EXPECT_EQ(q.value(9).toString(), Values::dateText(MemberDates::insuranceExpiry(q.value(8).toDate())));
        else
            EXPECT_TRUE(q.value(8).isNull() && q.value(9).isNull());
        names.insert(q.value(0).toString());
    }
    EXPECT_GT(names.size(), 270) << "few namesakes among 300 members";
}

TEST_F(DemoShopTest, TheSameDayGivesTheSameShopAndTheClockIsGivenBack)
{
    EXPECT_EQ(Clock::currentDateTime(), s_clock.now()) << "the operations' clock was set back";
    TestHome again;
    ASSERT_TRUE(DemoShop::fill(again.db(), today()).isEmpty());
    // Every member and every log row, column by column.
    const auto rows = [](const QSqlDatabase& db, const QString& statement) {
        QStringList all;
        Sql::Rows q = Sql::run(db, statement);
        while (q.next()) {
            QStringList row;
            for (int c = 0; c < q.record().count(); ++c)
                row << q.value(c).toString();
            all << row.join(u'|');
        }
        return all;
    };
    const QString members = u"select 会员卡号, 会员姓名, 身份证号, 手机, \"VIN码\", 积分 from 会员卡信息 order by 会员卡号"_s;
    EXPECT_EQ(rows(again.db(), members), rows(home().db(), members));
    const QString log = u"select 编号, 会员卡号, 增减积分, 日期, 时间, 经手人 from 流水记录 order by 编号"_s;
    const QStringList logRows = rows(home().db(), log);
    EXPECT_GT(logRows.size(), 500);
    EXPECT_EQ(rows(again.db(), log), logRows);
}

} // namespace
