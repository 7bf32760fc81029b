#pragma once

#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QVariantList>

// A list query that several screens share: it holds whatever statement the last screen gave
// it, and every grid bound to it shows those rows. Rows are fetched lazily by the model, so a
// grid over a million log rows opens at once.
class SharedQuery : public QSqlQueryModel
{
    Q_OBJECT
public:
    SharedQuery(QString connectionName, QString designStatement, QObject* parent = nullptr);

    // Gives the query its statement and values; open() runs it.
    void setStatement(const QString& statement, const QVariantList& values = {});
    const QString& statement() const { return m_statement; }
    const QVariantList& values() const { return m_values; }

    // Runs the current statement again, refreshing every bound grid. Returns the engine's
    // error text, empty on success.
    QString open();
    // Drops the rows without forgetting the statement.
    void close();
    bool isOpen() const { return m_open; }

    // Sort keys applied around the statement by the engine, so that every row is in order
    // and still fetched lazily. Columns are checked against the result's own columns; a new
    // statement clears them. Reopens when the query is open.
    struct SortKey
    {
        QString column;
        Qt::SortOrder order = Qt::AscendingOrder;
    };
    QString setSortKeys(const QList<SortKey>& keys);
    const QList<SortKey>& sortKeys() const { return m_sort; }

    // One aggregate row over the current statement's rows, e.g. {"count(*)", "sum(\"积分\")"},
    // without fetching the rows. Values in the order asked; empty on an error.
    QVariantList aggregate(const QStringList& expressions) const;
    // The number of rows the statement yields (all of them, not only those fetched so far).
    qint64 totalRows() const;
    // The statement as run: with the sort keys around it.
    QString orderedStatement() const;
    // Every row of the statement in the grid's order, read forward once without holding them
    // (what an export walks). Throws Failure on an engine error.
    QSqlQuery runForward() const;
    // Column names of the result, in statement order.
    QStringList columnNames() const;

Q_SIGNALS:
    void reopened();

private:
    QString m_connectionName;
    QString m_statement;
    QVariantList m_values;
    QList<SortKey> m_sort;
    bool m_open = false;
};
