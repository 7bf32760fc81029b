#include "loss/losslistscreen.h"

#include "controls/enterchain.h"
#include "controls/inputs.h"
#include "controls/messageservice.h"
#include "controls/screens.h"
#include "data/tdm1.h"
#include "sheets/listexport.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

LossListScreen::LossListScreen(TDM1& dm, const LossViews::View& view, const QString& listCaption,
                               const QList<GridColumn>& columns, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_view(view), m_grid(new RecordGrid(this)), m_column(new QComboBox(this)),
      m_value(new QLineEdit(this)), m_export(nullptr)
{
    setWindowTitle(QString::fromUtf8(view.caption));

    auto* filterBox = new QGroupBox(u"快速查找"_s, this);
    auto* filterLayout = new QHBoxLayout(filterBox);
    m_column->setObjectName(u"ComboBox1"_s);
    makeTypable(m_column);
    m_column->setAccessibleName(u"查找列"_s);
    m_column->setMinimumWidth(110);
    m_value->setObjectName(u"Edit1"_s);
    m_value->setAccessibleName(u"查找值"_s);
    auto* equals = new QLabel(u"="_s, this);
    equals->setBuddy(m_value);
    auto* findButton = new QPushButton(u"查找"_s, this);
    findButton->setObjectName(u"BitBtn1"_s);
    filterLayout->addWidget(m_column);
    filterLayout->addWidget(equals);
    filterLayout->addWidget(m_value, 1);
    filterLayout->addWidget(findButton);

    auto* all = new QPushButton(u"显示全部"_s, this);
    auto* excel = new QPushButton(u"EXCEL"_s, this);
    auto* quit = new QPushButton(u"退出"_s, this);
    all->setObjectName(u"BitBtn2"_s);
    excel->setObjectName(u"BitBtn3"_s);
    quit->setObjectName(u"BitBtn4"_s);

    auto* top = new QHBoxLayout;
    top->addWidget(filterBox, 1);
    top->addWidget(all);
    top->addWidget(excel);
    top->addWidget(quit);

    auto* list = new QGroupBox(listCaption, this);
    auto* listLayout = new QVBoxLayout(list);
    m_grid->setObjectName(u"DBGridEh1"_s);
    m_grid->setColumns(columns);
    m_grid->setSelection(RecordGrid::Selection::Row);
    m_grid->setToolTip(u"单击列头可实现排序"_s);
    m_grid->setSource(LossViews::queryOf(dm, view));
    listLayout->addWidget(m_grid);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list, 1);
    resize(900, 520);

    m_export = new ListExport(m_grid, {u"提示！"_s, u"倒出数据成功！"_s, false}, this);
    auto* enter = new EnterChain(this);
    enter->linkToAction(m_value, [this] { find(); });
    connect(findButton, &QPushButton::clicked, this, &LossListScreen::find);
    connect(all, &QPushButton::clicked, this, &LossListScreen::showAll);
    connect(excel, &QPushButton::clicked, m_export, &ListExport::run);
    Screens::closeOnClick(quit, this);
    Screens::whenOpened(this, [this] { opening(); });
}

void LossListScreen::opening()
{
    m_column->clear();
    m_column->addItems(m_view.filterColumns);
    m_column->setCurrentIndex(0);
    m_value->clear();
}

void LossListScreen::showAll()
{
    const QString failed = LossViews::showAll(m_dm, m_view);
    if (!failed.isEmpty())
        MessageService::notify(this, Notice::plain(failed));
}

void LossListScreen::find()
{
    const QString failed = LossViews::filter(m_dm, m_view, m_column->currentText(), m_value->text());
    if (!failed.isEmpty())
        MessageService::notify(this, Notice::plain(failed));
}

Tkoutoujilu::Tkoutoujilu(TDM1& dm, QWidget* parent)
    : LossListScreen(dm, LossViews::verbal(), u"口头挂失历史记录"_s,
                     {{u"会员卡号"_s},
                      {u"会员姓名"_s},
                      {u"口头挂失日期"_s},
                      {u"口头挂失时间"_s},
                      {u"挂失经手人"_s},
                      {u"取消挂失日期"_s},
                      {u"取消挂失时间"_s},
                      {u"取消挂失经手人"_s}},
                     parent)
{
    setObjectName(u"koutoujilu"_s);
}

Tguashilishi::Tguashilishi(TDM1& dm, QWidget* parent)
    : LossListScreen(dm, LossViews::formal(), u"全部挂失历史记录"_s,
                     {{u"旧卡号"_s},
                      {u"新卡号"_s},
                      {u"会员姓名"_s},
                      {u"原有积分"_s, {}, DisplayFormat::Points},
                      {u"日期"_s},
                      {u"时间"_s},
                      {u"经手人"_s}},
                     parent)
{
    setObjectName(u"guashilishi"_s);
}
