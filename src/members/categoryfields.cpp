#include "members/categoryfields.h"

#include "controls/enterchain.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

using namespace Qt::Literals::StringLiterals;

CategoryFields::CategoryFields(QWidget* parent)
    : QWidget(parent), m_name(new QLineEdit(this)), m_ratio(new QSpinBox(this)),
      m_gifts(new QCheckBox(u"本类别的卡允许兑换礼品"_s, this)), m_cash(new QCheckBox(u"本类别的卡允许返还现金"_s, this)),
      m_enter(new EnterChain(this))
{
    m_name->setObjectName(u"Edit1"_s);
    m_name->setAccessibleName(u"卡类别名称"_s);
    m_ratio->setObjectName(u"AdvSpinEdit1"_s);
    m_ratio->setAccessibleName(u"本类别的会员消费"_s);
    // Zero and below reach the save, which refuses them with its own message.
    m_ratio->setRange(-99999, 999999);
    m_ratio->setMinimumWidth(90);
    m_gifts->setObjectName(u"CheckBox1"_s);
    m_cash->setObjectName(u"CheckBox2"_s);

    auto* nameLabel = new QLabel(u"卡类别名称"_s, this);
    nameLabel->setBuddy(m_name);
    auto* spend = new QLabel(u"本类别的会员消费"_s, this);
    spend->setBuddy(m_ratio);
    auto* one = new QLabel(u"元积 <span style=\"color:#d01010; font-weight:bold; font-size:16px;\">1</span> 分"_s, this);

    auto* ratioRow = new QHBoxLayout;
    ratioRow->addWidget(spend);
    ratioRow->addWidget(m_ratio);
    ratioRow->addWidget(one);
    ratioRow->addStretch();

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(10);
    grid->addWidget(nameLabel, 0, 0, Qt::AlignRight);
    grid->addWidget(m_name, 0, 1);
    grid->addLayout(ratioRow, 1, 0, 1, 2);
    grid->addWidget(m_gifts, 2, 0, 1, 2);
    grid->addWidget(m_cash, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    reset();
}

Category CategoryFields::category() const
{
    return {m_name->text(), m_ratio->value(), m_gifts->isChecked(), m_cash->isChecked()};
}

void CategoryFields::setCategory(const Category& c)
{
    m_name->setText(c.name);
    m_ratio->setValue(c.ratio);
    m_gifts->setChecked(c.gifts);
    m_cash->setChecked(c.cash);
}

void CategoryFields::reset()
{
    setCategory({QString(), 1, true, true});
}

void CategoryFields::chainEnterTo(QAbstractButton* button)
{
    m_enter->chain({m_name, m_ratio, m_gifts, m_cash}, button);
}

void CategoryFields::focusFor(const Notice& notice)
{
    if (notice.field == Categories::NameField) {
        if (notice.clearField)
            m_name->clear();
        m_name->setFocus(Qt::OtherFocusReason);
    } else if (notice.field == Categories::RatioField) {
        m_ratio->setFocus(Qt::OtherFocusReason);
        m_ratio->selectAll();
    }
}
