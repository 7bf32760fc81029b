#include "operators/operatordialog.h"

#include "controls/enterchain.h"
#include "controls/fieldevents.h"
#include "controls/messageservice.h"
#include "operators/permissionboxes.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

OperatorDialog::OperatorDialog(TDM1& dm, const QString& title, const QString& mainCaption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_dm(dm),
      m_permissions(new PermissionBoxes(PermissionBoxes::Mode::Edit, this)),
      m_main(new QPushButton(mainCaption, this)), m_quit(new QPushButton(u"退出"_s, this))
{
    setWindowTitle(title);
    setModal(true);

    const QString labels[4] = {u"操作人员编号"_s, u"操作人员姓名"_s, u"密      码"_s, u"确 认 密 码"_s};
    auto* form = new QGridLayout;
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(10);
    for (int i = 0; i < 4; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(u"Edit%1"_s.arg(i + 1));
        edit->setAccessibleName(labels[i].simplified());
        if (i >= Operators::PasswordField)
            edit->setEchoMode(QLineEdit::Password);
        auto* label = new QLabel(labels[i], this);
        label->setBuddy(edit);
        // Two fields a row: ID and name, then the password and its confirmation.
        form->addWidget(label, i / 2, (i % 2) * 2, Qt::AlignRight);
        form->addWidget(edit, i / 2, (i % 2) * 2 + 1);
        m_fields[i] = edit;
    }
    form->setColumnStretch(1, 1);
    form->setColumnStretch(3, 1);
    form->setColumnMinimumWidth(2, 110);

    m_main->setObjectName(u"BitBtn1"_s);
    m_quit->setObjectName(u"BitBtn2"_s);
    for (QPushButton* b : {m_main, m_quit}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(96);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_main);
    buttons->addSpacing(16);
    buttons->addWidget(m_quit);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->addLayout(form);
    layout->addSpacing(8);
    layout->addWidget(m_permissions);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    auto* enter = new EnterChain(this);
    enter->chain({m_fields[0], m_fields[1], m_fields[2], m_fields[3], m_main});
    connect(m_quit, &QPushButton::clicked, this, &QDialog::reject);
}

OperatorDraft OperatorDialog::draft() const
{
    return {m_fields[Operators::IdField]->text(), m_fields[Operators::NameField]->text(),
            m_fields[Operators::PasswordField]->text(), m_fields[Operators::ConfirmationField]->text(),
            m_permissions->ticked()};
}

void OperatorDialog::clearFields()
{
    for (QLineEdit* f : m_fields)
        f->clear();
}

void OperatorDialog::focusFor(const Notice& notice)
{
    if (notice.field == Operators::AllFields) {
        clearFields();
        idField()->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (notice.field < 0 || notice.field >= 4)
        return;
    QLineEdit* f = m_fields[notice.field];
    if (notice.clearField)
        f->clear();
    f->setFocus(Qt::OtherFocusReason);
}

void OperatorDialog::checkIdOnLeaving(std::function<std::optional<Notice>(const QString& id)> check)
{
    FieldEvents::whenLeft(idField(), [this, check = std::move(check)](QWidget*) {
        if (auto n = check(idField()->text())) {
            MessageService::notify(this, *n);
            focusFor(*n);
        }
    });
}
