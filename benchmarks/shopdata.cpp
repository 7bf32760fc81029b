#include "shopdata.h"

#include "data/engine.h"
#include "data/schema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <QUuid>

#include <sqlite3.h>

#include <array>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace ShopData {

namespace {

// Raised whenever what the file holds changes, so an older cache is not taken for this one.
constexpr int GeneratorVersion = 1;

// The same numbers on every machine: splitmix64, mapped onto ranges by hand (the standard
// distributions differ between libraries).
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // [0, n)
    int below(int n) { return int(next() % std::uint64_t(n)); }
    // [0, 1)
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    // [0, n), the first ones far more often: a shop's regulars and its usual goods.
    int skewed(int n, double power) { return std::min(n - 1, int(n * std::pow(unit(), power))); }
    bool chance(double p) { return unit() < p; }
    template <class T, std::size_t N> const T& pick(const std::array<T, N>& from) { return from[below(int(N))]; }

private:
    std::uint64_t m_state;
};

constexpr std::array<const char*, 100> Surnames = {
    "王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙", "马", "朱", "胡", "郭", "何",
    "高", "林", "罗", "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹", "彭", "曾", "肖", "田",
    "董", "袁", "潘", "于", "蒋", "蔡", "余", "杜", "叶", "程", "苏", "魏", "吕", "丁", "任", "沈", "姚",
    "卢", "姜", "崔", "钟", "谭", "陆", "汪", "范", "金", "石", "廖", "贾", "夏", "韦", "付", "方", "白",
    "邹", "孟", "熊", "秦", "邱", "江", "尹", "薛", "闫", "段", "雷", "侯", "龙", "史", "陶", "黎", "贺",
    "顾", "毛", "郝", "龚", "邵", "万", "钱", "严", "覃", "武", "戴", "莫", "孔", "向", "欧阳"};
constexpr std::array<const char*, 80> GivenChars = {
    "伟", "芳", "娜", "秀", "英", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟",
    "涛", "明", "超", "兰", "霞", "平", "刚", "桂", "华", "建", "国", "文", "斌", "辉", "鹏", "宇",
    "浩", "凯", "俊", "峰", "婷", "雪", "琳", "晨", "欣", "怡", "佳", "子", "涵", "梓", "轩", "博",
    "天", "思", "雨", "嘉", "泽", "诺", "宁", "海", "波", "春", "红", "玉", "梅", "志", "永", "德",
    "荣", "林", "飞", "鑫", "新", "东", "晓", "丹", "慧", "颖", "瑞", "昊", "睿", "晴", "悦", "航"};
// Region code of the ID number and the address in front of the street.
constexpr std::array<std::pair<const char*, const char*>, 16> Regions = {{
    {"440106", "广东省广州市天河区"}, {"440104", "广东省广州市越秀区"}, {"440305", "广东省深圳市南山区"},
    {"440304", "广东省深圳市福田区"}, {"440604", "广东省佛山市禅城区"}, {"441900", "广东省东莞市"},
    {"110105", "北京市朝阳区"},       {"310115", "上海市浦东新区"},     {"330106", "浙江省杭州市西湖区"},
    {"320106", "江苏省南京市鼓楼区"}, {"510107", "四川省成都市武侯区"}, {"420111", "湖北省武汉市洪山区"},
    {"430104", "湖南省长沙市岳麓区"}, {"350203", "福建省厦门市思明区"}, {"450103", "广西壮族自治区南宁市青秀区"},
    {"370202", "山东省青岛市市南区"},
}};
constexpr std::array<const char*, 24> Streets = {
    "中山路", "人民路", "解放路", "建设路", "和平路", "长江路", "黄河路", "新华路", "文化路", "胜利路",
    "东风路", "朝阳路", "迎宾大道", "滨江大道", "科技园路", "天河北路", "体育西路", "珠江新城华夏路",
    "南京东路", "学府路", "工业大道", "环市东路", "江南大道", "花城大道"};
constexpr std::array<const char*, 16> Estates = {
    "阳光花园", "碧桂园", "万科城", "翠湖苑", "金地名京", "保利香槟", "恒大御景", "华润城",
    "锦绣家园", "丽江花园", "星河湾", "富力天域", "时代玫瑰园", "龙湖春江", "世纪新城", "绿地中央广场"};
constexpr std::array<const char*, 24> Occupations = {
    "教师", "医生", "护士", "工程师", "公务员", "司机", "会计", "销售经理", "个体经营", "企业主", "律师", "程序员",
    "设计师", "厨师", "警察", "自由职业", "退休", "学生", "银行职员", "保险代理人", "建筑师", "记者", "物流经理", "房产中介"};
constexpr std::array<const char*, 20> Hobbies = {
    "钓鱼", "旅游", "摄影", "登山", "篮球", "足球", "羽毛球", "乒乓球", "游泳", "跑步",
    "读书", "音乐", "书法", "围棋", "自驾游", "美食", "健身", "瑜伽", "高尔夫", "露营"};
constexpr std::array<const char*, 28> CarModels = {
    "大众帕萨特", "大众朗逸", "丰田凯美瑞", "丰田卡罗拉", "本田雅阁", "本田思域", "日产轩逸", "别克君威",
    "别克英朗", "奥迪A4L", "宝马3系", "奔驰C级", "比亚迪汉", "比亚迪秦PLUS", "吉利博越", "长安CS75",
    "哈弗H6", "福特蒙迪欧", "马自达6", "现代伊兰特", "起亚K5", "雪佛兰科鲁泽", "广汽传祺GS4", "荣威RX5",
    "特斯拉Model 3", "理想L7", "蔚来ES6", "小鹏P7"};
constexpr std::array<const char*, 10> Colours = {"黑色", "白色", "银色", "灰色", "红色",
                                                 "蓝色", "香槟色", "棕色", "珍珠白", "深空灰"};
constexpr std::array<const char*, 31> PlateProvinces = {
    "粤", "粤", "粤", "粤", "京", "沪", "浙", "苏", "川", "鄂", "湘", "闽", "桂", "鲁", "豫", "冀",
    "晋", "辽", "吉", "黑", "皖", "赣", "渝", "云", "贵", "陕", "甘", "宁", "琼", "蒙", "新"};
struct Category
{
    const char* name;
    int ratio;
    bool gifts;
    bool cash;
    double share;
};
constexpr std::array<Category, 5> Categories = {{
    {"普通卡", 10, true, false, 0.55},
    {"银卡", 8, true, false, 0.25},
    {"金卡", 5, true, true, 0.13},
    {"钻石卡", 3, true, true, 0.05},
    {"VIP卡", 2, true, true, 0.02},
}};
constexpr std::array<const char*, 40> Services = {
    "小保养", "大保养", "更换机油", "更换机滤", "更换空调滤芯", "更换空气滤芯", "更换刹车片", "更换刹车油",
    "更换火花塞", "更换雨刮片", "更换电瓶", "更换轮胎", "四轮定位", "动平衡", "普通洗车", "精致洗车",
    "打蜡", "封釉", "镀晶", "内饰清洁", "空调清洗", "发动机舱清洗", "贴太阳膜", "隐形车衣",
    "钣金喷漆", "补漆", "行车记录仪", "倒车雷达", "全景影像", "脚垫", "座套", "方向盘套",
    "车载香薰", "玻璃水", "防冻液", "变速箱油", "转向助力油", "节气门清洗", "喷油嘴清洗", "三元催化清洗"};
constexpr std::array<const char*, 8> Variants = {"", "（原厂）", "（壳牌）", "（美孚）", "（米其林）", "（博世）", "（3M）", "会员套餐"};
constexpr std::array<std::pair<const char*, const char*>, 30> Gifts = {{
    {"雨伞", "把"},     {"保温杯", "个"},   {"车载香水", "瓶"}, {"洗车券", "张"},   {"抱枕", "个"},
    {"纸巾盒", "个"},   {"钥匙扣", "个"},   {"毛巾", "条"},     {"充电宝", "个"},   {"手机支架", "个"},
    {"玻璃水", "瓶"},   {"脚垫", "套"},     {"头枕", "对"},     {"遮阳挡", "个"},   {"应急灯", "个"},
    {"灭火器", "个"},   {"三角警示牌", "个"}, {"打气泵", "台"}, {"车衣", "件"},     {"保养券", "张"},
    {"加油卡", "张"},   {"电影票", "张"},   {"保鲜盒", "套"},   {"不粘锅", "口"},   {"床上四件套", "套"},
    {"行李箱", "个"},   {"蓝牙耳机", "副"}, {"车载冰箱", "台"}, {"空气净化器", "台"}, {"机油", "桶"},
}};
constexpr std::array<const char*, 6> Operators = {"0001", "0002", "0003", "0004", "0005", "0006"};
constexpr std::array<const char*, 5> OperatorNames = {"李收银", "王前台", "张服务", "陈店长", "刘会计"};

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

std::string dateText(const QDate& d)
{
    return d.toString(u"yyyy-MM-dd"_s).toStdString();
}

std::string digits(Random& r, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += char('0' + r.below(10));
    return s;
}

std::string idNumber(const char* region, const QDate& birth, Random& r)
{
    std::string id = std::string(region) + birth.toString(u"yyyyMMdd"_s).toStdString() + digits(r, 3);
    static const int weights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    int sum = 0;
    for (int i = 0; i < 17; ++i)
        sum += (id[std::size_t(i)] - '0') * weights[i];
    id += "10X98765432"[sum % 11];
    return id;
}

std::string goodsName(int index)
{
    const int service = index % int(Services.size());
    const int variant = (index / int(Services.size())) % int(Variants.size());
    return std::string(Services[std::size_t(service)]) + Variants[std::size_t(variant)];
}
constexpr int GoodsKinds = 300;

const QDate LogStart(2022, 1, 1);
const QDate LogEnd(2024, 12, 31);

class Db
{
public:
    explicit Db(const QString& path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_db));
    }
    ~Db() { sqlite3_close(m_db); }
    void exec(const std::string& sql)
    {
        char* message = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "?";
            sqlite3_free(message);
            throw std::runtime_error(text + " in " + sql);
        }
    }
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// One insert statement, run once per row with the values given as texts, numbers or null.
class Insert
{
public:
    Insert(Db& db, const std::string& sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db.handle(), sql.c_str(), -1, &m_stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db.handle()));
    }
    ~Insert() { sqlite3_finalize(m_stmt); }
    Insert& text(const std::string& value)
    {
        sqlite3_bind_text(m_stmt, ++m_at, value.data(), int(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Insert& number(double value)
    {
        sqlite3_bind_double(m_stmt, ++m_at, value);
        return *this;
    }
    Insert& integer(int value)
    {
        sqlite3_bind_int(m_stmt, ++m_at, value);
        return *this;
    }
    Insert& null()
    {
        sqlite3_bind_null(m_stmt, ++m_at);
        return *this;
    }
    void run()
    {
        if (sqlite3_step(m_stmt) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(m_db.handle()));
        sqlite3_reset(m_stmt);
        m_at = 0;
    }

private:
    Db& m_db;
    sqlite3_stmt* m_stmt = nullptr;
    int m_at = 0;
};

struct Member
{
    std::string card;
    std::string name;
    int category = 0;
    double points = 0;
};

std::string memberCard(int i)
{
    return std::to_string(60000001 + i);
}
std::string retiredCard(int j)
{
    return std::to_string(50000001 + j);
}
std::string unknownCard(int k)
{
    return std::to_string(70000001 + k);
}

std::string personName(Random& r)
{
    std::string name = r.pick(Surnames);
    name += r.pick(GivenChars);
    if (r.chance(0.7))
        name += r.pick(GivenChars);
    return name;
}

double cents(double value)
{
    return std::round(value * 100.0) / 100.0;
}

void fill(const QString& path, const Sizes& sizes)
{
    Db db(path);
    // A bulk load: nothing here has to survive a power cut, and the indexes are made once at
    // the end from the program's own statements.
    db.exec("PRAGMA journal_mode=OFF");
    db.exec("PRAGMA synchronous=OFF");
    std::vector<std::string> indexes;
    {
        sqlite3_stmt* q = nullptr;
        sqlite3_prepare_v2(db.handle(), "select name, sql from sqlite_master where type='index' and sql is not null", -1,
                           &q, nullptr);
        std::vector<std::string> names;
        while (sqlite3_step(q) == SQLITE_ROW) {
            names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(q, 0)));
            indexes.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(q, 1)));
        }
        sqlite3_finalize(q);
        for (const std::string& name : names)
            db.exec("DROP INDEX \"" + name + "\"");
    }
    db.exec("BEGIN");
    Random r(sizes.seed);

    {
        Insert category(db, "insert into 卡类别 (卡类别, 积分比例, 允许兑换礼品, 允许返现金) values (?,?,?,?)");
        for (const Category& c : Categories)
            category.text(c.name).integer(c.ratio).integer(c.gifts).integer(c.cash).run();
        Insert op(db, "insert into 操作员 (操作员, 姓名, 密码) values (?,?,'')");
        for (std::size_t i = 1; i < Operators.size(); ++i)
            op.text(Operators[i]).text(OperatorNames[i - 1]).run();
    }

    // The members in the order their cards were issued, over twelve years.
    std::vector<Member> members(std::size_t(sizes.members));
    std::vector<std::array<std::string, 22>> rows(std::size_t(sizes.members));
    const QDate firstIssue(2013, 1, 1);
    const qint64 issueDays = firstIssue.daysTo(LogEnd);
    for (int i = 0; i < sizes.members; ++i) {
        Member& m = members[std::size_t(i)];
        m.card = memberCard(i);
        m.name = personName(r);
        double u = r.unit();
        for (int c = 0; c < int(Categories.size()); ++c) {
            u -= Categories[std::size_t(c)].share;
            if (u < 0 || c + 1 == int(Categories.size())) {
                m.category = c;
                break;
            }
        }
        const auto& region = r.pick(Regions);
        const QDate birth = QDate(1955, 1, 1).addDays(r.below(365 * 48));
        const QDate issued = firstIssue.addDays(qint64(i) * issueDays / sizes.members);
        const QDate bought = issued.addDays(-r.below(1500));
        const bool insured = r.chance(0.72);
        const QDate insuredOn = issued.addDays(r.below(365));
        std::array<std::string, 22>& row = rows[std::size_t(i)];
        row[0] = m.card;
        row[1] = Categories[std::size_t(m.category)].name;
        row[2] = m.name;
        row[3] = r.chance(0.6) ? "男" : "女";
        row[4] = idNumber(region.first, birth, r);
        row[5] = std::to_string(birth.month()) + "-" + std::to_string(birth.day());
        row[6] = std::string(region.second) + r.pick(Streets) + std::to_string(1 + r.below(888)) + "号"
                 + r.pick(Estates) + std::to_string(1 + r.below(30)) + "栋" + std::to_string(101 + r.below(3200)) + "室";
        row[7] = r.chance(0.4) ? "020-" + std::to_string(3 + r.below(6)) + digits(r, 7) : "";
        row[8] = "1" + std::string(1, "3578"[r.below(4)]) + digits(r, 9);
        row[9] = dateText(issued);
        row[10] = r.pick(Occupations);
        row[11] = r.pick(Hobbies);
        row[12] = std::string(r.pick(PlateProvinces)) + char('A' + r.below(20)) + digits(r, 2)
                  + char('A' + r.below(26)) + digits(r, 2);
        row[13] = "L" + std::string(1, "SVFGHK"[r.below(6)]) + "V" + digits(r, 5) + char('A' + r.below(26)) + digits(r, 8);
        row[14] = r.pick(CarModels);
        row[15] = r.pick(Colours);
        row[16] = dateText(bought);
        row[17] = insured ? "1" : "0";
        row[18] = insured ? dateText(insuredOn) : "";
        row[19] = insured ? dateText(QDate(2025, 1, 1).addDays(r.below(400))) : "";
    }

    // The log, in the order it was written: a thousand days, about a thousand rows a day.
    {
        Insert log(db, "insert into 流水记录 (编号, 会员卡号, 会员姓名, 商品, 兑换礼品, 返现金, 增减积分, 增减原因, 日期, 时间, 经手人) "
                       "values (?,?,?,?,?,?,?,?,?,?,?)");
        Insert used(db, "insert into 礼品使用记录 (单据号, 会员卡号, 会员姓名, 礼品名称, 单位, 数量, 日期, 经手人) "
                        "values (?,?,?,?,?,?,?,?)");
        const qint64 days = LogStart.daysTo(LogEnd) + 1;
        char number[16];
        for (int k = 0; k < sizes.logRows; ++k) {
            const qint64 day = qint64(k) * days / sizes.logRows;
            const qint64 firstOfDay = (day * sizes.logRows + days - 1) / days;
            const qint64 nextDay = ((day + 1) * sizes.logRows + days - 1) / days;
            const int secondOfDay = 8 * 3600 + 1800 + int((k - firstOfDay) * (11 * 3600) / std::max<qint64>(1, nextDay - firstOfDay));
            const std::string date = dateText(LogStart.addDays(day));
            const std::string time = QTime(0, 0).addSecs(secondOfDay).toString(u"HH:mm:ss"_s).toStdString();
            Member& m = members[std::size_t(r.skewed(sizes.members, 2.0))];
            const Category& c = Categories[std::size_t(m.category)];
            std::snprintf(number, sizeof number, "%010d", k + 1);
            const char* op = Operators[std::size_t(r.below(int(Operators.size())))];
            const double kind = r.unit();
            log.text(number).text(m.card).text(m.name);
            if (kind < 0.05 && m.points > 20) {
                const double points = cents(std::min(m.points, (30 + r.below(2000)) / double(c.ratio)));
                m.points = cents(m.points - points);
                log.text(goodsName(r.skewed(GoodsKinds, 2.5))).null().null().number(-points).text("退货减积分");
            } else if (kind < 0.14 && m.points >= 100) {
                const double points = cents(std::min(m.points, 100.0 + r.below(20) * 50.0));
                m.points = cents(m.points - points);
                if (c.cash && r.chance(0.4)) {
                    log.null().text("").number(cents(points / 10)).number(-points).text("兑换积分");
                } else {
                    const auto& gift = Gifts[std::size_t(r.skewed(int(Gifts.size()), 1.5))];
                    log.null().text(std::string(" ") + gift.first).number(0).number(-points).text("兑换积分");
                    used.text(number).text(m.card).text(m.name).text(gift.first).text(gift.second)
                        .number(1 + r.below(3)).text(date).text(op).run();
                }
            } else {
                const double amount = 30 + r.below(800000) / 100.0;
                const double points = cents(amount / c.ratio);
                m.points = cents(m.points + points);
                log.text(goodsName(r.skewed(GoodsKinds, 2.5))).null().null().number(points).text("购物消费");
            }
            log.text(date).text(time).text(op).run();
        }
    }

    // A few cards frozen by a verbal loss report that is still open; older reports cancelled.
    {
        Insert verbal(db, "insert into 口头挂失记录 (会员卡号, 会员姓名, 口头挂失日期, 口头挂失时间, 挂失经手人, 取消挂失日期, "
                          "取消挂失时间, 取消挂失经手人) values (?,?,?,?,?,?,?,?)");
        for (int v = 0; v < std::max(1, sizes.members / 50); ++v) {
            const int i = r.below(sizes.members);
            const bool open = v % 8 == 0;
            const QDate reported = LogStart.addDays(r.below(1000));
            verbal.text(members[std::size_t(i)].card).text(members[std::size_t(i)].name).text(dateText(reported))
                .text("10:15:00").text(r.pick(Operators));
            if (open) {
                verbal.null().null().null();
                rows[std::size_t(i)][21] = "1";
            } else {
                verbal.text(dateText(reported.addDays(1 + r.below(5)))).text("16:40:00").text(r.pick(Operators));
            }
            verbal.run();
        }
    }

    {
        Insert member(db, "insert into 会员卡信息 (会员卡号, 卡类别, 会员姓名, 性别, 身份证号, 会员生日, 地址, 固定电话, 手机, "
                          "起用日期, 职业, 兴趣爱好, 车牌号, VIN码, 车型, 车身颜色, 购车日期, 投保标志, 投保日期, 保险到期日期, "
                          "积分, 口头挂失标志) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        for (int i = 0; i < sizes.members; ++i) {
            const auto& row = rows[std::size_t(i)];
            for (int c = 0; c < 17; ++c)
                member.text(row[std::size_t(c)]);
            member.integer(row[17] == "1");
            if (row[17] == "1")
                member.text(row[18]).text(row[19]);
            else
                member.null().null();
            member.number(members[std::size_t(i)].points).integer(row[21] == "1").run();
        }
    }

    // Cards replaced after a formal loss: the old number retired, the member on a new one.
    {
        Insert loss(db, "insert into 挂失记录 (旧卡号, 新卡号, 会员姓名, 原有积分, 日期, 时间, 经手人) values (?,?,?,?,?,?,?)");
        for (int j = 0; j < sizes.lossRecords; ++j) {
            const Member& m = members[std::size_t((qint64(j) * 7919) % sizes.members)];
            loss.text(retiredCard(j)).text(m.card).text(m.name).number(cents(r.below(500000) / 100.0))
                .text(dateText(LogStart.addDays(r.below(1090)))).text("14:20:00").text(r.pick(Operators)).run();
        }
    }

    {
        Insert gift(db, "insert into 礼品 (礼品名称, 单位, 数量, 备注, 日期) values (?,?,?,?,?)");
        for (int g = 0; g < sizes.giftRows; ++g) {
            const auto& item = Gifts[std::size_t(g % int(Gifts.size()))];
            const bool stockIn = r.chance(0.4);
            gift.text(item.first).text(item.second).number(stockIn ? 20 + r.below(200) : -(1 + r.below(3)))
                .text(stockIn ? "供应商到货" : "").text(dateText(LogStart.addDays(r.below(1090)))).run();
        }
    }

    db.exec("COMMIT");
    for (const std::string& index : indexes)
        db.exec(index);
    // As the program leaves its files.
    db.exec("PRAGMA journal_mode=WAL");
}

} // namespace

QString cachedDatabase(const QString& cacheDir, const Sizes& sizes)
{
    const QString name = u"shop-v%1-g%2-s%3-m%4-l%5-x%6-p%7.db"_s.arg(Schema::Version)
                             .arg(GeneratorVersion)
                             .arg(sizes.seed)
                             .arg(sizes.members)
                             .arg(sizes.logRows)
                             .arg(sizes.lossRecords)
                             .arg(sizes.giftRows);
    QDir().mkpath(cacheDir);
    const QString path = QDir(cacheDir).filePath(name);
    if (QFileInfo::exists(path))
        return path;
    // Made under a name of its own and renamed when whole, so an interrupted run leaves nothing
    // that a later one would take for a finished file.
    const QString making = path + u".making-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString error;
    if (!Engine::create(making, &error))
        throw std::runtime_error(error.toStdString());
    try {
        fill(making, sizes);
    } catch (...) {
        Engine::removeFile(making);
        throw;
    }
    if (!QFile::rename(making, path) && !QFileInfo::exists(path))
        throw std::runtime_error("cannot rename the made database");
    QFile::remove(making);
    return path;
}

Cards sampleCards(const Sizes& sizes, int count)
{
    Random r(sizes.seed ^ 0xC0FFEEull);
    Cards cards;
    for (int i = 0; i < count; ++i) {
        cards.known << text(memberCard(r.below(sizes.members)));
        cards.retired << text(retiredCard(r.below(std::max(1, sizes.lossRecords))));
        cards.unknown << text(unknownCard(r.below(1000000)));
    }
    return cards;
}

QStringList categories()
{
    QStringList names;
    for (const Category& c : Categories)
        names << QString::fromUtf8(c.name);
    return names;
}

} // namespace ShopData
