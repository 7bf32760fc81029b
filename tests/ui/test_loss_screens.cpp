#include "app/screens.h"
#include "app/tmain.h"
#include "controls/recordgrid.h"
#include "data/clock.h"
#include "loss/losslistscreen.h"
#include "loss/tguashi.h"
#include "loss/tkoutou.h"
#include "controls/gridprint.h"
#include "sheets/listexport.h"
#include "members/memberpanel.h"
#include "operators/login.h"
#include "operators/permissions.h"
#include "support/scripteddialogs.h"
#include "support/screentest.h"
#include "support/scriptedmessages.h"
#include "support/snapshot.h"
#include "support/testhome.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class LossScreens : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 积分, 手机) values ('A', '张三', 88.5, '139'), "
                  u"('X', '李四', 1, '137')"_s);
        home.exec(u"insert into 流水记录 (编号, 会员卡号, 增减积分) values ('0000000001', 'A', 88.5)"_s);
    }

};

TEST_F(LossScreens, VerbalLossReportRefuseAndCancel)
{
    auto* screen = open<Tkoutou>(u"会员卡口头挂失及取消"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(activeCaption(), u"会员卡口头挂失及取消"_s);
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->pos(), QPoint(180, 0));
    EXPECT_FALSE(screen->confirmButton()->isEnabled());

    lookUp(screen->panel(), u"A"_s);
    EXPECT_TRUE(screen->confirmButton()->isEnabled());
    EXPECT_TRUE(screen->modes()->checkedButton()->hasFocus());
    snapshot(main.mdiArea()->activeSubWindow(), u"verbal-loss"_s);
    screen->confirmButton()->click();
    EXPECT_EQ(messages.texts(), QStringList{u"口头挂失成功！"_s});
    EXPECT_FALSE(screen->confirmButton()->isEnabled());
    EXPECT_TRUE(screen->panel()->cardField()->text().isEmpty());

    lookUp(screen->panel(), u"A"_s);
    EXPECT_TRUE(screen->panel()->verbalLossBox()->isChecked());
    screen->confirmButton()->click();
    EXPECT_EQ(messages.last().text, u"此卡号已经口头挂失！"_s);
    EXPECT_FALSE(screen->confirmButton()->isEnabled()) << "a refusal needs a new lookup";
    EXPECT_EQ(home.scalar(u"select count(*) from 口头挂失记录"_s).toInt(), 1);

    lookUp(screen->panel(), u"A"_s);
    QTest::mouseClick(screen->modes()->button(1), Qt::LeftButton);
    EXPECT_TRUE(screen->confirmButton()->hasFocus()) << "a click on the choice moves on to 确定";
    screen->confirmButton()->click();
    EXPECT_EQ(messages.last().text, u"取消口头挂失成功！"_s);
    EXPECT_EQ(home.scalar(u"select 口头挂失标志 from 会员卡信息 where 会员卡号='A'"_s).toInt(), 0);
    EXPECT_EQ(home.scalar(u"select 取消挂失经手人 from 口头挂失记录"_s).toString(), u"0002"_s);
}

TEST_F(LossScreens, ReplacementAndTheRetiredNumberEverywhere)
{
    auto* screen = open<Tguashi>(u"会员卡正式挂失"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(activeCaption(), u"会员卡正式挂失/换卡"_s);
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->pos(), QPoint(200, 0));
    lookUp(screen->panel(), u"A"_s);
    EXPECT_TRUE(screen->newCardField()->hasFocus());
    QTest::keyClicks(screen->newCardField(), u"B"_s);
    QTest::keyClick(screen->newCardField(), Qt::Key_Return);
    EXPECT_TRUE(screen->confirmButton()->hasFocus());
    snapshot(main.mdiArea()->activeSubWindow(), u"card-replacement"_s);
    screen->confirmButton()->click();
    EXPECT_EQ(messages.texts(), QStringList{u"会员卡挂失、补发新卡成功!"_s});
    EXPECT_FALSE(screen->newCardField()->isEnabled());
    EXPECT_FALSE(screen->confirmButton()->isEnabled());
    EXPECT_EQ(home.scalar(u"select 会员卡号 from 流水记录"_s).toString(), u"B"_s);

    // The old number now offers its record and loads nothing; OK opens the loss list with it.
    messages.answerNext(MessageService::Answer::Cancel);
    lookUp(screen->panel(), u"A"_s);
    EXPECT_EQ(messages.last().text, u"此卡已经挂失，不能使用,需要打开挂失记录吗？"_s);
    EXPECT_TRUE(screen->panel()->field(u"Edit3"_s)->text().isEmpty());
    lookUp(screen->panel(), u"A"_s);
    EXPECT_EQ(activeCaption(), u"全部挂失历史记录"_s);
    auto* list = qobject_cast<Tguashilishi*>(main.mdiArea()->activeSubWindow()->widget());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->grid()->source()->rowCount(), 1);
    EXPECT_EQ(list->grid()->displayText(0, u"新卡号"_s), u"B"_s);
    EXPECT_EQ(list->grid()->displayText(0, u"原有积分"_s), u"88.5"_s);

    // A search empties the card field: the replacement is refused instead of retiring nothing.
    main.OpenOrActivate(u"会员卡正式挂失/换卡"_s);
    lookUp(screen->panel(), u"X"_s);
    screen->newCardField()->setText(u"Y"_s);
    screen->panel()->field(u"Edit6"_s)->setText(u"13"_s);
    QTest::keyClick(screen->panel()->field(u"Edit6"_s), Qt::Key_Return);
    EXPECT_TRUE(screen->newCardField()->text().isEmpty()) << "the search empties the new card field too";
    screen->newCardField()->setText(u"Y"_s);
    screen->confirmButton()->click();
    EXPECT_EQ(messages.last().text, u"请将卡号填写完整！"_s);
    EXPECT_EQ(home.scalar(u"select count(*) from 挂失记录"_s).toInt(), 1);
}

TEST_F(LossScreens, LossListsShowFilterAndExport)
{
    home.exec(u"insert into 挂失记录 (旧卡号, 新卡号, 会员姓名, 原有积分, 日期, 时间, 经手人) values "
              u"('A0', 'A', '张三', 10, '2026-01-02', '08:05:09', '0001'), ('X0', 'X', '李四', 2.5, '2026-02-03', '10:00:00', '0001')"_s);
    auto* list = open<Tguashilishi>(u"全部挂失记录"_s);
    ASSERT_TRUE(list);
    EXPECT_EQ(activeCaption(), u"全部挂失历史记录"_s);
    EXPECT_EQ(list->grid()->source()->rowCount(), 0) << "opened from the menu, the list waits for 显示全部";
    EXPECT_EQ(list->filterColumn()->count(), 3);
    list->findChild<QPushButton*>(u"BitBtn2"_s)->click();
    EXPECT_EQ(list->grid()->source()->rowCount(), 2);
    list->filterColumn()->setCurrentText(u"会员姓名"_s);
    list->filterValue()->setText(u"李四"_s);
    QTest::keyClick(list->filterValue(), Qt::Key_Return);
    EXPECT_EQ(list->grid()->source()->rowCount(), 1);
    EXPECT_EQ(list->grid()->displayText(0, u"时间"_s), u"10:00:00"_s);
    snapshot(main.mdiArea()->activeSubWindow(), u"loss-records"_s);

    // The desk's documents folder, as its user-dirs name it.
    QTemporaryDir desk;
    const QString documents = desk.filePath(u"文档"_s);
    ASSERT_TRUE(QDir().mkpath(documents) && QDir().mkpath(desk.filePath(u"config"_s)));
    QFile userDirs(desk.filePath(u"config/user-dirs.dirs"_s));
    ASSERT_TRUE(userDirs.open(QIODevice::WriteOnly));
    userDirs.write(u"XDG_DOCUMENTS_DIR=\"%1\"\n"_s.arg(documents).toUtf8());
    userDirs.close();
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", desk.filePath(u"config"_s).toUtf8());
    const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", configHome); });

    QTemporaryDir out;
    ScriptedFileDialogs dialogs;
    dialogs.cancelNext();
    list->findChild<QPushButton*>(u"BitBtn3"_s)->click();
    EXPECT_TRUE(messages.shown().isEmpty()) << "a cancelled dialog shows nothing";
    ASSERT_EQ(dialogs.asked().size(), 1);
    EXPECT_EQ(dialogs.asked().first().folder, documents) << "first in the documents folder";
    EXPECT_EQ(dialogs.asked().first().name, u"file1"_s);
    EXPECT_EQ(dialogs.asked().first().filter, 5) << "XLS first";
    EXPECT_EQ(dialogs.asked().first().filters.first(), u"文本 (*.TXT)"_s);

    dialogs.chooseNext(out.filePath(u"file1"_s), 2);
    list->findChild<QPushButton*>(u"BitBtn3"_s)->click();
    EXPECT_EQ(messages.texts(), QStringList{u"倒出数据成功！"_s});
    EXPECT_EQ(messages.last().caption, u"提示！"_s);
    QFile csv(out.filePath(u"file1.csv"_s));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(csv.readAll());
    EXPECT_TRUE(text.contains(u"旧卡号"_s));
    EXPECT_TRUE(text.contains(u"李四"_s));
    EXPECT_FALSE(text.contains(u"张三"_s)) << "the rows the list shows";

    // The kind last chosen comes first next time; a name the extension was added to that
    // stands for an existing file is not replaced without asking.
    dialogs.chooseNext(out.filePath(u"file1"_s), 2);
    messages.answerNext(MessageService::Answer::No);
    list->findChild<QPushButton*>(u"BitBtn3"_s)->click();
    EXPECT_EQ(dialogs.asked().last().filter, 2);
    EXPECT_EQ(dialogs.asked().last().folder, out.path()) << "then where the last file went";
    EXPECT_EQ(messages.last().buttons, MessageService::Buttons::YesNo);
    EXPECT_EQ(messages.texts().size(), 2);

    // Another list keeps its own folder.
    auto* verbal = open<Tkoutoujilu>(u"口头挂失记录"_s);
    ASSERT_TRUE(verbal);
    dialogs.cancelNext();
    verbal->findChild<QPushButton*>(u"BitBtn3"_s)->click();
    EXPECT_EQ(dialogs.asked().last().folder, documents);
}

TEST_F(LossScreens, GridPrintsOnPagesWithItsTitle)
{
    for (int i = 0; i < 150; ++i)
        home.exec(u"insert into 口头挂失记录 (会员卡号, 会员姓名) values (?, '王五')"_s, {u"C%1"_s.arg(i)});
    auto* list = open<Tkoutoujilu>(u"口头挂失记录"_s);
    ASSERT_TRUE(list);
    list->showAll();
    QTemporaryDir out;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath(u"list.pdf"_s));
    RecordExport::QueryRows rows(*list->grid()->source());
    GridPrint::render(printer, GridPrint::layoutOf(list->grid(), u"三日或五日内过生日的会员"_s, 13), rows);
    QFile pdf(out.filePath(u"list.pdf"_s));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_GE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 2)
        << "150 rows need more than one page";
}

} // namespace
