#include "config/gbk.h"
#include "config/inifile.h"
#include "config/programhome.h"
#include "data/clock.h"
#include "data/sqlrun.h"
#include "points/receipt.h"
#include "points/transactionlog.h"
#include "support/testhome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

inline void PrintTo(const QStringList& lines, std::ostream* os)
{
    *os << '[' << lines.join(u"|"_s).toStdString() << ']';
}

namespace {

QString tildes(int n)
{
    return QString(n, u'~');
}

QString blanks(int n)
{
    return QString(n, u' ');
}

// The expected text lines, each as GBK bytes with CR LF.
QByteArray gbkLines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        QByteArray b;
        EXPECT_TRUE(Gbk::encode(line, &b)) << line.toStdString();
        bytes += b + "\r\n";
    }
    return bytes;
}

const QByteArray Tail("\x0b\x1b\x4a\x8c\r\n\n\r\n", 9);
const QDateTime LastSecondOfYear(QDate(2026, 12, 31), QTime(23, 59, 59));

TEST(Receipt, EveryByteOfTheThreeKinds)
{
    struct Case
    {
        ReceiptKind kind;
        ReceiptSettings settings;
        ReceiptLines lines;
        QStringList expected; // lines 2 to 8 and the footer; the rest is the same on every receipt
    };
    const QString shop31 = u"华南汽车服务中心（白云分店）ABC"_s; // 14 double-byte characters and 3 letters
    const QString shop40 = u"广州市白云区华南汽车服务中心连锁有限公司"_s;
    const Case cases[] = {
        {ReceiptKind::Add,
         {true, {}, u"华南汽车服"_s, {}},
         {u"1000"_s, u"张三"_s, u"机油"_s, u"123.45"_s, u"0"_s},
         {blanks(11) + u"华南汽车服"_s, tildes(11) + u"增加积分"_s + tildes(13), u"会员卡号： 1000"_s, u"会员姓名： 张三"_s,
          u"所购商品： 机油"_s, u"消费金额： 123.45"_s, u"增加积分： 0"_s}},
        {ReceiptKind::Deduct,
         {true, {}, shop31, u"谢谢惠顾"_s},
         {u"2000"_s, u"李四"_s, u"轮胎"_s, u"-50"_s, u"5"_s},
         {shop31, tildes(8) + u"退/换货减积分"_s + tildes(9), u"会员卡号： 2000"_s, u"会员姓名： 李四"_s,
          u"退/换货商品： 轮胎"_s, u"差价金额： -50"_s, u"减少积分： 5"_s, u"谢谢惠顾"_s}},
        {ReceiptKind::Redeem,
         {true, {}, shop40, QString(40, u'A')},
         {u"3000"_s, u"王五"_s, u"30"_s, u" 帽子 雨伞"_s, u"0"_s},
         {shop40, tildes(10) + u"积分兑换"_s + tildes(11), u"会员卡号： 3000"_s, u"会员姓名： 王五"_s, u"兑换积分： 30"_s,
          u"兑换礼品：  帽子 雨伞"_s, u"兑换现金： 0"_s, QString(31, u'A'), QString(9, u'A')}},
    };
    for (const Case& c : cases) {
        QStringList text = c.expected;
        text.prepend(u"          欢 迎 光 临"_s);
        text.insert(8, u"现有积分： 112.35"_s);
        text.insert(9, tildes(32));
        text.insert(10, u"2026-12-31   23:59:59"_s);
        text.insert(11, u"经手人： 0002"_s);
        text.insert(12, tildes(32));
        const QByteArray bytes = receiptBytes(c.kind, c.settings, c.lines, u"112.35"_s, u"0002"_s, LastSecondOfYear);
        EXPECT_EQ(bytes, gbkLines(text) + Tail) << "kind " << int(c.kind) << '\n' << Gbk::decode(bytes).toStdString();
        EXPECT_TRUE(bytes.endsWith(Tail));
        // The first line as the printer receives it: ten blanks, 欢 迎 光 临 in GBK, CR LF.
        EXPECT_TRUE(bytes.startsWith(QByteArray(10, ' ') + QByteArray::fromHex("bbb620d3ad20b9e220c1d90d0a")));
    }
}

TEST(Receipt, ShopNameCentredByGbkWidth)
{
    struct Case
    {
        QString name;
        int blanksInFront;
    };
    const Case cases[] = {
        {u""_s, 16},
        {u"华南汽车服"_s, 11},          // 10 columns
        {u"ABCDEFGHI"_s, 11},           // 9 columns: 23 / 2 rounds down
        {u"华南汽车服务中心（白云分店）ABC"_s, 0}, // 31 columns
        {u"华南汽车服务中心（白云分店）ABCD"_s, 0}, // 32 columns
        {u"广州市白云区华南汽车服务中心连锁有限公司"_s, 0}, // 40 columns, whole
    };
    for (const Case& c : cases)
        EXPECT_EQ(Receipt::centredShopName(c.name), blanks(c.blanksInFront) + c.name) << c.name.toStdString();
}

TEST(Receipt, FooterWrappedLikeTheFooterBox)
{
    struct Case
    {
        QString footer;
        QStringList lines;
    };
    const Case cases[] = {
        {u""_s, {}},
        {u"谢谢惠顾"_s, {u"谢谢惠顾"_s}},
        {QString(40, u'A'), {QString(31, u'A'), QString(9, u'A')}},
        {u"Thank you for your visit, welcome back soon"_s, {u"Thank you for your visit,"_s, u"welcome back soon"_s}},
        // Column 31 would be the first byte of 欢: the character goes whole to the next line.
        {QString(30, u'a') + u"欢迎"_s, {QString(30, u'a'), u"欢迎"_s}},
        {u"欢迎光临本店 谢谢惠顾 祝您一路平安 欢迎下次光临"_s, {u"欢迎光临本店 谢谢惠顾"_s, u"祝您一路平安 欢迎下次光临"_s}},
        // A blank just past a full line hangs there; the next line starts with the next word.
        {QString(31, u'a') + u" bbb"_s, {QString(31, u'a'), u"bbb"_s}},
        {QString(25, u'a') + u"   "_s + QString(10, u'b'), {QString(25, u'a'), QString(10, u'b')}},
        // Leading blanks are no place to break: the limit breaks instead.
        {u"   "_s + QString(40, u'a'), {u"   "_s + QString(28, u'a'), QString(12, u'a')}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Receipt::footerLines(c.footer), c.lines) << c.footer.toStdString();
}

TEST(Receipt, PortNames)
{
    struct Case
    {
        QString name;
        QString path;
    };
    const Case cases[] = {
        {u"lpt1"_s, u"/dev/lp0"_s},         {u"LPT2"_s, u"/dev/lp1"_s},
        {u"Lpt4"_s, u"/dev/lp3"_s},         {u"lpt5"_s, u"lpt5"_s},
        {u"/dev/usb/lp0"_s, u"/dev/usb/lp0"_s}, {u"/tmp/receipt.txt"_s, u"/tmp/receipt.txt"_s},
        {u""_s, u""_s},                     {u"  "_s, u""_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Receipt::portDevicePath(c.name), c.path) << c.name.toStdString();
}

class ReceiptPrinting : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Clock::setInstance(&clock);
        home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 积分) values ('1000', '张三', 100)"_s);
    }
    void TearDown() override { Clock::setInstance(nullptr); }

    // The purchase save as the screens make it, then its receipt.
    void saveAndPrint(const ReceiptSettings& settings, const QSqlDatabase& printDb)
    {
        ASSERT_EQ(transactWithNumber(home.db(),
                                     [&](const QString& number) {
                                         Sql::run(home.db(), u"update 会员卡信息 set 积分=round(积分+12.35, 2) where 会员卡号='1000'"_s);
                                         Sql::run(home.db(), u"insert into 流水记录 (编号, 会员卡号) values (?, '1000')"_s, {number});
                                     }),
                  QString());
        PrintReceipt(settings, ReceiptKind::Add, lines, printDb, u"0002"_s);
    }
    QByteArray contents(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }

    FixedClock clock{LastSecondOfYear};
    TestHome home;
    QTemporaryDir out;
    const ReceiptLines lines{u"1000"_s, u"张三"_s, u"机油"_s, u"123.45"_s, u"12.35"_s};
};

TEST_F(ReceiptPrinting, FilePortGetsExactlyTheReceiptWithTheNewBalance)
{
    const QString port = out.filePath(u"receipt.bin"_s);
    QFile old(port);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(4000, 'x')); // what the previous receipt left is truncated away
    old.close();
    const ReceiptSettings settings{true, port, u"华南汽车服"_s, u"谢谢惠顾"_s};
    saveAndPrint(settings, home.db());
    EXPECT_EQ(contents(port), receiptBytes(ReceiptKind::Add, settings, lines, u"112.35"_s, u"0002"_s, LastSecondOfYear));
}

TEST_F(ReceiptPrinting, NoReceiptAndNoHarmWhenItCannotOrNeedNotPrint)
{
    const QString file = out.filePath(u"receipt.bin"_s);
    const QString fifo = out.filePath(u"fifo"_s); // a port nobody reads: opening it must not wait
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Case
    {
        const char* what;
        ReceiptSettings settings;
        bool validDb;
    };
    const Case cases[] = {
        {"print off", {false, file, {}, {}}, true},
        {"no port", {true, {}, {}, {}}, true},
        {"port is a folder", {true, out.path(), {}, {}}, true},
        {"folder missing", {true, u"/nonexistent/dir/x"_s, {}, {}}, true},
        {"pipe without reader", {true, fifo, {}, {}}, true},
        {"balance cannot be read", {true, file, {}, {}}, false},
    };
    for (const Case& c : cases) {
        EXPECT_NO_THROW(saveAndPrint(c.settings, c.validDb ? home.db() : QSqlDatabase())) << c.what;
        EXPECT_FALSE(QFile::exists(file)) << c.what;
    }
    EXPECT_EQ(home.scalar(u"select count(*) from 流水记录"_s).toInt(), 6) << "every save stands";
    EXPECT_EQ(home.scalar(u"select 积分 from 会员卡信息"_s).toDouble(), 174.1);
}

TEST(ReceiptPort, GivesUpOnAPortThatStopsTakingBytes)
{
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath(u"full"_s));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK); // opened, never read
    const int filler = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_GE(filler, 0);
    const QByteArray block(4096, 'x');
    while (::write(filler, block.constData(), size_t(block.size())) > 0) {
    }
    ASSERT_EQ(errno, EAGAIN);
    EXPECT_FALSE(Receipt::writeToPort(QString::fromLocal8Bit(fifo), QByteArray("receipt"), 50));
    ::close(filler);
    ::close(reader);
}

TEST(ReceiptSettingsFile, ReadFromGbkFileOrDefaults)
{
    TestHome home;
    const ReceiptSettings none = readReceiptSettings();
    EXPECT_FALSE(none.print);
    EXPECT_EQ(none.port, QString());
    EXPECT_EQ(none.shopName, QString());
    EXPECT_EQ(none.footer, QString());

    QByteArray ini;
    ASSERT_TRUE(Gbk::encode(u"[程序参数]\r\n店铺名称=华南汽车\r\n打印端口=LPT2\r\n小票尾=谢谢惠顾 欢迎再来\r\n打印小票=1\r\n"_s, &ini));
    home.writeConfig(ini);
    const ReceiptSettings s = readReceiptSettings();
    EXPECT_TRUE(s.print);
    EXPECT_EQ(s.port, u"LPT2"_s);
    EXPECT_EQ(s.shopName, u"华南汽车"_s);
    EXPECT_EQ(s.footer, u"谢谢惠顾 欢迎再来"_s);

    ASSERT_TRUE(Gbk::encode(u"[其他]\r\n打印小票=1\r\n打印端口=lpt1\r\n"_s, &ini));
    home.writeConfig(ini);
    EXPECT_FALSE(readReceiptSettings().print) << "keys of another section are not the receipt's";
    EXPECT_EQ(readReceiptSettings().port, QString());
}

// Every save takes the receipt settings; a large file is read from disk again only when it has
// changed, however soon after its last reading.
TEST(ReceiptSettingsFile, ReadAgainOnlyWhenTheFileChanged)
{
    TestHome home;
    const QString path = ProgramHome::configPath();
    const auto write = [&](const QString& shop, int commentLines, const QDateTime& modified) {
        QByteArray ini;
        ASSERT_TRUE(Gbk::encode(u"[程序参数]\r\n店铺名称=%1\r\n打印小票=1\r\n"_s.arg(shop), &ini));
        for (int i = 0; i < commentLines; ++i)
            ini += "; a shop's long notes, kept in the file over the years\r\n";
        home.writeConfig(ini);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    };
    const QDateTime longAgo = QDateTime::currentDateTime().addDays(-3);
    write(u"华南汽车"_s, 100000, longAgo); // some 5 MB
    // The status-change time is now, so every reading below goes to the disk: what matters here
    // is that no change is missed, however little it shows in the file's times.
    const int before = IniFile::diskReads();
    EXPECT_EQ(readReceiptSettings().shopName, u"华南汽车"_s);
    EXPECT_EQ(IniFile::diskReads(), before + 1);

    write(u"华北汽车"_s, 100000, longAgo); // same size, same modification time
    EXPECT_EQ(readReceiptSettings().shopName, u"华北汽车"_s) << "a change within the clock's tick is not missed";
    write(u"东北汽车行"_s, 100000, longAgo.addSecs(60));
    EXPECT_EQ(readReceiptSettings().shopName, u"东北汽车行"_s);
    QFile::remove(path);
    EXPECT_EQ(readReceiptSettings().shopName, QString()) << "a file that went gives the defaults";
}

TEST(IniFileCache, TrustsAnOldFileUntilItChanges)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"myini.ini"_s);
    IniFile ini(path);
    ini.writeString(u"程序参数"_s, u"店铺名称"_s, u"华南汽车"_s);
    ASSERT_TRUE(ini.save());
    // A file is trusted once its times are older than the clock's coarsest tick at the reading.
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));

    const int before = IniFile::diskReads();
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(IniFile::cached(path)->readString(u"程序参数"_s, u"店铺名称"_s, {}), u"华南汽车"_s);
    EXPECT_EQ(IniFile::diskReads(), before + 1) << "fifty saves, one reading";

    ini.writeString(u"程序参数"_s, u"店铺名称"_s, u"华北汽车"_s);
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(IniFile::cached(path)->readString(u"程序参数"_s, u"店铺名称"_s, {}), u"华北汽车"_s);
}

} // namespace
