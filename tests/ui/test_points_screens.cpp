#include "app/screens.h"
#include "app/tmain.h"
#include "config/gbk.h"
#include "controls/recordgrid.h"
#include "data/clock.h"
#include "data/sqlrun.h"
#include "members/memberpanel.h"
#include "members/tjifenchaxun.h"
#include "operators/login.h"
#include "operators/permissions.h"
#include "loss/tkoutou.h"
#include "points/purchasescreen.h"
#include "points/tduihuan.h"
#include "points/txiangxijilu.h"
#include "support/screentest.h"
#include "support/scriptedmessages.h"
#include "support/snapshot.h"
#include "support/testhome.h"
#include "support/typing.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class PointsScreens : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        home.exec(u"insert into 卡类别 (卡类别, 积分比例, 允许兑换礼品, 允许返现金) values ('金卡', 10, 1, 1), ('普通卡', 1, 0, 1), "
                  u"('无比例', 0, 1, 1)"_s);
        home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 卡类别, 积分, 口头挂失标志) values ('1000', '张三', '金卡', 100, 0), "
                  u"('2000', '李四', '普通卡', 20, 0), ('3000', '王五', '金卡', 5, 1), ('4000', '赵六', '无比例', 0, 0)"_s);
    }
    double balance(const QString& card)
    {
        return home.scalar(u"select 积分 from 会员卡信息 where 会员卡号=?"_s, {card}).toDouble();
    }
    // Receipts go to a file instead of a printer port.
    QString printToFile()
    {
        const QString port = out.filePath(u"receipt.bin"_s);
        QByteArray ini;
        Gbk::encode(u"[程序参数]\r\n打印小票=1\r\n打印端口=%1\r\n店铺名称=华南汽车\r\n"_s.arg(port), &ini);
        home.writeConfig(ini);
        return port;
    }

    QTemporaryDir out;
};

TEST_F(PointsScreens, TheRoadOfOnePurchase)
{
    const QString port = printToFile();
    auto* screen = open<Tzengjiajifen>(u"增加积分"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->windowTitle(), u"购物或换货增加积分"_s);
    EXPECT_FALSE(screen->amount()->isEnabled() || screen->points()->isEnabled() || screen->confirmButton()->isEnabled());

    lookUp(screen->panel(), u"1000"_s);
    EXPECT_TRUE(screen->goods()->hasFocus());
    EXPECT_TRUE(screen->amount()->isEnabled());
    screen->goods()->setEditText(u"机油"_s);
    QTest::keyClick(screen->goods(), Qt::Key_Return);
    EXPECT_TRUE(screen->amount()->hasFocus());
    typeText(screen->amount(), u"1a23.45"_s);
    EXPECT_EQ(screen->amount()->text(), u"123.45"_s) << "the amount takes digits and the point only";
    EXPECT_EQ(screen->points()->text(), u"12.35"_s);
    screen->points()->setText(u"12.345"_s); // the operator's own figure, kept at two decimals
    QTest::keyClick(screen->amount(), Qt::Key_Return);
    EXPECT_TRUE(screen->confirmButton()->hasFocus());
    snapshot(main.mdiArea()->activeSubWindow(), u"add-points"_s);
    QTest::keyClick(screen->confirmButton(), Qt::Key_Return); // the second Enter confirms

    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_TRUE(messages.last().text.startsWith(u"增加积分成功！"_s));
    EXPECT_EQ(balance(u"1000"_s), 112.35);
    QSqlQuery row = Sql::run(home.db(), u"select 编号, 商品, 增减积分, 增减原因, 日期, 时间, 经手人 from 流水记录"_s);
    ASSERT_TRUE(row.next());
    EXPECT_EQ(row.value(0).toString(), u"0000000001"_s);
    EXPECT_EQ(row.value(1).toString(), u"机油"_s);
    EXPECT_EQ(row.value(2).toDouble(), 12.35);
    EXPECT_EQ(row.value(3).toString(), u"购物消费"_s);
    EXPECT_EQ(row.value(4).toString(), u"2026-12-31"_s);
    EXPECT_EQ(row.value(6).toString(), u"0002"_s);
    QFile receipt(port);
    ASSERT_TRUE(receipt.open(QIODevice::ReadOnly));
    const QByteArray bytes = receipt.readAll();
    EXPECT_TRUE(bytes.endsWith(QByteArray("\x0b\x1b\x4a\x8c\r\n\n\r\n")));
    QByteArray balanceLine;
    Gbk::encode(u"现有积分： 112.35\r\n"_s, &balanceLine);
    EXPECT_TRUE(bytes.contains(balanceLine));
    QByteArray pointsLine;
    Gbk::encode(u"增加积分： 12.35\r\n"_s, &pointsLine);
    EXPECT_TRUE(bytes.contains(pointsLine)) << "the receipt prints the points as stored";
    EXPECT_TRUE(screen->panel()->cardField()->text().isEmpty() && screen->panel()->cardField()->hasFocus());
    EXPECT_FALSE(screen->confirmButton()->isEnabled()) << "no second save without a new lookup";
}

TEST_F(PointsScreens, PurchaseEdgesAndRefusedCards)
{
    auto* screen = open<Tzengjiajifen>(u"增加积分"_s);
    ASSERT_TRUE(screen);
    lookUp(screen->panel(), u"4000"_s); // ratio 0: the points stay as they are
    screen->points()->setText(u"7"_s);
    screen->amount()->setText(u"50"_s);
    EXPECT_EQ(screen->points()->text(), u"7"_s);
    screen->amount()->setText(QString());
    EXPECT_EQ(screen->points()->text(), u"7"_s) << "clearing the amount leaves the points";
    screen->amount()->setText(u"0"_s);
    screen->points()->setFocus();
    screen->amount()->setFocus();
    EXPECT_TRUE(screen->amount()->text().isEmpty()) << "a 0 amount is cleared on entry";

    lookUp(screen->panel(), u"1000"_s);
    screen->amount()->setText(u"."_s);
    EXPECT_EQ(messages.shown().size(), 1) << "a lone point is no number";
    EXPECT_EQ(messages.last().icon, MessageService::Icon::None);
    EXPECT_EQ(screen->points()->text(), u"7"_s);

    // A points text that is no number fails the save and changes nothing.
    messages.clear();
    screen->points()->setText(u"1..2"_s);
    screen->confirmButton()->click();
    EXPECT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(balance(u"1000"_s), 100);
    EXPECT_EQ(home.scalar(u"select count(*) from 流水记录"_s).toInt(), 0);
    EXPECT_EQ(screen->points()->text(), u"1..2"_s) << "the inputs stay as typed";

    // Empty points save 0.
    messages.clear();
    screen->points()->clear();
    screen->confirmButton()->click();
    EXPECT_TRUE(messages.last().text.startsWith(u"增加积分成功！"_s));
    EXPECT_EQ(home.scalar(u"select 增减积分 from 流水记录"_s).toDouble(), 0);

    // A frozen card asks and loads nothing.
    messages.clear();
    messages.answerNext(MessageService::Answer::Cancel);
    lookUp(screen->panel(), u"3000"_s);
    EXPECT_EQ(messages.last().text, u"此卡已经口头挂失，不能使用,需要打开口头挂失记录吗？"_s);
    EXPECT_TRUE(screen->panel()->field(u"Edit3"_s)->text().isEmpty());
    EXPECT_FALSE(screen->confirmButton()->isEnabled());
    lookUp(screen->panel(), u"3000"_s); // OK: the verbal loss records open
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->windowTitle(), u"口头挂失记录"_s);
}

// A member on screen, then a lookup that loads no member: the screen is back at its start with
// the number kept, and nothing can be booked, not even by pressing 确定 or Enter on it, nor by
// the save itself (which would need the card field to hold the loaded card).
TEST_F(PointsScreens, AFailedLookupLeavesNothingToBook)
{
    home.exec(u"insert into 挂失记录 (旧卡号, 新卡号) values ('5000', '1000')"_s);
    struct Screen
    {
        QString entry;
        std::function<MemberPanel*()> panel;
        std::function<QPushButton*()> confirm;
        std::function<QList<QWidget*>()> inputs; // what a loaded member enables besides 确定
        std::function<void()> save;
        bool refusesFrozen;
        bool hasRights;
    };
    PurchaseScreen* purchase = nullptr;
    Tduihuan* redemption = nullptr;
    Tkoutou* verbal = nullptr;
    const auto purchaseScreen = [&](const QString& entry) {
        return Screen{entry,
                      [&] { return purchase->panel(); },
                      [&] { return purchase->confirmButton(); },
                      [&] { return QList<QWidget*>{purchase->amount(), purchase->points()}; },
                      [&] {
                          purchase->points()->setText(u"10"_s);
                          purchase->save();
                      },
                      true,
                      false};
    };
    const Screen screens[] = {
        purchaseScreen(u"增加积分"_s),
        purchaseScreen(u"退货扣积分"_s),
        {u"积分兑换"_s, [&] { return redemption->panel(); }, [&] { return redemption->confirmButton(); },
         [&] { return QList<QWidget*>{redemption->points(), redemption->giftGroup()}; },
         [&] {
             redemption->points()->setText(u"10"_s);
             redemption->save();
         },
         true, true},
        {u"会员卡口头挂失及取消"_s, [&] { return verbal->panel(); }, [&] { return verbal->confirmButton(); },
         [] { return QList<QWidget*>{}; }, [&] { verbal->confirm(); }, false, false},
    };
    struct Failure
    {
        QString card;
        QString box;
        bool frozen = false;
        bool rights = false;
    };
    const Failure failures[] = {
        {u"9999"_s, u"此卡号不存在！"_s},
        {u"3000"_s, u"此卡已经口头挂失，不能使用,需要打开口头挂失记录吗？"_s, true},
        {u"5000"_s, {}}, // the retired-card question, in the screen's own wording
        {u"2000"_s, u"对不起！此卡不允许兑换礼品！"_s, false, true},
    };
    for (const Screen& sc : screens) {
        main.clickEntry(sc.entry);
        QWidget* widget = main.mdiArea()->activeSubWindow()->widget();
        purchase = qobject_cast<PurchaseScreen*>(widget);
        redemption = qobject_cast<Tduihuan*>(widget);
        verbal = qobject_cast<Tkoutou*>(widget);
        ASSERT_TRUE(purchase || redemption || verbal) << sc.entry.toStdString();
        for (const Failure& f : failures) {
            if ((f.frozen && !sc.refusesFrozen) || (f.rights && !sc.hasRights))
                continue;
            const std::string what = (sc.entry + u" after "_s + f.card).toStdString();
            MemberPanel* panel = sc.panel();
            lookUp(panel, u"1000"_s);
            ASSERT_EQ(panel->field(u"Edit3"_s)->text(), u"张三"_s) << what;
            ASSERT_TRUE(sc.confirm()->isEnabled()) << what;

            messages.clear();
            messages.answerNext(MessageService::Answer::Cancel); // No to a question about the card
            lookUp(panel, f.card);
            ASSERT_FALSE(messages.shown().isEmpty()) << what;
            if (!f.box.isEmpty()) {
                EXPECT_EQ(messages.shown().first().text, f.box) << what;
            }
            EXPECT_EQ(panel->cardField()->text(), f.card) << what << ": the number stays as typed";
            EXPECT_TRUE(panel->field(u"Edit3"_s)->text().isEmpty()) << what;
            EXPECT_TRUE(panel->field(u"Edit10"_s)->text().isEmpty()) << what;
            EXPECT_FALSE(sc.confirm()->isEnabled()) << what;
            for (QWidget* input : sc.inputs())
                EXPECT_FALSE(input->isEnabled()) << what << ": " << input->objectName().toStdString();
            if (sc.entry == u"增加积分"_s && f.card == u"9999"_s)
                snapshot(main.mdiArea()->activeSubWindow(), u"add-points-unknown-card"_s);

            QTest::keyClick(sc.confirm(), Qt::Key_Return);
            sc.confirm()->click();
            messages.clear();
            sc.save();
            ASSERT_EQ(messages.shown().size(), 1) << what;
            EXPECT_EQ(messages.last().text, u"请将卡号填写完整！"_s) << what;
            EXPECT_EQ(messages.last().caption, u"提示！"_s) << what;
            EXPECT_EQ(home.scalar(u"select count(*) from 流水记录"_s).toInt(), 0) << what;
            EXPECT_EQ(home.scalar(u"select count(*) from 口头挂失记录"_s).toInt(), 0) << what;
            EXPECT_EQ(home.scalar(u"select sum(口头挂失标志) from 会员卡信息"_s).toInt(), 1) << what;
            EXPECT_EQ(balance(u"1000"_s), 100) << what;
        }
        main.mdiArea()->activeSubWindow()->close();
    }
}

TEST_F(PointsScreens, ReturnTakesPointsBelowZero)
{
    // A printer port that cannot be opened (here a folder) never makes the save fail.
    QByteArray ini;
    Gbk::encode(u"[程序参数]\r\n打印小票=1\r\n打印端口=%1\r\n"_s.arg(out.path()), &ini);
    home.writeConfig(ini);
    auto* screen = open<Ttuihuo>(u"退货扣积分"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->windowTitle(), u"退货扣积分"_s);
    lookUp(screen->panel(), u"2000"_s);
    screen->goods()->setEditText(u"雨刮"_s);
    screen->amount()->setText(u"30"_s);
    EXPECT_EQ(screen->points()->text(), u"30"_s);
    snapshot(main.mdiArea()->activeSubWindow(), u"deduct-points"_s);
    screen->confirmButton()->click();
    ASSERT_EQ(messages.shown().size(), 1) << "no box about the printer";
    EXPECT_TRUE(messages.last().text.startsWith(u"退货减积分成功！"_s));
    EXPECT_EQ(balance(u"2000"_s), -10);
    EXPECT_EQ(home.scalar(u"select 增减积分 from 流水记录"_s).toDouble(), -30);
    EXPECT_EQ(home.scalar(u"select 增减原因 from 流水记录"_s).toString(), u"退货减积分"_s);
}

TEST_F(PointsScreens, RedemptionOfGiftsAndCash)
{
    auto* screen = open<Tduihuan>(u"积分兑换"_s);
    ASSERT_TRUE(screen);
    EXPECT_FALSE(screen->giftGroup()->isEnabled());

    // A category without gift rights refuses gifts and clears the member.
    lookUp(screen->panel(), u"2000"_s);
    EXPECT_EQ(messages.last().text, u"对不起！此卡不允许兑换礼品！"_s);
    EXPECT_TRUE(screen->panel()->field(u"Edit3"_s)->text().isEmpty());

    messages.clear();
    home.exec(u"insert into 礼品 (礼品名称, 单位, 数量) values ('帽子', '顶', 10), ('雨伞', '把', 5)"_s);
    lookUp(screen->panel(), u"1000"_s);
    EXPECT_TRUE(screen->giftGroup()->isEnabled());
    EXPECT_FALSE(screen->cash()->isEnabled());
    EXPECT_TRUE(screen->points()->hasFocus());
    QTableWidget* gifts = screen->gifts();
    EXPECT_EQ(gifts->item(19, 0)->text(), u"20"_s);
    gifts->setCurrentCell(0, 1);
    screen->showPickList();
    EXPECT_TRUE(screen->pickList()->isVisible());
    EXPECT_EQ(screen->pickList()->source()->rowCount(), 2);
    screen->takePicked(0);
    EXPECT_FALSE(screen->pickList()->isVisible());
    gifts->item(0, 3)->setText(u"2"_s);
    gifts->item(2, 1)->setText(u"雨伞"_s); // a row between filled ones may stay empty
    gifts->item(2, 2)->setText(u"把"_s);

    screen->points()->setText(u"100"_s);
    screen->confirmButton()->click();
    EXPECT_EQ(messages.last().text, u"请将兑换礼品表格填写完整！"_s);
    EXPECT_EQ(gifts->currentRow(), 2);
    gifts->item(2, 3)->setText(u"1"_s);
    screen->points()->setText(u"100.01"_s);
    screen->confirmButton()->click();
    EXPECT_EQ(messages.last().text, u"兑换积分大于现有积分，不能保存！"_s);
    screen->points()->setText(u"0"_s);
    screen->confirmButton()->click();
    EXPECT_EQ(messages.last().text, u"兑换积分小于或等于零，不能保存！"_s);
    snapshot(main.mdiArea()->activeSubWindow(), u"redemption"_s);

    messages.clear();
    screen->points()->setText(u"100"_s); // all the points
    screen->confirmButton()->click();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.last().caption, u"系统提示"_s);
    EXPECT_EQ(messages.last().icon, MessageService::Icon::Question);
    EXPECT_EQ(balance(u"1000"_s), 0);
    EXPECT_EQ(home.scalar(u"select 兑换礼品 from 流水记录"_s).toString(), u" 帽子 雨伞"_s);
    EXPECT_EQ(home.scalar(u"select 返现金 from 流水记录"_s).toDouble(), 0);
    EXPECT_EQ(home.scalar(u"select count(*) from 礼品使用记录 where 单据号='0000000001'"_s).toInt(), 2);
    EXPECT_EQ(home.scalar(u"select sum(数量) from 礼品 where 礼品名称='帽子'"_s).toDouble(), 8);
    EXPECT_TRUE(gifts->item(0, 1)->text().isEmpty()) << "the gift list is emptied by a save";
    EXPECT_FALSE(screen->giftGroup()->isEnabled());

    // Cash mode, read at the next lookup.
    messages.clear();
    home.exec(u"update 会员卡信息 set 积分=50 where 会员卡号='2000'"_s);
    screen->modes()->button(1)->click();
    lookUp(screen->panel(), u"2000"_s);
    EXPECT_TRUE(screen->cash()->isEnabled());
    EXPECT_FALSE(screen->giftGroup()->isEnabled());
    const QString port = printToFile();
    screen->points()->setText(u"20.001"_s);
    screen->cash()->setText(u"15.5"_s);
    screen->confirmButton()->click();
    EXPECT_EQ(balance(u"2000"_s), 30);
    EXPECT_EQ(home.scalar(u"select 返现金 from 流水记录 where 会员卡号='2000'"_s).toDouble(), 15.5);
    EXPECT_EQ(home.scalar(u"select count(*) from 流水记录 where 会员卡号='2000' and 兑换礼品=''"_s).toInt(), 1)
        << "a cash redemption names no gifts: empty text, not null";
    QFile receipt(port);
    ASSERT_TRUE(receipt.open(QIODevice::ReadOnly));
    const QByteArray bytes = receipt.readAll();
    for (const QString& line : {u"兑换积分： 20\r\n"_s, u"兑换礼品： \r\n"_s, u"兑换现金： 15.5\r\n"_s}) {
        QByteArray encoded;
        Gbk::encode(line, &encoded);
        EXPECT_TRUE(bytes.contains(encoded)) << line.toStdString();
    }

    // "详细记录" shows the rows of the member just served.
    main.findChild<QWidget*>(); // keep the main window alive in this scope
    screen->findChild<QPushButton*>(u"BitBtn3"_s)->click();
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->windowTitle(), u"会员积分增减详细记录"_s);
    EXPECT_EQ(home.dm().ADOQuery8->rowCount(), 1);
}

TEST_F(PointsScreens, HistoryCorrectionRestoresBalancesAndStock)
{
    home.exec(u"insert into 流水记录 (编号, 会员卡号, 会员姓名, 增减积分, 增减原因, 日期) values "
              u"('0000000001', '1000', '张三', 12.5, '购物消费', '2026-12-30'), "
              u"('0000000002', '1000', '张三', -12.5, '退货减积分', '2026-12-31'), "
              u"('0000000003', '1000', '张三', -100, '兑换积分', '2026-12-31')"_s);
    home.exec(u"insert into 礼品使用记录 (单据号, 会员卡号, 礼品名称, 单位, 数量) values "
              u"('0000000003', '1000', '帽子', '顶', 2), ('0000000003', '1000', '雨伞', '把', 1)"_s);
    auto* screen = open<Txiangxijilu>(u"会员积分增减历史记录"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->grid()->footerText(u"会员姓名"_s), u"3"_s);
    EXPECT_EQ(screen->grid()->footerText(u"增减积分"_s), u"-100"_s);

    screen->allDates()->setChecked(false);
    screen->runQuery();
    EXPECT_EQ(screen->grid()->source()->rowCount(), 2) << "both pickers on today list today's rows";
    screen->allDates()->setChecked(true);
    screen->runQuery();

    auto deleteNumber = [&](const QString& number) {
        for (int r = 0; r < screen->grid()->source()->rowCount(); ++r) {
            if (screen->grid()->value(r, u"编号"_s).toString() == number)
                screen->grid()->setCurrentRow(r);
        }
        screen->findChild<QPushButton*>(u"BitBtn2"_s)->click();
    };
    messages.answerNext(MessageService::Answer::Cancel);
    deleteNumber(u"0000000001"_s);
    EXPECT_EQ(balance(u"1000"_s), 100);

    deleteNumber(u"0000000001"_s);
    EXPECT_EQ(messages.last().text, u"删除成功！如果是错误录入，请重新录入！"_s);
    EXPECT_EQ(balance(u"1000"_s), 87.5);
    deleteNumber(u"0000000002"_s);
    EXPECT_EQ(balance(u"1000"_s), 100);
    deleteNumber(u"0000000003"_s);
    EXPECT_EQ(balance(u"1000"_s), 200);
    EXPECT_EQ(home.scalar(u"select count(*) from 礼品使用记录"_s).toInt(), 0);
    EXPECT_EQ(home.scalar(u"select sum(数量) from 礼品 where 礼品名称='帽子' and 日期='2026-12-31'"_s).toDouble(), 2);
    EXPECT_EQ(screen->grid()->footerText(u"会员姓名"_s), u"0"_s);
    snapshot(main.mdiArea()->activeSubWindow(), u"history"_s);

    // Another column than the chooser's own is checked against the log's columns.
    messages.clear();
    screen->allOther()->setChecked(false);
    screen->column()->setEditText(u"增减原因"_s);
    screen->value()->setText(u"购物消费"_s);
    screen->runQuery();
    EXPECT_TRUE(messages.shown().isEmpty());
    screen->column()->setEditText(u"没有这列"_s);
    screen->runQuery();
    EXPECT_EQ(messages.shown().size(), 1);
    EXPECT_FALSE(home.dm().ADOQuery8->isOpen());
}

TEST_F(PointsScreens, QueryScreenHistoryButtonBesideTheMenuHistory)
{
    home.exec(u"insert into 流水记录 (编号, 会员卡号, 增减积分) values ('0000000001', '1000', 5), ('0000000002', '2000', 6)"_s);
    open<Txiangxijilu>(u"会员积分增减历史记录"_s);
    auto* query = open<Tjifenchaxun>(u"会员查询"_s);
    ASSERT_TRUE(query);
    query->historyButton()->click();
    EXPECT_EQ(home.dm().ADOQuery8->rowCount(), 0) << "no member loaded yet: an empty list";
    main.OpenOrActivate(u"会员查询"_s);
    lookUp(query->panel(), u"1000"_s);
    query->historyButton()->click();
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->windowTitle(), u"会员积分增减详细记录"_s);
    EXPECT_EQ(home.dm().ADOQuery8->rowCount(), 1);
    EXPECT_EQ(main.mdiArea()->subWindowList().size(), 3) << "both captions of the history live side by side";
}

} // namespace
