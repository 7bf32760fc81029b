#pragma once

#include "controls/recordgrid.h"

#include <QAbstractProxyModel>
#include <QHash>
#include <QPointer>

class QFrame;
class FindRowDialog;

// Lays the grid's columns over the query's columns by field name. Rows are the query's own
// rows one for one, so row numbers mean the same on both sides; fetching is left to the query.
class GridModel : public QAbstractProxyModel
{
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    void setQuery(SharedQuery* query);
    SharedQuery* query() const { return m_query; }
    void setColumns(const QList<GridColumn>& columns);
    const QList<GridColumn>& columns() const { return m_columns; }
    // Query column shown in a grid column, -1 when the query lacks its field.
    int sourceColumn(int column) const;
    // First grid column showing the field, -1 when none does.
    int columnOf(const QString& field) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex& idx) const override;
    QModelIndex buddy(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QMap<int, QVariant> itemData(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // Editable cells hand each change here; false keeps the old value.
    void setEditor(std::function<bool(int row, int column, const QString& text)> editor) { m_editor = std::move(editor); }
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    void setSourceModel(QAbstractItemModel* source) override;
    void remap();

    QPointer<SharedQuery> m_query;
    QList<GridColumn> m_columns;
    QList<int> m_sourceColumns;
    // The keys the rows on show were sorted by: taken at each reset, so a key changed on a
    // closed query is not marked before its rows are.
    QList<SharedQuery::SortKey> m_shownKeys;
    QList<QMetaObject::Connection> m_connections;
    std::function<bool(int row, int column, const QString& text)> m_editor;
};

class RecordGrid::Private : public QObject
{
    Q_OBJECT
public:
    explicit Private(RecordGrid* grid);

    void rebuildFooterCells();
    void layoutFooter();
    void onSourceReset();
    // Widens the columns to their first rows' texts, within a limit.
    void fitColumns();
    void onCurrentChanged(const QModelIndex& current);
    // Fetches until `row` is on hand or the query has no more; true when it is.
    bool ensureFetched(int row) const;
    int firstVisibleColumn() const;
    QString cellText(int row, int column) const;
    bool writeCell(int row, int column, const QString& text);

    RecordGrid* const q;
    GridModel* model;
    QTableView* view;
    QFrame* footer;
    QWidget* footerCells;
    QList<QLabel*> footerLabels; // one per grid column, by logical index
    QList<GridFooter> footers;
    QPointer<SharedQuery> query;
    QList<QMetaObject::Connection> queryConnections;
    QPointer<FindRowDialog> findDialog;
    Qt::KeyboardModifiers clickModifiers;
    RecordGrid::Selection selection = RecordGrid::Selection::Row;
    // The reset already refreshed the footer for the reopen that follows it.
    bool footersFresh = false;
    int lastRow = -1;
    RecordGrid::CellWriter cellWriter;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
