#include "gifts/tkucunchaxun.h"

#include "controls/enterchain.h"
#include "controls/heading.h"
#include "controls/messageservice.h"
#include "controls/recordgrid.h"
#include "data/tdm1.h"
#include "gifts/giftstock.h"
#include "sheets/listexport.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Tkucunchaxun::Tkucunchaxun(TDM1& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_dm(dm),
      m_grid(new RecordGrid(this)), m_name(new QLineEdit(this)), m_unit(new QLineEdit(this)), m_export(nullptr)
{
    setObjectName(u"kucunchaxun"_s);
    setWindowTitle(u"礼品库存查询"_s);

    auto* list = new QGroupBox(u"全部库存礼品列表"_s, this);
    auto* listLayout = new QVBoxLayout(list);
    m_grid->setObjectName(u"DBGridEh1"_s);
    m_grid->setColumns({{u"礼品名称"_s}, {u"单位"_s}, {u"数量"_s, {}, DisplayFormat::Points}});
    m_grid->setFooters({{u"单位"_s, GridFooter::Kind::Text, u"合计数量"_s},
                        {u"数量"_s, GridFooter::Kind::Sum, {}, u"数量"_s}});
    m_grid->setSelection(RecordGrid::Selection::Row);
    m_grid->setToolTip(u"单击列头可实现排序"_s);
    m_grid->setSource(m_dm.ADOQuery13);
    const int widths[] = {180, 100, 100};
    for (int i = 0; i < int(std::size(widths)); ++i)
        m_grid->view()->horizontalHeader()->resizeSection(i, widths[i]);
    listLayout->addWidget(m_grid);

    auto* search = new QGroupBox(u"按商品查询"_s, this);
    auto* searchLayout = new QGridLayout(search);
    m_name->setObjectName(u"Edit1"_s);
    m_unit->setObjectName(u"Edit2"_s);
    auto* nameLabel = new QLabel(u"礼品名"_s, this);
    auto* unitLabel = new QLabel(u"包装单位"_s, this);
    nameLabel->setBuddy(m_name);
    unitLabel->setBuddy(m_unit);
    m_name->setAccessibleName(nameLabel->text());
    m_unit->setAccessibleName(unitLabel->text());
    searchLayout->addWidget(nameLabel, 0, 0);
    searchLayout->addWidget(m_name, 0, 1);
    searchLayout->addWidget(unitLabel, 1, 0);
    searchLayout->addWidget(m_unit, 1, 1);

    auto* query = new QPushButton(u"查询"_s, this);
    auto* all = new QPushButton(u"显示全部"_s, this);
    auto* remove = new QPushButton(u"删除"_s, this);
    auto* excel = new QPushButton(u"EXCEL"_s, this);
    auto* quit = new QPushButton(u"退出"_s, this);
    excel->setToolTip(u"将数据导出到EXCEL文件！"_s);
    const QList<QPushButton*> buttons{query, all, remove, excel, quit};
    auto* side = new QVBoxLayout;
    side->addWidget(search);
    side->addSpacing(8);
    for (int i = 0; i < buttons.size(); ++i) {
        buttons.at(i)->setObjectName(u"BitBtn%1"_s.arg(i + 1));
        buttons.at(i)->setAutoDefault(false);
        side->addWidget(buttons.at(i));
    }
    side->addStretch();

    auto* body = new QHBoxLayout;
    body->addWidget(list, 1);
    body->addLayout(side);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(makeHeading(u"礼品库存查询"_s, this));
    layout->addLayout(body, 1);
    resize(720, 520);

    m_export = new ListExport(m_grid, {u"提示！"_s, u"导出数据成功！"_s, false}, this);
    auto* enter = new EnterChain(this);
    // Enter moves from the name to the unit, and in the unit runs the search.
    enter->link(m_name, m_unit);
    enter->linkToButton(m_unit, query);
    connect(query, &QPushButton::clicked, this, &Tkucunchaxun::showOne);
    connect(all, &QPushButton::clicked, this, &Tkucunchaxun::showAll);
    connect(remove, &QPushButton::clicked, this, &Tkucunchaxun::removeCurrent);
    connect(excel, &QPushButton::clicked, m_export, &ListExport::run);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);

    // Made for one use: the opening state is set here, once.
    m_name->clear();
    m_unit->clear();
    showAll();
    m_name->setFocus(Qt::OtherFocusReason);
}

void Tkucunchaxun::showAll()
{
    const QString failed = GiftStock::showAll(m_dm);
    if (!failed.isEmpty())
        MessageService::notify(this, Notice::plain(failed));
}

void Tkucunchaxun::showOne()
{
    if (const auto refusal = GiftStock::showOne(m_dm, m_name->text(), m_unit->text())) {
        MessageService::notify(this, *refusal);
        if (refusal->kind == Notice::Kind::Error)
            (m_name->text().isEmpty() ? m_name : m_unit)->setFocus(Qt::OtherFocusReason);
    }
}

void Tkucunchaxun::removeCurrent()
{
    if (!MessageService::question(this, u"提示"_s, u"确实要删除该礼品的库存？该操作不可恢复！请谨慎操作！"_s))
        return;
    const int row = m_grid->currentRow();
    std::optional<std::pair<QVariant, QVariant>> gift;
    if (row >= 0)
        gift = {m_grid->value(row, u"礼品名称"_s), m_grid->value(row, u"单位"_s)};
    const Outcome o = GiftStock::remove(m_dm.ADOConnection1(), gift);
    MessageService::notify(this, o.notice);
    if (o.ok) {
        // The statement on show stays: a filtered list is refreshed as filtered.
        const QString failed = m_dm.ADOQuery13->open();
        if (!failed.isEmpty())
            MessageService::notify(this, Notice::plain(failed));
    }
}
