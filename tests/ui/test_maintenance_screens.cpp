#include "controls/recordgrid.h"
#include "maintenance/tzhengli.h"
#include "members/memberform.h"
#include "members/memberimport.h"
#include "members/tdaoru.h"
#include "members/txinhuiyuan.h"
#include "sheets/xlsbook.h"
#include "support/scripteddialogs.h"
#include "support/screentest.h"
#include "support/snapshot.h"

#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

class MaintenanceScreens : public ScreenTest
{
protected:
    void addMember(const QString& card, double points = 10)
    {
        home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 卡类别, 积分) values (?, ?, '金卡', ?)"_s,
                  {card, u"会员"_s + card, points});
    }
    QStringList cards()
    {
        QStringList list;
        QSqlQuery q(home.db());
        q.exec(u"select 会员卡号 from 会员卡信息 order by 会员卡号"_s);
        while (q.next())
            list << q.value(0).toString();
        return list;
    }
    QStringList captions() const
    {
        QStringList list;
        for (const auto& s : messages.shown())
            list << s.caption;
        return list;
    }
    // A workbook of members in the layout of the template.
    QString workbook(const QString& name, int members, int firstCard = 5000)
    {
        XlsBook book(MemberImport::columns());
        QString error;
        for (int i = 0; i < members; ++i) {
            QList<SheetCell> row(MemberImport::columns().size());
            row[0] = SheetCell::ofNumber(firstCard + i);
            row[1] = SheetCell::ofText(u"金卡"_s);
            row[2] = SheetCell::ofText(u"导入%1"_s.arg(i));
            EXPECT_TRUE(book.addRow(row, &error));
        }
        const QString path = out.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_TRUE(book.finish(file, &error));
        return path;
    }

    QTemporaryDir out;
    ScriptedFileDialogs dialogs;
};

TEST_F(MaintenanceScreens, BackupAndRestoreFromTheMenuKeepTheProgramGoing)
{
    home.exec(u"insert into 卡类别 (卡类别, 积分比例) values ('金卡', 10)"_s);
    addMember(u"A"_s);
    dialogs.chooseNext(out.filePath(u"monday"_s), 1);
    main.clickEntry(u"数据备份"_s);
    ASSERT_EQ(dialogs.asked().size(), 1);
    EXPECT_EQ(dialogs.asked().first().caption, u"数据备份"_s);
    EXPECT_EQ(dialogs.asked().first().name, main.backupProposedName());
    EXPECT_EQ(messages.last().caption, u"提示！"_s);
    EXPECT_EQ(messages.last().text, u"备份数据成功！"_s);
    EXPECT_TRUE(QFile::exists(out.filePath(u"monday.bak"_s)));

    addMember(u"B"_s);
    auto* members = open<Txinhuiyuan>(u"新增修改会员信息"_s);
    ASSERT_TRUE(members);
    EXPECT_EQ(members->grid()->source()->rowCount(), 2);

    messages.clear();
    messages.answerNext(MessageService::Answer::Cancel);
    main.clickEntry(u"数据恢复"_s);
    EXPECT_EQ(messages.texts(), QStringList{u"数据库恢复将要覆盖原来数据库中所有的数据，继续吗？"_s});
    EXPECT_EQ(dialogs.asked().size(), 1) << "no file is asked for after Cancel";

    QFile text(out.filePath(u"notes.txt"_s));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("这不是数据库\n");
    text.close();
    messages.clear();
    dialogs.chooseNext(text.fileName(), 1);
    main.clickEntry(u"数据恢复"_s);
    EXPECT_EQ(dialogs.asked().last().caption, u"数据恢复"_s);
    EXPECT_EQ(messages.last().caption, u"错误！"_s);
    EXPECT_TRUE(messages.last().text.startsWith(u"恢复数据失败，请重试！!"_s));
    EXPECT_EQ(cards(), (QStringList{u"A"_s, u"B"_s}));

    messages.clear();
    dialogs.chooseNext(out.filePath(u"monday.bak"_s), 1);
    main.clickEntry(u"数据恢复"_s);
    EXPECT_EQ(messages.last().caption, u"提示！"_s);
    EXPECT_TRUE(messages.last().text.startsWith(u"恢复数据成功！\n原来的数据库已保存为："_s)) << messages.last().text.toStdString();
    EXPECT_EQ(cards(), QStringList{u"A"_s});
    EXPECT_EQ(members->grid()->source()->rowCount(), 1) << "the open list shows the restored rows";
    EXPECT_EQ(main.statusPane()->text(), u"当前用户为:0001"_s);

    // The counter goes on working without a restart.
    messages.clear();
    members->form()->cardField()->setText(u"C"_s);
    members->saveButton()->click();
    EXPECT_EQ(messages.last().text, u"新增会员成功！"_s);
    EXPECT_EQ(cards(), (QStringList{u"A"_s, u"C"_s}));
}

TEST_F(MaintenanceScreens, PointsResetAsksTwiceAndInitialisationOnce)
{
    addMember(u"A"_s, 12.5);
    const auto points = [&] { return home.scalar(u"select 积分 from 会员卡信息"_s).toDouble(); };
    messages.answerNext(MessageService::Answer::No);
    main.clickEntry(u"积分手动清零"_s);
    messages.answerNext(MessageService::Answer::Yes);
    messages.answerNext(MessageService::Answer::Cancel);
    main.clickEntry(u"积分手动清零"_s);
    EXPECT_EQ(points(), 12.5);
    EXPECT_EQ(captions(), (QStringList{u"清零询问"_s, u"清零询问"_s, u"清零提示"_s}));
    EXPECT_EQ(messages.shown().at(0).buttons, MessageService::Buttons::YesNo);

    messages.clear();
    main.clickEntry(u"积分手动清零"_s);
    EXPECT_EQ(captions(), (QStringList{u"清零询问"_s, u"清零提示"_s, u"提示！"_s}));
    EXPECT_EQ(messages.last().text, u"积分手动清零成功！"_s);
    EXPECT_EQ(points(), 0);

    messages.clear();
    messages.answerNext(MessageService::Answer::Cancel);
    main.clickEntry(u"数据初始化"_s);
    EXPECT_EQ(cards(), QStringList{u"A"_s});
    main.clickEntry(u"数据初始化"_s);
    EXPECT_EQ(messages.last().text, u"初始化成功！"_s);
    EXPECT_EQ(cards(), QStringList());
    EXPECT_EQ(home.scalar(u"select group_concat(操作员) from 操作员"_s).toString(), u"0001"_s);
}

TEST_F(MaintenanceScreens, HistoryClearingScreenDeletesWhatIsOlderThanTheDay)
{
    for (const QString& day : {u"2026-12-30"_s, u"2026-12-31"_s})
        home.exec(u"insert into 流水记录 (编号, 日期) values (?, ?)"_s, {day, day});
    auto* screen = open<Tzhengli>(u"历史数据清除"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(activeCaption(), u"数据整理"_s);
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->pos(), QPoint(310, 100));
    EXPECT_EQ(screen->datePicker()->date(), QDate(2026, 12, 31));
    snapshot(main.mdiArea()->activeSubWindow(), u"history-clearing"_s);

    messages.answerNext(MessageService::Answer::Cancel);
    screen->confirmButton()->click();
    EXPECT_EQ(home.scalar(u"select count(*) from 流水记录"_s).toInt(), 2);
    EXPECT_EQ(messages.last().icon, MessageService::Icon::None);
    EXPECT_EQ(messages.last().caption, u"删除历史记录"_s);
    EXPECT_EQ(messages.last().text, u"确实删除历史记录？该操作不可恢复！"_s);

    screen->confirmButton()->click();
    EXPECT_EQ(messages.last().text, u"删除成功！"_s);
    EXPECT_EQ(home.scalar(u"select group_concat(日期) from 流水记录"_s).toString(), u"2026-12-31"_s);
    EXPECT_EQ(activeCaption(), u"数据整理"_s) << "the screen stays open";
}

TEST_F(MaintenanceScreens, ImportDialogFromTheRegistrationScreen)
{
    home.exec(u"insert into 卡类别 (卡类别, 积分比例) values ('金卡', 10)"_s);
    const QString path = workbook(u"会员.xls"_s, 3);
    auto* screen = open<Txinhuiyuan>(u"新增修改会员信息"_s);
    ASSERT_TRUE(screen);
    Tdaoru& dialog = Tdaoru::instance();
    EXPECT_EQ(dialog.parentWidget(), &main) << "made once at start";
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(dialog.windowTitle(), u"导入会员档案"_s);
        EXPECT_TRUE(dialog.pathField()->text().isEmpty());
        EXPECT_EQ(dialog.focusWidget(), dialog.pathField());
        EXPECT_EQ(dialog.sheetField()->text(), u"sheet1"_s);
        dialog.pathField()->setText(u"   "_s);
        dialog.startButton()->click();
        EXPECT_EQ(messages.last().icon, MessageService::Icon::Warning);
        EXPECT_EQ(messages.last().caption, u"警告"_s);
        EXPECT_EQ(messages.last().text, u"请正确选择相关EXCEL文件的路径！"_s);

        dialogs.chooseNext(path, 1);
        dialog.chooseButton()->click();
        EXPECT_EQ(dialogs.asked().last().caption, u"请选择相应的Excel文件"_s);
        EXPECT_EQ(dialog.pathField()->text(), path);
        dialog.sheetField()->clear();
        snapshot(&dialog, u"member-import"_s);
        dialog.startButton()->click();
    });
    screen->findChild<QPushButton*>(u"BitBtn5"_s)->click();
    EXPECT_EQ(dialog.sheetField()->text(), u"sheet1"_s) << "an empty name is taken as sheet1";
    EXPECT_EQ(messages.last().text, u"从EXCEL批量导入会员档案成功!"_s);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(screen->grid()->source()->rowCount(), 3) << "the list shows the new members";

    // A refused import keeps the dialog open, and a long one can be cancelled on the way.
    const QString many = workbook(u"多.xls"_s, 2500, 10000);
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, &dialog, [&] {
        if (auto* progress = dialog.findChild<QProgressDialog*>(); progress && progress->isVisible()) {
            snapshot(progress, u"import-progress"_s);
            progress->cancel();
        }
    });
    QTimer::singleShot(0, &dialog, [&] {
        dialog.pathField()->setText(path);
        dialog.startButton()->click();
        EXPECT_TRUE(messages.last().text.contains(u"已经存在"_s)) << messages.last().text.toStdString();
        EXPECT_TRUE(dialog.isVisible());
        dialog.pathField()->setText(many);
        canceller.start(0);
        dialog.startButton()->click();
        canceller.stop();
        EXPECT_TRUE(messages.last().text.contains(u"导入已取消"_s)) << messages.last().text.toStdString();
        EXPECT_TRUE(dialog.isVisible());
        dialog.findChild<QPushButton*>(u"BitBtn2"_s)->click();
    });
    screen->findChild<QPushButton*>(u"BitBtn5"_s)->click();
    EXPECT_EQ(cards().size(), 3);
}

} // namespace
