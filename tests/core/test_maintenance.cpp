#include "data/clock.h"
#include "data/engine.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "maintenance/maintenance.h"
#include "operators/login.h"
#include "support/testhome.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A second counter on the same database file: its own connection, as another copy would have.
class OtherConnection
{
public:
    explicit OtherConnection(const Engine::Location& location) : m_name(u"other-"_s + QUuid::createUuid().toString())
    {
        QString error;
        EXPECT_TRUE(Engine::open(m_name, location, &error)) << error.toStdString();
    }
    ~OtherConnection() { Engine::close(m_name); }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    void close() { Engine::close(m_name); }

private:
    QString m_name;
};

QStringList column(const QSqlDatabase& db, const QString& statement)
{
    QStringList values;
    QSqlQuery q = Sql::run(db, statement);
    while (q.next())
        values << q.value(0).toString();
    return values;
}

// The cards of the database in a file, read through a connection of its own.
QStringList cardsIn(const QString& path)
{
    OtherConnection other(path);
    return column(other.db(), u"select 会员卡号 from 会员卡信息 order by 会员卡号"_s);
}

class Maintenance_ : public ::testing::Test
{
protected:
    void SetUp() override { Clock::setInstance(&clock); }
    void TearDown() override { Clock::setInstance(nullptr); }

    void addMember(const QString& card, double points = 10)
    {
        home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 卡类别, 积分) values (?, ?, '金卡', ?)"_s,
                  {card, u"会员"_s + card, points});
    }
    QStringList cards() { return column(home.db(), u"select 会员卡号 from 会员卡信息 order by 会员卡号"_s); }
    QString file(const QString& name) const { return out.filePath(name); }
    void writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // One row dated the day before, on and after the chosen day in each dated table.
    void addDatedRows()
    {
        for (const QString& day : {u"2026-12-30"_s, u"2026-12-31"_s, u"2027-01-01"_s}) {
            home.exec(u"insert into 挂失记录 (旧卡号, 日期) values (?, ?)"_s, {u"L"_s + day, day});
            home.exec(u"insert into 口头挂失记录 (会员卡号, 口头挂失日期) values (?, ?)"_s, {u"V"_s + day, day});
            home.exec(u"insert into 流水记录 (编号, 日期) values (?, ?)"_s, {u"T"_s + day, day});
            home.exec(u"insert into 礼品使用记录 (单据号, 日期) values (?, ?)"_s, {u"G"_s + day, day});
            home.exec(u"insert into 礼品 (礼品名称, 数量, 日期) values (?, 1, ?)"_s, {u"S"_s + day, day});
        }
    }

    FixedClock clock{QDateTime(QDate(2026, 12, 31), QTime(18, 30, 5))};
    TestHome home;
    QTemporaryDir out;
};

TEST_F(Maintenance_, BackupWhileAnotherCounterWritesHoldsEveryCommittedRow)
{
    addMember(u"0001"_s);
    OtherConnection writer(home.location());
    for (const QString& card : {u"0002"_s, u"0003"_s})
        Sql::run(writer.db(), u"insert into 会员卡信息 (会员卡号) values (?)"_s, {card});
    // Committed rows that still stand in the write-ahead log, and a write under way.
    ASSERT_TRUE(writer.db().transaction());
    Sql::run(writer.db(), u"insert into 会员卡信息 (会员卡号) values ('0004')"_s);

    const Outcome o = Maintenance::backup(home.dm(), file(u"2026-12-31"_s));
    ASSERT_TRUE(o.ok) << o.notice.text.toStdString();
    EXPECT_EQ(o.notice.caption, u"提示！"_s);
    EXPECT_EQ(o.notice.text, u"备份数据成功！"_s);
    writer.db().commit();

    ASSERT_TRUE(QFile::exists(file(u"2026-12-31.bak"_s)));
    QFile::copy(file(u"2026-12-31.bak"_s), file(u"check.db"_s));
    QString error;
    EXPECT_TRUE(Engine::validate(file(u"check.db"_s), &error)) << error.toStdString();
    EXPECT_EQ(cardsIn(file(u"2026-12-31.bak"_s)), (QStringList{u"0001"_s, u"0002"_s, u"0003"_s}));
}

TEST_F(Maintenance_, BackupAppendsBakAndReplacesAnOlderFile)
{
    addMember(u"0001"_s);
    writeBytes(file(u"old.bak.bak"_s), "an older backup");
    for (const QString& chosen : {u"data"_s, u"old.bak"_s}) {
        ASSERT_TRUE(Maintenance::backup(home.dm(), file(chosen)).ok);
        EXPECT_EQ(cardsIn(file(chosen + u".bak"_s)), QStringList{u"0001"_s}) << chosen.toStdString();
    }
    EXPECT_FALSE(QFile::exists(file(u"old.bak"_s)));
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files).size(), 2) << "no part file is left behind";

    const Outcome failed = Maintenance::backup(home.dm(), file(u"no/such/folder/data"_s));
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.notice.caption, u"错误！"_s);
    EXPECT_TRUE(failed.notice.text.startsWith(u"备份数据失败，请重试！!"_s));
}

TEST_F(Maintenance_, RestoreRefusesWhatIsNoDatabaseOfThisProgram)
{
    SQLITE_ONLY("a restore replaces the file");
    for (int i = 0; i < 300; ++i)
        addMember(u"M%1"_s.arg(i, 4, 10, QChar(u'0')));
    ASSERT_TRUE(Maintenance::backup(home.dm(), file(u"good"_s)).ok);
    QFile good(file(u"good.bak"_s));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray goodBytes = good.readAll();
    ASSERT_GT(goodBytes.size(), 16384);

    writeBytes(file(u"text.txt"_s), "会员卡号,会员姓名\r\n0001,张三\r\n");
    writeBytes(file(u"empty"_s), {});
    writeBytes(file(u"truncated.bak"_s), goodBytes.left(goodBytes.size() / 2));
    {
        const QString name = u"foreign"_s;
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(file(u"other.db"_s));
        ASSERT_TRUE(db.open());
        Sql::run(db, u"create table customers (id integer, name text)"_s);
        db.close();
    }
    QSqlDatabase::removeDatabase(u"foreign"_s);
    // This program's tables, one column short.
    QFile::copy(file(u"good.bak"_s), file(u"short.bak"_s));
    {
        OtherConnection shortOne(file(u"short.bak"_s));
        Sql::run(shortOne.db(), u"alter table 挂失记录 drop column 经手人"_s);
    }

    home.dm().ADOQuery5->open();
    const struct
    {
        const char* file;
        const char* reason;
    } cases[] = {
        {"text.txt", "所选文件不是数据库"},
        {"empty", "缺少表“会员卡信息”"},
        {"truncated.bak", "已损坏"},
        {"other.db", "缺少表“会员卡信息”"},
        {"short.bak", "表“挂失记录”缺少列“经手人”"},
        {"missing.bak", "文件"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const Outcome o = Maintenance::restore(home.dm(), file(QString::fromUtf8(c.file)));
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.notice.caption, u"错误！"_s);
        EXPECT_TRUE(o.notice.text.startsWith(u"恢复数据失败，请重试！!\n"_s)) << o.notice.text.toStdString();
        EXPECT_TRUE(o.notice.text.contains(QString::fromUtf8(c.reason))) << o.notice.text.toStdString();
        EXPECT_EQ(cards().size(), 300);
        EXPECT_EQ(home.dm().ADOQuery5->rowCount() > 0, true) << "the open list stays open";
    }
    EXPECT_EQ(QDir(home.path(u"database"_s)).entryList({u"database-*"_s, u"*.restoring*"_s}, QDir::Files), QStringList())
        << "no kept copy or staged file for a refused restore";
}

TEST_F(Maintenance_, RestoreBringsTheBackupBackAndKeepsTheDataItReplaces)
{
    SQLITE_ONLY("a restore replaces the file");
    addMember(u"A"_s);
    addMember(u"B"_s);
    ASSERT_TRUE(Maintenance::backup(home.dm(), file(u"monday"_s)).ok);
    addMember(u"C"_s);
    home.exec(u"delete from 会员卡信息 where 会员卡号='A'"_s);
    currentOperator() = {u"0002"_s, u"pw"_s};
    const QSqlDatabase heldByAScreen = home.db();
    home.dm().ADOQuery5->setStatement(u"select * from 会员卡信息 where 会员卡号<>?"_s, {u"B"_s});
    home.dm().ADOQuery5->open();
    ASSERT_EQ(home.dm().ADOQuery5->rowCount(), 1);

    const Outcome o = Maintenance::restore(home.dm(), file(u"monday.bak"_s));
    ASSERT_TRUE(o.ok) << o.notice.text.toStdString();
    const QString kept = home.path(u"database/database-20261231-183005.db"_s);
    EXPECT_EQ(o.notice.caption, u"提示！"_s);
    EXPECT_EQ(o.notice.text, u"恢复数据成功！\n原来的数据库已保存为："_s + QDir::toNativeSeparators(kept));

    EXPECT_EQ(cards(), (QStringList{u"A"_s, u"B"_s}));
    EXPECT_EQ(cardsIn(kept), (QStringList{u"B"_s, u"C"_s}));
    EXPECT_EQ(home.dm().ADOQuery5->rowCount(), 1) << "the shared list is open again on its statement";
    EXPECT_EQ(home.dm().ADOQuery5->record(0).value(u"会员卡号"_s).toString(), u"A"_s);
    Sql::run(heldByAScreen, u"insert into 会员卡信息 (会员卡号) values ('D')"_s);
    EXPECT_EQ(cards(), (QStringList{u"A"_s, u"B"_s, u"D"_s})) << "a handle taken before goes on working";
    EXPECT_EQ(currentOperator().id, u"0002"_s);
    EXPECT_EQ(QDir(home.path(u"database"_s)).entryList({u"*.restoring*"_s}, QDir::Files), QStringList());

    // A second restore in the same second keeps its copy under another name.
    ASSERT_TRUE(Maintenance::restore(home.dm(), file(u"monday.bak"_s)).ok);
    EXPECT_TRUE(QFile::exists(home.path(u"database/database-20261231-183005-2.db"_s)));
}

// A server's database is restored with the server's tools; the program says so and changes
// nothing. Its backup is a SQLite file of every row, which the program opens as its own.
TEST_F(Maintenance_, OnAServerBackupWritesAFileOfEveryRowAndRestoreIsLeftToTheServer)
{
    SERVER_ONLY("backup and restore of a file");
    addMember(u"A"_s, 12.5);
    home.exec(u"insert into 流水记录 (编号, 会员卡号, 增减积分) values ('0000000001', 'A', 12.5)"_s);
    ASSERT_TRUE(Maintenance::backup(home.dm(), file(u"monday"_s)).ok);
    QString error;
    QFile::copy(file(u"monday.bak"_s), file(u"check.db"_s));
    EXPECT_TRUE(Engine::validate(file(u"check.db"_s), &error)) << error.toStdString();
    EXPECT_EQ(cardsIn(file(u"monday.bak"_s)), QStringList{u"A"_s});

    addMember(u"B"_s);
    const Outcome o = Maintenance::restore(home.dm(), file(u"monday.bak"_s));
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.notice.caption, u"错误！"_s);
    EXPECT_TRUE(o.notice.text.startsWith(u"恢复数据失败，请重试！!\n数据库在 PostgreSQL 服务器上"_s)) << o.notice.text.toStdString();
    EXPECT_TRUE(o.notice.text.contains(u"pg_restore"_s));
    EXPECT_EQ(cards(), (QStringList{u"A"_s, u"B"_s}));
}

TEST_F(Maintenance_, RestoreWaitsForOtherProgramsToLetGo)
{
    SQLITE_ONLY("a restore replaces the file");
    addMember(u"A"_s);
    ASSERT_TRUE(Maintenance::backup(home.dm(), file(u"monday"_s)).ok);
    addMember(u"B"_s);
    OtherConnection other(home.location());
    Sql::scalar(other.db(), u"select count(*) from 会员卡信息"_s);

    const Outcome o = Maintenance::restore(home.dm(), file(u"monday.bak"_s));
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(o.notice.text.contains(u"正被另一个程序使用"_s)) << o.notice.text.toStdString();
    EXPECT_EQ(cards(), (QStringList{u"A"_s, u"B"_s}));
    EXPECT_EQ(Sql::scalar(other.db(), u"select count(*) from 会员卡信息"_s).toInt(), 2);

    other.close();
    EXPECT_TRUE(Maintenance::restore(home.dm(), file(u"monday.bak"_s)).ok);
    EXPECT_EQ(cards(), QStringList{u"A"_s});
}

TEST_F(Maintenance_, PointsResetHistoryClearingAndInitialisation)
{
    addMember(u"A"_s, 12.5);
    addMember(u"B"_s, -3);
    home.exec(u"insert into 卡类别 (卡类别, 积分比例) values ('金卡', 10)"_s);
    home.exec(u"insert into 操作员 (操作员, 姓名) values ('0002', '李四')"_s);
    home.exec(u"insert into 权限清单 (xuhao, bianhao, quanxianming) values (1, '0002', '增加积分')"_s);
    addDatedRows();

    Outcome o = Maintenance::resetPoints(home.dm());
    EXPECT_EQ(o.notice.text, u"积分手动清零成功！"_s);
    EXPECT_EQ(column(home.db(), u"select 积分 from 会员卡信息"_s), (QStringList{u"0"_s, u"0"_s}));

    o = Maintenance::clearHistory(home.dm(), QDate(2026, 12, 31));
    EXPECT_EQ(o.notice.caption, u"提示"_s);
    EXPECT_EQ(o.notice.text, u"删除成功！"_s);
    const QStringList kept = {u"2026-12-31"_s, u"2027-01-01"_s};
    EXPECT_EQ(column(home.db(), u"select 日期 from 挂失记录 order by 1"_s), kept);
    EXPECT_EQ(column(home.db(), u"select 口头挂失日期 from 口头挂失记录 order by 1"_s), kept);
    EXPECT_EQ(column(home.db(), u"select 日期 from 流水记录 order by 1"_s), kept);
    EXPECT_EQ(column(home.db(), u"select 日期 from 礼品使用记录 order by 1"_s), kept);
    EXPECT_EQ(home.scalar(u"select count(*) from 礼品"_s).toInt(), 3) << "stock movements stay";
    EXPECT_EQ(cards().size(), 2);

    o = Maintenance::initialise(home.dm());
    EXPECT_EQ(o.notice.text, u"初始化成功！"_s);
    for (const char* table : {"会员卡信息", "卡类别", "流水记录", "挂失记录", "口头挂失记录", "礼品", "礼品使用记录", "权限清单"})
        EXPECT_EQ(home.scalar(u"select count(*) from "_s + QString::fromUtf8(table)).toInt(), 0) << table;
    EXPECT_EQ(column(home.db(), u"select 操作员 || ' ' || 姓名 || '[' || coalesce(密码, '') || ']' from 操作员"_s),
              QStringList{u"0001 系统管理员[]"_s});
}

// A statement in the middle that the engine refuses: nothing of the step may remain.
TEST_F(Maintenance_, AFailureInTheMiddleUndoesTheWholeStep)
{
    addMember(u"A"_s, 12.5);
    addMember(u"B"_s, 7);
    home.exec(u"insert into 卡类别 (卡类别, 积分比例) values ('金卡', 10)"_s);
    home.exec(u"insert into 权限清单 (xuhao, bianhao, quanxianming) values (1, '0002', '增加积分')"_s);
    addDatedRows();
    home.refuse(u"update"_s, u"会员卡信息"_s, u"old.会员卡号='B'"_s, u"B is locked"_s);
    home.refuse(u"delete"_s, u"流水记录"_s, {}, u"log is locked"_s);

    const struct
    {
        const char* name;
        std::function<Outcome()> step;
        const char* error;
    } steps[] = {
        {"points reset", [&] { return Maintenance::resetPoints(home.dm()); }, "B is locked"},
        {"history clearing", [&] { return Maintenance::clearHistory(home.dm(), QDate(2027, 1, 1)); }, "log is locked"},
        {"initialisation", [&] { return Maintenance::initialise(home.dm()); }, "log is locked"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        const Outcome o = s.step();
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.notice.kind, Notice::Kind::Plain);
        EXPECT_TRUE(o.notice.text.contains(QString::fromUtf8(s.error))) << o.notice.text.toStdString();
        EXPECT_EQ(column(home.db(), u"select 积分 from 会员卡信息 order by 会员卡号"_s), (QStringList{u"12.5"_s, u"7"_s}));
        EXPECT_EQ(home.scalar(u"select count(*) from 挂失记录"_s).toInt(), 3);
        EXPECT_EQ(home.scalar(u"select count(*) from 口头挂失记录"_s).toInt(), 3);
        EXPECT_EQ(home.scalar(u"select count(*) from 卡类别"_s).toInt(), 1);
        EXPECT_EQ(home.scalar(u"select count(*) from 操作员"_s).toInt(), 1);
    }
}

} // namespace
