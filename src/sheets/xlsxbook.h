#pragma once

#include "sheets/xlsbook.h"

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// An Excel 2007+ workbook of one worksheet through libxlsxwriter: the titles in bold on the
// first row, then the data rows. The library writes to a file name and keeps rows in its own
// temporary files (constant memory), so the book is made in a temporary folder and its bytes
// copied to the device at the end.
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
    bool putRow(const QList<SheetCell>& cells, lxw_format* format, QString* error);
    void close();

    QStringList m_titles;
    int m_columns = 0;
    QTemporaryDir m_dir;
    QString m_path;
    QByteArray m_tmpdir; // must outlive the workbook, which keeps the pointer
    lxw_workbook* m_book = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_bold = nullptr;
    lxw_format* m_date = nullptr;
    quint32 m_row = 0; // the next row to write
    QList<int> m_widths;
};
