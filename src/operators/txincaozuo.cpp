#include "operators/txincaozuo.h"

#include "controls/messageservice.h"
#include "data/tdm1.h"
#include "operators/permissionboxes.h"

#include <QLineEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

Txincaozuo::Txincaozuo(TDM1& dm, QWidget* parent) : OperatorDialog(dm, u"新增操作人员"_s, u"保存"_s, parent)
{
    setObjectName(u"xincaozuo"_s);
    setFixedSize(640, 470);
    checkIdOnLeaving([this](const QString& id) { return Operators::idTaken(m_dm.ADOConnection1(), id); });
    connect(mainButton(), &QPushButton::clicked, this, &Txincaozuo::save);
    reset();
    permissions()->resetToggle();
}

void Txincaozuo::reset()
{
    permissions()->setTicked({});
    clearFields();
    idField()->setFocus(Qt::OtherFocusReason);
}

void Txincaozuo::save()
{
    const Outcome o = Operators::add(m_dm.ADOConnection1(), draft());
    MessageService::notify(this, o.notice);
    if (!o.ok) {
        focusFor(o.notice);
        return;
    }
    reset();
}
