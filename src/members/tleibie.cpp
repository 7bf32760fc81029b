#include "members/tleibie.h"

#include "controls/fieldevents.h"
#include "controls/messageservice.h"
#include "controls/recordgrid.h"
#include "controls/screens.h"
#include "data/tdm1.h"
#include "members/categoryfields.h"
#include "members/tkaleibiexiugai.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Tleibie::Tleibie(TDM1& dm, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_fields(new CategoryFields(this)), m_grid(new RecordGrid(this)),
      m_save(new QPushButton(u"保存"_s, this))
{
    setObjectName(u"leibie"_s);
    setWindowTitle(u"会员类别设置"_s);

    auto* quit = new QPushButton(u"退出"_s, this);
    auto* change = new QPushButton(u"修改卡类别"_s, this);
    auto* remove = new QPushButton(u"删除卡类别"_s, this);
    m_save->setObjectName(u"BitBtn1"_s);
    quit->setObjectName(u"BitBtn2"_s);
    change->setObjectName(u"BitBtn3"_s);
    remove->setObjectName(u"BitBtn4"_s);

    auto* details = new QGroupBox(u"卡类别详细信息"_s, this);
    auto* detailsLayout = new QVBoxLayout(details);
    detailsLayout->addWidget(m_fields);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(quit);
    detailsLayout->addLayout(buttons);

    auto* list = new QGroupBox(u"卡类别列表"_s, this);
    auto* listLayout = new QVBoxLayout(list);
    m_grid->setObjectName(u"DBGridEh1"_s);
    m_grid->setColumns({{u"卡类别"_s},
                        {u"积分比例"_s},
                        {u"允许兑换礼品"_s, {}, GridColumn::Format::YesNo},
                        {u"允许返现金"_s, {}, GridColumn::Format::YesNo}});
    m_grid->setSelection(RecordGrid::Selection::Row);
    m_grid->setSource(m_dm.ADOQuery4);
    listLayout->addWidget(m_grid);
    auto* listButtons = new QHBoxLayout;
    listButtons->addStretch();
    listButtons->addWidget(change);
    listButtons->addWidget(remove);
    listLayout->addLayout(listButtons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(details);
    layout->addWidget(list, 1);
    resize(560, 560);

    m_fields->chainEnterTo(m_save);
    FieldEvents::whenLeft(m_fields->nameField(), [this](QWidget*) {
        if (auto n = Categories::nameTaken(m_dm.ADOConnection1(), m_fields->nameField()->text())) {
            MessageService::notify(this, *n);
            m_fields->focusFor(*n);
        }
    });
    connect(m_save, &QPushButton::clicked, this, &Tleibie::save);
    Screens::closeOnClick(quit, this);
    Screens::whenOpened(this, [this] { prepare(); });
    connect(change, &QPushButton::clicked, this, &Tleibie::changeCurrent);
    connect(remove, &QPushButton::clicked, this, &Tleibie::deleteCurrent);
}

void Tleibie::prepare()
{
    m_fields->reset();
    Categories::reopenList(m_dm);
    m_fields->nameField()->setFocus(Qt::OtherFocusReason);
}

void Tleibie::save()
{
    const Outcome o = Categories::add(m_dm.ADOConnection1(), m_fields->category());
    MessageService::notify(this, o.notice);
    if (!o.ok) {
        m_fields->focusFor(o.notice);
        return;
    }
    prepare();
}

void Tleibie::changeCurrent()
{
    const int row = m_grid->currentRow();
    if (row < 0)
        return;
    const auto category = Categories::find(m_dm.ADOConnection1(), m_grid->value(row, u"卡类别"_s).toString());
    if (!category)
        return;
    Tkaleibiexiugai& dialog = Tkaleibiexiugai::instance();
    dialog.fill(*category);
    dialog.exec();
}

void Tleibie::deleteCurrent()
{
    const int row = m_grid->currentRow();
    if (row < 0)
        return;
    if (!MessageService::question(this, u"删除提示"_s, u"确实删除当前会员类别？该操作不可恢复！"_s))
        return;
    Categories::remove(m_dm.ADOConnection1(), m_grid->value(row, u"卡类别"_s).toString());
    Categories::reopenList(m_dm);
    MessageService::information(this, u"提示"_s, u"删除当前会员类别成功！"_s);
}
