#include "data/engine.h"

#include "data/schema.h"
#include "data/sqlrun.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace Engine {

namespace {
// Two programs on one file wait for each other instead of failing at once.
constexpr auto ConnectOptions = "QSQLITE_BUSY_TIMEOUT=10000";

// SQLite's NOCASE folds A-Z, which is what card numbers and operator IDs are typed with.
constexpr auto Caseless = "COLLATE NOCASE";

void setSchemaVersion(const QSqlDatabase& db, int version)
{
    // A pragma takes no bound value; the number is the program's own.
    Sql::run(db, u"PRAGMA user_version = %1"_s.arg(version));
}

QStringList columnsInFile(const QSqlDatabase& db, const QString& table)
{
    QStringList names;
    QSqlQuery q = Sql::run(db, u"SELECT name FROM pragma_table_info(?)"_s, {table});
    while (q.next())
        names << q.value(0).toString();
    return names;
}

// Brings every table to its current definition: SQLite changes a column's comparison only by
// building the table anew, copying the rows across and putting the new table in its place.
// Columns the file lacks start empty; the indexes are made again afterwards.
void rebuildTables(const QSqlDatabase& db)
{
    for (const Schema::Table& table : Schema::tables()) {
        const QString name = QString::fromUtf8(table.name);
        const QString standIn = name + u"_升级"_s;
        const QStringList present = columnsInFile(db, name);
        QStringList copied;
        for (const Schema::Column& c : table.columns) {
            const QString column = QString::fromUtf8(c.name);
            if (present.contains(column))
                copied << Sql::quotedName(column);
        }
        Sql::run(db, Schema::createTable(table, standIn, caselessCollation()));
        if (!present.isEmpty()) {
            Sql::run(db, u"INSERT INTO %1 (%2) SELECT %2 FROM %3"_s.arg(Sql::quotedName(standIn), copied.join(u", "_s),
                                                                        Sql::quotedName(name)));
            Sql::run(db, u"DROP TABLE %1"_s.arg(Sql::quotedName(name)));
        }
        Sql::run(db, u"ALTER TABLE %1 RENAME TO %2"_s.arg(Sql::quotedName(standIn), Sql::quotedName(name)));
    }
    for (const QString& index : Schema::indexStatements())
        Sql::run(db, index);
}

// Step n brings a file of version n to version n + 1; each is written once and kept, so a
// shop's file of any age walks up through all of them.
using UpgradeStep = void (*)(const QSqlDatabase& db);
const UpgradeStep g_upgradeSteps[] = {
    // 0 → 1: card numbers, category names and operator IDs compare without regard to case.
    rebuildTables,
};
static_assert(std::size(g_upgradeSteps) == Schema::Version, "one upgrade step per schema version");

bool upgrade(const QSqlDatabase& db, QString* error)
{
    int from = 0;
    // Read again inside the transaction: another counter may have upgraded the file meanwhile.
    const QString failed = Sql::transact(db, [&] {
        from = schemaVersion(db);
        if (from >= Schema::Version)
            return;
        for (int v = from; v < Schema::Version; ++v)
            g_upgradeSteps[v](db);
        setSchemaVersion(db, Schema::Version);
    });
    if (!failed.isEmpty()) {
        *error = u"数据库无法从版本 %1 升级到版本 %2：%3"_s.arg(from).arg(Schema::Version).arg(failed);
        return false;
    }
    return true;
}

// A file of an older version is upgraded; one a newer program has written is left alone, as
// this program does not know what its tables now mean.
bool bringUpToDate(const QSqlDatabase& db, QString* error)
{
    int version = 0;
    try {
        version = schemaVersion(db);
    } catch (const Failure& failure) {
        *error = failure.text();
        return false;
    }
    if (version > Schema::Version) {
        *error = u"数据库文件来自更新版本的程序（数据库版本 %1，本程序只认识到版本 %2）"_s.arg(version).arg(Schema::Version);
        return false;
    }
    return version == Schema::Version || upgrade(db, error);
}

// The settings every connection gets right after it opens.
bool configure(QSqlDatabase& db, QString* error)
{
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

bool openConnection(const QString& name, const QString& path, QString* error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
    db.setDatabaseName(path);
    db.setConnectOptions(QString::fromLatin1(ConnectOptions));
    return configure(db, error);
}

QString uniqueName(const QString& purpose)
{
    return purpose + u'-' + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// The files the engine keeps beside an open database; they belong to that one file.
QStringList companionFiles(const QString& path)
{
    return {path + u"-wal"_s, path + u"-shm"_s, path + u"-journal"_s};
}

// Written data reaches the disk before the caller goes on (a rename must not outrun it).
bool syncToDisk(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
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
    const QString name = uniqueName(u"structure"_s);
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
    if (!bringUpToDate(QSqlDatabase::database(connectionName, false), error)) {
        close(connectionName);
        return false;
    }
    return true;
}

int schemaVersion(const QSqlDatabase& db)
{
    return Sql::scalar(db, u"PRAGMA user_version"_s).toInt();
}

QString caselessCollation()
{
    return QString::fromLatin1(Caseless);
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
    const QString name = uniqueName(u"create"_s);
    bool ok = openConnection(name, path, error);
    if (ok) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        const QString failed = Sql::transact(db, [&] {
            for (const QString& statement : Schema::createStatements(caselessCollation()))
                Sql::run(db, statement);
            setSchemaVersion(db, Schema::Version);
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

bool copyTo(const QSqlDatabase& db, const QString& target, QString* error)
{
    if (QFileInfo::exists(target)) {
        *error = u"文件已存在：%1"_s.arg(QDir::toNativeSeparators(target));
        return false;
    }
    try {
        // A read transaction of its own: the copy holds every row committed when it began,
        // whatever other counters write meanwhile, and the log file's rows as well.
        Sql::run(db, u"VACUUM INTO ?"_s, {target});
    } catch (const Failure& failure) {
        *error = failure.text();
        QFile::remove(target);
        return false;
    }
    if (!syncToDisk(target)) {
        *error = u"无法写入文件：%1"_s.arg(QDir::toNativeSeparators(target));
        QFile::remove(target);
        return false;
    }
    return true;
}

bool validate(const QString& path, QString* error)
{
    if (!QFileInfo(path).isFile()) {
        *error = u"文件不存在：%1"_s.arg(QDir::toNativeSeparators(path));
        return false;
    }
    const QString name = uniqueName(u"check"_s);
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(path);
        QSqlQuery check(db);
        if (!db.open() || !check.exec(u"PRAGMA integrity_check"_s)) {
            const QSqlError e = db.isOpenError() ? db.lastError() : check.lastError();
            // The engine's own codes tell a damaged database from a file that is none.
            if (e.nativeErrorCode() == u"26"_s)
                *error = u"所选文件不是数据库。"_s;
            else
                *error = u"数据库文件已损坏（%1）。"_s.arg(e.text());
            ok = false;
        } else {
            QStringList problems;
            while (check.next())
                problems << check.value(0).toString();
            if (problems != QStringList{u"ok"_s}) {
                *error = u"数据库文件已损坏（%1）。"_s.arg(problems.mid(0, 3).join(u"；"_s));
                ok = false;
            }
        }
        check.finish();
        if (ok) {
            const QString missing = Schema::missingIn(db);
            if (!missing.isEmpty()) {
                *error = u"所选数据库不是本程序的数据库：%1。"_s.arg(missing);
                ok = false;
            }
        }
    }
    close(name);
    // Last the way the program itself opens a database, with whatever that checks and upgrades.
    if (ok) {
        ok = open(name, path, error);
        close(name);
    }
    return ok;
}

void suspend(const QString& connectionName)
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (db.isOpen())
        db.close();
}

bool resume(const QString& connectionName, QString* error)
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (!db.isValid()) {
        *error = u"没有这个数据库连接：%1"_s.arg(connectionName);
        return false;
    }
    if (db.isOpen())
        return true;
    if (!QFileInfo(db.databaseName()).isFile()) {
        *error = u"数据库文件不存在：%1"_s.arg(QDir::toNativeSeparators(db.databaseName()));
        return false;
    }
    if (!configure(db, error)) {
        db.close();
        return false;
    }
    return true;
}

void removeFile(const QString& path)
{
    QFile::remove(path);
    for (const QString& companion : companionFiles(path))
        QFile::remove(companion);
}

bool replaceFile(const QString& path, const QString& replacement, QString* error)
{
    // The engine removes these when the last connection to the database closes; one still
    // there means another program has it open.
    for (const QString& companion : companionFiles(path)) {
        if (QFileInfo::exists(companion)) {
            *error = u"数据库正被另一个程序使用（%1），请先关闭使用它的程序。"_s.arg(
                QDir::toNativeSeparators(companion));
            return false;
        }
    }
    if (!syncToDisk(replacement)) {
        *error = u"无法读取文件：%1"_s.arg(QDir::toNativeSeparators(replacement));
        return false;
    }
    if (std::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(path).constData()) != 0) {
        *error = u"无法替换数据库文件：%1"_s.arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    // The new name itself must survive a power cut.
    syncToDisk(QFileInfo(path).absolutePath());
    return true;
}

} // namespace Engine
