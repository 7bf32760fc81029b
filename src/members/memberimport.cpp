#include "members/memberimport.h"

#include "data/clock.h"
#include "data/sqlrun.h"
#include "data/values.h"
#include "members/memberdates.h"
#include "points/transactionlog.h"
#include "sheets/sheetreader.h"
#include "sheets/xlsbook.h"

#include <QHash>
#include <QSaveFile>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace MemberImport {

namespace {

// How a column's cells become the stored value.
enum class Kind { Text, Birthday, Points, Date };

struct ImportColumn
{
    const char* name;
    Kind kind;
};

const ImportColumn g_columns[] = {
    {"会员卡号", Kind::Text}, {"卡类别", Kind::Text},     {"会员姓名", Kind::Text}, {"性别", Kind::Text},
    {"身份证号", Kind::Text}, {"会员生日", Kind::Birthday}, {"积分", Kind::Points},   {"地址", Kind::Text},
    {"固定电话", Kind::Text}, {"起用日期", Kind::Date},     {"手机", Kind::Text},     {"职业", Kind::Text},
    {"兴趣爱好", Kind::Text}, {"车牌号", Kind::Text},       {"VIN码", Kind::Text},    {"车型", Kind::Text},
    {"车身颜色", Kind::Text}, {"购车日期", Kind::Date},
};
constexpr int CardColumn = 0;
constexpr int CategoryColumn = 1;
constexpr qint64 ProgressEvery = 200;

// A number typed into a text column (card numbers, phones, ID numbers): its digits, without
// the ".0" or the exponent a spreadsheet would show.
QString numberText(double number)
{
    if (number == std::floor(number))
        return std::fabs(number) < 1e18 ? QString::number(qint64(number)) : QString::number(number, 'f', 0);
    return QString::number(number, 'g', 15);
}

QString plainText(const SheetCell& cell)
{
    switch (cell.type) {
    case SheetCell::Type::Empty:
        return {};
    case SheetCell::Type::Number:
        return numberText(cell.number);
    case SheetCell::Type::Text:
        return cell.text.trimmed();
    case SheetCell::Type::Date:
        return Values::dateText(cell.date);
    }
    return {};
}

// The spellings of a date a shop types into a text cell.
QDate dateFromText(const QString& text)
{
    for (const QString& format : {u"yyyy-M-d"_s, u"yyyy/M/d"_s, u"yyyy.M.d"_s, u"yyyy年M月d日"_s, u"yyyyMMdd"_s}) {
        const QDate date = QDate::fromString(text, format);
        if (date.isValid())
            return date;
    }
    return {};
}

class RowValues
{
public:
    RowValues(const SheetRow& row, const QList<int>& at, bool dates1904) : m_row(row), m_at(at), m_1904(dates1904) {}

    QVariantList values() const
    {
        QVariantList values;
        for (int i = 0; i < int(std::size(g_columns)); ++i)
            values << value(i);
        return values;
    }
    QString text(int column) const { return plainText(cell(column)); }

private:
    const SheetCell& cell(int column) const
    {
        static const SheetCell empty;
        const int at = m_at.at(column);
        return at < m_row.cells.size() ? m_row.cells.at(at) : empty;
    }

    [[noreturn]] void refuse(int column, const QString& what) const
    {
        throw Failure(u"第 %1 行的%2“%3”%4，没有导入任何会员档案。"_s.arg(m_row.number)
                          .arg(QString::fromUtf8(g_columns[column].name), text(column), what));
    }

    QVariant value(int column) const
    {
        const SheetCell& c = cell(column);
        switch (g_columns[column].kind) {
        case Kind::Text:
            return plainText(c);
        case Kind::Birthday:
            // A spreadsheet turns a typed 7-12 into a date of this year; the month and day
            // are the birthday.
            return c.type == SheetCell::Type::Date ? MemberDates::birthdayText(c.date) : plainText(c);
        case Kind::Points:
            if (c.type == SheetCell::Type::Empty)
                return 0.0;
            if (c.type == SheetCell::Type::Number)
                return RoundTwoDecimals(c.number);
            if (c.type == SheetCell::Type::Text) {
                try {
                    return RoundTwoDecimals(parseNumber(c.text));
                } catch (const Failure&) {
                }
            }
            refuse(column, u"不是数值"_s);
        case Kind::Date: {
            QDate date;
            if (c.type == SheetCell::Type::Empty || (c.type == SheetCell::Type::Text && c.text.trimmed().isEmpty()))
                return QVariant(); // null: the date pass fills it
            if (c.type == SheetCell::Type::Date)
                date = c.date;
            else if (c.type == SheetCell::Type::Number)
                date = SheetDates::fromSerial(c.number, m_1904);
            else
                date = dateFromText(c.text.trimmed());
            if (!date.isValid())
                refuse(column, u"不是日期"_s);
            return Values::dateText(date);
        }
        }
        return {};
    }

    const SheetRow& m_row;
    const QList<int>& m_at;
    bool m_1904;
};

// Where each of the eighteen titles stands in the first row; the first one missing refuses.
QList<int> titleColumns(const SheetReader::Sheet& sheet)
{
    QList<QString> titles;
    if (!sheet.rows.isEmpty() && sheet.rows.first().number == 1) {
        for (const SheetCell& cell : sheet.rows.first().cells)
            titles << plainText(cell);
    }
    QList<int> at;
    for (const ImportColumn& column : g_columns) {
        const QString name = QString::fromUtf8(column.name);
        const auto found = std::find_if(titles.cbegin(), titles.cend(), [&](const QString& title) {
            return title.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (found == titles.cend())
            throw Failure(u"工作表“%1”的第一行没有“%2”这一列。请按“会员档案.xls”的格式编辑后再导入。"_s.arg(sheet.name, name));
        at << int(found - titles.cbegin());
    }
    return at;
}

void datePass(const QSqlDatabase& db)
{
    const QVariantList today = {Values::dateText(Clock::today())};
    Sql::run(db, u"update 会员卡信息 set 购车日期=? where 购车日期 is null or 购车日期=''"_s, today);
    Sql::run(db, u"update 会员卡信息 set 起用日期=? where 起用日期 is null or 起用日期=''"_s, today);
    // Only an insured member has insurance dates: one without insurance keeps none, or the
    // expiry reminder would name every such member on the day of the import.
    Sql::run(db, u"update 会员卡信息 set 投保日期=? where 投保标志<>0 and (投保日期 is null or 投保日期='')"_s, today);
    Sql::run(db, u"update 会员卡信息 set 保险到期日期=? where 投保标志<>0 and (保险到期日期 is null or 保险到期日期='')"_s,
             today);
}

} // namespace

const QStringList& columns()
{
    static const QStringList names = [] {
        QStringList list;
        for (const ImportColumn& c : g_columns)
            list << QString::fromUtf8(c.name);
        return list;
    }();
    return names;
}

bool writeTemplate(const QString& path, QString* error)
{
    XlsBook book(columns());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (!book.finish(file, error)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

Outcome run(const QSqlDatabase& db, const QString& path, const QString& sheetName, const Progress& progress,
            int* imported)
{
    if (imported)
        *imported = 0;
    SheetReader::Sheet sheet;
    QString error;
    if (!SheetReader::read(path, sheetName, &sheet, &error))
        return Outcome::refused(Notice::plain(error));

    int stored = 0;
    const QString failed = Sql::transact(db, [&] {
        const QList<int> at = titleColumns(sheet);
        const qint64 total = sheet.rows.size() - 1;
        Sql::Statement retired(db, u"select 旧卡号 from 挂失记录 where 旧卡号=?"_s);
        Sql::Statement existing(db, u"select 会员卡号 from 会员卡信息 where 会员卡号=?"_s);
        Sql::Statement category(db, u"select 卡类别 from 卡类别 where 卡类别=?"_s);
        QStringList quoted;
        for (const QString& c : columns())
            quoted << Sql::quotedName(c);
        Sql::Statement insert(db, u"insert into 会员卡信息 (%1) values (%2)"_s.arg(
                                      quoted.join(u", "_s), QStringList(columns().size(), u"?"_s).join(u", "_s)));
        QHash<QString, bool> knownCategory;
        QHash<QString, int> rowOfCard; // as stored: the engine decides which numbers are the same
        for (qsizetype i = 1; i < sheet.rows.size(); ++i) {
            const SheetRow& row = sheet.rows.at(i);
            const RowValues values(row, at, sheet.dates1904);
            const QString card = values.text(CardColumn);
            const auto refuse = [&](const QString& why) {
                throw Failure(u"第 %1 行%2，没有导入任何会员档案。"_s.arg(row.number).arg(why));
            };
            if (card.isEmpty())
                refuse(u"没有会员卡号"_s);
            if (retired.run({card}).next())
                refuse(u"的会员卡号“%1”已经挂失换卡，不能再用"_s.arg(card));
            if (QSqlQuery& q = existing.run({card}); q.next()) {
                const auto first = rowOfCard.constFind(q.value(0).toString());
                if (first != rowOfCard.cend())
                    refuse(u"的会员卡号“%1”与第 %2 行重复"_s.arg(card).arg(*first));
                refuse(u"的会员卡号“%1”已经存在"_s.arg(card));
            }
            const QString name = values.text(CategoryColumn);
            auto known = knownCategory.constFind(name);
            if (known == knownCategory.cend())
                known = knownCategory.insert(name, !name.isEmpty() && category.run({name}).next());
            if (!*known)
                refuse(u"（会员卡号“%1”）的卡类别“%2”不存在，请先在“会员卡类别设置”中设置"_s.arg(card, name));
            insert.run(values.values());
            rowOfCard.insert(card, row.number);
            ++stored;
            if (progress && (stored % ProgressEvery == 0 || stored == total) && !progress(stored, total))
                throw Failure(u"导入已取消，没有导入任何会员档案。"_s);
        }
        datePass(db);
    });
    if (!failed.isEmpty())
        return Outcome::refused(Notice::plain(failed));
    if (imported)
        *imported = stored;
    return Outcome::success(Notice::information(u"提示"_s, u"从EXCEL批量导入会员档案成功!"_s));
}

} // namespace MemberImport
