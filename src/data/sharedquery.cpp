#include "data/sharedquery.h"

#include <QSqlError>
#include <QSqlQuery>

SharedQuery::SharedQuery(QString connectionName, QString designStatement, QObject* parent)
    : QSqlQueryModel(parent), m_connectionName(std::move(connectionName)), m_statement(std::move(designStatement))
{
}

void SharedQuery::setStatement(const QString& statement, const QVariantList& values)
{
    m_statement = statement;
    m_values = values;
}

QString SharedQuery::open()
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!query.prepare(m_statement)) {
        clear();
        m_open = false;
        return query.lastError().text();
    }
    for (const QVariant& value : m_values)
        query.addBindValue(value);
    if (!query.exec()) {
        clear();
        m_open = false;
        return query.lastError().text();
    }
    setQuery(std::move(query));
    m_open = true;
    Q_EMIT reopened();
    return {};
}

void SharedQuery::close()
{
    clear();
    m_open = false;
}
