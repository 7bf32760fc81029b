#include "operators/txiugaimima.h"

#include "controls/enterchain.h"
#include "controls/messageservice.h"
#include "controls/screens.h"
#include "data/tdm1.h"
#include "operators/login.h"
#include "operators/password.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Txiugaimima::Txiugaimima(TDM1& dm, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_confirm(new QPushButton(u"确认"_s, this))
{
    setObjectName(u"xiugaimima"_s);
    setWindowTitle(u"修改密码"_s);

    auto* group = new QGroupBox(u"密码修改"_s, this);
    auto* form = new QGridLayout(group);
    form->setContentsMargins(20, 20, 20, 16);
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(12);
    const QString labels[4] = {u"操作员编号"_s, u"旧密码"_s, u"新密码"_s, u"确认新密码"_s};
    for (int i = 0; i < 4; ++i) {
        auto* edit = new QLineEdit(group);
        edit->setObjectName(u"Edit%1"_s.arg(i + 1));
        edit->setAccessibleName(labels[i]);
        if (i > 0)
            edit->setEchoMode(QLineEdit::Password);
        auto* label = new QLabel(labels[i], group);
        label->setBuddy(edit);
        form->addWidget(label, i, 0, Qt::AlignRight);
        form->addWidget(edit, i, 1);
        m_fields[i] = edit;
    }
    m_fields[0]->setEnabled(false);

    auto* quit = new QPushButton(u"退出"_s, this);
    m_confirm->setObjectName(u"BitBtn1"_s);
    quit->setObjectName(u"BitBtn2"_s);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {m_confirm, quit}) {
        b->setMinimumWidth(88);
        buttons->addWidget(b);
        buttons->addSpacing(12);
    }
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(group);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    resize(340, 260);

    auto* enter = new EnterChain(this);
    enter->chain({m_fields[1], m_fields[2], m_fields[3], m_confirm});
    connect(m_confirm, &QPushButton::clicked, this, &Txiugaimima::confirm);
    connect(quit, &QPushButton::clicked, this, [this] { Screens::close(this); });

    // Made for each opening, so this is the opening: a restore from the minimised state keeps
    // whatever has been typed.
    m_fields[0]->setText(currentOperator().id);
    setFocusProxy(m_fields[1]);
}

bool Txiugaimima::event(QEvent* event)
{
    // A small window: minimise and close, no maximise. Set as the frame takes the screen in,
    // before it is first shown.
    if (event->type() == QEvent::ParentChange) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()); frame && !frame->isVisible())
            frame->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                                  | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    }
    return QWidget::event(event);
}

void Txiugaimima::confirm()
{
    const Outcome o = PasswordChange::change(m_dm.ADOConnection1(), m_fields[0]->text(), m_fields[1]->text(),
                                             m_fields[2]->text(), m_fields[3]->text());
    MessageService::notify(this, o.notice);
    if (!o.ok && o.notice.field >= 0)
        m_fields[o.notice.field + 1]->setFocus(Qt::OtherFocusReason);
}
