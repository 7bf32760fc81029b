#include "points/txiangxijilu.h"

#include "controls/inputs.h"
#include "controls/messageservice.h"
#include "controls/recordgrid.h"
#include "controls/screens.h"
#include "data/clock.h"
#include "data/tdm1.h"
#include "sheets/listexport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Txiangxijilu::Txiangxijilu(TDM1& dm, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_from(new QDateEdit(this)), m_to(new QDateEdit(this)), m_column(new QComboBox(this)),
      m_value(new QLineEdit(this)), m_allDates(new QCheckBox(u"查询全部日期"_s, this)),
      m_allOther(new QCheckBox(u"查询全部其他条件"_s, this)), m_grid(new RecordGrid(this)), m_export(nullptr)
{
    setObjectName(u"xiangxijilu"_s);
    setWindowTitle(u"会员积分增减历史记录"_s);

    m_from->setObjectName(u"DateTimePicker1"_s);
    m_to->setObjectName(u"DateTimePicker2"_s);
    for (QDateEdit* d : {m_from, m_to}) {
        makeDatePicker(d);
    }
    m_column->setObjectName(u"ComboBox1"_s);
    makeTypable(m_column);
    m_column->setAccessibleName(u"查询列"_s);
    m_value->setObjectName(u"Edit1"_s);
    m_value->setAccessibleName(u"查询值"_s);
    m_allDates->setObjectName(u"CheckBox1"_s);
    m_allOther->setObjectName(u"CheckBox2"_s);

    auto* dates = new QGroupBox(u"日期条件"_s, this);
    auto* datesLayout = new QHBoxLayout(dates);
    auto* fromLabel = new QLabel(u"日期从"_s, this);
    fromLabel->setBuddy(m_from);
    auto* toLabel = new QLabel(u"到"_s, this);
    toLabel->setBuddy(m_to);
    datesLayout->addWidget(fromLabel);
    datesLayout->addWidget(m_from);
    datesLayout->addWidget(toLabel);
    datesLayout->addWidget(m_to);

    auto* other = new QGroupBox(u"其他条件"_s, this);
    auto* otherLayout = new QHBoxLayout(other);
    auto* equals = new QLabel(u"="_s, this);
    equals->setStyleSheet(u"color: #d01010; font-weight: bold;"_s);
    equals->setBuddy(m_value);
    otherLayout->addWidget(m_column);
    otherLayout->addWidget(equals);
    otherLayout->addWidget(m_value, 1);

    auto* boxes = new QVBoxLayout;
    boxes->addWidget(m_allDates);
    boxes->addWidget(m_allOther);

    auto* query = new QPushButton(u"开始查询"_s, this);
    auto* remove = new QPushButton(u"删除记录"_s, this);
    auto* excel = new QPushButton(u"EXCEL"_s, this);
    auto* quit = new QPushButton(u"退出"_s, this);
    query->setObjectName(u"BitBtn1"_s);
    remove->setObjectName(u"BitBtn2"_s);
    excel->setObjectName(u"BitBtn3"_s);
    quit->setObjectName(u"BitBtn4"_s);
    auto* buttons = new QGridLayout;
    buttons->addWidget(query, 0, 0);
    buttons->addWidget(remove, 0, 1);
    buttons->addWidget(excel, 1, 0);
    buttons->addWidget(quit, 1, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(dates);
    top->addWidget(other, 1);
    top->addLayout(boxes);
    top->addLayout(buttons);

    m_grid->setObjectName(u"DBGridEh1"_s);
    using F = DisplayFormat;
    m_grid->setColumns({{u"会员卡号"_s},
                        {u"会员姓名"_s},
                        {u"商品"_s},
                        {u"兑换礼品"_s},
                        {u"返现金"_s, {}, F::Points},
                        {u"增减积分"_s, {}, F::Points},
                        {u"增减原因"_s},
                        {u"日期"_s},
                        {u"时间"_s},
                        {u"经手人"_s}});
    m_grid->setFooters({{u"会员卡号"_s, GridFooter::Kind::Text, u"合计次数"_s},
                        {u"会员姓名"_s, GridFooter::Kind::Count},
                        {u"返现金"_s, GridFooter::Kind::Text, u"合计积分"_s},
                        {u"增减积分"_s, GridFooter::Kind::Sum, {}, u"增减积分"_s}});
    m_grid->setSelection(RecordGrid::Selection::Row);
    m_grid->setToolTip(u"单击列头可实现排序"_s);
    m_grid->setSource(m_dm.ADOQuery8);
    const int widths[] = {100, 100, 120, 120, 65, 65, 100, 100, 100, 90};
    for (int i = 0; i < int(std::size(widths)); ++i)
        m_grid->view()->horizontalHeader()->resizeSection(i, widths[i]);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    resize(1080, 600);

    m_export = new ListExport(m_grid, {u"提示"_s, u"导出数据成功！"_s, true}, this);
    connect(query, &QPushButton::clicked, this, &Txiangxijilu::runQuery);
    connect(remove, &QPushButton::clicked, this, &Txiangxijilu::deleteCurrent);
    connect(excel, &QPushButton::clicked, m_export, &ListExport::run);
    Screens::closeOnClick(quit, this);
    Screens::whenOpened(this, [this] { opening(); });
}

void Txiangxijilu::opening()
{
    m_column->clear();
    m_column->addItems(History::filterColumns());
    m_column->setCurrentIndex(0);
    m_value->clear();
    m_from->setDate(Clock::today());
    m_to->setDate(Clock::today());
    m_allDates->setChecked(true);
    m_allOther->setChecked(true);
    m_dm.ADOQuery8->close();
    runQuery();
}

void Txiangxijilu::runQuery()
{
    History::Filter f;
    f.allDates = m_allDates->isChecked();
    f.from = m_from->date();
    f.to = m_to->date();
    f.allOther = m_allOther->isChecked();
    f.column = m_column->currentText();
    f.value = m_value->text();
    const QString failed = History::run(m_dm, f);
    if (!failed.isEmpty())
        MessageService::notify(this, Notice::plain(failed));
}

void Txiangxijilu::deleteCurrent()
{
    const int row = m_grid->currentRow();
    if (row < 0)
        return;
    if (!MessageService::question(this, u"提示"_s, u"确实删除该历史记录？该操作不可恢复！请谨慎操作！"_s))
        return;
    const Outcome o = History::deleteEntry(m_dm.ADOConnection1(), m_grid->value(row, u"编号"_s).toString());
    if (o.ok)
        m_dm.ADOQuery8->open(); // the row leaves the list and the footer follows
    MessageService::notify(this, o.notice);
}
