#include "config/programhome.h"
#include "data/engine.h"
#include "data/schema.h"
#include "data/sqlrun.h"
#include "data/values.h"
#include "points/pointsops.h"
#include "support/testhome.h"

#include <QFile>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <memory>

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
            Sql::run(db, Schema::createTable(t, QString::fromUtf8(t.name), [](const Schema::Column& c) { return QString::fromUtf8(c.type); }));
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

// The type a column of the list above has on the engine under test: SQLite's declaration, or
// what PostgreSQL calls the type it was given.
QString typeOnEngine(const ColumnSpec& c)
{
    if (!onServer())
        return text(c.type);
    const QByteArray type(c.type);
    if (type == "TEXT")
        return c.caseless ? u"citext"_s : u"text"_s;
    return type == "INTEGER" ? u"int4"_s : u"numeric(14,2)"_s;
}

// Name and type of every column of a table, in order, as the engine reports them.
QStringList columnsAsStored(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery info = onServer()
                         ? Sql::run(db,
                                    u"select column_name, udt_name || case when udt_name = 'numeric' then '(' || "
                                    u"numeric_precision || ',' || numeric_scale || ')' else '' end from "
                                    u"information_schema.columns where table_schema = current_schema() and table_name = ? "
                                    u"order by ordinal_position"_s,
                                    {table})
                         : Sql::run(db, u"select name, type from pragma_table_info(?)"_s, {table});
    QStringList got;
    while (info.next())
        got << info.value(0).toString() + u' ' + info.value(1).toString();
    return got;
}

TEST(EngineTest, FreshDatabaseHoldsTheNineTablesAndOnlyOperator0001)
{
    TestHome home;
    QStringList tables = home.db().tables();
    tables.sort();
    QStringList expected;
    for (const TableSpec& t : expectedTables())
        expected << text(t.name);
    if (onServer())
        expected << u"数据库版本"_s; // where the server keeps the schema version
    expected.sort();
    EXPECT_EQ(tables, expected);
    for (const TableSpec& t : expectedTables()) {
        QStringList wanted;
        for (const ColumnSpec& c : t.columns)
            wanted << text(c.name) + u' ' + typeOnEngine(c);
        if (onServer())
            wanted << u"qv_rowid int8"_s; // the row key lists page by, last
        EXPECT_EQ(columnsAsStored(home.db(), text(t.name)), wanted) << t.name;
    }
    EXPECT_EQ(Engine::schemaVersion(home.db()), Schema::Version);
    EXPECT_EQ(home.scalar(u"select count(*) from 操作员"_s).toInt(), 1);
    EXPECT_EQ(home.scalar(u"select 姓名 from 操作员 where 操作员='0001'"_s).toString(), u"系统管理员"_s);
    EXPECT_EQ(home.scalar(u"select 密码 from 操作员 where 操作员='0001'"_s).toString(), QString());
    EXPECT_EQ(home.scalar(u"select count(*) from 权限清单"_s).toInt(), 0);
    if (!onServer()) {
        EXPECT_EQ(home.scalar(u"PRAGMA journal_mode"_s).toString(), u"wal"_s);
    }
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
    SQLITE_ONLY("files from before the schema versions");
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
    SQLITE_ONLY("files from before the schema versions");
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
    home.exec(onServer() ? u"update 数据库版本 set 版本 = %1"_s.arg(Schema::Version + 1)
                         : u"PRAGMA user_version = %1"_s.arg(Schema::Version + 1));
    QString error;
    EXPECT_FALSE(Engine::open(u"newer"_s, home.location(), &error));
    EXPECT_TRUE(error.contains(u"更新版本"_s)) << error.toStdString();
    EXPECT_EQ(Engine::schemaVersion(home.db()), Schema::Version + 1);
}

TEST(EngineTest, CreateRefusesADatabaseThatHoldsTheTables)
{
    if (onServer()) {
        ServerDatabase server;
        QString error;
        ASSERT_TRUE(Engine::create(server.location(), &error)) << error.toStdString();
        EXPECT_FALSE(Engine::create(server.location(), &error));
        EXPECT_TRUE(error.contains(u"已有本程序的表"_s)) << error.toStdString();
        ASSERT_TRUE(Engine::open(u"created"_s, server.location(), &error)) << error.toStdString();
        EXPECT_EQ(Sql::scalar(QSqlDatabase::database(u"created"_s, false), u"select count(*) from 操作员"_s).toInt(), 1);
        Engine::close(u"created"_s);
        return;
    }
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
    if (onServer()) {
        // A database the server does not have, and one that is not this program's.
        ServerDatabase empty;
        Engine::Location missing = empty.location();
        missing.database += u"_none"_s;
        EXPECT_FALSE(Engine::open(u"t1"_s, missing, &error));
        EXPECT_TRUE(error.contains(missing.database)) << error.toStdString();
        error.clear();
        EXPECT_FALSE(Engine::open(u"t2"_s, empty.location(), &error));
        EXPECT_TRUE(error.contains(u"--create-database"_s)) << error.toStdString();
        EXPECT_FALSE(QSqlDatabase::contains(u"t2"_s));
        return;
    }
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
    SQLITE_ONLY("the file's own pages");
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

// Every table's rows with every value, in row key order, the key itself included: two
// databases that give the same text hold the same data in the same order.
QString everyRow(const QSqlDatabase& db)
{
    QString all;
    const bool server = Engine::isServer(db);
    for (const Schema::Table& t : Schema::tables()) {
        QStringList columns{server ? u"qv_rowid"_s : u"rowid"_s};
        for (const Schema::Column& c : t.columns)
            columns << Sql::quotedName(text(c.name));
        QSqlQuery q = Sql::run(db, u"select %1 from %2 order by 1"_s.arg(columns.join(u", "_s), Sql::quotedName(text(t.name))));
        all += text(t.name) + u'\n';
        while (q.next()) {
            for (int i = 0; i < columns.size(); ++i) {
                const QVariant v = q.value(i);
                // Numbers as numbers: the server gives a decimal, the file a double or an integer.
                bool number = false;
                const double d = v.toDouble(&number);
                all += v.isNull() ? u"<null>"_s : number && v.metaType().id() != QMetaType::QString ? Values::pointsText(d) : v.toString();
                all += u'|';
            }
            all += u'\n';
        }
    }
    return all;
}

// A shop's data in a SQLite file as years of use leave it: every table, nulls beside empty
// texts, decimals, keys in mixed case, rows deleted between others.
void fillShop(const QSqlDatabase& db)
{
    const QStringList statements = {
        u"insert into 卡类别 values ('金卡', 10, 1, 0), ('Silver', 20, 0, 1)"_s,
        u"insert into 会员卡信息 (会员卡号, 卡类别, 会员姓名, 手机, 投保标志, 投保日期, 积分, 口头挂失标志) values "
        u"('A001', '金卡', '张三', '', 1, '2026-01-02', 88.5, 0), ('b002', 'Silver', 'O''Brien', null, 0, null, 0.3, 1), "
        u"('C003', '金卡', '王五', '139', 0, null, -12.25, 0)"_s,
        u"delete from 会员卡信息 where 会员卡号 = 'C003'"_s,
        u"insert into 会员卡信息 (会员卡号, 会员姓名, 积分) values ('D004', '赵六', 1234567.89)"_s,
        u"insert into 流水记录 (编号, 会员卡号, 会员姓名, 商品, 兑换礼品, 返现金, 增减积分, 增减原因, 日期, 时间, 经手人) values "
        u"('0000000001', 'A001', '张三', '机油', '', null, 88.5, '购物消费', '2026-01-02', '10:00:00', '0001'), "
        u"('0000000002', 'b002', 'O''Brien', '', ' 茶杯', 5, -4.7, '兑换积分', '2026-01-03', '11:30:00', '0002')"_s,
        u"insert into 挂失记录 values ('Z009', 'A001', '张三', 88.5, '2026-01-01', '09:00:00', '0001')"_s,
        u"insert into 口头挂失记录 (会员卡号, 会员姓名, 口头挂失日期, 口头挂失时间, 挂失经手人) values "
        u"('b002', 'O''Brien', '2026-01-04', '08:00:00', '0002')"_s,
        u"insert into 礼品 values ('茶杯', '个', 10, '首批', '2026-01-01'), ('茶杯', '个', -1, null, null)"_s,
        u"insert into 礼品使用记录 values ('0000000002', 'b002', 'O''Brien', '茶杯', '个', 1, '2026-01-03', '0002')"_s,
        u"insert into 操作员 values ('0002', '李四', 'pw')"_s,
        u"insert into 权限清单 values (1, '0002', '增加积分'), (2, '0002', '积分兑换')"_s,
    };
    for (const QString& statement : statements)
        Sql::run(db, statement);
}

// SQLite → the engine under test → SQLite again: every table equals the original, row keys
// included, and the copy on the way is a database the program opens and writes to.
TEST(CopyDatabase, RoundTripKeepsEveryTableAsItWas)
{
    QTemporaryDir dir;
    const QString original = dir.filePath(u"shop.db"_s);
    const QString back = dir.filePath(u"back.db"_s);
    QString error;
    ASSERT_TRUE(Engine::create(original, &error)) << error.toStdString();
    ASSERT_TRUE(Engine::open(u"original"_s, original, &error)) << error.toStdString();
    fillShop(QSqlDatabase::database(u"original"_s, false));
    const QString before = everyRow(QSqlDatabase::database(u"original"_s, false));
    Engine::close(u"original"_s);

    std::unique_ptr<ServerDatabase> server;
    Engine::Location middle(dir.filePath(u"middle.db"_s));
    if (onServer()) {
        server = std::make_unique<ServerDatabase>();
        middle = server->location();
    }
    QString report;
    ASSERT_TRUE(Engine::copyDatabase(original, middle, &report, &error)) << error.toStdString();
    EXPECT_TRUE(report.contains(u"会员卡信息 3 行"_s)) << report.toStdString();
    EXPECT_TRUE(report.contains(u"权限清单 2 行"_s)) << report.toStdString();
    ASSERT_TRUE(Engine::copyDatabase(middle, back, &report, &error)) << error.toStdString();

    ASSERT_TRUE(Engine::open(u"back"_s, back, &error)) << error.toStdString();
    EXPECT_EQ(everyRow(QSqlDatabase::database(u"back"_s, false)), before);
    Engine::close(u"back"_s);

    // The copy is a working database: lookups ignore case, new rows take keys after the old.
    ASSERT_TRUE(Engine::open(u"middle"_s, middle, &error)) << error.toStdString();
    {
        const QSqlDatabase db = QSqlDatabase::database(u"middle"_s, false);
        EXPECT_EQ(Sql::scalar(db, u"select 会员姓名 from 会员卡信息 where 会员卡号 = 'B002'"_s).toString(), u"O'Brien"_s);
        Sql::run(db, u"insert into 礼品 (礼品名称, 单位, 数量) values ('雨伞', '把', 3)"_s);
        EXPECT_EQ(Sql::scalar(db, u"select 礼品名称 from 礼品 order by %1 desc"_s.arg(rowKey())).toString(), u"雨伞"_s);
    }
    Engine::close(u"middle"_s);

    // A target that is there already is left alone.
    EXPECT_FALSE(Engine::copyDatabase(original, middle, &report, &error));
    EXPECT_TRUE(error.contains(u"不会覆盖"_s)) << error.toStdString();
}

// A value one engine holds and the other cannot take stops the copy, and the target keeps
// nothing of it: all of it is one transaction there.
TEST(CopyDatabase, ACopyThatFailsLeavesNoTarget)
{
    SERVER_ONLY("a file takes any value in any column");
    QTemporaryDir dir;
    const QString original = dir.filePath(u"shop.db"_s);
    QString error;
    ASSERT_TRUE(Engine::create(original, &error)) << error.toStdString();
    ASSERT_TRUE(Engine::open(u"original"_s, original, &error)) << error.toStdString();
    fillShop(QSqlDatabase::database(u"original"_s, false));
    // SQLite keeps a text in a column of numbers as it was typed in long ago.
    Sql::run(QSqlDatabase::database(u"original"_s, false), u"update 权限清单 set xuhao = 'x' where xuhao = 2"_s);
    Engine::close(u"original"_s);

    ServerDatabase server;
    QString report;
    EXPECT_FALSE(Engine::copyDatabase(original, server.location(), &report, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(Engine::open(u"target"_s, server.location(), &error)) << "no table came about";
    // The database stays empty, so the copy can be made again once the value is mended.
    ASSERT_TRUE(Engine::create(server.location(), &error)) << error.toStdString();
}

// The server restarted under a running counter: the next operation shows the engine's text and
// writes nothing, the one after finds the connection made again.
TEST(ServerConnection, ALostConnectionFailsOneOperationAndIsMadeAgain)
{
    SERVER_ONLY("a connection to a server");
    TestHome home;
    home.exec(u"insert into 卡类别 (卡类别, 积分比例) values ('金卡', 10)"_s);
    home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 卡类别, 积分) values ('A', '张三', '金卡', 100)"_s);
    PointsOps::PurchaseDraft d;
    d.cardNo = d.loadedCard = u"A"_s;
    d.name = u"张三"_s;
    d.points = u"10"_s;
    const auto save = [&] { return PointsOps::savePurchase(home.db(), PointsOps::PurchaseKind::Add, d, u"0001"_s).outcome; };

    ServerDatabase::terminate(home.db());
    const Outcome lost = save();
    EXPECT_FALSE(lost.ok);
    EXPECT_EQ(lost.notice.kind, Notice::Kind::Plain);
    EXPECT_TRUE(lost.notice.text.startsWith(Sql::LostText + u'\n')) << lost.notice.text.toStdString();
    EXPECT_TRUE(lost.notice.text.contains(u"terminating connection"_s)) << "the engine's own text follows";
    const Outcome again = save();
    EXPECT_TRUE(again.ok) << again.notice.text.toStdString();
    EXPECT_EQ(home.scalar(u"select 积分 from 会员卡信息 where 会员卡号='A'"_s).toDouble(), 110.0);

    // Lost in the middle of a save: the server drops the half of it, and the save says so.
    const QString failed = Sql::transact(home.db(), [&] {
        Sql::run(home.db(), u"update 会员卡信息 set 积分 = 0 where 会员卡号='A'"_s);
        ServerDatabase::terminate(home.db());
        Sql::run(home.db(), u"insert into 流水记录 (编号, 会员卡号) values ('9999999999', 'A')"_s);
    });
    EXPECT_TRUE(failed.startsWith(Sql::LostText)) << failed.toStdString();
    EXPECT_EQ(home.scalar(u"select 积分 from 会员卡信息 where 会员卡号='A'"_s).toDouble(), 110.0);
    EXPECT_EQ(home.scalar(u"select count(*) from 流水记录"_s).toInt(), 1);

    // A lookup outside a save likewise: one failure, then the answer.
    ServerDatabase::terminate(home.db());
    EXPECT_THROW(Sql::scalar(home.db(), u"select count(*) from 会员卡信息"_s), Failure);
    EXPECT_EQ(home.scalar(u"select count(*) from 会员卡信息"_s).toInt(), 1);
}

} // namespace
