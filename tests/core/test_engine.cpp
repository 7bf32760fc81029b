#include "config/programhome.h"
#include "data/engine.h"
#include "data/schema.h"
#include "data/sqlrun.h"
#include "support/testhome.h"

#include <QFile>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// The nine tables as the shop's data needs them: every column in order with the type its values
// take, and whether it is a key compared without regard to letter case (card numbers, category
// names, operator IDs).
struct ColumnSpec
{
    const char* name;
    const char* type;
    bool caseless = false;
};
struct TableSpec
{
    const char* name;
    std::vector<ColumnSpec> columns;
};
const std::vector<TableSpec>& expectedTables()
{
    static const std::vector<TableSpec> tables = {
        {"会员卡信息",
         {{"会员卡号", "TEXT", true}, {"卡类别", "TEXT", true}, {"会员姓名", "TEXT"}, {"性别", "TEXT"},
          {"身份证号", "TEXT"},       {"会员生日", "TEXT"},      {"地址", "TEXT"},     {"固定电话", "TEXT"},
          {"手机", "TEXT"},           {"起用日期", "TEXT"},      {"职业", "TEXT"},     {"兴趣爱好", "TEXT"},
          {"车牌号", "TEXT"},         {"VIN码", "TEXT"},         {"车型", "TEXT"},     {"车身颜色", "TEXT"},
          {"购车日期", "TEXT"},       {"投保标志", "INTEGER"},   {"投保日期", "TEXT"}, {"保险到期日期", "TEXT"},
          {"积分", "REAL"},           {"口头挂失标志", "INTEGER"}}},
        {"卡类别", {{"卡类别", "TEXT", true}, {"积分比例", "INTEGER"}, {"允许兑换礼品", "INTEGER"}, {"允许返现金", "INTEGER"}}},
        {"流水记录",
         {{"编号", "TEXT"}, {"会员卡号", "TEXT", true}, {"会员姓名", "TEXT"}, {"商品", "TEXT"}, {"兑换礼品", "TEXT"},
          {"返现金", "REAL"}, {"增减积分", "REAL"}, {"增减原因", "TEXT"}, {"日期", "TEXT"}, {"时间", "TEXT"},
          {"经手人", "TEXT"}}},
        {"挂失记录",
         {{"旧卡号", "TEXT", true}, {"新卡号", "TEXT", true}, {"会员姓名", "TEXT"}, {"原有积分", "REAL"},
          {"日期", "TEXT"}, {"时间", "TEXT"}, {"经手人", "TEXT"}}},
        {"口头挂失记录",
         {{"会员卡号", "TEXT", true}, {"会员姓名", "TEXT"}, {"口头挂失日期", "TEXT"}, {"口头挂失时间", "TEXT"},
          {"挂失经手人", "TEXT"}, {"取消挂失日期", "TEXT"}, {"取消挂失时间", "TEXT"}, {"取消挂失经手人", "TEXT"}}},
        {"礼品", {{"礼品名称", "TEXT"}, {"单位", "TEXT"}, {"数量", "REAL"}, {"备注", "TEXT"}, {"日期", "TEXT"}}},
        {"礼品使用记录",
         {{"单据号", "TEXT"}, {"会员卡号", "TEXT", true}, {"会员姓名", "TEXT"}, {"礼品名称", "TEXT"}, {"单位", "TEXT"},
          {"数量", "REAL"}, {"日期", "TEXT"}, {"经手人", "TEXT"}}},
        {"操作员", {{"操作员", "TEXT", true}, {"姓名", "TEXT"}, {"密码", "TEXT"}}},
        {"权限清单", {{"xuhao", "INTEGER"}, {"bianhao", "TEXT", true}, {"quanxianming", "TEXT"}}},
    };
    return tables;
}

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

// A file made before the schema kept a version: the same columns, compared exactly, with the
// indexes of that time.
void writeVersionZeroFile(const QString& path)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"old-file"_s);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        // The definitions of the day were today's, without a comparison clause.
        for (const Schema::Table& t : Schema::tables())
            Sql::run(db, Schema::createTable(t, QString::fromUtf8(t.name), QString()));
        for (const char* index : {"CREATE UNIQUE INDEX 会员卡信息_会员卡号 ON 会员卡信息 (会员卡号)",
                                  "CREATE UNIQUE INDEX 卡类别_卡类别 ON 卡类别 (卡类别)",
                                  "CREATE UNIQUE INDEX 操作员_操作员 ON 操作员 (操作员)",
                                  "CREATE UNIQUE INDEX 流水记录_编号 ON 流水记录 (编号)",
                                  "CREATE INDEX 流水记录_会员卡号 ON 流水记录 (会员卡号)"})
            Sql::run(db, text(index));
        Sql::run(db, u"insert into 操作员 (操作员, 姓名, 密码) values ('0001', '系统管理员', ''), ('op7', '李四', 'Pw')"_s);
        Sql::run(db, u"insert into 卡类别 values ('Gold', 10, 1, 0)"_s);
        Sql::run(db, u"insert into 会员卡信息 (会员卡号, 卡类别, 会员姓名, 手机, 积分, 投保日期) "
                     u"values ('A001', 'Gold', '张三', '', 88.5, null), ('B002', 'Gold', '李四', '139', 1.25, '2026-01-02')"_s);
        Sql::run(db, u"insert into 流水记录 (编号, 会员卡号, 增减积分) values ('0000000001', 'A001', 88.5)"_s);
        Sql::run(db, u"insert into 挂失记录 (旧卡号, 新卡号) values ('Z009', 'A001')"_s);
        Sql::run(db, u"insert into 权限清单 values (1, 'op7', '增加积分')"_s);
    }
    QSqlDatabase::removeDatabase(u"old-file"_s);
}

TEST(EngineTest, FreshDatabaseHoldsTheNineTablesAndOnlyOperator0001)
{
    TestHome home;
    QStringList tables = home.db().tables();
    tables.sort();
    QStringList expected;
    for (const TableSpec& t : expectedTables())
        expected << text(t.name);
    expected.sort();
    EXPECT_EQ(tables, expected);
    for (const TableSpec& t : expectedTables()) {
        QSqlQuery info = Sql::run(home.db(), u"select name, type from pragma_table_info(?)"_s, {text(t.name)});
        QStringList got;
        QStringList wanted;
        while (info.next())
            got << info.value(0).toString() + u' ' + info.value(1).toString();
        for (const ColumnSpec& c : t.columns)
            wanted << text(c.name) + u' ' + text(c.type);
        EXPECT_EQ(got, wanted) << t.name;
    }
    EXPECT_EQ(Engine::schemaVersion(home.db()), Schema::Version);
    EXPECT_EQ(home.scalar(u"select count(*) from 操作员"_s).toInt(), 1);
    EXPECT_EQ(home.scalar(u"select 姓名 from 操作员 where 操作员='0001'"_s).toString(), u"系统管理员"_s);
    EXPECT_EQ(home.scalar(u"select 密码 from 操作员 where 操作员='0001'"_s).toString(), QString());
    EXPECT_EQ(home.scalar(u"select count(*) from 权限清单"_s).toInt(), 0);
    EXPECT_EQ(home.scalar(u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
}

// A row whose every text column holds "Ab-7": a lookup typed as "aB-7" finds it exactly in the
// key columns.
void expectKeysIgnoreCase(const QSqlDatabase& db)
{
    for (const TableSpec& t : expectedTables()) {
        const QString table = Sql::quotedName(text(t.name));
        QStringList columns;
        for (const ColumnSpec& c : t.columns)
            if (QByteArray(c.type) == "TEXT")
                columns << Sql::quotedName(text(c.name));
        Sql::run(db, u"delete from %1"_s.arg(table));
        Sql::run(db, u"insert into %1 (%2) values (%3)"_s.arg(table, columns.join(u", "_s),
                                                              QStringList(columns.size(), u"'Ab-7'"_s).join(u", "_s)));
        for (const ColumnSpec& c : t.columns) {
            if (QByteArray(c.type) != "TEXT")
                continue;
            const QString column = Sql::quotedName(text(c.name));
            const int found = Sql::scalar(db, u"select count(*) from %1 where %2 = ?"_s.arg(table, column), {u"aB-7"_s}).toInt();
            EXPECT_EQ(found, c.caseless ? 1 : 0) << t.name << "." << c.name;
        }
    }
}

TEST(EngineTest, KeyColumnsCompareWithoutRegardToCase)
{
    TestHome home;
    expectKeysIgnoreCase(home.db());
    const std::pair<QString, QString> uniqueKeys[] = {
        {u"会员卡信息"_s, u"会员卡号"_s}, {u"卡类别"_s, u"卡类别"_s}, {u"操作员"_s, u"操作员"_s}};
    for (const auto& [table, column] : uniqueKeys) {
        home.exec(u"delete from %1"_s.arg(table));
        home.exec(u"insert into %1 (%2) values ('vip-A')"_s.arg(table, column));
        EXPECT_THROW(Sql::run(home.db(), u"insert into %1 (%2) values ('VIP-a')"_s.arg(table, column)), Failure)
            << table.toStdString() << ": two keys that differ only in case cannot both exist";
    }
}

TEST(EngineTest, FileWithoutVersionIsUpgradedWhenOpened)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"database.db"_s);
    writeVersionZeroFile(path);
    QString error;
    ASSERT_TRUE(Engine::open(u"upgraded"_s, path, &error)) << error.toStdString();
    {
        const QSqlDatabase db = QSqlDatabase::database(u"upgraded"_s, false);
        EXPECT_EQ(Engine::schemaVersion(db), Schema::Version);
        // Every row came across with its values, nulls and empty texts included.
        QSqlQuery q = Sql::run(db, u"select 会员卡号, 卡类别, 会员姓名, 手机, 积分, 投保日期 from 会员卡信息 order by 会员卡号"_s);
        QStringList rows;
        while (q.next())
            rows << u"%1|%2|%3|%4|%5|%6"_s.arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                                 q.value(3).isNull() ? u"null"_s : q.value(3).toString(),
                                                 q.value(4).toString(),
                                                 q.value(5).isNull() ? u"null"_s : q.value(5).toString());
        EXPECT_EQ(rows, (QStringList{u"A001|Gold|张三||88.5|null"_s, u"B002|Gold|李四|139|1.25|2026-01-02"_s}));
        EXPECT_EQ(Sql::scalar(db, u"select 密码 from 操作员 where 操作员 = 'OP7'"_s).toString(), u"Pw"_s);
        EXPECT_EQ(Sql::scalar(db, u"select 积分比例 from 卡类别 where 卡类别 = 'gold'"_s).toInt(), 10);
        EXPECT_EQ(Sql::scalar(db, u"select 增减积分 from 流水记录 where 会员卡号 = 'a001'"_s).toDouble(), 88.5);
        EXPECT_EQ(Sql::scalar(db, u"select 新卡号 from 挂失记录 where 旧卡号 = 'z009'"_s).toString(), u"A001"_s);
        EXPECT_EQ(Sql::scalar(db, u"select quanxianming from 权限清单 where bianhao = 'OP7'"_s).toString(), u"增加积分"_s);
        EXPECT_THROW(Sql::run(db, u"insert into 会员卡信息 (会员卡号) values ('a001')"_s), Failure);
        // The lookup indexes are there again after the rebuild.
        EXPECT_EQ(Sql::scalar(db, u"select count(*) from sqlite_master where type = 'index' and name = '口头挂失记录_会员卡号'"_s).toInt(), 1);
        expectKeysIgnoreCase(db);
    }
    Engine::close(u"upgraded"_s);
    ASSERT_TRUE(Engine::open(u"again"_s, path, &error)) << "an upgraded file opens as it is";
    Engine::close(u"again"_s);
}

TEST(EngineTest, UpgradeThatCannotBeMadeLeavesTheFileAsItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"database.db"_s);
    writeVersionZeroFile(path);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"old-file"_s);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        // Two cards that an exact comparison told apart.
        Sql::run(db, u"insert into 会员卡信息 (会员卡号, 会员姓名) values ('a001', '王五')"_s);
    }
    QSqlDatabase::removeDatabase(u"old-file"_s);
    QString error;
    EXPECT_FALSE(Engine::open(u"refused"_s, path, &error));
    EXPECT_TRUE(error.contains(u"升级"_s)) << error.toStdString();
    EXPECT_FALSE(QSqlDatabase::contains(u"refused"_s));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"check"_s);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        EXPECT_EQ(Engine::schemaVersion(db), 0);
        EXPECT_EQ(Sql::scalar(db, u"select count(*) from 会员卡信息"_s).toInt(), 3);
        EXPECT_EQ(Sql::scalar(db, u"select count(*) from 流水记录"_s).toInt(), 1);
    }
    QSqlDatabase::removeDatabase(u"check"_s);
}

TEST(EngineTest, FileOfANewerProgramIsRefused)
{
    TestHome home;
    home.exec(u"PRAGMA user_version = %1"_s.arg(Schema::Version + 1));
    QString error;
    EXPECT_FALSE(Engine::open(u"newer"_s, ProgramHome::databasePath(), &error));
    EXPECT_TRUE(error.contains(u"更新版本"_s)) << error.toStdString();
    EXPECT_EQ(home.scalar(u"PRAGMA user_version"_s).toInt(), Schema::Version + 1);
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
