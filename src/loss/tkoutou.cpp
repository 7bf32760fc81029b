#include "loss/tkoutou.h"

#include "controls/heading.h"
#include "controls/messageservice.h"
#include "controls/screens.h"
#include "data/tdm1.h"
#include "loss/verballoss.h"
#include "members/memberpanel.h"
#include "operators/login.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Tkoutou::Tkoutou(TDM1& dm, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_panel(new MemberPanel(dm, this)), m_modeBox(new QGroupBox(u"请选择"_s, this)),
      m_modes(new QButtonGroup(this)), m_confirm(new QPushButton(u"确定"_s, this))
{
    setObjectName(u"koutou"_s);
    setWindowTitle(u"会员卡口头挂失及取消"_s);

    LookupOptions options;
    options.retiredQuestion = u"此卡已经挂失，不能使用,需要打开挂失记录吗？"_s;
    options.clearFlagsOnSearch = true;
    options.forgetOnFailedLookup = true;
    m_panel->setOptions(options);
    m_panel->verbalLossBox()->setEnabled(false);

    m_modeBox->setObjectName(u"RzRadioGroup1"_s);
    auto* report = new QRadioButton(u"口头挂失"_s, m_modeBox);
    auto* cancel = new QRadioButton(u"取消口头挂失"_s, m_modeBox);
    m_modes->addButton(report, int(VerbalLoss::Mode::Report));
    m_modes->addButton(cancel, int(VerbalLoss::Mode::Cancel));
    report->setChecked(true);
    auto* modeLayout = new QHBoxLayout(m_modeBox);
    modeLayout->addWidget(report);
    modeLayout->addWidget(cancel);
    m_modeBox->installEventFilter(this);

    auto* quit = new QPushButton(u"退出"_s, this);
    m_confirm->setObjectName(u"BitBtn1"_s);
    quit->setObjectName(u"BitBtn2"_s);
    m_confirm->setEnabled(false);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_modeBox);
    bottom->addStretch();
    bottom->addWidget(m_confirm);
    bottom->addWidget(quit);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(makeHeading(u"口头挂失及取消口头挂失"_s, this));
    layout->addWidget(m_panel, 1);
    layout->addLayout(bottom);
    resize(920, 540);

    connect(m_panel, &MemberPanel::memberLoaded, this, [this](const MemberRecord&, MemberPanel::LoadedBy by) {
        m_confirm->setEnabled(true);
        if (by == MemberPanel::LoadedBy::Lookup)
            m_modes->checkedButton()->setFocus(Qt::OtherFocusReason);
    });
    // A lookup that loads no member leaves nothing to freeze: the fields empty, the number kept.
    connect(m_panel, &MemberPanel::lookupFailed, this, [this] { m_confirm->setEnabled(false); });
    // After the click, so that the radio button still takes it.
    connect(m_modes, &QButtonGroup::idClicked, this, [this] {
        if (m_confirm->isEnabled())
            m_confirm->setFocus(Qt::OtherFocusReason);
    });
    connect(m_confirm, &QPushButton::clicked, this, &Tkoutou::confirm);
    Screens::closeOnClick(quit, this);
    Screens::whenOpened(this, [this] { opening(); });
}

void Tkoutou::opening()
{
    m_panel->clear();
    m_modes->button(int(VerbalLoss::Mode::Report))->setChecked(true);
    m_panel->cardField()->setFocus(Qt::OtherFocusReason);
}

bool Tkoutou::eventFilter(QObject* watched, QEvent* event)
{
    // A click on the choice moves on to "确定", so Enter then confirms.
    if (watched == m_modeBox && event->type() == QEvent::MouseButtonPress && m_confirm->isEnabled())
        m_confirm->setFocus(Qt::OtherFocusReason);
    return QWidget::eventFilter(watched, event);
}

void Tkoutou::confirm()
{
    VerbalLoss::Request request;
    request.mode = VerbalLoss::Mode(m_modes->checkedId());
    request.frozenShown = m_panel->verbalLossBox()->isChecked();
    request.cardNo = m_panel->cardField()->text();
    request.loadedCard = m_panel->loadedCard();
    request.name = m_panel->field(u"Edit3"_s)->text();
    request.operatorId = currentOperator().id;
    const VerbalLoss::Result result = VerbalLoss::confirm(m_dm.ADOConnection1(), request);
    MessageService::notify(this, result.outcome.notice);
    if (result.disableConfirm)
        m_confirm->setEnabled(false);
    if (result.outcome.ok)
        m_panel->clear();
}
