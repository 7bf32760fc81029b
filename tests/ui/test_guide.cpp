#include "app/artwork.h"
#include "app/demoshop.h"
#include "app/statuspanes.h"
#include "app/tguanyu.h"
#include "config/appconfig.h"
#include "config/programhome.h"
#include "controls/recordgrid.h"
#include "data/engine.h"
#include "gifts/tkucunchaxun.h"
#include "gifts/tlipinjilu.h"
#include "gifts/truku.h"
#include "loss/losslistscreen.h"
#include "loss/tguashi.h"
#include "loss/tkoutou.h"
#include "maintenance/tzhengli.h"
#include "members/categoryfields.h"
#include "members/memberform.h"
#include "members/tdaoru.h"
#include "members/tjifenchaxun.h"
#include "members/tkaleibiexiugai.h"
#include "members/tleibie.h"
#include "members/tquanbuhuiyuan.h"
#include "members/txinhuiyuan.h"
#include "members/txiugaihuiyuan.h"
#include "operators/permissionboxes.h"
#include "operators/tguaqi.h"
#include "operators/tloginform.h"
#include "operators/txgcaozuo.h"
#include "operators/txincaozuo.h"
#include "operators/txiugaimima.h"
#include "operators/txtshezhi.h"
#include "points/purchasescreen.h"
#include "points/tduihuan.h"
#include "points/txiangxijilu.h"
#include "reminders/reminderscreen.h"
#include "settings/shopsettings.h"
#include "settings/tdayinshezhi.h"
#include "support/screentest.h"
#include "support/snapshot.h"
#include "support/typing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The pictures of the user guide: every screen of the demo shop as the counter sees it, one
// test per top-level menu. Each picture is written as guide-<name>.png when QUORVANE_SCREENSHOTS
// names a folder (scripts/guide-pictures turns them into docs/guide/help/<name>.png); without it
// the tests still check that every screen of the demo shop opens with something on it.
class Guide : public ScreenTest
{
protected:
    static void SetUpTestSuite()
    {
        // One shop for all the tests: each starts on a copy of it.
        s_shop = new QTemporaryDir;
        TestHome maker;
        const QString error = DemoShop::fill(maker.db(), Today);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        ASSERT_TRUE(Engine::copyTo(maker.db(), shopFile(), nullptr));
    }
    static void TearDownTestSuite()
    {
        delete s_shop;
        s_shop = nullptr;
    }
    static QString shopFile() { return s_shop->filePath(u"demo.db"_s); }

    void SetUp() override
    {
        ASSERT_TRUE(home.dm()
                        .whileDisconnected([] {
                            Engine::removeFile(ProgramHome::databasePath());
                            return QFile::copy(shopFile(), ProgramHome::databasePath()) ? QString() : u"copy"_s;
                        })
                        .isEmpty());
        clock.set(QDateTime(Today, QTime(10, 26, 40)));
        ASSERT_TRUE(Settings::save(DemoShop::settings()).ok);
        QDir().mkpath(home.path(u"image"_s));
        defaultBackground().save(ProgramHome::defaultPicturePath(), "BMP");
        ScreenTest::SetUp();
        main.applyStartupSettings(AppConfig::readStartup());
        main.clockPane()->refresh(); // the pane was made before the clock was pinned
        main.resize(1280, 800);
    }

    // The guide's picture of the screen in front: the child window alone.
    void picture(const QString& name) { picture(main.mdiArea()->activeSubWindow(), name); }
    static void picture(QWidget* widget, const QString& name) { snapshot(widget, u"guide-"_s + name); }
    void closeAll() { main.mdiArea()->closeAllSubWindows(); }

    static int rows(RecordGrid* grid)
    {
        SharedQuery* q = grid->source();
        while (q->canFetchMore())
            q->fetchMore();
        return q->rowCount();
    }
    // A card the shop knows well: the member with the most points of the category.
    QString richCard(const QString& category)
    {
        return home.scalar(u"select 会员卡号 from 会员卡信息 where 卡类别=? and 口头挂失标志=0 order by 积分 desc limit 1"_s,
                           {category})
            .toString();
    }

    static inline const QDate Today{2026, 12, 31};
    static inline QTemporaryDir* s_shop = nullptr;
};

TEST_F(Guide, LoginMainWindowAndTheToolbar)
{
    {
        Tloginform login(home.db());
        login.show();
        QApplication::processEvents();
        EXPECT_GE(login.operatorBox()->count(), 2) << "0001 and the counter operator";
        picture(&login, u"login"_s);
    }
    EXPECT_EQ(main.label1()->text(), DemoShop::settings().shopName);
    EXPECT_TRUE(main.image1()->isVisible());
    picture(&main, u"main-window"_s);

    // The menus dropped down, one picture each.
    const QList<QAction*> tops = main.menuBar()->actions();
    ASSERT_EQ(tops.size(), 6);
    for (int i = 0; i < tops.size(); ++i) {
        QMenu* menu = tops.at(i)->menu();
        ASSERT_TRUE(menu);
        menu->popup(QPoint(0, 0));
        QApplication::processEvents();
        picture(menu, u"menu-%1"_s.arg(i + 1));
        menu->hide();
    }

    // What opens at start: the two reminders, each with members to call today.
    main.clickEntry(u"会员生日提醒"_s);
    main.clickEntry(u"保险到期提醒"_s);
    EXPECT_EQ(main.mdiArea()->subWindowList().size(), 2);
    picture(&main, u"start"_s);
    closeAll();

    inDialog<Tguaqi>([&] { main.toolbarButton(u"暂时离开"_s)->click(); }, [&](Tguaqi& lock) {
        picture(&lock, u"away-lock"_s);
        lock.cancelButton()->click();
    });
    Tguanyu about(&main);
    about.show();
    picture(&about, u"about"_s);
}

TEST_F(Guide, SystemSettings)
{
    auto* operators = open<Txtshezhi>(u"操作人员及权限设置"_s);
    ASSERT_TRUE(operators);
    ASSERT_EQ(rows(operators->grid()), 1);
    operators->grid()->setCurrentRow(0);
    EXPECT_FALSE(operators->permissions()->ticked().isEmpty()) << "the counter operator's rights";
    picture(u"operators"_s);
    inDialog<Txincaozuo>([&] { operators->findChild<QPushButton*>(u"BitBtn1"_s)->click(); }, [&](Txincaozuo& d) {
        d.idField()->setText(u"0003"_s);
        d.field(Operators::NameField)->setText(u"王建国"_s);
        d.field(Operators::PasswordField)->setText(u"3333"_s);
        d.field(Operators::ConfirmationField)->setText(u"3333"_s);
        for (int k : {10, 14, 15, 16})
            d.permissions()->box(k)->click();
        picture(&d, u"operator-new"_s);
        d.quitButton()->click();
    });
    inDialog<Txgcaozuo>([&] { operators->findChild<QPushButton*>(u"BitBtn2"_s)->click(); }, [&](Txgcaozuo& d) {
        EXPECT_EQ(d.oldId(), DemoShop::CounterOperator);
        picture(&d, u"operator-change"_s);
        d.quitButton()->click();
    });
    closeAll();

    ASSERT_TRUE(open<Txiugaimima>(u"修改密码"_s));
    picture(u"password-change"_s);
    closeAll();
    auto* settings = open<Tdayinshezhi>(u"店铺名称、界面及小票打印设置"_s);
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->shopName()->text(), DemoShop::settings().shopName);
    picture(u"shop-settings"_s);
    closeAll();
    ASSERT_TRUE(open<Tzhengli>(u"历史数据清除"_s));
    picture(u"history-clearing"_s);
}

TEST_F(Guide, MemberCards)
{
    auto* categories = open<Tleibie>(u"会员卡类别设置"_s);
    ASSERT_TRUE(categories);
    EXPECT_EQ(rows(categories->grid()), 3);
    picture(u"categories"_s);
    categories->grid()->setCurrentRow(0);
    Tkaleibiexiugai& categoryEdit = Tkaleibiexiugai::instance();
    QTimer::singleShot(0, &categoryEdit, [&] {
        EXPECT_FALSE(categoryEdit.fields()->nameField()->text().isEmpty());
        picture(&categoryEdit, u"category-edit"_s);
        categoryEdit.reject();
    });
    categories->findChild<QPushButton*>(u"BitBtn3"_s)->click();
    closeAll();

    auto* registration = open<Txinhuiyuan>(u"新增修改会员信息"_s);
    ASSERT_TRUE(registration);
    EXPECT_EQ(rows(registration->grid()), 300);
    MemberForm* form = registration->form();
    form->cardField()->setText(u"66001401"_s);
    qobject_cast<QLineEdit*>(form->input(MemberField::Name))->setText(u"陈嘉欣"_s);
    typeAndLeave(form->input(MemberField::IdNumber), u"440106199208154821"_s, form->byName(u"Edit6"_s));
    qobject_cast<QLineEdit*>(form->byName(u"Edit6"_s))->setText(u"13826451987"_s);
    qobject_cast<QComboBox*>(form->byName(u"ComboBox4"_s))->setEditText(u"广州市天河区体育西路103号"_s);
    qobject_cast<QComboBox*>(form->byName(u"ComboBox2"_s))->setEditText(u"女"_s);
    qobject_cast<QComboBox*>(form->byName(u"ComboBox5"_s))->setEditText(u"会计"_s);
    qobject_cast<QComboBox*>(form->byName(u"ComboBox6"_s))->setEditText(u"摄影"_s);
    qobject_cast<QLineEdit*>(form->byName(u"Edit4"_s))->setText(u"粤A8K26Q"_s);
    qobject_cast<QLineEdit*>(form->byName(u"Edit8"_s))->setText(u"LHGRU5842P8017264"_s);
    qobject_cast<QComboBox*>(form->byName(u"ComboBox7"_s))->setEditText(u"本田雅阁"_s);
    qobject_cast<QComboBox*>(form->byName(u"ComboBox8"_s))->setEditText(u"白色"_s);
    form->categoryBox()->setCurrentText(u"银卡"_s);
    picture(u"registration"_s);
    registration->grid()->setCurrentRow(2);
    Txiugaihuiyuan& memberEdit = Txiugaihuiyuan::instance();
    QTimer::singleShot(0, &memberEdit, [&] {
        EXPECT_FALSE(memberEdit.oldCardNo().isEmpty());
        picture(&memberEdit, u"member-edit"_s);
        memberEdit.reject();
    });
    registration->findChild<QPushButton*>(u"BitBtn3"_s)->click();
    Tdaoru& import = Tdaoru::instance();
    QTimer::singleShot(0, &import, [&] {
        import.pathField()->setText(ProgramHome::memberTemplatePath());
        picture(&import, u"member-import"_s);
        import.reject();
    });
    registration->findChild<QPushButton*>(u"BitBtn5"_s)->click();
    closeAll();

    auto* query = open<Tjifenchaxun>(u"会员查询"_s);
    ASSERT_TRUE(query);
    lookUp(query->panel(), richCard(u"金卡"_s));
    ASSERT_TRUE(query->panel()->currentMember());
    picture(u"member-query"_s);
    closeAll();

    auto* list = open<Tquanbuhuiyuan>(u"全部会员信息"_s);
    ASSERT_TRUE(list);
    list->queryButton()->click();
    EXPECT_EQ(rows(list->grid()), 300);
    picture(u"member-list"_s);
    closeAll();

    auto* verbal = open<Tkoutou>(u"会员卡口头挂失及取消"_s);
    ASSERT_TRUE(verbal);
    lookUp(verbal->panel(), richCard(u"普通卡"_s));
    EXPECT_TRUE(verbal->confirmButton()->isEnabled());
    picture(u"verbal-loss"_s);
    closeAll();

    auto* replacement = open<Tguashi>(u"会员卡正式挂失"_s);
    ASSERT_TRUE(replacement);
    lookUp(replacement->panel(), richCard(u"银卡"_s));
    typeText(replacement->newCardField(), u"66001402"_s);
    picture(u"card-replacement"_s);
    EXPECT_TRUE(messages.shown().isEmpty()) << messages.last().text.toStdString();
}

TEST_F(Guide, CounterWork)
{
    auto* add = open<Tzengjiajifen>(u"增加积分"_s);
    ASSERT_TRUE(add);
    lookUp(add->panel(), richCard(u"银卡"_s));
    add->goods()->setEditText(u"机油保养"_s);
    QTest::keyClick(add->goods(), Qt::Key_Return);
    typeText(add->amount(), u"568"_s);
    EXPECT_EQ(add->points()->text(), u"56.8"_s) << "one point per ten yuan on a 银卡";
    picture(u"add-points"_s);
    closeAll();

    auto* back = open<Ttuihuo>(u"退货扣积分"_s);
    ASSERT_TRUE(back);
    lookUp(back->panel(), richCard(u"金卡"_s));
    back->goods()->setEditText(u"车载精品"_s);
    QTest::keyClick(back->goods(), Qt::Key_Return);
    typeText(back->amount(), u"260"_s);
    EXPECT_EQ(back->points()->text(), u"52"_s);
    picture(u"deduct-points"_s);
    closeAll();

    auto* redeem = open<Tduihuan>(u"积分兑换"_s);
    ASSERT_TRUE(redeem);
    lookUp(redeem->panel(), richCard(u"金卡"_s));
    QTableWidget* gifts = redeem->gifts();
    gifts->setCurrentCell(0, 1);
    redeem->showPickList();
    ASSERT_GE(rows(redeem->pickList()), 5);
    picture(u"redemption-pick"_s);
    redeem->takePicked(2);
    gifts->item(0, 3)->setText(u"1"_s);
    redeem->points()->setText(u"180"_s);
    picture(u"redemption"_s);
    EXPECT_TRUE(messages.shown().isEmpty());
}

TEST_F(Guide, ReportsAndReminders)
{
    auto* history = open<Txiangxijilu>(u"会员积分增减历史记录"_s);
    ASSERT_TRUE(history);
    history->allDates()->setChecked(false);
    history->fromDate()->setDate(Today.addDays(-7));
    history->findChild<QPushButton*>(u"BitBtn1"_s)->click();
    EXPECT_GT(rows(history->grid()), 20);
    picture(u"history"_s);
    closeAll();

    auto* verbal = open<Tkoutoujilu>(u"口头挂失记录"_s);
    ASSERT_TRUE(verbal);
    verbal->showAll();
    EXPECT_EQ(rows(verbal->grid()), 4);
    picture(u"verbal-loss-records"_s);
    closeAll();
    auto* replaced = open<Tguashilishi>(u"全部挂失记录"_s);
    ASSERT_TRUE(replaced);
    replaced->showAll();
    EXPECT_EQ(rows(replaced->grid()), 3);
    picture(u"loss-records"_s);
    closeAll();

    auto* birthdays = open<Tshengri>(u"会员生日提醒"_s);
    ASSERT_TRUE(birthdays);
    EXPECT_GE(rows(birthdays->grid()), 3);
    picture(u"birthday-reminder"_s);
    closeAll();
    auto* insurance = open<Tbaoxiantixing>(u"保险到期提醒"_s);
    ASSERT_TRUE(insurance);
    EXPECT_GE(rows(insurance->grid()), 5);
    picture(u"insurance-reminder"_s);
}

TEST_F(Guide, GiftStock)
{
    inDialog<Truku>([&] { main.clickEntry(u"礼品入库"_s); }, [&](Truku& d) {
        d.nameField()->setText(u"保温杯"_s);
        d.unitField()->setText(u"个"_s);
        d.quantityField()->setText(u"50"_s);
        d.remarkField()->setPlainText(u"春节备货"_s);
        picture(&d, u"stock-in"_s);
        d.reject();
    });
    inDialog<Tkucunchaxun>([&] { main.clickEntry(u"礼品库存查询"_s); }, [&](Tkucunchaxun& d) {
        EXPECT_GE(rows(d.grid()), 7);
        picture(&d, u"gift-stock"_s);
        d.reject();
    });
    inDialog<Tlipinjilu>([&] { main.clickEntry(u"礼品兑换记录"_s); }, [&](Tlipinjilu& d) {
        EXPECT_GT(rows(d.grid()), 10);
        picture(&d, u"gift-records"_s);
        d.reject();
    });
}

} // namespace
