#include "app/demoshop.h"
#include "app/singleinstance.h"
#include "app/startup.h"
#include "app/tmain.h"
#include "config/appconfig.h"
#include "config/gbk.h"
#include "config/inifile.h"
#include "config/programhome.h"
#include "data/engine.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "members/memberimport.h"
#include "settings/shopsettings.h"
#include "sheets/sheetreader.h"
#include "support/scriptedmessages.h"
#include "support/testhome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
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

// The home's whole database copied to a new file, which the program then opens as its own;
// a target that is there already is refused.
TEST_F(ProgramRun, CopyDatabaseToWritesACheckedCopyAndNeverOverwrites)
{
    ASSERT_EQ(runToEnd({u"--home"_s, home.path(), u"--create-database"_s}), 0);
    QByteArray out;
    const QString target = home.filePath(u"copy.db"_s);
    EXPECT_EQ(runToEnd({u"--home"_s, home.path(), u"--copy-database-to"_s, target}, &out), 0) << out.constData();
    EXPECT_TRUE(QString::fromLocal8Bit(out).contains(u"操作员 1 行"_s)) << out.constData();
    QString error;
    EXPECT_TRUE(Engine::validate(target, &error)) << error.toStdString();
    EXPECT_NE(runToEnd({u"--home"_s, home.path(), u"--copy-database-to"_s, target}, &out), 0);
    EXPECT_TRUE(QString::fromLocal8Bit(out).contains(u"不会覆盖"_s)) << out.constData();
}

// A home whose myini.ini names a server database: --create-database makes the tables there
// once, and --copy-database-to brings them back into a file.
TEST_F(ProgramRun, OnAServerCreateDatabaseMakesTheTablesOnceAndTheCopyComesBack)
{
    if (!qEnvironmentVariableIsSet("PGHOST"))
        GTEST_SKIP() << "no test server (./test starts one)";
    ServerDatabase server;
    const Engine::Location& l = server.location();
    QByteArray ini;
    Gbk::encode(u"[数据库]\r\n类型=PostgreSQL\r\n主机=%1\r\n端口=%2\r\n数据库名=%3\r\n用户=%4\r\n密码=%5\r\n"_s.arg(
                    l.host, QString::number(l.port), l.database, l.user, l.password),
                &ini);
    QFile file(home.filePath(u"myini.ini"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ini);
    file.close();
    QByteArray out;
    EXPECT_EQ(runToEnd({u"--home"_s, home.path(), u"--create-database"_s}, &out), 0) << out.constData();
    EXPECT_TRUE(QString::fromLocal8Bit(out).contains(l.database)) << out.constData();
    EXPECT_FALSE(QFile::exists(home.filePath(u"database/database.db"_s))) << "no file beside the server";
    EXPECT_NE(runToEnd({u"--home"_s, home.path(), u"--create-database"_s}, &out), 0);
    EXPECT_TRUE(QString::fromLocal8Bit(out).contains(u"已有本程序的表"_s)) << out.constData();
    const QString target = home.filePath(u"back.db"_s);
    EXPECT_EQ(runToEnd({u"--home"_s, home.path(), u"--copy-database-to"_s, target}, &out), 0) << out.constData();
    QString error;
    EXPECT_TRUE(Engine::validate(target, &error)) << error.toStdString();
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

// The first start of an installed program: its per-user home does not even exist yet.
class FirstStart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.isValid());
        ProgramHome::set(home());
    }
    QString home() const { return parent.filePath(u"quorvane"_s); }

    QTemporaryDir parent;
    ScriptedMessages messages;
};

TEST_F(FirstStart, YesCreatesTheHomeAsCreateDatabaseDoesAndTheStartReachesTheDatabase)
{
    messages.answerNext(MessageService::Answer::Yes);
    EXPECT_TRUE(Startup::offerDatabase());
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.last().icon, MessageService::Icon::Question);
    EXPECT_EQ(messages.last().caption, u"系统提示"_s);
    EXPECT_EQ(messages.last().text, u"尚未找到数据库，是否新建？"_s);
    EXPECT_EQ(messages.last().buttons, MessageService::Buttons::YesNo);
    for (const QString& file : {u"database/database.db"_s, u"image/001.bmp"_s, u"help.html"_s, u"会员档案.xls"_s})
        EXPECT_TRUE(QFile::exists(home() + u'/' + file)) << file.toStdString();
    EXPECT_EQ(QFileInfo(home()).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::ExeOther), 0)
        << "the shop's member data is for the user alone";

    TDM1 dm;
    TMAIN main;
    ASSERT_TRUE(main.connectDatabase());
    Sql::Rows operators = Sql::run(dm.ADOConnection1(), u"select 操作员 from 操作员"_s);
    ASSERT_TRUE(operators.next());
    EXPECT_EQ(operators.value(0).toString(), u"0001"_s) << "the built-in operator can log in";

    messages.clear();
    EXPECT_TRUE(Startup::offerDatabase());
    EXPECT_TRUE(messages.shown().isEmpty()) << "a home that holds a database is not asked about";
}

TEST_F(FirstStart, NoCreatesNothingAndTheStartEndsAtTheConnectionFailure)
{
    messages.answerNext(MessageService::Answer::No);
    EXPECT_TRUE(Startup::offerDatabase()) << "the start goes on to the connection";
    EXPECT_EQ(messages.shown().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(home())) << "nothing is written after 否";

    TDM1 dm;
    TMAIN main;
    EXPECT_FALSE(main.connectDatabase());
    EXPECT_EQ(messages.last().icon, MessageService::Icon::Error);
    EXPECT_TRUE(messages.last().text.contains(u"无法连接到指定的数据库"_s)) << messages.last().text.toStdString();
}

TEST_F(FirstStart, YesWhereNoHomeCanBeMadeShowsWhyAndEnds)
{
    // A file stands where the home's parent folder should be, so not even root can make it.
    QFile blocker(parent.filePath(u"blocker"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ProgramHome::set(blocker.fileName() + u"/quorvane"_s);
    messages.answerNext(MessageService::Answer::Yes);
    EXPECT_FALSE(Startup::offerDatabase());
    ASSERT_EQ(messages.shown().size(), 2);
    EXPECT_EQ(messages.last().icon, MessageService::Icon::Error);
    EXPECT_TRUE(messages.last().text.contains(u"blocker"_s)) << messages.last().text.toStdString();
}

} // namespace
