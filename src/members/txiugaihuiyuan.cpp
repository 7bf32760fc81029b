#include "members/txiugaihuiyuan.h"

#include "controls/fieldevents.h"
#include "controls/messageservice.h"
#include "data/tdm1.h"
#include "members/memberform.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Txiugaihuiyuan::Txiugaihuiyuan(TDM1& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_dm(dm),
      m_form(new MemberForm(dm.ADOConnection1(), MemberForm::Variant::Edit, this)),
      m_confirm(new QPushButton(u"确认修改"_s, this))
{
    setObjectName(u"xiugaihuiyuan"_s);
    setWindowTitle(u"修改会员信息"_s);
    auto* quit = new QPushButton(u"退出"_s, this);
    m_confirm->setObjectName(u"BitBtn1"_s);
    quit->setObjectName(u"BitBtn2"_s);
    for (QPushButton* b : {m_confirm, quit})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_confirm);
    buttons->addWidget(quit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->addWidget(m_form);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    resize(860, 360);

    m_form->chainEnterTo(m_confirm);
    FieldEvents::whenLeft(m_form->cardField(), [this](QWidget*) {
        if (auto n = MemberEdit::duplicateRefusal(m_dm.ADOConnection1(), m_form->cardField()->text(), m_oldCard)) {
            MessageService::notify(this, *n);
            m_form->focusFor(*n);
        }
    });
    connect(m_confirm, &QPushButton::clicked, this, &Txiugaihuiyuan::confirm);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
}

void Txiugaihuiyuan::fill(const MemberRecord& member)
{
    m_oldCard = member.cardNo;
    m_form->fill(member);
}

void Txiugaihuiyuan::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_form->loadChoices(true);
    m_form->cardField()->setFocus(Qt::OtherFocusReason);
}

void Txiugaihuiyuan::confirm()
{
    const Outcome o = MemberEdit::save(m_dm.ADOConnection1(), m_form->draft(), m_oldCard);
    MessageService::notify(this, o.notice);
    if (!o.ok) {
        m_form->focusFor(o.notice);
        return;
    }
    m_dm.ADOQuery5->open();
    accept();
}
