#include "data/sharedquery.h"

#include "data/engine.h"
#include "data/sqlrun.h"

#include <QSqlError>

using namespace Qt::Literals::StringLiterals;

namespace {

// The engine's row key rides along as the first column of every page under this name.
const QString KeyName = u"qv_row_key"_s;

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// A column name as written in an order clause: bare, or quoted with "", [] or ``.
bool readName(QStringView text, qsizetype* at, QString* name)
{
    qsizetype i = *at;
    if (i >= text.size())
        return false;
    const QChar open = text.at(i);
    const QChar close = open == u'"' ? u'"' : open == u'[' ? u']' : open == u'`' ? u'`' : QChar();
    if (!close.isNull()) {
        QString inner;
        for (++i; i < text.size(); ++i) {
            if (text.at(i) == close) {
                if (close != u']' && i + 1 < text.size() && text.at(i + 1) == close) {
                    inner += close; // a doubled quote stands for one
                    ++i;
                    continue;
                }
                *name = inner;
                *at = i + 1;
                return !inner.isEmpty();
            }
            inner += text.at(i);
        }
        return false;
    }
    const qsizetype start = i;
    while (i < text.size() && (isWordChar(text.at(i)) || text.at(i) == u'.'))
        ++i;
    if (i == start)
        return false;
    *name = text.mid(start, i - start).toString();
    *at = i;
    return true;
}

// Where the last "<word> by" stands outside quotes and parentheses: its start and the end of
// "by", or -1.
std::pair<qsizetype, qsizetype> lastClause(const QString& statement, QStringView word)
{
    std::pair<qsizetype, qsizetype> found{-1, -1};
    int depth = 0;
    QChar quote;
    const qsizetype n = word.size();
    for (qsizetype i = 0; i < statement.size(); ++i) {
        const QChar c = statement.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"' || c == u'`') {
            quote = c;
        } else if (c == u'[') {
            quote = u']';
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            --depth;
        } else if (depth == 0 && (i == 0 || !isWordChar(statement.at(i - 1)))
                   && QStringView(statement).mid(i, n).compare(word, Qt::CaseInsensitive) == 0
                   && (i + n == statement.size() || !isWordChar(statement.at(i + n)))) {
            qsizetype j = i + n;
            while (j < statement.size() && statement.at(j).isSpace())
                ++j;
            if (j > i + n && QStringView(statement).mid(j, 2).compare(u"by", Qt::CaseInsensitive) == 0
                && (j + 2 == statement.size() || !isWordChar(statement.at(j + 2))))
                found = {i, j + 2};
        }
    }
    return found;
}

// "a, b desc" to the end of the text: column names, each with an optional asc/desc.
bool readKeys(QStringView rest, QList<SharedQuery::SortKey>* keys)
{
    qsizetype at = 0;
    const auto skipBlanks = [&] {
        while (at < rest.size() && rest.at(at).isSpace())
            ++at;
    };
    const auto word = [&](QStringView w) {
        if (rest.mid(at, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        if (at + w.size() < rest.size() && isWordChar(rest.at(at + w.size())))
            return false;
        at += w.size();
        return true;
    };
    keys->clear();
    for (;;) {
        skipBlanks();
        SharedQuery::SortKey key;
        if (!readName(rest, &at, &key.column))
            return false;
        skipBlanks();
        if (word(u"desc"))
            key.order = Qt::DescendingOrder;
        else
            word(u"asc");
        keys->append(key);
        skipBlanks();
        if (at == rest.size())
            return true;
        if (rest.at(at) != u',')
            return false;
        ++at;
    }
}

// The statement's own order: a trailing "order by a, b desc" is taken off the text (the pages
// apply it themselves); a statement grouped "group by a, b" without one keeps the order its
// grouping gave (by the group's columns). Only column names with an optional asc/desc are
// taken; an order by anything else (an expression, a limit after it) is refused, as the pages
// could not step along it.
bool splitOwnOrder(const QString& statement, QString* unordered, QList<SharedQuery::SortKey>* keys, QString* error)
{
    keys->clear();
    *unordered = statement;
    const auto [orderAt, orderEnd] = lastClause(statement, u"order");
    if (orderAt < 0) {
        const auto [groupAt, groupEnd] = lastClause(statement, u"group");
        if (groupAt >= 0 && !readKeys(QStringView(statement).mid(groupEnd), keys))
            keys->clear(); // grouped by more than names (or with a having): the row key's order
        return true;
    }
    *unordered = statement.left(orderAt);
    const QStringView rest = QStringView(statement).mid(orderEnd);
    if (readKeys(rest, keys))
        return true;
    keys->clear();
    *error = u"列表语句只能按所选的列排序：%1"_s.arg(rest.toString().trimmed());
    return false;
}

} // namespace

SharedQuery::SharedQuery(QString connectionName, QString designStatement, QObject* parent)
    : QAbstractTableModel(parent), m_connectionName(std::move(connectionName))
{
    setStatement(designStatement);
}

void SharedQuery::setStatement(const QString& statement, const QVariantList& values)
{
    m_statement = statement;
    m_values.clear();
    for (const QVariant& value : values)
        m_values << Sql::boundValue(value);
    m_sort.clear();
    m_statementError.clear();
    m_keyed.clear();
    if (statement.trimmed().isEmpty()) {
        m_unordered.clear();
        m_ownOrder.clear();
        m_statementError = u"列表没有语句"_s;
        return;
    }
    if (!splitOwnOrder(statement, &m_unordered, &m_ownOrder, &m_statementError))
        return;
    m_keyed = Engine::keyedSelect(QSqlDatabase::database(m_connectionName, false), m_unordered, KeyName);
    if (m_keyed.isEmpty())
        m_statementError = u"列表语句须为一条普通的 select 语句：%1"_s.arg(statement);
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
    for (int i = 0; i < m_record.count(); ++i)
        names << m_record.fieldName(i);
    return names;
}

QSqlRecord SharedQuery::record(int row) const
{
    QSqlRecord r = m_record;
    if (row < 0 || row >= m_rows.size())
        return r;
    const QVariantList& values = m_rows.at(row).values;
    for (int i = 0; i < r.count() && i < values.size(); ++i)
        r.setValue(i, values.at(i));
    return r;
}

QVariantList SharedQuery::aggregate(const QStringList& expressions) const
{
    if (!m_statementError.isEmpty() || expressions.isEmpty())
        return {};
    try {
        // Run to its end at once: a single row, and the statement is done with.
        QSqlQuery query = Sql::run(QSqlDatabase::database(m_connectionName, false),
                                   u"select %1 from (%2) as q"_s.arg(expressions.join(u", "_s), m_unordered), m_values);
        if (!query.next())
            return {};
        QVariantList row;
        for (int i = 0; i < expressions.size(); ++i)
            row << query.value(i);
        return row;
    } catch (const Failure&) {
        return {};
    }
}

qint64 SharedQuery::totalRows() const
{
    const QVariantList row = aggregate({u"count(*)"_s});
    return row.isEmpty() ? 0 : row.first().toLongLong();
}

QList<SharedQuery::SortKey> SharedQuery::orderKeys() const
{
    return m_sort.isEmpty() ? m_ownOrder : m_sort;
}

QString SharedQuery::orderClause(qsizetype fromKey) const
{
    // Null placement spelt out (where SQLite puts it anyway), so that the steps past a null
    // below mean the same on any engine.
    const QList<SortKey> keys = orderKeys();
    QStringList order;
    for (qsizetype i = fromKey; i < keys.size(); ++i) {
        const SortKey& key = keys.at(i);
        order << Sql::quotedName(key.column)
                     + (key.order == Qt::AscendingOrder ? u" asc nulls first"_s : u" desc nulls last"_s);
    }
    order << Sql::quotedName(KeyName) + u" asc"_s;
    return order.join(u", "_s);
}

QString SharedQuery::orderedStatement() const
{
    return u"select * from (%1) as q order by %2"_s.arg(keyed(), orderClause(0));
}

QSqlQuery SharedQuery::runForward() const
{
    if (!m_statementError.isEmpty())
        throw Failure(m_statementError);
    return Sql::run(QSqlDatabase::database(m_connectionName, false), orderedStatement(), m_values);
}

QList<SharedQuery::Row> SharedQuery::runPage(const QString& where, const QVariantList& whereValues,
                                             const QString& order, int limit, QSqlRecord* columns) const
{
    QString text = u"select * from (%1) as q"_s.arg(keyed());
    if (!where.isEmpty())
        text += u" where "_s + where;
    text += u" order by %1 limit ?"_s.arg(order);
    // The statement's own values come first, as its placeholders stand first in the text.
    QSqlQuery query =
        Sql::run(QSqlDatabase::database(m_connectionName, false), text, m_values + whereValues + QVariantList{limit});
    if (columns && columns->isEmpty())
        *columns = query.record();
    const int width = query.record().count();
    QList<Row> rows;
    while (query.next()) {
        Row row;
        row.key = query.value(0);
        row.values.reserve(width - 1);
        for (int i = 1; i < width; ++i)
            row.values << query.value(i);
        rows << row;
    }
    if (query.lastError().isValid())
        throw Failure(query.lastError().text(),
                      Engine::kindOf(QSqlDatabase::database(m_connectionName, false), query.lastError()));
    query.finish();
    return rows;
}

QList<SharedQuery::Row> SharedQuery::readPage(int limit, QSqlRecord* columns)
{
    if (m_rows.isEmpty())
        return runPage({}, {}, orderClause(0), limit, columns);

    // The rows after the last one on hand, in tiers that each keep to the order: first those
    // equal to it in every key with a later row key, then those equal in the first keys and
    // later in the next one, and so on up to those later in the first key. Each tier is an
    // equality prefix and one range, which an index on the keys answers by a seek.
    const Row& last = m_rows.last();
    const QList<SortKey> keys = orderKeys();
    const auto equalTo = [&](qsizetype count, QStringList* conditions, QVariantList* values) {
        for (qsizetype i = 0; i < count; ++i) {
            const QVariant& v = last.values.at(m_orderColumns.at(i));
            const QString name = Sql::quotedName(keys.at(i).column);
            if (v.isNull()) {
                *conditions << name + u" is null"_s;
            } else {
                *conditions << name + u" = ?"_s;
                *values << v;
            }
        }
    };

    QList<Row> page;
    {
        QStringList conditions;
        QVariantList values;
        equalTo(keys.size(), &conditions, &values);
        conditions << Sql::quotedName(KeyName) + u" > ?"_s;
        values << last.key;
        page += runPage(conditions.join(u" and "_s), values, orderClause(keys.size()), limit, columns);
    }
    for (qsizetype j = keys.size() - 1; j >= 0 && page.size() < limit; --j) {
        QStringList prefix;
        QVariantList prefixValues;
        equalTo(j, &prefix, &prefixValues);
        const QVariant& v = last.values.at(m_orderColumns.at(j));
        const QString name = Sql::quotedName(keys.at(j).column);
        // Nulls come first going up and last going down.
        QList<std::pair<QString, QVariantList>> later;
        if (keys.at(j).order == Qt::AscendingOrder) {
            later << (v.isNull() ? std::pair{name + u" is not null"_s, QVariantList()}
                                 : std::pair{name + u" > ?"_s, QVariantList{v}});
        } else if (!v.isNull()) {
            later << std::pair{name + u" < ?"_s, QVariantList{v}} << std::pair{name + u" is null"_s, QVariantList()};
        }
        for (const auto& [condition, values] : std::as_const(later)) {
            if (page.size() >= limit)
                break;
            page += runPage((prefix + QStringList{condition}).join(u" and "_s), prefixValues + values, orderClause(j),
                            limit - int(page.size()), columns);
        }
    }
    return page;
}

QString SharedQuery::keyed() const
{
    // Made for the engine the connection has now: a list is set up before the connection opens.
    const QString keyed = Engine::keyedSelect(QSqlDatabase::database(m_connectionName, false), m_unordered, KeyName);
    if (keyed.isEmpty())
        throw Failure(u"列表语句须为一条普通的 select 语句：%1"_s.arg(m_statement));
    return keyed;
}

void SharedQuery::clearRows()
{
    m_rows.clear();
    m_record = QSqlRecord();
    m_orderColumns.clear();
    m_open = false;
    m_atEnd = true;
    m_fetchError.clear();
}

QString SharedQuery::open()
{
    beginResetModel();
    clearRows();
    QString error = m_statementError;
    if (error.isEmpty()) {
        try {
            QSqlRecord columns;
            const QList<Row> first = readPage(FirstPageRows, &columns);
            columns.remove(0); // the row key
            for (const SortKey& key : orderKeys()) {
                const int at = columns.indexOf(key.column);
                if (at < 0)
                    throw Failure(u"没有这一列：%1"_s.arg(key.column));
                m_orderColumns << at;
            }
            m_record = columns;
            m_rows = first;
            m_atEnd = first.size() < FirstPageRows;
            m_open = true;
        } catch (const Failure& failure) {
            clearRows();
            error = failure.text();
        }
    }
    endResetModel();
    if (!error.isEmpty())
        return error;
    Q_EMIT reopened();
    return {};
}

void SharedQuery::close()
{
    beginResetModel();
    clearRows();
    endResetModel();
}

int SharedQuery::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SharedQuery::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_record.count();
}

QVariant SharedQuery::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const QVariantList& values = m_rows.at(index.row()).values;
    return index.column() < values.size() ? values.at(index.column()) : QVariant();
}

QVariant SharedQuery::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_record.count())
        return m_record.fieldName(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool SharedQuery::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_open && !m_atEnd;
}

void SharedQuery::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    QList<Row> page;
    try {
        page = readPage(PageRows, nullptr);
    } catch (const Failure& failure) {
        // The list ends where it could be read; the rows on hand stay.
        m_fetchError = failure.text();
        m_atEnd = true;
        return;
    }
    m_atEnd = page.size() < PageRows;
    if (page.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(page.size()) - 1);
    m_rows += page;
    endInsertRows();
}
