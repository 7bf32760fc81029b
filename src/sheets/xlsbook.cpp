#include "sheets/xlsbook.h"

#include <QDir>
#include <QtEndian>

#include <algorithm>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString writeFailed(const QIODevice& device)
{
    return u"写入文件失败："_s + device.errorString();
}

bool put(QIODevice& device, const QByteArray& bytes, QString* error)
{
    if (device.write(bytes) == bytes.size())
        return true;
    setError(error, writeFailed(device));
    return false;
}

void put8(QByteArray& out, quint8 value)
{
    out.append(char(value));
}

void put16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void put32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void putUtf16(QByteArray& out, const QChar* text, qsizetype count)
{
    const qsizetype at = out.size();
    out.resize(at + count * 2);
    qToLittleEndian<quint16>(text, count, out.data() + at);
}

void patch32(QByteArray& out, qsizetype at, quint32 value)
{
    qToLittleEndian(value, out.data() + at);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Compound file

namespace CompoundFile {

namespace {
constexpr quint32 FreeSector = 0xFFFFFFFF;
constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FatSector = 0xFFFFFFFD;
constexpr quint32 DifatSector = 0xFFFFFFFC;
constexpr quint32 NoStream = 0xFFFFFFFF;
constexpr int IdsPerSector = SectorSize / 4;
constexpr int IdsInHeader = 109;
constexpr int DirectoryEntrySize = 128;

void putEntry(QByteArray& out, const QString& name, quint8 type, quint32 child, quint32 start, quint32 size)
{
    const qsizetype at = out.size();
    const QString shortName = name.left(31);
    putUtf16(out, shortName.constData(), shortName.size());
    out.append(64 - shortName.size() * 2, '\0');
    put16(out, name.isEmpty() ? 0 : quint16((shortName.size() + 1) * 2));
    put8(out, type);
    put8(out, 1); // black: a tree of one node needs no balancing
    put32(out, NoStream);
    put32(out, NoStream);
    put32(out, child);
    out.append(16 + 4 + 8 + 8, '\0'); // class, state bits, creation and modification times
    put32(out, start);
    put32(out, size);
    put32(out, 0);
    Q_ASSERT(out.size() - at == DirectoryEntrySize);
}
} // namespace

bool write(QIODevice& device, const QString& streamName, qint64 size, const std::function<bool()>& body,
           QString* error)
{
    // Sector ids are 32-bit and BIFF offsets too; 2 GB is far past any list a shop keeps.
    if (size < 0 || size > 0x7FFFFFFF) {
        setError(error, u"文件太大，超出了 Excel 97-2003 文件的上限。"_s);
        return false;
    }
    const quint32 streamSectors = quint32((size + SectorSize - 1) / SectorSize);
    const quint32 directory = streamSectors;
    // The tables cover themselves as well, so grow them until they cover every sector.
    quint32 fatSectors = 0;
    quint32 difatSectors = 0;
    for (;;) {
        const quint64 total = quint64(streamSectors) + 1 + fatSectors + difatSectors;
        const auto fat = quint32((total + IdsPerSector - 1) / IdsPerSector);
        const quint32 difat =
            fat > quint32(IdsInHeader) ? (fat - IdsInHeader + IdsPerSector - 2) / (IdsPerSector - 1) : 0;
        if (fat == fatSectors && difat == difatSectors)
            break;
        fatSectors = fat;
        difatSectors = difat;
    }
    const quint32 firstFat = directory + 1;
    const quint32 firstDifat = firstFat + fatSectors;
    const quint32 sectorCount = firstDifat + difatSectors;

    QByteArray header;
    header.reserve(SectorSize);
    header.append("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    header.append(16, '\0');
    put16(header, 0x003E);
    put16(header, 0x0003);
    put16(header, 0xFFFE);
    put16(header, 9); // 512-byte sectors
    put16(header, 6); // 64-byte mini sectors
    header.append(6, '\0');
    put32(header, 0); // directory sectors: always 0 in version 3
    put32(header, fatSectors);
    put32(header, directory);
    put32(header, 0);
    put32(header, quint32(MiniStreamCutoff));
    put32(header, EndOfChain); // no mini FAT
    put32(header, 0);
    put32(header, difatSectors ? firstDifat : EndOfChain);
    put32(header, difatSectors);
    for (quint32 i = 0; i < quint32(IdsInHeader); ++i)
        put32(header, i < fatSectors ? firstFat + i : FreeSector);
    Q_ASSERT(header.size() == SectorSize);
    if (!put(device, header, error))
        return false;

    if (!body())
        return false;
    const qint64 tail = qint64(streamSectors) * SectorSize - size;
    if (tail > 0 && !put(device, QByteArray(tail, '\0'), error))
        return false;

    QByteArray entries;
    putEntry(entries, u"Root Entry"_s, 5, 1, EndOfChain, 0);
    putEntry(entries, streamName, 2, NoStream, size > 0 ? 0 : EndOfChain, quint32(size));
    putEntry(entries, {}, 0, NoStream, 0, 0);
    putEntry(entries, {}, 0, NoStream, 0, 0);
    if (!put(device, entries, error))
        return false;

    QByteArray sector;
    sector.reserve(SectorSize);
    for (quint32 fat = 0; fat < fatSectors; ++fat) {
        sector.clear();
        for (quint32 i = fat * IdsPerSector; i < (fat + 1) * IdsPerSector; ++i) {
            quint32 next = FreeSector;
            if (i < streamSectors)
                next = i + 1 == streamSectors ? EndOfChain : i + 1;
            else if (i == directory)
                next = EndOfChain;
            else if (i >= firstFat && i < firstDifat)
                next = FatSector;
            else if (i >= firstDifat && i < sectorCount)
                next = DifatSector;
            put32(sector, next);
        }
        if (!put(device, sector, error))
            return false;
    }
    for (quint32 d = 0; d < difatSectors; ++d) {
        sector.clear();
        for (quint32 k = 0; k < quint32(IdsPerSector - 1); ++k) {
            const quint32 fat = IdsInHeader + d * (IdsPerSector - 1) + k;
            put32(sector, fat < fatSectors ? firstFat + fat : FreeSector);
        }
        put32(sector, d + 1 < difatSectors ? firstDifat + d + 1 : EndOfChain);
        if (!put(device, sector, error))
            return false;
    }
    return true;
}

} // namespace CompoundFile

// ---------------------------------------------------------------------------------------
// Workbook

namespace {

enum Record : quint16
{
    Bof = 0x0809,
    Eof = 0x000A,
    Codepage = 0x0042,
    Window1 = 0x003D,
    Font = 0x0031,
    Xf = 0x00E0,
    Style = 0x0293,
    BoundSheet = 0x0085,
    Sst = 0x00FC,
    Continue = 0x003C,
    ExtSst = 0x00FF,
    ColInfo = 0x007D,
    Dimensions = 0x0200,
    Window2 = 0x023E,
    LabelSst = 0x00FD,
    Number = 0x0203,
};

constexpr int MaxRecordData = 8224;
constexpr quint16 GlobalsType = 0x0005;
constexpr quint16 WorksheetType = 0x0010;
// Cell formats after the 15 style formats every workbook starts with.
constexpr quint16 CellXf = 15;
constexpr quint16 TitleXf = 16;
constexpr quint16 DateXf = 17;
// The built-in short date format, which every reader takes for a date.
constexpr quint16 ShortDateFormat = 14;
// Font index 4 does not exist for Excel, so the fifth font record is font 5.
constexpr quint16 BoldFont = 5;
constexpr int MaxWidth = 50;
constexpr qsizetype PendingLimit = 1 << 20;

void putRecord(QByteArray& out, quint16 type, const QByteArray& data)
{
    Q_ASSERT(data.size() <= MaxRecordData);
    put16(out, type);
    put16(out, quint16(data.size()));
    out.append(data);
}

QByteArray bof(quint16 type)
{
    QByteArray d;
    put16(d, 0x0600); // BIFF8
    put16(d, type);
    put16(d, 0x0DBB);
    put16(d, 0x07CC);
    put32(d, 0);
    put32(d, 0x00000006);
    return d;
}

// A font name or sheet name: 8-bit length, then the characters, always as UTF-16.
void putShortString(QByteArray& out, const QString& text)
{
    put8(out, quint8(text.size()));
    put8(out, 1);
    putUtf16(out, text.constData(), text.size());
}

QByteArray font(bool bold)
{
    QByteArray d;
    put16(d, 220);          // 11 pt in twips
    put16(d, bold ? 1 : 0); // older readers take bold from here, Excel from the weight
    put16(d, 0x7FFF);       // the window text colour
    put16(d, bold ? 700 : 400);
    put16(d, 0);
    put8(d, 0);
    put8(d, 0);
    put8(d, 134); // GB2312: the Chinese font is picked for the Chinese text
    put8(d, 0);
    putShortString(d, u"宋体"_s);
    return d;
}

QByteArray xf(quint16 fontIndex, bool style, quint8 usedAttributes, quint16 numberFormat = 0)
{
    QByteArray d;
    put16(d, fontIndex);
    put16(d, numberFormat);            // 0: General
    put16(d, style ? 0xFFF5 : 0x0001); // locked; a style format has no parent
    put8(d, 0x20);                     // aligned to the bottom
    put8(d, 0);
    put8(d, 0);
    put8(d, usedAttributes);
    put32(d, 0);
    put32(d, 0);
    put16(d, 0x20C0); // automatic pattern colours
    return d;
}



} // namespace

XlsBook::XlsBook(QStringList titles, int rowsPerSheet)
    : m_titles(std::move(titles)), m_rowsPerSheet(std::clamp(rowsPerSheet, 2, MaxSheetRows))
{
    m_columns = int(std::min<qsizetype>(m_titles.size(), MaxColumns));
    m_widths.resize(m_columns);
    for (int c = 0; c < m_columns; ++c)
        m_widths[c] = SheetText::width(m_titles.at(c), MaxWidth);
}

XlsBook::~XlsBook() = default;

quint32 XlsBook::stringIndex(const QString& text)
{
    ++m_stringUses;
    // One look-up: a new text finds its slot at 0 and is given its number (plus one) there.
    quint32& slot = m_stringIndex[text];
    if (slot == 0) {
        m_strings.append(text);
        slot = quint32(m_strings.size());
    }
    return slot - 1;
}

void XlsBook::noteWidth(int column, int width)
{
    if (width > m_widths.at(column))
        m_widths[column] = width;
}

void XlsBook::putRow(quint16 row, const QList<SheetCell>& cells, quint16 xfIndex)
{
    // Each cell record is made whole on the stack and appended once.
    const int count = int(std::min<qsizetype>(cells.size(), m_columns));
    for (int c = 0; c < count; ++c) {
        const SheetCell& cell = cells.at(c);
        if (cell.type == SheetCell::Type::Number || (cell.type == SheetCell::Type::Date && cell.date.isValid())) {
            const bool date = cell.type == SheetCell::Type::Date;
            const double number = date ? SheetDates::toSerial(cell.date) : cell.number;
            quint64 bits = 0;
            std::memcpy(&bits, &number, sizeof bits);
            char record[18];
            qToLittleEndian<quint16>(Number, record);
            qToLittleEndian<quint16>(14, record + 2);
            qToLittleEndian<quint16>(row, record + 4);
            qToLittleEndian<quint16>(quint16(c), record + 6);
            qToLittleEndian<quint16>(date ? DateXf : xfIndex, record + 8);
            qToLittleEndian<quint64>(bits, record + 10);
            m_pending.append(record, sizeof record);
            noteWidth(c, date ? 10 : int(QString::number(number, 'g', 15).size()));
        } else if (cell.type == SheetCell::Type::Text && !cell.text.isEmpty()) {
            // An empty string in the table is refused by some readers; an empty cell is
            // simply left out.
            const QString text = SheetText::clipped(cell.text, XlsBook::MaxTextLength);
            char record[14];
            qToLittleEndian<quint16>(LabelSst, record);
            qToLittleEndian<quint16>(10, record + 2);
            qToLittleEndian<quint16>(row, record + 4);
            qToLittleEndian<quint16>(quint16(c), record + 6);
            qToLittleEndian<quint16>(xfIndex, record + 8);
            qToLittleEndian<quint32>(stringIndex(text), record + 10);
            m_pending.append(record, sizeof record);
            noteWidth(c, SheetText::width(text, MaxWidth));
        }
    }
}

bool XlsBook::flushPending(QString* error)
{
    if (m_pending.isEmpty())
        return true;
    if (m_cells.write(m_pending) != m_pending.size()) {
        setError(error, u"写入临时文件失败："_s + m_cells.errorString());
        return false;
    }
    m_cellBytes += m_pending.size();
    m_pending.clear();
    return true;
}

bool XlsBook::startSheet(QString* error)
{
    if (!m_cells.isOpen()) {
        m_cells.setFileTemplate(QDir::tempPath() + u"/quorvane-xls-XXXXXX"_s);
        if (!m_cells.open()) {
            setError(error, u"无法创建临时文件："_s + m_cells.errorString());
            return false;
        }
    }
    const qint64 at = m_cellBytes + m_pending.size();
    if (!m_sheets.isEmpty())
        m_sheets.last().end = at;
    Sheet sheet;
    sheet.begin = at;
    sheet.rows = 1;
    m_sheets.append(sheet);
    QList<SheetCell> titles;
    for (int c = 0; c < m_columns; ++c)
        titles.append(SheetCell::ofText(m_titles.at(c)));
    putRow(0, titles, TitleXf);
    return true;
}

bool XlsBook::addRow(const QList<SheetCell>& cells, QString* error)
{
    if ((m_sheets.isEmpty() || m_sheets.last().rows >= quint32(m_rowsPerSheet)) && !startSheet(error))
        return false;
    Sheet& sheet = m_sheets.last();
    putRow(quint16(sheet.rows), cells, CellXf);
    ++sheet.rows;
    return m_pending.size() < PendingLimit || flushPending(error);
}

QByteArray XlsBook::globals(QList<qsizetype>* sheetOffsetAt) const
{
    QByteArray out;
    putRecord(out, Bof, bof(GlobalsType));
    QByteArray d;
    put16(d, 1200); // strings are UTF-16
    putRecord(out, Codepage, d);

    d.clear();
    put16(d, 0);
    put16(d, 0);
    put16(d, 0x4000);
    put16(d, 0x2000);
    put16(d, 0x0038); // both scroll bars and the sheet tabs
    put16(d, 0);
    put16(d, 0);
    put16(d, 1);
    put16(d, 600);
    putRecord(out, Window1, d);

    for (int i = 0; i < 4; ++i)
        putRecord(out, Font, font(false));
    putRecord(out, Font, font(true));

    putRecord(out, Xf, xf(0, true, 0));
    for (int i = 1; i < 15; ++i)
        putRecord(out, Xf, xf(0, true, 0xF4));
    putRecord(out, Xf, xf(0, false, 0));
    putRecord(out, Xf, xf(BoldFont, false, 0x08)); // the font differs from the Normal style
    putRecord(out, Xf, xf(0, false, 0x04, ShortDateFormat)); // so does the number format
    static_assert(CellXf == 15 && TitleXf == 16 && DateXf == 17);

    d.clear();
    put16(d, 0x8000); // built-in style on format 0
    put8(d, 0);       // Normal
    put8(d, 0xFF);
    putRecord(out, Style, d);

    for (int i = 0; i < m_sheets.size(); ++i) {
        d.clear();
        put32(d, 0); // the sheet's position, patched once every size is known
        put8(d, 0);  // visible
        put8(d, 0);  // worksheet
        putShortString(d, u"Sheet%1"_s.arg(i + 1));
        sheetOffsetAt->append(out.size() + 4);
        putRecord(out, BoundSheet, d);
    }
    return out;
}

QByteArray XlsBook::sharedStrings(qint64 streamPosition) const
{
    // A record holds at most 8224 bytes; the rest goes into CONTINUE records. A string's
    // length, flags and first character stay together; when its characters run on, the
    // next record starts with the flags byte again.
    const auto unique = quint32(m_strings.size());
    const quint32 perBucket = std::max<quint32>(unique / 128 + 1, 8);
    QByteArray buckets;
    put16(buckets, quint16(perBucket));

    QByteArray out;
    QByteArray record;
    record.reserve(MaxRecordData);
    put32(record, m_stringUses);
    put32(record, unique);
    quint16 type = Sst;
    const auto endRecord = [&] {
        putRecord(out, type, record);
        record.clear();
        type = Continue;
    };
    for (quint32 i = 0; i < unique; ++i) {
        const QString& text = m_strings.at(i);
        if (record.size() + 3 + 2 > MaxRecordData)
            endRecord();
        if (i % perBucket == 0) {
            put32(buckets, quint32(streamPosition + out.size() + 4 + record.size()));
            put16(buckets, quint16(4 + record.size()));
            put16(buckets, 0);
        }
        put16(record, quint16(text.size()));
        put8(record, 1); // uncompressed UTF-16
        const QChar* at = text.constData();
        qsizetype left = text.size();
        while (left > 0) {
            qsizetype room = (MaxRecordData - record.size()) / 2;
            if (room == 0) {
                endRecord();
                put8(record, 1);
                room = (MaxRecordData - 1) / 2;
            }
            const qsizetype n = std::min(room, left);
            putUtf16(record, at, n);
            at += n;
            left -= n;
        }
    }
    endRecord();
    putRecord(out, ExtSst, buckets);
    return out;
}

QByteArray XlsBook::sheetHead(const Sheet& sheet) const
{
    QByteArray out;
    putRecord(out, Bof, bof(WorksheetType));
    for (int c = 0; c < m_columns; ++c) {
        QByteArray d;
        put16(d, quint16(c));
        put16(d, quint16(c));
        put16(d, quint16(std::max(m_widths.at(c) + 2, 6) * 256));
        put16(d, CellXf);
        put16(d, 0);
        put16(d, 0);
        putRecord(out, ColInfo, d);
    }
    QByteArray d;
    put32(d, 0);
    put32(d, m_columns ? sheet.rows : 0); // one past the last row
    put16(d, 0);
    put16(d, quint16(m_columns));
    put16(d, 0);
    putRecord(out, Dimensions, d);
    return out;
}

QByteArray XlsBook::sheetTail(int index) const
{
    QByteArray out;
    QByteArray d;
    // Grid lines, headings, zeros, default header colour, outline symbols; the first sheet
    // is the selected one.
    put16(d, index == 0 ? 0x06B6 : 0x00B6);
    put16(d, 0);
    put16(d, 0);
    put16(d, 0x0040);
    put16(d, 0);
    put16(d, 0);
    put16(d, 0);
    put32(d, 0);
    putRecord(out, Window2, d);
    putRecord(out, Eof, {});
    return out;
}

bool XlsBook::copyCells(QIODevice& device, const Sheet& sheet, QString* error)
{
    if (!m_cells.seek(sheet.begin)) {
        setError(error, u"读取临时文件失败："_s + m_cells.errorString());
        return false;
    }
    qint64 left = sheet.end - sheet.begin;
    while (left > 0) {
        const QByteArray chunk = m_cells.read(std::min<qint64>(left, 1 << 20));
        if (chunk.isEmpty()) {
            setError(error, u"读取临时文件失败："_s + m_cells.errorString());
            return false;
        }
        if (!put(device, chunk, error))
            return false;
        left -= chunk.size();
    }
    return true;
}

bool XlsBook::finish(QIODevice& device, QString* error)
{
    if (m_sheets.isEmpty() && !startSheet(error))
        return false;
    m_sheets.last().end = m_cellBytes + m_pending.size();
    if (!flushPending(error))
        return false;
    if (!m_cells.flush()) {
        setError(error, u"写入临时文件失败："_s + m_cells.errorString());
        return false;
    }

    QList<qsizetype> offsetAt;
    QByteArray head = globals(&offsetAt);
    QByteArray rest = sharedStrings(head.size());
    putRecord(rest, Eof, {});

    QList<QByteArray> heads;
    QList<QByteArray> tails;
    qint64 position = head.size() + rest.size();
    for (int i = 0; i < m_sheets.size(); ++i) {
        const Sheet& sheet = m_sheets.at(i);
        heads.append(sheetHead(sheet));
        tails.append(sheetTail(i));
        if (position > 0x7FFFFFFF)
            break; // refused below, before anything is written
        patch32(head, offsetAt.at(i), quint32(position));
        position += heads.last().size() + (sheet.end - sheet.begin) + tails.last().size();
    }
    // A stream that short would have to live in the mini stream; zeros after the last
    // end-of-file record are read as the end of the records.
    const qint64 size = std::max(position, CompoundFile::MiniStreamCutoff);

    return CompoundFile::write(
        device, u"Workbook"_s, size,
        [&] {
            if (!put(device, head, error) || !put(device, rest, error))
                return false;
            for (int i = 0; i < m_sheets.size(); ++i) {
                if (!put(device, heads.at(i), error) || !copyCells(device, m_sheets.at(i), error) ||
                    !put(device, tails.at(i), error))
                    return false;
            }
            return size == position || put(device, QByteArray(size - position, '\0'), error);
        },
        error);
}

namespace SheetText {

int width(const QString& text, int cap)
{
    int widest = 0;
    int line = 0;
    for (const QChar c : text) {
        if (c == u'\n') {
            line = 0;
            continue;
        }
        line += c.unicode() >= 0x2E80 ? 2 : 1;
        widest = std::max(widest, line);
        if (widest >= cap)
            return cap;
    }
    return widest;
}

QString clipped(const QString& text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    qsizetype n = limit;
    if (text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

} // namespace SheetText

namespace SheetDates {

namespace {
const QDate Day0In1900(1899, 12, 31);
// From day 61 on: the phantom 29 February 1900 sits in between.
const QDate Day0After1900Leap(1899, 12, 30);
const QDate Day0In1904(1904, 1, 1);
constexpr double LastSerial = 2958465; // 31 December 9999
} // namespace

QDate fromSerial(double serial, bool from1904)
{
    if (!(serial >= (from1904 ? 0 : 1)) || serial > LastSerial + 1)
        return {};
    const auto day = qint64(serial);
    if (from1904)
        return Day0In1904.addDays(day);
    return day < 61 ? Day0In1900.addDays(day) : Day0After1900Leap.addDays(day);
}

double toSerial(const QDate& date)
{
    const qint64 days = Day0After1900Leap.daysTo(date);
    return double(days < 61 ? Day0In1900.daysTo(date) : days);
}

} // namespace SheetDates
