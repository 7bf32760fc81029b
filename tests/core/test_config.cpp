#include "config/appconfig.h"
#include "config/gbk.h"
#include "config/inifile.h"
#include "config/programhome.h"
#include "support/testhome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class ConfigTest : public ::testing::Test
{
protected:
    void SetUp() override { ProgramHome::set(dir.path()); }
    QByteArray gbk(const QString& text)
    {
        QByteArray bytes;
        EXPECT_TRUE(Gbk::encode(text, &bytes));
        return bytes;
    }
    void writeRaw(const QByteArray& bytes)
    {
        QFile f(ProgramHome::configPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readRaw()
    {
        QFile f(ProgramHome::configPath());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    QTemporaryDir dir;
};

TEST_F(ConfigTest, MissingFileGivesEveryStartupDefault)
{
    const StartupSettings s = AppConfig::readStartup();
    EXPECT_EQ(s.shopName, u"请修改公司名称"_s);
    EXPECT_EQ(s.slogan, u"请修改滚动字幕"_s);
    EXPECT_TRUE(s.remindBirthday);
    EXPECT_TRUE(s.remindInsurance);
    EXPECT_EQ(s.backgroundPath, dir.path() + u"/image/001.bmp"_s);
    EXPECT_FALSE(QFile::exists(ProgramHome::configPath())) << "reading must not create the file";
}

TEST_F(ConfigTest, EmptyBackgroundFallsBackToDefaultPicture)
{
    writeRaw(gbk(u"[程序参数]\r\n背景=\r\n店铺名称=  华南汽车服务  \r\n"_s));
    const StartupSettings s = AppConfig::readStartup();
    EXPECT_EQ(s.backgroundPath, dir.path() + u"/image/001.bmp"_s);
    EXPECT_EQ(s.shopName, u"华南汽车服务"_s) << "blanks around a value are not part of it";
}

TEST_F(ConfigTest, YesNoParsing)
{
    struct Case
    {
        const char* stored; // nullptr: key missing
        bool fallback;
        bool expected;
    };
    const Case cases[] = {
        {"1", false, true}, {"0", true, false}, {"7", false, true},   {"-2", false, true},
        {"x", true, true},  {"x", false, false}, {"1.5", false, false}, {"", true, true},
        {nullptr, true, true}, {nullptr, false, false},
    };
    for (const Case& c : cases) {
        QByteArray file = gbk(u"[程序参数]\r\n"_s);
        if (c.stored)
            file += gbk(u"提醒1="_s + QString::fromUtf8(c.stored) + u"\r\n"_s);
        writeRaw(file);
        IniFile ini(ProgramHome::configPath());
        ASSERT_TRUE(ini.load());
        EXPECT_EQ(ini.readBool(ConfigKeys::Section, ConfigKeys::RemindBirthday, c.fallback), c.expected)
            << "stored " << (c.stored ? c.stored : "(missing)") << " fallback " << c.fallback;
    }
}

TEST_F(ConfigTest, ChineseKeysAndValuesAreGbkOnDisk)
{
    {
        IniFile ini(ProgramHome::configPath());
        ASSERT_TRUE(ini.load());
        ini.writeString(ConfigKeys::Section, ConfigKeys::ShopName, u"东风汽车4S店"_s);
        ini.writeBool(ConfigKeys::Section, ConfigKeys::RemindInsurance, false);
        ASSERT_TRUE(ini.save());
    }
    EXPECT_EQ(readRaw(), gbk(u"[程序参数]\r\n店铺名称=东风汽车4S店\r\n提醒2=0\r\n"_s));

    IniFile again(ProgramHome::configPath());
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.readString(ConfigKeys::Section, ConfigKeys::ShopName, {}), u"东风汽车4S店"_s);
    EXPECT_FALSE(again.readBool(ConfigKeys::Section, ConfigKeys::RemindInsurance, true));
}

TEST_F(ConfigTest, WritingKeepsOtherLinesAndReplacesInPlace)
{
    writeRaw(gbk(u"; 本机设置\r\n[其他]\r\n店铺名称=别处\r\n[程序参数]\r\n打印端口=lpt2\r\n小票尾=谢谢\r\n\r\n[末尾]\r\nA=1\r\n"_s));
    IniFile ini(ProgramHome::configPath());
    ASSERT_TRUE(ini.load());
    ini.writeString(ConfigKeys::Section, ConfigKeys::PrinterPort, u"/dev/usb/lp0"_s);
    ini.writeString(ConfigKeys::Section, ConfigKeys::ShopName, u"本店"_s);
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readRaw(), gbk(u"; 本机设置\r\n[其他]\r\n店铺名称=别处\r\n[程序参数]\r\n打印端口=/dev/usb/lp0\r\n小票尾=谢谢\r\n"
                             u"店铺名称=本店\r\n\r\n[末尾]\r\nA=1\r\n"_s));
}

TEST_F(ConfigTest, FirstWriteCreatesFileAndFolder)
{
    IniFile ini(dir.filePath(u"new/folder/myini.ini"_s));
    ASSERT_TRUE(ini.load());
    ini.writeString(ConfigKeys::Section, ConfigKeys::Slogan, u"欢迎光临"_s);
    ASSERT_TRUE(ini.save());
    EXPECT_TRUE(QFile::exists(dir.filePath(u"new/folder/myini.ini"_s)));
}

TEST_F(ConfigTest, KeyNamesIgnoreLetterCaseAndUtf8WithMarkIsRead)
{
    writeRaw(QByteArray("\xEF\xBB\xBF") + u"[程序参数]\nRemark=是\n"_s.toUtf8());
    IniFile ini(ProgramHome::configPath());
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.readString(ConfigKeys::Section, u"REMARK"_s, {}), u"是"_s);
}

TEST_F(ConfigTest, TextWithoutGbkFormIsRefusedNotMangled)
{
    writeRaw(gbk(u"[程序参数]\r\n广告语=旧的\r\n"_s));
    IniFile ini(ProgramHome::configPath());
    ASSERT_TRUE(ini.load());
    ini.writeString(ConfigKeys::Section, ConfigKeys::Slogan, u"欢迎 😀"_s);
    QString error;
    EXPECT_FALSE(ini.save(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readRaw(), gbk(u"[程序参数]\r\n广告语=旧的\r\n"_s)) << "the file on disk stays as it was";
}

TEST(ProgramHomeTest, HomeRule)
{
    // A source build sits in a folder its user may write; the package's /usr/bin is not.
    struct Case
    {
        const char* name;
        QStringList arguments;
        QString environment;
        bool executableDirWritable;
        QString expected;
    };
    const QString dataHome = u"/home/li/.local/share"_s;
    const QList<Case> cases = {
        {"source build: the executable's folder", {u"q"_s}, {}, true, u"/opt/q"_s},
        {"installed: the per-user data folder", {u"q"_s}, {}, false, u"/home/li/.local/share/quorvane"_s},
        {"--home beats a writable folder", {u"q"_s, u"--home"_s, u"/srv/shop"_s}, u"/env"_s, true, u"/srv/shop"_s},
        {"--home= beats the per-user folder", {u"q"_s, u"--home=/srv/a"_s}, u"/env"_s, false, u"/srv/a"_s},
        {"QUORVANE_HOME beats a writable folder", {u"q"_s}, u"/env"_s, true, u"/env"_s},
        {"QUORVANE_HOME beats the per-user folder", {u"q"_s}, u"/env"_s, false, u"/env"_s},
        {"a relative --home is taken from the working folder", {u"q"_s, u"--home"_s, u"shop"_s}, {}, false,
         QDir::current().absoluteFilePath(u"shop"_s)},
    };
    for (const Case& c : cases) {
        ProgramHome::Sources sources;
        sources.arguments = c.arguments;
        sources.environmentValue = c.environment;
        sources.executableDir = u"/opt/q"_s;
        sources.executableDirWritable = c.executableDirWritable;
        sources.userDataDir = dataHome;
        EXPECT_EQ(ProgramHome::resolve(sources), c.expected) << c.name;
    }
}

TEST(ProgramHomeTest, ThisProcessReadsTheDesktopsDataFolderAndTheEnvironment)
{
    QTemporaryDir data;
    const auto restore = [](const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    const QByteArray oldHome = qgetenv("QUORVANE_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    qputenv("QUORVANE_HOME", "/srv/shop");
    const ProgramHome::Sources s = ProgramHome::Sources::ofThisProcess({u"q"_s});
    restore("XDG_DATA_HOME", oldData);
    restore("QUORVANE_HOME", oldHome);
    EXPECT_EQ(s.userDataDir, data.path());
    EXPECT_EQ(s.environmentValue, u"/srv/shop"_s);
    EXPECT_EQ(s.executableDir, QCoreApplication::applicationDirPath());
    EXPECT_TRUE(s.executableDirWritable) << "the test runs from its build folder";
}

} // namespace
