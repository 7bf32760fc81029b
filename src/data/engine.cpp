#include "data/engine.h"

#include "data/schema.h"
#include "data/sqlrun.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QUuid>

#include <iterator>

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
    const QString name = u"create-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces);
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

} // namespace Engine
