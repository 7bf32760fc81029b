#include "app/artwork.h"
#include "app/statuspanes.h"
#include "app/tguanyu.h"
#include "app/tmain.h"
#include "config/appconfig.h"
#include "config/programhome.h"
#include "operators/permissions.h"
#include "support/gating.h"
#include "support/scriptedmessages.h"
#include "support/snapshot.h"
#include "support/testhome.h"

#include <QAction>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(main.connectDatabase());
        main.applyStartupSettings(AppConfig::readStartup());
    }
    QMdiSubWindow* openPlain(const QString& caption)
    {
        return main.openChild(caption, QPoint(10, 10), [] {
            auto* w = new QWidget;
            w->resize(300, 200);
            return w;
        });
    }

    TestHome home;
    ScriptedMessages messages;
    TMAIN main;
};

TEST_F(MainWindowTest, MenuAndToolbarCaptionsInOrder)
{
    QStringList tops;
    QStringList entries;
    for (QAction* top : main.menuBar()->actions()) {
        tops << top->text();
        for (QAction* a : top->menu()->actions())
            if (!a->isSeparator())
                entries << a->text();
    }
    EXPECT_EQ(tops, (QStringList{u"系统设置"_s, u"会员卡管理"_s, u"基本业务"_s, u"查询报表"_s, u"礼品管理"_s,
                                 u"系统帮助"_s}));
    EXPECT_EQ(entries,
              (QStringList{u"操作人员及权限设置"_s, u"修改密码"_s, u"店铺名称、界面及小票打印设置"_s, u"数据备份"_s,
                           u"数据恢复"_s, u"积分手动清零"_s, u"历史数据清除"_s, u"数据初始化"_s, u"退出系统"_s,
                           u"会员卡类别设置"_s, u"新增修改会员信息"_s, u"会员查询"_s, u"全部会员信息"_s,
                           u"会员卡口头挂失及取消"_s, u"会员卡正式挂失"_s, u"增加积分"_s, u"退货扣积分"_s,
                           u"积分兑换"_s, u"会员积分增减历史记录"_s, u"口头挂失记录"_s, u"全部挂失记录"_s,
                           u"会员生日提醒"_s, u"保险到期提醒"_s, u"礼品入库"_s, u"礼品库存查询"_s, u"礼品兑换记录"_s,
                           u"帮助"_s, u"关于"_s}));

    main.show();
    QStringList buttons;
    QStringList shown;
    for (QToolButton* b : main.toolbarButtons()) {
        buttons << b->text();
        if (b->isVisible())
            shown << b->text();
    }
    EXPECT_EQ(buttons, (QStringList{u"增加积分"_s, u"退/换货减积分"_s, u"积分兑换"_s, u"会员管理"_s, u"会员查询"_s,
                                    u"口头挂失及取消"_s, u"会员卡挂失/换卡"_s, u"生日提醒"_s, u"系统帮助"_s,
                                    u"暂时离开"_s, u"退出"_s}));
    shown.sort();
    QStringList hiddenOut = buttons;
    hiddenOut.removeAll(u"会员查询"_s);
    hiddenOut.removeAll(u"口头挂失及取消"_s);
    hiddenOut.sort();
    EXPECT_EQ(shown, hiddenOut);
}

TEST_F(MainWindowTest, GatingEnablesExactlyTheHeldEntriesAndButtons)
{
    const QSet<QString> ungatedEntries = {u"修改密码"_s, u"退出系统"_s, u"帮助"_s, u"关于"_s};
    const QSet<QString> ungatedButtons = {u"系统帮助"_s, u"暂时离开"_s, u"退出"_s};

    main.applyLogin(u"0001"_s, Permissions::held(home.db(), u"0001"_s));
    EXPECT_EQ(enabledEntries(main).size(), main.menuEntries().size());
    EXPECT_EQ(enabledButtons(main).size(), main.toolbarButtons().size());
    EXPECT_EQ(main.statusPane()->text(), u"当前用户为:0001"_s);

    // Each of the 24 permissions alone enables its menu entry and, for eight of them, the
    // toolbar button beside it; nothing else besides what is never gated.
    struct Gate
    {
        const char* permission;
        const char* entry;
        const char* button;
    };
    const Gate gates[] = {
        {"操作人员设置", "操作人员及权限设置", nullptr},
        {"店铺名称设置", "店铺名称、界面及小票打印设置", nullptr},
        {"数据库备份", "数据备份", nullptr},
        {"数据库恢复", "数据恢复", nullptr},
        {"积分手动清零", "积分手动清零", nullptr},
        {"历史数据清除", "历史数据清除", nullptr},
        {"数据初始化", "数据初始化", nullptr},
        {"会员卡类别设置", "会员卡类别设置", nullptr},
        {"新增/修改会员卡信息", "新增修改会员信息", "会员管理"},
        {"会员查询", "会员查询", "会员查询"},
        {"全部会员信息", "全部会员信息", nullptr},
        {"会员卡口头挂失及取消", "会员卡口头挂失及取消", "口头挂失及取消"},
        {"会员卡正式挂失", "会员卡正式挂失", "会员卡挂失/换卡"},
        {"增加积分", "增加积分", "增加积分"},
        {"积分兑换", "积分兑换", "积分兑换"},
        {"退货扣积分", "退货扣积分", "退/换货减积分"},
        {"会员积分增减历史记录", "会员积分增减历史记录", nullptr},
        {"口头挂失记录", "口头挂失记录", nullptr},
        {"全部挂失记录", "全部挂失记录", nullptr},
        {"会员生日提醒", "会员生日提醒", "生日提醒"},
        {"礼品入库", "礼品入库", nullptr},
        {"礼品库存查询", "礼品库存查询", nullptr},
        {"礼品兑换记录", "礼品兑换记录", nullptr},
        {"保险到期提醒", "保险到期提醒", nullptr},
    };
    main.applyLogin(u"0002"_s, {});
    EXPECT_EQ(enabledEntries(main), ungatedEntries);
    EXPECT_EQ(enabledButtons(main), ungatedButtons);
    QSet<QString> all;
    for (const Gate& g : gates) {
        const QString permission = QString::fromUtf8(g.permission);
        all << permission;
        main.applyLogin(u"0002"_s, {permission});
        EXPECT_EQ(enabledEntries(main), ungatedEntries + QSet<QString>{QString::fromUtf8(g.entry)}) << g.permission;
        QSet<QString> buttons = ungatedButtons;
        if (g.button)
            buttons << QString::fromUtf8(g.button);
        EXPECT_EQ(enabledButtons(main), buttons) << g.permission;
    }
    main.applyLogin(u"0002"_s, all);
    EXPECT_EQ(enabledEntries(main).size(), main.menuEntries().size());
    EXPECT_EQ(enabledButtons(main).size(), main.toolbarButtons().size());
}

TEST_F(MainWindowTest, DisabledEntryIgnoresItsButtonAndTimer)
{
    int opened = 0;
    main.setEntryHandler(u"会员生日提醒"_s, [&] { ++opened; });
    main.applyLogin(u"0002"_s, {});
    main.clickEntry(u"会员生日提醒"_s);
    main.toolbarButton(u"生日提醒"_s)->click();
    EXPECT_EQ(opened, 0);
    main.applyLogin(u"0002"_s, {u"会员生日提醒"_s});
    main.toolbarButton(u"生日提醒"_s)->click();
    EXPECT_EQ(opened, 1);
}

TEST_F(MainWindowTest, ReminderTimersOpenOnlyPermittedScreensOnce)
{
    QStringList opened;
    main.setEntryHandler(u"会员生日提醒"_s, [&] { opened << u"birthday"_s; });
    main.setEntryHandler(u"保险到期提醒"_s, [&] { opened << u"insurance"_s; });
    main.applyLogin(u"0002"_s, {u"保险到期提醒"_s});
    EXPECT_TRUE(main.remindBirthday() && main.remindInsurance()) << "both flags default to yes";
    main.show();
    EXPECT_TRUE(main.timer1()->isActive());
    EXPECT_EQ(main.timer1()->interval(), 100);
    QTRY_VERIFY_WITH_TIMEOUT(!main.timer1()->isActive() && !main.timer2()->isActive(), 20000);
    EXPECT_EQ(opened, QStringList{u"insurance"_s});
    main.hide();
    main.show();
    QTest::qWait(300);
    EXPECT_EQ(opened, QStringList{u"insurance"_s}) << "the timers fire once per run";
}

TEST_F(MainWindowTest, ReminderFlagsOffArmNoTimer)
{
    StartupSettings s = AppConfig::readStartup();
    s.remindBirthday = false;
    s.remindInsurance = false;
    main.applyStartupSettings(s);
    main.show();
    EXPECT_FALSE(main.timer1()->isActive());
    EXPECT_FALSE(main.timer2()->isActive());
}

TEST_F(MainWindowTest, OpenOrActivateBringsBackRecreatesAndMatchesCaptionsExactly)
{
    main.show();
    QMdiSubWindow* first = openPlain(u"会员积分增减历史记录"_s);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->windowTitle(), u"会员积分增减历史记录"_s);
    first->showMinimized();
    QPointer<QMdiSubWindow> guard(first);

    EXPECT_TRUE(main.OpenOrActivate(u"会员积分增减历史记录"_s));
    EXPECT_FALSE(first->isMinimized());
    EXPECT_EQ(main.mdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(openPlain(u"会员积分增减历史记录"_s), first);

    EXPECT_FALSE(main.OpenOrActivate(u"会员积分增减详细记录"_s)) << "another caption is another window";
    QMdiSubWindow* second = openPlain(u"会员积分增减详细记录"_s);
    EXPECT_NE(second, first);
    EXPECT_EQ(main.mdiArea()->subWindowList().size(), 2);
    EXPECT_FALSE(main.OpenOrActivate(u"会员积分增减历史记录 "_s)) << "a trailing blank is a different caption";

    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull()) << "a closed child is destroyed";
    EXPECT_FALSE(main.OpenOrActivate(u"会员积分增减历史记录"_s));
    QMdiSubWindow* fresh = openPlain(u"会员积分增减历史记录"_s);
    EXPECT_EQ(main.mdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(main.mdiArea()->activeSubWindow(), fresh);
}

TEST_F(MainWindowTest, ExitAsksAndCancelKeepsEverything)
{
    main.show();
    QPointer<QMdiSubWindow> child = openPlain(u"积分兑换"_s);
    messages.answerNext(MessageService::Answer::Cancel);
    main.clickEntry(u"退出系统"_s);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.last().caption, u"系统提示"_s);
    EXPECT_EQ(messages.last().text, u"确实要退出本系统吗？"_s);
    EXPECT_EQ(messages.last().icon, MessageService::Icon::Question);
    EXPECT_EQ(messages.last().buttons, MessageService::Buttons::OkCancel);
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(child && child->isVisible());

    main.toolbarButton(u"退出"_s)->click(); // answered OK
    EXPECT_EQ(messages.shown().size(), 2);
    EXPECT_FALSE(main.isVisible());
}

TEST_F(MainWindowTest, CaptionShopNameAndCentring)
{
    home.writeConfig("[\xb3\xcc\xd0\xf2\xb2\xce\xca\xfd]\r\n\xb5\xea\xc6\xcc\xc3\xfb\xb3\xc6=ABC\r\n"); // GBK: [程序参数] 店铺名称=ABC
    main.applyStartupSettings(AppConfig::readStartup());
    EXPECT_EQ(main.windowTitle(), u"ABCQuorvaneV4.68"_s);
    EXPECT_EQ(main.label1()->text(), u"ABC"_s);
    EXPECT_EQ(main.label2()->text(), u"Quorvane"_s);
    EXPECT_EQ(main.marquee()->text(), u"请修改滚动字幕"_s);
    main.show();
    for (const QSize size : {QSize(1400, 900), QSize(1101, 777), QSize(800, 600)}) {
        main.resize(size);
        QCoreApplication::processEvents();
        const int w = main.frameGeometry().width();
        const int h = main.frameGeometry().height();
        EXPECT_EQ(main.label1()->geometry(), QRect((w - 1025) / 2, (h - 4 * 73) / 2, 1025, 73));
        EXPECT_EQ(main.label2()->geometry(), QRect((w - 1025) / 2, (h - 73) / 2, 1025, 73));
    }
}

TEST_F(MainWindowTest, BackgroundPictureLoadsOrStaysAwaySilently)
{
    main.show();
    main.setBackgroundPicture(home.path(u"image/none.bmp"_s));
    EXPECT_FALSE(main.image1()->isVisible());
    QDir().mkpath(home.path(u"image"_s));
    ASSERT_TRUE(defaultBackground().save(home.path(u"image/001.bmp"_s), "BMP"));
    main.applyStartupSettings(AppConfig::readStartup()); // no 背景 key: the default picture
    EXPECT_TRUE(main.image1()->isVisible());
    EXPECT_EQ(main.image1()->geometry(), main.mdiArea()->viewport()->rect());
    EXPECT_TRUE(messages.shown().isEmpty());

    main.applyLogin(u"0001"_s, Permissions::held(home.db(), u"0001"_s));
    main.resize(1366, 768);
    QCoreApplication::processEvents();
    snapshot(&main, u"main-window"_s);
}

TEST_F(MainWindowTest, HelpOpensTheFileWhenPresentOnly)
{
    QList<QUrl> opened;
    main.setUrlOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    main.toolbarButton(u"系统帮助"_s)->click();
    EXPECT_TRUE(opened.isEmpty());
    QFile help(home.path(u"help.html"_s));
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.close();
    main.clickEntry(u"帮助"_s);
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(home.path(u"help.html"_s))});
    EXPECT_TRUE(messages.shown().isEmpty());
}

TEST_F(MainWindowTest, AboutBoxClosesOnAnyClick)
{
    Tguanyu about(&main);
    about.show();
    EXPECT_EQ(about.windowTitle(), u"关于本系统"_s);
    QStringList texts;
    for (QLabel* l : about.findChildren<QLabel*>())
        texts << l->text();
    EXPECT_TRUE(texts.contains(u"Quorvane"_s));
    EXPECT_TRUE(texts.contains(u"程序版本：4.68"_s));
    snapshot(&about, u"about"_s);
    QTest::mouseClick(about.findChild<QLabel*>(u"Label2"_s), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
}

TEST(MainWindowStart, MissingDatabaseShowsTheErrorAndRefuses)
{
    QTemporaryDir empty;
    ProgramHome::set(empty.path());
    ScriptedMessages messages;
    TDM1 dm;
    TMAIN main;
    EXPECT_FALSE(main.connectDatabase());
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.last().caption, u"错误"_s);
    // The engine's reason stands below the connection failure's own text.
    EXPECT_EQ(messages.last().text,
              u"无法连接到指定的数据库！请重试！\n数据库文件不存在：%1"_s.arg(QDir::toNativeSeparators(ProgramHome::databasePath())));
    EXPECT_EQ(messages.last().icon, MessageService::Icon::Error);
}

// A damaged file is refused at start with the engine's findings and its path, before the
// login, and nothing is written to it (the program then ends with status 1).
TEST(MainWindowStart, DamagedDatabaseIsRefusedAndLeftAsItWas)
{
    TestHome home;
    home.exec(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000) "
              u"insert into 流水记录 (编号, 会员卡号, 增减积分) select printf('%010d', i), 'C' || (i % 50), 1.5 from n"_s);
    home.disconnect();
    damagePage(ProgramHome::databasePath(), u"流水记录"_s, 12, 40);
    const QByteArray before = fileBytes(ProgramHome::databasePath());

    ScriptedMessages messages;
    TMAIN main;
    EXPECT_FALSE(main.connectDatabase());
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.last().caption, u"错误"_s);
    EXPECT_EQ(messages.last().icon, MessageService::Icon::Error);
    const QString text = messages.last().text;
    EXPECT_TRUE(text.startsWith(u"数据库文件已损坏，无法使用："_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"out of range"_s)) << "the engine's findings: " << text.toStdString();
    EXPECT_TRUE(text.endsWith(u'\n' + QDir::toNativeSeparators(ProgramHome::databasePath()))) << text.toStdString();
    EXPECT_FALSE(DM1->isConnected());
    EXPECT_TRUE(fileBytes(ProgramHome::databasePath()) == before) << "the file was written to";
}

} // namespace
