#include "data/sharedquery.h"
#include "sheets/recordexport.h"
#include "sheets/sheetreader.h"
#include "sheets/xlsbook.h"
#include "support/testhome.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtEndian>

#include <freexl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace Qt::Literals::StringLiterals;
using RecordExport::Column;
using RecordExport::Kind;

namespace {

const Kind AllKinds[] = {Kind::Text, Kind::Csv, Kind::Html, Kind::Rtf, Kind::Xls, Kind::Xlsx};
const QByteArray Bom = QByteArrayLiteral("\xEF\xBB\xBF");

// A cell as read back from a file: its text, or its number in a spreadsheet.
struct Got
{
    QString text;
    bool isNumber = false;
    double number = 0;
    bool bold = false;
};
using Grid = QList<QList<Got>>;

QStringList texts(const QList<Got>& row)
{
    QStringList list;
    for (const Got& g : row)
        list << g.text;
    return list;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// ---------------------------------------------------------------------------------------
// Readers, one for each kind, as the programs a shop opens the files with read them.

Grid readText(const QByteArray& bytes)
{
    EXPECT_TRUE(bytes.startsWith(Bom));
    const QString text = QString::fromUtf8(bytes.mid(Bom.size()));
    EXPECT_TRUE(text.endsWith(u"\r\n"_s));
    QStringList lines = text.split(u"\r\n"_s);
    lines.removeLast();
    Grid grid;
    for (const QString& line : lines) {
        EXPECT_FALSE(line.contains(u'\r') || line.contains(u'\n')) << line.toStdString();
        QList<Got> row;
        for (const QString& field : line.split(u'\t'))
            row.append({field});
        grid.append(row);
    }
    return grid;
}

// RFC 4180: fields quoted only from their first character, "" inside quotes, CRLF between
// records, line breaks allowed inside quotes.
Grid readCsv(const QByteArray& bytes)
{
    EXPECT_TRUE(bytes.startsWith(Bom));
    const QString text = QString::fromUtf8(bytes.mid(Bom.size()));
    Grid grid;
    QList<Got> row;
    QString field;
    bool inQuotes = false;
    bool closed = false; // just after a closing quote: only a separator may follow
    qsizetype i = 0;
    const auto endField = [&] {
        row.append({field});
        field.clear();
        closed = false;
    };
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += u'"';
                i += 2;
            } else if (c == u'"') {
                inQuotes = false;
                closed = true;
                ++i;
            } else {
                field += c;
                ++i;
            }
            continue;
        }
        if (c == u',') {
            endField();
            ++i;
        } else if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            endField();
            grid.append(row);
            row.clear();
            i += 2;
        } else if (c == u'"' && field.isEmpty() && !closed) {
            inQuotes = true;
            ++i;
        } else {
            EXPECT_FALSE(closed || c == u'"' || c == u'\r' || c == u'\n') << "unquoted at " << i;
            field += c;
            ++i;
        }
    }
    EXPECT_FALSE(inQuotes);
    EXPECT_TRUE(field.isEmpty() && row.isEmpty()) << "the last record ends with CRLF";
    return grid;
}

Grid readHtml(const QByteArray& bytes)
{
    const QString html = QString::fromUtf8(bytes);
    EXPECT_TRUE(html.contains(u"<meta charset=\"utf-8\">"_s));
    EXPECT_TRUE(html.contains(u"<table border=\"1\">"_s));
    EXPECT_TRUE(html.trimmed().endsWith(u"</html>"_s));
    static const QRegularExpression rowPattern(u"<tr>(.*?)</tr>"_s,
                                               QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression cellPattern(u"<(th|td)>(.*?)</\\1>"_s,
                                                QRegularExpression::DotMatchesEverythingOption);
    Grid grid;
    for (auto rows = rowPattern.globalMatch(html); rows.hasNext();) {
        QList<Got> row;
        for (auto cells = cellPattern.globalMatch(rows.next().captured(1)); cells.hasNext();) {
            const auto cell = cells.next();
            QString text = cell.captured(2);
            text.replace(u"<br>"_s, u"\n"_s);
            EXPECT_FALSE(text.contains(u'<') || text.contains(u'>') || text.contains(u'"') ||
                         text.contains(u'\''))
                << text.toStdString();
            text.replace(u"&lt;"_s, u"<"_s)
                .replace(u"&gt;"_s, u">"_s)
                .replace(u"&quot;"_s, u"\""_s)
                .replace(u"&#39;"_s, u"'"_s)
                .replace(u"&amp;"_s, u"&"_s);
            row.append({text, false, 0, cell.captured(1) == u"th"_s});
        }
        grid.append(row);
    }
    return grid;
}

// Enough of RTF for a table: control words, \uN? escapes, groups, \cell and \row.
Grid readRtf(const QByteArray& bytes)
{
    for (const char c : bytes)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "RTF is 7-bit";
    EXPECT_TRUE(
        bytes.startsWith("{\\rtf1\\ansi\\ansicpg936\\deff0 {\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}"));
    Grid grid;
    QList<Got> row;
    Got cell;
    qsizetype i = 0;
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < bytes.size()) {
        const char c = bytes.at(i);
        if (c == '\\') {
            const char next = i + 1 < bytes.size() ? bytes.at(i + 1) : '\0';
            if (next == '\\' || next == '{' || next == '}') {
                cell.text += QLatin1Char(next);
                i += 2;
                continue;
            }
            qsizetype j = i + 1;
            while (j < bytes.size() && isLetter(bytes.at(j)))
                ++j;
            const QByteArray word = bytes.mid(i + 1, j - i - 1);
            qsizetype k = j;
            if (k < bytes.size() && (bytes.at(k) == '-' || isDigit(bytes.at(k)))) {
                ++k;
                while (k < bytes.size() && isDigit(bytes.at(k)))
                    ++k;
            }
            const QByteArray parameter = bytes.mid(j, k - j);
            if (k < bytes.size() && bytes.at(k) == ' ')
                ++k;
            i = k;
            if (word == "u") {
                const int n = parameter.toInt();
                EXPECT_GE(n, -32768);
                EXPECT_LE(n, 32767);
                cell.text += QChar(char16_t(n < 0 ? n + 65536 : n));
                EXPECT_EQ(bytes.at(i), '?');
                ++i; // the fallback character
            } else if (word == "line") {
                cell.text += u'\n';
            } else if (word == "tab") {
                cell.text += u'\t';
            } else if (word == "pard") {
                cell = {};
            } else if (word == "b") {
                cell.bold = parameter != "0";
            } else if (word == "cell") {
                row.append(cell);
                cell = {};
            } else if (word == "row") {
                grid.append(row);
                row.clear();
            }
            continue;
        }
        if (c != '{' && c != '}' && c != '\r' && c != '\n')
            cell.text += QLatin1Char(c);
        ++i;
    }
    return grid;
}

// A workbook opened with freexl; it can report success without a handle, so both are checked.
class FreeXl
{
public:
    explicit FreeXl(const QString& path)
    {
        const int rc = freexl_open(QFile::encodeName(path).constData(), &m_handle);
        EXPECT_EQ(rc, FREEXL_OK);
        EXPECT_NE(m_handle, nullptr) << "freexl returned no workbook";
        if (rc != FREEXL_OK && m_handle) {
            freexl_close(m_handle);
            m_handle = nullptr;
        }
    }
    ~FreeXl()
    {
        if (m_handle)
            freexl_close(m_handle);
    }
    FreeXl(const FreeXl&) = delete;
    FreeXl& operator=(const FreeXl&) = delete;

    bool ok() const { return m_handle != nullptr; }
    unsigned info(unsigned short what) const
    {
        unsigned value = 0;
        EXPECT_EQ(freexl_get_info(m_handle, what, &value), FREEXL_OK);
        return value;
    }
    QString sheetName(unsigned short sheet) const
    {
        const char* name = nullptr;
        EXPECT_EQ(freexl_get_worksheet_name(m_handle, sheet, &name), FREEXL_OK);
        return name ? QString::fromUtf8(name) : QString();
    }
    // Selects the sheet; its rows and columns.
    std::pair<unsigned, unsigned> select(unsigned short sheet) const
    {
        EXPECT_EQ(freexl_select_active_worksheet(m_handle, sheet), FREEXL_OK);
        unsigned rows = 0;
        unsigned short columns = 0;
        EXPECT_EQ(freexl_worksheet_dimensions(m_handle, &rows, &columns), FREEXL_OK);
        return {rows, columns};
    }
    Got cell(unsigned row, unsigned short column) const
    {
        FreeXL_CellValue value;
        EXPECT_EQ(freexl_get_cell_value(m_handle, row, column, &value), FREEXL_OK);
        switch (value.type) {
        case FREEXL_CELL_INT:
            return {{}, true, double(value.value.int_value)};
        case FREEXL_CELL_DOUBLE:
            return {{}, true, value.value.double_value};
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
            return {QString::fromUtf8(value.value.text_value)};
        case FREEXL_CELL_NULL:
            return {};
        default:
            ADD_FAILURE() << "unexpected cell type " << int(value.type);
            return {};
        }
    }
    Grid grid(unsigned short sheet) const
    {
        const auto [rows, columns] = select(sheet);
        Grid grid;
        for (unsigned r = 0; r < rows; ++r) {
            QList<Got> row;
            for (unsigned short c = 0; c < columns; ++c)
                row.append(cell(r, c));
            grid.append(row);
        }
        return grid;
    }

private:
    const void* m_handle = nullptr;
};

Grid readXls(const QString& path)
{
    FreeXl book(path);
    if (!book.ok())
        return {};
    EXPECT_EQ(book.info(FREEXL_BIFF_VERSION), unsigned(FREEXL_BIFF_VER_8));
    EXPECT_EQ(book.info(FREEXL_BIFF_SHEET_COUNT), 1u);
    return book.grid(0);
}

QString unzipProgram()
{
    return QStandardPaths::findExecutable(u"unzip"_s);
}

QByteArray unzipped(const QString& zip, const QString& member)
{
    QProcess unzip;
    unzip.start(unzipProgram(), {u"-p"_s, zip, member});
    EXPECT_TRUE(unzip.waitForFinished(300000));
    return unzip.readAllStandardOutput();
}

// "C12" → column 2 (from 0).
int columnOf(QStringView reference)
{
    int column = 0;
    for (const QChar c : reference) {
        if (!c.isLetter())
            break;
        column = column * 26 + (c.unicode() - u'A' + 1);
    }
    return column - 1;
}

// The texts of <t> inside each element named item, e.g. <si> of the shared strings.
QStringList itemTexts(const QByteArray& xml, QStringView item)
{
    QStringList items;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.name() == item)
            items.append(QString());
        else if (reader.name() == u"t"_s && !items.isEmpty())
            items.last() += reader.readElementText();
    }
    return items;
}

Grid readXlsx(const QString& path)
{
    const QByteArray sheet = unzipped(path, u"xl/worksheets/sheet1.xml"_s);
    EXPECT_FALSE(sheet.isEmpty());
    EXPECT_TRUE(unzipped(path, u"xl/worksheets/sheet2.xml"_s).isEmpty()) << "one worksheet";
    const QStringList shared = itemTexts(unzipped(path, u"xl/sharedStrings.xml"_s), u"si");

    // Which cell formats are bold: cellXfs/xf/@fontId → fonts/font with <b/>.
    QList<bool> boldFonts;
    QList<bool> boldFormats;
    {
        QXmlStreamReader styles(unzipped(path, u"xl/styles.xml"_s));
        QString section;
        while (!styles.atEnd()) {
            styles.readNext();
            if (!styles.isStartElement())
                continue;
            const auto name = styles.name();
            if (name == u"fonts"_s || name == u"fills"_s || name == u"borders"_s ||
                name == u"cellStyleXfs"_s || name == u"cellXfs"_s || name == u"cellStyles"_s ||
                name == u"dxfs"_s)
                section = name.toString();
            else if (name == u"font"_s && section == u"fonts"_s)
                boldFonts.append(false);
            else if (name == u"b"_s && section == u"fonts"_s && !boldFonts.isEmpty())
                boldFonts.last() = true;
            else if (name == u"xf"_s && section == u"cellXfs"_s)
                boldFormats.append(boldFonts.value(styles.attributes().value(u"fontId"_s).toInt()));
        }
    }

    Grid grid;
    QXmlStreamReader reader(sheet);
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement() || reader.name() != u"c"_s)
            continue;
        const auto attributes = reader.attributes();
        const QString reference = attributes.value(u"r"_s).toString();
        const QString type = attributes.value(u"t"_s).toString();
        const bool bold = boldFormats.value(attributes.value(u"s"_s).toInt());
        const int row = reference.mid(reference.indexOf(QRegularExpression(u"[0-9]"_s))).toInt() - 1;
        const int column = columnOf(reference);
        QString value;
        QString inlineText;
        while (!(reader.isEndElement() && reader.name() == u"c"_s) && !reader.atEnd()) {
            reader.readNext();
            if (reader.isStartElement() && reader.name() == u"v"_s)
                value = reader.readElementText();
            else if (reader.isStartElement() && reader.name() == u"t"_s)
                inlineText += reader.readElementText();
        }
        while (grid.size() <= row)
            grid.append(QList<Got>());
        while (grid[row].size() <= column)
            grid[row].append(Got());
        Got& got = grid[row][column];
        got.bold = bold;
        if (type == u"s"_s)
            got.text = shared.value(value.toInt());
        else if (type == u"inlineStr"_s)
            got.text = inlineText;
        else if (type.isEmpty() || type == u"n"_s)
            got = {{}, true, value.toDouble(), bold};
        else
            ADD_FAILURE() << "unexpected cell type " << type.toStdString();
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    // Empty cells are left out of the sheet, so a row can end early.
    qsizetype width = 0;
    for (const auto& row : grid)
        width = std::max(width, row.size());
    for (auto& row : grid)
        row.resize(width);
    return grid;
}

bool readsBold(Kind kind)
{
    return kind == Kind::Html || kind == Kind::Rtf || kind == Kind::Xlsx;
}

Grid readBack(Kind kind, const QString& path)
{
    switch (kind) {
    case Kind::Text:
        return readText(readAll(path));
    case Kind::Csv:
        return readCsv(readAll(path));
    case Kind::Html:
        return readHtml(readAll(path));
    case Kind::Rtf:
        return readRtf(readAll(path));
    case Kind::Xls:
        return readXls(path);
    case Kind::Xlsx:
        return readXlsx(path);
    }
    return {};
}

// ---------------------------------------------------------------------------------------
// The fixture: what a member list can hold.

QList<Column> fixtureColumns()
{
    return {{u"card"_s, u"会员卡号"_s, DisplayFormat::Plain},
            {u"name"_s, u"会员姓名"_s, DisplayFormat::Plain},
            {u"note"_s, u"备注"_s, DisplayFormat::Plain},
            {u"address"_s, u"地址"_s, DisplayFormat::Plain},
            {u"price"_s, u"价格"_s, DisplayFormat::Plain},
            {u"points"_s, u"积分"_s, DisplayFormat::Points},
            {u"insured"_s, u"投保标志"_s, DisplayFormat::YesNo},
            {u"birthday"_s, u"会员生日"_s, DisplayFormat::Plain}};
}

QList<QVariantMap> fixtureRows()
{
    const QVariant null(QMetaType::fromType<QString>()); // as the database gives NULL
    return {
        {{u"card"_s, u"0001"_s},
         {u"name"_s, u"王小明"_s},
         {u"note"_s, u"他说\"好\",行'吧'"_s},
         {u"address"_s, u"一楼\r\n二楼"_s},
         {u"price"_s, 12.5},
         {u"points"_s, 88.886},
         {u"insured"_s, 1},
         {u"birthday"_s, null}},
        {{u"card"_s, u"0002"_s},
         {u"name"_s, u"<李>&四"_s},
         {u"note"_s, u"笑😀"_s},
         {u"address"_s, u"甲\t乙\n丙"_s},
         {u"price"_s, 0.1 + 0.2},
         {u"points"_s, qlonglong(100)},
         {u"insured"_s, 0},
         {u"birthday"_s, u"7-10"_s}},
    };
}

// What each cell must read back as: the list's text, and the number a spreadsheet holds.
struct Want
{
    QString text;
    std::optional<double> number = std::nullopt;
};

QList<QList<Want>> fixtureWanted()
{
    QList<Want> titles;
    for (const Column& c : fixtureColumns())
        titles.append({c.title});
    return {titles,
            {{u"0001"_s},
             {u"王小明"_s},
             {u"他说\"好\",行'吧'"_s},
             {u"一楼\r\n二楼"_s},
             {u"12.5"_s, 12.5},
             {u"88.89"_s, 88.89},
             {u"是"_s},
             {}},
            {{u"0002"_s},
             {u"<李>&四"_s},
             {u"笑😀"_s},
             {u"甲\t乙\n丙"_s},
             {u"0.30000000000000004"_s, 0.1 + 0.2},
             {u"100"_s, 100},
             {u"否"_s},
             {u"7-10"_s}}};
}

// The text a kind shows for a value: plain text has no breaks or tabs inside a field, the
// others keep one line break where the value had CRLF.
QString shownAs(Kind kind, QString text)
{
    if (kind == Kind::Csv)
        return text;
    text.replace(u"\r\n"_s, u"\n"_s);
    if (kind == Kind::Text)
        text.replace(u'\n', u' ').replace(u'\t', u' ');
    return text;
}

bool isSpreadsheet(Kind kind)
{
    return kind == Kind::Xls || kind == Kind::Xlsx;
}

void expectGrid(Kind kind, const Grid& got, const QList<QList<Want>>& wanted)
{
    ASSERT_EQ(got.size(), wanted.size());
    for (qsizetype r = 0; r < wanted.size(); ++r) {
        ASSERT_EQ(got[r].size(), wanted[r].size()) << "row " << r;
        for (qsizetype c = 0; c < wanted[r].size(); ++c) {
            SCOPED_TRACE(testing::Message() << "row " << r << ", column " << c);
            const Want& want = wanted[r][c];
            const Got& cell = got[r][c];
            if (isSpreadsheet(kind) && want.number) {
                EXPECT_TRUE(cell.isNumber);
                EXPECT_DOUBLE_EQ(cell.number, *want.number);
            } else {
                EXPECT_FALSE(cell.isNumber);
                EXPECT_EQ(cell.text, shownAs(kind, want.text));
            }
            if (readsBold(kind)) {
                EXPECT_EQ(cell.bold, r == 0) << "titles and only titles are bold";
            }
        }
    }
}

// Rows made on the fly, so a big export holds none of them.
class CountedRows : public RecordExport::RowSource
{
public:
    explicit CountedRows(qint64 count) : m_count(count) {}
    qint64 rowCount() const override { return m_count; }
    bool next() override { return ++m_at < m_count; }
    QVariant value(const QString& field) const override
    {
        if (field == u"no"_s)
            return m_at + 1;
        if (field == u"card"_s)
            return u"%1"_s.arg(m_at + 1, 8, 10, QLatin1Char('0'));
        if (field == u"category"_s)
            return QStringList{u"金卡"_s, u"银卡"_s, u"普通卡"_s}.at(m_at % 3);
        if (field == u"points"_s)
            return double(m_at % 1000) / 4;
        return {};
    }

private:
    qint64 m_count;
    qint64 m_at = -1;
};

QList<Column> countedColumns()
{
    return {{u"no"_s, u"序号"_s, DisplayFormat::Plain},
            {u"card"_s, u"会员卡号"_s, DisplayFormat::Plain},
            {u"category"_s, u"卡类别"_s, DisplayFormat::Plain},
            {u"points"_s, u"积分"_s, DisplayFormat::Points}};
}

// A device that takes so many bytes, then fails as a full disk does.
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 room) : m_room(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 length) override
    {
        if (length > m_room) {
            setErrorString(u"磁盘空间不足"_s);
            return -1;
        }
        m_room -= length;
        return length;
    }

private:
    qint64 m_room;
};

const char* nameOf(Kind kind)
{
    switch (kind) {
    case Kind::Text:
        return "txt";
    case Kind::Csv:
        return "csv";
    case Kind::Html:
        return "htm";
    case Kind::Rtf:
        return "rtf";
    case Kind::Xls:
        return "xls";
    case Kind::Xlsx:
        return "xlsx";
    }
    return "";
}

bool skipKind(Kind kind)
{
    return kind == Kind::Xlsx && unzipProgram().isEmpty();
}

// ---------------------------------------------------------------------------------------

TEST(RecordExport, NamesAndFilters)
{
    EXPECT_EQ(RecordExport::filters(), (QStringList{u"文本 (*.TXT)"_s, u"CSV (*.CSV)"_s, u"HTLM (*.HTM)"_s,
                                                    u"RTF (*.RTF)"_s, u"XLS (*.XLS)"_s, u"XLSX (*.XLSX)"_s}));
    const QStringList extensions{u"txt"_s, u"csv"_s, u"htm"_s, u"rtf"_s, u"xls"_s, u"xlsx"_s};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(RecordExport::extension(AllKinds[i]), extensions[i]);

    struct Case
    {
        QString name;
        Kind kind;
        QString expected;
    };
    const Case cases[] = {
        {u"file1"_s, Kind::Xls, u"file1.xls"_s},
        {u"list.XLS"_s, Kind::Xls, u"list.XLS"_s},
        {u"list.txt"_s, Kind::Xls, u"list.txt.xls"_s},
        {u"reportxls"_s, Kind::Xls, u"reportxls"_s},
        {u".xls"_s, Kind::Xls, u".xls"_s},
        {u"REPORT.Xlsx"_s, Kind::Xlsx, u"REPORT.Xlsx"_s},
        {u"report.xls"_s, Kind::Xlsx, u"report.xls.xlsx"_s},
        {u"report.xlsx"_s, Kind::Xls, u"report.xlsx.xls"_s},
        {u"/home/店/会员.Htm"_s, Kind::Html, u"/home/店/会员.Htm"_s},
        {u"会员"_s, Kind::Text, u"会员.txt"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecordExport::withExtension(c.name, c.kind), c.expected) << c.name.toStdString();
}

TEST(RecordExport, EveryKindReadsTheFixtureBack)
{
    QTemporaryDir dir;
    for (const Kind kind : AllKinds) {
        SCOPED_TRACE(nameOf(kind));
        if (skipKind(kind))
            continue;
        const QString path = dir.filePath(u"list."_s + RecordExport::extension(kind));
        RecordExport::ListRows rows(fixtureRows());
        QString error;
        ASSERT_TRUE(RecordExport::writeFile(kind, path, fixtureColumns(), rows, {}, &error))
            << error.toStdString();
        expectGrid(kind, readBack(kind, path), fixtureWanted());

        const QByteArray bytes = readAll(path);
        if (kind == Kind::Html) {
            EXPECT_TRUE(bytes.contains("<td>&lt;李&gt;&amp;四</td>"));
            EXPECT_TRUE(bytes.contains("他说&quot;好&quot;,行&#39;吧&#39;"));
            EXPECT_TRUE(bytes.contains("一楼<br>二楼"));
        }
        if (kind == Kind::Rtf) {
            EXPECT_TRUE(bytes.contains("\\u31505?\\u-10179?\\u-8704?")) << "笑 and the two halves of 😀";
            EXPECT_TRUE(bytes.contains("\\line "));
            EXPECT_TRUE(bytes.contains("\\trowd") && bytes.contains("\\cellx") && bytes.contains("\\intbl"));
        }
        if (kind == Kind::Xls) {
            EXPECT_GE(bytes.size(), 512 + 4096) << "the workbook stream stays out of the mini stream";
        }
    }
    if (unzipProgram().isEmpty())
        GTEST_SKIP() << "unzip is not installed: XLSX not read back";
}

TEST(RecordExport, AnEmptyListKeepsItsTitles)
{
    QTemporaryDir dir;
    const QList<Column> columns = fixtureColumns();
    for (const Kind kind : AllKinds) {
        SCOPED_TRACE(nameOf(kind));
        if (skipKind(kind))
            continue;
        const QString path = dir.filePath(u"empty."_s + RecordExport::extension(kind));
        RecordExport::ListRows rows({});
        QString error;
        ASSERT_TRUE(RecordExport::writeFile(kind, path, columns, rows, {}, &error)) << error.toStdString();
        expectGrid(kind, readBack(kind, path), {fixtureWanted().first()});
    }
}

// The boundary as a parameter: 100 rows a sheet, titles included, stands for 65,536.
TEST(RecordExport, XlsFullSheetContinuesOnANewOneWithTheTitles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"sheets.xls"_s);
    XlsBook book({u"序号"_s, u"姓名"_s}, 100);
    QString error;
    for (int i = 1; i <= 250; ++i)
        ASSERT_TRUE(book.addRow({SheetCell::ofNumber(i), SheetCell::ofText(u"会员%1"_s.arg(i))}, &error));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(book.finish(file, &error)) << error.toStdString();
    file.close();

    FreeXl xls(path);
    ASSERT_TRUE(xls.ok());
    ASSERT_EQ(xls.info(FREEXL_BIFF_SHEET_COUNT), 3u);
    int next = 1;
    const unsigned rowsOf[] = {100, 100, 53}; // 99 data rows a sheet
    for (unsigned short s = 0; s < 3; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(xls.sheetName(s), u"Sheet%1"_s.arg(s + 1));
        const Grid grid = xls.grid(s);
        ASSERT_EQ(grid.size(), qsizetype(rowsOf[s]));
        EXPECT_EQ(texts(grid[0]), (QStringList{u"序号"_s, u"姓名"_s}));
        for (qsizetype r = 1; r < grid.size(); ++r, ++next) {
            ASSERT_TRUE(grid[r][0].isNumber);
            ASSERT_EQ(grid[r][0].number, next);
            ASSERT_EQ(grid[r][1].text, u"会员%1"_s.arg(next));
        }
    }
    EXPECT_EQ(next, 251) << "every row once, in order";
}

// The Workbook stream of a small compound file (its FAT all listed in the header), followed
// sector by sector.
QByteArray workbookStream(const QByteArray& file)
{
    const auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(file.constData() + at); };
    QList<quint32> fat;
    for (int i = 0; i < 109 && u32(76 + 4 * i) != 0xFFFFFFFF; ++i) {
        const qsizetype sector = 512 * (qsizetype(u32(76 + 4 * i)) + 1);
        for (int k = 0; k < 128; ++k)
            fat.append(u32(sector + 4 * k));
    }
    const qsizetype entry = 512 * (qsizetype(u32(48)) + 1) + 128; // the one after Root Entry
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(file.constData() + entry), 8),
              u"Workbook"_s);
    QByteArray stream;
    for (quint32 s = u32(entry + 116); s != 0xFFFFFFFE && s < quint32(fat.size()); s = fat.at(s))
        stream += file.mid(512 * (qsizetype(s) + 1), 512);
    return stream.left(u32(entry + 120));
}

// The shared strings as Excel reads them, refusing what Excel refuses: a string whose length,
// flags and first character are not in one record, or continued characters without their
// flags byte.
QStringList sharedStrings(const QByteArray& stream, quint32* uses)
{
    QList<QByteArray> parts; // the SST record's data, then each CONTINUE's
    for (qsizetype at = 0; at + 4 <= stream.size();) {
        const quint16 type = qFromLittleEndian<quint16>(stream.constData() + at);
        const quint16 size = qFromLittleEndian<quint16>(stream.constData() + at + 2);
        EXPECT_LE(size, 8224);
        if (type == 0x00FC || (type == 0x003C && !parts.isEmpty()))
            parts.append(stream.mid(at + 4, size));
        else if (!parts.isEmpty())
            break;
        at += 4 + size;
    }
    if (parts.isEmpty())
        return {};
    QStringList strings;
    qsizetype part = 0;
    qsizetype at = 8;
    *uses = qFromLittleEndian<quint32>(parts[0].constData());
    const quint32 unique = qFromLittleEndian<quint32>(parts[0].constData() + 4);
    for (quint32 i = 0; i < unique; ++i) {
        if (at == parts[part].size() && part + 1 < parts.size()) {
            ++part; // a string that starts a record has no flags byte before it
            at = 0;
        }
        const QByteArray& p = parts[part];
        if (at + 3 > p.size() || at + 3 + ((p[at + 2] & 1) ? 2 : 1) > p.size()) {
            ADD_FAILURE() << "string " << i << " split before its first character";
            return strings;
        }
        qsizetype left = qFromLittleEndian<quint16>(p.constData() + at);
        bool wide = p[at + 2] & 1;
        EXPECT_EQ(p[at + 2] & ~1, 0) << "no rich text or phonetic data";
        at += 3;
        QString text;
        while (left > 0) {
            if (at == parts[part].size()) {
                if (++part == parts.size()) {
                    ADD_FAILURE() << "string " << i << " runs past the table";
                    return strings;
                }
                at = 0;
                wide = parts[part][at++] & 1; // the flags byte again
            }
            const QByteArray& q = parts[part];
            const qsizetype n = std::min<qsizetype>(left, (q.size() - at) / (wide ? 2 : 1));
            for (qsizetype k = 0; k < n; ++k, at += wide ? 2 : 1)
                text += QChar(wide ? qFromLittleEndian<quint16>(q.constData() + at) : quint8(q[at]));
            left -= n;
            if (n == 0) {
                ADD_FAILURE() << "string " << i << ": half a character at the end of a record";
                return strings;
            }
        }
        strings << text;
    }
    EXPECT_EQ(part, parts.size() - 1);
    EXPECT_EQ(at, parts.last().size());
    return strings;
}

// A string's length, flags and first character stay in one record; characters that run on
// into a CONTINUE record come after the flags byte again. The fillers leave 1 to 6 bytes
// in the first record before the string that follows them.
TEST(RecordExport, XlsSharedStringsPastOneRecordReadBackIntact)
{
    const QString title = u"文字"_s;
    const auto run = [](int length, QChar fill) { return QString(length, fill); };
    QList<QStringList> cases;
    for (int room = 1; room <= 6; ++room) {
        // SST data, at most 8224 bytes: 8 of counts, then 3 + 2 × characters a string, the
        // title first.
        const int left = 8224 - 8 - (3 + 2 * int(title.size())) - room;
        if (left % 2)
            cases.append({run((left - 3) / 2, u'甲')});
        else
            cases.append({run(2000, u'乙'), run((left - 6) / 2 - 2000, u'丙')});
        cases.last() << u"边界之后的字符串"_s << u"ok"_s;
    }
    QStringList many;
    for (int i = 0; i < 1500; ++i)
        many << u"客户%1：%2"_s.arg(i).arg(QString(i % 40, u'号'));
    many.insert(120, run(1000, u'长') + u"中间😀"_s + run(1999, u'x'));
    many << many.first() << many.at(7) << many.first(); // used again, stored once
    cases.append(many);

    QTemporaryDir dir;
    for (const QStringList& strings : cases) {
        SCOPED_TRACE(strings.first().left(1).toStdString() + " ×" + std::to_string(strings.size()));
        XlsBook book({title});
        QString error;
        for (const QString& s : strings)
            ASSERT_TRUE(book.addRow({SheetCell::ofText(s)}, &error));
        const QString path = dir.filePath(u"strings.xls"_s);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_TRUE(book.finish(file, &error)) << error.toStdString();
        file.close();

        QStringList unique{title};
        for (const QString& s : strings) {
            if (!unique.contains(s))
                unique << s;
        }
        quint32 uses = 0;
        EXPECT_EQ(sharedStrings(workbookStream(readAll(path)), &uses), unique);
        EXPECT_EQ(uses, quint32(strings.size() + 1)) << "every cell that refers to the table";

        FreeXl xls(path);
        ASSERT_TRUE(xls.ok());
        EXPECT_EQ(xls.info(FREEXL_BIFF_STRING_COUNT), unsigned(unique.size()));
        const Grid grid = xls.grid(0);
        ASSERT_EQ(grid.size(), strings.size() + 1);
        for (qsizetype i = 0; i < strings.size(); ++i)
            ASSERT_EQ(grid[i + 1][0].text, strings[i]) << "row " << i + 1;
    }
}

// 120,000 rows: two sheets at Excel's 65,536, and a file past the 109 FAT sectors the header
// can list (7 MB), so the rest are listed in DIFAT sectors.
TEST(RecordExport, ALargeXlsSpansSheetsAndDifatSectors)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"large.xls"_s);
    constexpr qint64 count = 120000;
    CountedRows rows(count);
    QList<std::pair<qint64, qint64>> calls;
    const auto progress = [&](qint64 done, qint64 total) {
        calls.append({done, total});
        return true;
    };
    QString error;
    ASSERT_TRUE(RecordExport::writeFile(Kind::Xls, path, countedColumns(), rows, progress, &error))
        << error.toStdString();

    ASSERT_FALSE(calls.isEmpty());
    EXPECT_EQ(calls.last(), std::make_pair(count, count));
    for (qsizetype i = 1; i < calls.size(); ++i)
        EXPECT_GT(calls[i].first, calls[i - 1].first);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(512);
    file.close();
    ASSERT_EQ(header.size(), 512);
    const auto field = [&](int at) { return qFromLittleEndian<quint32>(header.constData() + at); };
    EXPECT_GT(field(0x2C), 109u) << "FAT sectors";
    EXPECT_GE(field(0x48), 1u) << "DIFAT sectors";
    EXPECT_LT(field(0x44), 0xFFFFFFFAu) << "first DIFAT sector";

    FreeXl xls(path);
    ASSERT_TRUE(xls.ok());
    ASSERT_EQ(xls.info(FREEXL_BIFF_SHEET_COUNT), 2u);
    EXPECT_EQ(xls.select(0), std::make_pair(65536u, 4u));
    const auto row = [&](unsigned r) {
        QStringList cells;
        for (unsigned short c = 0; c < 4; ++c) {
            const Got g = xls.cell(r, c);
            cells << (g.isNumber ? QString::number(g.number) : g.text);
        }
        return cells;
    };
    const QStringList titles{u"序号"_s, u"会员卡号"_s, u"卡类别"_s, u"积分"_s};
    EXPECT_EQ(row(0), titles);
    EXPECT_EQ(row(1), (QStringList{u"1"_s, u"00000001"_s, u"金卡"_s, u"0"_s}));
    EXPECT_EQ(row(65535), (QStringList{u"65535"_s, u"00065535"_s, u"普通卡"_s, u"133.5"_s}));
    EXPECT_EQ(xls.select(1), std::make_pair(unsigned(count - 65535 + 1), 4u));
    EXPECT_EQ(row(0), titles);
    EXPECT_EQ(row(1), (QStringList{u"65536"_s, u"00065536"_s, u"金卡"_s, u"133.75"_s}));
    EXPECT_EQ(row(54465), (QStringList{u"120000"_s, u"00120000"_s, u"普通卡"_s, u"249.75"_s}));
}

// 60,000 rows: several megabytes of sheet XML, compressed piece by piece while the rows are
// still written, which must read back as one whole worksheet.
TEST(RecordExport, ALargeXlsxReadsBackWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"large.xlsx"_s);
    constexpr qint64 count = 60000;
    CountedRows rows(count);
    QString error;
    ASSERT_TRUE(RecordExport::writeFile(Kind::Xlsx, path, countedColumns(), rows, {}, &error)) << error.toStdString();

    SheetReader::Sheet sheet;
    ASSERT_TRUE(SheetReader::read(path, u"sheet1"_s, &sheet, &error)) << error.toStdString();
    ASSERT_EQ(sheet.rows.size(), count + 1);
    const auto row = [&](qsizetype r) {
        QStringList cells;
        for (const SheetCell& c : sheet.rows.at(r).cells)
            cells << (c.type == SheetCell::Type::Number ? QString::number(c.number) : c.text);
        return cells;
    };
    EXPECT_EQ(row(0), (QStringList{u"序号"_s, u"会员卡号"_s, u"卡类别"_s, u"积分"_s}));
    EXPECT_EQ(row(1), (QStringList{u"1"_s, u"00000001"_s, u"金卡"_s, u"0"_s}));
    EXPECT_EQ(row(54321), (QStringList{u"54321"_s, u"00054321"_s, u"普通卡"_s, u"80"_s}));
    EXPECT_EQ(row(count), (QStringList{u"60000"_s, u"00060000"_s, u"普通卡"_s, u"249.75"_s}));
    if (!unzipProgram().isEmpty()) {
        QProcess test;
        test.start(unzipProgram(), {u"-tq"_s, path});
        ASSERT_TRUE(test.waitForFinished(300000));
        EXPECT_EQ(test.exitCode(), 0) << test.readAllStandardOutput().toStdString();
    }
}

TEST(RecordExport, AFailingDeviceGivesTheReason)
{
    for (const Kind kind : AllKinds) {
        SCOPED_TRACE(nameOf(kind));
        FailingDevice device(100);
        RecordExport::ListRows rows(fixtureRows());
        QString error;
        EXPECT_FALSE(RecordExport::write(kind, device, fixtureColumns(), rows, {}, &error));
        EXPECT_EQ(error, u"写入文件失败：磁盘空间不足"_s);
    }
}

TEST(RecordExport, XlsRefusesMoreColumnsThanASheetHas)
{
    QList<Column> columns;
    for (int i = 0; i < 257; ++i)
        columns.append({u"c%1"_s.arg(i), u"列%1"_s.arg(i), DisplayFormat::Plain});
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    RecordExport::ListRows rows({});
    QString error;
    EXPECT_FALSE(RecordExport::write(Kind::Xls, buffer, columns, rows, {}, &error));
    EXPECT_TRUE(error.contains(u"256"_s)) << error.toStdString();
    EXPECT_TRUE(buffer.data().isEmpty());
}

TEST(RecordExport, AFailedOrCancelledExportLeavesTheOlderFile)
{
    QTemporaryDir dir;
    {
        QFile blocker(dir.filePath(u"notafolder"_s));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    RecordExport::ListRows none({});
    QString error;
    EXPECT_FALSE(RecordExport::writeFile(Kind::Csv, dir.filePath(u"notafolder/list.csv"_s), fixtureColumns(),
                                         none, {}, &error));
    EXPECT_TRUE(error.startsWith(u"无法写入文件"_s)) << error.toStdString();

    const QByteArray older = "older export";
    for (const Kind kind : AllKinds) {
        SCOPED_TRACE(nameOf(kind));
        const QString path = dir.filePath(u"list."_s + RecordExport::extension(kind));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(older);
        file.close();
        for (const qint64 stopAt : {qint64(500), qint64(1200)}) {
            CountedRows rows(1200);
            qint64 seen = 0;
            const auto progress = [&](qint64 done, qint64) {
                seen = done;
                return done < stopAt;
            };
            EXPECT_FALSE(RecordExport::writeFile(kind, path, countedColumns(), rows, progress, &error));
            EXPECT_EQ(error, u"导出已取消"_s);
            EXPECT_EQ(seen, stopAt) << "stops at the first refusal";
            EXPECT_EQ(readAll(path), older);
        }
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 7) << "no temporary left behind";
}

TEST(RecordExport, QueryRowsFollowTheListsOrder)
{
    TestHome home;
    const auto add = [&](const QString& card, const QString& name, double points) {
        home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 积分) values (?, ?, ?)"_s,
                  {card, name, points});
    };
    add(u"1001"_s, u"甲"_s, 5.5);
    add(u"1002"_s, u"乙"_s, 120);
    add(u"1003"_s, u"丙"_s, 30.25);
    SharedQuery* query = home.dm().ADOQuery5;
    ASSERT_EQ(query->open(), QString());
    ASSERT_EQ(query->setSortKeys({{u"积分"_s, Qt::DescendingOrder}}), QString());
    const QList<Column> columns{{u"会员卡号"_s, u"卡号"_s, DisplayFormat::Plain},
                                {u"会员姓名"_s, u"姓名"_s, DisplayFormat::Plain},
                                {u"积分"_s, u"积分"_s, DisplayFormat::Points}};
    const QList<QList<Want>> wanted{{{u"卡号"_s}, {u"姓名"_s}, {u"积分"_s}},
                                    {{u"1002"_s}, {u"乙"_s}, {u"120"_s, 120}},
                                    {{u"1003"_s}, {u"丙"_s}, {u"30.25"_s, 30.25}},
                                    {{u"1001"_s}, {u"甲"_s}, {u"5.5"_s, 5.5}}};

    QTemporaryDir dir;
    for (const Kind kind : {Kind::Csv, Kind::Xls}) {
        SCOPED_TRACE(nameOf(kind));
        RecordExport::QueryRows rows(*query);
        EXPECT_EQ(rows.rowCount(), 3);
        const QString path = dir.filePath(u"members."_s + RecordExport::extension(kind));
        QString error;
        ASSERT_TRUE(RecordExport::writeFile(kind, path, columns, rows, {}, &error)) << error.toStdString();
        expectGrid(kind, readBack(kind, path), wanted);
    }
}

} // namespace
