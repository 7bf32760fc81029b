#pragma once

#include "controls/reuseddialog.h"
#include "operators/operatordialog.h"

// The change operator dialog 修改操作人员信息: changes an operator's ID, name, password and
// rights. Made once at start and reused; each use reloads it from the database.
class Txgcaozuo : public OperatorDialog, public ReusedDialog<Txgcaozuo>
{
    Q_OBJECT
public:
    explicit Txgcaozuo(TDM1& dm, QWidget* parent = nullptr);

    // Loads the operator known as oldId and shows the dialog modally.
    int edit(const QString& oldId);
    const QString& oldId() const { return m_oldId; }

    // "确认修改".
    void confirm();

private:
    void load();

    QString m_oldId;
};
