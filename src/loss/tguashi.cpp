#include "loss/tguashi.h"

#include "controls/enterchain.h"
#include "controls/heading.h"
#include "controls/messageservice.h"
#include "controls/screens.h"
#include "data/tdm1.h"
#include "loss/formalloss.h"
#include "members/memberpanel.h"
#include "operators/login.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Tguashi::Tguashi(TDM1& dm, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_panel(new MemberPanel(dm, this)), m_newCard(new QLineEdit(this)),
      m_confirm(new QPushButton(u"确定"_s, this))
{
    setObjectName(u"guashi"_s);
    setWindowTitle(u"会员卡正式挂失/换卡"_s);

    LookupOptions options;
    options.retiredQuestion = u"此卡已经挂失，不能使用,需要打开挂失记录吗？"_s;
    options.clearFlagsOnSearch = true;
    options.retiredTestOnResult = true;
    m_panel->setOptions(options);
    m_panel->setLabel(u"Edit11"_s, u"起用日期"_s);

    auto* beside = new QWidget(this);
    auto* besideLayout = new QHBoxLayout(beside);
    besideLayout->setContentsMargins(0, 0, 0, 0);
    auto* newLabel = new QLabel(u"新卡号"_s, beside);
    m_newCard->setObjectName(u"Edit21"_s);
    m_newCard->setAccessibleName(u"新卡号"_s);
    m_newCard->setParent(beside);
    newLabel->setBuddy(m_newCard);
    newLabel->setStyleSheet(u"color: #d01010; font-weight: bold;"_s);
    besideLayout->addWidget(newLabel);
    besideLayout->addWidget(m_newCard);
    m_panel->setBesideCard(beside);

    auto* title = makeHeading(u"会员卡正式挂失/换卡"_s, this);

    auto* quit = new QPushButton(u"退出"_s, this);
    auto* all = new QPushButton(u"全部挂失记录"_s, this);
    m_confirm->setObjectName(u"BitBtn1"_s);
    quit->setObjectName(u"BitBtn2"_s);
    all->setObjectName(u"BitBtn3"_s);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(all);
    bottom->addStretch();
    bottom->addWidget(m_confirm);
    bottom->addWidget(quit);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(title);
    layout->addWidget(m_panel, 1);
    layout->addLayout(bottom);
    resize(960, 540);

    auto* enter = new EnterChain(this);
    enter->linkToAction(m_newCard, [this] {
        if (m_confirm->isEnabled())
            m_confirm->setFocus(Qt::OtherFocusReason);
    });
    connect(m_panel, &MemberPanel::memberLoaded, this, [this](const MemberRecord&, MemberPanel::LoadedBy by) {
        m_lookedUp = m_panel->cardField()->text();
        m_newCard->setEnabled(true);
        m_confirm->setEnabled(true);
        if (by == MemberPanel::LoadedBy::Lookup)
            m_newCard->setFocus(Qt::OtherFocusReason);
    });
    connect(m_panel, &MemberPanel::searched, m_newCard, &QLineEdit::clear);
    connect(m_confirm, &QPushButton::clicked, this, &Tguashi::confirm);
    connect(all, &QPushButton::clicked, this, &Tguashi::showAllRecords);
    Screens::closeOnClick(quit, this);
    Screens::whenOpened(this, [this] { opening(); });
}

void Tguashi::opening()
{
    m_panel->clear();
    m_newCard->clear();
    m_newCard->setEnabled(true);
    m_confirm->setEnabled(false);
    m_panel->hideResults();
    m_lookedUp.clear();
    m_panel->cardField()->setFocus(Qt::OtherFocusReason);
}

void Tguashi::confirm()
{
    FormalLoss::Request request;
    request.oldCardNo = m_panel->cardField()->text();
    request.lookedUpCard = m_lookedUp;
    request.newCardNo = m_newCard->text();
    request.name = m_panel->field(u"Edit3"_s)->text();
    request.pointsShown = m_panel->field(u"Edit10"_s)->text();
    request.operatorId = currentOperator().id;
    const Outcome o = FormalLoss::replace(m_dm.ADOConnection1(), request);
    MessageService::notify(this, o.notice);
    if (!o.ok) {
        if (o.notice.field == FormalLoss::NewCardField) {
            if (o.notice.clearField)
                m_newCard->clear();
            m_newCard->setFocus(Qt::OtherFocusReason);
        } else if (o.notice.field == FormalLoss::OldCardField) {
            m_panel->cardField()->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    m_panel->clear();
    m_newCard->clear();
    m_newCard->setEnabled(false);
    m_confirm->setEnabled(false);
    m_panel->hideResults();
    m_lookedUp.clear();
    m_panel->cardField()->setFocus(Qt::OtherFocusReason);
}

void Tguashi::showAllRecords()
{
    FormalLoss::showAllRecords(m_dm);
    Screens::open(u"全部挂失历史记录"_s);
}
