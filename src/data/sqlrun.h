#pragma once

#include "data/notice.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <exception>
#include <functional>
#include <optional>

// An operation that cannot go on: a statement the engine refused, or an input that is not
// what the statement needs (a points text that is not a number). The text is what the
// operator is shown after the rollback. The kind says what the engine meant, as Engine
// recognises it: the database held by another counter past the busy timeout, or a unique
// index refusing a duplicate.
class Failure : public std::exception
{
public:
    enum class Kind { Error, Busy, DuplicateKey, ConnectionLost };
    explicit Failure(QString text, Kind kind = Kind::Error)
        : m_text(std::move(text)), m_bytes(m_text.toUtf8()), m_kind(kind)
    {
    }
    const QString& text() const { return m_text; }
    Kind kind() const { return m_kind; }
    const char* what() const noexcept override { return m_bytes.constData(); }

private:
    QString m_text;
    QByteArray m_bytes;
    Kind m_kind;
};

// A check inside a save's transaction that refuses the save against what is stored (the card
// no member holds any more, a balance that no longer covers the redemption). It rolls back
// like any Failure, but the operator sees the refusal's own box instead of a plain one.
class Refusal : public Failure
{
public:
    explicit Refusal(Notice notice) : Failure(notice.text), m_notice(std::move(notice)) {}
    const Notice& notice() const { return m_notice; }

private:
    Notice m_notice;
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
    QSqlDatabase m_db;
    QSqlQuery m_query;
};

// Begin a write transaction (Engine::beginWrite: on SQLite it takes the write lock at once,
// so a second counter waits here on the busy timeout instead of failing on its first write),
// run the body, commit. On any Failure (or an engine error on begin/commit) the transaction
// is rolled back and the error's text returned; an empty text means committed. A database
// still held by another counter after the busy timeout gives BusyText, a line break and the
// engine's own text. A Refusal thrown by the body is handed out through refusal (when given),
// so the caller can show it as its own box. Callers show their success box only after this
// returns, so no box ever waits while the database is locked for the other counters.
QString transact(QSqlDatabase db, const std::function<void()>& body, std::optional<Notice>* refusal = nullptr);

// What the operator reads when the connection to the database server broke off (the server
// restarted, the network went): the server dropped the save, and the next operation connects
// again.
inline const QString LostText = QStringLiteral("与数据库服务器的连接已断开，本次操作没有保存；下一次操作将重新连接，请再试一次。");

// What the operator reads when the other counters kept the database past the busy timeout.
inline const QString BusyText = QStringLiteral("其他收银台正在保存，数据库暂时被占用，本次操作没有保存，请稍后再试一次。");

} // namespace Sql
