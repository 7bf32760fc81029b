#include "operators/tguaqi.h"

#include "controls/enterchain.h"
#include "controls/messageservice.h"
#include "operators/login.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Tguaqi::Tguaqi(const QString& loginPassword, QWidget* parent)
    // A title without any button: the lock is left through its own buttons only.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_lock(loginPassword),
      m_group(new QGroupBox(u"离开挂起"_s, this)), m_password(new QLineEdit(m_group)),
      m_lockButton(new QPushButton(u"挂起"_s, this)), m_cancel(new QPushButton(u"取消"_s, this)),
      m_wake(new QPushButton(u"唤醒"_s, this))
{
    setObjectName(u"guaqi"_s);
    setWindowTitle(u"离开挂起"_s);
    setWindowModality(Qt::ApplicationModal);

    m_password->setObjectName(u"Edit1"_s);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setAccessibleName(u"密码"_s);
    auto* label = new QLabel(u"密码"_s, m_group);
    label->setBuddy(m_password);
    auto* row = new QHBoxLayout(m_group);
    row->setContentsMargins(18, 20, 18, 16);
    row->addWidget(label);
    row->addWidget(m_password, 1);

    m_lockButton->setObjectName(u"BitBtn1"_s);
    m_cancel->setObjectName(u"BitBtn2"_s);
    m_wake->setObjectName(u"BitBtn3"_s);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {m_lockButton, m_cancel, m_wake}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(80);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    m_wake->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->addWidget(m_group);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    setFixedSize(330, 170);

    // Enter in the password field presses whichever of the two is showing.
    auto* enter = new EnterChain(this);
    enter->linkToAction(m_password, [this] { isLocked() ? wake() : lock(); });
    connect(m_lockButton, &QPushButton::clicked, this, &Tguaqi::lock);
    connect(m_wake, &QPushButton::clicked, this, &Tguaqi::wake);
    connect(m_cancel, &QPushButton::clicked, this, &Tguaqi::reject);
    m_password->setFocus(Qt::OtherFocusReason);
}

void Tguaqi::lockCounter(QWidget* parent)
{
    Tguaqi dialog(currentOperator().password, parent);
    dialog.exec();
}

void Tguaqi::lock()
{
    const Outcome o = m_lock.lock(m_password->text());
    if (!o.ok) {
        MessageService::notify(this, o.notice);
        m_password->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_wake->show();
    m_group->setTitle(u"唤醒系统"_s);
    setWindowTitle(u"唤醒系统"_s);
    m_cancel->hide();
    m_lockButton->hide();
    m_password->clear();
    m_password->setFocus(Qt::OtherFocusReason);
}

void Tguaqi::wake()
{
    const Outcome o = m_lock.wake(m_password->text());
    MessageService::notify(this, o.notice);
    if (!o.ok) {
        m_password->setFocus(Qt::OtherFocusReason);
        return;
    }
    accept();
}

void Tguaqi::reject()
{
    if (isLocked())
        return; // Escape, and every other way round "唤醒"
    QDialog::reject();
}

void Tguaqi::closeEvent(QCloseEvent* event)
{
    if (isLocked()) {
        event->ignore(); // the window manager's close and Alt+F4
        return;
    }
    QDialog::closeEvent(event);
}
