#pragma once

#include "sheets/xlsbook.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// An Excel 2007+ workbook of one worksheet: the titles in bold on the first row, then the data
// rows, every text as an inline string (no table of all strings in memory). The rows' XML is
// compressed as it is made, on a thread of its own (zlib's fastest level: the XML is large and
// repetitive, and a higher level costs several times the time for a slightly smaller file),
// into a temporary file, so memory stays the same however many rows there are; finish() puts
// the parts together through libzip and copies the workbook to the device.
class XlsxBook
{
public:
    static constexpr int MaxRows = 1048576;
    static constexpr int MaxColumns = 16384;
    static constexpr int MaxTextLength = 32767;

    explicit XlsxBook(QStringList titles);
    ~XlsxBook();
    XlsxBook(const XlsxBook&) = delete;
    XlsxBook& operator=(const XlsxBook&) = delete;

    bool addRow(const QList<SheetCell>& cells, QString* error);
    bool finish(QIODevice& device, QString* error);

private:
    bool open(QString* error);
    void putRow(const QList<SheetCell>& cells, bool titles);
    bool flush(QString* error);
    QByteArray sheetHead() const;

    class RowDeflater;

    QStringList m_titles;
    int m_columns = 0;
    QTemporaryDir m_dir;
    QFile m_rows;          // the rows' XML, compressed, in order
    QByteArray m_pending;  // rows not yet handed to the deflater
    std::unique_ptr<RowDeflater> m_deflater;
    quint32 m_row = 0;     // rows written, the titles included
    QList<QByteArray> m_letters; // column letters: A, B, …, AA, …
    QList<int> m_widths;         // in characters, a Chinese one counting two
};
