#include "sheets/recordexport.h"

#include "data/sharedquery.h"
#include "sheets/xlsbook.h"
#include "sheets/xlsxbook.h"

#include <QDir>
#include <QFileDevice>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlRecord>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace RecordExport {

QString extension(Kind kind)
{
    switch (kind) {
    case Kind::Text:
        return u"txt"_s;
    case Kind::Csv:
        return u"csv"_s;
    case Kind::Html:
        return u"htm"_s;
    case Kind::Rtf:
        return u"rtf"_s;
    case Kind::Xls:
        return u"xls"_s;
    case Kind::Xlsx:
        return u"xlsx"_s;
    }
    return {};
}

QStringList filters()
{
    return {u"文本 (*.TXT)"_s, u"CSV (*.CSV)"_s, u"HTLM (*.HTM)"_s,
            u"RTF (*.RTF)"_s,  u"XLS (*.XLS)"_s, u"XLSX (*.XLSX)"_s};
}

QString withExtension(const QString& fileName, Kind kind)
{
    const QString ext = extension(kind);
    if (fileName.right(ext.size()).compare(ext, Qt::CaseInsensitive) == 0)
        return fileName;
    return fileName + u'.' + ext;
}

QueryRows::QueryRows(const SharedQuery& query) : m_query(query.runForward()), m_count(query.totalRows()) {}

bool QueryRows::next()
{
    if (m_query.next())
        return true;
    // An engine error would otherwise pass for the end of the list and a short file for success.
    if (m_query.lastError().isValid())
        m_error = m_query.lastError().text();
    return false;
}

QVariant QueryRows::value(const QString& field) const
{
    auto it = m_columns.constFind(field);
    if (it == m_columns.cend())
        it = m_columns.insert(field, m_query.record().indexOf(field));
    return *it < 0 ? QVariant() : m_query.value(*it);
}

namespace {

constexpr qint64 ProgressEvery = 500;
constexpr qsizetype FlushAt = 64 * 1024;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString writeFailed(const QIODevice& device)
{
    return u"写入文件失败："_s + device.errorString();
}

// Collects the text of a streaming kind and hands it to the device in large pieces; the
// first failure is kept as the reason.
class Output
{
public:
    explicit Output(QIODevice& device) : m_device(device) {}

    Output& operator<<(const QByteArray& bytes)
    {
        m_buffer += bytes;
        return *this;
    }
    Output& operator<<(const QString& text)
    {
        m_buffer += text.toUtf8();
        return *this;
    }
    Output& operator<<(const char* ascii)
    {
        m_buffer += ascii;
        return *this;
    }
    // Hands the text over once enough has gathered.
    bool step(QString* error) { return m_buffer.size() < FlushAt || flush(error); }
    bool flush(QString* error)
    {
        if (m_buffer.isEmpty())
            return true;
        if (m_device.write(m_buffer) != m_buffer.size()) {
            setError(error, writeFailed(m_device));
            return false;
        }
        m_buffer.clear();
        return true;
    }

private:
    QIODevice& m_device;
    QByteArray m_buffer;
};

// Reads every row once, in order, with the progress every so many rows and at the end. take
// gets the row's values in column order; false from it stops with its own reason.
bool eachRow(RowSource& rows, const QList<Column>& columns, const Progress& progress, QString* error,
             const std::function<bool(const QVariantList&)>& take)
{
    const qint64 total = rows.rowCount();
    const auto cancelled = [&] {
        setError(error, u"导出已取消"_s);
        return false;
    };
    qint64 done = 0;
    qint64 reported = -1;
    QVariantList values(columns.size());
    while (rows.next()) {
        for (qsizetype i = 0; i < columns.size(); ++i)
            values[i] = rows.value(columns.at(i).field);
        if (!take(values))
            return false;
        ++done;
        if (done % ProgressEvery == 0 && progress) {
            reported = done;
            if (!progress(done, total))
                return cancelled();
        }
    }
    if (!rows.error().isEmpty()) {
        setError(error, rows.error());
        return false;
    }
    if (progress && reported != done && !progress(done, total))
        return cancelled();
    return true;
}

QStringList titlesOf(const QList<Column>& columns)
{
    QStringList titles;
    for (const Column& c : columns)
        titles << c.title;
    return titles;
}

QString cellText(const QVariant& value, const Column& column)
{
    return Values::displayText(value, column.format);
}

// One line break whatever the source wrote: CRLF, CR or LF.
QString unifiedBreaks(QString text)
{
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text;
}

bool isNumberType(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// What a spreadsheet cell holds: numbers stored as numbers (points at two decimals), the rest
// as the list shows it. A whole number past 15 digits stays text, as a spreadsheet would
// lose its last digits.
SheetCell sheetCell(const QVariant& value, const Column& column)
{
    if (value.isNull())
        return {};
    if (column.format != DisplayFormat::YesNo && isNumberType(value)) {
        double number = value.toDouble();
        const bool whole = value.typeId() != QMetaType::Double && value.typeId() != QMetaType::Float;
        if (std::isfinite(number) && !(whole && std::fabs(number) > 999999999999999.0)) {
            if (column.format == DisplayFormat::Points) {
                number = std::round(number * 100.0) / 100.0;
                if (number == 0.0)
                    number = 0.0; // no -0
            }
            return SheetCell::ofNumber(number);
        }
    }
    const QString text = cellText(value, column);
    return text.isEmpty() ? SheetCell() : SheetCell::ofText(unifiedBreaks(text));
}

// ---------------------------------------------------------------------------------------

const QByteArray Bom = QByteArrayLiteral("\xEF\xBB\xBF");

QString plainField(QString text)
{
    text = unifiedBreaks(std::move(text));
    text.replace(u'\n', u' ');
    text.replace(u'\t', u' ');
    return text;
}

QString csvField(const QString& text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString quoted = text;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

// Text and CSV: one line of titles, then one line a row, fields joined by the separator.
bool writeDelimited(QIODevice& device, const QList<Column>& columns, RowSource& rows, const Progress& progress,
                    QString* error, QChar separator, QString (*field)(const QString&))
{
    Output out(device);
    out << Bom;
    QStringList line;
    for (const Column& c : columns)
        line << field(c.title);
    out << line.join(separator) << "\r\n";
    const bool ok = eachRow(rows, columns, progress, error, [&](const QVariantList& values) {
        line.clear();
        for (qsizetype i = 0; i < columns.size(); ++i)
            line << field(cellText(values.at(i), columns.at(i)));
        out << line.join(separator) << "\r\n";
        return out.step(error);
    });
    return ok && out.flush(error);
}

QString htmlText(const QString& text)
{
    QString html;
    html.reserve(text.size() + 16);
    const QString unified = unifiedBreaks(text);
    for (const QChar c : unified) {
        switch (c.unicode()) {
        case u'&':
            html += u"&amp;"_s;
            break;
        case u'<':
            html += u"&lt;"_s;
            break;
        case u'>':
            html += u"&gt;"_s;
            break;
        case u'"':
            html += u"&quot;"_s;
            break;
        case u'\'':
            html += u"&#39;"_s;
            break;
        case u'\n':
            html += u"<br>"_s;
            break;
        default:
            html += c;
        }
    }
    return html;
}

bool writeHtml(QIODevice& device, const QList<Column>& columns, RowSource& rows, const Progress& progress,
               QString* error)
{
    Output out(device);
    out << "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
        << u"<title>导出数据</title>\r\n"_s << "</head>\r\n<body>\r\n<table border=\"1\">\r\n<tr>";
    for (const Column& c : columns)
        out << "<th>" << htmlText(c.title) << "</th>";
    out << "</tr>\r\n";
    const bool ok = eachRow(rows, columns, progress, error, [&](const QVariantList& values) {
        out << "<tr>";
        for (qsizetype i = 0; i < columns.size(); ++i)
            out << "<td>" << htmlText(cellText(values.at(i), columns.at(i))) << "</td>";
        out << "</tr>\r\n";
        return out.step(error);
    });
    if (!ok)
        return false;
    out << "</table>\r\n</body>\r\n</html>\r\n";
    return out.flush(error);
}

// RTF is 7-bit: everything past ASCII goes as \uN? with N the signed 16-bit UTF-16 unit, so a
// character past the first plane is its two surrogates.
QByteArray rtfText(const QString& text)
{
    QByteArray rtf;
    rtf.reserve(text.size() + 16);
    const QString unified = unifiedBreaks(text);
    for (const QChar c : unified) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            rtf += '\\';
            rtf += char(u);
        } else if (u == u'\n') {
            rtf += "\\line ";
        } else if (u == u'\t') {
            rtf += "\\tab ";
        } else if (u < 0x20 || u == 0x7F) {
            continue; // other control characters have no meaning in a document
        } else if (u < 0x80) {
            rtf += char(u);
        } else {
            rtf += "\\u" + QByteArray::number(qint16(u)) + '?';
        }
    }
    return rtf;
}

int displayWidth(const QString& text)
{
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() >= 0x2E80 ? 2 : 1;
    return width;
}

bool writeRtf(QIODevice& device, const QList<Column>& columns, RowSource& rows, const Progress& progress,
              QString* error)
{
    // Widths come from the titles: the rows are not known before they are written.
    QByteArray cells;
    int right = 0;
    for (const Column& c : columns) {
        right += std::clamp((displayWidth(c.title) + 4) * 110, 900, 3600);
        cells += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10"
                 "\\clbrdrr\\brdrs\\brdrw10\\cellx" +
                 QByteArray::number(right);
    }
    const QByteArray rowStart = "\\trowd\\trgaph70\\trleft0";

    Output out(device);
    out << "{\\rtf1\\ansi\\ansicpg936\\deff0 {\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}\r\n"
           "\\uc1\\pard\\plain\\f0\\fs20\r\n";
    // The title row repeats at the top of every printed page.
    out << rowStart << "\\trhdr" << cells << "\r\n";
    for (const Column& c : columns)
        out << "\\pard\\intbl{\\b " << rtfText(c.title) << "}\\cell ";
    out << "\\row\r\n";
    const bool ok = eachRow(rows, columns, progress, error, [&](const QVariantList& values) {
        out << rowStart << cells << "\r\n";
        for (qsizetype i = 0; i < columns.size(); ++i)
            out << "\\pard\\intbl " << rtfText(cellText(values.at(i), columns.at(i))) << "\\cell ";
        out << "\\row\r\n";
        return out.step(error);
    });
    if (!ok)
        return false;
    out << "\\pard\\par\r\n}\r\n";
    return out.flush(error);
}

bool writeXls(QIODevice& device, const QList<Column>& columns, RowSource& rows, const Progress& progress,
              QString* error)
{
    if (columns.size() > XlsBook::MaxColumns) {
        setError(error, u"Excel 97-2003 工作表最多 %1 列，这份列表有 %2 列，请改存为 XLSX。"_s
                            .arg(XlsBook::MaxColumns)
                            .arg(columns.size()));
        return false;
    }
    XlsBook book(titlesOf(columns));
    QList<SheetCell> cells(columns.size());
    const bool ok = eachRow(rows, columns, progress, error, [&](const QVariantList& values) {
        for (qsizetype i = 0; i < columns.size(); ++i)
            cells[i] = sheetCell(values.at(i), columns.at(i));
        return book.addRow(cells, error);
    });
    return ok && book.finish(device, error);
}

bool writeXlsx(QIODevice& device, const QList<Column>& columns, RowSource& rows, const Progress& progress,
               QString* error)
{
    if (columns.size() > XlsxBook::MaxColumns) {
        setError(
            error,
            u"XLSX 工作表最多 %1 列，这份列表有 %2 列。"_s.arg(XlsxBook::MaxColumns).arg(columns.size()));
        return false;
    }
    XlsxBook book(titlesOf(columns));
    QList<SheetCell> cells(columns.size());
    const bool ok = eachRow(rows, columns, progress, error, [&](const QVariantList& values) {
        for (qsizetype i = 0; i < columns.size(); ++i)
            cells[i] = sheetCell(values.at(i), columns.at(i));
        return book.addRow(cells, error);
    });
    return ok && book.finish(device, error);
}

} // namespace

bool write(Kind kind, QIODevice& device, const QList<Column>& columns, RowSource& rows,
           const Progress& progress, QString* error)
{
    if (!device.isWritable()) {
        setError(error, writeFailed(device));
        return false;
    }
    bool ok = false;
    switch (kind) {
    case Kind::Text:
        ok = writeDelimited(device, columns, rows, progress, error, u'\t', [](const QString& t) { return plainField(t); });
        break;
    case Kind::Csv:
        ok = writeDelimited(device, columns, rows, progress, error, u',', csvField);
        break;
    case Kind::Html:
        ok = writeHtml(device, columns, rows, progress, error);
        break;
    case Kind::Rtf:
        ok = writeRtf(device, columns, rows, progress, error);
        break;
    case Kind::Xls:
        ok = writeXls(device, columns, rows, progress, error);
        break;
    case Kind::Xlsx:
        ok = writeXlsx(device, columns, rows, progress, error);
        break;
    }
    // A file keeps the last bytes in its own buffer; a full disk shows only when they go.
    if (ok) {
        if (auto* file = qobject_cast<QFileDevice*>(&device); file && !file->flush()) {
            setError(error, writeFailed(device));
            return false;
        }
    }
    return ok;
}

bool writeFile(Kind kind, const QString& path, const QList<Column>& columns, RowSource& rows,
               const Progress& progress, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, u"无法写入文件 %1：%2"_s.arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    if (!write(kind, file, columns, rows, progress, error)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        setError(error, u"保存文件失败：%1"_s.arg(file.errorString()));
        return false;
    }
    return true;
}

} // namespace RecordExport
