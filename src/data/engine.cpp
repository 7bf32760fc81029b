#include "data/engine.h"

#include "data/engine_p.h"
#include "data/schema.h"
#include "data/sqlrun.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace Engine {

QString Location::describe() const
{
    if (!isServer())
        return QDir::toNativeSeparators(path);
    const QString server = host.isEmpty() ? u"本机"_s : host;
    return u"PostgreSQL 数据库 %1（%2:%3）"_s.arg(database, server).arg(port);
}

Location Location::parse(const QString& text, QString* error)
{
    if (!text.startsWith(u"postgresql://"_s, Qt::CaseInsensitive) && !text.startsWith(u"postgres://"_s, Qt::CaseInsensitive))
        return Location(QDir(text).absolutePath());
    const QUrl url(text, QUrl::StrictMode);
    Location l;
    l.kind = Kind::PostgreSQL;
    l.host = url.host();
    l.port = url.port(5432);
    l.database = url.path().mid(1);
    l.user = url.userName();
    l.password = url.password();
    l.sslMode = QUrlQuery(url).queryItemValue(u"sslmode"_s);
    if (!url.isValid() || l.database.isEmpty()) {
        *error = u"无法识别的数据库地址：%1（格式：postgresql://用户:密码@主机:端口/数据库名）"_s.arg(text);
        return {};
    }
    return l;
}

const Dialect& dialectOf(const QSqlDatabase& db)
{
    return db.driverName() == QString::fromLatin1(postgres().driver()) ? postgres() : sqlite();
}

const Dialect& dialectFor(const Location& location)
{
    return location.isServer() ? postgres() : sqlite();
}

void direct(const QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement)) {
        const QSqlError e = query.lastError();
        const QString text = e.text().trimmed();
        throw Failure(text.isEmpty() ? e.databaseText() : text, dialectOf(db).kindOf(e));
    }
}

QString uniqueName(const QString& purpose)
{
    return purpose + u'-' + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

namespace {

// The connections with a write transaction under way: one whose server went away is not
// opened again behind its back, as the statements after the loss would then run outside it.
QSet<QString>& writing()
{
    static QSet<QString> names;
    return names;
}

// The server connections that are meant to be open: the driver closes one by itself when it
// finds the server gone, and such a one is made again; one the program closed stays closed.
QSet<QString>& serverConnections()
{
    static QSet<QString> names;
    return names;
}

QStringList columnsInFile(const QSqlDatabase& db, const QString& table)
{
    QStringList names;
    QSqlQuery q = Sql::run(db, u"SELECT name FROM pragma_table_info(?)"_s, {table});
    while (q.next())
        names << q.value(0).toString();
    return names;
}

Schema::ColumnDefinition definitionsOf(const Dialect& dialect)
{
    return [&dialect](const Schema::Column& c) { return dialect.columnDefinition(c); };
}

// Brings every table to its current definition: SQLite changes a column's comparison only by
// building the table anew, copying the rows across and putting the new table in its place.
// Columns the file lacks start empty; the indexes are made again afterwards. (Only SQLite files
// were ever made without the caseless keys; a server database starts at version 1.)
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
        Sql::run(db, Schema::createTable(table, standIn, definitionsOf(sqlite())));
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

// Step n brings a database of version n to version n + 1; each is written once and kept, so a
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
        dialectOf(db).setSchemaVersion(db, Schema::Version);
    });
    if (!failed.isEmpty()) {
        *error = u"数据库无法从版本 %1 升级到版本 %2：%3"_s.arg(from).arg(Schema::Version).arg(failed);
        return false;
    }
    return true;
}

// A database of an older version is upgraded; one a newer program has written is left alone,
// as this program does not know what its tables now mean.
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
        *error = u"数据库来自更新版本的程序（数据库版本 %1，本程序只认识到版本 %2）"_s.arg(version).arg(Schema::Version);
        return false;
    }
    return version == Schema::Version || upgrade(db, error);
}

// Opens the connection and gives it the engine's settings.
bool configure(QSqlDatabase& db, QString* error)
{
    if (!db.open()) {
        *error = db.lastError().text();
        return false;
    }
    try {
        dialectOf(db).configure(db);
    } catch (const Failure& failure) {
        *error = failure.text();
        db.close();
        return false;
    }
    if (isServer(db))
        serverConnections().insert(db.connectionName());
    return true;
}

bool openConnection(const QString& name, const Location& location, QString* error)
{
    const Dialect& dialect = dialectFor(location);
    QSqlDatabase db = QSqlDatabase::addDatabase(QString::fromLatin1(dialect.driver()), name);
    if (!db.isValid()) {
        *error = u"没有数据库驱动 %1（请安装它的软件包）"_s.arg(QString::fromLatin1(dialect.driver()));
        return false;
    }
    dialect.describeTo(db, location);
    return configure(db, error);
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
        db.setConnectOptions(u"QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=10000"_s);
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

bool open(const QString& connectionName, const Location& location, QString* error, bool* damaged)
{
    bool damage = false;
    if (damaged)
        *damaged = false;
    if (!location.isServer()) {
        if (!QFileInfo(location.path).isFile()) {
            // The driver would quietly create an empty file; a shop must notice a missing one.
            *error = u"数据库文件不存在：%1"_s.arg(QDir::toNativeSeparators(location.path));
            return false;
        }
        if (!checkStructure(location.path, error, &damage)) {
            if (damaged)
                *damaged = damage;
            return false;
        }
    }
    if (!openConnection(connectionName, location, error)) {
        close(connectionName);
        return false;
    }
    const QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    try {
        Sql::run(db, u"SELECT count(*) FROM 操作员"_s);
    } catch (const Failure& failure) {
        *error = failure.text();
        // A server database the administrator made but no one filled yet: say what to do.
        try {
            if (location.isServer() && !dialectOf(db).holdsTables(db))
                *error = u"%1 中还没有本程序的表，请先运行 quorvane --create-database 建立。"_s.arg(location.describe());
        } catch (const Failure&) {
        }
        close(connectionName);
        return false;
    }
    if (!bringUpToDate(db, error)) {
        close(connectionName);
        return false;
    }
    return true;
}

int schemaVersion(const QSqlDatabase& db)
{
    return dialectOf(db).schemaVersion(db);
}

void close(const QString& connectionName)
{
    writing().remove(connectionName);
    serverConnections().remove(connectionName);
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

namespace {

// Every table and index, the version and the built-in operator, on a connection whose
// transaction the caller holds.
void createTables(const QSqlDatabase& db)
{
    const Dialect& dialect = dialectOf(db);
    dialect.prepareForTables(db);
    for (const QString& statement : Schema::createStatements(definitionsOf(dialect), dialect.extraColumns()))
        direct(db, statement);
    dialect.setSchemaVersion(db, Schema::Version);
}

void insertBuiltInOperator(const QSqlDatabase& db)
{
    Sql::run(db, u"INSERT INTO 操作员 (操作员, 姓名) VALUES (?, ?)"_s,
             {QString::fromUtf8(Schema::BuiltInOperatorId), QString::fromUtf8(Schema::BuiltInOperatorName)});
}

// A connection to a database that is to be made: a new file, or a server database that holds
// none of the program's tables yet. The caller closes it (and removes a file it refused).
bool openEmpty(const QString& name, const Location& location, QString* error)
{
    if (!location.isServer()) {
        if (QFileInfo::exists(location.path)) {
            *error = u"数据库文件已存在，不会覆盖：%1"_s.arg(QDir::toNativeSeparators(location.path));
            return false;
        }
        if (!QDir().mkpath(QFileInfo(location.path).absolutePath())) {
            *error = u"无法创建文件夹：%1"_s.arg(QDir::toNativeSeparators(QFileInfo(location.path).absolutePath()));
            return false;
        }
    }
    if (!openConnection(name, location, error))
        return false;
    if (location.isServer()) {
        const QSqlDatabase db = QSqlDatabase::database(name, false);
        try {
            if (dialectOf(db).holdsTables(db)) {
                *error = u"%1 中已有本程序的表，不会覆盖。"_s.arg(location.describe());
                return false;
            }
        } catch (const Failure& failure) {
            *error = failure.text();
            return false;
        }
    }
    return true;
}

// Ends a creation: the connection goes, and a file that did not come about whole with it.
void finishCreation(const QString& name, const Location& location, bool ok, bool madeFile)
{
    close(name);
    if (!ok && madeFile)
        removeFile(location.path);
}

} // namespace

bool create(const Location& location, QString* error)
{
    const QString name = uniqueName(u"create"_s);
    const bool existed = !location.isServer() && QFileInfo::exists(location.path);
    bool ok = openEmpty(name, location, error);
    if (ok) {
        const QSqlDatabase db = QSqlDatabase::database(name, false);
        const QString failed = Sql::transact(db, [&] {
            createTables(db);
            insertBuiltInOperator(db);
        });
        if (!failed.isEmpty()) {
            *error = failed;
            ok = false;
        }
    }
    finishCreation(name, location, ok, !location.isServer() && !existed);
    return ok;
}

namespace {

// What the copy compares between source and target before it commits.
struct Tally
{
    QList<qint64> rows; // per table, in schema order
    double points = 0;
    double changes = 0;
};

Tally tallyOf(const QSqlDatabase& db)
{
    Tally t;
    for (const Schema::Table& table : Schema::tables())
        t.rows << Sql::scalar(db, u"select count(*) from %1"_s.arg(Sql::quotedName(QString::fromUtf8(table.name))))
                      .toLongLong();
    t.points = Sql::scalar(db, u"select coalesce(sum(积分), 0) from 会员卡信息"_s).toDouble();
    t.changes = Sql::scalar(db, u"select coalesce(sum(增减积分), 0) from 流水记录"_s).toDouble();
    return t;
}

bool sameAmount(double a, double b)
{
    // Both engines keep two decimals; a sum of binary fractions may differ in its last bits.
    return std::llround(a * 100.0) == std::llround(b * 100.0);
}

QString differences(const Tally& source, const Tally& target)
{
    QStringList found;
    qsizetype i = 0;
    for (const Schema::Table& table : Schema::tables()) {
        if (source.rows.at(i) != target.rows.at(i))
            found << u"表“%1”：原有 %2 行，复制后 %3 行"_s.arg(QString::fromUtf8(table.name))
                         .arg(source.rows.at(i))
                         .arg(target.rows.at(i));
        ++i;
    }
    if (!sameAmount(source.points, target.points))
        found << u"积分合计：原有 %1，复制后 %2"_s.arg(source.points, 0, 'f', 2).arg(target.points, 0, 'f', 2);
    if (!sameAmount(source.changes, target.changes))
        found << u"增减积分合计：原有 %1，复制后 %2"_s.arg(source.changes, 0, 'f', 2).arg(target.changes, 0, 'f', 2);
    return found.join(u'\n');
}

// Every row of one table, its row key first, read forward in key order and written with the
// same key: the rows keep their order and their values, nulls as nulls and '' as ''.
qint64 copyRows(const QSqlDatabase& from, const QSqlDatabase& to, const Schema::Table& table)
{
    const QString name = Sql::quotedName(QString::fromUtf8(table.name));
    QStringList columns;
    for (const Schema::Column& c : table.columns)
        columns << Sql::quotedName(QString::fromUtf8(c.name));
    const Dialect& source = dialectOf(from);
    const Dialect& target = dialectOf(to);
    // Walked forward as it is read: nothing else runs on the source meanwhile, and a table of a
    // million rows need not stand in memory at once.
    QSqlQuery rows(from);
    rows.setForwardOnly(true);
    if (!rows.exec(u"select %1, %2 from %3 order by %1"_s.arg(source.rowKey(), columns.join(u", "_s), name)))
        throw Failure(rows.lastError().text());
    Sql::Statement insert(to, u"insert into %1 (%2, %3) values (%4)"_s.arg(
                                  name, target.rowKey(), columns.join(u", "_s),
                                  QStringList(columns.size() + 1, u"?"_s).join(u", "_s)));
    qint64 count = 0;
    const int width = int(columns.size()) + 1;
    while (rows.next()) {
        QVariantList values;
        values.reserve(width);
        for (int i = 0; i < width; ++i) {
            const QVariant v = rows.value(i);
            values << (v.isNull() ? QVariant() : v); // a null stays null, not the '' of an empty field
        }
        insert.run(values);
        ++count;
    }
    if (rows.lastError().isValid())
        throw Failure(rows.lastError().text());
    target.afterKeyedCopy(to, QString::fromUtf8(table.name));
    return count;
}

} // namespace

bool copyDatabase(const Location& from, const Location& to, QString* report, QString* error)
{
    if (!from.isServer() && !to.isServer()
        && QFileInfo(from.path).absoluteFilePath() == QFileInfo(to.path).absoluteFilePath()) {
        *error = u"不能复制到数据库自身。"_s;
        return false;
    }
    const QString sourceName = uniqueName(u"copy-from"_s);
    const QString targetName = uniqueName(u"copy-to"_s);
    bool ok = open(sourceName, from, error);
    const bool existed = !to.isServer() && QFileInfo::exists(to.path);
    bool targetOpened = false;
    if (ok) {
        targetOpened = openEmpty(targetName, to, error);
        ok = targetOpened;
    }
    if (ok) {
        const QSqlDatabase source = QSqlDatabase::database(sourceName, false);
        const QSqlDatabase target = QSqlDatabase::database(targetName, false);
        QStringList copied;
        QString mismatch;
        try {
            // One view of the source for the whole copy, whatever other counters write meanwhile.
            dialectOf(source).beginConsistentRead(source);
            const QString failed = Sql::transact(target, [&] {
                createTables(target);
                for (const Schema::Table& table : Schema::tables()) {
                    const qint64 n = copyRows(source, target, table);
                    copied << u"%1 %2 行"_s.arg(QString::fromUtf8(table.name)).arg(n);
                }
                mismatch = differences(tallyOf(source), tallyOf(target));
                if (!mismatch.isEmpty())
                    throw Failure(u"复制后的数据与原数据不符，没有保存：\n"_s + mismatch);
            });
            QSqlQuery(source).exec(u"ROLLBACK"_s);
            if (!failed.isEmpty()) {
                *error = failed;
                ok = false;
            }
        } catch (const Failure& failure) {
            *error = failure.text();
            ok = false;
        }
        if (ok)
            *report = u"已把 %1 复制到 %2：\n%3"_s.arg(from.describe(), to.describe(), copied.join(u'\n'));
    }
    close(sourceName);
    finishCreation(targetName, to, ok, targetOpened && !to.isServer() && !existed);
    return ok;
}

void beginWrite(const QSqlDatabase& db)
{
    writing().remove(db.connectionName());
    reconnectIfLost(db);
    dialectOf(db).beginWrite(db);
    writing().insert(db.connectionName());
}

bool commitWrite(QSqlDatabase& db, QSqlError* error)
{
    const bool ok = db.commit();
    if (!ok)
        *error = db.lastError();
    writing().remove(db.connectionName());
    return ok;
}

void rollbackWrite(QSqlDatabase& db)
{
    db.rollback();
    writing().remove(db.connectionName());
}

void reconnectIfLost(const QSqlDatabase& db)
{
    if (!serverConnections().contains(db.connectionName()) || (db.isOpen() && !dialectOf(db).isLost(db)))
        return;
    if (writing().contains(db.connectionName()))
        throw Failure(u"与数据库服务器的连接已断开。"_s, Failure::Kind::ConnectionLost);
    QSqlDatabase handle = db;
    handle.close();
    QString error;
    if (!configure(handle, &error))
        throw Failure(u"无法重新连接数据库服务器：%1"_s.arg(error));
}

bool readsForwardOnly(const QSqlDatabase& db)
{
    return !isServer(db);
}

Failure::Kind kindOf(const QSqlDatabase& db, const QSqlError& error)
{
    const Dialect& dialect = dialectOf(db);
    if (db.isValid() && (!db.isOpen() || dialect.isLost(db)) && serverConnections().contains(db.connectionName()))
        return Failure::Kind::ConnectionLost;
    return dialect.kindOf(error);
}

bool isDuplicateOf(const Failure& failure, const QString& table, const QString& column)
{
    // Each engine names the index its own way, and neither form can stand in the other's text.
    return sqlite().isDuplicateOf(failure, table, column) || postgres().isDuplicateOf(failure, table, column);
}

QString keyedSelect(const QSqlDatabase& db, const QString& select, const QString& keyName)
{
    return dialectOf(db).keyedSelect(select, keyName);
}

bool isServer(const QSqlDatabase& db)
{
    return &dialectOf(db) == &postgres();
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
        ok = open(name, Location(path), error);
        close(name);
    }
    return ok;
}

void suspend(const QString& connectionName)
{
    serverConnections().remove(connectionName);
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
    if (!isServer(db) && !QFileInfo(db.databaseName()).isFile()) {
        *error = u"数据库文件不存在：%1"_s.arg(QDir::toNativeSeparators(db.databaseName()));
        return false;
    }
    return configure(db, error);
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
