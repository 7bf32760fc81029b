#include "sheets/recordexport.h"

#include "data/sharedquery.h"
#include "sheets/xlsbook.h"
#include "sheets/pipeline.h"
#include "sheets/utf8out.h"
#include "sheets/xlsxbook.h"

#include <QDir>
#include <QFileDevice>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlRecord>

#include <algorithm>
#include <charconv>
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

void RowSource::read(const QList<Column>& columns, QVariantList* values) const
{
    for (qsizetype i = 0; i < columns.size(); ++i)
        (*values)[i] = value(columns.at(i).field);
}

QueryRows::QueryRows(const SharedQuery& query) : m_rows(query.runForward()), m_count(query.totalRows())
{
    m_record = m_rows.record();
}

bool QueryRows::next()
{
    if (m_rows.next())
        return true;
    // An engine error would otherwise pass for the end of the list and a short file for success.
    if (m_rows.lastError().isValid())
        m_error = m_rows.lastError().text();
    m_rows.finish();
    return false;
}

QVariant QueryRows::value(const QString& field) const
{
    const int at = m_record.indexOf(field);
    return at < 0 ? QVariant() : m_rows.value(at);
}

void QueryRows::read(const QList<Column>& columns, QVariantList* values) const
{
    if (m_atFor != &columns || m_at.size() != columns.size()) {
        m_at.clear();
        for (const Column& c : columns)
            m_at << m_record.indexOf(c.field);
        m_atFor = &columns;
    }
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const int at = m_at.at(i);
        (*values)[i] = at < 0 ? QVariant() : m_rows.value(at);
    }
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
    Output& operator<<(char c)
    {
        m_buffer += c;
        return *this;
    }
    // Where a field's text is encoded straight into.
    QByteArray& buffer() { return m_buffer; }
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

constexpr qsizetype BatchRows = 256;

// How a kind's rows are written: where the reading thread does it, or on a writing thread of
// their own (a Pipeline). That pays for kinds whose rows cost as much to write as to read (RTF,
// XLS); for the light ones handing each row across costs more than it saves.
enum class Writing { Inline, Alongside };

// Reads every row once, in order, with the progress every so many rows and at the end, and
// hands each to take, its values in column order. False from take stops with take's own reason.
bool eachRow(RowSource& rows, const QList<Column>& columns, const Progress& progress, QString* error,
             const std::function<bool(const QVariantList&)>& take, Writing writing = Writing::Inline)
{
    if (writing == Writing::Inline) {
        const qint64 total = rows.rowCount();
        qint64 done = 0;
        qint64 reported = -1;
        QVariantList values(columns.size());
        while (rows.next()) {
            rows.read(columns, &values);
            if (!take(values))
                return false;
            ++done;
            if (done % ProgressEvery == 0 && progress) {
                reported = done;
                if (!progress(done, total)) {
                    setError(error, u"导出已取消"_s);
                    return false;
                }
            }
        }
        if (!rows.error().isEmpty()) {
            setError(error, rows.error());
            return false;
        }
        if (progress && reported != done && !progress(done, total)) {
            setError(error, u"导出已取消"_s);
            return false;
        }
        return true;
    }

    const qint64 total = rows.rowCount();
    qint64 done = 0;
    qint64 reported = -1;
    bool cancelled = false;
    bool written = true;
    {
        // Reading a row through the engine's driver costs about as much as writing it in these
        // kinds, and the two run side by side this way.
        Pipeline<QList<QVariantList>> pipe(
            [&](QList<QVariantList>& rows) {
                for (const QVariantList& row : std::as_const(rows)) {
                    if (!take(row))
                        return false;
                }
                return true;
            },
            {}, 8);
        QList<QVariantList> batch;
        batch.reserve(BatchRows);
        while (rows.next()) {
            QVariantList values(columns.size());
            rows.read(columns, &values);
            batch.append(std::move(values));
            ++done;
            if (batch.size() == BatchRows) {
                if (!pipe.push(std::move(batch))) {
                    written = false;
                    break;
                }
                batch = {};
                batch.reserve(BatchRows);
            }
            if (done % ProgressEvery == 0 && progress) {
                reported = done;
                if (!progress(done, total)) {
                    cancelled = true;
                    break;
                }
            }
        }
        if (written && !cancelled && !batch.isEmpty())
            written = pipe.push(std::move(batch));
        written = pipe.close() && written;
    }
    if (!written)
        return false;
    if (cancelled || (progress && reported != done && rows.error().isEmpty() && !progress(done, total))) {
        setError(error, u"导出已取消"_s);
        return false;
    }
    if (!rows.error().isEmpty()) {
        setError(error, rows.error());
        return false;
    }
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
    if (!text.contains(u'\r'))
        return text;
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

// A line break in a field, as CRLF, CR or LF, is written once as `lineBreak`; tabs as `tab`
// (as they are when there is none).
template <qsizetype B, qsizetype T, class Escape>
void appendField(QByteArray& out, QStringView text, const char (&lineBreak)[B], const char (&tab)[T], Escape escape,
                 char lead = 0)
{
    bool afterCr = false;
    Utf8Out::append(
        out, text,
        [&](char16_t u, char*& at) {
            const bool joined = afterCr;
            afterCr = u == u'\r';
            if (u == u'\r' || (u == u'\n' && !joined)) {
                Utf8Out::put(at, lineBreak);
                return true;
            }
            if (u == u'\n')
                return true;
            if (u == u'\t' && T > 1) {
                Utf8Out::put(at, tab);
                return true;
            }
            return escape(u, at);
        },
        lead);
}

bool noEscape(char16_t, char*&)
{
    return false;
}

// Text kind: one line a row, so breaks and tabs inside a field become blanks.
void plainField(QByteArray& out, QStringView text, char lead)
{
    appendField(out, text, " ", " ", noEscape, lead);
}

void csvField(QByteArray& out, QStringView text, char lead)
{
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n') {
            quoted = true;
            break;
        }
    }
    if (!quoted) {
        Utf8Out::append(out, text, lead);
        return;
    }
    if (lead)
        out.append(lead);
    out.append('"');
    Utf8Out::append(out, text, [](char16_t u, char*& at) {
        if (u != u'"')
            return false;
        Utf8Out::put(at, "\"\"");
        return true;
    });
    out.append('"');
}

// Text and CSV: one line of titles, then one line a row, fields joined by the separator.
bool writeDelimited(QIODevice& device, const QList<Column>& columns, RowSource& rows, const Progress& progress,
                    QString* error, char separator, void (*field)(QByteArray&, QStringView, char lead))
{
    Output out(device);
    out << Bom;
    for (qsizetype i = 0; i < columns.size(); ++i)
        field(out.buffer(), columns.at(i).title, i > 0 ? separator : 0);
    out << "\r\n";
    const bool ok = eachRow(rows, columns, progress, error, [&](const QVariantList& values) {
        for (qsizetype i = 0; i < columns.size(); ++i)
            field(out.buffer(), cellText(values.at(i), columns.at(i)), i > 0 ? separator : 0);
        out << "\r\n";
        return out.step(error);
    });
    return ok && out.flush(error);
}

void htmlText(QByteArray& out, QStringView text)
{
    appendField(out, text, "<br>", "", [](char16_t u, char*& at) {
        if (Utf8Out::escapeMarkup(u, at))
            return true;
        switch (u) {
        case u'"':
            Utf8Out::put(at, "&quot;");
            return true;
        case u'\'':
            Utf8Out::put(at, "&#39;");
            return true;
        default:
            return false;
        }
    });
}

bool writeHtml(QIODevice& device, const QList<Column>& columns, RowSource& rows, const Progress& progress,
               QString* error)
{
    Output out(device);
    out << "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
        << u"<title>导出数据</title>\r\n"_s << "</head>\r\n<body>\r\n<table border=\"1\">\r\n<tr>";
    for (const Column& c : columns) {
        out << "<th>";
        htmlText(out.buffer(), c.title);
        out << "</th>";
    }
    out << "</tr>\r\n";
    const bool ok = eachRow(rows, columns, progress, error, [&](const QVariantList& values) {
        out << "<tr>";
        for (qsizetype i = 0; i < columns.size(); ++i) {
            out << "<td>";
            htmlText(out.buffer(), cellText(values.at(i), columns.at(i)));
            out << "</td>";
        }
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
void rtfText(QByteArray& rtf, QStringView text)
{
    bool afterCr = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool joined = afterCr;
        afterCr = u == u'\r';
        if (u == u'\\' || u == u'{' || u == u'}') {
            rtf += '\\';
            rtf += char(u);
        } else if (u == u'\r' || (u == u'\n' && !joined)) {
            rtf += "\\line ";
        } else if (u == u'\n') {
            continue;
        } else if (u == u'\t') {
            rtf += "\\tab ";
        } else if (u < 0x20 || u == 0x7F) {
            continue; // other control characters have no meaning in a document
        } else if (u < 0x80) {
            rtf += char(u);
        } else {
            char code[16] = {'\\', 'u'};
            char* end = std::to_chars(code + 2, code + sizeof code - 1, int(qint16(u))).ptr;
            *end++ = '?';
            rtf.append(code, end - code);
        }
    }
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
    for (const Column& c : columns) {
        out << "\\pard\\intbl{\\b ";
        rtfText(out.buffer(), c.title);
        out << "}\\cell ";
    }
    out << "\\row\r\n";
    const bool ok = eachRow(rows, columns, progress, error, [&](const QVariantList& values) {
        out << rowStart << cells << "\r\n";
        for (qsizetype i = 0; i < columns.size(); ++i) {
            out << "\\pard\\intbl ";
            rtfText(out.buffer(), cellText(values.at(i), columns.at(i)));
            out << "\\cell ";
        }
        out << "\\row\r\n";
        return out.step(error);
    }, Writing::Alongside);
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
    }, Writing::Alongside);
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
        ok = writeDelimited(device, columns, rows, progress, error, '\t', plainField);
        break;
    case Kind::Csv:
        ok = writeDelimited(device, columns, rows, progress, error, ',', csvField);
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
