#include "operators/txtshezhi.h"

#include "controls/messageservice.h"
#include "controls/screens.h"
#include "controls/recordgrid.h"
#include "data/tdm1.h"
#include "operators/operatoradmin.h"
#include "operators/permissionboxes.h"
#include "operators/txgcaozuo.h"
#include "operators/txincaozuo.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Txtshezhi::Txtshezhi(TDM1& dm, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_grid(new RecordGrid(this)),
      m_permissions(new PermissionBoxes(PermissionBoxes::Mode::Show, this))
{
    setObjectName(u"xtshezhi"_s);
    setWindowTitle(u"系统设置"_s);

    auto* list = new QGroupBox(u"操作人员列表"_s, this);
    auto* listLayout = new QVBoxLayout(list);
    m_grid->setObjectName(u"DBGridEh1"_s);
    m_grid->setColumns({{u"操作员"_s, u"操作员编号"_s}, {u"姓名"_s}});
    m_grid->setSelection(RecordGrid::Selection::Row);
    m_grid->setToolTip(u"单击操作员即可在权限列表里显示该操作人员的权限！"_s);
    m_grid->setSource(m_dm.ADOQuery12);
    listLayout->addWidget(m_grid);
    list->setMinimumWidth(260);

    const QString captions[4] = {u"新增操作人员"_s, u"修改操作人员"_s, u"删除操作人员"_s, u"退出"_s};
    QPushButton* buttons[4];
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    for (int i = 0; i < 4; ++i) {
        buttons[i] = new QPushButton(captions[i], this);
        buttons[i]->setObjectName(u"BitBtn%1"_s.arg(i + 1));
        buttons[i]->setMinimumWidth(110);
        buttonRow->addWidget(buttons[i]);
        buttonRow->addSpacing(8);
    }
    buttonRow->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(list, 1);
    top->addWidget(m_permissions, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addSpacing(4);
    layout->addLayout(buttonRow);
    resize(900, 430);

    connect(m_grid, &RecordGrid::currentRowChanged, this, [this] {
        m_permissions->setTicked(Operators::rightsOf(m_dm.ADOConnection1(), currentId()));
    });
    connect(buttons[0], &QPushButton::clicked, this, &Txtshezhi::addOperators);
    connect(buttons[1], &QPushButton::clicked, this, &Txtshezhi::changeCurrent);
    connect(buttons[2], &QPushButton::clicked, this, &Txtshezhi::deleteCurrent);
    connect(buttons[3], &QPushButton::clicked, this, [this] { Screens::close(this); });
}

void Txtshezhi::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh(currentId());
}

QString Txtshezhi::currentId() const
{
    const int row = m_grid->currentRow();
    return row < 0 ? QString() : m_grid->value(row, u"操作员"_s).toString();
}

void Txtshezhi::refresh(const QString& stayOn)
{
    // The dialogs change the table behind the list, so it is read again after each of them.
    Operators::reopenList(m_dm);
    if (stayOn.isEmpty())
        return;
    for (int r = 0;; ++r) {
        const QVariant id = m_grid->value(r, u"操作员"_s);
        if (!id.isValid())
            return;
        if (id.toString() == stayOn) {
            m_grid->setCurrentRow(r);
            return;
        }
    }
}

void Txtshezhi::addOperators()
{
    const QString stayOn = currentId();
    {
        Txincaozuo dialog(m_dm, this);
        dialog.exec();
    }
    refresh(stayOn);
}

void Txtshezhi::changeCurrent()
{
    if (m_grid->currentRow() < 0)
        return;
    const QString id = currentId();
    Txgcaozuo& dialog = Txgcaozuo::instance();
    const bool changed = dialog.edit(id) == QDialog::Accepted;
    refresh(changed ? dialog.idField()->text() : id);
}

void Txtshezhi::deleteCurrent()
{
    if (m_grid->currentRow() < 0)
        return;
    if (!MessageService::question(this, u"删除询问"_s, u"确实要删除该操作人员？！请谨慎操作！"_s,
                                  MessageService::Buttons::YesNo))
        return;
    Operators::remove(m_dm.ADOConnection1(), currentId());
    refresh({});
    MessageService::information(this, u"提示"_s, u"删除成功！"_s);
}
