#include "support/testhome.h"

#include "config/appconfig.h"
#include "config/gbk.h"
#include "config/programhome.h"
#include "data/engine.h"
#include "data/sqlrun.h"
#include "support/pgserver.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>

using namespace Qt::Literals::StringLiterals;

bool onServer()
{
    return qEnvironmentVariable("QUORVANE_TEST_ENGINE").compare(u"postgresql"_s, Qt::CaseInsensitive) == 0;
}

namespace {

// The server's own database, on which the test databases are made and dropped.
QSqlDatabase adminConnection()
{
    QSqlDatabase db = PgServer::admin(u"test-admin"_s);
    if (!db.isOpen())
        ADD_FAILURE() << "no test server (run the tests under pg_virtualenv, as ./test does): "
                      << db.lastError().text().toStdString();
    return db;
}

void adminExec(const QString& statement)
{
    QSqlQuery q(adminConnection());
    if (!q.exec(statement))
        ADD_FAILURE() << statement.toStdString() << ": " << q.lastError().text().toStdString();
}

} // namespace

ServerDatabase::ServerDatabase()
{
    m_location = PgServer::location(u"qv_test_"_s + QUuid::createUuid().toString(QUuid::Id128));
    // UTF-8 whatever the cluster's own default; the tables bring their own comparison.
    adminExec(u"CREATE DATABASE \"%1\" TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C'"_s.arg(
        m_location.database));
}

ServerDatabase::~ServerDatabase()
{
    adminExec(u"DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)"_s.arg(m_location.database));
}

void ServerDatabase::terminate(const QSqlDatabase& db)
{
    const QVariant pid = Sql::scalar(db, u"select pg_backend_pid()"_s);
    QSqlQuery q(adminConnection());
    q.prepare(u"select pg_terminate_backend(?)"_s);
    q.addBindValue(pid);
    if (!q.exec())
        ADD_FAILURE() << q.lastError().text().toStdString();
    q.finish();
    // The server process ends soon after the signal; wait until it has gone.
    for (int i = 0; i < 500; ++i) {
        QSqlQuery alive(adminConnection());
        alive.prepare(u"select count(*) from pg_stat_activity where pid = ?"_s);
        alive.addBindValue(pid);
        if (alive.exec() && alive.next() && alive.value(0).toInt() == 0)
            return;
        QThread::msleep(10);
    }
}

TestHome::TestHome()
{
    ProgramHome::set(m_dir.path());
    QString error;
    if (onServer()) {
        m_server = std::make_unique<ServerDatabase>();
        const Engine::Location& l = m_server->location();
        QByteArray ini;
        Gbk::encode(u"[数据库]\r\n类型=PostgreSQL\r\n主机=%1\r\n端口=%2\r\n数据库名=%3\r\n用户=%4\r\n密码=%5\r\n"_s.arg(
                        l.host, QString::number(l.port), l.database, l.user, l.password),
                    &ini);
        writeConfig(ini);
    }
    if (!AppConfig::database(&m_location, &error))
        ADD_FAILURE() << error.toStdString();
    if (!Engine::create(m_location, &error))
        ADD_FAILURE() << error.toStdString();
    m_dm = std::make_unique<TDM1>();
    if (!m_dm->connectTo(m_location, &error))
        ADD_FAILURE() << error.toStdString();
}

TestHome::~TestHome()
{
    m_dm.reset();
    m_server.reset();
}

QString TestHome::path(const QString& relative) const
{
    return relative.isEmpty() ? m_dir.path() : m_dir.filePath(relative);
}

void TestHome::exec(const QString& statement, const QVariantList& values)
{
    try {
        Sql::run(db(), statement, values);
    } catch (const Failure& f) {
        ADD_FAILURE() << statement.toStdString() << ": " << f.text().toStdString();
    }
}

QVariant TestHome::scalar(const QString& statement, const QVariantList& values)
{
    try {
        return Sql::scalar(db(), statement, values);
    } catch (const Failure& f) {
        ADD_FAILURE() << statement.toStdString() << ": " << f.text().toStdString();
        return {};
    }
}

QString rowKey()
{
    return onServer() ? u"qv_rowid"_s : u"rowid"_s;
}

QString padded(const QString& expr, int width)
{
    return u"substr(cast(1%1 + (%2) as text), 2)"_s.arg(QString(width, u'0'), expr);
}

QString total(const QString& column)
{
    return u"coalesce(sum(%1), 0)"_s.arg(column);
}

void TestHome::refuse(const QString& event, const QString& table, const QString& condition, const QString& message)
{
    static int made = 0;
    const QString name = u"refuse_%1"_s.arg(++made);
    QStringList statements;
    if (onServer()) {
        statements << u"create function %1() returns trigger language plpgsql as $$ begin raise exception '%2'; end $$"_s.arg(
                          name, message)
                   << u"create trigger %1 before %2 on %3 for each row %4 execute function %1()"_s.arg(
                          name, event, table, condition.isEmpty() ? QString() : u"when (%1)"_s.arg(condition));
    } else {
        statements << u"create trigger %1 before %2 on %3 %4 begin select raise(abort, '%5'); end"_s.arg(
            name, event, table, condition.isEmpty() ? QString() : u"when %1"_s.arg(condition), message);
    }
    for (const QString& statement : std::as_const(statements)) {
        QSqlQuery q(db());
        if (!q.exec(statement))
            ADD_FAILURE() << statement.toStdString() << ": " << q.lastError().text().toStdString();
    }
}

void TestHome::waitAtMost(int milliseconds)
{
    QSqlQuery q(db());
    const QString statement = onServer() ? u"SET lock_timeout = %1"_s.arg(milliseconds)
                                         : u"PRAGMA busy_timeout=%1"_s.arg(milliseconds);
    if (!q.exec(statement))
        ADD_FAILURE() << q.lastError().text().toStdString();
}

void TestHome::writeConfig(const QByteArray& bytes)
{
    QFile file(ProgramHome::configPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestHome::disconnect()
{
    Engine::close(m_dm->connectionName());
}

void damagePage(const QString& path, const QString& tableOrIndex, int from, int to)
{
    int root = 0;
    int pageSize = 0;
    const QString name = u"damage-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(u"select rootpage from sqlite_master where name = '%1'"_s.arg(tableOrIndex)) && q.next());
        root = q.value(0).toInt();
        ASSERT_TRUE(q.exec(u"PRAGMA page_size"_s) && q.next());
        pageSize = q.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(name);
    ASSERT_GT(root, 0) << tableOrIndex.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const qsizetype page = qsizetype(root - 1) * pageSize;
    ASSERT_LE(page + to, bytes.size());
    for (qsizetype i = page + from; i < page + to; ++i)
        bytes[i] = char(bytes.at(i) ^ 0xff);
    file.seek(0);
    file.write(bytes);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}
