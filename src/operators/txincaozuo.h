#pragma once

#include "operators/operatordialog.h"

// The new operator dialog 新增操作人员: made for one use, it saves one operator after another
// until it is closed.
class Txincaozuo : public OperatorDialog
{
    Q_OBJECT
public:
    explicit Txincaozuo(TDM1& dm, QWidget* parent = nullptr);

    // "保存".
    void save();

private:
    void reset();
};
