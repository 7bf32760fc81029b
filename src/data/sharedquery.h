#pragma once

#include <QAbstractTableModel>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariantList>

// A list query that several screens share: it holds whatever statement the last screen gave
// it, and every grid bound to it shows those rows.
//
// Rows come in pages, and no statement stays open between two pages: each page is one
// statement run to its end, which starts after the last row on hand by its sort values and the
// engine's row key (keyset paging). So a list left open on a counter holds no read snapshot:
// it never blocks that counter's saves, and the write-ahead log can be checkpointed while the
// list is shown. A grid over a million log rows still opens at once, as only the first page
// is read.
//
// A statement is one plain "select <columns> from …" (where, group by as needed) that the
// engine can add its row key to (Engine::keyedSelect); a trailing "order by" of columns it
// selects is its own order, used while no sort key is set, and so is the "group by" of a
// grouped statement without one. Rows without a sort key come in the statement's own order,
// then by row key (the order they were written in).
class SharedQuery : public QAbstractTableModel
{
    Q_OBJECT
public:
    SharedQuery(QString connectionName, QString designStatement, QObject* parent = nullptr);

    // Gives the query its statement and values; open() runs it.
    void setStatement(const QString& statement, const QVariantList& values = {});
    const QString& statement() const { return m_statement; }
    const QVariantList& values() const { return m_values; }

    // Runs the current statement again from its first page, refreshing every bound grid.
    // Returns the engine's error text, empty on success.
    QString open();
    // Drops the rows without forgetting the statement.
    void close();
    bool isOpen() const { return m_open; }

    // Sort keys applied by the engine around the statement, so that every row is in order
    // and still fetched page by page. Columns are checked against the result's own columns; a
    // new statement clears them. Reopens when the query is open.
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
    // The statement as the pages run it: with the row key and the order around it.
    QString orderedStatement() const;
    // Every row of the statement in the grid's order, read forward once without holding them
    // (what an export walks, from its first row to its last without a pause). Throws Failure on
    // an engine error.
    QSqlQuery runForward() const;
    // Column names of the result, in statement order.
    QStringList columnNames() const;
    // The columns of the result (no values), and one fetched row with its values.
    QSqlRecord record() const { return m_record; }
    QSqlRecord record(int row) const;
    // The engine's text when reading a later page failed (the list then ends there).
    const QString& fetchError() const { return m_fetchError; }

    // How many rows the first page and every later one reads.
    static constexpr int FirstPageRows = 256;
    static constexpr int PageRows = 1024;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent = {}) const override;
    void fetchMore(const QModelIndex& parent = {}) override;

Q_SIGNALS:
    void reopened();

private:
    struct Row
    {
        QVariant key;
        QVariantList values;
    };
    // The keys the rows are ordered by: the sort keys, else the statement's own order.
    QList<SortKey> orderKeys() const;
    QString orderClause(qsizetype fromKey) const;
    // The statement with the engine's row key (throws Failure when it can take none).
    QString keyed() const;
    // Reads up to limit rows after the last row on hand (from the first row when none is).
    QList<Row> readPage(int limit, QSqlRecord* columns);
    QList<Row> runPage(const QString& where, const QVariantList& whereValues, const QString& order, int limit,
                       QSqlRecord* columns) const;
    void clearRows();

    QString m_connectionName;
    QString m_statement;
    QVariantList m_values;
    // The statement without its own order, the order it gave, and both with the row key.
    QString m_unordered;
    QList<SortKey> m_ownOrder;
    QString m_keyed;
    QString m_statementError;
    QList<SortKey> m_sort;
    QSqlRecord m_record;
    QList<Row> m_rows;
    QList<int> m_orderColumns; // column of each order key in the rows' values
    bool m_open = false;
    bool m_atEnd = true;
    QString m_fetchError;
};
