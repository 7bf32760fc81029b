#include "app/tmain.h"
#include "config/appconfig.h"
#include "controls/messageservice.h"
#include "members/categoryfields.h"
#include "members/tleibie.h"
#include "operators/tloginform.h"
#include "support/screentest.h"
#include "support/testhome.h"
#include "support/typing.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

// These run under a real X server (Xvfb) with the xcb platform, where the window system, not
// the program, puts the titles on the windows; the offscreen runs skip them.
namespace {

bool onWindowSystem()
{
    return QGuiApplication::platformName() == u"xcb"_s;
}

QProcessEnvironment utf8Tools()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    return env;
}

// The title the X server holds for a window (_NET_WM_NAME), as a window manager reads it.
QString titleOnServer(WId window)
{
    QProcess xprop;
    xprop.setProcessEnvironment(utf8Tools());
    xprop.start(u"xprop"_s, {u"-id"_s, QString::number(window), u"-notype"_s, u"_NET_WM_NAME"_s});
    if (!xprop.waitForFinished(30000))
        return {};
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype first = out.indexOf(u'"');
    const qsizetype last = out.lastIndexOf(u'"');
    return first >= 0 && last > first ? out.mid(first + 1, last - first - 1) : out;
}

// The title once the server has it (it is set a moment after the window is shown).
QString serverTitle(QWidget* window, const QString& expected)
{
    QString title;
    for (QDeadlineTimer deadline(20000); !deadline.hasExpired(); QTest::qWait(50)) {
        title = titleOnServer(window->winId());
        if (title == expected)
            break;
    }
    return title;
}

TEST(WindowSystem, TitlesAreExactlyTheCaptions)
{
    if (!onWindowSystem())
        GTEST_SKIP() << "needs the xcb platform under Xvfb";
    TestHome home;
    {
        Tloginform login(home.db());
        login.show();
        EXPECT_EQ(serverTitle(&login, u"进入系统"_s), u"进入系统"_s);
    }
    TMAIN main;
    ASSERT_TRUE(main.connectDatabase());
    main.applyStartupSettings(AppConfig::readStartup());
    main.show();
    EXPECT_EQ(serverTitle(&main, u"请修改公司名称QuorvaneV4.68"_s), u"请修改公司名称QuorvaneV4.68"_s);

    // A real box, as the operator sees it: its title is read, then it is cancelled.
    QString boxTitle;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible())
            return;
        poll.stop();
        boxTitle = serverTitle(box, u"系统提示"_s);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    poll.start(50);
    EXPECT_FALSE(MessageService::question(&main, u"系统提示"_s, u"确实要退出本系统吗？"_s));
    EXPECT_EQ(boxTitle, u"系统提示"_s);
}

// The real program, started as the shop starts it: its first window, and the box of a home
// without a database, carry exactly their captions.
TEST(WindowSystem, TheProgramsOwnWindowsCarryTheirCaptions)
{
    if (!onWindowSystem())
        GTEST_SKIP() << "needs the xcb platform under Xvfb";
    QTemporaryDir home;
    QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
    env.remove(u"QUORVANE_HOME"_s);
    const auto windowNames = [] {
        QProcess xwininfo;
        xwininfo.setProcessEnvironment(utf8Tools());
        xwininfo.start(u"xwininfo"_s, {u"-root"_s, u"-tree"_s});
        xwininfo.waitForFinished(30000);
        return QString::fromUtf8(xwininfo.readAllStandardOutput());
    };
    const auto shows = [&](const QString& title) {
        for (QDeadlineTimer deadline(60000); !deadline.hasExpired(); QTest::qWait(200)) {
            if (windowNames().contains(u"\"%1\":"_s.arg(title)))
                return true;
        }
        return false;
    };
    // Starts the program in the home and looks for its window under the title, then ends it.
    const auto firstWindowIs = [&](const QString& title) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QString::fromUtf8(QUORVANE_EXECUTABLE), {u"--home"_s, home.path()});
        ASSERT_TRUE(program.waitForStarted(60000));
        EXPECT_TRUE(shows(title)) << windowNames().toStdString();
        program.kill();
        program.waitForFinished(60000);
    };
    firstWindowIs(u"系统提示"_s); // no database yet: the question whether to create one
    QProcess create;
    create.setProcessEnvironment(env);
    create.start(QString::fromUtf8(QUORVANE_EXECUTABLE), {u"--home"_s, home.path(), u"--create-database"_s});
    ASSERT_TRUE(create.waitForFinished(120000));
    firstWindowIs(u"进入系统"_s);
}

class WindowSystemScreens : public ScreenTest
{
};

// Keys arrive through the window system at whatever has the focus, as the keyboard sends them.
TEST_F(WindowSystemScreens, EnterOnTheLastCategoryBoxGoesToSaveAndTheNextEnterSaves)
{
    if (!onWindowSystem())
        GTEST_SKIP() << "needs the xcb platform under Xvfb";
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    auto* screen = open<Tleibie>(u"会员卡类别设置"_s);
    ASSERT_TRUE(screen);
    CategoryFields* f = screen->fields();
    const auto enter = [&] {
        QTest::keyClick(main.windowHandle(), Qt::Key_Return);
        QApplication::processEvents();
    };
    ASSERT_TRUE(f->nameField()->hasFocus());
    typeText(f->nameField(), u"金卡"_s);
    enter();
    EXPECT_TRUE(f->ratioField()->hasFocus());
    enter();
    EXPECT_TRUE(f->giftsBox()->hasFocus());
    enter();
    EXPECT_TRUE(f->cashBox()->hasFocus());
    enter();
    EXPECT_TRUE(screen->saveButton()->hasFocus()) << "Enter on the last box moves on to 保存";
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_EQ(home.scalar(u"select count(*) from 卡类别"_s).toInt(), 0) << "nothing saved by that Enter";
    enter();
    EXPECT_EQ(messages.texts(), QStringList{u"新增卡类别成功！"_s});
    EXPECT_EQ(home.scalar(u"select count(*) from 卡类别 where 卡类别='金卡'"_s).toInt(), 1);
}

} // namespace
