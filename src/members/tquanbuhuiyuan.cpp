#include "members/tquanbuhuiyuan.h"

#include "controls/fieldevents.h"
#include "controls/inputs.h"
#include "controls/messageservice.h"
#include "controls/recordgrid.h"
#include "controls/screens.h"
#include "data/clock.h"
#include "data/tdm1.h"
#include "members/categories.h"
#include "members/membergrid.h"
#include "sheets/listexport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Tquanbuhuiyuan::Tquanbuhuiyuan(TDM1& dm, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_from(new QDateEdit(this)), m_to(new QDateEdit(this)),
      m_allDates(new QCheckBox(u"显示全部起用日期"_s, this)), m_low(new QLineEdit(this)), m_high(new QLineEdit(this)),
      m_allPoints(new QCheckBox(u"显示全部积分"_s, this)), m_category(new QComboBox(this)),
      m_allCategories(new QCheckBox(u"显示全部卡类别"_s, this)), m_query(new QPushButton(u"开始查询"_s, this)),
      m_export(new QPushButton(u"EXCEL"_s, this)), m_grid(new RecordGrid(this))
{
    setObjectName(u"quanbuhuiyuan"_s);
    setWindowTitle(u"全部会员信息"_s);

    m_from->setObjectName(u"DateTimePicker1"_s);
    m_to->setObjectName(u"DateTimePicker2"_s);
    for (QDateEdit* d : {m_from, m_to}) {
        makeDatePicker(d);
    }
    m_allDates->setObjectName(u"CheckBox1"_s);
    m_low->setObjectName(u"Edit1"_s);
    m_high->setObjectName(u"Edit2"_s);
    m_low->setAccessibleName(u"最低积分"_s);
    m_high->setAccessibleName(u"最高积分"_s);
    for (QLineEdit* e : {m_low, m_high}) {
        e->setFixedWidth(90);
        FieldEvents::acceptDecimalKeys(e);
    }
    m_allPoints->setObjectName(u"CheckBox2"_s);
    m_category->setObjectName(u"ComboBox1"_s);
    makeTypable(m_category);
    m_category->setAccessibleName(u"卡类别"_s);
    m_category->setMinimumWidth(120);
    m_allCategories->setObjectName(u"CheckBox3"_s);
    auto* quit = new QPushButton(u"退出"_s, this);
    m_query->setObjectName(u"BitBtn1"_s);
    m_export->setObjectName(u"BitBtn2"_s);
    quit->setObjectName(u"BitBtn3"_s);

    auto* dates = new QGroupBox(u"起用日期"_s, this);
    auto* datesLayout = new QGridLayout(dates);
    auto* fromLabel = new QLabel(u"日期从"_s, this);
    fromLabel->setBuddy(m_from);
    auto* toLabel = new QLabel(u"到"_s, this);
    toLabel->setBuddy(m_to);
    datesLayout->addWidget(fromLabel, 0, 0);
    datesLayout->addWidget(m_from, 0, 1);
    datesLayout->addWidget(toLabel, 0, 2);
    datesLayout->addWidget(m_to, 0, 3);
    datesLayout->addWidget(m_allDates, 1, 0, 1, 4);

    auto* others = new QGroupBox(u"其他条件"_s, this);
    auto* othersLayout = new QGridLayout(others);
    auto* pointsLabel = new QLabel(u"≤  积分  ≤"_s, this);
    pointsLabel->setBuddy(m_low);
    othersLayout->addWidget(m_low, 0, 0);
    othersLayout->addWidget(pointsLabel, 0, 1, Qt::AlignCenter);
    othersLayout->addWidget(m_high, 0, 2);
    othersLayout->addWidget(m_allPoints, 0, 3);
    auto* categoryLabel = new QLabel(u"卡类别  ="_s, this);
    categoryLabel->setBuddy(m_category);
    othersLayout->addWidget(categoryLabel, 1, 0, 1, 2, Qt::AlignRight);
    othersLayout->addWidget(m_category, 1, 2);
    othersLayout->addWidget(m_allCategories, 1, 3);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_query);
    buttons->addWidget(m_export);
    buttons->addWidget(quit);

    auto* top = new QHBoxLayout;
    top->addWidget(dates);
    top->addWidget(others);
    top->addLayout(buttons);
    top->addStretch();

    auto* list = new QGroupBox(u"会员列表"_s, this);
    auto* listLayout = new QVBoxLayout(list);
    m_grid->setObjectName(u"DBGridEh1"_s);
    setUpMemberGrid(m_grid, m_dm.ADOQuery5, RecordGrid::Selection::Cell);
    listLayout->addWidget(m_grid);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list, 1);
    resize(1000, 640);

    connect(m_query, &QPushButton::clicked, this, &Tquanbuhuiyuan::runQuery);
    Screens::closeOnClick(quit, this);
    Screens::whenOpened(this, [this] { opening(); });
    auto* exporter = new ListExport(m_grid, {u"提示"_s, u"导出数据成功！"_s, false}, this);
    connect(m_export, &QPushButton::clicked, exporter, &ListExport::run);
}

void Tquanbuhuiyuan::opening()
{
    m_category->clear();
    m_category->addItems(Categories::names(m_dm.ADOConnection1()));
    m_category->setCurrentIndex(m_category->count() > 0 ? 0 : -1);
    m_low->clear();
    m_high->clear();
    m_from->setDate(Clock::today());
    m_to->setDate(Clock::today());
    for (QCheckBox* b : {m_allDates, m_allPoints, m_allCategories})
        b->setChecked(true);
    m_dm.ADOQuery5->close();
    m_query->click();
}

MemberList::Filter Tquanbuhuiyuan::filter() const
{
    MemberList::Filter f;
    f.allDates = m_allDates->isChecked();
    f.from = m_from->date();
    f.to = m_to->date();
    f.allPoints = m_allPoints->isChecked();
    f.low = m_low->text();
    f.high = m_high->text();
    f.allCategories = m_allCategories->isChecked();
    f.category = m_category->currentText();
    return f;
}

void Tquanbuhuiyuan::runQuery()
{
    const MemberList::Filter f = filter();
    if (auto refusal = MemberList::check(f)) {
        // The focus goes first, then the box, so the operator sees where to type.
        if (refusal->field == MemberList::LowField)
            m_low->setFocus(Qt::OtherFocusReason);
        else if (refusal->field == MemberList::CategoryField)
            m_category->setFocus(Qt::OtherFocusReason);
        MessageService::notify(this, *refusal);
        return;
    }
    if (auto failure = MemberList::run(m_dm, f))
        MessageService::notify(this, *failure);
}
