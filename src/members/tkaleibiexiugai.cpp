#include "members/tkaleibiexiugai.h"

#include "controls/messageservice.h"
#include "data/tdm1.h"
#include "members/categoryfields.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Tkaleibiexiugai::Tkaleibiexiugai(TDM1& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_dm(dm),
      m_fields(new CategoryFields(this)), m_save(new QPushButton(u"保存"_s, this))
{
    setObjectName(u"kaleibiexiugai"_s);
    setWindowTitle(u"卡类别修改"_s);
    m_fields->nameField()->setReadOnly(true);
    auto* quit = new QPushButton(u"退出"_s, this);
    m_save->setObjectName(u"BitBtn1"_s);
    quit->setObjectName(u"BitBtn2"_s);
    for (QPushButton* b : {m_save, quit})
        b->setAutoDefault(false);
    m_fields->chainEnterTo(nullptr);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(quit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->addWidget(m_fields);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setFixedSize(420, 240);

    connect(m_save, &QPushButton::clicked, this, &Tkaleibiexiugai::save);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
}

void Tkaleibiexiugai::fill(const Category& category)
{
    m_fields->setCategory(category);
}

void Tkaleibiexiugai::save()
{
    const Outcome o = Categories::update(m_dm.ADOConnection1(), m_fields->category());
    MessageService::notify(this, o.notice);
    if (!o.ok) {
        m_fields->focusFor(o.notice);
        return;
    }
    Categories::reopenList(m_dm);
    accept();
}
