#include "controls/recordgrid.h"
#include "gifts/tkucunchaxun.h"
#include "gifts/tlipinjilu.h"
#include "gifts/truku.h"
#include "support/scripteddialogs.h"
#include "support/screentest.h"
#include "support/snapshot.h"
#include "support/typing.h"

#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString StockInQuestion = u"请您认真检查核对数据！检查无误了吗？该操作不可恢复！"_s;

class GiftScreens : public ScreenTest
{
protected:
    // Clicks the menu entry, whose modal dialog the steps then drive; the dialog is closed
    // after them if they left it open. False when no such dialog came up.
    template <class Dialog>
    bool drive(const QString& entry, const std::function<void(Dialog&)>& steps)
    {
        bool reached = false;
        QTimer::singleShot(0, &main, [&] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
                reached = true;
                QApplication::setActiveWindow(dialog);
                EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
                steps(*dialog);
            }
            if (QWidget* left = QApplication::activeModalWidget())
                left->close();
        });
        main.clickEntry(entry);
        return reached;
    }
    void gift(const QString& name, const QString& unit, double quantity)
    {
        home.exec(u"insert into 礼品 (礼品名称, 单位, 数量) values (?, ?, ?)"_s, {name, unit, quantity});
    }
    int rows(RecordGrid* grid)
    {
        SharedQuery* q = grid->source();
        while (q->canFetchMore())
            q->fetchMore();
        return q->rowCount();
    }
    // Corrects a cell as the operator does: F2 on it, the new text, Enter.
    void editCell(RecordGrid* grid, int row, const QString& field, const QString& text)
    {
        int column = -1;
        const QList<GridColumn> columns = grid->visibleColumns();
        for (int i = 0; i < columns.size(); ++i)
            if (columns.at(i).field == field)
                column = i;
        ASSERT_GE(column, 0);
        QTableView* view = grid->view();
        view->setFocus();
        view->setCurrentIndex(view->model()->index(row, column));
        QTest::keyClick(view, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_TRUE(editor);
        editor->selectAll();
        typeText(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }
};

TEST_F(GiftScreens, StockInAsksChecksBooksAndWaitsForTheNextGift)
{
    const bool reached = drive<Truku>(u"礼品入库"_s, [&](Truku& d) {
        EXPECT_EQ(d.windowTitle(), u"礼品入库"_s);
        EXPECT_EQ(d.dateField()->date(), QDate(2026, 12, 31));
        EXPECT_TRUE(d.saveButton()->isEnabled());

        // The question comes before the completeness check; Cancel stops at it.
        messages.answerNext(MessageService::Answer::Cancel);
        d.saveButton()->click();
        d.saveButton()->click();
        EXPECT_EQ(messages.texts(), (QStringList{StockInQuestion, StockInQuestion, u"请将信息填写完整！"_s}));
        EXPECT_EQ(messages.shown().first().caption, u"郑重提示"_s);
        EXPECT_EQ(messages.shown().first().buttons, MessageService::Buttons::OkCancel);
        EXPECT_TRUE(d.nameField()->hasFocus());

        // Enter walks date, gift, unit, quantity, remark and lands on 保存.
        d.dateField()->setFocus();
        QTest::keyClick(d.dateField(), Qt::Key_Return);
        EXPECT_TRUE(d.nameField()->hasFocus());
        typeText(d.nameField(), u"保温杯"_s);
        QTest::keyClick(d.nameField(), Qt::Key_Return);
        typeText(d.unitField(), u"个"_s);
        QTest::keyClick(d.unitField(), Qt::Key_Return);
        EXPECT_TRUE(d.quantityField()->hasFocus());
        typeText(d.quantityField(), u"1a2.5x元"_s);
        EXPECT_EQ(d.quantityField()->text(), u"12.5"_s) << "only digits, minus and point are taken";
        QTest::keyClick(d.quantityField(), Qt::Key_Return);
        EXPECT_TRUE(d.remarkField()->hasFocus());
        typeText(d.remarkField(), u"春节赠品"_s);
        QTest::keyClick(d.remarkField(), Qt::Key_Return, Qt::ShiftModifier);
        typeText(d.remarkField(), u"仓库二"_s);
        QTest::keyClick(d.remarkField(), Qt::Key_Return);
        EXPECT_TRUE(d.saveButton()->hasFocus());
        snapshot(&d, u"stock-in"_s);

        messages.clear();
        QTest::keyClick(d.saveButton(), Qt::Key_Return);
        EXPECT_EQ(messages.texts(), (QStringList{StockInQuestion, u"礼品入库成功！"_s}));
        EXPECT_EQ(messages.last().icon, MessageService::Icon::Information);
        EXPECT_FALSE(d.saveButton()->isEnabled()) << "saved once until 下一个";
        EXPECT_EQ(home.scalar(u"select 备注 from 礼品"_s).toString(), u"春节赠品\n仓库二"_s);
        EXPECT_EQ(home.scalar(u"select 日期 || '/' || 数量 from 礼品"_s).toString(), u"2026-12-31/12.5"_s);

        d.nextButton()->click();
        EXPECT_TRUE(d.nameField()->text().isEmpty() && d.unitField()->text().isEmpty());
        EXPECT_TRUE(d.quantityField()->text().isEmpty() && d.remarkField()->toPlainText().isEmpty());
        EXPECT_TRUE(d.saveButton()->isEnabled());

        // A quantity the filter lets through but that is no number: its error, nothing written.
        messages.clear();
        d.dateField()->setDate(QDate(2026, 12, 1));
        d.nameField()->setText(u"保温杯"_s);
        d.unitField()->setText(u"个"_s);
        d.quantityField()->setText(u"-"_s);
        d.saveButton()->click();
        EXPECT_EQ(messages.last().text, u"“-”不是有效的数值"_s);
        EXPECT_TRUE(d.saveButton()->isEnabled());
        EXPECT_EQ(d.nameField()->text(), u"保温杯"_s) << "the inputs stay";
        d.quantityField()->setText(u"-2"_s);
        d.saveButton()->click();
        EXPECT_EQ(messages.last().text, u"礼品入库成功！"_s);
        EXPECT_EQ(home.scalar(u"select count(*) from 礼品 where 日期='2026-12-01' and 数量=-2"_s).toInt(), 1);

        d.findChild<QPushButton*>(u"BitBtn3"_s)->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_TRUE(reached);
    EXPECT_TRUE(main.isVisible()) << "退出 closes the dialog only";

    // Both stock-ins make one gift on the stock list.
    EXPECT_TRUE(drive<Tkucunchaxun>(u"礼品库存查询"_s, [&](Tkucunchaxun& d) {
        ASSERT_EQ(rows(d.grid()), 1);
        EXPECT_EQ(d.grid()->displayText(0, u"礼品名称"_s), u"保温杯"_s);
        EXPECT_EQ(d.grid()->displayText(0, u"数量"_s), u"10.5"_s);
    }));
}

TEST_F(GiftScreens, StockListQueryDeleteAndExport)
{
    gift(u"茶杯"_s, u"个"_s, 10);
    gift(u"茶杯"_s, u"个"_s, -3);
    gift(u"茶杯"_s, u"盒"_s, 2.5);
    gift(u"雨伞"_s, u"把"_s, 5);
    gift(u"雨伞"_s, u"把"_s, -5);
    const bool reached = drive<Tkucunchaxun>(u"礼品库存查询"_s, [&](Tkucunchaxun& d) {
        EXPECT_EQ(d.windowTitle(), u"礼品库存查询"_s);
        RecordGrid* grid = d.grid();
        ASSERT_EQ(rows(grid), 3);
        EXPECT_EQ(grid->displayText(0, u"数量"_s), u"7"_s);
        EXPECT_EQ(grid->displayText(2, u"数量"_s), u"0"_s) << "a gift handed out completely stays listed";
        EXPECT_EQ(grid->footerText(u"单位"_s), u"合计数量"_s);
        EXPECT_EQ(grid->footerText(u"数量"_s), u"9.5"_s);
        snapshot(&d, u"gift-stock"_s);

        d.nameField()->setText(u"茶杯"_s);
        d.findChild<QPushButton*>(u"BitBtn1"_s)->click();
        EXPECT_EQ(messages.texts(), QStringList{u"请输入正确的礼品名称和包装单位！"_s});
        EXPECT_EQ(messages.last().caption, u"提示"_s);
        EXPECT_TRUE(d.unitField()->hasFocus());
        EXPECT_EQ(rows(grid), 3);
        typeText(d.unitField(), u"盒"_s);
        QTest::keyClick(d.unitField(), Qt::Key_Return); // Enter runs 查询
        ASSERT_EQ(rows(grid), 1);
        EXPECT_EQ(grid->footerText(u"数量"_s), u"2.5"_s);

        // Delete the gift on show; the filtered list is refreshed as filtered.
        messages.clear();
        messages.answerNext(MessageService::Answer::Cancel);
        QPushButton* remove = d.findChild<QPushButton*>(u"BitBtn3"_s);
        remove->click();
        EXPECT_EQ(home.scalar(u"select count(*) from 礼品"_s).toInt(), 5);
        remove->click();
        EXPECT_EQ(messages.last().text, u"删除成功！"_s);
        EXPECT_EQ(messages.shown().first().text, u"确实要删除该礼品的库存？该操作不可恢复！请谨慎操作！"_s);
        EXPECT_EQ(rows(grid), 0);
        EXPECT_EQ(home.scalar(u"select count(*) from 礼品"_s).toInt(), 4) << "the other unit of the name stays";

        // On an empty list nothing is deleted, and the box says the same.
        remove->click();
        EXPECT_EQ(messages.last().text, u"删除成功！"_s);
        EXPECT_EQ(home.scalar(u"select count(*) from 礼品"_s).toInt(), 4);

        d.findChild<QPushButton*>(u"BitBtn2"_s)->click();
        ASSERT_EQ(rows(grid), 2);
        EXPECT_EQ(grid->displayText(0, u"单位"_s), u"个"_s);

        QTemporaryDir out;
        ScriptedFileDialogs dialogs;
        dialogs.chooseNext(out.filePath(u"file1"_s), 5);
        messages.clear();
        QPushButton* excel = d.findChild<QPushButton*>(u"BitBtn4"_s);
        EXPECT_EQ(excel->toolTip(), u"将数据导出到EXCEL文件！"_s);
        excel->click();
        EXPECT_EQ(messages.texts(), QStringList{u"导出数据成功！"_s});
        EXPECT_EQ(messages.last().caption, u"提示！"_s);
        EXPECT_TRUE(QFile::exists(out.filePath(u"file1.xls"_s)));

        d.findChild<QPushButton*>(u"BitBtn5"_s)->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_TRUE(reached);
}

TEST_F(GiftScreens, RedemptionRecordsByDateWithCellsWrittenBack)
{
    const QString insert = u"insert into 礼品使用记录 (单据号, 会员卡号, 会员姓名, 礼品名称, 单位, 数量, 日期, 经手人) "
                           u"values (?, ?, '张三', ?, ?, ?, ?, '0001')"_s;
    home.exec(insert, {u"0000000002"_s, u"B"_s, u"茶杯"_s, u"个"_s, 2, u"2026-03-01"_s});
    home.exec(insert, {u"0000000001"_s, u"A"_s, u"茶杯"_s, u"个"_s, 2, u"2026-02-01"_s});
    home.exec(insert, {u"0000000001"_s, u"A"_s, u"雨伞"_s, u"把"_s, 1, u"2026-02-01"_s});
    const bool reached = drive<Tlipinjilu>(u"礼品兑换记录"_s, [&](Tlipinjilu& d) {
        EXPECT_EQ(d.windowTitle(), u"礼品使用历史记录"_s);
        RecordGrid* grid = d.grid();
        ASSERT_EQ(rows(grid), 3);
        EXPECT_EQ(grid->displayText(2, u"单据号"_s), u"0000000002"_s) << "ordered by 日期";
        int umbrella = -1;
        for (int r = 0; r < 3; ++r)
            if (grid->value(r, u"礼品名称"_s).toString() == u"雨伞"_s)
                umbrella = r;
        ASSERT_GE(umbrella, 0);
        snapshot(&d, u"gift-records"_s);

        editCell(grid, umbrella, u"数量"_s, u"3"_s);
        QTRY_COMPARE_WITH_TIMEOUT(grid->displayText(umbrella, u"数量"_s), u"3"_s, 20000);
        EXPECT_EQ(home.scalar(u"select group_concat(数量, ',') from (select 数量 from 礼品使用记录 order by 日期, 礼品名称)"_s)
                      .toString(),
                  u"2.0,3.0,2.0"_s)
            << "only that record";
        EXPECT_TRUE(messages.shown().isEmpty());

        // A quantity that is no number, and a write the engine refuses: their texts, nothing written.
        editCell(grid, umbrella, u"数量"_s, u"1.2.3"_s);
        QTRY_COMPARE_WITH_TIMEOUT(messages.texts(), QStringList{u"“1.2.3”不是有效的数值"_s}, 20000);
        home.refuse(u"update"_s, u"礼品使用记录"_s, {}, u"记录已锁定"_s);
        editCell(grid, umbrella, u"会员姓名"_s, u"李四"_s);
        QTRY_COMPARE_WITH_TIMEOUT(messages.shown().size(), 2, 20000);
        EXPECT_TRUE(messages.last().text.contains(u"记录已锁定"_s)) << messages.last().text.toStdString();
        EXPECT_EQ(grid->displayText(umbrella, u"会员姓名"_s), u"张三"_s);
        EXPECT_EQ(home.scalar(u"select 数量 from 礼品使用记录 where 礼品名称='雨伞'"_s).toDouble(), 3);

        QTemporaryDir out;
        ScriptedFileDialogs dialogs;
        dialogs.chooseNext(out.filePath(u"records.csv"_s), 2);
        messages.clear();
        d.findChild<QPushButton*>(u"BitBtn1"_s)->click();
        EXPECT_EQ(messages.texts(), QStringList{u"倒出数据成功！"_s});
        EXPECT_EQ(messages.last().caption, u"提示！"_s);
        QFile csv(out.filePath(u"records.csv"_s));
        ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
        EXPECT_TRUE(QString::fromUtf8(csv.readAll()).contains(u"雨伞"_s));

        d.findChild<QPushButton*>(u"BitBtn2"_s)->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_TRUE(reached);
}

} // namespace
