#include "sheets/xlsxbook.h"

#include <QDir>

#include "sheets/pipeline.h"
#include "sheets/utf8out.h"

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int MaxWidth = 50;
constexpr qsizetype FlushAt = 1 << 20;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QByteArray columnLetters(int column)
{
    QByteArray letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(char('A' + (n - 1) % 26));
    return letters;
}

void appendNumber(QByteArray& out, quint32 value)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end - digits);
}

// The shortest text that reads back as the same double.
void appendNumber(QByteArray& out, double value)
{
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end - digits);
}

// Text as XML element content in UTF-8. The characters XML 1.0 cannot hold (control
// characters other than tab and line break) are written the way Excel writes them, as
// _xHHHH_, which every spreadsheet program reads back as the character.
void appendText(QByteArray& out, QStringView text)
{
    Utf8Out::append(out, text, [](char16_t u, char*& at) {
        if (Utf8Out::escapeMarkup(u, at))
            return true;
        if ((u >= 0x20 && u != 0x7F) || u == u'\t' || u == u'\n')
            return false;
        static const char hex[] = "0123456789ABCDEF";
        const char escaped[] = {'_', 'x', '0', '0', hex[u >> 4], hex[u & 15], '_', 0};
        Utf8Out::put(at, escaped);
        return true;
    });
}

// One piece of a raw deflate stream (no zlib header) at zlib's fastest level: a last piece
// ends the stream, any other ends on a byte boundary without ending it, so the pieces made
// one after another (the sheet's head, its rows, its tail) follow each other as one stream.
class Deflate
{
public:
    Deflate() { m_ok = deflateInit2(&m_z, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK; }
    ~Deflate() { deflateEnd(&m_z); }
    Deflate(const Deflate&) = delete;
    Deflate& operator=(const Deflate&) = delete;

    // Compresses the bytes and hands the output to `put`; false on a zlib error or when put
    // fails. `flush`: Z_NO_FLUSH, Z_SYNC_FLUSH (the piece ends) or Z_FINISH (the stream ends).
    template <class Put> bool feed(const char* data, qsizetype size, int flush, const Put& put)
    {
        if (!m_ok)
            return false;
        // (zlib takes a null buffer as a request for the initial value.)
        if (size > 0)
            m_crc = crc32(m_crc, reinterpret_cast<const Bytef*>(data), uInt(size));
        m_in += size;
        m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        m_z.avail_in = uInt(size);
        char out[1 << 16];
        do {
            m_z.next_out = reinterpret_cast<Bytef*>(out);
            m_z.avail_out = sizeof out;
            const int rc = deflate(&m_z, flush);
            if (rc == Z_STREAM_ERROR)
                return m_ok = false;
            const qsizetype made = qsizetype(sizeof out - m_z.avail_out);
            m_out += made;
            if (made > 0 && !put(out, made))
                return m_ok = false;
        } while (m_z.avail_out == 0 || m_z.avail_in > 0);
        return true;
    }
    quint32 crc() const { return quint32(m_crc); }
    qint64 in() const { return m_in; }
    qint64 out() const { return m_out; }

private:
    z_stream m_z{};
    bool m_ok = false;
    uLong m_crc = crc32(0, nullptr, 0);
    qint64 m_in = 0;
    qint64 m_out = 0;
};

// A piece made at once, in memory: the sheet's head and tail.
struct Piece
{
    QByteArray bytes;
    quint32 crc = 0;
    qint64 size = 0;
};
Piece deflated(const QByteArray& data, int flush)
{
    Piece piece;
    Deflate d;
    d.feed(data.constData(), data.size(), flush, [&](const char* out, qsizetype n) {
        piece.bytes.append(out, n);
        return true;
    });
    piece.crc = d.crc();
    piece.size = d.in();
    return piece;
}

} // namespace

// The rows' XML compressed on a thread of its own while the next rows are read and written,
// into the temporary file, the piece ended on a byte boundary after the last chunk.
class XlsxBook::RowDeflater
{
public:
    explicit RowDeflater(QFile& file)
        : m_file(file),
          m_pipeline([this](QByteArray& chunk) { return feed(chunk.constData(), chunk.size(), Z_NO_FLUSH); },
                     [this] { return feed(nullptr, 0, Z_SYNC_FLUSH); })
    {
    }

    bool push(QByteArray chunk, QString* error) { return m_pipeline.push(std::move(chunk)) || failed(error); }
    // Every chunk compressed and the piece ended.
    bool finish(QString* error) { return m_pipeline.close() || failed(error); }
    quint32 crc() const { return m_deflate.crc(); }
    qint64 size() const { return m_deflate.in(); }
    qint64 compressed() const { return m_deflate.out(); }

private:
    bool feed(const char* data, qsizetype size, int flush)
    {
        return m_deflate.feed(data, size, flush, [this](const char* out, qsizetype n) { return m_file.write(out, n) == n; });
    }
    bool failed(QString* error)
    {
        setError(error, u"写入临时文件失败："_s + m_file.errorString());
        return false;
    }

    QFile& m_file;
    Deflate m_deflate;
    Pipeline<QByteArray> m_pipeline; // last: its thread starts once the rest is made
};

namespace {

const QByteArray XmlHead = QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n");

const QByteArray ContentTypes = XmlHead + QByteArrayLiteral(
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
    "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
    "<Override PartName=\"/xl/styles.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
    "<Override PartName=\"/docProps/app.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/>"
    "</Types>");

const QByteArray PackageRelations = XmlHead + QByteArrayLiteral(
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"xl/workbook.xml\"/>"
    "<Relationship Id=\"rId2\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties\" "
    "Target=\"docProps/app.xml\"/>"
    "</Relationships>");

const QByteArray AppProperties = XmlHead + QByteArrayLiteral(
    "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\">"
    "<Application>Quorvane</Application></Properties>");

const QByteArray Workbook = XmlHead + QByteArrayLiteral(
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<bookViews><workbookView/></bookViews>"
    "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");

const QByteArray WorkbookRelations = XmlHead + QByteArrayLiteral(
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
    "Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
    "Target=\"styles.xml\"/></Relationships>");

// Cell formats: 0 plain, 1 bold (the titles), 2 a date as yyyy-mm-dd.
const QByteArray Styles = XmlHead + QByteArrayLiteral(
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"yyyy\\-mm\\-dd\"/></numFmts>"
    "<fonts count=\"2\">"
    "<font><sz val=\"11\"/><name val=\"宋体\"/><family val=\"2\"/><charset val=\"134\"/></font>"
    "<font><b/><sz val=\"11\"/><name val=\"宋体\"/><family val=\"2\"/><charset val=\"134\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
    "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"3\">"
    "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
    "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/>"
    "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
    "</cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>");

const QByteArray SheetTail = QByteArrayLiteral("</sheetData></worksheet>");

// The worksheet as libzip copies it into the archive, already compressed: the head made at the
// end (it holds the dimension and the column widths), the rows from the temporary file, the
// tail. libzip takes data whose method, size and checksum the source states as it is.
struct SheetStream
{
    Piece head;
    QFile* rows = nullptr;
    qint64 rowBytes = 0; // compressed, in the file
    Piece tail;
    quint32 crc = 0;
    qint64 size = 0; // uncompressed
    qint64 at = 0;
    zip_error_t error;

    qint64 compressedSize() const { return head.bytes.size() + rowBytes + tail.bytes.size(); }

    zip_int64_t read(char* into, zip_uint64_t wanted)
    {
        const qint64 headEnd = head.bytes.size();
        const qint64 rowsEnd = headEnd + rowBytes;
        zip_int64_t done = 0;
        while (done < zip_int64_t(wanted) && at < compressedSize()) {
            const qint64 left = qint64(wanted) - done;
            qint64 n = 0;
            if (at < headEnd) {
                n = std::min<qint64>(left, headEnd - at);
                std::memcpy(into + done, head.bytes.constData() + at, size_t(n));
            } else if (at < rowsEnd) {
                n = rows->read(into + done, std::min<qint64>(left, rowsEnd - at));
                if (n <= 0) {
                    zip_error_set(&error, ZIP_ER_READ, EIO);
                    return -1;
                }
            } else {
                n = std::min<qint64>(left, compressedSize() - at);
                std::memcpy(into + done, tail.bytes.constData() + (at - rowsEnd), size_t(n));
            }
            at += n;
            done += n;
        }
        return done;
    }

    static zip_int64_t callback(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        auto* s = static_cast<SheetStream*>(self);
        switch (command) {
        case ZIP_SOURCE_OPEN:
            s->at = 0;
            if (!s->rows->seek(0)) {
                zip_error_set(&s->error, ZIP_ER_SEEK, EIO);
                return -1;
            }
            return 0;
        case ZIP_SOURCE_READ:
            return s->read(static_cast<char*>(data), length);
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_FREE:
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            st->size = zip_uint64_t(s->size);
            st->comp_size = zip_uint64_t(s->compressedSize());
            st->comp_method = ZIP_CM_DEFLATE;
            st->crc = s->crc;
            st->mtime = std::time(nullptr);
            st->valid |= ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC | ZIP_STAT_MTIME;
            return sizeof(*st);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&s->error, data, length);
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            zip_error_set(&s->error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }
};

QString zipFailed(zip_t* zip)
{
    return u"生成 XLSX 文件失败："_s + QString::fromUtf8(zip_strerror(zip));
}

} // namespace

XlsxBook::XlsxBook(QStringList titles) : m_titles(std::move(titles))
{
    m_columns = int(std::min<qsizetype>(m_titles.size(), MaxColumns));
    m_widths.resize(m_columns);
    for (int c = 0; c < m_columns; ++c) {
        m_widths[c] = SheetText::width(m_titles.at(c), MaxWidth);
        m_letters << columnLetters(c);
    }
}

XlsxBook::~XlsxBook() = default;

bool XlsxBook::open(QString* error)
{
    if (m_rows.isOpen())
        return true;
    if (!m_dir.isValid()) {
        setError(error, u"无法创建临时文件夹："_s + m_dir.errorString());
        return false;
    }
    m_rows.setFileName(m_dir.filePath(u"rows.deflate"_s));
    if (!m_rows.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        setError(error, u"无法创建临时文件："_s + m_rows.errorString());
        return false;
    }
    m_deflater = std::make_unique<RowDeflater>(m_rows);
    QList<SheetCell> titles;
    for (int c = 0; c < m_columns; ++c)
        titles.append(SheetCell::ofText(m_titles.at(c)));
    putRow(titles, true);
    return true;
}

void XlsxBook::putRow(const QList<SheetCell>& cells, bool titles)
{
    QByteArray& out = m_pending;
    QByteArray rowNumber;
    appendNumber(rowNumber, m_row + 1);
    out.append("<row r=\"", 8);
    out.append(rowNumber);
    out.append("\">", 2);
    const int count = int(std::min<qsizetype>(cells.size(), m_columns));
    for (int c = 0; c < count; ++c) {
        const SheetCell& cell = cells.at(c);
        const bool date = cell.type == SheetCell::Type::Date && cell.date.isValid();
        if (cell.type != SheetCell::Type::Number && !date && (cell.type != SheetCell::Type::Text || cell.text.isEmpty()))
            continue;
        out.append("<c r=\"", 6);
        out.append(m_letters.at(c));
        out.append(rowNumber);
        if (cell.type == SheetCell::Type::Number || date) {
            const double number = date ? SheetDates::toSerial(cell.date) : cell.number;
            out.append(date ? "\" s=\"2\"><v>" : "\"><v>");
            appendNumber(out, number);
            out.append("</v></c>", 8);
            m_widths[c] = std::max(m_widths.at(c), date ? 10 : int(QString::number(number, 'g', 15).size()));
            continue;
        }
        const QString text = SheetText::clipped(cell.text, MaxTextLength);
        out.append(titles ? "\" s=\"1\" t=\"inlineStr\"><is><t" : "\" t=\"inlineStr\"><is><t");
        // Blanks at either end are kept only when asked for.
        if (text.front().isSpace() || text.back().isSpace())
            out.append(" xml:space=\"preserve\"");
        out.append('>');
        appendText(out, text);
        out.append("</t></is></c>", 13);
        m_widths[c] = std::max(m_widths.at(c), SheetText::width(text, MaxWidth));
    }
    out.append("</row>", 6);
    ++m_row;
}

bool XlsxBook::flush(QString* error)
{
    if (m_pending.isEmpty())
        return true;
    QByteArray chunk;
    chunk.reserve(FlushAt + FlushAt / 8);
    std::swap(chunk, m_pending);
    return m_deflater->push(std::move(chunk), error);
}

bool XlsxBook::addRow(const QList<SheetCell>& cells, QString* error)
{
    if (!open(error))
        return false;
    if (m_row >= quint32(MaxRows)) {
        setError(error, u"XLSX 工作表最多 %1 行（含标题行），这份列表超过了上限。"_s.arg(MaxRows));
        return false;
    }
    putRow(cells, false);
    return m_pending.size() < FlushAt || flush(error);
}

QByteArray XlsxBook::sheetHead() const
{
    QByteArray head = XmlHead;
    head += "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    if (m_columns > 0) {
        head += "<dimension ref=\"A1:" + m_letters.last();
        appendNumber(head, std::max<quint32>(m_row, 1));
        head += "\"/>";
    }
    head += "<sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>"
            "<sheetFormatPr defaultRowHeight=\"15\"/>";
    if (m_columns > 0) {
        head += "<cols>";
        for (int c = 0; c < m_columns; ++c) {
            head += "<col min=\"";
            appendNumber(head, quint32(c + 1));
            head += "\" max=\"";
            appendNumber(head, quint32(c + 1));
            head += "\" width=\"";
            appendNumber(head, quint32(std::max(m_widths.at(c) + 2, 6)));
            head += "\" customWidth=\"1\"/>";
        }
        head += "</cols>";
    }
    head += "<sheetData>";
    return head;
}

bool XlsxBook::finish(QIODevice& device, QString* error)
{
    if (!open(error) || !flush(error) || !m_deflater->finish(error))
        return false;
    if (!m_rows.flush()) {
        setError(error, u"写入临时文件失败："_s + m_rows.errorString());
        return false;
    }
    const QString path = m_dir.filePath(u"book.xlsx"_s);
    int code = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!zip) {
        zip_error_t why;
        zip_error_init_with_code(&why, code);
        setError(error, u"无法创建 XLSX 文件："_s + QString::fromUtf8(zip_error_strerror(&why)));
        zip_error_fini(&why);
        return false;
    }
    SheetStream sheet;
    sheet.head = deflated(sheetHead(), Z_SYNC_FLUSH);
    sheet.rows = &m_rows;
    sheet.rowBytes = m_deflater->compressed();
    sheet.tail = deflated(SheetTail, Z_FINISH);
    sheet.size = sheet.head.size + m_deflater->size() + sheet.tail.size;
    sheet.crc = quint32(crc32_combine(crc32_combine(sheet.head.crc, m_deflater->crc(), z_off_t(m_deflater->size())),
                                      sheet.tail.crc, z_off_t(sheet.tail.size)));
    zip_error_init(&sheet.error);
    const auto fail = [&](const QString& why) {
        setError(error, why);
        zip_discard(zip);
        zip_error_fini(&sheet.error);
        return false;
    };
    const std::pair<const char*, const QByteArray*> parts[] = {
        {"[Content_Types].xml", &ContentTypes}, {"_rels/.rels", &PackageRelations},
        {"docProps/app.xml", &AppProperties},   {"xl/workbook.xml", &Workbook},
        {"xl/_rels/workbook.xml.rels", &WorkbookRelations}, {"xl/styles.xml", &Styles}};
    for (const auto& [name, bytes] : parts) {
        zip_source_t* source = zip_source_buffer(zip, bytes->constData(), zip_uint64_t(bytes->size()), 0);
        if (!source || zip_file_add(zip, name, source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            return fail(zipFailed(zip));
        }
    }
    zip_source_t* source = zip_source_function(zip, &SheetStream::callback, &sheet);
    const zip_int64_t index = source ? zip_file_add(zip, "xl/worksheets/sheet1.xml", source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
        zip_source_free(source);
        return fail(zipFailed(zip));
    }
    if (zip_close(zip) < 0)
        return fail(zipFailed(zip));
    zip_error_fini(&sheet.error);

    QFile book(path);
    if (!book.open(QIODevice::ReadOnly)) {
        setError(error, u"读取临时文件失败："_s + book.errorString());
        return false;
    }
    for (;;) {
        const QByteArray chunk = book.read(1 << 20);
        if (chunk.isEmpty())
            break;
        if (device.write(chunk) != chunk.size()) {
            setError(error, u"写入文件失败："_s + device.errorString());
            return false;
        }
    }
    if (book.error() != QFileDevice::NoError) {
        setError(error, u"读取临时文件失败："_s + book.errorString());
        return false;
    }
    return true;
}
