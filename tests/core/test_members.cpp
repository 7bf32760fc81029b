#include "data/schema.h"
#include "data/sqlrun.h"
#include "members/cardlookup.h"
#include "members/categories.h"
#include "members/memberdates.h"
#include "members/memberdraft.h"
#include "members/memberlist.h"
#include "support/testhome.h"

#include <QMap>
#include <QSqlRecord>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A member row with the columns a test cares about; the rest stay null (no mobile: null too).
void addMember(TestHome& home, const QString& card, const QString& name, const QString& category, double points,
               const QString& startDate = u"2026-01-15"_s, const QVariant& mobile = {})
{
    home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 卡类别, 积分, 起用日期, 手机) values (?, ?, ?, ?, ?, ?)"_s,
              {card, name, category, points, startDate, mobile});
}

MemberDraft draft(const QString& card, const QString& category = u"金卡"_s)
{
    MemberDraft d;
    d.cardNo = card;
    d.category = category;
    d.name = u"王小明"_s;
    d.sex = u"男"_s;
    d.birthday = u"7-10"_s;
    d.startDate = QDate(2026, 12, 11);
    d.purchaseDate = QDate(2025, 3, 1);
    d.insured = true;
    d.insuranceDate = QDate(2026, 2, 1);
    d.insuranceExpiry = QDate(2027, 2, 1);
    return d;
}

QStringList column(TestHome& home, const QString& statement, const QVariantList& values = {})
{
    QSqlQuery q = Sql::run(home.db(), statement, values);
    QStringList list;
    while (q.next())
        list << q.value(0).toString();
    return list;
}

TEST(Categories, RefusalsInOrderAndTheStoredRow)
{
    TestHome home;
    struct Case
    {
        Category c;
        QString text;
        int field;
        bool clear;
    };
    ASSERT_TRUE(Categories::add(home.db(), {u"金卡"_s, 10, true, false}).ok);
    const Case cases[] = {
        {{u""_s, 0, true, true}, u"卡类别名称不能为空！"_s, Categories::NameField, false},
        {{u"金卡"_s, 0, true, true}, u"该卡类别名称已经存在！请重新设定一个新的卡类别名称！"_s, Categories::NameField, true},
        {{u"银卡"_s, 0, true, true}, u"积分比例必须大于零！"_s, Categories::RatioField, false},
        {{u"银卡"_s, -3, true, true}, u"积分比例必须大于零！"_s, Categories::RatioField, false},
    };
    for (const Case& c : cases) {
        const Outcome o = Categories::add(home.db(), c.c);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.notice.text, c.text);
        EXPECT_EQ(o.notice.caption, u"提示"_s);
        EXPECT_EQ(o.notice.field, c.field);
        EXPECT_EQ(o.notice.clearField, c.clear);
    }
    const Outcome ok = Categories::add(home.db(), {u"  "_s, 1, false, true});
    EXPECT_TRUE(ok.ok);
    EXPECT_EQ(ok.notice.text, u"新增卡类别成功！"_s);
    EXPECT_EQ(Categories::names(home.db()), (QStringList{u"金卡"_s, u"  "_s})) << "a name of blanks is stored as typed";
    QSqlQuery q = Sql::run(home.db(), u"select 积分比例, 允许兑换礼品, 允许返现金 from 卡类别 where 卡类别='金卡'"_s);
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 10);
    EXPECT_EQ(q.value(1).toInt(), 1);
    EXPECT_EQ(q.value(2).toInt(), 0);
}

TEST(Categories, UpdateKeepsTheNameAndDeleteIgnoresMembers)
{
    TestHome home;
    ASSERT_TRUE(Categories::add(home.db(), {u"金卡"_s, 10, true, true}).ok);
    addMember(home, u"1001"_s, u"甲"_s, u"金卡"_s, 5);
    EXPECT_EQ(Categories::update(home.db(), {u"金卡"_s, 0, true, true}).notice.text, u"积分比例必须大于零！"_s);
    const Outcome o = Categories::update(home.db(), {u"金卡"_s, 20, false, false});
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.notice.text, u"修改卡类别成功！"_s);
    const auto c = Categories::find(home.db(), u"金卡"_s);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->ratio, 20);
    EXPECT_FALSE(c->gifts || c->cash);
    Categories::remove(home.db(), u"金卡"_s);
    EXPECT_FALSE(Categories::find(home.db(), u"金卡"_s));
    EXPECT_EQ(home.scalar(u"select 卡类别 from 会员卡信息"_s).toString(), u"金卡"_s);
}

TEST(MemberDates, BirthdayFromIdNumber)
{
    using S = MemberDates::IdBirthday::Status;
    struct Case
    {
        QString id;
        S status;
        QDate date;
    };
    const Case cases[] = {
        {u"110105198807101234"_s, S::Valid, QDate(1988, 7, 10)},
        {u"11010519880710123X"_s, S::Valid, QDate(1988, 7, 10)},
        {u"110105880710123"_s, S::Valid, QDate(1988, 7, 10)},
        {u"110105200002291234"_s, S::Valid, QDate(2000, 2, 29)},
        {u"110105199002301234"_s, S::Invalid, {}},
        {u"110105198813451234"_s, S::Invalid, {}},
        {u"1101051988O7101234"_s, S::Invalid, {}},
        {u"11010519880710123"_s, S::None, {}},
        {u""_s, S::None, {}},
    };
    for (const Case& c : cases) {
        const auto b = MemberDates::fromIdNumber(c.id);
        EXPECT_EQ(b.status, c.status) << c.id.toStdString();
        EXPECT_EQ(b.date, c.date) << c.id.toStdString();
    }
    EXPECT_EQ(MemberDates::fromIdNumber(u"110105198813451234"_s).text, u"1988-13-45"_s);
    EXPECT_EQ(MemberDates::birthdayText(QDate(1988, 7, 10)), u"7-10"_s);
    EXPECT_EQ(MemberDates::birthdayText(QDate(1990, 12, 20)), u"12-20"_s);
    EXPECT_EQ(MemberDates::birthdayText(QDate(1990, 1, 5)), u"1-5"_s);
    EXPECT_EQ(MemberDates::insuranceExpiry(QDate(2028, 2, 29)), QDate(2029, 2, 28));
    EXPECT_EQ(MemberDates::insuranceExpiry(QDate(2026, 12, 31)), QDate(2027, 12, 31));
}

class MemberStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Categories::add(home.db(), {u"金卡"_s, 10, true, true}).ok);
        home.exec(u"insert into 挂失记录 (旧卡号, 新卡号) values ('0999', '1000')"_s);
        addMember(home, u"1000"_s, u"老会员"_s, u"金卡"_s, 88.5);
    }
    TestHome home;
};

TEST_F(MemberStore, RegistrationRefusalsInOrder)
{
    struct Case
    {
        MemberDraft d;
        Notice::Kind kind;
        QString caption;
        QString text;
        MemberField field;
        bool clear;
    };
    const QString categoryText =
        u"必须为会员选择一个正确的卡类别！否则无法进行积分！如果你还没有设置卡类别，请到“卡类别设置”中进行设置！!"_s;
    const Case cases[] = {
        {draft(u""_s, u""_s), Notice::Kind::Notify, u"系统提示"_s, u"卡号不能为空!"_s, MemberField::CardNo, false},
        {draft(u"0999"_s, u""_s), Notice::Kind::Notify, u"系统提示"_s, u"此卡已经挂失，不能使用!"_s, MemberField::CardNo, true},
        {draft(u"1000"_s, u""_s), Notice::Kind::Error, u"提示"_s, u"此卡号已经存在！"_s, MemberField::CardNo, true},
        {draft(u"2000"_s, u""_s), Notice::Kind::Error, u"系统提示"_s, categoryText, MemberField::Category, false},
        {draft(u"2000"_s, u"铜卡"_s), Notice::Kind::Error, u"系统提示"_s, categoryText, MemberField::Category, false},
        {draft(u"2000"_s, u"金卡 "_s), Notice::Kind::Error, u"系统提示"_s, categoryText, MemberField::Category, false},
    };
    for (const Case& c : cases) {
        const Outcome o = Registration::save(home.db(), c.d);
        EXPECT_FALSE(o.ok) << c.text.toStdString();
        EXPECT_EQ(o.notice.kind, c.kind) << c.text.toStdString();
        EXPECT_EQ(o.notice.caption, c.caption);
        EXPECT_EQ(o.notice.text, c.text);
        EXPECT_EQ(o.notice.field, int(c.field));
        EXPECT_EQ(o.notice.clearField, c.clear);
    }
    EXPECT_EQ(home.scalar(u"select count(*) from 会员卡信息"_s).toInt(), 1);
    EXPECT_FALSE(Registration::cardRefusal(home.db(), u""_s)) << "an empty number passes when the field is left";
}

TEST_F(MemberStore, RegistrationStoresTheRowAsTyped)
{
    MemberDraft d = draft(u"2000"_s);
    d.name = u"O'Brien 张"_s;
    d.address = u" 东城区 "_s;
    const Outcome o = Registration::save(home.db(), d);
    ASSERT_TRUE(o.ok) << o.notice.text.toStdString();
    EXPECT_EQ(o.notice.text, u"新增会员成功！"_s);
    const auto m = Members::find(home.db(), u"2000"_s);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->name, u"O'Brien 张"_s);
    EXPECT_EQ(m->address, u" 东城区 "_s);
    EXPECT_EQ(m->birthday, u"7-10"_s);
    EXPECT_EQ(m->startDate, u"2026-12-11"_s);
    EXPECT_EQ(m->insuranceExpiry, u"2027-02-01"_s);
    EXPECT_TRUE(m->insured);
    EXPECT_EQ(m->points, 0);
    EXPECT_FALSE(m->verbalLoss);

    d = draft(u"2001"_s);
    d.insured = false;
    ASSERT_TRUE(Registration::save(home.db(), d).ok);
    QSqlQuery q = Sql::run(home.db(), u"select 投保标志, 投保日期, 保险到期日期 from 会员卡信息 where 会员卡号='2001'"_s);
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);
    EXPECT_TRUE(q.value(1).isNull());
    EXPECT_TRUE(q.value(2).isNull());
}

// Every column gets a value of its own, read back by the column's name: a value that lands in
// the wrong column shows.
TEST_F(MemberStore, EachValueLandsInItsOwnColumn)
{
    const auto row = [&](const QString& card) {
        QSqlQuery q = Sql::run(home.db(), u"select * from 会员卡信息 where 会员卡号=?"_s, {card});
        EXPECT_TRUE(q.next());
        QMap<QString, QString> values;
        const QSqlRecord r = q.record();
        // The table's own columns; an engine may keep a row key of its own beside them.
        for (const QString& column : Schema::columnsOf(u"会员卡信息"_s))
            values.insert(column, r.isNull(column) ? u"<null>"_s : r.value(column).toString());
        return values;
    };
    const auto typed = [](const QString& tag) {
        MemberDraft d;
        d.cardNo = u"卡"_s + tag;
        d.category = u"金卡"_s;
        d.name = u"姓名"_s + tag;
        d.sex = u"女"_s;
        d.idNumber = u"证"_s + tag;
        d.birthday = u"生日"_s + tag;
        d.address = u"地址"_s + tag;
        d.phone = u"座机"_s + tag;
        d.mobile = u"手机"_s + tag;
        d.startDate = QDate(2026, 1, 2);
        d.occupation = u"职业"_s + tag;
        d.hobby = u"爱好"_s + tag;
        d.plate = u"车牌"_s + tag;
        d.vin = u"VIN"_s + tag;
        d.carModel = u"车型"_s + tag;
        d.carColour = u"颜色"_s + tag;
        d.purchaseDate = QDate(2025, 3, 4);
        d.insured = true;
        d.insuranceDate = QDate(2025, 5, 6);
        d.insuranceExpiry = QDate(2026, 7, 8);
        return d;
    };
    const auto expected = [](const QString& tag, const QString& points) {
        return QMap<QString, QString>{
            {u"会员卡号"_s, u"卡"_s + tag},     {u"卡类别"_s, u"金卡"_s},        {u"会员姓名"_s, u"姓名"_s + tag},
            {u"性别"_s, u"女"_s},             {u"身份证号"_s, u"证"_s + tag},    {u"会员生日"_s, u"生日"_s + tag},
            {u"地址"_s, u"地址"_s + tag},       {u"固定电话"_s, u"座机"_s + tag},  {u"手机"_s, u"手机"_s + tag},
            {u"起用日期"_s, u"2026-01-02"_s}, {u"职业"_s, u"职业"_s + tag},      {u"兴趣爱好"_s, u"爱好"_s + tag},
            {u"车牌号"_s, u"车牌"_s + tag},     {u"VIN码"_s, u"VIN"_s + tag},      {u"车型"_s, u"车型"_s + tag},
            {u"车身颜色"_s, u"颜色"_s + tag},   {u"购车日期"_s, u"2025-03-04"_s}, {u"投保标志"_s, u"1"_s},
            {u"投保日期"_s, u"2025-05-06"_s}, {u"保险到期日期"_s, u"2026-07-08"_s}, {u"积分"_s, points},
            {u"口头挂失标志"_s, u"0"_s}};
    };
    ASSERT_TRUE(Registration::save(home.db(), typed(u"1"_s)).ok);
    EXPECT_EQ(row(u"卡1"_s), expected(u"1"_s, u"0"_s));

    home.exec(u"update 会员卡信息 set 积分=7.5 where 会员卡号='卡1'"_s);
    ASSERT_TRUE(MemberEdit::save(home.db(), typed(u"2"_s), u"卡1"_s).ok);
    EXPECT_EQ(row(u"卡2"_s), expected(u"2"_s, u"7.5"_s));

    // Empty inputs are stored as empty text, not as null; only the insurance dates of an
    // uninsured member are null.
    MemberDraft empty;
    empty.cardNo = u"卡3"_s;
    empty.category = u"金卡"_s;
    empty.insured = false;
    ASSERT_TRUE(Registration::save(home.db(), empty).ok);
    const QMap<QString, QString> stored = row(u"卡3"_s);
    for (const char* column : {"会员姓名", "性别", "身份证号", "会员生日", "地址", "固定电话", "手机", "职业", "兴趣爱好",
                               "车牌号", "VIN码", "车型", "车身颜色"})
        EXPECT_EQ(stored.value(QString::fromUtf8(column)), QString()) << column;
    EXPECT_EQ(stored.value(u"投保日期"_s), u"<null>"_s);
    EXPECT_EQ(stored.value(u"保险到期日期"_s), u"<null>"_s);
}

TEST_F(MemberStore, EditingRefusalsAndTheRewrittenRow)
{
    addMember(home, u"3000"_s, u"乙"_s, u"金卡"_s, 12.5);
    home.exec(u"insert into 流水记录 (编号, 会员卡号, 增减积分) values ('0000000001', '3000', 12.5)"_s);

    struct Case
    {
        MemberDraft d;
        QString text;
        MemberField field;
        bool clear;
    };
    const Case cases[] = {
        {draft(u""_s), u"会员卡号不能为空！"_s, MemberField::CardNo, false},
        {draft(u"0999"_s, u""_s), u"此卡已经挂失，不能使用!"_s, MemberField::CardNo, true},
        {draft(u"3000"_s, u""_s), u"必须选择一种会员卡类别！"_s, MemberField::Category, false},
        {draft(u"3000"_s, u"铜卡"_s), u"请选择正确的会员卡类型！如果会员卡类别还没有设置，请您设置“卡类别”！"_s,
         MemberField::Category, false},
        {draft(u"1000"_s), u"该会员卡号已经存在！"_s, MemberField::CardNo, true},
    };
    for (const Case& c : cases) {
        const Outcome o = MemberEdit::save(home.db(), c.d, u"3000"_s);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.notice.text, c.text);
        EXPECT_EQ(o.notice.field, int(c.field));
        EXPECT_EQ(o.notice.clearField, c.clear);
    }
    EXPECT_FALSE(MemberEdit::duplicateRefusal(home.db(), u"3000"_s, u"3000"_s)) << "its own number is no duplicate";
    ASSERT_TRUE(MemberEdit::duplicateRefusal(home.db(), u"1000"_s, u"3000"_s));

    MemberDraft d = draft(u"3000"_s);
    ASSERT_TRUE(MemberEdit::save(home.db(), d, u"3000"_s).ok) << "saving unchanged number succeeds";
    d.cardNo = u"3001"_s;
    d.insured = false;
    d.birthday = u"七月十日"_s;
    const Outcome o = MemberEdit::save(home.db(), d, u"3000"_s);
    ASSERT_TRUE(o.ok);
    EXPECT_EQ(o.notice.text, u"修改会员信息成功！"_s);
    const auto m = Members::find(home.db(), u"3001"_s);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->points, 12.5) << "points are never changed by editing";
    EXPECT_EQ(m->birthday, u"七月十日"_s);
    EXPECT_FALSE(m->insured);
    EXPECT_TRUE(m->insuranceDate.isEmpty() && m->insuranceExpiry.isEmpty());
    EXPECT_FALSE(Members::find(home.db(), u"3000"_s));
    EXPECT_EQ(home.scalar(u"select 会员卡号 from 流水记录"_s).toString(), u"3000"_s) << "the log keeps the old number";
}

TEST_F(MemberStore, LookupAndSearch)
{
    addMember(home, u"0999"_s, u"重新发卡"_s, u"金卡"_s, 1); // a retired number issued again by mistake
    addMember(home, u"4000"_s, u"张三"_s, u"金卡"_s, 0, u"2026-01-01"_s, u"13800001111"_s);
    addMember(home, u"4001"_s, u"张四"_s, u"金卡"_s, 0, u"2026-01-01"_s, u"15913000000"_s);
    addMember(home, u"4002"_s, u"李五"_s, u"金卡"_s, 0, u"2026-01-01"_s, u"15900000000"_s);

    EXPECT_EQ(CardLookup::byCardNumber(home.db(), u"0999"_s).kind, CardLookup::Result::Kind::Retired);
    EXPECT_EQ(CardLookup::byCardNumber(home.db(), u""_s).kind, CardLookup::Result::Kind::NotFound);
    EXPECT_EQ(CardLookup::byCardNumber(home.db(), u"400"_s).kind, CardLookup::Result::Kind::NotFound);
    const auto found = CardLookup::byCardNumber(home.db(), u"1000"_s);
    EXPECT_EQ(found.kind, CardLookup::Result::Kind::Found);
    EXPECT_EQ(found.member.points, 88.5);


    auto searched = [&](const QString& column, const QString& text) {
        EXPECT_EQ(CardLookup::search(home.dm(), column, text), QString());
        QStringList cards;
        for (int r = 0; r < home.dm().ADOQuery7->rowCount(); ++r)
            cards << home.dm().ADOQuery7->record(r).value(u"会员卡号"_s).toString();
        cards.sort();
        return cards;
    };
    EXPECT_EQ(searched(u"手机"_s, u"13"_s), (QStringList{u"4000"_s, u"4001"_s}));
    EXPECT_EQ(searched(u"会员姓名"_s, u"张"_s), (QStringList{u"4000"_s, u"4001"_s}));
    EXPECT_EQ(searched(u"手机"_s, u""_s), (QStringList{u"4000"_s, u"4001"_s, u"4002"_s}))
        << "an empty text lists every member whose column is not null";
    EXPECT_EQ(searched(u"会员姓名"_s, u"'"_s), QStringList());
    EXPECT_EQ(home.dm().ADOQuery7->columnCount(), 3);
    EXPECT_FALSE(CardLookup::search(home.dm(), u"积分"_s, u"1"_s).isEmpty()) << "only the eight search columns";
}

TEST_F(MemberStore, LossRecordsHandedToTheViewsAreTheCardsOnly)
{
    home.exec(u"insert into 挂失记录 (旧卡号, 新卡号) values ('K7', '0999'), ('0998', 'K7'), ('K8', 'K9')"_s);
    home.exec(u"insert into 口头挂失记录 (会员卡号, 会员姓名) values ('K7', '甲'), ('K8', '乙'), ('K7', '丙'), ('0999', '丁')"_s);
    const auto column = [](SharedQuery* q, const QString& field) {
        QStringList values;
        for (int r = 0; r < q->rowCount(); ++r)
            values << q->record(r).value(field).toString();
        values.sort();
        return values;
    };
    // Typed in another case, the card still finds its own records, and only those.
    CardLookup::showLossRecords(home.dm(), u"k7"_s);
    EXPECT_EQ(column(home.dm().ADOQuery9, u"新卡号"_s), QStringList{u"0999"_s});
    CardLookup::showVerbalLossRecords(home.dm(), u"k7"_s);
    EXPECT_EQ(column(home.dm().ADOQuery10, u"会员姓名"_s), (QStringList{u"丙"_s, u"甲"_s}));
}

TEST(MemberListTest, StatementsOfTheEightCombinations)
{
    TestHome home;
    // In force: dates 2026-03-01..2026-03-31, points 50..100, category 金卡. Every condition has
    // members that meet it and fail another, so a statement that drops one shows it.
    addMember(home, u"A"_s, u"a"_s, u"金卡"_s, 100, u"2026-03-01"_s);   // all three, lower date bound
    addMember(home, u"B"_s, u"b"_s, u"金卡"_s, 50, u"2026-03-31"_s);    // all three, upper date bound
    addMember(home, u"C"_s, u"c"_s, u"银卡"_s, 100, u"2026-04-01"_s);   // points only
    addMember(home, u"D"_s, u"d"_s, u"银卡"_s, 100.01, u"2026-02-28"_s); // none
    addMember(home, u"E"_s, u"e"_s, u"金卡"_s, 99.99, u"2026-03-15"_s);  // all three
    addMember(home, u"F"_s, u"f"_s, u"金卡"_s, 150, u"2026-03-10"_s);   // category and date, not points
    addMember(home, u"G"_s, u"g"_s, u"银卡"_s, 80, u"2026-03-20"_s);    // points and date, not category
    addMember(home, u"H"_s, u"h"_s, u"金卡"_s, 60, u"2026-04-02"_s);    // category and points, not date
    addMember(home, u"I"_s, u"i"_s, u"金卡"_s, 49.99, u"2026-02-01"_s);  // category only

    struct Case
    {
        bool dates, points, category;
        QString cards;
    };
    const Case cases[] = {
        {false, false, false, u"ABCDEFGHI"_s},
        {false, false, true, u"ABEFHI"_s},
        {false, true, false, u"ABCEGH"_s},
        {false, true, true, u"ABEH"_s},
        {true, false, false, u"ABEFG"_s},
        {true, false, true, u"ABEF"_s},
        {true, true, false, u"ABEG"_s},
        {true, true, true, u"ABE"_s},
    };
    for (const Case& c : cases) {
        MemberList::Filter f;
        f.allDates = !c.dates;
        f.from = QDate(2026, 3, 1);
        f.to = QDate(2026, 3, 31);
        f.allPoints = !c.points;
        f.low = u"50"_s;
        f.high = u"100"_s;
        f.allCategories = !c.category;
        f.category = u"金卡"_s;
        EXPECT_FALSE(MemberList::run(home.dm(), f));
        const MemberList::Statement s = MemberList::statementFor(f);
        QStringList cards = column(home, s.text, s.values);
        cards.sort();
        EXPECT_EQ(cards.join(QString()), c.cards) << c.dates << c.points << c.category;
        EXPECT_EQ(home.dm().ADOQuery5->rowCount(), c.cards.size());
    }

    MemberList::Filter f;
    f.allPoints = false;
    f.low = f.high = u"100"_s;
    const MemberList::Statement exact = MemberList::statementFor(f);
    EXPECT_EQ(column(home, exact.text, exact.values).size(), 2) << "100 to 100 lists exactly the 100-point members";
    f.low = u"200"_s;
    const MemberList::Statement inverted = MemberList::statementFor(f);
    EXPECT_TRUE(column(home, inverted.text, inverted.values).isEmpty());
}

TEST(MemberListTest, RefusalsPointsFirst)
{
    TestHome home;
    struct Case
    {
        QString low, high;
        bool allPoints, allCategories;
        QString category;
        QString text; // empty: accepted
    };
    const Case cases[] = {
        {u""_s, u"5"_s, false, false, u""_s, u"请填写积分条件！"_s},
        {u"1"_s, u""_s, false, true, u""_s, u"请填写积分条件！"_s},
        {u"1..2"_s, u"5"_s, false, true, u""_s, u"“1..2”不是有效的积分数值！"_s},
        {u""_s, u""_s, true, false, u""_s, u"请填写卡类别条件！"_s},
        {u""_s, u""_s, true, false, u"不存在"_s, u""_s},
        {u".5"_s, u"7."_s, false, true, u""_s, u""_s},
    };
    for (const Case& c : cases) {
        MemberList::Filter f;
        f.allPoints = c.allPoints;
        f.low = c.low;
        f.high = c.high;
        f.allCategories = c.allCategories;
        f.category = c.category;
        const auto n = MemberList::check(f);
        EXPECT_EQ(n ? n->text : QString(), c.text);
        if (n) {
            EXPECT_EQ(n->field, c.text == u"请填写卡类别条件！"_s ? MemberList::CategoryField : MemberList::LowField);
        }
    }
}

TEST(MemberListTest, QuickSearchChecksTheColumn)
{
    TestHome home;
    addMember(home, u"A"_s, u"张三"_s, u"金卡"_s, 1);
    addMember(home, u"B"_s, u"李四"_s, u"金卡"_s, 1);
    addMember(home, u"C"_s, u"O'Brien"_s, u"金卡"_s, 1);
    EXPECT_EQ(MemberList::quickSearch(home.dm(), u"会员姓名"_s, u"张"_s), QString());
    EXPECT_EQ(home.dm().ADOQuery5->rowCount(), 1);
    EXPECT_EQ(MemberList::quickSearch(home.dm(), u"会员姓名"_s, u"O'B"_s), QString());
    ASSERT_EQ(home.dm().ADOQuery5->rowCount(), 1) << "a quote is found as typed";
    EXPECT_EQ(home.dm().ADOQuery5->record(0).value(u"会员卡号"_s).toString(), u"C"_s);
    const QString error = MemberList::quickSearch(home.dm(), u"会员姓名 like '%' or 1=1 --"_s, u"x"_s);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(home.dm().ADOQuery5->rowCount(), 0);
    EXPECT_EQ(MemberList::quickSearch(home.dm(), u"卡类别"_s, u""_s), QString());
    EXPECT_EQ(home.dm().ADOQuery5->rowCount(), 3);
    for (const QString& c : MemberList::quickSearchColumns())
        EXPECT_TRUE(Schema::hasColumn(u"会员卡信息"_s, c)) << c.toStdString();
}

} // namespace
