#include "data/engine.h"

#include "data/schema.h"
#include "data/sqlrun.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
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

// SQLite's result codes for a file whose pages are not what they should be.
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;

bool isDamage(const QSqlError& error)
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == SqliteCorrupt || code == SqliteNotADatabase;
}

// pragma quick_check (the structure of every table and index, without comparing each index
// with its table as integrity_check does) on a read-only connection that lives only for the
// check: a read-write one might write to the file (a left-over log is checkpointed into it
// when the last connection closes), and a damaged file must stay exactly as the shop left it.
// The file is read through a memory map, which takes about a quarter off the time.
bool checkStructure(const QString& path, QString* error, bool* damaged)
{
    const QString name = u"check-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(path);
        db.setConnectOptions(u"QSQLITE_OPEN_READONLY;"_s + QString::fromLatin1(ConnectOptions));
        if (!db.open()) {
            *error = db.lastError().text();
            *damaged = isDamage(db.lastError());
        } else {
            QSqlQuery map(db);
            map.exec(u"PRAGMA mmap_size=1073741824"_s); // a plain read does as well, only slower
            map.finish();
            QSqlQuery check(db);
            check.setForwardOnly(true);
            QStringList findings;
            if (check.exec(u"PRAGMA quick_check(20)"_s)) {
                while (check.next())
                    findings << check.value(0).toString();
            }
            if (check.lastError().isValid()) {
                *error = check.lastError().text();
                *damaged = isDamage(check.lastError());
            } else if (findings == QStringList{u"ok"_s}) {
                ok = true;
            } else {
                *error = findings.join(u'\n');
                *damaged = true;
            }
        }
    }
    close(name);
    return ok;
}
} // namespace

bool open(const QString& connectionName, const QString& path, QString* error, bool* damaged)
{
    bool damage = false;
    if (damaged)
        *damaged = false;
    const QFileInfo info(path);
    if (!info.isFile()) {
        // The driver would quietly create an empty file; a shop must notice a missing one.
        *error = u"数据库文件不存在：%1"_s.arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (!checkStructure(path, error, &damage)) {
        if (damaged)
            *damaged = damage;
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

void beginWrite(const QSqlDatabase& db)
{
    Sql::run(db, u"BEGIN IMMEDIATE"_s);
}

Failure::Kind kindOf(const QSqlError& error)
{
    // Extended codes carry the primary one in their low byte (517 is a stale snapshot, 5 busy).
    constexpr int SqliteBusy = 5;
    constexpr int SqliteLocked = 6;
    constexpr int SqliteConstraintUnique = 2067;
    bool known = false;
    const int code = error.nativeErrorCode().toInt(&known);
    if (known && ((code & 0xff) == SqliteBusy || (code & 0xff) == SqliteLocked))
        return Failure::Kind::Busy;
    if (known && code == SqliteConstraintUnique)
        return Failure::Kind::DuplicateKey;
    // A commit's error carries the engine's text only.
    const QString text = error.databaseText();
    if (text.contains(u"database is locked"_s, Qt::CaseInsensitive)
        || text.contains(u"database table is locked"_s, Qt::CaseInsensitive))
        return Failure::Kind::Busy;
    if (text.contains(u"UNIQUE constraint failed"_s, Qt::CaseInsensitive))
        return Failure::Kind::DuplicateKey;
    return Failure::Kind::Error;
}

bool isDuplicateOf(const Failure& failure, const QString& table, const QString& column)
{
    // SQLite names the column in its text: "UNIQUE constraint failed: 流水记录.编号".
    return failure.kind() == Failure::Kind::DuplicateKey && failure.text().contains(table + u'.' + column);
}

QString keyedSelect(const QString& select, const QString& keyName)
{
    static const QRegularExpression plainSelect(u"^\\s*select\\s+(?!distinct\\b|all\\b)"_s,
                                                QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = plainSelect.match(select);
    if (!m.hasMatch())
        return {};
    return select.left(m.capturedEnd()) + u"rowid as "_s + Sql::quotedName(keyName) + u", "_s
           + select.mid(m.capturedEnd());
}

} // namespace Engine
