#include "config/programhome.h"
#include "data/engine.h"
#include "data/sqlrun.h"
#include "points/pointsops.h"
#include "points/transactionlog.h"
#include "support/testhome.h"

#include <chrono>
#include <cmath>
#include <future>
#include <thread>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class TransactionLog : public ::testing::Test
{
protected:
    // Throws on a refused insert, as a save's own statement does.
    void logRow(const QString& number)
    {
        Sql::run(home.db(), u"insert into 流水记录 (编号, 会员卡号, 增减积分) values (?, '1000', 1)"_s, {number});
    }
    QStringList numbers()
    {
        QSqlQuery q = Sql::run(home.db(), u"select 编号 from 流水记录 order by 编号"_s);
        QStringList list;
        while (q.next())
            list << q.value(0).toString();
        return list;
    }
    double balance() { return home.scalar(u"select 积分 from 会员卡信息 where 会员卡号='1000'"_s).toDouble(); }
    void SetUp() override { home.exec(u"insert into 会员卡信息 (会员卡号, 积分) values ('1000', 100)"_s); }

    TestHome home;
};

TEST_F(TransactionLog, NextNumberFollowsTheHighestText)
{
    struct Case
    {
        QStringList rows;
        QString next;
    };
    const Case cases[] = {
        {{}, u"0000000001"_s},
        {{u" "_s}, u"0000000001"_s},
        {{u"0000000009"_s}, u"0000000010"_s},
        {{u"0000000003"_s, u"0000000099"_s, u"0000000042"_s}, u"0000000100"_s},
        {{u"0999999999"_s}, u"1000000000"_s},
        {{u"000000001234"_s}, u"0000000013"_s}, // cut to its first ten characters
        {{u"2147483646"_s}, u"2147483647"_s},   // the last number of the 32-bit counter
    };
    for (const Case& c : cases) {
        home.exec(u"delete from 流水记录"_s);
        for (const QString& row : c.rows)
            logRow(row);
        EXPECT_EQ(NextTransactionNumber(home.db()), c.next) << c.rows.join(u',').toStdString();
    }
}

TEST_F(TransactionLog, HighestThatIsNoNumberFailsAndRollsTheSaveBack)
{
    struct Case
    {
        QString highest;
        QString error;
    };
    const Case cases[] = {
        {u"ABC"_s, u"“ABC”不是有效的整数值"_s},
        {u"00000012x4"_s, u"“00000012x4”不是有效的整数值"_s},
        {u"9999999999"_s, u"“9999999999”不是有效的整数值"_s}, // beyond 32 bits
        {u"2147483647"_s, u"最大编号“2147483647”之后没有可用的流水编号"_s},
    };
    for (const Case& c : cases) {
        home.exec(u"delete from 流水记录"_s);
        logRow(u"0000000001"_s);
        logRow(c.highest);
        // A save that changed the balance before it took the number leaves it as it was.
        const QString failed = Sql::transact(home.db(), [&] {
            Sql::run(home.db(), u"update 会员卡信息 set 积分=积分+5 where 会员卡号='1000'"_s);
            NextTransactionNumber(home.db());
        });
        EXPECT_EQ(failed, c.error);
        EXPECT_EQ(balance(), 100.0) << c.highest.toStdString();

        int runs = 0;
        EXPECT_EQ(transactWithNumber(home.db(), [&](const QString&) { ++runs; }), c.error);
        EXPECT_EQ(runs, 0) << "a bad number is not a collision to retry";
    }
}

TEST_F(TransactionLog, DeletedHighestNumberIsGivenAgain)
{
    const auto save = [&] {
        QString taken;
        EXPECT_EQ(transactWithNumber(home.db(), [&](const QString& number) { logRow(taken = number); }), QString());
        return taken;
    };
    EXPECT_EQ(save(), u"0000000001"_s);
    EXPECT_EQ(save(), u"0000000002"_s);
    EXPECT_EQ(save(), u"0000000003"_s);
    home.exec(u"delete from 流水记录 where 编号='0000000003'"_s);
    EXPECT_EQ(save(), u"0000000003"_s);
    home.exec(u"delete from 流水记录"_s);
    EXPECT_EQ(save(), u"0000000001"_s);
}

// Another counter holding the write lock while it saves: this save waits on the busy timeout
// at its start, then reads the highest number after the other's commit and takes the next one,
// at the first attempt. (With the deferred start of before, the first write found its snapshot
// stale and the save failed at once with "database is locked".)
class RivalCounter
{
public:
    // Opens its own connection on its own thread, takes the write lock, inserts 0000000001
    // and commits after holdMs.
    RivalCounter(const Engine::Location& location, int holdMs)
        : m_thread([this, location, holdMs] {
              const QString name = u"rival"_s;
              QString error;
              if (Engine::open(name, location, &error)) {
                  QSqlDatabase db = QSqlDatabase::database(name, false);
                  Engine::beginWrite(db);
                  Sql::run(db, u"insert into 流水记录 (编号, 会员卡号) values ('0000000001', '2000')"_s);
                  m_locked.set_value();
                  std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
                  db.commit();
              } else {
                  m_locked.set_value();
              }
              Engine::close(name);
          })
    {
        m_locked.get_future().wait();
    }
    ~RivalCounter() { m_thread.join(); }

private:
    std::promise<void> m_locked;
    std::thread m_thread;
};

TEST_F(TransactionLog, AnotherCounterSavingMeanwhileIsWaitedForAndTakesTheNextNumber)
{
    QStringList given;
    QString failed;
    {
        RivalCounter rival(home.location(), 400);
        failed = transactWithNumber(home.db(), [&](const QString& number) {
            given << number;
            Sql::run(home.db(), u"update 会员卡信息 set 积分=积分+5 where 会员卡号='1000'"_s);
            logRow(number);
        });
    }
    EXPECT_EQ(failed, QString());
    // Taking 0000000002 at the first attempt means it read the highest number after the other
    // counter's commit: it waited instead of failing or colliding.
    EXPECT_EQ(given, (QStringList{u"0000000002"_s}));
    EXPECT_EQ(numbers(), (QStringList{u"0000000001"_s, u"0000000002"_s}));
    EXPECT_EQ(balance(), 105.0);
}

TEST_F(TransactionLog, ADatabaseHeldPastTheBusyTimeoutRefusesTheSaveAndSaysToTryAgain)
{
    home.waitAtMost(200); // the shop waits 10 s; the test need not
    int runs = 0;
    QString failed;
    {
        RivalCounter rival(home.location(), 1500);
        failed = transactWithNumber(home.db(), [&](const QString&) { ++runs; });
    }
    EXPECT_TRUE(failed.startsWith(Sql::BusyText + u'\n')) << failed.toStdString();
    EXPECT_TRUE(failed.contains(onServer() ? u"lock timeout"_s : u"database is locked"_s))
        << "the engine's own text follows";
    EXPECT_EQ(runs, 0) << "nothing ran, nothing to retry";
    EXPECT_EQ(numbers(), (QStringList{u"0000000001"_s})) << "only the other counter's row";
    EXPECT_EQ(balance(), 100.0);
}

TEST_F(TransactionLog, OnlyADuplicateNumberIsRetriedAndOnlyOnce)
{
    enum class Fault { DuplicateNumberOnce, DuplicateNumberAlways, DuplicateCard, BadPoints };
    struct Case
    {
        Fault fault;
        int runs;
        bool saved;
    };
    const Case cases[] = {
        {Fault::DuplicateNumberOnce, 2, true},
        {Fault::DuplicateNumberAlways, 2, false},
        {Fault::DuplicateCard, 1, false}, // a unique index on another column is the save's own fault
        {Fault::BadPoints, 1, false},
    };
    for (const Case& c : cases) {
        home.exec(u"delete from 流水记录"_s);
        int runs = 0;
        const QString failed = transactWithNumber(home.db(), [&](const QString& number) {
            ++runs;
            Sql::run(home.db(), u"update 会员卡信息 set 积分=积分+5 where 会员卡号='1000'"_s);
            if (c.fault == Fault::DuplicateCard)
                Sql::run(home.db(), u"insert into 会员卡信息 (会员卡号) values ('1000')"_s);
            if (c.fault == Fault::BadPoints)
                parseNumber(u"1..2"_s);
            if (c.fault == Fault::DuplicateNumberAlways || (c.fault == Fault::DuplicateNumberOnce && runs == 1))
                logRow(number);
            logRow(number);
        });
        EXPECT_EQ(runs, c.runs) << int(c.fault);
        EXPECT_EQ(failed.isEmpty(), c.saved) << failed.toStdString();
        EXPECT_EQ(numbers(), c.saved ? QStringList{u"0000000001"_s} : QStringList()) << int(c.fault);
        EXPECT_EQ(balance(), c.saved ? 105.0 : 100.0) << int(c.fault);
        home.exec(u"update 会员卡信息 set 积分=100"_s);
    }
}

// What the receipt prints is what the rows hold: the points and the cash as stored, rounded.
// Empty inputs are written as empty text; a column is null only where the save leaves it out.
TEST_F(TransactionLog, SavesReportWhatTheyStoredAndWriteEmptyTextAsEmpty)
{
    PointsOps::PurchaseDraft purchase;
    purchase.cardNo = purchase.loadedCard = u"1000"_s;
    purchase.points = u"12.345"_s; // name and goods left as empty fields give them
    const PointsOps::Saved added = PointsOps::savePurchase(home.db(), PointsOps::PurchaseKind::Add, purchase, u"0002"_s);
    ASSERT_TRUE(added.outcome.ok) << added.outcome.notice.text.toStdString();
    EXPECT_EQ(added.points, u"12.35"_s);
    EXPECT_EQ(home.scalar(u"select 增减积分 from 流水记录 where 编号=?"_s, {added.number}).toDouble(), 12.35);

    purchase.points = u" 5.555 "_s;
    const PointsOps::Saved taken = PointsOps::savePurchase(home.db(), PointsOps::PurchaseKind::Deduct, purchase, u"0002"_s);
    ASSERT_TRUE(taken.outcome.ok);
    EXPECT_EQ(taken.points, u"5.56"_s);

    PointsOps::RedemptionDraft cash;
    cash.giftsEnabled = false;
    cash.gifts = QList<PointsOps::GiftRow>(20);
    cash.cardNo = cash.loadedCard = u"1000"_s;
    cash.points = u"10.125"_s;
    cash.cash = u"3.456"_s;
    cash.currentPoints = u"106.79"_s;
    const PointsOps::Redeemed redeemed = PointsOps::redeem(home.db(), cash, u"0002"_s);
    ASSERT_TRUE(redeemed.outcome.ok) << redeemed.outcome.notice.text.toStdString();
    EXPECT_EQ(redeemed.points, u"10.13"_s);
    EXPECT_EQ(redeemed.cash, u"3.46"_s);
    EXPECT_EQ(home.scalar(u"select 返现金 from 流水记录 where 编号=?"_s, {redeemed.number}).toDouble(), 3.46);
    EXPECT_EQ(balance(), 100 + 12.35 - 5.56 - 10.13);

    // A gift quantity is stored rounded, in the stock and in the record alike.
    PointsOps::RedemptionDraft gift = cash;
    gift.giftsEnabled = true;
    gift.gifts = {{u"机油"_s, u"瓶"_s, u"2.675"_s}};
    gift.points = u"1"_s;
    const PointsOps::Redeemed given = PointsOps::redeem(home.db(), gift, u"0002"_s);
    ASSERT_TRUE(given.outcome.ok) << given.outcome.notice.text.toStdString();
    EXPECT_EQ(home.scalar(u"select 数量 from 礼品 where 礼品名称='机油'"_s).toDouble(), -2.68);
    EXPECT_EQ(home.scalar(u"select 数量 from 礼品使用记录 where 单据号=?"_s, {given.number}).toDouble(), 2.68);

    // '' where the save writes a text, null where it leaves the column out.
    struct Cell
    {
        QString number;
        const char* column;
        const char* stored; // nullptr: null
    };
    const Cell cells[] = {
        {added.number, "会员姓名", ""},  {added.number, "商品", ""},        {added.number, "兑换礼品", nullptr},
        {added.number, "返现金", nullptr}, {redeemed.number, "兑换礼品", ""}, {redeemed.number, "商品", nullptr},
        {redeemed.number, "会员姓名", ""},
    };
    for (const Cell& c : cells) {
        const QVariant v = home.scalar(u"select %1 from 流水记录 where 编号=?"_s.arg(QString::fromUtf8(c.column)), {c.number});
        EXPECT_EQ(v.isNull(), c.stored == nullptr) << c.column << " of " << c.number.toStdString();
        if (c.stored) {
            EXPECT_EQ(v.toString(), QString::fromUtf8(c.stored)) << c.column;
        }
    }
    EXPECT_EQ(home.scalar(u"select count(*) from 流水记录 where 兑换礼品 = ''"_s).toInt(), 1)
        << "a filter on an empty gift text finds the cash redemption";
}

TEST(RoundTwoDecimals, ByTheDigitsOfTheFraction)
{
    struct Case
    {
        double value;
        double rounded;
    };
    const Case cases[] = {
        {12.344, 12.34},
        {12.345, 12.35},
        {12.3, 12.3},
        {7.995, 8},
        {0.056, 0.06},
        {0.295, 0.3},
        {100.0 / 3, 33.33},
        {10.0 / 4, 2.5},
        {1.005, 1},   // held as 1.00499999999999989
        {2.675, 2.68}, // held below 2.675, but its fraction's 15 digits read 0.675
        {0.995, 1},
        {88, 88},
        {0, 0},
        {5e-6, 0},     // fraction text with an exponent
        {3.00005, 3},  // 5e-05 has an exponent too
        {4.0004, 4},
        {2.9999999999999996, 3}, // 15 digits round the fraction up to 1
        {123456789.125, 123456789.13},
        {-12.345, -12.35},
        {-7.995, -8},
        {-0.001, 0},
    };
    for (const Case& c : cases) {
        const double r = RoundTwoDecimals(c.value);
        EXPECT_EQ(r, c.rounded) << QString::number(c.value, 'g', 17).toStdString();
        EXPECT_FALSE(std::signbit(r) && r == 0.0) << "no -0 for " << c.value;
    }
}

TEST(ParseNumber, AcceptsOnlySignDigitsAndOnePoint)
{
    struct Accepted
    {
        QString text;
        double value;
    };
    const Accepted accepted[] = {
        {u"12"_s, 12},   {u" 12.5 "_s, 12.5}, {u".5"_s, 0.5}, {u"5."_s, 5},   {u"-3"_s, -3},
        {u"+2"_s, 2},    {u"007"_s, 7},       {u"0"_s, 0},    {u"-.25"_s, -0.25},
        // Up to what a double keeps as typed: below a trillion and 15 significant digits.
        {u"999999999999.999"_s, 999999999999.999}, {u"-999999999999"_s, -999999999999},
        {u"123456789012.345"_s, 123456789012.345},  {u"0.00000000000000123456789012345"_s, 1.23456789012345e-15},
        {u"1.50000000000000000000"_s, 1.5}, // trailing zeros of the fraction are not digits kept
        {u"000000000000000000012"_s, 12},   // nor are leading zeros
    };
    for (const Accepted& a : accepted)
        EXPECT_EQ(parseNumber(a.text), a.value) << a.text.toStdString();

    const QString refused[] = {u""_s,     u"  "_s,  u"."_s,   u"1..2"_s, u"1.2.3"_s, u"abc"_s,  u"12a"_s,
                               u"1e3"_s,  u"1,000"_s, u"1 2"_s, u"-"_s,  u"+-1"_s,  u"0x10"_s, u"inf"_s,
                               u"nan"_s,  u"１２"_s, u"12元"_s,
                               // a double would store another number than the one typed
                               u"123456789012345678.99"_s, u"99999999999999999999"_s, u"1000000000000"_s,
                               u"-1000000000000"_s, u"1234567890123.5"_s, u"0.1234567890123456"_s,
                               u"12345678901.23456"_s};
    for (const QString& text : refused) {
        try {
            parseNumber(text);
            ADD_FAILURE() << "accepted: " << text.toStdString();
        } catch (const Failure& f) {
            EXPECT_EQ(f.text(), u"“%1”不是有效的数值"_s.arg(text));
        }
    }
}

TEST_F(TransactionLog, PointsForAmountProposesOrLeavesTheFieldAlone)
{
    home.exec(u"insert into 卡类别 (卡类别, 积分比例) values ('金卡', 10), ('普通卡', 1), ('三比一', 3), ('六比一', 6), "
              u"('无比例', 0), ('倒扣', -4)"_s);
    struct Case
    {
        QString category;
        QString amount;
        bool changed;
        QString points;
        QString error;
    };
    const Case cases[] = {
        {u"金卡"_s, u"123.45"_s, true, u"12.35"_s, {}},
        {u"普通卡"_s, u"88"_s, true, u"88"_s, {}},
        {u"三比一"_s, u"100"_s, true, u"33.33"_s, {}},
        {u"普通卡"_s, u"1.005"_s, true, u"1"_s, {}},
        // 12.45 / 6 is 2.0749999999999997, whose 15-digit text 2.075 is what is rounded.
        {u"六比一"_s, u"12.45"_s, true, u"2.08"_s, {}},
        {u"倒扣"_s, u"10"_s, true, u"-2.5"_s, {}},
        {u"金卡"_s, u""_s, false, {}, {}},
        {u"无比例"_s, u"50"_s, false, {}, {}},
        {u"无此类别"_s, u"50"_s, false, {}, {}},
        {u"无比例"_s, u"."_s, false, {}, {}}, // no ratio: the amount is not even read
        {u"金卡"_s, u"."_s, false, {}, u"“.”不是有效的数值"_s},
        {u"金卡"_s, u"1..2"_s, false, {}, u"“1..2”不是有效的数值"_s},
    };
    for (const Case& c : cases) {
        const ProposedPoints p = pointsForAmount(home.db(), c.category, c.amount);
        EXPECT_EQ(p.changed, c.changed) << c.category.toStdString() << ' ' << c.amount.toStdString();
        EXPECT_EQ(p.points, c.points) << c.category.toStdString() << ' ' << c.amount.toStdString();
        EXPECT_EQ(p.error, c.error) << c.category.toStdString() << ' ' << c.amount.toStdString();
    }
}

} // namespace
