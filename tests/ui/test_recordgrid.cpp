#include "controls/recordgrid.h"
#include "support/scriptedmessages.h"
#include "support/snapshot.h"
#include "support/testhome.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

using Format = GridColumn::Format;

const QList<GridColumn> memberColumns = {
    {u"会员卡号"_s, u"卡号"_s},
    {u"会员姓名"_s},
    {u"卡类别"_s},
    {u"积分"_s, {}, Format::Points},
    {u"口头挂失标志"_s, u"挂失"_s, Format::YesNo},
};

const QList<GridFooter> memberFooters = {
    {u"会员卡号"_s, GridFooter::Kind::Text, u"合计"_s},
    {u"会员姓名"_s, GridFooter::Kind::Count},
    {u"积分"_s, GridFooter::Kind::Sum},
};

class RecordGridTest : public ::testing::Test
{
protected:
    // Members C00001.. with points i * 0.1, three card kinds in turn and the verbal-loss flag
    // on every odd one.
    void addMembers(int count)
    {
        home.exec(
            u"with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) "
            "insert into 会员卡信息 (会员卡号, 卡类别, 会员姓名, 积分, 口头挂失标志) "
            "select 'C' || "_s + padded(u"i"_s, 5) + u", case i % 3 when 0 then '金卡' when 1 then '银卡' else '普卡' end, "
            "'会员' || i, i * 0.1, i % 2 from n"_s,
            {count});
    }
    void open(const QString& statement)
    {
        query.setStatement(statement);
        ASSERT_EQ(query.open(), QString());
    }
    void bind()
    {
        grid.setColumns(memberColumns);
        grid.setFooters(memberFooters);
        grid.setSource(&query);
    }
    void showGrid(int width = 640, int height = 360)
    {
        grid.resize(width, height);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
    QHeaderView* header() const { return grid.view()->horizontalHeader(); }
    int fetched() const { return grid.view()->model()->rowCount(); }
    QStringList titles() const
    {
        QStringList list;
        const QAbstractItemModel* model = grid.view()->model();
        for (int i = 0; i < model->columnCount(); ++i)
            list << model->headerData(i, Qt::Horizontal).toString();
        return list;
    }
    void clickTitle(int column, Qt::KeyboardModifiers modifiers = {})
    {
        const QPoint at(header()->sectionViewportPosition(column) + header()->sectionSize(column) / 2,
                        header()->height() / 2);
        QTest::mouseClick(header()->viewport(), Qt::LeftButton, modifiers, at);
    }
    // The first rows of a field, as the grid holds them and as the engine orders them itself.
    QStringList gridValues(const QString& field, int rows) const
    {
        QStringList list;
        for (int row = 0; row < rows; ++row)
            list << grid.value(row, field).toString();
        return list;
    }
    QStringList engineValues(const QString& field, const QString& orderBy, int rows) const
    {
        QSqlQuery q(home.db());
        EXPECT_TRUE(
            q.exec(u"select %1 from 会员卡信息 order by %2 limit %3"_s.arg(field, orderBy).arg(rows)));
        QStringList list;
        while (q.next())
            list << q.value(0).toString();
        return list;
    }

    TestHome home;
    ScriptedMessages messages;
    SharedQuery& query = *home.dm().ADOQuery5;
    RecordGrid grid;
};

TEST(RecordGridFormat, ShowsValuesAsTheirColumnFormatSays)
{
    struct Case
    {
        QVariant value;
        Format format;
        QString shown;
    };
    const QVariant nullInt(QMetaType(QMetaType::Int));
    const QVariant nullReal(QMetaType(QMetaType::Double));
    const Case cases[] = {
        {QVariant(), Format::Plain, u""_s},
        {u"张三"_s, Format::Plain, u"张三"_s},
        {42, Format::Plain, u"42"_s},
        {1, Format::YesNo, u"是"_s},
        {2, Format::YesNo, u"是"_s},
        {true, Format::YesNo, u"是"_s},
        {0, Format::YesNo, u"否"_s},
        {false, Format::YesNo, u"否"_s},
        {u"0"_s, Format::YesNo, u"否"_s},
        {0.0, Format::YesNo, u"否"_s},
        {nullInt, Format::YesNo, u""_s},
        {12.5, Format::Points, u"12.5"_s},
        {12.0, Format::Points, u"12"_s},
        {0.1 + 0.2, Format::Points, u"0.3"_s},
        {0.30000000000000004, Format::Points, u"0.3"_s},
        {100, Format::Points, u"100"_s},
        {1000000.0, Format::Points, u"1000000"_s},
        {1234.567, Format::Points, u"1234.57"_s},
        {-3.25, Format::Points, u"-3.25"_s},
        {-0.001, Format::Points, u"0"_s},
        {u"7.50"_s, Format::Points, u"7.5"_s},
        {nullReal, Format::Points, u""_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RecordGrid::format(c.value, c.format), c.shown)
            << c.value.toString().toStdString() << " as " << int(c.format);
}

TEST_F(RecordGridTest, ColumnsFollowFieldNamesWithCentredTitlesAndFormattedCells)
{
    home.exec(u"insert into 会员卡信息 (会员卡号, 卡类别, 会员姓名, 积分, 口头挂失标志) values "
              "('A001', '金卡', null, ?, 1), ('A002', '银卡', '李四', 12, 0)"_s,
              {0.30000000000000004});
    QList<GridColumn> columns = memberColumns;
    columns.removeAt(2);
    columns << GridColumn{u"车牌号"_s, u"车牌"_s};
    grid.setColumns(columns);
    grid.setSource(&query);
    // Another order than the grid's and without 车牌号: columns are found by name.
    open(u"select 积分, 口头挂失标志, 会员姓名, 会员卡号 from 会员卡信息 order by 会员卡号"_s);

    EXPECT_EQ(titles(), (QStringList{u"卡号"_s, u"会员姓名"_s, u"积分"_s, u"挂失"_s, u"车牌"_s}));
    const QAbstractItemModel* model = grid.view()->model();
    const QStringList rows[] = {
        {u"A001"_s, u""_s, u"0.3"_s, u"是"_s, u""_s},
        {u"A002"_s, u"李四"_s, u"12"_s, u"否"_s, u""_s},
    };
    ASSERT_EQ(model->rowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < columns.size(); ++column) {
            const QModelIndex index = model->index(row, column);
            EXPECT_EQ(index.data().toString(), rows[row].at(column)) << row << "," << column;
            EXPECT_EQ(grid.displayText(row, columns.at(column).field), rows[row].at(column))
                << row << "," << column;
            EXPECT_EQ(index.data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
            EXPECT_FALSE(index.flags() & Qt::ItemIsEditable);
        }
    }
    for (int column = 0; column < columns.size(); ++column)
        EXPECT_EQ(model->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                  int(Qt::AlignCenter));
    EXPECT_DOUBLE_EQ(grid.value(0, u"积分"_s).toDouble(), 0.30000000000000004);
    EXPECT_TRUE(grid.value(0, u"会员姓名"_s).isNull());
    EXPECT_FALSE(grid.value(0, u"车牌号"_s).isValid());
    EXPECT_EQ(grid.currentValue(u"会员卡号"_s).toString(), u"A001"_s);
}

TEST_F(RecordGridTest, FooterCountsAndSumsEveryRowWhileRowsAreFetchedLazily)
{
    addMembers(2000);
    bind();
    open(u"select * from 会员卡信息 order by 会员卡号"_s);

    const int first = fetched();
    EXPECT_LT(first, 2000);
    EXPECT_EQ(grid.footerText(u"会员卡号"_s), u"合计"_s);
    EXPECT_EQ(grid.footerText(u"会员姓名"_s), u"2000"_s);
    EXPECT_EQ(grid.footerText(u"积分"_s), u"200100"_s);
    EXPECT_EQ(grid.footerText(u"卡类别"_s), u""_s);
    EXPECT_EQ(grid.footerText(u"地址"_s), u""_s);

    open(u"select * from 会员卡信息 where 口头挂失标志 = 1"_s);
    EXPECT_EQ(grid.footerText(u"会员姓名"_s), u"1000"_s);
    EXPECT_EQ(grid.footerText(u"积分"_s), u"100000"_s);

    home.exec(u"insert into 会员卡信息 (会员卡号, 积分, 口头挂失标志) values ('X1', 5.5, 1)"_s);
    grid.refreshFooters();
    EXPECT_EQ(grid.footerText(u"会员姓名"_s), u"1001"_s);
    EXPECT_EQ(grid.footerText(u"积分"_s), u"100005.5"_s);

    // A sum over a column the statement lacks leaves that cell empty, not the whole footer.
    open(u"select 会员卡号, 会员姓名 from 会员卡信息"_s);
    EXPECT_EQ(grid.footerText(u"会员姓名"_s), u"2001"_s);
    EXPECT_EQ(grid.footerText(u"积分"_s), u""_s);

    query.close();
    EXPECT_EQ(grid.footerText(u"会员姓名"_s), u""_s);
    EXPECT_EQ(grid.footerText(u"会员卡号"_s), u"合计"_s);

    // Scrolling to the end is what fetches the next rows.
    open(u"select * from 会员卡信息 order by 会员卡号"_s);
    showGrid();
    ASSERT_EQ(fetched(), first);
    grid.view()->scrollToBottom();
    QApplication::processEvents();
    EXPECT_GT(fetched(), first);
    EXPECT_LT(fetched(), 2001);
}

TEST_F(RecordGridTest, TitleClicksSortOnTheEngineAndMarkTheKeys)
{
    addMembers(2000);
    bind();
    open(u"select * from 会员卡信息"_s);
    showGrid();

    struct Step
    {
        int column;
        Qt::KeyboardModifiers modifiers;
        QStringList titles;
        QString orderBy;      // what the engine is asked for the same rows
        QString compareField; // a field whose first values the order settles
    };
    const QString card = u"会员卡号"_s;
    const Step steps[] = {
        {3, {}, {u"卡号"_s, u"会员姓名"_s, u"卡类别"_s, u"积分 ▲"_s, u"挂失"_s}, u"积分"_s, card},
        {3, {}, {u"卡号"_s, u"会员姓名"_s, u"卡类别"_s, u"积分 ▼"_s, u"挂失"_s}, u"积分 desc"_s, card},
        {2, {}, {u"卡号"_s, u"会员姓名"_s, u"卡类别 ▲"_s, u"积分"_s, u"挂失"_s}, u"卡类别"_s, u"卡类别"_s},
        {3,
         Qt::ControlModifier,
         {u"卡号"_s, u"会员姓名"_s, u"卡类别 ▲1"_s, u"积分 ▲2"_s, u"挂失"_s},
         u"卡类别, 积分"_s,
         card},
        {3,
         Qt::ControlModifier,
         {u"卡号"_s, u"会员姓名"_s, u"卡类别 ▲1"_s, u"积分 ▼2"_s, u"挂失"_s},
         u"卡类别, 积分 desc"_s,
         card},
        // Plain click on the first key flips it and drops the others.
        {2,
         {},
         {u"卡号"_s, u"会员姓名"_s, u"卡类别 ▼"_s, u"积分"_s, u"挂失"_s},
         u"卡类别 desc"_s,
         u"卡类别"_s},
        {0,
         Qt::ControlModifier,
         {u"卡号 ▲2"_s, u"会员姓名"_s, u"卡类别 ▼1"_s, u"积分"_s, u"挂失"_s},
         u"卡类别 desc, 会员卡号"_s,
         card},
        // Plain click on a later key makes it the only one, ascending.
        {0, {}, {u"卡号 ▲"_s, u"会员姓名"_s, u"卡类别"_s, u"积分"_s, u"挂失"_s}, u"会员卡号"_s, card},
    };
    for (const Step& s : steps) {
        const QString what = s.orderBy;
        grid.setCurrentRow(40);
        clickTitle(s.column, s.modifiers);
        EXPECT_EQ(titles(), s.titles) << what.toStdString();
        EXPECT_EQ(gridValues(s.compareField, 20), engineValues(s.compareField, s.orderBy, 20))
            << what.toStdString();
        EXPECT_EQ(grid.currentRow(), 0) << what.toStdString();
        EXPECT_LT(fetched(), 2000) << what.toStdString();
    }

    grid.sortBy(u"卡类别"_s);
    grid.sortBy(u"积分"_s, true);
    grid.sortBy(u"积分"_s, true);
    EXPECT_EQ(titles(), (QStringList{u"卡号"_s, u"会员姓名"_s, u"卡类别 ▲1"_s, u"积分 ▼2"_s, u"挂失"_s}));
    grid.view()->setColumnWidth(1, 150);
    snapshot(&grid, u"record-grid"_s);

    // A new statement forgets the keys; the titles follow once it is open.
    open(u"select * from 会员卡信息 where 口头挂失标志 = 0"_s);
    EXPECT_EQ(titles(), (QStringList{u"卡号"_s, u"会员姓名"_s, u"卡类别"_s, u"积分"_s, u"挂失"_s}));

    // A field the statement lacks is no sort key.
    open(u"select 会员卡号 from 会员卡信息"_s);
    grid.sortBy(u"积分"_s);
    EXPECT_TRUE(query.sortKeys().isEmpty());
    EXPECT_TRUE(messages.shown().isEmpty());
}

TEST_F(RecordGridTest, FindNextSearchesPastTheFetchedRowsAndWraps)
{
    addMembers(2000);
    bind();
    open(u"select * from 会员卡信息 order by 会员卡号"_s);
    ASSERT_LT(fetched(), 1800);

    struct Case
    {
        QString text;
        QString field;
        Qt::CaseSensitivity cs;
        bool found;
        int rowAfter;
    };
    const Case cases[] = {
        {u"C01800"_s, {}, Qt::CaseInsensitive, true, 1799},
        {u"C00005"_s, {}, Qt::CaseInsensitive, true, 4},               // round from the end to the top
        {u"会员1800"_s, u"会员卡号"_s, Qt::CaseInsensitive, false, 4}, // only the column asked
        {u"会员1800"_s, u"会员姓名"_s, Qt::CaseInsensitive, true, 1799},
        {u"会员1800"_s, {}, Qt::CaseInsensitive, true, 1799}, // the current row itself comes last
        {u"c00010"_s, {}, Qt::CaseInsensitive, true, 9},
        {u"c00011"_s, {}, Qt::CaseSensitive, false, 9},
        {u"是"_s, u"口头挂失标志"_s, Qt::CaseInsensitive, true, 10}, // the shown text is searched
        {u"无此人"_s, {}, Qt::CaseInsensitive, false, 10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(grid.findNext(c.text, c.field, c.cs), c.found) << c.text.toStdString();
        EXPECT_EQ(grid.currentRow(), c.rowAfter) << c.text.toStdString();
    }
    EXPECT_EQ(grid.view()->currentIndex().column(), 4);
    EXPECT_TRUE(grid.view()->selectionModel()->isRowSelected(10, {}));
}

TEST_F(RecordGridTest, FindDialogStepsToMatchesAndSaysWhenThereIsNone)
{
    addMembers(2000);
    bind();
    open(u"select * from 会员卡信息 order by 会员卡号"_s);
    showGrid();
    grid.view()->setFocus();

    QTest::keyClick(grid.view(), Qt::Key_F, Qt::ControlModifier);
    auto* dialog = grid.findChild<QDialog*>(u"findDialog"_s);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), u"查找"_s);

    auto* text = dialog->findChild<QLineEdit*>(u"findText"_s);
    auto* column = dialog->findChild<QComboBox*>(u"findColumn"_s);
    auto* caseSensitive = dialog->findChild<QCheckBox*>(u"findCase"_s);
    auto* next = dialog->findChild<QPushButton*>(u"findNext"_s);
    ASSERT_TRUE(text && column && caseSensitive && next);
    EXPECT_EQ(next->text(), u"查找下一个"_s);
    EXPECT_EQ(caseSensitive->text(), u"区分大小写"_s);
    QStringList offered;
    for (int i = 0; i < column->count(); ++i)
        offered << column->itemText(i);
    EXPECT_EQ(offered,
              (QStringList{u"全部列"_s, u"卡号"_s, u"会员姓名"_s, u"卡类别"_s, u"积分"_s, u"挂失"_s}));
    QStringList buddied;
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        if (label->buddy())
            buddied << label->text();
    EXPECT_TRUE(buddied.contains(u"查找内容"_s) && buddied.contains(u"查找列"_s))
        << buddied.join(u',').toStdString();

    snapshot(dialog, u"record-grid-find"_s);
    text->setText(u"会员1500"_s);
    column->setCurrentIndex(column->findText(u"会员姓名"_s));
    next->click();
    EXPECT_EQ(grid.currentRow(), 1499);
    EXPECT_TRUE(messages.shown().isEmpty());

    text->setText(u"不存在的会员"_s);
    next->click();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.last().icon, MessageService::Icon::Information);
    EXPECT_EQ(messages.last().caption, u"提示"_s);
    EXPECT_EQ(messages.last().text, u"没有找到“不存在的会员”。"_s);
    EXPECT_EQ(grid.currentRow(), 1499);
}

TEST_F(RecordGridTest, CurrentRowAndDoubleClickSpeakInQueryRows)
{
    addMembers(30);
    bind();
    QSignalSpy changed(&grid, &RecordGrid::currentRowChanged);
    QSignalSpy doubleClicked(&grid, &RecordGrid::rowDoubleClicked);
    open(u"select * from 会员卡信息 order by 会员卡号"_s);
    showGrid();
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_EQ(changed.last().at(0).toInt(), 0);
    EXPECT_EQ(grid.currentRow(), 0);

    grid.setCurrentRow(3);
    EXPECT_EQ(changed.last().at(0).toInt(), 3);
    EXPECT_EQ(grid.currentValue(u"会员卡号"_s).toString(), u"C00004"_s);

    // A reopen shows other rows, so it is told even though the row number is 0 again.
    grid.setCurrentRow(0);
    changed.clear();
    open(u"select * from 会员卡信息 order by 会员卡号 desc"_s);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed.last().at(0).toInt(), 0);
    EXPECT_EQ(grid.currentValue(u"会员卡号"_s).toString(), u"C00030"_s);

    const QRect cell = grid.view()->visualRect(grid.view()->model()->index(2, 1));
    // What a real double click delivers: the view takes the double click only on the row it
    // was pressed on, and QTest's double click alone carries no press.
    QWidget* viewport = grid.view()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, cell.center());
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(doubleClicked.size(), 1);
    EXPECT_EQ(doubleClicked.last().at(0).toInt(), 2);
    EXPECT_EQ(grid.currentRow(), 2);

    open(u"select * from 会员卡信息 where 1 = 0"_s);
    EXPECT_EQ(grid.currentRow(), -1);
    EXPECT_EQ(changed.last().at(0).toInt(), -1);
    EXPECT_FALSE(grid.currentValue(u"会员卡号"_s).isValid());
}

TEST_F(RecordGridTest, FooterCellsStayUnderTheirColumns)
{
    addMembers(300);
    bind();
    open(u"select * from 会员卡信息 order by 会员卡号"_s);
    showGrid(420, 300);

    auto expectAligned = [&](const char* after) {
        for (int i = 0; i < memberColumns.size(); ++i) {
            const auto* cell = grid.findChild<QLabel*>(u"footer_"_s + memberColumns.at(i).field);
            ASSERT_NE(cell, nullptr) << after;
            const int sectionX =
                header()->viewport()->mapTo(&grid, QPoint(header()->sectionViewportPosition(i), 0)).x();
            EXPECT_EQ(cell->mapTo(&grid, QPoint(0, 0)).x(), sectionX) << after << " column " << i;
            EXPECT_EQ(cell->width(), header()->sectionSize(i)) << after << " column " << i;
            EXPECT_GE(cell->mapTo(&grid, QPoint(0, 0)).y(), grid.view()->geometry().bottom()) << after;
        }
    };
    expectAligned("opening");

    const std::pair<const char*, std::function<void()>> steps[] = {
        {"resize", [&] { grid.view()->setColumnWidth(1, 200); }},
        {"move", [&] { header()->moveSection(header()->visualIndex(0), 4); }},
        {"scroll",
         [&] {
             grid.view()->horizontalScrollBar()->setValue(grid.view()->horizontalScrollBar()->maximum());
         }},
        {"sort", [&] { clickTitle(3); }},
        {"grid resize", [&] { grid.resize(700, 300); }},
    };
    for (const auto& [what, step] : steps) {
        step();
        QApplication::processEvents();
        expectAligned(what);
    }
    // Sorting reopened the query: the operator's widths and order stay.
    EXPECT_EQ(header()->sectionSize(1), 200);
    QStringList order;
    for (const GridColumn& c : grid.visibleColumns())
        order << c.field;
    EXPECT_EQ(order, (QStringList{u"会员姓名"_s, u"卡类别"_s, u"积分"_s, u"口头挂失标志"_s, u"会员卡号"_s}));
}

} // namespace
