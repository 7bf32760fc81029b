#include "app/screens.h"
#include "app/tmain.h"
#include "controls/recordgrid.h"
#include "data/clock.h"
#include "members/categoryfields.h"
#include "members/memberform.h"
#include "members/memberpanel.h"
#include "members/tjifenchaxun.h"
#include "members/tkaleibiexiugai.h"
#include "members/tleibie.h"
#include "members/tquanbuhuiyuan.h"
#include "members/txinhuiyuan.h"
#include "members/txiugaihuiyuan.h"
#include "operators/permissions.h"
#include "support/screentest.h"
#include "support/scriptedmessages.h"
#include "support/snapshot.h"
#include "support/testhome.h"
#include "support/typing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class MemberScreens : public ScreenTest
{
protected:
    void addCategory(const QString& name, int ratio = 10)
    {
        home.exec(u"insert into 卡类别 (卡类别, 积分比例, 允许兑换礼品, 允许返现金) values (?, ?, 1, 1)"_s, {name, ratio});
    }
    void addMember(const QString& card, const QString& name, double points = 0, const QString& mobile = {})
    {
        home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 卡类别, 积分, 起用日期, 手机, 投保标志) "
                  u"values (?, ?, '金卡', ?, '2026-01-15', ?, 0)"_s,
                  {card, name, points, mobile});
    }
};

TEST_F(MemberScreens, CategoryScreenAddsRefusesChangesAndDeletes)
{
    auto* screen = open<Tleibie>(u"会员卡类别设置"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->windowTitle(), u"会员卡类别设置"_s);
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->pos(), QPoint(100, 0));
    CategoryFields* f = screen->fields();
    EXPECT_TRUE(f->nameField()->hasFocus());
    EXPECT_EQ(f->ratioField()->value(), 1);
    EXPECT_TRUE(f->giftsBox()->isChecked() && f->cashBox()->isChecked());

    // Change and delete on an empty list do nothing.
    screen->findChild<QPushButton*>(u"BitBtn3"_s)->click();
    screen->findChild<QPushButton*>(u"BitBtn4"_s)->click();
    EXPECT_TRUE(messages.shown().isEmpty());

    typeText(f->nameField(), u"金卡"_s);
    QTest::keyClick(f->nameField(), Qt::Key_Return);
    EXPECT_TRUE(f->ratioField()->hasFocus());
    f->ratioField()->setValue(10);
    QTest::keyClick(f->ratioField(), Qt::Key_Return);
    f->cashBox()->setChecked(false);
    QTest::keyClick(f->giftsBox(), Qt::Key_Return);
    EXPECT_TRUE(f->cashBox()->hasFocus());
    QTest::keyClick(f->cashBox(), Qt::Key_Return);
    EXPECT_TRUE(screen->saveButton()->hasFocus()) << "Enter on the last box moves on to 保存";
    EXPECT_TRUE(messages.shown().isEmpty()) << "and saves nothing yet";
    EXPECT_EQ(home.scalar(u"select count(*) from 卡类别"_s).toInt(), 0);
    QTest::keyClick(screen->saveButton(), Qt::Key_Return); // the second Enter presses it
    EXPECT_EQ(messages.texts(), QStringList{u"新增卡类别成功！"_s});
    EXPECT_EQ(screen->grid()->source()->rowCount(), 1);
    EXPECT_EQ(screen->grid()->displayText(0, u"允许返现金"_s), u"否"_s);
    EXPECT_TRUE(f->nameField()->text().isEmpty() && f->nameField()->hasFocus());
    EXPECT_TRUE(f->cashBox()->isChecked());

    messages.clear();
    typeAndLeave(f->nameField(), u"金卡"_s, f->ratioField());
    EXPECT_EQ(messages.texts(), QStringList{u"该卡类别名称已经存在！请重新设定一个新的卡类别名称！"_s});
    EXPECT_TRUE(f->nameField()->text().isEmpty());
    EXPECT_TRUE(f->nameField()->hasFocus());

    messages.clear();
    f->nameField()->setText(u"银卡"_s);
    f->ratioField()->setValue(0);
    screen->saveButton()->click();
    EXPECT_EQ(messages.texts(), QStringList{u"积分比例必须大于零！"_s});
    EXPECT_TRUE(f->ratioField()->hasFocus());
    snapshot(main.mdiArea()->activeSubWindow(), u"categories"_s);

    // Change the current category in the dialog: the name stays read-only.
    messages.clear();
    screen->grid()->setCurrentRow(0);
    Tkaleibiexiugai& dialog = Tkaleibiexiugai::instance();
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(dialog.windowTitle(), u"卡类别修改"_s);
        EXPECT_EQ(dialog.fields()->nameField()->text(), u"金卡"_s);
        EXPECT_TRUE(dialog.fields()->nameField()->isReadOnly());
        EXPECT_FALSE(dialog.fields()->cashBox()->isChecked());
        dialog.fields()->ratioField()->setValue(25);
        snapshot(&dialog, u"category-edit"_s);
        dialog.saveButton()->click();
    });
    screen->findChild<QPushButton*>(u"BitBtn3"_s)->click();
    EXPECT_EQ(messages.texts(), QStringList{u"修改卡类别成功！"_s});
    EXPECT_EQ(screen->grid()->displayText(0, u"积分比例"_s), u"25"_s);

    messages.clear();
    messages.answerNext(MessageService::Answer::Cancel);
    screen->findChild<QPushButton*>(u"BitBtn4"_s)->click();
    EXPECT_EQ(screen->grid()->source()->rowCount(), 1);
    screen->findChild<QPushButton*>(u"BitBtn4"_s)->click();
    EXPECT_EQ(messages.texts(), (QStringList{u"确实删除当前会员类别？该操作不可恢复！"_s, u"确实删除当前会员类别？该操作不可恢复！"_s,
                                             u"删除当前会员类别成功！"_s}));
    EXPECT_EQ(messages.shown().first().caption, u"删除提示"_s);
    EXPECT_EQ(screen->grid()->source()->rowCount(), 0);
}

TEST_F(MemberScreens, RegistrationThroughTheScreen)
{
    addCategory(u"金卡"_s);
    addCategory(u"银卡"_s);
    addMember(u"1000"_s, u"老会员"_s);
    home.exec(u"insert into 挂失记录 (旧卡号, 新卡号) values ('0999', '1000')"_s);
    auto* screen = open<Txinhuiyuan>(u"新增修改会员信息"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->windowTitle(), u"新增/修改会员信息"_s);
    MemberForm* form = screen->form();
    EXPECT_TRUE(form->cardField()->hasFocus());
    EXPECT_EQ(form->categoryBox()->currentText(), u"金卡"_s);
    EXPECT_EQ(form->insuranceExpiry()->date(), QDate(2027, 12, 31));
    EXPECT_EQ(screen->grid()->footerText(u"会员卡号"_s), u"合计数量"_s);
    EXPECT_EQ(screen->grid()->footerText(u"卡类别"_s), u"1"_s);

    // Leaving the card field refuses a retired and a taken number, clearing it each time.
    auto* name = form->byName(u"Edit2"_s);
    typeAndLeave(form->cardField(), u"0999"_s, name);
    typeAndLeave(form->cardField(), u"1000"_s, name);
    EXPECT_EQ(messages.texts(), (QStringList{u"此卡已经挂失，不能使用!"_s, u"此卡号已经存在！"_s}));
    EXPECT_EQ(messages.shown().first().icon, MessageService::Icon::Question);
    EXPECT_TRUE(form->cardField()->text().isEmpty());
    EXPECT_TRUE(form->cardField()->hasFocus());

    // The ID number gives the birthday; one whose digits are no date leaves the picker alone.
    messages.clear();
    auto* id = form->byName(u"Edit3"_s);
    auto* birthday = qobject_cast<QDateEdit*>(form->byName(u"DateTimePicker1"_s));
    typeAndLeave(id, u"110105199002301234"_s, name);
    EXPECT_EQ(messages.texts(), QStringList{u"“1990-02-30”不是有效的日期"_s});
    EXPECT_EQ(birthday->date(), QDate(2026, 12, 31));
    typeAndLeave(id, u"110105880710123"_s, name);
    EXPECT_EQ(birthday->date(), QDate(1988, 7, 10));

    // Insurance: unticking disables both pickers; a new insurance date moves the expiry.
    form->insuredBox()->setChecked(false);
    EXPECT_FALSE(form->insuranceDate()->isEnabled() || form->insuranceExpiry()->isEnabled());
    form->insuredBox()->setChecked(true);
    form->insuranceDate()->setDate(QDate(2028, 2, 29));
    EXPECT_EQ(form->insuranceExpiry()->date(), QDate(2029, 2, 28));

    messages.clear();
    form->cardField()->setText(u"2000"_s);
    qobject_cast<QLineEdit*>(name)->setText(u"O'Brien 张"_s);
    form->categoryBox()->setCurrentIndex(1);
    screen->saveButton()->click();
    EXPECT_EQ(messages.texts(), QStringList{u"新增会员成功！"_s});
    EXPECT_EQ(home.scalar(u"select 会员生日 from 会员卡信息 where 会员卡号='2000'"_s).toString(), u"7-10"_s);
    EXPECT_EQ(home.scalar(u"select 会员姓名 from 会员卡信息 where 会员卡号='2000'"_s).toString(), u"O'Brien 张"_s);
    EXPECT_EQ(home.scalar(u"select 卡类别 from 会员卡信息 where 会员卡号='2000'"_s).toString(), u"银卡"_s);
    EXPECT_TRUE(form->cardField()->text().isEmpty() && form->cardField()->hasFocus());
    EXPECT_EQ(form->categoryBox()->currentText(), u"金卡"_s);
    EXPECT_EQ(screen->grid()->footerText(u"卡类别"_s), u"2"_s);

    // A category that is no category name is refused and nothing is written.
    messages.clear();
    form->cardField()->setText(u"2001"_s);
    form->categoryBox()->setEditText(u"铜卡"_s);
    screen->saveButton()->click();
    EXPECT_TRUE(messages.last().text.startsWith(u"必须为会员选择一个正确的卡类别！"_s));
    EXPECT_TRUE(form->categoryBox()->hasFocus());
    EXPECT_EQ(home.scalar(u"select count(*) from 会员卡信息"_s).toInt(), 2);
    snapshot(main.mdiArea()->activeSubWindow(), u"registration"_s);

    // Quick search: the chooser names the column; an unknown column is refused and the list empties.
    messages.clear();
    screen->searchColumn()->setCurrentText(u"会员姓名"_s);
    typeText(screen->searchText(), u"张"_s);
    EXPECT_EQ(screen->grid()->source()->rowCount(), 1);
    screen->searchColumn()->setEditText(u"会员姓名 or 1=1"_s);
    typeText(screen->searchText(), u"x"_s);
    EXPECT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(screen->grid()->source()->rowCount(), 0);
}

TEST_F(MemberScreens, EditDialogChangesTheCurrentMember)
{
    addCategory(u"金卡"_s);
    addMember(u"1000"_s, u"甲"_s, 30);
    addMember(u"1001"_s, u"乙"_s, 40);
    auto* screen = open<Txinhuiyuan>(u"新增修改会员信息"_s);
    ASSERT_TRUE(screen);
    screen->grid()->setCurrentRow(1);
    Txiugaihuiyuan& dialog = Txiugaihuiyuan::instance();
    QTimer::singleShot(0, &dialog, [&] {
        MemberForm* form = dialog.form();
        EXPECT_EQ(dialog.windowTitle(), u"修改会员信息"_s);
        EXPECT_EQ(dialog.oldCardNo(), u"1001"_s);
        EXPECT_FALSE(form->insuredBox()->isChecked());
        EXPECT_FALSE(form->insuranceDate()->isEnabled());
        snapshot(&dialog, u"member-edit"_s);
        typeAndLeave(form->cardField(), u"1000"_s, form->byName(u"Edit2"_s));
        EXPECT_EQ(messages.texts(), QStringList{u"该会员卡号已经存在！"_s});
        form->cardField()->setText(u"1002"_s);
        qobject_cast<QLineEdit*>(form->byName(u"Edit9"_s))->setText(u"3-8"_s);
        dialog.confirmButton()->click();
    });
    screen->grid()->rowDoubleClicked(1);
    EXPECT_EQ(messages.last().text, u"修改会员信息成功！"_s);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(home.scalar(u"select 会员生日 from 会员卡信息 where 会员卡号='1002'"_s).toString(), u"3-8"_s);
    EXPECT_EQ(home.scalar(u"select 积分 from 会员卡信息 where 会员卡号='1002'"_s).toDouble(), 40);
    QStringList cards;
    for (int r = 0; r < screen->grid()->source()->rowCount(); ++r)
        cards << screen->grid()->value(r, u"会员卡号"_s).toString();
    EXPECT_TRUE(cards.contains(u"1002"_s)) << "the shared list shows the change";

    messages.clear();
    messages.answerNext(MessageService::Answer::Ok);
    screen->grid()->setCurrentRow(0);
    screen->findChild<QPushButton*>(u"BitBtn4"_s)->click();
    EXPECT_EQ(messages.texts(), QStringList{u"确实删除该会员？该操作不可恢复！请谨慎操作！"_s});
    EXPECT_EQ(home.scalar(u"select count(*) from 会员卡信息"_s).toInt(), 1);
}

TEST_F(MemberScreens, QueryScreenLookupOutcomes)
{
    addCategory(u"金卡"_s);
    addMember(u"1000"_s, u"张三"_s, 12.5, u"13800001111"_s);
    addMember(u"1001"_s, u"张四"_s, 0, u"15913000000"_s);
    addMember(u"0999"_s, u"旧卡又发"_s); // a retired number issued again by mistake
    home.exec(u"insert into 挂失记录 (旧卡号, 新卡号, 会员姓名) values ('0999', '1000', '张三')"_s);
    int lossViews = 0;
    main.registerScreen({}, u"全部挂失历史记录"_s, QPoint(0, 0), [&] {
        ++lossViews;
        return new QWidget;
    });

    auto* screen = open<Tjifenchaxun>(u"会员查询"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->pos(), QPoint(200, 0));
    MemberPanel* p = screen->panel();
    auto lookUp = [&](const QString& card) { ScreenTest::lookUp(p, card); };

    lookUp(u"1000"_s);
    EXPECT_EQ(p->field(u"Edit3"_s)->text(), u"张三"_s);
    EXPECT_EQ(p->field(u"Edit10"_s)->text(), u"12.5"_s);
    EXPECT_EQ(p->currentCard(), u"1000"_s);
    EXPECT_TRUE(messages.shown().isEmpty());

    lookUp(u"4444"_s);
    EXPECT_EQ(messages.last().caption, u"提示！"_s);
    EXPECT_EQ(messages.last().text, u"此卡号不存在！"_s);
    EXPECT_EQ(p->field(u"Edit3"_s)->text(), u"张三"_s) << "the previous member stays";
    EXPECT_EQ(p->currentCard(), u"1000"_s);

    messages.clear();
    messages.answerNext(MessageService::Answer::Cancel);
    lookUp(u"0999"_s);
    EXPECT_EQ(messages.last().text, u"此卡已经挂失，不能查询,需要打开挂失记录吗？"_s);
    EXPECT_EQ(lossViews, 0);
    EXPECT_EQ(p->field(u"Edit3"_s)->text(), u"张三"_s);
    lookUp(u"0999"_s); // OK this time: the loss records open, nothing loads
    EXPECT_EQ(lossViews, 1);
    EXPECT_EQ(home.dm().ADOQuery9->rowCount(), 1);
    EXPECT_EQ(p->currentCard(), u"1000"_s);
    main.mdiArea()->setActiveSubWindow(main.mdiArea()->subWindowList().first());
    lookUp(u"0999"_s);
    EXPECT_EQ(lossViews, 1) << "an open loss view is brought to the front, not opened twice";
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->windowTitle(), u"全部挂失历史记录"_s);

    // The fuzzy search clears every other field and shows its result; a double click loads.
    main.OpenOrActivate(u"会员查询"_s);
    p->field(u"Edit6"_s)->setText(u"13"_s);
    QTest::keyClick(p->field(u"Edit6"_s), Qt::Key_Return);
    EXPECT_TRUE(p->cardField()->text().isEmpty());
    EXPECT_TRUE(p->field(u"Edit3"_s)->text().isEmpty());
    EXPECT_EQ(p->field(u"Edit6"_s)->text(), u"13"_s);
    EXPECT_TRUE(p->resultPanel()->isVisible());
    EXPECT_EQ(p->resultGrid()->source()->rowCount(), 2);
    snapshot(main.mdiArea()->activeSubWindow(), u"member-query"_s);
    int row = p->resultGrid()->value(0, u"会员卡号"_s).toString() == u"1001"_s ? 0 : 1;
    p->resultGrid()->rowDoubleClicked(row);
    EXPECT_FALSE(p->resultPanel()->isVisible());
    EXPECT_EQ(p->cardField()->text(), u"1001"_s);
    EXPECT_EQ(p->currentCard(), u"1001"_s);
    EXPECT_EQ(p->field(u"Edit3"_s)->text(), u"张四"_s);

    p->searchButton(u"BitBtn5"_s)->click(); // search by the name 张四 now in Edit3
    EXPECT_TRUE(p->resultPanel()->isVisible());
    p->resultPanel()->findChild<QPushButton*>(u"hideResults"_s)->click();
    EXPECT_FALSE(p->resultPanel()->isVisible());
    lookUp(QString());
    EXPECT_EQ(messages.last().text, u"此卡号不存在！"_s);
}

TEST_F(MemberScreens, MemberListConditionsAndRefusals)
{
    addCategory(u"金卡"_s);
    addMember(u"1000"_s, u"甲"_s, 100);
    addMember(u"1001"_s, u"乙"_s, 50);
    addMember(u"1002"_s, u"丙"_s, 150);
    auto* screen = open<Tquanbuhuiyuan>(u"全部会员信息"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->grid()->source()->rowCount(), 3) << "opening lists every member";
    EXPECT_EQ(screen->grid()->footerText(u"卡类别"_s), u"3"_s);
    EXPECT_EQ(screen->fromDate()->date(), QDate(2026, 12, 31));

    screen->lowPoints()->setFocus();
    typeText(screen->lowPoints(), u"a5x0.-"_s);
    EXPECT_EQ(screen->lowPoints()->text(), u"50."_s);
    screen->allPoints()->setChecked(false);
    screen->queryButton()->click();
    EXPECT_EQ(messages.texts(), QStringList{u"请填写积分条件！"_s});
    EXPECT_TRUE(screen->lowPoints()->hasFocus());
    screen->highPoints()->setText(u"100"_s);
    screen->allCategories()->setChecked(false);
    screen->category()->setEditText(QString());
    screen->queryButton()->click();
    EXPECT_EQ(messages.last().text, u"请填写卡类别条件！"_s);
    EXPECT_TRUE(screen->category()->hasFocus());
    screen->category()->setEditText(u"金卡"_s);
    screen->queryButton()->click();
    EXPECT_EQ(screen->grid()->source()->rowCount(), 2);
    screen->category()->setEditText(u"银卡"_s);
    screen->queryButton()->click();
    EXPECT_EQ(screen->grid()->source()->rowCount(), 0);
    EXPECT_EQ(messages.shown().size(), 2) << "a category nobody has lists nothing, silently";
    snapshot(main.mdiArea()->activeSubWindow(), u"member-list"_s);
}

} // namespace
