#include "app/demoshop.h"

#include "data/clock.h"
#include "data/sqlrun.h"
#include "data/values.h"
#include "gifts/giftstock.h"
#include "loss/formalloss.h"
#include "loss/verballoss.h"
#include "members/categories.h"
#include "members/memberdates.h"
#include "members/memberdraft.h"
#include "members/memberrecord.h"
#include "operators/operatoradmin.h"
#include "points/pointsops.h"
#include "points/transactionlog.h"
#include "settings/shopsettings.h"

#include <QList>
#include <QMap>

#include <algorithm>
#include <random>

using namespace Qt::Literals::StringLiterals;

namespace DemoShop {

namespace {

const QString Admin = u"0001"_s;

// The same seed gives the same shop on every machine: only the engine's raw numbers are used,
// never a standard distribution, whose results differ between libraries.
class Dice
{
public:
    int below(int n) { return n <= 1 ? 0 : int(m_engine() % unsigned(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(int percent) { return below(100) < percent; }
    template <class T>
    const T& pick(const QList<T>& list)
    {
        return list.at(below(int(list.size())));
    }
    QString digits(int count)
    {
        QString text;
        for (int i = 0; i < count; ++i)
            text += QChar(u'0' + below(10));
        return text;
    }

private:
    std::mt19937 m_engine{20240615u};
};

// The clock the operations read while the shop's past is written, one moment after another.
class SteppedClock : public Clock
{
public:
    QDateTime now() const override { return m_at; }
    QDateTime m_at;
};

class ClockOverride
{
public:
    explicit ClockOverride(Clock* clock) : m_previous(Clock::instance()) { Clock::setInstance(clock); }
    ~ClockOverride() { Clock::setInstance(m_previous); }
    ClockOverride(const ClockOverride&) = delete;
    ClockOverride& operator=(const ClockOverride&) = delete;

private:
    Clock* m_previous;
};

void require(const Outcome& outcome)
{
    if (!outcome.ok)
        throw Failure(outcome.notice.text);
}

QStringList split(const QString& text)
{
    return text.split(u' ', Qt::SkipEmptyParts);
}

// Frequent surnames, those of the south a little more often.
const QStringList Surnames = split(
    u"陈 陈 陈 黄 黄 黄 李 李 李 梁 梁 林 林 张 张 王 王 刘 刘 吴 吴 何 何 郑 罗 谢 冯 周 杨 赵 徐 孙 朱 胡 郭 高 "
    u"邓 曾 彭 曹 肖 许 蔡 潘 钟 叶 余 杜 苏 卢 邱 廖 江 麦 伍 区 莫 古 欧阳 司徒 谭 关 温 方 袁 姚 龙 赖 严"_s);
const QStringList MaleGiven = split(
    u"伟 强 磊 军 勇 杰 涛 明 超 斌 鹏 辉 华 建 国 峰 刚 文 俊 浩 宇 博 志 海 波 毅 坚 林 东 晨 昊 轩 睿 锋 凯 健 "
    u"荣 平 祥 龙 天 立 成 新 康 家 振 耀 德 永 嘉 炜 锦 铭 卓 彬"_s);
const QStringList FemaleGiven = split(
    u"芳 娜 敏 静 丽 艳 娟 霞 秀 玲 婷 雪 慧 琳 颖 倩 洁 佳 欣 怡 梅 燕 萍 红 兰 晶 蕾 莉 琴 露 瑶 嘉 雅 思 雨 薇 "
    u"月 悦 淑 诗 婉 凤 碧 彩"_s);

// Where the members were born (the first six digits of their ID number) and where they live.
const QStringList Regions = split(
    u"440106 440106 440104 440105 440103 440111 440112 440113 440114 440604 441900 440306 441302 445102 430102 "
    u"360102 450102 420106 510104 350102"_s);
const QStringList Districts = split(u"天河区 天河区 越秀区 海珠区 荔湾区 白云区 黄埔区 番禺区 花都区"_s);
const QMap<QString, QStringList> Roads = {
    {u"天河区"_s, split(u"体育西路 天河北路 黄埔大道西 中山大道西 林和西路 华夏路 天河路 五山路"_s)},
    {u"越秀区"_s, split(u"中山五路 东风中路 环市东路 解放北路 北京路 农林下路"_s)},
    {u"海珠区"_s, split(u"江南大道中 新港中路 工业大道北 昌岗中路 宝岗大道"_s)},
    {u"荔湾区"_s, split(u"中山八路 芳村大道 黄沙大道 龙津西路"_s)},
    {u"白云区"_s, split(u"机场路 白云大道北 广州大道北 云城西路"_s)},
    {u"黄埔区"_s, split(u"大沙地东 科学大道 开创大道"_s)},
    {u"番禺区"_s, split(u"市桥街清河路 迎宾路 兴南大道 汉溪大道"_s)},
    {u"花都区"_s, split(u"新华街公益路 迎宾大道 凤凰北路"_s)},
};
const QStringList MobilePrefixes =
    split(u"138 139 135 136 137 150 151 152 158 159 182 183 187 188 130 131 132 155 156 185 186 133 153 180 189 177 199"_s);
const QStringList Occupations =
    split(u"教师 医生 工程师 个体经营 公务员 销售经理 会计 司机 律师 设计师 企业管理 自由职业 程序员 护士 厨师 银行职员"_s);
const QStringList Hobbies = split(u"自驾游 钓鱼 摄影 篮球 羽毛球 音乐 读书 健身 登山 美食 足球 游泳 茶艺 露营"_s);
const QStringList Colours = split(u"白色 白色 黑色 黑色 银色 灰色 红色 蓝色 香槟色 珍珠白"_s);

// A maker's world manufacturer identifier and the models the shop sees of it.
struct Make
{
    QString wmi;
    QStringList models;
};
const QList<Make> Makes = {
    {u"LSV"_s, split(u"大众朗逸 大众帕萨特 大众途观L"_s)},  {u"LFV"_s, split(u"大众速腾 大众迈腾 大众宝来"_s)},
    {u"LHG"_s, split(u"本田雅阁 本田飞度 本田缤智"_s)},     {u"LVH"_s, split(u"本田思域 本田CR-V"_s)},
    {u"LVG"_s, split(u"丰田凯美瑞 丰田汉兰达 丰田雷凌"_s)}, {u"LFM"_s, split(u"丰田卡罗拉 丰田RAV4荣放"_s)},
    {u"LGB"_s, split(u"日产轩逸 日产天籁 日产奇骏"_s)},     {u"LBV"_s, split(u"宝马3系 宝马5系 宝马X3"_s)},
    {u"LE4"_s, split(u"奔驰C级 奔驰E级 奔驰GLC"_s)},        {u"LSG"_s, split(u"别克英朗 别克君威 雪佛兰科鲁泽"_s)},
    {u"LGX"_s, split(u"比亚迪秦PLUS 比亚迪汉 比亚迪宋PLUS"_s)}, {u"LMG"_s, split(u"传祺GS4 传祺M8"_s)},
};

struct Goods
{
    QString name;
    int lowest;
    int highest;
};
const QList<Goods> GoodsList = {
    {u"机油保养"_s, 280, 880},   {u"更换轮胎"_s, 480, 2600}, {u"精洗车"_s, 35, 90},      {u"美容打蜡"_s, 160, 480},
    {u"汽车贴膜"_s, 1200, 4800}, {u"更换刹车片"_s, 380, 1280}, {u"空调清洗"_s, 120, 320}, {u"四轮定位"_s, 120, 280},
    {u"更换电瓶"_s, 420, 980},   {u"钣金喷漆"_s, 600, 3800}, {u"车载精品"_s, 80, 1600},  {u"更换雨刮"_s, 60, 220},
    {u"内饰清洗"_s, 180, 520},   {u"机油保养"_s, 280, 880},  {u"精洗车"_s, 35, 90},
};

struct Gift
{
    QString name;
    QString unit;
    int points;    // what one of them costs
    int firstLot;  // taken in before the three months
    int secondLot; // the restock half-way, 0 for none
};
const QList<Gift> Gifts = {
    {u"洗车券"_s, u"张"_s, 40, 300, 200},   {u"车载香薰"_s, u"瓶"_s, 120, 80, 0},   {u"保温杯"_s, u"个"_s, 180, 60, 40},
    {u"折叠雨伞"_s, u"把"_s, 220, 50, 0},   {u"汽车头枕"_s, u"对"_s, 380, 30, 0},   {u"车载吸尘器"_s, u"台"_s, 680, 15, 0},
    {u"全合成机油"_s, u"桶"_s, 950, 20, 10},
};

const QList<Category> CardCategories = {
    {u"金卡"_s, 5, true, true},
    {u"银卡"_s, 10, true, true},
    {u"普通卡"_s, 20, true, false},
};

// The seventeen digits of an ID number and its check character (GB 11643).
QString withCheckDigit(const QString& body)
{
    static const int weights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    int sum = 0;
    for (int i = 0; i < 17; ++i)
        sum += body.at(i).digitValue() * weights[i];
    return body + u"10X98765432"_s.at(sum % 11);
}

// A vehicle identification number with its check character in the ninth place.
QString vehicleNumber(Dice& dice, const QString& wmi, int modelYear)
{
    static const QString Letters = u"ABCDEFGHJKLMNPRSTUVWXYZ"_s; // never I, O or Q
    static const QString YearCodes = u"ABCDEFGHJKLMNPRSTVWXY"_s;  // 2010 is A
    QString vin = wmi;
    for (int i = 0; i < 5; ++i)
        vin += i < 3 ? Letters.at(dice.below(int(Letters.size()))) : QChar(u'0' + dice.below(10));
    vin += u'0';
    vin += YearCodes.at((modelYear - 2010) % int(YearCodes.size()));
    vin += Letters.at(dice.below(int(Letters.size())));
    vin += dice.digits(6);
    static const int weights[17] = {8, 7, 6, 5, 4, 3, 2, 10, 0, 9, 8, 7, 6, 5, 4, 3, 2};
    static const QString Values = u"12345678.12345.7.923456789"_s; // A..Z, '.' for I, O, Q
    int sum = 0;
    for (int i = 0; i < 17; ++i) {
        const QChar c = vin.at(i);
        const int value = c.isDigit() ? c.digitValue() : Values.at(c.unicode() - u'A').digitValue();
        sum += value * weights[i];
    }
    vin[8] = sum % 11 == 10 ? u'X' : QChar(u'0' + sum % 11);
    return vin;
}

QString plate(Dice& dice)
{
    static const QString Letters = u"ABCDEFGHJKLMNPQRSTUVWXYZ"_s;
    const QStringList cities = split(u"粤A 粤A 粤A 粤A 粤A 粤A 粤B 粤E 粤S"_s);
    QString text = dice.pick(cities);
    if (dice.chance(12)) // a new-energy plate
        return text + (dice.chance(50) ? u'D' : u'F') + dice.digits(5);
    for (int i = 0; i < 5; ++i)
        text += (i == 0 || (i == 1 && dice.chance(30))) ? Letters.at(dice.below(int(Letters.size())))
                                                        : QChar(u'0' + dice.below(10));
    return text;
}

struct Member
{
    QString card;
    QString name;
    QString category;
    QDate start;
    int weight = 1; // how often the member comes to the counter
    bool frozen = false;
};

struct Purchase
{
    int member;
    QString goods;
    int amount;
    QDate day;
};

class Shop
{
public:
    Shop(const QSqlDatabase& db, const QDate& today) : m_db(db), m_today(today), m_first(today.addDays(-90)) {}

    void write()
    {
        ClockOverride pinned(&m_clock);
        at(m_first.addDays(-7), QTime(9, 0));
        for (const Category& c : CardCategories)
            require(Categories::add(m_db, c));
        addCounterOperator();
        registerMembers();
        for (QDate day = m_first; day < m_today; day = day.addDays(1))
            workDay(day);
    }

private:
    void at(const QDate& day, const QTime& time) { m_clock.m_at = QDateTime(day, time); }
    // The next moment of the day, a few minutes after the last one.
    void later(int lowest, int highest) { m_clock.m_at = m_clock.m_at.addSecs(60 * m_dice.between(lowest, highest) + m_dice.below(60)); }
    QString counterStaff() { return m_dice.chance(75) ? CounterOperator : Admin; }
    // An entry of the list other than the one given.
    QString other(const QStringList& list, const QString& not_)
    {
        QString chosen = m_dice.pick(list);
        while (chosen == not_)
            chosen = m_dice.pick(list);
        return chosen;
    }
    double balance(const Member& m) { return Members::find(m_db, m.card)->points; }

    void addCounterOperator()
    {
        OperatorDraft op{.id = CounterOperator, .name = u"李晓梅"_s, .password = CounterPassword,
                         .confirmation = CounterPassword, .rights = {}};
        // The counter's work and the lists it looks at; no settings, maintenance or stock-in.
        for (int k : {9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 22, 23, 24})
            op.rights.insert(k);
        require(Operators::add(m_db, op));
    }

    void registerMembers()
    {
        // Members whose birthday comes in the next days and whose insurance runs out soon, so
        // that both reminders have someone to call today.
        const QMap<int, int> birthdayIn = {{7, 0}, {23, 1}, {41, 2}, {66, 2}, {90, 3}, {118, 4}};
        const QMap<int, int> expiryIn = {{12, 0}, {35, 1}, {57, 3}, {81, 5}, {104, 8}, {133, 12}, {150, 19}, {171, 27}};
        QList<MemberDraft> drafts;
        for (int i = 0; i < 300; ++i) {
            MemberDraft d;
            d.cardNo = u"6600%1"_s.arg(1001 + i);
            const bool male = m_dice.chance(62);
            d.sex = male ? u"男"_s : u"女"_s;
            const QStringList& given = male ? MaleGiven : FemaleGiven;
            d.name = m_dice.pick(Surnames) + m_dice.pick(given);
            if (m_dice.chance(65))
                d.name += other(given, d.name.right(1));
            const int c = m_dice.below(20);
            d.category = CardCategories.at(c < 3 ? 0 : c < 10 ? 1 : 2).name;

            QDate born(m_dice.between(1962, 2001), 1, 1);
            born = born.addDays(m_dice.below(365));
            if (birthdayIn.contains(i)) {
                const QDate day = m_today.addDays(birthdayIn.value(i));
                born = QDate(born.year(), day.month(), day.day());
                for (int y = born.year(); !born.isValid(); --y) // 29 February: a leap year's child
                    born = QDate(y, day.month(), day.day());
            }
            // The sequence's last digit is odd for men, even for women.
            const int sequence = m_dice.below(50) * 2 + (male ? 1 : 0) + 100 * m_dice.below(10);
            d.idNumber = withCheckDigit(m_dice.pick(Regions) + born.toString(u"yyyyMMdd"_s) + u"%1"_s.arg(sequence, 3, 10, QChar(u'0')));
            d.birthday = MemberDates::birthdayText(born);

            const QString district = m_dice.pick(Districts);
            d.address = u"广州市%1%2%3号"_s.arg(district, m_dice.pick(Roads.value(district))).arg(m_dice.between(1, 680));
            if (m_dice.chance(45))
                d.address += u"%1栋%2房"_s.arg(m_dice.between(1, 12)).arg(m_dice.between(1, 32) * 100 + m_dice.between(1, 8));
            if (m_dice.chance(40))
                d.phone = u"020-"_s + QChar(u'3' + 5 * m_dice.below(2)) + m_dice.digits(7);
            d.mobile = m_dice.pick(MobilePrefixes) + m_dice.digits(8);
            d.occupation = m_dice.pick(Occupations);
            d.hobby = m_dice.pick(Hobbies);
            if (m_dice.chance(40))
                d.hobby += u"、"_s + other(Hobbies, d.hobby);

            // Most cards are older than the three months; some were issued during them.
            d.startDate = m_dice.chance(88) ? m_today.addDays(-m_dice.between(92, 3 * 365)) : m_today.addDays(-m_dice.between(1, 90));
            d.purchaseDate = m_dice.chance(40) ? d.startDate : d.startDate.addDays(-m_dice.between(30, 6 * 365));
            const Make& make = m_dice.pick(Makes);
            d.carModel = m_dice.pick(make.models);
            d.vin = vehicleNumber(m_dice, make.wmi, qMax(2010, d.purchaseDate.year() - m_dice.below(2)));
            d.plate = plate(m_dice);
            d.carColour = m_dice.pick(Colours);

            // The policy renews on the car's anniversary: the last one up to today.
            d.insured = expiryIn.contains(i) || m_dice.chance(88);
            QDate policy = d.purchaseDate;
            while (policy.addYears(1) <= m_today)
                policy = policy.addYears(1);
            if (expiryIn.contains(i))
                policy = m_today.addDays(expiryIn.value(i)).addYears(-1);
            d.insuranceDate = policy;
            d.insuranceExpiry = MemberDates::insuranceExpiry(policy);
            drafts << d;
        }
        std::stable_sort(drafts.begin(), drafts.end(),
                         [](const MemberDraft& a, const MemberDraft& b) { return a.startDate < b.startDate; });
        for (const MemberDraft& d : drafts) {
            require(Registration::save(m_db, d));
            const int weight = m_dice.chance(15) ? 6 : m_dice.chance(40) ? 3 : 1;
            m_members << Member{d.cardNo, d.name, d.category, d.startDate, weight};
        }
    }

    void workDay(const QDate& day)
    {
        at(day, QTime(8, 50));
        const int offset = int(m_first.daysTo(day));
        if (offset == 0 || offset == 45)
            takeInGifts(day, offset == 0);

        // A card issued today came with a purchase.
        QList<int> visitors;
        for (int i = 0; i < m_members.size(); ++i) {
            if (m_members.at(i).start == day)
                visitors << i;
        }
        const bool weekend = day.dayOfWeek() >= 6;
        const int visits = weekend ? m_dice.between(6, 10) : m_dice.between(3, 6);
        while (visitors.size() < visits)
            visitors << pickVisitor(day);
        for (int i : visitors) {
            later(10, 80);
            purchase(i, day);
            if (m_dice.chance(15)) {
                later(5, 20);
                redeem(i);
            }
        }
        if (m_dice.chance(35)) {
            later(5, 30);
            giveBack(day);
        }
        // Members who come in only to spend the points they have gathered.
        for (int n = m_dice.below(3); n > 0; --n) {
            later(5, 40);
            for (int tries = 0; tries < 20; ++tries) {
                const int i = pickVisitor(day);
                if (balance(m_members.at(i)) >= 300) {
                    redeem(i);
                    break;
                }
            }
        }
        later(10, 30);
        losses(offset);
    }

    int pickVisitor(const QDate& day)
    {
        int total = 0;
        for (const Member& m : m_members)
            total += m.start <= day && !m.frozen ? m.weight : 0;
        int roll = m_dice.below(total);
        for (int i = 0; i < m_members.size(); ++i) {
            const Member& m = m_members.at(i);
            if (m.start > day || m.frozen)
                continue;
            roll -= m.weight;
            if (roll < 0)
                return i;
        }
        return 0;
    }

    PointsOps::PurchaseDraft draftFor(const Member& m, const QString& goods, int amount)
    {
        const QString amountText = QString::number(amount);
        const ProposedPoints proposed = pointsForAmount(m_db, m.category, amountText);
        if (!proposed.error.isEmpty())
            throw Failure(proposed.error);
        return {.cardNo = m.card, .loadedCard = m.card, .name = m.name, .goods = goods, .amount = amountText,
                .points = proposed.points};
    }

    void purchase(int i, const QDate& day)
    {
        const Member& m = m_members.at(i);
        const Goods& goods = m_dice.pick(GoodsList);
        const int amount = m_dice.between(goods.lowest, goods.highest) / 5 * 5;
        const auto saved = PointsOps::savePurchase(m_db, PointsOps::PurchaseKind::Add, draftFor(m, goods.name, amount), counterStaff());
        require(saved.outcome);
        m_recent << Purchase{i, goods.name, amount, day};
    }

    // Goods brought back within a week, while the card still holds the points they earned.
    void giveBack(const QDate& day)
    {
        for (int n = int(m_recent.size()) - 1; n >= 0; --n) {
            const Purchase p = m_recent.at(n);
            if (p.day.daysTo(day) > 7)
                break;
            const Member& m = m_members.at(p.member);
            if (m.frozen || !m_dice.chance(30))
                continue;
            const PointsOps::PurchaseDraft draft = draftFor(m, p.goods, p.amount);
            if (balance(m) < parseNumber(draft.points))
                continue;
            require(PointsOps::savePurchase(m_db, PointsOps::PurchaseKind::Deduct, draft, counterStaff()).outcome);
            m_recent.removeAt(n);
            return;
        }
    }

    // Gifts when the card may have them, else cash when it may; nothing when the points are few.
    void redeem(int i)
    {
        const Member& m = m_members.at(i);
        const double points = balance(m);
        if (m.frozen || points < 120)
            return;
        const auto category = Categories::find(m_db, m.category);
        PointsOps::RedemptionDraft draft;
        draft.cardNo = m.card;
        draft.loadedCard = m.card;
        draft.name = m.name;
        draft.currentPoints = Values::pointsText(points);
        if (category->cash && (!category->gifts || m_dice.chance(30)) && points >= 200) {
            const int hundreds = qMin(5, int(points / 100));
            draft.giftsEnabled = false;
            draft.points = QString::number(100 * m_dice.between(1, hundreds));
            draft.cash = QString::number(parseNumber(draft.points) / 10);
        } else {
            int cost = 0;
            for (int lines = m_dice.between(1, 2); lines > 0; --lines) {
                const int g = m_dice.below(int(Gifts.size()));
                const Gift& gift = Gifts.at(g);
                const int quantity = gift.points <= 120 ? m_dice.between(1, 3) : 1;
                if (cost + quantity * gift.points > points || m_stock.value(g) < quantity)
                    continue;
                bool twice = false;
                for (const PointsOps::GiftRow& row : draft.gifts)
                    twice = twice || row.name == gift.name;
                if (twice)
                    continue;
                cost += quantity * gift.points;
                m_stock[g] -= quantity;
                draft.gifts << PointsOps::GiftRow{gift.name, gift.unit, QString::number(quantity)};
            }
            if (draft.gifts.isEmpty())
                return;
            draft.points = QString::number(cost);
        }
        require(PointsOps::redeem(m_db, draft, counterStaff()).outcome);
    }

    void takeInGifts(const QDate& day, bool first)
    {
        for (int g = 0; g < Gifts.size(); ++g) {
            const Gift& gift = Gifts.at(g);
            const int quantity = first ? gift.firstLot : gift.secondLot;
            if (quantity == 0)
                continue;
            later(1, 3);
            require(GiftStock::stockIn(m_db, {.date = day, .name = gift.name, .unit = gift.unit,
                                              .quantity = QString::number(quantity),
                                              .remark = first ? u"首批兑换礼品"_s : u"补货"_s}));
            m_stock[g] += quantity;
        }
    }

    // The nth established member with points on the card, counted from the back of the list.
    int established(int nth)
    {
        for (int i = int(m_members.size()) - 1; i >= 0; --i) {
            const Member& m = m_members.at(i);
            if (m.start < m_first && !m.frozen && m.weight > 1 && balance(m) > 0 && nth-- == 0)
                return i;
        }
        throw Failure(u"示范店铺缺少可挂失的会员"_s);
    }

    void verbalLoss(int i, VerbalLoss::Mode mode)
    {
        Member& m = m_members[i];
        later(10, 40);
        const VerbalLoss::Result r = VerbalLoss::confirm(
            m_db, {.mode = mode, .frozenShown = m.frozen, .cardNo = m.card, .loadedCard = m.card, .name = m.name, .operatorId = counterStaff()});
        require(r.outcome);
        m.frozen = mode == VerbalLoss::Mode::Report;
    }

    void replaceCard(int i)
    {
        Member& m = m_members[i];
        later(10, 40);
        const QString newCard = u"6600%1"_s.arg(1301 + m_replaced++);
        require(FormalLoss::replace(m_db, {.oldCardNo = m.card, .lookedUpCard = m.card, .newCardNo = newCard,
                                           .name = m.name, .pointsShown = Values::pointsText(balance(m)),
                                           .operatorId = counterStaff()}));
        m.card = newCard;
        m.frozen = false;
    }

    // A card found again after a phone call, cards replaced with and without a phone call
    // first, and two cards still frozen today.
    void losses(int offset)
    {
        switch (offset) {
        case 24: m_lost = {established(0), established(1), established(2), established(3), established(4), established(5)};
                 verbalLoss(m_lost[0], VerbalLoss::Mode::Report); break;
        case 29: verbalLoss(m_lost[0], VerbalLoss::Mode::Cancel); break;
        case 40: replaceCard(m_lost[1]); break;
        case 57: verbalLoss(m_lost[2], VerbalLoss::Mode::Report); break;
        case 60: replaceCard(m_lost[2]); break;
        case 71: verbalLoss(m_lost[3], VerbalLoss::Mode::Report); break;
        case 79: replaceCard(m_lost[4]); break;
        case 86: verbalLoss(m_lost[5], VerbalLoss::Mode::Report); break;
        default: break;
        }
    }

    QSqlDatabase m_db;
    QDate m_today;
    QDate m_first;
    SteppedClock m_clock;
    Dice m_dice;
    QList<Member> m_members;
    QList<Purchase> m_recent;
    QMap<int, int> m_stock;
    QList<int> m_lost;
    int m_replaced = 0;
};

} // namespace

QString fill(const QSqlDatabase& db, const QDate& today)
{
    try {
        Shop(db, today).write();
    } catch (const Failure& f) {
        return f.text();
    }
    return {};
}

ShopSettings settings()
{
    ShopSettings s;
    s.shopName = u"鸿运汽车服务中心"_s;
    s.slogan = u"保养、美容、维修一站式服务　购物积分，积分兑换好礼！"_s;
    s.footer = u"谢谢惠顾，欢迎再次光临！服务热线 020-38886666"_s;
    s.printReceipts = false;
    return s;
}

} // namespace DemoShop
