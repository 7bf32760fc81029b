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
#include <QHideEvent>
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
        // The slogan stands still at its first place, so the same screen gives the same picture.
        QHideEvent stop;
        QApplication::sendEvent(main.marquee(), &stop);
        main.marquee()->setText(main.marquee()->text());
        main.resize(1280, 800);
    }

    // The guide's picture of the screen in front: the child window alone.
    void picture(const QString& name) { picture(main.mdiArea()->activeSubWindow(), name); }
    static void picture(QWidget* widget, const QString& name) { snapshot(widget, u"guide-"_s + name); }
    void closeAll() { main.mdiArea()->closeAllSubWindows(); }

    // Opens a member screen by its menu entry and looks up the best-known card of the category;
    // `steps` then fill the screen before its picture is taken and it is closed.
    template <class Screen>
    void withCard(const QString& entry, const QString& category, const QString& name,
                  const std::function<void(Screen*)>& steps = {})
    {
        auto* screen = open<Screen>(entry);
        ASSERT_TRUE(screen);
        lookUp(screen->panel(), richCard(category));
        ASSERT_TRUE(screen->panel()->currentMember()) << entry.toStdString();
        if (steps)
            steps(screen);
        picture(name);
        closeAll();
    }
    // Opens a list screen by its menu entry, lets `fill` bring up its rows, takes its picture
    // and closes it again. Returns the rows it showed, -1 when the screen did not open.
    template <class Screen>
    int listed(const QString& entry, const QString& name, const std::function<void(Screen*)>& fill = {})
    {
        auto* screen = open<Screen>(entry);
        if (!screen)
            return -1;
        if (fill)
            fill(screen);
        const int shown = rows(screen->grid());
        picture(name);
        closeAll();
        return shown;
    }
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
        import.pathField()->setText(u"/home/dianzhang/文档/会员档案.xls"_s);
        picture(&import, u"member-import"_s);
        import.reject();
    });
    registration->findChild<QPushButton*>(u"BitBtn5"_s)->click();
    closeAll();

    withCard<Tjifenchaxun>(u"会员查询"_s, u"金卡"_s, u"member-query"_s);
    EXPECT_EQ(listed<Tquanbuhuiyuan>(u"全部会员信息"_s, u"member-list"_s, [](auto* s) { s->queryButton()->click(); }), 300);
    withCard<Tkoutou>(u"会员卡口头挂失及取消"_s, u"普通卡"_s, u"verbal-loss"_s,
                      [](Tkoutou* s) { EXPECT_TRUE(s->confirmButton()->isEnabled()); });
    withCard<Tguashi>(u"会员卡正式挂失"_s, u"银卡"_s, u"card-replacement"_s,
                      [](Tguashi* s) { typeText(s->newCardField(), u"66001402"_s); });
    EXPECT_TRUE(messages.shown().isEmpty()) << messages.last().text.toStdString();
}

TEST_F(Guide, CounterWork)
{
    // The goods, then the amount: the points follow from the card's category.
    const auto purchase = [](const QString& goods, const QString& amount, const QString& points) {
        return [=](PurchaseScreen* s) {
            s->goods()->setEditText(goods);
            QTest::keyClick(s->goods(), Qt::Key_Return);
            typeText(s->amount(), amount);
            EXPECT_EQ(s->points()->text(), points);
        };
    };
    withCard<Tzengjiajifen>(u"增加积分"_s, u"银卡"_s, u"add-points"_s, purchase(u"机油保养"_s, u"568"_s, u"56.8"_s));
    withCard<Ttuihuo>(u"退货扣积分"_s, u"金卡"_s, u"deduct-points"_s, purchase(u"车载精品"_s, u"260"_s, u"52"_s));
    withCard<Tduihuan>(u"积分兑换"_s, u"金卡"_s, u"redemption"_s, [&](Tduihuan* s) {
        s->gifts()->setCurrentCell(0, 1);
        s->showPickList();
        EXPECT_GE(rows(s->pickList()), 5);
        picture(u"redemption-pick"_s);
        s->takePicked(2);
        s->gifts()->item(0, 3)->setText(u"1"_s);
        s->points()->setText(u"180"_s);
    });
    EXPECT_TRUE(messages.shown().isEmpty());
}

TEST_F(Guide, ReportsAndReminders)
{
    EXPECT_GT(listed<Txiangxijilu>(u"会员积分增减历史记录"_s, u"history"_s,
                                   [](Txiangxijilu* history) {
                                       history->allDates()->setChecked(false);
                                       history->fromDate()->setDate(Today.addDays(-7));
                                       history->findChild<QPushButton*>(u"BitBtn1"_s)->click();
                                   }),
              20);
    EXPECT_EQ(listed<Tkoutoujilu>(u"口头挂失记录"_s, u"verbal-loss-records"_s, [](auto* s) { s->showAll(); }), 4);
    EXPECT_EQ(listed<Tguashilishi>(u"全部挂失记录"_s, u"loss-records"_s, [](auto* s) { s->showAll(); }), 3);
    EXPECT_GE(listed<Tshengri>(u"会员生日提醒"_s, u"birthday-reminder"_s), 3);
    EXPECT_GE(listed<Tbaoxiantixing>(u"保险到期提醒"_s, u"insurance-reminder"_s), 5);
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
