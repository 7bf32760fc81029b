#pragma once

#include "data/notice.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlRecord>
#include <QString>
#include <QVariantList>

#include <exception>
#include <functional>
#include <memory>
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

class Rows;

// Runs a statement: prepared once per connection and statement text (kept for the next run of
// the same text on that connection), every value bound positionally (through boundValue), then
// executed. Throws Failure with the engine's own text on any error. Values never become part
// of the statement text. The rows are read through the returned Rows; when they go, the
// statement is reset, so no statement stays open between two steps of an operation (an open
// one would hold a read snapshot, which makes this counter's next write fail once another
// counter has saved) and the prepared statement is ready for the next run.
Rows run(const QSqlDatabase& db, const QString& statement, const QVariantList& values = {});

// The first column of the first row, or an invalid QVariant when there is no row.
QVariant scalar(const QSqlDatabase& db, const QString& statement, const QVariantList& values = {});

// The result of one run: a forward-only walk over the rows (or the count a write changed).
class Rows
{
public:
    Rows(Rows&& other) noexcept;
    Rows& operator=(Rows&& other) noexcept;
    Rows(const Rows&) = delete;
    Rows& operator=(const Rows&) = delete;
    ~Rows();

    bool next();
    // A column of the current row by its position in the select list.
    QVariant value(int column) const;
    // By the column's name: slower, for statements read once.
    QVariant value(const QString& name) const;
    // The columns, with the current row's values.
    QSqlRecord record() const;
    int numRowsAffected() const;
    // Set when next() stopped on an engine error rather than after the last row.
    QSqlError lastError() const;
    // Resets the statement and hands it back before the object goes.
    void finish();

    struct Prepared;

private:
    friend Rows run(const QSqlDatabase&, const QString&, const QVariantList&);
    explicit Rows(std::shared_ptr<Prepared> prepared);
    std::shared_ptr<Prepared> m_prepared;
};

// Forgets the statements prepared on the connection: the engine calls it whenever it closes a
// connection or closes it to open it again, as a closed connection's statements are dead. (A
// connection removed altogether takes its statements with it.)
void forgetStatements(const QSqlDatabase& db);

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
