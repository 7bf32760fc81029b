#include "sheets/sheetreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

#include <freexl.h>
#include <zip.h>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace SheetReader {

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString damaged(const QString& detail)
{
    return u"工作簿已损坏，无法读取（%1）。"_s.arg(detail);
}

bool fail(QString* error, const QString& text)
{
    setError(error, text);
    return false;
}

bool noSuchSheet(const QString& wanted, const QStringList& present, QString* error)
{
    return fail(error, u"工作簿中没有名为“%1”的工作表（工作簿中有：%2）。"_s.arg(wanted, present.join(u"、"_s)));
}

// Drops the empty cells at the end; a row with no value at all is left out.
void addRow(Sheet* sheet, int number, QList<SheetCell> cells)
{
    while (!cells.isEmpty() && cells.last().type == SheetCell::Type::Empty)
        cells.removeLast();
    if (!cells.isEmpty())
        sheet->rows.append({number, std::move(cells)});
}

// ---------------------------------------------------------------------------------------
// Excel 97-2003 through freexl

class FreeXlHandle
{
public:
    ~FreeXlHandle()
    {
        if (handle)
            freexl_close(handle);
    }
    const void* handle = nullptr;
};

QString freexlReason(int code)
{
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY:
        return u"内存不足"_s;
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
        return u"文件头无效"_s;
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR:
        return u"文件不完整"_s;
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return u"文件中没有工作簿"_s;
    default:
        return u"错误代码 %1"_s.arg(code);
    }
}

SheetCell xlsCell(const FreeXL_CellValue& v)
{
    switch (v.type) {
    case FREEXL_CELL_INT:
        return SheetCell::ofNumber(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return SheetCell::ofNumber(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_TIME: {
        const QString text = QString::fromUtf8(v.value.text_value);
        return text.isEmpty() ? SheetCell() : SheetCell::ofText(text);
    }
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME: {
        // "YYYY-MM-DD", with " HH:MM:SS" for a date and time.
        const QDate date = QDate::fromString(QString::fromUtf8(v.value.text_value).left(10), Qt::ISODate);
        return date.isValid() ? SheetCell::ofDate(date) : SheetCell::ofText(QString::fromUtf8(v.value.text_value));
    }
    default:
        return {};
    }
}

bool readXls(const QString& path, const QString& wanted, Sheet* sheet, QString* error)
{
    FreeXlHandle book;
    const int opened = freexl_open(QFile::encodeName(path).constData(), &book.handle);
    // freexl can report success without a workbook; both must hold.
    if (opened != FREEXL_OK || !book.handle)
        return fail(error, damaged(freexlReason(opened)));
    unsigned int value = 0;
    if (freexl_get_info(book.handle, FREEXL_BIFF_PASSWORD, &value) == FREEXL_OK && value == FREEXL_BIFF_OBFUSCATED)
        return fail(error, u"工作簿有密码保护，请在 Excel 中去掉密码后再导入。"_s);
    unsigned int count = 0;
    if (freexl_get_info(book.handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
        return fail(error, damaged(u"无法读出工作表"_s));
    if (freexl_get_info(book.handle, FREEXL_BIFF_DATEMODE, &value) == FREEXL_OK)
        sheet->dates1904 = value == FREEXL_BIFF_DATEMODE_1904;

    QStringList names;
    int found = -1;
    for (unsigned int i = 0; i < count; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(book.handle, quint16(i), &name) != FREEXL_OK || !name)
            return fail(error, damaged(u"无法读出工作表名称"_s));
        names << QString::fromUtf8(name);
        if (found < 0 && names.last().compare(wanted, Qt::CaseInsensitive) == 0)
            found = int(i);
    }
    if (found < 0)
        return noSuchSheet(wanted, names, error);
    sheet->name = names.at(found);

    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_select_active_worksheet(book.handle, quint16(found)) != FREEXL_OK ||
        freexl_worksheet_dimensions(book.handle, &rows, &columns) != FREEXL_OK)
        return fail(error, damaged(u"无法读出工作表“%1”"_s.arg(sheet->name)));
    for (unsigned int r = 0; r < rows; ++r) {
        QList<SheetCell> cells(columns);
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue v;
            const int got = freexl_get_cell_value(book.handle, r, c, &v);
            if (got != FREEXL_OK)
                return fail(error, damaged(u"第 %1 行第 %2 列：%3"_s.arg(r + 1).arg(c + 1).arg(freexlReason(got))));
            cells[c] = xlsCell(v);
        }
        addRow(sheet, int(r + 1), std::move(cells));
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Excel 2007+: a zip of XML parts

// A part larger than this is no member list but a damaged or hostile file.
constexpr zip_uint64_t MaxPartSize = zip_uint64_t(1) << 30;

class ZipBook
{
public:
    explicit ZipBook(const QString& path) : m_path(path) {}
    ~ZipBook()
    {
        if (m_zip)
            zip_discard(m_zip);
    }

    bool open(QString* error)
    {
        int code = 0;
        m_zip = zip_open(QFile::encodeName(m_path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
        if (m_zip)
            return true;
        zip_error_t why;
        zip_error_init_with_code(&why, code);
        setError(error, damaged(QString::fromUtf8(zip_error_strerror(&why))));
        zip_error_fini(&why);
        return false;
    }

    bool has(const QString& name) const { return zip_name_locate(m_zip, name.toUtf8().constData(), 0) >= 0; }

    // The whole part; a part that is missing, or whose bytes do not match their checksum,
    // gives false and the reason.
    bool part(const QString& name, QByteArray* bytes, QString* error) const
    {
        const zip_int64_t index = zip_name_locate(m_zip, name.toUtf8().constData(), 0);
        if (index < 0)
            return fail(error, damaged(u"缺少 %1"_s.arg(name)));
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) ||
            st.size > MaxPartSize)
            return fail(error, damaged(u"%1 的大小不对"_s.arg(name)));
        zip_file_t* file = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
        if (!file)
            return fail(error, damaged(QString::fromUtf8(zip_strerror(m_zip))));
        bytes->resize(qsizetype(st.size));
        zip_int64_t at = 0;
        QString failed;
        for (;;) {
            // Reading on past the end lets the library compare the checksum.
            char probe = 0;
            char* into = at < bytes->size() ? bytes->data() + at : &probe;
            const zip_uint64_t room = at < bytes->size() ? zip_uint64_t(bytes->size() - at) : 1;
            const zip_int64_t n = zip_fread(file, into, room);
            if (n < 0) {
                failed = QString::fromUtf8(zip_file_strerror(file));
                break;
            }
            if (n == 0)
                break;
            if (at >= bytes->size()) {
                failed = u"%1 比记录的长"_s.arg(name);
                break;
            }
            at += n;
        }
        const int closed = zip_fclose(file);
        if (failed.isEmpty() && closed != 0) {
            zip_error_t why;
            zip_error_init_with_code(&why, closed);
            failed = QString::fromUtf8(zip_error_strerror(&why));
            zip_error_fini(&why);
        }
        if (failed.isEmpty() && at != bytes->size())
            failed = u"%1 不完整"_s.arg(name);
        if (!failed.isEmpty())
            return fail(error, damaged(u"%1：%2"_s.arg(name, failed)));
        return true;
    }

private:
    QString m_path;
    zip_t* m_zip = nullptr;
};

bool xmlFailed(const QXmlStreamReader& xml, const QString& part, QString* error)
{
    if (!xml.hasError())
        return false;
    setError(error, damaged(u"%1 第 %2 行：%3"_s.arg(part).arg(xml.lineNumber()).arg(xml.errorString())));
    return true;
}

// Text that the format cannot hold as such comes as _xHHHH_ (a carriage return is _x000D_).
QString unescaped(const QString& text)
{
    if (!text.contains(u"_x"_s))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'_' && i + 6 < text.size() && text.at(i + 1) == u'x' && text.at(i + 6) == u'_') {
            bool ok = false;
            const uint code = text.mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        out += text.at(i);
    }
    return out;
}

// The text of a shared or inline string: its <t>, or the <t> of every run, without the
// phonetic guide (<rPh>) that East Asian workbooks carry beside the text.
QString stringItem(QXmlStreamReader& xml)
{
    const QString end = xml.name().toString();
    QString text;
    int phonetic = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"rPh"_s)
                ++phonetic;
            else if (xml.name() == u"t"_s && phonetic == 0)
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == u"rPh"_s)
                --phonetic;
            else if (xml.name() == end)
                break;
        }
    }
    return unescaped(text);
}

bool sharedStrings(const QByteArray& bytes, QStringList* strings, QString* error)
{
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si"_s)
            strings->append(stringItem(xml));
    }
    return !xmlFailed(xml, u"sharedStrings.xml"_s, error);
}

// Built-in number formats that show a date (with or without a time), the East Asian ones
// among them.
bool builtInDateFormat(int id)
{
    return (id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58);
}

// A custom format shows a date when, outside quoted text, escapes and [sections], it has a
// day or year, or a month (an m not next to hours or seconds, which would be minutes).
bool customDateFormat(const QString& code)
{
    QString bare;
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (quoted) {
            quoted = c != u'"';
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i; // the next character is shown as itself (or fills)
        } else if (c == u'[') {
            ++bracket;
        } else if (c == u']') {
            bracket = std::max(0, bracket - 1);
        } else if (bracket == 0) {
            bare += c.toLower();
        }
    }
    if (bare.contains(u'd') || bare.contains(u'y') || bare.contains(u'e'))
        return true;
    return bare.contains(u'm') && !bare.contains(u'h') && !bare.contains(u's');
}

// Which cell formats (the s attribute of a cell) show a date.
bool dateStyles(const QByteArray& bytes, QList<bool>* dates, QString* error)
{
    QHash<int, QString> custom;
    QXmlStreamReader xml(bytes);
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"numFmt"_s) {
                custom.insert(xml.attributes().value(u"numFmtId"_s).toInt(),
                              xml.attributes().value(u"formatCode"_s).toString());
            } else if (xml.name() == u"cellXfs"_s) {
                inCellXfs = true;
            } else if (inCellXfs && xml.name() == u"xf"_s) {
                const int id = xml.attributes().value(u"numFmtId"_s).toInt();
                const auto it = custom.constFind(id);
                dates->append(it != custom.cend() ? customDateFormat(*it) : builtInDateFormat(id));
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs"_s) {
            inCellXfs = false;
        }
    }
    return !xmlFailed(xml, u"styles.xml"_s, error);
}

// "AB12" → column 27 (from 0); -1 when the reference has no letters.
int columnOf(QStringView ref)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref.at(i).isLetter(); ++i) {
        column = column * 26 + (ref.at(i).toUpper().unicode() - u'A' + 1);
        if (column > 16384)
            return -1;
    }
    return i == 0 ? -1 : column - 1;
}

struct CellText
{
    QString type;
    int style = 0;
    QString value;  // <v>
    QString inlineText; // <is>
};

SheetCell xlsxCell(const CellText& c, const QStringList& strings, const QList<bool>& dates, bool dates1904,
                   QString* error)
{
    if (c.type == u"s"_s) {
        bool ok = false;
        const int index = c.value.toInt(&ok);
        if (!ok || index < 0 || index >= strings.size()) {
            setError(error, damaged(u"共享字符串 %1 不存在"_s.arg(c.value)));
            return {};
        }
        return strings.at(index).isEmpty() ? SheetCell() : SheetCell::ofText(strings.at(index));
    }
    if (c.type == u"inlineStr"_s) {
        return c.inlineText.isEmpty() ? SheetCell() : SheetCell::ofText(c.inlineText);
    }
    if (c.type == u"str"_s || c.type == u"e"_s) {
        const QString text = unescaped(c.value);
        return text.isEmpty() ? SheetCell() : SheetCell::ofText(text);
    }
    if (c.type == u"d"_s) {
        const QDate date = QDate::fromString(c.value.left(10), Qt::ISODate);
        return date.isValid() ? SheetCell::ofDate(date) : SheetCell::ofText(c.value);
    }
    if (c.value.isEmpty())
        return {};
    bool ok = false;
    const double number = c.value.toDouble(&ok);
    if (!ok || !std::isfinite(number)) {
        setError(error, damaged(u"“%1”不是数值"_s.arg(c.value)));
        return {};
    }
    if (c.type != u"b"_s && c.style >= 0 && c.style < dates.size() && dates.at(c.style)) {
        const QDate date = SheetDates::fromSerial(number, dates1904);
        if (date.isValid())
            return SheetCell::ofDate(date);
    }
    return SheetCell::ofNumber(number);
}

bool worksheet(const QByteArray& bytes, const QString& part, const QStringList& strings, const QList<bool>& dates,
               Sheet* sheet, QString* error)
{
    QXmlStreamReader xml(bytes);
    int rowNumber = 0;
    QList<SheetCell> cells;
    bool inRow = false;
    QString cellError;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"row"_s) {
                const int r = xml.attributes().value(u"r"_s).toInt();
                rowNumber = r > 0 ? r : rowNumber + 1;
                cells.clear();
                inRow = true;
            } else if (inRow && xml.name() == u"c"_s) {
                const auto attributes = xml.attributes();
                int column = columnOf(attributes.value(u"r"_s));
                if (column < 0)
                    column = int(cells.size());
                CellText c;
                c.type = attributes.value(u"t"_s).toString();
                c.style = attributes.hasAttribute(u"s"_s) ? attributes.value(u"s"_s).toInt() : 0;
                while (!xml.atEnd()) {
                    const auto inner = xml.readNext();
                    if (inner == QXmlStreamReader::StartElement) {
                        if (xml.name() == u"v"_s) {
                            c.value = xml.readElementText();
                        } else if (xml.name() == u"is"_s) {
                            c.inlineText = stringItem(xml);
                        }
                    } else if (inner == QXmlStreamReader::EndElement && xml.name() == u"c"_s) {
                        break;
                    }
                }
                if (cells.size() <= column)
                    cells.resize(column + 1);
                cells[column] = xlsxCell(c, strings, dates, sheet->dates1904, &cellError);
                if (!cellError.isEmpty())
                    return fail(error, cellError);
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == u"row"_s) {
            addRow(sheet, rowNumber, std::move(cells));
            cells = {};
            inRow = false;
        }
    }
    return !xmlFailed(xml, part, error);
}

// Where a relationship's target lives inside the zip: relative to xl/, or from the root.
QString partPath(const QString& target)
{
    if (target.startsWith(u'/'))
        return target.mid(1);
    return QDir::cleanPath(u"xl/"_s + target);
}

bool readXlsx(const QString& path, const QString& wanted, Sheet* sheet, QString* error)
{
    ZipBook zip(path);
    if (!zip.open(error))
        return false;
    QByteArray bytes;
    if (!zip.part(u"xl/workbook.xml"_s, &bytes, error))
        return false;

    QStringList names;
    QString relation;
    {
        QXmlStreamReader xml(bytes);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const auto attributes = xml.attributes();
            if (xml.name() == u"workbookPr"_s) {
                const auto v = attributes.value(u"date1904"_s);
                sheet->dates1904 = v == u"1"_s || v == u"true"_s;
            } else if (xml.name() == u"sheet"_s) {
                names << attributes.value(u"name"_s).toString();
                if (relation.isEmpty() && names.last().compare(wanted, Qt::CaseInsensitive) == 0) {
                    sheet->name = names.last();
                    for (const QXmlStreamAttribute& a : attributes) {
                        if (a.name() == u"id"_s && !a.prefix().isEmpty())
                            relation = a.value().toString();
                    }
                    if (relation.isEmpty())
                        return fail(error, damaged(u"工作表“%1”没有位置"_s.arg(sheet->name)));
                }
            }
        }
        if (xmlFailed(xml, u"workbook.xml"_s, error))
            return false;
    }
    if (relation.isEmpty())
        return noSuchSheet(wanted, names, error);

    if (!zip.part(u"xl/_rels/workbook.xml.rels"_s, &bytes, error))
        return false;
    QString sheetPart;
    {
        QXmlStreamReader xml(bytes);
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Relationship"_s &&
                xml.attributes().value(u"Id"_s) == relation)
                sheetPart = partPath(xml.attributes().value(u"Target"_s).toString());
        }
        if (xmlFailed(xml, u"workbook.xml.rels"_s, error))
            return false;
    }
    if (sheetPart.isEmpty())
        return fail(error, damaged(u"找不到工作表“%1”"_s.arg(sheet->name)));

    QStringList strings;
    if (zip.has(u"xl/sharedStrings.xml"_s)) {
        if (!zip.part(u"xl/sharedStrings.xml"_s, &bytes, error) || !sharedStrings(bytes, &strings, error))
            return false;
    }
    QList<bool> dates;
    if (zip.has(u"xl/styles.xml"_s)) {
        if (!zip.part(u"xl/styles.xml"_s, &bytes, error) || !dateStyles(bytes, &dates, error))
            return false;
    }
    if (!zip.part(sheetPart, &bytes, error))
        return false;
    return worksheet(bytes, sheetPart, strings, dates, sheet, error);
}

} // namespace

bool read(const QString& path, const QString& sheetName, Sheet* sheet, QString* error)
{
    *sheet = {};
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        setError(error, u"无法打开文件“%1”。"_s.arg(QDir::toNativeSeparators(path)));
        return false;
    }
    const QByteArray head = file.read(8);
    file.close();
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return readXls(path, sheetName, sheet, error);
    if (head.startsWith("PK\x03\x04"))
        return readXlsx(path, sheetName, sheet, error);
    setError(error, u"“%1”不是 Excel 工作簿（.xls 或 .xlsx）。"_s.arg(QFileInfo(path).fileName()));
    return false;
}

} // namespace SheetReader
