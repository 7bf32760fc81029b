#include "app/demoshop.h"
#include "app/singleinstance.h"
#include "config/appconfig.h"
#include "config/inifile.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "members/memberimport.h"
#include "settings/shopsettings.h"
#include "sheets/sheetreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Runs the real program in a home and a runtime folder of its own.
class ProgramRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid() && runtime.isValid());
        env = QProcessEnvironment::systemEnvironment();
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        env.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
        env.remove(u"QUORVANE_HOME"_s);
    }
    int runToEnd(const QStringList& args, QByteArray* output = nullptr)
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QString::fromUtf8(QUORVANE_EXECUTABLE), args);
        EXPECT_TRUE(p.waitForFinished(120000));
        if (output)
            *output = p.readAllStandardOutput() + p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QString lockPath() const { return runtime.path() + u"/tessivorhyjf.lock"_s; }

    QTemporaryDir home;
    QTemporaryDir runtime;
    QProcessEnvironment env;
};

TEST_F(ProgramRun, CreateDatabaseMakesAFreshHomeAndNeverOverwrites)
{
    QByteArray out;
    EXPECT_EQ(runToEnd({u"--home"_s, home.path(), u"--create-database"_s}, &out), 0) << out.constData();
    EXPECT_TRUE(QFile::exists(home.filePath(u"database/database.db"_s)));
    EXPECT_TRUE(QFile::exists(home.filePath(u"image/001.bmp"_s)));
    EXPECT_TRUE(QFile::exists(home.filePath(u"help.html"_s)));
    SheetReader::Sheet sheet;
    QString error;
    ASSERT_TRUE(SheetReader::read(home.filePath(u"会员档案.xls"_s), u"sheet1"_s, &sheet, &error)) << error.toStdString();
    ASSERT_EQ(sheet.rows.size(), 1) << "the template holds the titles only";
    EXPECT_EQ(sheet.rows.first().cells.size(), MemberImport::columns().size());
    EXPECT_NE(runToEnd({u"--home"_s, home.path(), u"--create-database"_s}, &out), 0);
    EXPECT_TRUE(QString::fromLocal8Bit(out).contains(u"已存在"_s));
}

// The guide and every picture it shows stand in the home, where the desktop's browser opens them.
void expectGuideIn(const QString& home)
{
    QFile help(home + u"/help.html"_s);
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(help.readAll());
    static const QRegularExpression picture(u"src=\"(help/[^\"]+\\.png)\""_s);
    int pictures = 0;
    for (auto it = picture.globalMatch(text); it.hasNext(); ++pictures) {
        const QString file = it.next().captured(1);
        EXPECT_TRUE(QFileInfo(home + u'/' + file).size() > 0) << file.toStdString();
    }
    EXPECT_GT(pictures, 20);
}

TEST_F(ProgramRun, CreateDemoMakesTheShopOnlyInAHomeWithoutADatabase)
{
    QByteArray out;
    ASSERT_EQ(runToEnd({u"--home"_s, home.path(), u"--create-demo"_s}, &out), 0) << out.constData();
    expectGuideIn(home.path());
    const auto members = [](const QString& homeDir) {
        TDM1 dm;
        QString error;
        EXPECT_TRUE(dm.connectTo(homeDir + u"/database/database.db"_s, &error)) << error.toStdString();
        return Sql::scalar(dm.ADOConnection1(), u"select count(*) from 会员卡信息"_s).toInt();
    };
    EXPECT_EQ(members(home.path()), 300);
    IniFile ini(home.filePath(u"myini.ini"_s));
    ASSERT_TRUE(ini.load());
    EXPECT_EQ(ini.readString(ConfigKeys::Section, ConfigKeys::ShopName, {}), DemoShop::settings().shopName);

    // A home with a database is the shop's own: refused, whether demo or empty, and untouched.
    EXPECT_EQ(runToEnd({u"--home"_s, home.path(), u"--create-demo"_s}, &out), 1);
    EXPECT_TRUE(QString::fromLocal8Bit(out).contains(u"已有数据库"_s)) << out.constData();
    QTemporaryDir shop;
    ASSERT_EQ(runToEnd({u"--home"_s, shop.path(), u"--create-database"_s}), 0);
    expectGuideIn(shop.path());
    EXPECT_EQ(runToEnd({u"--home"_s, shop.path(), u"--create-demo"_s}, &out), 1);
    EXPECT_EQ(members(shop.path()), 0) << "the shop's database stays as it was";
    EXPECT_EQ(members(home.path()), 300);
}

TEST_F(ProgramRun, SecondCopyEndsAtOnceWhileTheFirstRuns)
{
    ASSERT_EQ(runToEnd({u"--home"_s, home.path(), u"--create-database"_s}), 0);

    // The first copy: it takes the lock and waits at the login.
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QString::fromUtf8(QUORVANE_EXECUTABLE), {u"--home"_s, home.path()});
    ASSERT_TRUE(first.waitForStarted(60000));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lockPath()), 60000);

    QByteArray out;
    EXPECT_EQ(runToEnd({u"--home"_s, home.path()}, &out), 0) << out.constData();
    EXPECT_EQ(first.state(), QProcess::Running) << "the first copy runs on undisturbed";

    first.kill();
    first.waitForFinished(60000);
    // A dead owner's lock is stale, so a new start after a crash is not refused; it just
    // reaches the login again.
    QLockFile probe(lockPath());
    probe.setStaleLockTime(0);
    EXPECT_TRUE(probe.tryLock(0));
}

} // namespace
