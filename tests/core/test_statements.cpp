// The statement helper keeps each statement prepared, per connection and statement text. What
// it keeps must never mix connections up, outlive the connection it was prepared on, or hold
// the database between two steps of an operation.
#include "config/programhome.h"
#include "data/engine.h"
#include "data/sqlrun.h"
#include "members/memberrecord.h"
#include "support/testhome.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString CardsInOrder = u"select 会员卡号 from 会员卡信息 order by 会员卡号"_s;

QStringList cards(const QSqlDatabase& db)
{
    QStringList list;
    Sql::Rows q = Sql::run(db, CardsInOrder);
    while (q.next())
        list << q.value(0).toString();
    return list;
}

// A database file of its own holding the given cards, its connection closed again.
QString otherFile(const QTemporaryDir& dir, const QString& name, const QStringList& holding)
{
    const QString path = dir.filePath(name);
    QString error;
    EXPECT_TRUE(Engine::create(path, &error)) << error.toStdString();
    EXPECT_TRUE(Engine::open(u"filling"_s, path, &error)) << error.toStdString();
    for (const QString& card : holding)
        Sql::run(QSqlDatabase::database(u"filling"_s, false), u"insert into 会员卡信息 (会员卡号) values (?)"_s, {card});
    Engine::close(u"filling"_s);
    return path;
}

TEST(Statements, EachConnectionRunsTheTextOnItsOwnFile)
{
    SQLITE_ONLY("two database files");
    TestHome home;
    home.exec(u"insert into 会员卡信息 (会员卡号) values ('A'), ('B')"_s);
    QTemporaryDir dir;
    const QString other = otherFile(dir, u"other.db"_s, {u"C"_s});
    QString error;
    ASSERT_TRUE(Engine::open(u"second"_s, other, &error)) << error.toStdString();
    const QSqlDatabase second = QSqlDatabase::database(u"second"_s, false);
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(cards(home.db()), (QStringList{u"A"_s, u"B"_s}));
        EXPECT_EQ(cards(second), QStringList{u"C"_s});
    }
    Engine::close(u"second"_s);
    EXPECT_EQ(cards(home.db()), (QStringList{u"A"_s, u"B"_s})) << "closing one connection leaves the other's";
}

// The restore closes the connection, puts another file in place and opens the same connection
// again: a statement prepared before must not be run on the closed connection's remains.
TEST(Statements, AConnectionOpenedAgainPreparesAfresh)
{
    SQLITE_ONLY("the file replaced while the connection is closed");
    TestHome home;
    home.exec(u"insert into 会员卡信息 (会员卡号) values ('A')"_s);
    ASSERT_EQ(cards(home.db()), QStringList{u"A"_s});
    QTemporaryDir dir;
    const QString replacement = otherFile(dir, u"monday.db"_s, {u"Z"_s});
    const QString failed = home.dm().whileDisconnected([&] {
        QString error;
        return Engine::replaceFile(ProgramHome::databasePath(), replacement, &error) ? QString() : error;
    });
    ASSERT_EQ(failed, QString());
    EXPECT_EQ(cards(home.db()), QStringList{u"Z"_s});
    EXPECT_EQ(Sql::transact(home.db(), [&] { Sql::run(home.db(), u"insert into 会员卡信息 (会员卡号) values ('Y')"_s); }),
              QString());
    EXPECT_EQ(cards(home.db()), (QStringList{u"Y"_s, u"Z"_s}));
}

// A lookup reads the one row it wants and stops: its statement must not keep a read snapshot
// open, or this counter's next save fails at once as soon as another counter has saved.
TEST(Statements, RowsLeftUnreadHoldNoSnapshot)
{
    SQLITE_ONLY("a read snapshot held by a statement left open is SQLite's");
    TestHome home;
    home.exec(u"insert into 会员卡信息 (会员卡号, 积分) values ('C001', 0), ('C002', 0)"_s);
    QString error;
    ASSERT_TRUE(Engine::open(u"other counter"_s, ProgramHome::databasePath(), &error)) << error.toStdString();
    const QSqlDatabase other = QSqlDatabase::database(u"other counter"_s, false);

    ASSERT_TRUE(Members::find(home.db(), u"C001"_s));
    EXPECT_EQ(Sql::scalar(home.db(), CardsInOrder).toString(), u"C001"_s);
    ASSERT_EQ(Sql::transact(other, [&] { Sql::run(other, u"update 会员卡信息 set 积分 = 5 where 会员卡号 = 'C001'"_s); }),
              QString());
    EXPECT_EQ(Sql::transact(home.db(),
                            [&] { Sql::run(home.db(), u"update 会员卡信息 set 积分 = 积分 + 1 where 会员卡号 = 'C001'"_s); }),
              QString());
    EXPECT_EQ(home.scalar(u"select 积分 from 会员卡信息 where 会员卡号 = 'C001'"_s).toDouble(), 6);
    Engine::close(u"other counter"_s);
}

// The same text run again while its rows are still being read (a loop that looks something
// up by the same statement) gets a statement of its own; the outer walk goes on.
TEST(Statements, TheSameTextRunsInsideItsOwnLoop)
{
    TestHome home;
    home.exec(u"insert into 会员卡信息 (会员卡号) values ('A'), ('B'), ('C')"_s);
    QStringList seen;
    Sql::Rows outer = Sql::run(home.db(), CardsInOrder);
    while (outer.next())
        seen << outer.value(0).toString() + QString::number(cards(home.db()).size());
    EXPECT_EQ(seen, (QStringList{u"A3"_s, u"B3"_s, u"C3"_s}));
}

} // namespace
