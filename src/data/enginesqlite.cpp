// SQLite: the shop's data in one file of the program home.
#include "data/engine_p.h"

#include "data/sqlrun.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::Literals::StringLiterals;

namespace Engine {

namespace {

// Two programs on one file wait for each other instead of failing at once.
constexpr auto ConnectOptions = "QSQLITE_BUSY_TIMEOUT=10000";

class Sqlite final : public Dialect
{
public:
    const char* driver() const override { return "QSQLITE"; }

    void describeTo(QSqlDatabase& db, const Location& location) const override
    {
        db.setDatabaseName(location.path);
        db.setConnectOptions(QString::fromLatin1(ConnectOptions));
    }

    void configure(QSqlDatabase& db) const override
    {
        // Write-ahead logging lets a reading counter go on while another writes; full sync
        // makes a committed transaction survive a power cut.
        Sql::run(db, u"PRAGMA journal_mode=WAL"_s);
        Sql::run(db, u"PRAGMA synchronous=FULL"_s);
    }

    QString columnDefinition(const Schema::Column& column) const override
    {
        // NOCASE folds A-Z, which is what card numbers and operator IDs are typed with.
        const QString type = QString::fromUtf8(column.type);
        return column.compare == Schema::Compare::Caseless ? type + u" COLLATE NOCASE"_s : type;
    }

    QString extraColumns() const override { return {}; }
    QString rowKey() const override { return u"rowid"_s; }
    void prepareForTables(const QSqlDatabase&) const override {}

    bool holdsTables(const QSqlDatabase& db) const override
    {
        const QStringList present = db.tables();
        for (const Schema::Table& t : Schema::tables()) {
            if (present.contains(QString::fromUtf8(t.name), Qt::CaseInsensitive))
                return true;
        }
        return false;
    }

    int schemaVersion(const QSqlDatabase& db) const override
    {
        return Sql::scalar(db, u"PRAGMA user_version"_s).toInt();
    }

    void setSchemaVersion(const QSqlDatabase& db, int version) const override
    {
        // A pragma takes no bound value; the number is the program's own.
        Sql::run(db, u"PRAGMA user_version = %1"_s.arg(version));
    }

    void beginWrite(const QSqlDatabase& db) const override { Sql::run(db, u"BEGIN IMMEDIATE"_s); }

    // A deferred transaction reads one snapshot from its first read to its end.
    void beginConsistentRead(const QSqlDatabase& db) const override { Sql::run(db, u"BEGIN"_s); }

    Failure::Kind kindOf(const QSqlError& error) const override
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

    bool isDuplicateOf(const Failure& failure, const QString& table, const QString& column) const override
    {
        // SQLite names the column in its text: "UNIQUE constraint failed: 流水记录.编号".
        return failure.kind() == Failure::Kind::DuplicateKey && failure.text().contains(table + u'.' + column);
    }

    QString keyedSelect(const QString& select, const QString& keyName) const override
    {
        // In a grouped statement the bare rowid is that of one row of each group.
        static const QRegularExpression plainSelect(u"^\\s*select\\s+(?!distinct\\b|all\\b)"_s,
                                                    QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = plainSelect.match(select);
        if (!m.hasMatch())
            return {};
        return select.left(m.capturedEnd()) + u"rowid as "_s + Sql::quotedName(keyName) + u", "_s
               + select.mid(m.capturedEnd());
    }

    void afterKeyedCopy(const QSqlDatabase&, const QString&) const override {}
    bool isLost(const QSqlDatabase&) const override { return false; }
};

} // namespace

const Dialect& sqlite()
{
    static const Sqlite dialect;
    return dialect;
}

} // namespace Engine
