#include "operators/txgcaozuo.h"

#include "controls/messageservice.h"
#include "data/tdm1.h"
#include "operators/permissionboxes.h"

#include <QLineEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

Txgcaozuo::Txgcaozuo(TDM1& dm, QWidget* parent) : OperatorDialog(dm, u"修改操作人员信息"_s, u"确认修改"_s, parent)
{
    setObjectName(u"xgcaozuo"_s);
    setFixedSize(640, 470);
    checkIdOnLeaving(
        [this](const QString& id) { return Operators::idTakenByOther(m_dm.ADOConnection1(), id, m_oldId); });
    connect(mainButton(), &QPushButton::clicked, this, &Txgcaozuo::confirm);
}

int Txgcaozuo::edit(const QString& oldId)
{
    m_oldId = oldId;
    idField()->setText(oldId);
    load();
    return exec();
}

void Txgcaozuo::load()
{
    permissions()->resetToggle();
    const QSqlDatabase db = m_dm.ADOConnection1();
    const auto op = Operators::find(db, idField()->text());
    field(Operators::NameField)->setText(op ? op->name : QString());
    field(Operators::PasswordField)->setText(op ? op->password : QString());
    field(Operators::ConfirmationField)->setText(op ? op->password : QString());
    permissions()->setTicked(Operators::rightsOf(db, idField()->text()));
    idField()->setFocus(Qt::OtherFocusReason);
    idField()->selectAll();
}

void Txgcaozuo::confirm()
{
    const Outcome o = Operators::change(m_dm.ADOConnection1(), m_oldId, draft());
    MessageService::notify(this, o.notice);
    if (!o.ok) {
        focusFor(o.notice);
        return;
    }
    accept();
}
