#include "data/sharedquery.h"

#include "data/sqlrun.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

using namespace Qt::Literals::StringLiterals;

SharedQuery::SharedQuery(QString connectionName, QString designStatement, QObject* parent)
    : QSqlQueryModel(parent), m_connectionName(std::move(connectionName)), m_statement(std::move(designStatement))
{
}

void SharedQuery::setStatement(const QString& statement, const QVariantList& values)
{
    m_statement = statement;
    m_values.clear();
    for (const QVariant& value : values)
        m_values << Sql::boundValue(value);
    m_sort.clear();
}

QString SharedQuery::setSortKeys(const QList<SortKey>& keys)
{
    const QStringList known = columnNames();
    for (const SortKey& key : keys) {
        if (!known.contains(key.column))
            return u"没有这一列：%1"_s.arg(key.column);
    }
    m_sort = keys;
    return m_open ? open() : QString();
}

QStringList SharedQuery::columnNames() const
{
    QStringList names;
    const QSqlRecord r = record();
    for (int i = 0; i < r.count(); ++i)
        names << r.fieldName(i);
    return names;
}

QVariantList SharedQuery::aggregate(const QStringList& expressions) const
{
    if (m_statement.trimmed().isEmpty() || expressions.isEmpty())
        return {};
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.setForwardOnly(true);
    if (!query.prepare(u"select %1 from (%2)"_s.arg(expressions.join(u", "_s), m_statement)))
        return {};
    for (const QVariant& value : m_values)
        query.addBindValue(value);
    if (!query.exec() || !query.next())
        return {};
    QVariantList row;
    for (int i = 0; i < expressions.size(); ++i)
        row << query.value(i);
    return row;
}

qint64 SharedQuery::totalRows() const
{
    const QVariantList row = aggregate({u"count(*)"_s});
    return row.isEmpty() ? 0 : row.first().toLongLong();
}

QString SharedQuery::orderedStatement() const
{
    if (m_sort.isEmpty())
        return m_statement;
    QStringList order;
    for (const SortKey& key : m_sort)
        order << Sql::quotedName(key.column) + (key.order == Qt::AscendingOrder ? u" asc"_s : u" desc"_s);
    return u"select * from (%1) order by %2"_s.arg(m_statement, order.join(u", "_s));
}

QSqlQuery SharedQuery::runForward() const
{
    return Sql::run(QSqlDatabase::database(m_connectionName, false), orderedStatement(), m_values);
}

QString SharedQuery::open()
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (!query.prepare(orderedStatement())) {
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
