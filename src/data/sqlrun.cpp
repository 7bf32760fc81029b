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

Failure failureOf(const QSqlError& error)
{
    return Failure(errorText(error), Engine::kindOf(error));
}

// A busy failure tells the operator what to do before it quotes the engine.
QString shownText(const Failure& failure)
{
    return failure.kind() == Failure::Kind::Busy ? BusyText + QLatin1Char('\n') + failure.text() : failure.text();
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
    return value;
}

QSqlQuery run(const QSqlDatabase& db, const QString& statement, const QVariantList& values)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        throw failureOf(query.lastError());
    for (const QVariant& value : values)
        query.addBindValue(boundValue(value));
    if (!query.exec())
        throw failureOf(query.lastError());
    return query;
}

QVariant scalar(const QSqlDatabase& db, const QString& statement, const QVariantList& values)
{
    QSqlQuery query = run(db, statement, values);
    return query.next() ? query.value(0) : QVariant();
}

Statement::Statement(const QSqlDatabase& db, const QString& text) : m_query(db)
{
    m_query.setForwardOnly(true);
    if (!m_query.prepare(text))
        throw failureOf(m_query.lastError());
}

QSqlQuery& Statement::run(const QVariantList& values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        m_query.bindValue(int(i), boundValue(values.at(i)));
    if (!m_query.exec())
        throw failureOf(m_query.lastError());
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
        db.rollback();
        if (refusal)
            *refusal = refused.notice();
        return refused.text();
    } catch (const Failure& failure) {
        db.rollback();
        return shownText(failure);
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit()) {
        const Failure failure = failureOf(db.lastError());
        db.rollback();
        return shownText(failure);
    }
    return {};
}

} // namespace Sql
