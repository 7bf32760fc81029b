#include "config/appconfig.h"
#include "config/gbk.h"
#include "config/programhome.h"
#include "points/receipt.h"
#include "settings/shopsettings.h"
#include "support/testhome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray gbk(const QString& text)
{
    QByteArray bytes;
    EXPECT_TRUE(Gbk::encode(text, &bytes)) << text.toStdString();
    return bytes;
}

class ShopSettingsFile : public ::testing::Test
{
protected:
    TestHome home;
    const QString config = ProgramHome::configPath();
};

TEST_F(ShopSettingsFile, DefaultsWithoutAFile)
{
    const ShopSettings s = Settings::read();
    EXPECT_EQ(s.shopName, QString());
    EXPECT_EQ(s.slogan, QString());
    EXPECT_EQ(s.background, QString());
    EXPECT_EQ(s.footer, QString());
    EXPECT_EQ(s.port, u"lpt1"_s);
    EXPECT_FALSE(s.printReceipts);
}

TEST_F(ShopSettingsFile, SaveWritesEveryKeyInOrderAndReadsBack)
{
    ShopSettings s;
    s.shopName = u"华南汽车"_s;
    s.softwareName = u"会员管理"_s;
    s.softwareVersion = u"4.68"_s;
    s.background = u"/srv/shop/背景.png"_s;
    s.slogan = u"欢迎光临"_s;
    s.footer = u"谢谢惠顾\n欢迎再来\r\n地址：白云路 1 号"_s;
    s.port = u"/dev/usb/lp0"_s;
    s.printReceipts = true;
    // What stands in the file already (a server's 数据库 section) stays ahead of it.
    const QByteArray before = QFile::exists(config) ? fileBytes(config) : QByteArray();
    const Outcome o = Settings::save(s);
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.notice.text, u"配置成功！"_s);
    EXPECT_EQ(o.notice.caption, u"提示"_s);
    EXPECT_EQ(fileBytes(config), before + gbk(u"[程序参数]\r\n店铺名称=华南汽车\r\n软件名称=会员管理\r\n软件版本=4.68\r\n"
                                     u"背景图片=/srv/shop/背景.png\r\n广告语=欢迎光临\r\n小票尾=谢谢惠顾欢迎再来地址：白云路 1 号\r\n"
                                     u"打印端口=/dev/usb/lp0\r\n打印小票=1\r\n"_s));

    const ShopSettings back = Settings::read();
    EXPECT_EQ(back.shopName, s.shopName);
    EXPECT_EQ(back.softwareName, s.softwareName);
    EXPECT_EQ(back.softwareVersion, s.softwareVersion);
    EXPECT_EQ(back.background, s.background);
    EXPECT_EQ(back.slogan, s.slogan);
    EXPECT_EQ(back.footer, u"谢谢惠顾欢迎再来地址：白云路 1 号"_s);
    EXPECT_EQ(back.port, s.port);
    EXPECT_TRUE(back.printReceipts);
    const ReceiptSettings receipt = readReceiptSettings();
    EXPECT_EQ(receipt.port, s.port) << "the next receipt uses what was saved";
    EXPECT_TRUE(receipt.print);

    s.printReceipts = false;
    ASSERT_TRUE(Settings::save(s).ok);
    EXPECT_FALSE(Settings::read().printReceipts);
}

TEST_F(ShopSettingsFile, SaveKeepsWhatOthersWroteAndStoresTheBackgroundAlone)
{
    home.writeConfig(gbk(u"; 本店设置\r\n[程序参数]\r\n提醒1=0\r\n背景=/srv/start.bmp\r\n店铺名称=旧名\r\n[其他]\r\nx=1\r\n"_s));
    ShopSettings s = Settings::read();
    EXPECT_EQ(s.shopName, u"旧名"_s);
    s.shopName = u"新名"_s;
    ASSERT_TRUE(Settings::save(s).ok);
    const StartupSettings start = AppConfig::readStartup();
    EXPECT_FALSE(start.remindBirthday);
    EXPECT_EQ(start.backgroundPath, u"/srv/start.bmp"_s) << "the start-up picture is another key";
    EXPECT_EQ(start.shopName, u"新名"_s);
    const QString text = Gbk::decode(fileBytes(config));
    EXPECT_TRUE(text.startsWith(u"; 本店设置\r\n[程序参数]\r\n提醒1=0\r\n背景=/srv/start.bmp\r\n店铺名称=新名\r\n"_s))
        << text.toStdString();
    EXPECT_TRUE(text.contains(u"[其他]\r\nx=1\r\n"_s));

    ASSERT_TRUE(Settings::storeBackground(QString()));
    EXPECT_EQ(Settings::read().background, QString());
    EXPECT_TRUE(Gbk::decode(fileBytes(config)).contains(u"背景图片=\r\n"_s));
    EXPECT_EQ(Settings::read().shopName, u"新名"_s);
}

TEST_F(ShopSettingsFile, RefusalsAndFailuresLeaveTheFileAsItWas)
{
    const QByteArray before = gbk(u"[程序参数]\r\n店铺名称=旧名\r\n"_s);
    home.writeConfig(before);
    ShopSettings s = Settings::read();
    s.slogan = u"新的字幕"_s;

    s.shopName.clear();
    Outcome o = Settings::save(s);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.notice.text, u"信息不完整！"_s);
    EXPECT_EQ(o.notice.kind, Notice::Kind::Error);
    EXPECT_EQ(fileBytes(config), before);

    s.shopName = u"Café 😀"_s; // no GBK form for the emoji
    o = Settings::save(s);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.notice.text, u"配置失败！"_s);
    EXPECT_EQ(o.notice.caption, u"提示"_s);
    EXPECT_EQ(fileBytes(config), before);

    // A file that cannot be read is not overwritten with the screen's keys alone.
    ASSERT_TRUE(QFile::setPermissions(config, QFileDevice::WriteOwner));
    s.shopName = u"新名"_s;
    if (::geteuid() != 0) { // root reads every file anyway
        EXPECT_EQ(Settings::save(s).notice.text, u"配置失败！"_s);
        EXPECT_FALSE(Settings::storeBackground(u"/x.png"_s));
    }
    ASSERT_TRUE(QFile::setPermissions(config, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(fileBytes(config), before);

    // A folder where the file should be: neither read nor written.
    ASSERT_TRUE(QFile::remove(config));
    ASSERT_TRUE(QDir().mkpath(config));
    EXPECT_EQ(Settings::save(s).notice.text, u"配置失败！"_s);
    EXPECT_FALSE(Settings::storeBackground(u"/x.png"_s));
}

TEST(TestReceipt, EveryByte)
{
    const ReceiptSettings settings{false, {}, u"华南汽车服"_s, QString(40, u'A')};
    const QByteArray expected = gbk(u"          欢 迎 光 临\r\n"_s + QString(11, u' ') + u"华南汽车服\r\n"_s
                                    + u"~~~~~~~POS打印机测试通过~~~~~~~\r\n"_s + QString(31, u'A') + u"\r\n"_s
                                    + QString(9, u'A') + u"\r\n~~~~~~~~~~~ 谢谢惠顾 ~~~~~~~~~~~\r\n"_s)
                                + QByteArray::fromHex("1b70070d0a0b1b4a8c0d0a0a0d0a");
    EXPECT_EQ(Settings::testReceiptBytes(settings), expected);

    // No footer, no name: no footer line, the name as 16 blanks.
    const QByteArray bare = Settings::testReceiptBytes({});
    EXPECT_TRUE(bare.contains(QByteArray("\r\n") + QByteArray(16, ' ') + "\r\n~~~~~~~POS"));
    EXPECT_TRUE(bare.contains(gbk(u"测试通过~~~~~~~\r\n~~~~~~~~~~~ 谢谢惠顾"_s)));
    EXPECT_TRUE(bare.endsWith(QByteArray::fromHex("1b70070d0a0b1b4a8c0d0a0a0d0a")));
}

TEST(TestReceipt, PrintsTheFilesSettingsEvenWithReceiptsOffAndNamesAFailedPort)
{
    TestHome home;
    QTemporaryDir out;
    const QString port = out.filePath(u"test.bin"_s);
    home.writeConfig(gbk(u"[程序参数]\r\n打印小票=0\r\n打印端口=%1\r\n店铺名称=华南汽车\r\n小票尾=谢谢\r\n"_s.arg(port)));
    EXPECT_FALSE(Settings::printTestReceipt());
    EXPECT_EQ(fileBytes(port), Settings::testReceiptBytes({false, port, u"华南汽车"_s, u"谢谢"_s}));

    const QString fifo = out.filePath(u"fifo"_s); // nobody reads it: no printer behind the port
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Case
    {
        QString port;
        QString shown;  // the port as the box names it
        QString reason;
    };
    const Case cases[] = {
        {u""_s, u"（空）"_s, u"没有设置打印端口"_s},
        {u"lpt3"_s, u"lpt3（/dev/lp2）"_s, QString()}, // no parallel port here, or one without paper
        {u"/nonexistent/dir/x"_s, u"/nonexistent/dir/x"_s, u"找不到该端口或文件夹"_s},
        {out.path(), out.path(), u"这是一个文件夹，不是端口"_s},
        {fifo, fifo, u"端口上没有可用的打印机"_s},
    };
    for (const Case& c : cases) {
        home.writeConfig(gbk(u"[程序参数]\r\n打印端口=%1\r\n"_s.arg(c.port)));
        const auto failed = Settings::printTestReceipt();
        if (c.port == u"lpt3"_s && QFile::exists(u"/dev/lp2"_s) && !failed)
            continue; // a printer that took the test
        ASSERT_TRUE(failed) << c.port.toStdString();
        EXPECT_EQ(failed->kind, Notice::Kind::Error);
        EXPECT_EQ(failed->caption, u"提示"_s);
        EXPECT_TRUE(failed->text.startsWith(u"打印测试失败！\n打印端口："_s + c.shown + u"\n原因："_s))
            << failed->text.toStdString();
        if (!c.reason.isEmpty()) {
            EXPECT_TRUE(failed->text.endsWith(c.reason)) << failed->text.toStdString();
        }
    }
}

} // namespace
