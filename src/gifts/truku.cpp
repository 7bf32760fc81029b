#include "gifts/truku.h"

#include "controls/enterchain.h"
#include "controls/fieldevents.h"
#include "controls/heading.h"
#include "controls/inputs.h"
#include "controls/messageservice.h"
#include "data/clock.h"
#include "data/tdm1.h"
#include "gifts/giftstock.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Truku::Truku(TDM1& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_dm(dm),
      m_date(new QDateEdit(this)), m_name(new QLineEdit(this)), m_unit(new QLineEdit(this)),
      m_quantity(new QLineEdit(this)), m_remark(new QPlainTextEdit(this)), m_save(new QPushButton(u"保存"_s, this)),
      m_next(new QPushButton(u"下一个"_s, this))
{
    setObjectName(u"ruku"_s);
    setWindowTitle(u"礼品入库"_s);

    m_date->setObjectName(u"DateTimePicker1"_s);
    makeDatePicker(m_date);
    m_name->setObjectName(u"Edit1"_s);
    m_unit->setObjectName(u"Edit2"_s);
    m_quantity->setObjectName(u"Edit3"_s);
    m_remark->setObjectName(u"Memo1"_s);
    m_remark->setTabChangesFocus(true);
    m_remark->setToolTip(u"Shift+回车换行"_s);
    FieldEvents::acceptDecimalKeys(m_quantity, true);
    auto* quit = new QPushButton(u"退出"_s, this);
    m_save->setObjectName(u"BitBtn1"_s);
    m_next->setObjectName(u"BitBtn2"_s);
    quit->setObjectName(u"BitBtn3"_s);
    for (QPushButton* b : {m_save, m_next, quit})
        b->setAutoDefault(false);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(10);
    const std::pair<const char16_t*, QWidget*> rows[] = {{u"入库日期", m_date},
                                                         {u"礼品名", m_name},
                                                         {u"包装单位", m_unit},
                                                         {u"入库数量", m_quantity},
                                                         {u"备注", m_remark}};
    for (const auto& [label, field] : rows) {
        auto* l = new QLabel(QString::fromUtf16(label), this);
        l->setBuddy(field);
        field->setAccessibleName(l->text());
        form->addRow(l, field);
    }
    m_remark->setFixedHeight(90);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(m_next);
    buttons->addWidget(quit);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(makeHeading(u"礼品入库"_s, this));
    layout->addSpacing(6);
    layout->addLayout(form);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    setFixedSize(460, 400);

    auto* enter = new EnterChain(this);
    enter->chain({m_date, m_name, m_unit, m_quantity, m_remark});
    // Enter leaves the remark for 保存; Shift+Enter (or Ctrl+Enter) starts a new line in it.
    m_remark->installEventFilter(this);

    connect(m_save, &QPushButton::clicked, this, &Truku::save);
    connect(m_next, &QPushButton::clicked, this, &Truku::next);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);

    // Made for one use: the opening state is set here, once.
    m_date->setDate(Clock::today());
    next();
}

bool Truku::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_remark && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))
                m_remark->insertPlainText(u"\n"_s);
            else
                m_save->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Truku::save()
{
    if (!MessageService::question(this, u"郑重提示"_s, u"请您认真检查核对数据！检查无误了吗？该操作不可恢复！"_s))
        return;
    GiftStock::StockIn entry{m_date->date(), m_name->text(), m_unit->text(), m_quantity->text(),
                             m_remark->toPlainText()};
    const Outcome o = GiftStock::stockIn(m_dm.ADOConnection1(), entry);
    MessageService::notify(this, o.notice);
    if (o.ok) {
        m_save->setEnabled(false);
        m_next->setFocus(Qt::OtherFocusReason);
        return;
    }
    QLineEdit* const fields[] = {m_name, m_unit, m_quantity};
    if (o.notice.field >= 0 && o.notice.field < int(std::size(fields)))
        fields[o.notice.field]->setFocus(Qt::OtherFocusReason);
}

void Truku::next()
{
    for (QLineEdit* e : {m_name, m_unit, m_quantity})
        e->clear();
    m_remark->clear();
    m_save->setEnabled(true);
    m_name->setFocus(Qt::OtherFocusReason);
}
