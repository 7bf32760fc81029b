#pragma once

#include "data/sqlrun.h"
#include "data/values.h"

#include <QIODevice>
#include <QHash>
#include <QList>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class SharedQuery;

// Saving a record list to a file for a spreadsheet or a word processor: plain text, CSV,
// HTML, RTF, Excel 97-2003 (BIFF8) and Excel 2007+ (XLSX). Every kind keeps Chinese text
// intact in the programs a shop opens it with.
namespace RecordExport {

// In the order of the save dialog's filter; the number is the kind's position there.
enum class Kind { Text = 1, Csv = 2, Html = 3, Rtf = 4, Xls = 5, Xlsx = 6 };

// "txt", "csv", "htm", "rtf", "xls", "xlsx".
QString extension(Kind kind);
// The save dialog's filter entries in order: "文本 (*.TXT)", "CSV (*.CSV)", "HTLM (*.HTM)",
// "RTF (*.RTF)", "XLS (*.XLS)", "XLSX (*.XLSX)".
QStringList filters();
// Appends "." + extension unless the name already ends in the extension's letters, compared
// without case and without looking for the point ("reportxls" stays as it is).
QString withExtension(const QString& fileName, Kind kind);

// A column as the list shows it, in on-screen order.
struct Column
{
    QString field;
    QString title;
    DisplayFormat format = DisplayFormat::Plain;
};

// The rows to write, read once from first to last; rows are never all held in memory.
class RowSource
{
public:
    virtual ~RowSource() = default;
    virtual qint64 rowCount() const = 0; // for the progress; -1 when unknown
    virtual bool next() = 0;             // moves to the next row; false after the last
    virtual QVariant value(const QString& field) const = 0;
    // The current row's values of the columns, in their order (what an export writes).
    virtual void read(const QList<Column>& columns, QVariantList* values) const;
    // Why next() stopped early, when it was an error rather than the last row.
    virtual QString error() const { return {}; }
};

// The rows of a shared list query, in the order its grid shows them.
class QueryRows : public RowSource
{
public:
    explicit QueryRows(const SharedQuery& query); // throws Failure on an engine error
    qint64 rowCount() const override { return m_count; }
    bool next() override;
    QVariant value(const QString& field) const override;
    void read(const QList<Column>& columns, QVariantList* values) const override;
    QString error() const override { return m_error; }

private:
    Sql::Rows m_rows;
    qint64 m_count = 0;
    QString m_error;
    QSqlRecord m_record;
    // The result's column of each export column, found once per export.
    mutable QList<int> m_at;
    mutable const QList<Column>* m_atFor = nullptr;
};

// Rows given in memory (tests, small lists).
class ListRows : public RowSource
{
public:
    explicit ListRows(QList<QVariantMap> rows) : m_rows(std::move(rows)) {}
    qint64 rowCount() const override { return m_rows.size(); }
    bool next() override { return ++m_at < m_rows.size(); }
    QVariant value(const QString& field) const override { return m_rows.at(m_at).value(field); }

private:
    QList<QVariantMap> m_rows;
    qsizetype m_at = -1;
};

// Called now and then with the rows written so far; returning false cancels the export.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Writes titles and every row to the device in the kind's format. A cell holds the value's
// display text (DisplayFormat); numbers (and points) go into spreadsheets as numbers. False
// with a reason when writing fails or the export was cancelled.
bool write(Kind kind, QIODevice& device, const QList<Column>& columns, RowSource& rows, const Progress& progress,
           QString* error);

// Writes the file through a temporary beside it, so a failed or cancelled export never
// leaves half a file in place of an older one.
bool writeFile(Kind kind, const QString& path, const QList<Column>& columns, RowSource& rows,
               const Progress& progress, QString* error);

} // namespace RecordExport
