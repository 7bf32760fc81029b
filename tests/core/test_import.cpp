#include "data/clock.h"
#include "data/sqlrun.h"
#include "members/memberimport.h"
#include "sheets/sheetreader.h"
#include "sheets/xlsbook.h"
#include "sheets/xlsxbook.h"
#include "support/testhome.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

using namespace Qt::Literals::StringLiterals;

namespace {

enum class Book { Xls, Xlsx };

SheetCell t(const QString& text)
{
    return SheetCell::ofText(text);
}
SheetCell n(double number)
{
    return SheetCell::ofNumber(number);
}
SheetCell d(int y, int m, int day)
{
    return SheetCell::ofDate(QDate(y, m, day));
}

const QStringList Titles = MemberImport::columns();

// A row of the eighteen columns in their stored order, every cell given by name.
QList<SheetCell> row(const QHash<QString, SheetCell>& cells)
{
    QList<SheetCell> out;
    for (const QString& title : Titles)
        out << cells.value(title);
    return out;
}
QList<SheetCell> member(const QString& card, const QString& category = u"金卡"_s)
{
    return row({{u"会员卡号"_s, t(card)}, {u"卡类别"_s, t(category)}, {u"会员姓名"_s, t(u"会员"_s + card)}});
}

void writeBook(Book kind, const QString& path, const QStringList& titles, const QList<QList<SheetCell>>& rows)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QString error;
    if (kind == Book::Xls) {
        XlsBook book(titles);
        for (const auto& r : rows)
            ASSERT_TRUE(book.addRow(r, &error));
        ASSERT_TRUE(book.finish(file, &error)) << error.toStdString();
    } else {
        XlsxBook book(titles);
        for (const auto& r : rows)
            ASSERT_TRUE(book.addRow(r, &error));
        ASSERT_TRUE(book.finish(file, &error)) << error.toStdString();
    }
}

// A workbook zipped together part by part, as another spreadsheet program writes it.
void writeZip(const QString& path, const QList<std::pair<const char*, QByteArray>>& parts)
{
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_TRUE(z);
    for (const auto& [name, bytes] : parts) {
        zip_source_t* source = zip_source_buffer(z, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        ASSERT_GE(zip_file_add(z, name, source, ZIP_FL_ENC_UTF_8), 0);
    }
    ASSERT_EQ(zip_close(z), 0); // reads the buffers, which live in `parts` until here
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class Import : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Clock::setInstance(&clock);
        home.exec(u"insert into 卡类别 (卡类别, 积分比例) values ('金卡', 10), ('银卡', 20)"_s);
        home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 卡类别, 起用日期, 投保标志) values ('0999', '老会员', '金卡', '', 0)"_s);
        home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 卡类别, 起用日期, 购车日期, 投保标志, 投保日期) "
                  u"values ('0998', '有保险', '金卡', '2020-05-01', '2020-05-01', 1, '2020-05-01')"_s);
        home.exec(u"insert into 挂失记录 (旧卡号, 新卡号) values ('0777', '0999')"_s);
    }
    void TearDown() override { Clock::setInstance(nullptr); }

    QString file(const QString& name) const { return dir.filePath(name); }
    Outcome import(const QString& path, const QString& sheet = u"sheet1"_s, int* count = nullptr)
    {
        return MemberImport::run(home.db(), path, sheet, {}, count);
    }
    QVariantMap stored(const QString& card)
    {
        Sql::Rows q = Sql::run(home.db(), u"select * from 会员卡信息 where 会员卡号=?"_s, {card});
        QVariantMap values;
        if (q.next()) {
            const QSqlRecord r = q.record();
            for (int i = 0; i < r.count(); ++i)
                values.insert(r.fieldName(i), r.value(i));
        }
        return values;
    }
    int members() { return home.scalar(u"select count(*) from 会员卡信息"_s).toInt(); }

    FixedClock clock{QDateTime(QDate(2026, 12, 31), QTime(9, 0))};
    TestHome home;
    QTemporaryDir dir;
};

TEST(SheetDates, DayNumbersOfBothSystems)
{
    const struct
    {
        double serial;
        bool from1904;
        QDate date;
    } cases[] = {
        {1, false, {1900, 1, 1}},       {59, false, {1900, 2, 28}},     {61, false, {1900, 3, 1}},
        {45658, false, {2025, 1, 1}},   {45658.75, false, {2025, 1, 1}}, {0, true, {1904, 1, 1}},
        {44196, true, {2025, 1, 1}},    {0, false, {}},                 {-5, false, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SheetDates::fromSerial(c.serial, c.from1904), c.date) << c.serial;
        if (c.date.isValid() && !c.from1904) {
            EXPECT_EQ(SheetDates::toSerial(c.date), std::floor(c.serial)) << c.serial;
        }
    }
}

TEST_F(Import, WorkbooksOfBothKindsGoInWithTheirValuesAndTheDatePass)
{
    // Titles in another order than stored, with a column the import does not read.
    QStringList titles = Titles;
    std::reverse(titles.begin(), titles.end());
    titles.insert(3, u"备注"_s);
    const auto arranged = [&](const QList<SheetCell>& cells) {
        QList<SheetCell> out;
        for (const QString& title : titles)
            out << (title == u"备注"_s ? t(u"不导入"_s) : cells.at(Titles.indexOf(title)));
        return out;
    };
    const QList<QList<SheetCell>> rows = {
        arranged(row({{u"会员卡号"_s, n(1001)},
                      {u"卡类别"_s, t(u"金卡"_s)},
                      {u"会员姓名"_s, t(u"张三"_s)},
                      {u"性别"_s, t(u"男"_s)},
                      {u"身份证号"_s, t(u"110105198807101234"_s)},
                      {u"会员生日"_s, d(2026, 7, 12)},
                      {u"积分"_s, n(12.345)},
                      {u"地址"_s, t(u"北京市朝阳区"_s)},
                      {u"固定电话"_s, n(65551234)},
                      {u"起用日期"_s, d(2025, 1, 1)},
                      {u"手机"_s, n(13812345678)},
                      {u"职业"_s, t(u"教师"_s)},
                      {u"兴趣爱好"_s, t(u"钓鱼"_s)},
                      {u"车牌号"_s, t(u"京A12345"_s)},
                      {u"VIN码"_s, t(u"LSVAB4182E2123456"_s)},
                      {u"车型"_s, t(u"帕萨特"_s)},
                      {u"车身颜色"_s, t(u"黑色"_s)}})),
        arranged(row({{u"会员卡号"_s, t(u" A-002 "_s)},
                      {u"卡类别"_s, t(u"银卡"_s)},
                      {u"会员姓名"_s, t(u"李四"_s)},
                      {u"会员生日"_s, t(u"10-5"_s)},
                      {u"积分"_s, t(u" 7 "_s)},
                      {u"起用日期"_s, t(u"2024/3/5"_s)},
                      {u"购车日期"_s, n(45658)}})),
    };
    for (const Book kind : {Book::Xls, Book::Xlsx}) {
        SCOPED_TRACE(kind == Book::Xls ? "xls" : "xlsx");
        home.exec(u"delete from 会员卡信息 where 会员卡号 in ('1001', 'A-002')"_s);
        home.exec(u"update 会员卡信息 set 起用日期='', 投保日期=null where 会员卡号 in ('0999', '0998')"_s);
        const QString path = file(kind == Book::Xls ? u"会员.xls"_s : u"会员.xlsx"_s);
        writeBook(kind, path, titles, rows);

        int count = 0;
        const Outcome o = import(path, u"SHEET1"_s, &count);
        ASSERT_TRUE(o.ok) << o.notice.text.toStdString();
        EXPECT_EQ(o.notice.caption, u"提示"_s);
        EXPECT_EQ(o.notice.text, u"从EXCEL批量导入会员档案成功!"_s);
        EXPECT_EQ(count, 2);

        const QVariantMap first = stored(u"1001"_s);
        const QVariantMap expected = {
            {u"会员卡号"_s, u"1001"_s},     {u"卡类别"_s, u"金卡"_s},          {u"会员姓名"_s, u"张三"_s},
            {u"性别"_s, u"男"_s},           {u"身份证号"_s, u"110105198807101234"_s},
            {u"会员生日"_s, u"7-12"_s},     {u"积分"_s, 12.35},                {u"地址"_s, u"北京市朝阳区"_s},
            {u"固定电话"_s, u"65551234"_s}, {u"起用日期"_s, u"2025-01-01"_s},  {u"手机"_s, u"13812345678"_s},
            {u"职业"_s, u"教师"_s},         {u"兴趣爱好"_s, u"钓鱼"_s},        {u"车牌号"_s, u"京A12345"_s},
            {u"VIN码"_s, u"LSVAB4182E2123456"_s}, {u"车型"_s, u"帕萨特"_s},   {u"车身颜色"_s, u"黑色"_s},
            {u"购车日期"_s, u"2026-12-31"_s}, {u"投保标志"_s, 0},              {u"口头挂失标志"_s, 0},
        };
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            EXPECT_EQ(first.value(it.key()).toString(), it.value().toString()) << it.key().toStdString();
        EXPECT_TRUE(first.value(u"投保日期"_s).isNull());
        EXPECT_TRUE(first.value(u"保险到期日期"_s).isNull()) << "no insurance, so no expiry to remind of";

        const QVariantMap second = stored(u"A-002"_s);
        EXPECT_EQ(second.value(u"会员生日"_s).toString(), u"10-5"_s);
        EXPECT_EQ(second.value(u"积分"_s).toDouble(), 7);
        EXPECT_EQ(second.value(u"起用日期"_s).toString(), u"2024-03-05"_s);
        EXPECT_EQ(second.value(u"购车日期"_s).toString(), u"2025-01-01"_s);

        // The date pass covers the members already there.
        EXPECT_EQ(stored(u"0999"_s).value(u"起用日期"_s).toString(), u"2026-12-31"_s);
        EXPECT_TRUE(stored(u"0999"_s).value(u"保险到期日期"_s).isNull());
        EXPECT_EQ(stored(u"0998"_s).value(u"投保日期"_s).toString(), u"2026-12-31"_s);
        EXPECT_EQ(stored(u"0998"_s).value(u"保险到期日期"_s).toString(), u"2026-12-31"_s);
        EXPECT_EQ(stored(u"0998"_s).value(u"购车日期"_s).toString(), u"2020-05-01"_s);
    }
}

// The parts as another program writes them: shared strings with rich text and a phonetic guide,
// inline strings, formula text, a custom and a built-in date format, a sheet behind another.
TEST_F(Import, HandBuiltXlsxWithSharedStringsAndDateStyles)
{
    const QByteArray workbook =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<workbookPr/><sheets><sheet name="说明" sheetId="1" r:id="rId1"/><sheet name="Sheet1" sheetId="2" r:id="rId7"/></sheets></workbook>)";
    const QByteArray rels =
        R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>
<Relationship Id="rId7" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/members.xml"/>
</Relationships>)";
    QByteArray strings = R"(<?xml version="1.0" encoding="UTF-8"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)";
    for (const QString& title : Titles)
        strings += "<si><t>" + title.toUtf8() + "</t></si>";
    // 18: a name in two runs with its reading; 19: text with a line break escaped.
    strings += R"(<si><r><rPr><b/></rPr><t>王</t></r><r><t xml:space="preserve">小明</t></r><rPh sb="0" eb="1"><t>ワン</t></rPh></si>)";
    strings += R"(<si><t>朝阳区_x000D_一号</t></si></sst>)";
    const QByteArray styles =
        R"(<?xml version="1.0" encoding="UTF-8"?><styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<numFmts count="2"><numFmt numFmtId="176" formatCode="yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;"/><numFmt numFmtId="177" formatCode="[h]:mm:ss"/></numFmts>
<cellStyleXfs count="1"><xf numFmtId="14"/></cellStyleXfs>
<cellXfs count="5"><xf numFmtId="0"/><xf numFmtId="14"/><xf numFmtId="176"/><xf numFmtId="49"/><xf numFmtId="177"/></cellXfs>
</styleSheet>)";
    const auto col = [](int i) { return QByteArray(1, char('A' + i)); };
    QByteArray sheet = R"(<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData><row r="1">)";
    for (int i = 0; i < Titles.size(); ++i)
        sheet += "<c r=\"" + col(i) + "1\" t=\"s\"><v>" + QByteArray::number(i) + "</v></c>";
    const auto at = [&](const char* title) { return col(int(Titles.indexOf(QString::fromUtf8(title)))); };
    sheet += "</row><row r=\"2\">";
    sheet += "<c r=\"" + at("会员卡号") + "2\" s=\"0\"><v>20001</v></c>";
    sheet += "<c r=\"" + at("卡类别") + "2\" t=\"inlineStr\"><is><t>金卡</t></is></c>";
    sheet += "<c r=\"" + at("会员姓名") + "2\" t=\"s\"><v>18</v></c>";
    sheet += "<c r=\"" + at("性别") + "2\" t=\"str\"><f>IF(1,\"男\",\"女\")</f><v>男</v></c>";
    sheet += "<c r=\"" + at("会员生日") + "2\" s=\"1\"><v>45850</v></c>";
    sheet += "<c r=\"" + at("积分") + "2\"><v>88.5</v></c>";
    sheet += "<c r=\"" + at("地址") + "2\" t=\"s\"><v>19</v></c>";
    sheet += "<c r=\"" + at("起用日期") + "2\" s=\"2\"><v>45658</v></c>";
    sheet += "<c r=\"" + at("手机") + "2\" s=\"3\"><v>13912345678</v></c>";
    sheet += "<c r=\"" + at("购车日期") + "2\" t=\"d\"><v>2024-03-05T00:00:00</v></c>";
    sheet += "</row><row r=\"4\">";
    sheet += "<c r=\"" + at("会员卡号") + "4\" t=\"inlineStr\"><is><t>20002</t></is></c>";
    sheet += "<c r=\"" + at("卡类别") + "4\" t=\"inlineStr\"><is><t>银卡</t></is></c>";
    sheet += "<c r=\"" + at("起用日期") + "4\" s=\"4\"><v>45658</v></c>";
    sheet += "</row></sheetData></worksheet>";
    const QByteArray notes =
        R"(<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData/></worksheet>)";

    const QString path = file(u"hand.xlsx"_s);
    writeZip(path, {{"[Content_Types].xml", R"(<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>)"},
                    {"xl/workbook.xml", workbook},
                    {"xl/_rels/workbook.xml.rels", rels},
                    {"xl/sharedStrings.xml", strings},
                    {"xl/styles.xml", styles},
                    {"xl/worksheets/sheet1.xml", notes},
                    {"xl/worksheets/members.xml", sheet}});

    int count = 0;
    const Outcome o = import(path, u"sheet1"_s, &count);
    ASSERT_TRUE(o.ok) << o.notice.text.toStdString();
    EXPECT_EQ(count, 2);
    const QVariantMap first = stored(u"20001"_s);
    EXPECT_EQ(first.value(u"卡类别"_s).toString(), u"金卡"_s);
    EXPECT_EQ(first.value(u"会员姓名"_s).toString(), u"王小明"_s);
    EXPECT_EQ(first.value(u"性别"_s).toString(), u"男"_s);
    EXPECT_EQ(first.value(u"会员生日"_s).toString(), u"7-12"_s);
    EXPECT_EQ(first.value(u"积分"_s).toDouble(), 88.5);
    EXPECT_EQ(first.value(u"地址"_s).toString(), u"朝阳区\r一号"_s);
    EXPECT_EQ(first.value(u"起用日期"_s).toString(), u"2025-01-01"_s);
    EXPECT_EQ(first.value(u"手机"_s).toString(), u"13912345678"_s);
    EXPECT_EQ(first.value(u"购车日期"_s).toString(), u"2024-03-05"_s);
    // A number under a time format in a date column is still a day number.
    EXPECT_EQ(stored(u"20002"_s).value(u"起用日期"_s).toString(), u"2025-01-01"_s);

    EXPECT_FALSE(import(path, u"说明"_s).ok) << "the notes sheet has no titles";
}

TEST_F(Import, EveryRefusalLeavesTheTableAsItWas)
{
    const QString good = file(u"good.xls"_s);
    writeBook(Book::Xls, good, Titles, {member(u"1001"_s), member(u"1002"_s)});
    const QString goodX = file(u"good.xlsx"_s);
    writeBook(Book::Xlsx, goodX, Titles, {member(u"1001"_s), member(u"1002"_s)});
    const QByteArray xls = readAll(good);
    const QByteArray xlsx = readAll(goodX);

    const auto sheetWith = [&](const QString& name, const QList<QList<SheetCell>>& rows,
                               const QStringList& titles = Titles) {
        writeBook(Book::Xls, file(name), titles, rows);
        return file(name);
    };
    const auto bytes = [&](const QString& name, const QByteArray& content) {
        writeAll(file(name), content);
        return file(name);
    };
    QByteArray flippedXls = xls;
    flippedXls[0x30] = char(flippedXls[0x30] ^ 0x10); // the directory's sector in the file header
    QByteArray flippedXlsx = xlsx;
    const qsizetype middle = xlsx.indexOf("xl/worksheets/sheet1.xml") + 200;
    flippedXlsx[middle] = char(flippedXlsx[middle] ^ 0x04);
    QStringList noPoints = Titles;
    noPoints.removeAll(u"积分"_s);
    QList<SheetCell> noPointsRow = member(u"1003"_s);
    noPointsRow.removeAt(Titles.indexOf(u"积分"_s));
    QList<SheetCell> badPoints = member(u"1004"_s);
    badPoints[Titles.indexOf(u"积分"_s)] = t(u"abc"_s);
    QList<SheetCell> badDate = member(u"1005"_s);
    badDate[Titles.indexOf(u"起用日期"_s)] = t(u"明天"_s);
    QList<SheetCell> noCard = member(QString());
    noCard[Titles.indexOf(u"会员姓名"_s)] = t(u"无卡"_s);

    const struct
    {
        const char* what;
        QString path;
        QString sheet;
        QStringList says;
    } cases[] = {
        {"missing title", sheetWith(u"a.xls"_s, {noPointsRow}, noPoints), u"sheet1"_s, {u"没有“积分”这一列"_s}},
        {"card twice in the sheet", sheetWith(u"b.xls"_s, {member(u"1001"_s), member(u"1002"_s), member(u"1001"_s)}),
         u"sheet1"_s, {u"第 4 行"_s, u"“1001”"_s, u"第 2 行重复"_s}},
        {"a member's card", sheetWith(u"c.xls"_s, {member(u"1001"_s), member(u"0999"_s)}), u"sheet1"_s,
         {u"第 3 行"_s, u"“0999”已经存在"_s}},
        {"a retired card", sheetWith(u"d.xls"_s, {member(u"0777"_s)}), u"sheet1"_s, {u"第 2 行"_s, u"“0777”已经挂失换卡"_s}},
        {"unknown category", sheetWith(u"e.xls"_s, {member(u"1001"_s), member(u"1002"_s, u"钻石卡"_s)}), u"sheet1"_s,
         {u"第 3 行"_s, u"“1002”"_s, u"卡类别“钻石卡”不存在"_s}},
        {"points no number", sheetWith(u"f.xls"_s, {member(u"1001"_s), badPoints}), u"sheet1"_s,
         {u"第 3 行的积分“abc”不是数值"_s}},
        {"date no date", sheetWith(u"g.xls"_s, {badDate}), u"sheet1"_s, {u"第 2 行的起用日期“明天”不是日期"_s}},
        {"no card number", sheetWith(u"h.xls"_s, {member(u"1001"_s), noCard}), u"sheet1"_s, {u"第 3 行没有会员卡号"_s}},
        {"no such sheet", good, u"会员"_s, {u"没有名为“会员”的工作表"_s, u"Sheet1"_s}},
        {"no workbook", bytes(u"list.xls"_s, "会员卡号\t卡类别\r\n1001\t金卡\r\n"), u"sheet1"_s, {u"不是 Excel 工作簿"_s}},
        {"missing file", file(u"none.xls"_s), u"sheet1"_s, {u"无法打开文件"_s}},
        {"truncated xls", bytes(u"cut.xls"_s, xls.left(xls.size() * 2 / 3)), u"sheet1"_s, {u"工作簿已损坏"_s}},
        {"truncated xlsx", bytes(u"cut.xlsx"_s, xlsx.left(xlsx.size() * 2 / 3)), u"sheet1"_s, {u"工作簿已损坏"_s}},
        {"bit-flipped xls", bytes(u"flip.xls"_s, flippedXls), u"sheet1"_s, {u"工作簿已损坏"_s}},
        {"bit-flipped xlsx", bytes(u"flip.xlsx"_s, flippedXlsx), u"sheet1"_s, {u"工作簿已损坏"_s}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome o = import(c.path, c.sheet);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.notice.kind, Notice::Kind::Plain);
        for (const QString& part : c.says)
            EXPECT_TRUE(o.notice.text.contains(part)) << o.notice.text.toStdString();
        EXPECT_EQ(members(), 2);
        EXPECT_TRUE(stored(u"0999"_s).value(u"起用日期"_s).toString().isEmpty()) << "no date pass either";
    }
    EXPECT_TRUE(import(good).ok) << "the good workbooks themselves go in";
    EXPECT_EQ(members(), 4);
}

TEST_F(Import, CancellingOnTheWayStoresNothing)
{
    QList<QList<SheetCell>> rows;
    for (int i = 0; i < 700; ++i)
        rows << member(u"C%1"_s.arg(i, 4, 10, QChar(u'0')));
    writeBook(Book::Xlsx, file(u"many.xlsx"_s), Titles, rows);
    QList<qint64> seen;
    const Outcome o = MemberImport::run(home.db(), file(u"many.xlsx"_s), u"Sheet1"_s, [&](qint64 done, qint64 total) {
        EXPECT_EQ(total, 700);
        seen << done;
        return done < 400;
    });
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(o.notice.text.contains(u"导入已取消"_s));
    EXPECT_EQ(seen, (QList<qint64>{200, 400}));
    EXPECT_EQ(members(), 2);
}

TEST_F(Import, TemplateHoldsTheTitlesAndImportsAsEmpty)
{
    const QString path = file(u"会员档案.xls"_s);
    QString error;
    ASSERT_TRUE(MemberImport::writeTemplate(path, &error)) << error.toStdString();
    SheetReader::Sheet sheet;
    ASSERT_TRUE(SheetReader::read(path, u"sheet1"_s, &sheet, &error)) << error.toStdString();
    ASSERT_EQ(sheet.rows.size(), 1);
    QStringList titles;
    for (const SheetCell& c : sheet.rows.first().cells)
        titles << c.text;
    EXPECT_EQ(titles, Titles);
    int count = -1;
    EXPECT_TRUE(import(path, u"sheet1"_s, &count).ok);
    EXPECT_EQ(count, 0);
}

} // namespace
