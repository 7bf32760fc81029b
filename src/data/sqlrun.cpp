#include "data/sqlrun.h"

#include "data/engine.h"

#include <QSqlError>

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

QSqlQuery run(const QSqlDatabase& db, const QString& statement, const QVariantList& values)
{
    Engine::reconnectIfLost(db);
    QSqlQuery query(db);
    query.setForwardOnly(Engine::readsForwardOnly(db));
    if (!query.prepare(statement))
        throw failureOf(db, query.lastError());
    for (const QVariant& value : values)
        query.addBindValue(boundValue(value));
    if (!query.exec())
        throw failureOf(db, query.lastError());
    return query;
}

QVariant scalar(const QSqlDatabase& db, const QString& statement, const QVariantList& values)
{
    QSqlQuery query = run(db, statement, values);
    return query.next() ? query.value(0) : QVariant();
}

Statement::Statement(const QSqlDatabase& db, const QString& text) : m_db(db), m_query(db)
{
    Engine::reconnectIfLost(db);
    m_query.setForwardOnly(Engine::readsForwardOnly(db));
    if (!m_query.prepare(text))
        throw failureOf(db, m_query.lastError());
}

QSqlQuery& Statement::run(const QVariantList& values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        m_query.bindValue(int(i), boundValue(values.at(i)));
    if (!m_query.exec())
        throw failureOf(m_db, m_query.lastError());
    return m_query;
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
    QSqlError commitError;
    if (!Engine::commitWrite(db, &commitError)) {
        const Failure failure = failureOf(db, commitError);
        Engine::rollbackWrite(db);
        return shownText(failure);
    }
    return {};
}

} // namespace Sql
