#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <exception>
#include <functional>

// An operation that cannot go on: a statement the engine refused, or an input that is not
// what the statement needs (a points text that is not a number). The text is what the
// operator is shown after the rollback.
class Failure : public std::exception
{
public:
    explicit Failure(QString text) : m_text(std::move(text)), m_bytes(m_text.toUtf8()) {}
    const QString& text() const { return m_text; }
    const char* what() const noexcept override { return m_bytes.constData(); }

private:
    QString m_text;
    QByteArray m_bytes;
};

namespace Sql {

// A table or column name as a statement quotes it. Only names checked against the schema or
// the result's own columns are ever quoted into a statement; values are always bound.
QString quotedName(const QString& name);

// A value as it is bound: text is stored as text even when empty (an empty field gives a null
// QString, which the driver would store as null), so '' and null stay apart; only an invalid
// QVariant() stands for null.
QVariant boundValue(const QVariant& value);

// Prepares, binds every value positionally (through boundValue) and executes; throws Failure
// with the engine's own text on any error. Values never become part of the statement text.
QSqlQuery run(const QSqlDatabase& db, const QString& statement, const QVariantList& values = {});

// The first column of the first row, or an invalid QVariant when there is no row.
QVariant scalar(const QSqlDatabase& db, const QString& statement, const QVariantList& values = {});

// One statement prepared once and run many times with fresh values, for the thousands of rows
// of an import. Values are bound as with run(); throws Failure with the engine's text.
class Statement
{
public:
    Statement(const QSqlDatabase& db, const QString& text);
    QSqlQuery& run(const QVariantList& values);

private:
    QSqlQuery m_query;
};

// Begin, run the body, commit. On any Failure (or an engine error on begin/commit) the
// transaction is rolled back and the error's text returned; an empty text means committed.
// Callers show their success box only after this returns, so no box ever waits while the
// database is locked for the other counters.
QString transact(QSqlDatabase db, const std::function<void()>& body);

} // namespace Sql
