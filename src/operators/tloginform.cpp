#include "operators/tloginform.h"

#include "controls/enterchain.h"
#include "controls/inputs.h"
#include "controls/messageservice.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Tloginform::Tloginform(QSqlDatabase db, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_session(std::move(db))
{
    setObjectName(u"loginform"_s);
    setWindowTitle(u"进入系统"_s);
    setModal(true);

    m_operator = new QComboBox(this);
    m_operator->setObjectName(u"cbusername"_s);
    makeTypable(m_operator);
    m_operator->setCompleter(nullptr); // the typed text must stay as typed until it is left

    m_name = new QLineEdit(this);
    m_name->setObjectName(u"Edit1"_s);
    m_name->setReadOnly(true);
    m_name->setFocusPolicy(Qt::NoFocus);

    m_password = new QLineEdit(this);
    m_password->setObjectName(u"edtpassword"_s);
    m_password->setEchoMode(QLineEdit::Password);

    auto* form = new QGridLayout;
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(10);
    const QList<std::pair<QString, QWidget*>> rows = {
        {u"操作员编号"_s, m_operator}, {u"操作员姓名"_s, m_name}, {u"操作员密码"_s, m_password}};
    for (int r = 0; r < rows.size(); ++r) {
        auto* label = new QLabel(rows[r].first, this);
        label->setBuddy(rows[r].second);
        rows[r].second->setAccessibleName(rows[r].first);
        form->addWidget(label, r, 0, Qt::AlignRight);
        form->addWidget(rows[r].second, r, 1);
    }
    form->setColumnStretch(1, 1);

    auto* hint = new QLabel(u"系统管理员初始密码为 空"_s, this);
    hint->setObjectName(u"hint"_s);
    hint->setStyleSheet(u"color: #666666;"_s);

    m_enter = new QPushButton(u"进入"_s, this);
    m_enter->setObjectName(u"button1"_s);
    m_quit = new QPushButton(u"退出"_s, this);
    m_quit->setObjectName(u"button2"_s);
    for (QPushButton* b : {m_enter, m_quit}) {
        b->setAutoDefault(false); // Enter belongs to the fields, not to whichever button has focus
        b->setMinimumWidth(88);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_enter);
    buttons->addSpacing(16);
    buttons->addWidget(m_quit);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 24, 28, 20);
    layout->addLayout(form);
    layout->addSpacing(4);
    layout->addWidget(hint, 0, Qt::AlignLeft);
    layout->addSpacing(10);
    layout->addLayout(buttons);
    setFixedSize(360, 230);

    m_enterKeys = new EnterChain(this);
    m_enterKeys->link(m_operator, m_password);
    m_enterKeys->linkToAction(m_password, [this] { enter(); });

    connect(m_operator, &QComboBox::currentTextChanged, this, [this] { lookUpName(); });
    // A pick from the list chooses the operator and goes on to the password.
    connect(m_operator, &QComboBox::activated, this, [this](int index) {
        m_selected = index;
        m_password->setFocus(Qt::OtherFocusReason);
    });
    // A keystroke in the box undoes the choice until the text is left or matched.
    connect(m_operator->lineEdit(), &QLineEdit::textEdited, this, [this] { m_selected = -1; });
    connect(qApp, &QApplication::focusChanged, this, &Tloginform::focusChanged);
    connect(m_enter, &QPushButton::clicked, this, &Tloginform::enter);
    connect(m_quit, &QPushButton::clicked, this, &QDialog::reject);
}

Tloginform::~Tloginform()
{
    // Focus moves while the child widgets are destroyed; this object must not hear of it.
    disconnect(qApp, nullptr, this, nullptr);
}

void Tloginform::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    prepare();
}

void Tloginform::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Tloginform::prepare()
{
    m_operator->blockSignals(true);
    m_operator->clear();
    m_session.loadOperators();
    m_operator->addItems(m_session.operatorIds());
    m_operator->blockSignals(false);
    selectItem(m_session.operators().isEmpty() ? -1 : 0);
    m_password->clear();
    m_operator->setFocus(Qt::OtherFocusReason);
    m_name->clear();
    lookUpName();
}

void Tloginform::selectItem(int index)
{
    m_selected = index;
    if (index < 0)
        return;
    m_operator->setCurrentIndex(index);
    m_operator->setEditText(m_operator->itemText(index));
}

void Tloginform::lookUpName()
{
    m_name->setText(m_session.nameOf(m_operator->currentText()));
}

void Tloginform::focusChanged(QWidget* old, QWidget* now)
{
    if (m_checkingLeave || !isVisible())
        return;
    const bool leftBox = old && (old == m_operator || old == m_operator->lineEdit());
    const bool intoBox = now && (now == m_operator || now == m_operator->lineEdit());
    if (!leftBox || intoBox)
        return;
    const int match = m_session.matchItem(m_operator->currentText());
    if (match >= 0) {
        selectItem(match);
        return;
    }
    if (now == m_password) {
        m_checkingLeave = true;
        MessageService::error(this, LoginTexts::Caption, LoginTexts::NoSuchUser);
        m_operator->setFocus(Qt::OtherFocusReason);
        m_operator->lineEdit()->selectAll();
        m_checkingLeave = false;
    }
}

void Tloginform::enter()
{
    // Clicking the button leaves the box first, which selects a matching item; a call from
    // the keyboard or a script may come without that, so match here the same way.
    if (m_selected < 0) {
        const int match = m_session.matchItem(m_operator->currentText());
        if (match >= 0)
            selectItem(match);
    }
    switch (m_session.attempt(m_selected, m_password->text())) {
    case LoginSession::Outcome::NoSuchUser:
        MessageService::error(this, LoginTexts::Caption, LoginTexts::NoSuchUser);
        m_operator->setFocus(Qt::OtherFocusReason);
        m_operator->lineEdit()->selectAll();
        break;
    case LoginSession::Outcome::WrongPassword:
        MessageService::error(this, LoginTexts::Caption, LoginTexts::WrongPassword);
        m_password->clear();
        m_password->setFocus(Qt::OtherFocusReason);
        break;
    case LoginSession::Outcome::TooManyWrong:
        MessageService::error(this, LoginTexts::Caption, LoginTexts::TooManyWrong);
        reject();
        break;
    case LoginSession::Outcome::LoggedIn:
        accept();
        break;
    }
}
