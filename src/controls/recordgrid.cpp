#include "controls/recordgrid.h"

#include "data/sqlrun.h"

#include "controls/findrowdialog.h"
#include "controls/messageservice.h"
#include "controls/recordgrid_p.h"

#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSqlRecord>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

QString columnTitle(const GridColumn& column)
{
    return column.title.isEmpty() ? column.field : column.title;
}

// A column is made as wide as its title and the texts of the first rows, but no wider than
// this: one long address must not push the other columns off the screen.
constexpr int FitRows = 50;
constexpr int MaxFittedWidth = 320;

} // namespace

// ---------------------------------------------------------------------------------------------
// GridModel

GridModel::GridModel(QObject* parent) : QAbstractProxyModel(parent) {}

void GridModel::setQuery(SharedQuery* query)
{
    m_query = query;
    setSourceModel(query);
}

void GridModel::setSourceModel(QAbstractItemModel* source)
{
    beginResetModel();
    for (const QMetaObject::Connection& c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    QAbstractProxyModel::setSourceModel(source);
    if (source) {
        // The query resets on every reopen and inserts rows as it fetches them; anything else
        // it might do to its shape is taken as a reset, as the grid columns do not move with it.
        auto begin = [this] { beginResetModel(); };
        auto end = [this] {
            remap();
            endResetModel();
        };
        m_connections << connect(source, &QAbstractItemModel::modelAboutToBeReset, this, begin)
                      << connect(source, &QAbstractItemModel::modelReset, this, end)
                      << connect(source, &QAbstractItemModel::layoutAboutToBeChanged, this, begin)
                      << connect(source, &QAbstractItemModel::layoutChanged, this, end)
                      << connect(source, &QAbstractItemModel::columnsAboutToBeInserted, this, begin)
                      << connect(source, &QAbstractItemModel::columnsInserted, this, end)
                      << connect(source, &QAbstractItemModel::columnsAboutToBeRemoved, this, begin)
                      << connect(source, &QAbstractItemModel::columnsRemoved, this, end)
                      << connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this,
                                 [this](const QModelIndex& parent, int first, int last) {
                                     if (!parent.isValid())
                                         beginInsertRows({}, first, last);
                                 })
                      << connect(source, &QAbstractItemModel::rowsInserted, this,
                                 [this](const QModelIndex& parent) {
                                     if (!parent.isValid())
                                         endInsertRows();
                                 })
                      << connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                                 [this](const QModelIndex& parent, int first, int last) {
                                     if (!parent.isValid())
                                         beginRemoveRows({}, first, last);
                                 })
                      << connect(source, &QAbstractItemModel::rowsRemoved, this,
                                 [this](const QModelIndex& parent) {
                                     if (!parent.isValid())
                                         endRemoveRows();
                                 })
                      << connect(source, &QAbstractItemModel::dataChanged, this,
                                 [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                                     if (!m_columns.isEmpty())
                                         Q_EMIT dataChanged(index(topLeft.row(), 0),
                                                            index(bottomRight.row(), columnCount() - 1));
                                 })
                      << connect(source, &QObject::destroyed, this, [this] {
                             beginResetModel();
                             m_sourceColumns.fill(-1);
                             m_shownKeys.clear();
                             endResetModel();
                         });
    }
    remap();
    endResetModel();
}

void GridModel::setColumns(const QList<GridColumn>& columns)
{
    beginResetModel();
    m_columns = columns;
    remap();
    endResetModel();
}

void GridModel::remap()
{
    m_sourceColumns.clear();
    const QSqlRecord record = m_query ? m_query->record() : QSqlRecord();
    for (const GridColumn& c : std::as_const(m_columns))
        m_sourceColumns << (c.field.isEmpty() ? -1 : record.indexOf(c.field));
    m_shownKeys = m_query ? m_query->sortKeys() : QList<SharedQuery::SortKey>();
}

int GridModel::sourceColumn(int column) const
{
    return column >= 0 && column < m_sourceColumns.size() ? m_sourceColumns.at(column) : -1;
}

int GridModel::columnOf(const QString& field) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).field == field)
            return i;
    return -1;
}

QModelIndex GridModel::index(int row, int column, const QModelIndex& parent) const
{
    return hasIndex(row, column, parent) ? createIndex(row, column) : QModelIndex();
}

QModelIndex GridModel::parent(const QModelIndex&) const
{
    return {};
}

QModelIndex GridModel::sibling(int row, int column, const QModelIndex&) const
{
    return index(row, column);
}

QModelIndex GridModel::buddy(const QModelIndex& index) const
{
    return index;
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !sourceModel() ? 0 : sourceModel()->rowCount();
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

bool GridModel::hasChildren(const QModelIndex& parent) const
{
    return !parent.isValid() && rowCount() > 0 && columnCount() > 0;
}

QModelIndex GridModel::mapToSource(const QModelIndex& proxyIndex) const
{
    if (!proxyIndex.isValid() || !sourceModel())
        return {};
    const int column = sourceColumn(proxyIndex.column());
    return column < 0 ? QModelIndex() : sourceModel()->index(proxyIndex.row(), column);
}

QModelIndex GridModel::mapFromSource(const QModelIndex& sourceIndex) const
{
    if (!sourceIndex.isValid())
        return {};
    const int column = int(m_sourceColumns.indexOf(sourceIndex.column()));
    return column < 0 ? QModelIndex() : index(sourceIndex.row(), column);
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    const QModelIndex source = mapToSource(index);
    if (role == Qt::DisplayRole)
        return RecordGrid::format(source.isValid() ? source.data(Qt::DisplayRole) : QVariant(),
                                  m_columns.at(index.column()).format);
    if (role == Qt::EditRole) {
        // An editable cell is corrected as the text it shows, in a plain line edit.
        if (m_editor)
            return RecordGrid::format(source.isValid() ? source.data(Qt::DisplayRole) : QVariant(),
                                      m_columns.at(index.column()).format);
        return source.isValid() ? source.data(Qt::EditRole) : QVariant();
    }
    return {};
}

QMap<int, QVariant> GridModel::itemData(const QModelIndex& index) const
{
    return QAbstractItemModel::itemData(index);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    if (section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    const GridColumn& column = m_columns.at(section);
    QString title = columnTitle(column);
    for (int i = 0; i < m_shownKeys.size(); ++i) {
        const SharedQuery::SortKey& key = m_shownKeys.at(i);
        if (key.column != column.field)
            continue;
        title += key.order == Qt::AscendingOrder ? u" ▲"_s : u" ▼"_s;
        // Numbered only when there is an order among the keys to tell.
        if (m_shownKeys.size() > 1)
            title += QString::number(i + 1);
        break;
    }
    return title;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return m_editor && sourceColumn(index.column()) >= 0 ? flags | Qt::ItemIsEditable : flags;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !m_editor || sourceColumn(index.column()) < 0)
        return false;
    const QString text = value.toString();
    if (text == data(index, Qt::EditRole).toString())
        return false; // left as it was: nothing to write
    return m_editor(index.row(), index.column(), text);
}

bool GridModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && sourceModel() && sourceModel()->canFetchMore({});
}

void GridModel::fetchMore(const QModelIndex& parent)
{
    if (!parent.isValid() && sourceModel())
        sourceModel()->fetchMore({});
}

// ---------------------------------------------------------------------------------------------
// RecordGrid::Private

RecordGrid::Private::Private(RecordGrid* grid)
    : QObject(grid), q(grid), model(new GridModel(this)), view(new QTableView(grid)),
      footer(new QFrame(grid)), footerCells(new QWidget(footer))
{
}

bool RecordGrid::Private::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::Show:
        layoutFooter();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        // The header reports a title click without the keys held; keep them for sortBy.
        if (watched == view->horizontalHeader()->viewport())
            clickModifiers = static_cast<QMouseEvent*>(event)->modifiers();
        break;
    case QEvent::ShortcutOverride:
        // Keep Ctrl+F for the grid's own find even where the window binds it elsewhere.
        if (watched == view && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Find)) {
            event->accept();
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (watched == view && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Find)) {
            q->showFindDialog();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void RecordGrid::Private::rebuildFooterCells()
{
    qDeleteAll(footerLabels);
    footerLabels.clear();
    for (const GridColumn& c : model->columns()) {
        auto* label = new QLabel(footerCells);
        label->setObjectName(u"footer_"_s + c.field);
        label->setAlignment(Qt::AlignCenter);
        footerLabels << label;
    }
    layoutFooter();
}

void RecordGrid::Private::layoutFooter()
{
    // Cells are placed in the header's own coordinates, so they follow resizes, moves and
    // horizontal scrolling exactly; the cell strip clips like the grid's viewport does.
    const QHeaderView* header = view->horizontalHeader();
    const QWidget* headerViewport = header->viewport();
    const int x = headerViewport->mapTo(q, QPoint(0, 0)).x() - footer->mapTo(q, QPoint(0, 0)).x();
    footerCells->setGeometry(x, 0, headerViewport->width(), footer->height());
    for (int i = 0; i < footerLabels.size(); ++i) {
        QLabel* label = footerLabels.at(i);
        if (i >= header->count() || header->isSectionHidden(i)) {
            label->hide();
            continue;
        }
        label->setGeometry(header->sectionViewportPosition(i), 0, header->sectionSize(i),
                           footerCells->height());
        label->show();
    }
}

void RecordGrid::Private::fitColumns()
{
    QHeaderView* header = view->horizontalHeader();
    const QFontMetrics metrics = view->fontMetrics();
    const int padding = 2 * view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 14;
    const int rows = std::min(model->rowCount(), FitRows);
    for (int column = 0; column < model->columnCount(); ++column) {
        if (header->isSectionHidden(column))
            continue;
        int wanted = 0;
        for (int row = 0; row < rows; ++row)
            wanted = std::max(wanted, metrics.horizontalAdvance(cellText(row, column)) + padding);
        // Only ever wider: a width the title needs, or one the operator dragged, stays.
        wanted = std::min(wanted, MaxFittedWidth);
        if (wanted > header->sectionSize(column))
            header->resizeSection(column, wanted);
    }
}

void RecordGrid::Private::onSourceReset()
{
    fitColumns();
    q->refreshFooters();
    footersFresh = true;
    // A reopen shows other rows: tell the screen even when the row number stays 0.
    lastRow = -2;
    if (model->rowCount() > 0)
        q->setCurrentRow(0);
    else
        onCurrentChanged({});
}

void RecordGrid::Private::onCurrentChanged(const QModelIndex& current)
{
    const int row = current.isValid() ? current.row() : -1;
    if (row == lastRow)
        return;
    lastRow = row;
    Q_EMIT q->currentRowChanged(row);
}

bool RecordGrid::Private::ensureFetched(int row) const
{
    if (!query || row < 0)
        return false;
    while (row >= query->rowCount() && query->canFetchMore())
        query->fetchMore();
    return row < query->rowCount();
}

int RecordGrid::Private::firstVisibleColumn() const
{
    const QHeaderView* header = view->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical))
            return logical;
    }
    return -1;
}

QString RecordGrid::Private::cellText(int row, int column) const
{
    const int sourceColumn = model->sourceColumn(column);
    if (sourceColumn < 0)
        return {};
    return RecordGrid::format(query->index(row, sourceColumn).data(), model->columns().at(column).format);
}

bool RecordGrid::Private::writeCell(int row, int column, const QString& text)
{
    const QString error = cellWriter(row, model->columns().at(column).field, text);
    // The editor is still closing: the box and the reopen wait until it is gone.
    QPointer<SharedQuery> source = query;
    QMetaObject::invokeMethod(
        this,
        [this, source, row, column, error] {
            if (!error.isEmpty()) {
                MessageService::notify(q, Notice::plain(error));
                return;
            }
            if (!source)
                return;
            const QString failed = source->open();
            if (!failed.isEmpty()) {
                MessageService::notify(q, Notice::plain(failed));
                return;
            }
            if (ensureFetched(row))
                view->setCurrentIndex(model->index(row, column));
        },
        Qt::QueuedConnection);
    return error.isEmpty();
}

// ---------------------------------------------------------------------------------------------
// RecordGrid

RecordGrid::RecordGrid(QWidget* parent) : QWidget(parent), d(new Private(this))
{
    QTableView* view = d->view;
    view->setObjectName(u"grid"_s);
    view->setModel(d->model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    view->setCornerButtonEnabled(false);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->verticalHeader()->hide();
    // Fixed heights keep the row layout cheap however many rows have been fetched.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 8);

    QHeaderView* header = view->horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setSortIndicatorShown(false);
    header->setDefaultAlignment(Qt::AlignCenter);
    header->setMinimumSectionSize(24);
    header->setStretchLastSection(true); // the list fills its box, no grey strip at the right

    d->footer->setObjectName(u"footer"_s);
    d->footer->setFixedHeight(view->fontMetrics().height() + 10);
    d->footer->setStyleSheet(
        u"QFrame#footer { background: #ffff99; border: 1px solid #b4b48c; border-top: none; }"
        "QLabel { background: transparent; border: none; border-right: 1px solid #d6d6a0;"
        " color: #202020; }"_s);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view, 1);
    layout->addWidget(d->footer);
    d->footer->hide();

    setSelection(Selection::Row);

    connect(header, &QHeaderView::sectionClicked, d, [this](int logical) {
        if (logical >= 0 && logical < d->model->columns().size())
            sortBy(d->model->columns().at(logical).field, d->clickModifiers.testFlag(Qt::ControlModifier));
    });
    auto layoutFooter = [this] { d->layoutFooter(); };
    connect(header, &QHeaderView::sectionResized, d, layoutFooter);
    connect(header, &QHeaderView::sectionMoved, d, layoutFooter);
    connect(header, &QHeaderView::sectionCountChanged, d, layoutFooter);
    connect(header, &QHeaderView::geometriesChanged, d, layoutFooter);
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, d, layoutFooter);
    connect(view->horizontalScrollBar(), &QScrollBar::rangeChanged, d, layoutFooter);
    connect(view, &QTableView::doubleClicked, d, [this](const QModelIndex& index) {
        if (index.isValid())
            Q_EMIT rowDoubleClicked(index.row());
    });
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, d,
            [this](const QModelIndex& current) { d->onCurrentChanged(current); });

    view->installEventFilter(d);
    view->viewport()->installEventFilter(d);
    header->installEventFilter(d);
    header->viewport()->installEventFilter(d);
    d->footer->installEventFilter(d);
}

RecordGrid::~RecordGrid()
{
    // The view goes first, while the model it shows and the helpers it signals still exist;
    // d itself is a child and goes with the rest.
    delete d->view;
}

void RecordGrid::setColumns(const QList<GridColumn>& columns)
{
    d->model->setColumns(columns);
    QHeaderView* header = d->view->horizontalHeader();
    const QFontMetrics metrics = header->fontMetrics();
    // Room for the title and a sort marker, so a sorted title is not cut short.
    const int markerRoom = metrics.horizontalAdvance(u" ▼9"_s) + 20;
    for (int i = 0; i < columns.size(); ++i)
        header->resizeSection(i,
                              qMax(80, metrics.horizontalAdvance(columnTitle(columns.at(i))) + markerRoom));
    d->rebuildFooterCells();
    refreshFooters();
    if (d->findDialog)
        d->findDialog->refreshColumns();
}

QList<GridColumn> RecordGrid::visibleColumns() const
{
    QList<GridColumn> shown;
    const QHeaderView* header = d->view->horizontalHeader();
    const QList<GridColumn>& columns = d->model->columns();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical >= 0 && logical < columns.size() && !header->isSectionHidden(logical))
            shown << columns.at(logical);
    }
    return shown;
}

void RecordGrid::setFooters(const QList<GridFooter>& footers)
{
    d->footers = footers;
    // A grid without footers (a pick list, a search result) shows no empty yellow row.
    d->footer->setVisible(!footers.isEmpty());
    refreshFooters();
}

void RecordGrid::setSelection(Selection selection)
{
    d->selection = selection;
    d->view->setSelectionMode(QAbstractItemView::SingleSelection);
    d->view->setSelectionBehavior(selection == Selection::Row ? QAbstractItemView::SelectRows
                                                              : QAbstractItemView::SelectItems);
}

void RecordGrid::setCellWriter(CellWriter write)
{
    d->cellWriter = std::move(write);
    if (d->cellWriter)
        d->model->setEditor([this](int row, int column, const QString& text) { return d->writeCell(row, column, text); });
    else
        d->model->setEditor({});
    d->view->setEditTriggers(d->cellWriter ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                                 | QAbstractItemView::AnyKeyPressed
                                           : QAbstractItemView::NoEditTriggers);
}

void RecordGrid::setSource(SharedQuery* query)
{
    for (const QMetaObject::Connection& c : std::as_const(d->queryConnections))
        disconnect(c);
    d->queryConnections.clear();
    d->query = query;
    d->model->setQuery(query);
    if (query) {
        // Connected after the model's own handlers, so the view already shows the new rows.
        d->queryConnections << connect(query, &QAbstractItemModel::modelReset, d, [this] {
            d->onSourceReset();
        }) << connect(query, &SharedQuery::reopened, d, [this] {
            if (!d->footersFresh)
                refreshFooters();
            d->footersFresh = false;
        });
    }
    d->onSourceReset();
}

SharedQuery* RecordGrid::source() const
{
    return d->query;
}

QTableView* RecordGrid::view() const
{
    return d->view;
}

int RecordGrid::currentRow() const
{
    const QModelIndex current = d->view->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void RecordGrid::setCurrentRow(int row)
{
    if (!d->ensureFetched(row)) {
        d->view->selectionModel()->clear();
        d->onCurrentChanged({});
        return;
    }
    const QModelIndex current = d->view->currentIndex();
    const QModelIndex target =
        d->model->index(row, current.isValid() ? current.column() : d->firstVisibleColumn());
    if (!target.isValid())
        return;
    d->view->setCurrentIndex(target);
    d->view->scrollTo(target);
}

QVariant RecordGrid::value(int row, const QString& field) const
{
    if (!d->ensureFetched(row))
        return {};
    const int column = d->query->record().indexOf(field);
    return column < 0 ? QVariant() : d->query->index(row, column).data();
}

QVariant RecordGrid::currentValue(const QString& field) const
{
    const int row = currentRow();
    return row < 0 ? QVariant() : value(row, field);
}

QString RecordGrid::displayText(int row, const QString& field) const
{
    const int column = d->model->columnOf(field);
    return format(value(row, field),
                  column < 0 ? GridColumn::Format::Plain : d->model->columns().at(column).format);
}

QString RecordGrid::footerText(const QString& field) const
{
    const int column = d->model->columnOf(field);
    return column < 0 || column >= d->footerLabels.size() ? QString() : d->footerLabels.at(column)->text();
}

void RecordGrid::refreshFooters()
{
    // One aggregate statement for every count and sum: the rows themselves stay unfetched.
    SharedQuery* query = d->query;
    const bool haveRows = query && query->columnCount() > 0;
    const QStringList names = haveRows ? query->columnNames() : QStringList();
    QStringList expressions;
    QList<int> slot; // expression index per footer, -1 when it needs none or cannot have one
    for (const GridFooter& f : std::as_const(d->footers)) {
        int at = -1;
        if (haveRows && f.kind == GridFooter::Kind::Count) {
            at = int(expressions.indexOf(u"count(*)"_s));
            if (at < 0) {
                at = int(expressions.size());
                expressions << u"count(*)"_s;
            }
        } else if (haveRows && f.kind == GridFooter::Kind::Sum) {
            const QString field = f.sumField.isEmpty() ? f.underField : f.sumField;
            // An unknown column would fail the whole statement, and with it every other footer.
            if (names.contains(field)) {
                at = int(expressions.size());
                expressions << u"coalesce(sum(%1), 0)"_s.arg(Sql::quotedName(field));
            }
        }
        slot << at;
    }
    const QVariantList values = expressions.isEmpty() ? QVariantList() : query->aggregate(expressions);

    QHash<QString, QString> texts;
    for (int i = 0; i < d->footers.size(); ++i) {
        const GridFooter& f = d->footers.at(i);
        const int at = slot.at(i);
        switch (f.kind) {
        case GridFooter::Kind::Text:
            texts.insert(f.underField, f.text);
            break;
        case GridFooter::Kind::Count:
            texts.insert(f.underField, at >= 0 && at < values.size() ? values.at(at).toString() : QString());
            break;
        case GridFooter::Kind::Sum:
            texts.insert(f.underField, at >= 0 && at < values.size()
                                           ? format(values.at(at), GridColumn::Format::Points)
                                           : QString());
            break;
        }
    }
    const QList<GridColumn>& columns = d->model->columns();
    for (int i = 0; i < d->footerLabels.size() && i < columns.size(); ++i)
        d->footerLabels.at(i)->setText(texts.value(columns.at(i).field));
}

void RecordGrid::sortBy(const QString& field, bool addToKeys)
{
    SharedQuery* query = d->query;
    if (!query || !query->columnNames().contains(field))
        return;
    QList<SharedQuery::SortKey> keys = query->sortKeys();
    qsizetype at = -1;
    for (qsizetype i = 0; i < keys.size(); ++i)
        if (keys.at(i).column == field)
            at = i;
    auto flipped = [](Qt::SortOrder order) {
        return order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    };
    if (!addToKeys) {
        const Qt::SortOrder order = at == 0 ? flipped(keys.first().order) : Qt::AscendingOrder;
        keys = {{field, order}};
    } else if (at >= 0) {
        keys[at].order = flipped(keys.at(at).order);
    } else {
        keys.append({field, Qt::AscendingOrder});
    }
    const QString error = query->setSortKeys(keys);
    if (!error.isEmpty())
        MessageService::error(this, u"错误"_s, error);
}

void RecordGrid::showFindDialog()
{
    if (!d->findDialog)
        d->findDialog = new FindRowDialog(this);
    d->findDialog->refreshColumns();
    d->findDialog->show();
    d->findDialog->raise();
    d->findDialog->activateWindow();
}

bool RecordGrid::findNext(const QString& text, const QString& field, Qt::CaseSensitivity cs)
{
    if (text.isEmpty() || !d->query)
        return false;
    QList<int> columns;
    if (field.isEmpty()) {
        const QHeaderView* header = d->view->horizontalHeader();
        for (int visual = 0; visual < header->count(); ++visual) {
            const int logical = header->logicalIndex(visual);
            if (!header->isSectionHidden(logical))
                columns << logical;
        }
    } else if (const int column = d->model->columnOf(field); column >= 0) {
        columns << column;
    }
    if (columns.isEmpty())
        return false;

    auto matchIn = [&](int row) {
        for (int column : std::as_const(columns))
            if (d->cellText(row, column).contains(text, cs))
                return column;
        return -1;
    };
    auto select = [&](int row, int column) {
        const QModelIndex target = d->model->index(row, column);
        d->view->setCurrentIndex(target);
        d->view->scrollTo(target);
    };

    // From the row after the current one to the end, fetching as the search goes; then from the
    // top round to the current row itself, which is thus looked at last.
    const int start = currentRow() + 1;
    for (int row = start; d->ensureFetched(row); ++row) {
        if (const int column = matchIn(row); column >= 0) {
            select(row, column);
            return true;
        }
    }
    for (int row = 0; row < start && row < d->query->rowCount(); ++row) {
        if (const int column = matchIn(row); column >= 0) {
            select(row, column);
            return true;
        }
    }
    return false;
}

QString RecordGrid::format(const QVariant& value, GridColumn::Format format)
{
    return Values::displayText(value, format);
}
