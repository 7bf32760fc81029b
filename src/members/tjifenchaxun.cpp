#include "members/tjifenchaxun.h"

#include "controls/heading.h"
#include "controls/screens.h"
#include "members/memberpanel.h"
#include "points/history.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Tjifenchaxun::Tjifenchaxun(TDM1& dm, QWidget* parent)
    : QWidget(parent), m_panel(new MemberPanel(dm, this)), m_history(new QPushButton(u"详细记录"_s, this))
{
    setObjectName(u"jifenchaxun"_s);
    setWindowTitle(u"会员信息查询"_s);

    auto* title = makeHeading(u"会员信息查询"_s, this);

    auto* quit = new QPushButton(u"退出"_s, this);
    m_history->setObjectName(u"BitBtn1"_s);
    quit->setObjectName(u"BitBtn2"_s);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_history);
    buttons->addWidget(quit);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(title);
    layout->addSpacing(6);
    layout->addWidget(m_panel, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    resize(920, 520);

    connect(m_history, &QPushButton::clicked, this, [this, &dm] {
        Screens::open(u"会员积分增减详细记录"_s);
        History::showCard(dm, m_panel->currentCard());
    });
    Screens::closeOnClick(quit, this);
    Screens::whenOpened(this, [this] { opening(); });
}

void Tjifenchaxun::opening()
{
    m_panel->clear();
    m_panel->cardField()->setFocus(Qt::OtherFocusReason);
}
