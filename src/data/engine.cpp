#include "data/engine.h"

#include "data/schema.h"
#include "data/sqlrun.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QUuid>

using namespace Qt::Literals::StringLiterals;

namespace Engine {

namespace {
// Two programs on one file wait for each other instead of failing at once.
constexpr auto ConnectOptions = "QSQLITE_BUSY_TIMEOUT=10000";

bool openConnection(const QString& name, const QString& path, QString* error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
    db.setDatabaseName(path);
    db.setConnectOptions(QString::fromLatin1(ConnectOptions));
    if (!db.open()) {
        *error = db.lastError().text();
        return false;
    }
    try {
        // Write-ahead logging lets a reading counter go on while another writes; full sync
        // makes a committed transaction survive a power cut.
        Sql::run(db, u"PRAGMA journal_mode=WAL"_s);
        Sql::run(db, u"PRAGMA synchronous=FULL"_s);
    } catch (const Failure& failure) {
        *error = failure.text();
        return false;
    }
    return true;
}
} // namespace

bool open(const QString& connectionName, const QString& path, QString* error)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        // The driver would quietly create an empty file; a shop must notice a missing one.
        *error = u"数据库文件不存在：%1"_s.arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (!openConnection(connectionName, path, error)) {
        close(connectionName);
        return false;
    }
    try {
        Sql::run(QSqlDatabase::database(connectionName, false), u"SELECT count(*) FROM 操作员"_s);
    } catch (const Failure& failure) {
        *error = failure.text();
        close(connectionName);
        return false;
    }
    return true;
}

void close(const QString& connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

bool create(const QString& path, QString* error)
{
    if (QFileInfo::exists(path)) {
        *error = u"数据库文件已存在，不会覆盖：%1"_s.arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        *error = u"无法创建文件夹：%1"_s.arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
        return false;
    }
    const QString name = u"create-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = openConnection(name, path, error);
    if (ok) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        const QString failed = Sql::transact(db, [&] {
            for (const QString& statement : Schema::createStatements())
                Sql::run(db, statement);
            Sql::run(db, u"INSERT INTO 操作员 (操作员, 姓名) VALUES (?, ?)"_s,
                     {QString::fromUtf8(Schema::BuiltInOperatorId), QString::fromUtf8(Schema::BuiltInOperatorName)});
        });
        if (!failed.isEmpty()) {
            *error = failed;
            ok = false;
        }
    }
    close(name);
    if (!ok) {
        QFile::remove(path);
        QFile::remove(path + u"-wal"_s);
        QFile::remove(path + u"-shm"_s);
    }
    return ok;
}

} // namespace Engine
