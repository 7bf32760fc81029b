#include "app/singleinstance.h"
#include "members/memberimport.h"
#include "sheets/sheetreader.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
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
