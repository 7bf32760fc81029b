#include "maintenance/tzhengli.h"

#include "controls/heading.h"
#include "controls/inputs.h"
#include "controls/messageservice.h"
#include "controls/screens.h"
#include "data/clock.h"
#include "maintenance/maintenance.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Tzhengli::Tzhengli(TDM1& dm, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_date(new QDateEdit(this)), m_confirm(new QPushButton(u"确定"_s, this))
{
    setObjectName(u"zhengli"_s);
    setWindowTitle(u"数据整理"_s);

    auto* warning = new QLabel(u"删除之前最好进行数据库备份"_s, this);
    warning->setObjectName(u"Label2"_s);
    warning->setAlignment(Qt::AlignCenter);
    warning->setStyleSheet(u"color: #c0392b;"_s);

    m_date->setObjectName(u"DateTimePicker1"_s);
    makeDatePicker(m_date);
    m_date->setDate(Clock::today());
    auto* before = new QLabel(u"删除"_s, this);
    before->setBuddy(m_date);
    m_date->setAccessibleName(u"删除之前的日期"_s);
    auto* sentence = new QHBoxLayout;
    sentence->addStretch();
    sentence->addWidget(before);
    sentence->addWidget(m_date);
    sentence->addWidget(new QLabel(u"之前的历史流水数据"_s, this));
    sentence->addStretch();

    auto* quit = new QPushButton(u"退出"_s, this);
    m_confirm->setObjectName(u"BitBtn1"_s);
    quit->setObjectName(u"BitBtn2"_s);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_confirm);
    buttons->addWidget(quit);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(14);
    layout->addWidget(makeHeading(u"历史数据删除（请谨慎操作）"_s, this));
    layout->addWidget(warning);
    layout->addLayout(sentence);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    resize(480, 230);

    connect(m_confirm, &QPushButton::clicked, this, &Tzhengli::confirm);
    Screens::closeOnClick(quit, this);
}

void Tzhengli::confirm()
{
    const auto answer = MessageService::instance().show(this, MessageService::Icon::None, u"删除历史记录"_s,
                                                        u"确实删除历史记录？该操作不可恢复！"_s,
                                                        MessageService::Buttons::OkCancel);
    if (answer != MessageService::Answer::Ok)
        return;
    MessageService::notify(this, Maintenance::clearHistory(m_dm, m_date->date()).notice);
}
