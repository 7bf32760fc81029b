#include "config/appconfig.h"
#include "config/inifile.h"
#include "config/programhome.h"
#include "data/clock.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "data/values.h"
#include "reminders/reminders.h"
#include "support/testhome.h"

#include <QSqlRecord>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class RemindersTest : public ::testing::Test
{
protected:
    void SetUp() override { Clock::setInstance(&clock); }
    void TearDown() override { Clock::setInstance(nullptr); }

    void member(const QString& card, const QVariant& birthday, const QVariant& expiry = {})
    {
        home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 会员生日, 保险到期日期) values (?, '张三', ?, ?)"_s,
                  {card, birthday, expiry});
    }
    static QStringList cards(SharedQuery* q)
    {
        while (q->canFetchMore())
            q->fetchMore();
        QStringList list;
        for (int r = 0; r < q->rowCount(); ++r)
            list << q->index(r, q->record().indexOf(u"会员卡号"_s)).data().toString();
        list.sort();
        return list;
    }
    QStringList birthdays(const QDate& day, int days)
    {
        clock.set(QDateTime(day, QTime(8, 0)));
        EXPECT_EQ(Reminders::showBirthdays(home.dm(), days), QString());
        return cards(home.dm().ADOQuery3);
    }

    FixedClock clock{QDateTime(QDate(2026, 12, 31), QTime(8, 0))};
    TestHome home;
};

TEST_F(RemindersTest, BirthdayWindowsAcrossMonthAndYearEnds)
{
    struct Case
    {
        QDate today;
        int days;
        QStringList dates;
    };
    const Case cases[] = {
        {{2026, 12, 31}, 3, {u"12-31"_s, u"1-1"_s, u"1-2"_s}},
        {{2026, 12, 31}, 5, {u"12-31"_s, u"1-1"_s, u"1-2"_s, u"1-3"_s, u"1-4"_s}},
        {{2028, 2, 28}, 3, {u"2-28"_s, u"2-29"_s, u"3-1"_s}}, // leap year
        {{2027, 2, 28}, 3, {u"2-28"_s, u"3-1"_s, u"3-2"_s}}, // common year: no 2-29
        {{2026, 9, 30}, 3, {u"9-30"_s, u"10-1"_s, u"10-2"_s}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Reminders::birthdayDates(c.today, c.days), c.dates) << c.today.toString().toStdString();

    // Rows just inside and just outside each window; stored text matches only as written.
    member(u"m1230"_s, u"12-30"_s);
    member(u"m1231"_s, u"12-31"_s);
    member(u"m0102"_s, u"1-2"_s);
    member(u"m0103"_s, u"1-3"_s);
    member(u"m0104"_s, u"1-4"_s);
    member(u"m0105"_s, u"1-5"_s);
    member(u"zero"_s, u"01-02"_s); // a leading zero never matches
    member(u"none"_s, {});
    member(u"m0229"_s, u"2-29"_s);
    member(u"m0301"_s, u"3-1"_s);
    member(u"m0302"_s, u"3-2"_s);
    EXPECT_EQ(birthdays({2026, 12, 31}, 3), (QStringList{u"m0102"_s, u"m1231"_s}));
    EXPECT_EQ(birthdays({2026, 12, 31}, 5), (QStringList{u"m0102"_s, u"m0103"_s, u"m0104"_s, u"m1231"_s}));
    EXPECT_EQ(birthdays({2028, 2, 28}, 3), (QStringList{u"m0229"_s, u"m0301"_s}));
    EXPECT_EQ(birthdays({2027, 2, 28}, 3), (QStringList{u"m0301"_s, u"m0302"_s}));
    EXPECT_TRUE(birthdays({2026, 6, 1}, 5).isEmpty());
}

// The insurance list as a statement of one equality per date, assembled line by line in the
// shop's original way: three dates on the first line, then the groups of the window's table.
QString literalExpiryStatement(const QDate& today, int lastDay)
{
    const auto date = [&](int n) { return today.addDays(n).toString(u"yyyy-MM-dd"_s); };
    const QString eq = u"(保险到期日期='"_s;
    QString sql = u"select * from 会员卡信息 where "_s + eq + date(0) + u"')or"_s + eq + date(1) + u"')or"_s + eq
                + date(2) + u"')\n"_s;
    QList<QList<int>> lines;
    if (lastDay == 30)
        lines = {{3, 4, 5}, {6, 7, 8}, {9, 10, 11}, {12, 13, 14}, {15, 16, 17}, {18, 19, 20}, {21, 22, 23}, {24, 25, 26},
                 {27, 28, 29, 30}};
    else if (lastDay == 15)
        lines = {{3, 4, 5}, {6, 7, 8}, {9, 10, 11}, {12, 13, 14}, {15}};
    else
        lines = {{3, 4, 5}};
    for (const QList<int>& line : lines) {
        QStringList dates;
        for (int n : line)
            dates << date(n);
        sql += u"or"_s + eq + dates.join(u"')or"_s + eq) + u"')\n"_s;
    }
    return sql;
}

TEST_F(RemindersTest, ExpiryWindowsSelectWhatOneEqualityPerDateSelects)
{
    // Pinned on 1 January, whose 30th day after is 31 January, and on the year end.
    for (const QDate today : {QDate(2026, 1, 1), QDate(2026, 12, 31), QDate(2028, 2, 14)}) {
        home.exec(u"delete from 会员卡信息"_s);
        int n = 0;
        for (int offset : {-1, 0, 1, 2, 3, 5, 6, 14, 15, 16, 29, 30, 31, 365})
            member(u"d%1"_s.arg(offset), {}, Values::dateText(today.addDays(offset)));
        // What other hands may have left in the column: it matches no date as written.
        for (const QString& odd : {today.addDays(4).toString(u"yyyy-MM-dd 00:00:00"_s),
                                   today.addDays(4).toString(u"yyyy-M-d"_s), today.addDays(4).toString(u" yyyy-MM-dd"_s)})
            member(u"odd%1"_s.arg(++n), {}, odd);
        member(u"null"_s, {}, {});
        clock.set(QDateTime(today, QTime(23, 59, 59)));

        for (int lastDay : {30, 15, 5}) {
            const QStringList dates = Reminders::expiryDates(today, lastDay);
            EXPECT_EQ(dates.size(), lastDay + 1);
            EXPECT_EQ(dates.first(), Values::dateText(today));
            ASSERT_EQ(Reminders::showExpiries(home.dm(), lastDay), QString());
            const QStringList ours = cards(home.dm().ADOQuery16);

            SharedQuery literal(home.dm().connectionName(), literalExpiryStatement(today, lastDay));
            ASSERT_EQ(literal.open(), QString());
            EXPECT_EQ(ours, cards(&literal)) << today.toString().toStdString() << " +" << lastDay;
            EXPECT_FALSE(ours.contains(u"d-1"_s)) << "a past expiry is never listed";
            EXPECT_TRUE(ours.contains(u"d%1"_s.arg(lastDay)));
            EXPECT_FALSE(ours.contains(u"d%1"_s.arg(lastDay + 1)));
        }
        EXPECT_EQ(cards(home.dm().ADOQuery16), (QStringList{u"d0"_s, u"d1"_s, u"d2"_s, u"d3"_s, u"d5"_s}));
    }
}

TEST_F(RemindersTest, ShowAtStartIsWrittenBesideTheOtherKeys)
{
    home.writeConfig(QByteArrayLiteral("[\xb3\xcc\xd0\xf2\xb2\xce\xca\xfd]\r\n") + "x=1\r\n");
    Reminders::saveShowAtStart(ConfigKeys::RemindBirthday, false);
    StartupSettings s = AppConfig::readStartup();
    EXPECT_FALSE(s.remindBirthday);
    EXPECT_TRUE(s.remindInsurance);
    Reminders::saveShowAtStart(ConfigKeys::RemindInsurance, false);
    Reminders::saveShowAtStart(ConfigKeys::RemindBirthday, true);
    s = AppConfig::readStartup();
    EXPECT_TRUE(s.remindBirthday);
    EXPECT_FALSE(s.remindInsurance);
    IniFile ini(ProgramHome::configPath());
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.readString(ConfigKeys::Section, ConfigKeys::RemindInsurance, {}), u"0"_s);
    EXPECT_EQ(ini.readString(ConfigKeys::Section, u"x"_s, {}), u"1"_s) << "the other keys stay";
}

} // namespace
