#include "data/sqlrun.h"

#include "data/engine.h"

#include <QHash>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace Sql {

namespace {
QString errorText(const QSqlError& error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? error.databaseText() : text;
}

Failure failureOf(const QSqlDatabase& db, const QSqlError& error)
{
    return Failure(errorText(error), Engine::kindOf(db, error));
}

// A busy failure tells the operator what to do before it quotes the engine.
QString shownText(const Failure& failure)
{
    if (failure.kind() == Failure::Kind::Busy)
        return BusyText + QLatin1Char('\n') + failure.text();
    if (failure.kind() == Failure::Kind::ConnectionLost)
        return LostText + QLatin1Char('\n') + failure.text();
    return failure.text();
}
} // namespace

QString quotedName(const QString& name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QVariant boundValue(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<QString>() && value.toString().isNull())
        return QVariant(QStringLiteral(""));
    // Yes/no columns hold 0/1 on every engine; some take no boolean for a number.
    if (value.metaType() == QMetaType::fromType<bool>())
        return QVariant(value.toBool() ? 1 : 0);
    return value;
}

// ---------------------------------------------------------------------------------------------
// Prepared statements, kept per connection and statement text

struct Rows::Prepared
{
    explicit Prepared(const QSqlDatabase& db) : query(db) { query.setForwardOnly(Engine::readsForwardOnly(db)); }
    QSqlQuery query;
    bool inUse = false;
    quint64 lastUse = 0;
};

namespace {

// A counter runs a few dozen statement texts over and over; the lists add one per sort order
// and tier. Past this many the one used longest ago is dropped.
constexpr qsizetype KeptStatements = 96;

const QString CacheName = QStringLiteral("quorvane-prepared-statements");

// Lives as a child of the connection's driver, so it goes when the connection is removed and
// is found only on that connection (each connection is used by one thread alone).
class StatementCache : public QObject
{
public:
    explicit StatementCache(QObject* driver) : QObject(driver) { setObjectName(CacheName); }

    QHash<QString, std::shared_ptr<Rows::Prepared>> statements;
    quint64 uses = 0;

    void dropOldest()
    {
        auto oldest = statements.end();
        for (auto it = statements.begin(); it != statements.end(); ++it) {
            if (!(*it)->inUse && (oldest == statements.end() || (*it)->lastUse < (*oldest)->lastUse))
                oldest = it;
        }
        if (oldest != statements.end())
            statements.erase(oldest);
    }
};

StatementCache* cacheOf(const QSqlDatabase& db, bool make)
{
    QSqlDriver* driver = db.driver();
    if (!driver)
        return nullptr;
    auto* cache = dynamic_cast<StatementCache*>(driver->findChild<QObject*>(CacheName, Qt::FindDirectChildrenOnly));
    if (!cache && make)
        cache = new StatementCache(driver);
    return cache;
}

std::shared_ptr<Rows::Prepared> prepare(const QSqlDatabase& db, const QString& statement)
{
    auto prepared = std::make_shared<Rows::Prepared>(db);
    if (!prepared->query.prepare(statement))
        throw failureOf(db, prepared->query.lastError());
    return prepared;
}

// The connection's prepared statement for the text, made on first use. One still in use (its
// rows being read while the same text runs again) is left to its reader: this run gets one of
// its own that is not kept.
std::shared_ptr<Rows::Prepared> preparedFor(const QSqlDatabase& db, const QString& statement)
{
    StatementCache* cache = cacheOf(db, true);
    if (!cache || !db.isOpen())
        return prepare(db, statement);
    auto found = cache->statements.constFind(statement);
    std::shared_ptr<Rows::Prepared> prepared;
    if (found == cache->statements.cend()) {
        prepared = prepare(db, statement);
        if (cache->statements.size() >= KeptStatements)
            cache->dropOldest();
        cache->statements.insert(statement, prepared);
    } else if ((*found)->inUse) {
        return prepare(db, statement);
    } else {
        prepared = *found;
    }
    prepared->lastUse = ++cache->uses;
    return prepared;
}

} // namespace

Rows run(const QSqlDatabase& db, const QString& statement, const QVariantList& values)
{
    // A server connection that went away is made again first (which forgets its statements).
    Engine::reconnectIfLost(db);
    std::shared_ptr<Rows::Prepared> prepared = preparedFor(db, statement);
    QSqlQuery& query = prepared->query;
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), boundValue(values.at(i)));
    if (!query.exec()) {
        const Failure failure = failureOf(db, query.lastError());
        query.finish();
        throw failure;
    }
    prepared->inUse = true;
    return Rows(std::move(prepared));
}

QVariant scalar(const QSqlDatabase& db, const QString& statement, const QVariantList& values)
{
    Rows rows = run(db, statement, values);
    return rows.next() ? rows.value(0) : QVariant();
}

void forgetStatements(const QSqlDatabase& db)
{
    delete cacheOf(db, false);
}

Rows::Rows(std::shared_ptr<Prepared> prepared) : m_prepared(std::move(prepared)) {}

Rows::Rows(Rows&& other) noexcept : m_prepared(std::move(other.m_prepared)) {}

Rows& Rows::operator=(Rows&& other) noexcept
{
    if (this != &other) {
        finish();
        m_prepared = std::move(other.m_prepared);
    }
    return *this;
}

Rows::~Rows()
{
    finish();
}

void Rows::finish()
{
    if (!m_prepared)
        return;
    m_prepared->query.finish();
    m_prepared->inUse = false;
    m_prepared.reset();
}

bool Rows::next()
{
    return m_prepared && m_prepared->query.next();
}

QVariant Rows::value(int column) const
{
    return m_prepared ? m_prepared->query.value(column) : QVariant();
}

QVariant Rows::value(const QString& name) const
{
    return m_prepared ? m_prepared->query.value(name) : QVariant();
}

QSqlRecord Rows::record() const
{
    return m_prepared ? m_prepared->query.record() : QSqlRecord();
}

int Rows::numRowsAffected() const
{
    return m_prepared ? m_prepared->query.numRowsAffected() : -1;
}

QSqlError Rows::lastError() const
{
    return m_prepared ? m_prepared->query.lastError() : QSqlError();
}

QString transact(QSqlDatabase db, const std::function<void()>& body, std::optional<Notice>* refusal)
{
    try {
        Engine::beginWrite(db);
    } catch (const Failure& failure) {
        return shownText(failure);
    }
    try {
        body();
    } catch (const Refusal& refused) {
        Engine::rollbackWrite(db);
        if (refusal)
            *refusal = refused.notice();
        return refused.text();
    } catch (const Failure& failure) {
        Engine::rollbackWrite(db);
        return shownText(failure);
    } catch (...) {
        Engine::rollbackWrite(db);
        throw;
    }
    try {
        Engine::commitWrite(db);
    } catch (const Failure& failure) {
        Engine::rollbackWrite(db);
        return shownText(failure);
    }
    return {};
}

} // namespace Sql
