#include "sheets/xlsxbook.h"

#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int MaxWidth = 50;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString libraryError(lxw_error code)
{
    return QString::fromUtf8(lxw_strerror(code));
}



} // namespace

XlsxBook::XlsxBook(QStringList titles) : m_titles(std::move(titles))
{
    m_columns = int(std::min<qsizetype>(m_titles.size(), MaxColumns));
    m_widths.resize(m_columns);
    for (int c = 0; c < m_columns; ++c)
        m_widths[c] = SheetText::width(m_titles.at(c), MaxWidth);
}

XlsxBook::~XlsxBook()
{
    close();
}

void XlsxBook::close()
{
    // The library has no way to drop a book half made: closing it writes the file into the
    // temporary folder, which goes with this object, and releases the library's own files.
    if (m_book)
        workbook_close(m_book);
    m_book = nullptr;
    m_sheet = nullptr;
    m_bold = nullptr;
    m_date = nullptr;
}

bool XlsxBook::open(QString* error)
{
    if (m_book)
        return true;
    if (!m_dir.isValid()) {
        setError(error, u"无法创建临时文件夹："_s + m_dir.errorString());
        return false;
    }
    m_path = m_dir.filePath(u"book.xlsx"_s);
    m_tmpdir = QFile::encodeName(QDir::tempPath());
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_tmpdir.data();
    options.use_zip64 = LXW_FALSE;
    m_book = workbook_new_opt(QFile::encodeName(m_path).constData(), &options);
    if (!m_book) {
        setError(error, u"无法创建 XLSX 文件。"_s);
        return false;
    }
    m_sheet = workbook_add_worksheet(m_book, "Sheet1");
    m_bold = workbook_add_format(m_book);
    m_date = workbook_add_format(m_book);
    if (!m_sheet || !m_bold || !m_date) {
        close();
        setError(error, u"无法创建 XLSX 工作表。"_s);
        return false;
    }
    format_set_bold(m_bold);
    format_set_num_format(m_date, "yyyy-mm-dd");
    QList<SheetCell> titles;
    for (int c = 0; c < m_columns; ++c)
        titles.append(SheetCell::ofText(m_titles.at(c)));
    return putRow(titles, m_bold, error);
}

bool XlsxBook::putRow(const QList<SheetCell>& cells, lxw_format* format, QString* error)
{
    const int count = int(std::min<qsizetype>(cells.size(), m_columns));
    for (int c = 0; c < count; ++c) {
        const SheetCell& cell = cells.at(c);
        lxw_error code = LXW_NO_ERROR;
        if (cell.type == SheetCell::Type::Number) {
            code = worksheet_write_number(m_sheet, m_row, lxw_col_t(c), cell.number, format);
            m_widths[c] = std::max(m_widths.at(c), int(QString::number(cell.number, 'g', 15).size()));
        } else if (cell.type == SheetCell::Type::Date && cell.date.isValid()) {
            code = worksheet_write_number(m_sheet, m_row, lxw_col_t(c), SheetDates::toSerial(cell.date), m_date);
            m_widths[c] = std::max(m_widths.at(c), 10);
        } else if (cell.type == SheetCell::Type::Text && !cell.text.isEmpty()) {
            const QString text = SheetText::clipped(cell.text, XlsxBook::MaxTextLength);
            code = worksheet_write_string(m_sheet, m_row, lxw_col_t(c), text.toUtf8().constData(), format);
            m_widths[c] = std::max(m_widths.at(c), SheetText::width(text, MaxWidth));
        }
        if (code != LXW_NO_ERROR) {
            setError(error, u"写入 XLSX 失败："_s + libraryError(code));
            return false;
        }
    }
    ++m_row;
    return true;
}

bool XlsxBook::addRow(const QList<SheetCell>& cells, QString* error)
{
    if (!open(error))
        return false;
    if (m_row >= quint32(MaxRows)) {
        setError(error, u"XLSX 工作表最多 %1 行（含标题行），这份列表超过了上限。"_s.arg(MaxRows));
        return false;
    }
    return putRow(cells, nullptr, error);
}

bool XlsxBook::finish(QIODevice& device, QString* error)
{
    if (!open(error))
        return false;
    for (int c = 0; c < m_columns; ++c)
        worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c), std::max(m_widths.at(c) + 2, 6), nullptr);
    const lxw_error code = workbook_close(m_book);
    m_book = nullptr;
    if (code != LXW_NO_ERROR) {
        setError(error, u"生成 XLSX 文件失败："_s + libraryError(code));
        return false;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, u"读取临时文件失败："_s + file.errorString());
        return false;
    }
    for (;;) {
        const QByteArray chunk = file.read(1 << 20);
        if (chunk.isEmpty())
            break;
        if (device.write(chunk) != chunk.size()) {
            setError(error, u"写入文件失败："_s + device.errorString());
            return false;
        }
    }
    if (file.error() != QFileDevice::NoError) {
        setError(error, u"读取临时文件失败："_s + file.errorString());
        return false;
    }
    return true;
}
