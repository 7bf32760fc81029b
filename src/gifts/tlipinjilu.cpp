#include "gifts/tlipinjilu.h"

#include "controls/heading.h"
#include "controls/messageservice.h"
#include "controls/recordgrid.h"
#include "data/tdm1.h"
#include "gifts/giftrecords.h"
#include "sheets/listexport.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Tlipinjilu::Tlipinjilu(TDM1& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_dm(dm),
      m_grid(new RecordGrid(this)), m_export(nullptr)
{
    setObjectName(u"lipinjilu"_s);
    setWindowTitle(u"礼品使用历史记录"_s);

    m_grid->setObjectName(u"DBGridEh1"_s);
    m_grid->setColumns({{u"单据号"_s},
                        {u"会员卡号"_s},
                        {u"会员姓名"_s},
                        {u"礼品名称"_s},
                        {u"单位"_s},
                        {u"数量"_s, {}, DisplayFormat::Points},
                        {u"日期"_s},
                        {u"经手人"_s}});
    m_grid->setSelection(RecordGrid::Selection::Cell);
    m_grid->setToolTip(u"单击列头可实现排序"_s);
    m_grid->setSource(m_dm.ADOQuery15);
    m_grid->setCellWriter([this](int row, const QString& field, const QString& text) {
        return writeCell(row, field, text);
    });

    auto* excel = new QPushButton(u"EXCEL"_s, this);
    auto* quit = new QPushButton(u"退出"_s, this);
    excel->setObjectName(u"BitBtn1"_s);
    quit->setObjectName(u"BitBtn2"_s);
    for (QPushButton* b : {excel, quit})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(excel);
    buttons->addWidget(quit);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(makeHeading(u"礼品使用历史记录"_s, this));
    layout->addWidget(m_grid, 1);
    layout->addLayout(buttons);
    resize(960, 560);

    m_export = new ListExport(m_grid, {u"提示！"_s, u"倒出数据成功！"_s, false}, this);
    connect(excel, &QPushButton::clicked, m_export, &ListExport::run);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);

    // Made for one use: the opening state is set here, once.
    const QString failed = GiftRecords::showAll(m_dm);
    if (!failed.isEmpty())
        MessageService::notify(this, Notice::plain(failed));
}

QString Tlipinjilu::writeCell(int row, const QString& field, const QString& text)
{
    const GiftRecords::Row key{m_grid->value(row, u"单据号"_s), m_grid->value(row, u"礼品名称"_s),
                               m_grid->value(row, u"单位"_s)};
    return GiftRecords::writeCell(m_dm.ADOConnection1(), key, field, m_grid->value(row, field), text);
}
