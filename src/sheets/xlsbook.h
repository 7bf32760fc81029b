#pragma once

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>

#include <functional>

// One cell of a spreadsheet row as both workbook writers take it.
struct SheetCell
{
    enum class Type
    {
        Empty,
        Number,
        Text,
        Date
    };
    Type type = Type::Empty;
    double number = 0;
    QString text;
    QDate date;

    static SheetCell ofNumber(double value)
    {
        SheetCell cell;
        cell.type = Type::Number;
        cell.number = value;
        return cell;
    }
    static SheetCell ofText(QString text)
    {
        SheetCell cell;
        cell.type = Type::Text;
        cell.text = std::move(text);
        return cell;
    }
    static SheetCell ofDate(QDate date)
    {
        SheetCell cell;
        cell.type = Type::Date;
        cell.date = date;
        return cell;
    }
};

// Spreadsheets store a date as its day number. In the 1900 system day 1 is 1 January 1900 and
// day 60 is the 29 February 1900 that never was (kept for Lotus 1-2-3), so from day 61 on the
// count runs one ahead; the 1904 system (old Mac workbooks) counts from 1 January 1904.
namespace SheetDates {
// The date of a day number; the time of day (the fraction) is dropped. Day 60 reads as
// 1 March 1900. Invalid for numbers below 1 or past the year 9999.
QDate fromSerial(double serial, bool from1904 = false);
double toSerial(const QDate& date);
} // namespace SheetDates

// What both workbook writers do to a cell's text.
namespace SheetText {
// Widest line in character columns (a CJK character counts two), capped at `cap`: the width
// a column is given.
int width(const QString& text, int cap = 50);
// Cut to what one cell holds, never between the two halves of a surrogate pair.
QString clipped(const QString& text, qsizetype limit = 32767);
} // namespace SheetText

// The container of an Excel 97-2003 file: a compound file (version 3, 512-byte sectors)
// holding a single stream. The file is written front to back, so any device will do.
namespace CompoundFile {
inline constexpr int SectorSize = 512;
// Streams shorter than this belong in the mini stream, which is not written here: the
// caller pads its stream up to this size.
inline constexpr qint64 MiniStreamCutoff = 4096;

// Writes the header, then calls body, which must write exactly size bytes of the stream to
// the device (false when it failed, with the reason in *error), then the directory and the
// sector tables. Tables beyond what the header holds go into DIFAT sectors.
bool write(QIODevice& device, const QString& streamName, qint64 size, const std::function<bool()>& body,
           QString* error);
} // namespace CompoundFile

// An Excel 97-2003 (BIFF8) workbook written row by row: the titles in bold on the first row,
// then the data rows. Cell records wait in a temporary file and the strings in one shared
// table, because the workbook's globals (which hold that table and where each sheet starts)
// come before the sheets in the file.
class XlsBook
{
public:
    static constexpr int MaxSheetRows = 65536;
    static constexpr int MaxColumns = 256;
    static constexpr int MaxTextLength = 32767;

    // rowsPerSheet counts the title row. A sheet that is full continues on a new one,
    // which starts with the titles again.
    explicit XlsBook(QStringList titles, int rowsPerSheet = MaxSheetRows);
    ~XlsBook();
    XlsBook(const XlsBook&) = delete;
    XlsBook& operator=(const XlsBook&) = delete;

    bool addRow(const QList<SheetCell>& cells, QString* error);
    // Writes the whole workbook to the device; a book without rows still has its titles.
    bool finish(QIODevice& device, QString* error);

    int sheetCount() const { return int(m_sheets.size()); }

private:
    struct Sheet
    {
        qint64 begin = 0; // cell records in the temporary file
        qint64 end = 0;
        quint32 rows = 0;
    };

    bool startSheet(QString* error);
    void putRow(quint16 row, const QList<SheetCell>& cells, quint16 xf);
    quint32 stringIndex(const QString& text);
    void noteWidth(int column, int width);
    bool flushPending(QString* error);
    QByteArray globals(QList<qsizetype>* sheetOffsetAt) const;
    QByteArray sharedStrings(qint64 streamPosition) const;
    QByteArray sheetHead(const Sheet& sheet) const;
    QByteArray sheetTail(int index) const;
    bool copyCells(QIODevice& device, const Sheet& sheet, QString* error);

    QStringList m_titles;
    int m_columns = 0;
    int m_rowsPerSheet = MaxSheetRows;
    QTemporaryFile m_cells;
    QByteArray m_pending; // cell records not yet in the temporary file
    qint64 m_cellBytes = 0;
    QList<Sheet> m_sheets;
    QHash<QString, quint32> m_stringIndex;
    QStringList m_strings;
    quint32 m_stringUses = 0;
    QList<int> m_widths; // in characters, a Chinese one counting two
};
