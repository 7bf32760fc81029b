#pragma once

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

Q_SIGNALS:
    void reopened();

private:
    QString m_connectionName;
    QString m_statement;
    QVariantList m_values;
    bool m_open = false;
};
