#include "data/engine.h"
#include "data/schema.h"
#include "data/sqlrun.h"
#include "support/testhome.h"

#include <QFile>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(EngineTest, FreshDatabaseHoldsTheNineTablesAndOnlyOperator0001)
{
    TestHome home;
    const QStringList expected = {u"会员卡信息"_s, u"卡类别"_s,   u"流水记录"_s, u"挂失记录"_s, u"口头挂失记录"_s,
                                  u"礼品"_s,       u"礼品使用记录"_s, u"操作员"_s,   u"权限清单"_s};
    QStringList tables = home.db().tables();
    tables.sort();
    QStringList sortedExpected = expected;
    sortedExpected.sort();
    EXPECT_EQ(tables, sortedExpected);
    for (const QString& table : expected) {
        const QSqlRecord record = home.db().record(table);
        QStringList columns;
        for (int i = 0; i < record.count(); ++i)
            columns << record.fieldName(i);
        EXPECT_EQ(columns, Schema::columnsOf(table)) << table.toStdString();
    }
    EXPECT_EQ(Schema::columnsOf(u"会员卡信息"_s).size(), 22);
    EXPECT_EQ(home.scalar(u"select count(*) from 操作员"_s).toInt(), 1);
    EXPECT_EQ(home.scalar(u"select 姓名 from 操作员 where 操作员='0001'"_s).toString(), u"系统管理员"_s);
    EXPECT_EQ(home.scalar(u"select 密码 from 操作员 where 操作员='0001'"_s).toString(), QString());
    EXPECT_EQ(home.scalar(u"select count(*) from 权限清单"_s).toInt(), 0);
    EXPECT_EQ(home.scalar(u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
}

TEST(EngineTest, CreateRefusesAnExistingFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"database/database.db"_s);
    QString error;
    ASSERT_TRUE(Engine::create(path, &error)) << error.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    EXPECT_FALSE(Engine::create(path, &error));
    EXPECT_TRUE(error.contains(u"已存在"_s));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST(EngineTest, OpenRefusesMissingAndForeignFiles)
{
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(Engine::open(u"t1"_s, dir.filePath(u"none.db"_s), &error));
    EXPECT_FALSE(QFile::exists(dir.filePath(u"none.db"_s))) << "opening must never create a database";

    QFile junk(dir.filePath(u"junk.db"_s));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(8192, 'x'));
    junk.close();
    error.clear();
    EXPECT_FALSE(Engine::open(u"t2"_s, junk.fileName(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QSqlDatabase::contains(u"t2"_s));
}

// Garbled pages are found before anything is written: the open fails, says it is damage and
// what the engine found, and the file keeps every byte.
TEST(EngineTest, OpenRefusesADamagedFileAndLeavesItAsItWas)
{
    struct Case
    {
        const char* page; // table or index whose first page is garbled
        int from, to;
        QString finding; // a part of the engine's text
    };
    const Case cases[] = {
        {"流水记录", 0, 12, u"btreeInitPage"_s},       // the page header
        {"流水记录", 12, 40, u"out of range"_s},       // the cell pointers
        {"会员卡信息_会员卡号", 0, 40, u"Page"_s},     // an index
        {"sqlite_master", 0, 16, u"not a database"_s}, // the file's own header on page 1
    };
    for (const Case& c : cases) {
        const QString page = QString::fromUtf8(c.page);
        QString path;
        {
            TestHome home;
            path = home.path(u"database/database.db"_s);
            home.exec(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000) "
                      u"insert into 流水记录 (编号, 会员卡号, 增减积分) select printf('%010d', i), 'C' || (i % 50), 1.5 from n"_s);
            home.exec(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 2000) "
                      u"insert into 会员卡信息 (会员卡号, 会员姓名) select printf('C%05d', i), '会员' || i from n"_s);
            home.disconnect();
            if (page == u"sqlite_master"_s) {
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::ReadWrite));
                file.write(QByteArray(16, '\xff'));
            } else {
                damagePage(path, page, c.from, c.to);
            }
            const QByteArray before = fileBytes(path);
            QString error;
            bool damaged = false;
            EXPECT_FALSE(Engine::open(u"damaged"_s, path, &error, &damaged)) << c.page;
            EXPECT_TRUE(damaged) << c.page;
            EXPECT_TRUE(error.contains(c.finding)) << c.page << ": " << error.toStdString();
            EXPECT_FALSE(QSqlDatabase::contains(u"damaged"_s));
            EXPECT_TRUE(fileBytes(path) == before) << c.page << ": the file was written to";
        }
    }
    // A sound file is no damage.
    TestHome home;
    home.disconnect();
    QString error;
    bool damaged = true;
    EXPECT_TRUE(Engine::open(u"sound"_s, home.path(u"database/database.db"_s), &error, &damaged)) << error.toStdString();
    EXPECT_FALSE(damaged);
    Engine::close(u"sound"_s);
}

TEST(EngineTest, QuotesInValuesAreStoredAsTyped)
{
    TestHome home;
    home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名) values (?, ?)"_s, {u"1001"_s, u"O'Brien'); drop table 操作员; --"_s});
    EXPECT_EQ(home.scalar(u"select 会员姓名 from 会员卡信息 where 会员卡号=?"_s, {u"1001"_s}).toString(),
              u"O'Brien'); drop table 操作员; --"_s);
    EXPECT_EQ(home.scalar(u"select count(*) from 操作员"_s).toInt(), 1);
}

TEST(EngineTest, UniqueKeysRefuseDuplicates)
{
    TestHome home;
    const std::pair<QString, QString> keys[] = {{u"会员卡信息"_s, u"会员卡号"_s},
                                                {u"卡类别"_s, u"卡类别"_s},
                                                {u"操作员"_s, u"操作员"_s},
                                                {u"流水记录"_s, u"编号"_s}};
    for (const auto& [table, column] : keys) {
        const QString insert = u"insert into %1 (%2) values ('K')"_s.arg(table, column);
        Sql::run(home.db(), insert);
        EXPECT_THROW(Sql::run(home.db(), insert), Failure) << table.toStdString();
    }
}

TEST(EngineTest, TransactionCommitsOrLeavesNoTrace)
{
    TestHome home;
    const QString ok = Sql::transact(home.db(), [&] {
        Sql::run(home.db(), u"insert into 卡类别 (卡类别, 积分比例) values (?, ?)"_s, {u"金卡"_s, 10});
    });
    EXPECT_TRUE(ok.isEmpty());

    const QString failed = Sql::transact(home.db(), [&] {
        Sql::run(home.db(), u"insert into 卡类别 (卡类别, 积分比例) values (?, ?)"_s, {u"银卡"_s, 20});
        Sql::run(home.db(), u"insert into 卡类别 (卡类别, 积分比例) values (?, ?)"_s, {u"金卡"_s, 5});
    });
    EXPECT_FALSE(failed.isEmpty());
    EXPECT_EQ(home.scalar(u"select count(*) from 卡类别"_s).toInt(), 1);

    const QString refused = Sql::transact(home.db(), [&] {
        Sql::run(home.db(), u"update 卡类别 set 积分比例=1"_s);
        throw Failure(u"积分不是数字"_s);
    });
    EXPECT_EQ(refused, u"积分不是数字"_s);
    EXPECT_EQ(home.scalar(u"select 积分比例 from 卡类别"_s).toInt(), 10);
}

TEST(EngineTest, SharedQueryShowsBoundRowsAndReportsErrors)
{
    TestHome home;
    for (int i = 0; i < 600; ++i)
        home.exec(u"insert into 流水记录 (编号, 会员卡号) values (?, ?)"_s,
                  {u"%1"_s.arg(i, 10, 10, QChar(u'0')), i % 2 ? u"A"_s : u"B"_s});
    SharedQuery* q = home.dm().ADOQuery8;
    EXPECT_EQ(q->statement(), u"select * from 流水记录"_s);
    q->setStatement(u"select * from 流水记录 where 会员卡号=?"_s, {u"A"_s});
    EXPECT_EQ(q->open(), QString());
    while (q->canFetchMore())
        q->fetchMore();
    EXPECT_EQ(q->rowCount(), 300);

    q->setStatement(u"select * from 没有这张表"_s);
    EXPECT_FALSE(q->open().isEmpty());
    EXPECT_EQ(q->rowCount(), 0);
}

} // namespace
