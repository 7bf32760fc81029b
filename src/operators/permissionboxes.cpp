#include "operators/permissionboxes.h"

#include "operators/permissions.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {
// Three columns of eight; the third keeps the insurance reminder above the three gift rights.
constexpr int Columns[3][8] = {
    {1, 2, 3, 4, 5, 6, 7, 8},
    {9, 10, 11, 12, 13, 14, 15, 16},
    {17, 18, 19, 20, 24, 21, 22, 23},
};
const QString SelectAll = u"全选"_s;
const QString ClearAll = u"全清"_s;
} // namespace

PermissionBoxes::PermissionBoxes(Mode mode, QWidget* parent) : QGroupBox(u"操作员权限列表"_s, parent)
{
    setObjectName(u"GroupBoxPermissions"_s);
    for (const PermissionGate& gate : Permissions::gates()) {
        auto* box = new QCheckBox(QString::fromUtf8(gate.name), this);
        box->setObjectName(u"CheckBox%1"_s.arg(gate.k));
        if (mode == Mode::Show) {
            // Ticking here would save nothing, so the boxes only show; they keep their look.
            box->setAttribute(Qt::WA_TransparentForMouseEvents);
            box->setFocusPolicy(Qt::NoFocus);
        }
        m_boxes.append(box);
    }

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(14, 16, 14, 10);
    grid->setHorizontalSpacing(22);
    grid->setVerticalSpacing(7);
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 8; ++r)
            grid->addWidget(box(Columns[c][r]), r, c);
    }
    if (mode == Mode::Edit) {
        m_toggle = new QPushButton(SelectAll, this);
        m_toggle->setObjectName(u"BitBtn3"_s);
        m_toggle->setAutoDefault(false);
        m_toggle->setMinimumWidth(80);
        grid->addWidget(m_toggle, 8, 2, Qt::AlignRight);
        connect(m_toggle, &QPushButton::clicked, this, &PermissionBoxes::toggle);
    }
}

QSet<int> PermissionBoxes::ticked() const
{
    QSet<int> rights;
    for (qsizetype i = 0; i < m_boxes.size(); ++i) {
        if (m_boxes.at(i)->isChecked())
            rights.insert(int(i) + 1);
    }
    return rights;
}

void PermissionBoxes::setTicked(const QSet<int>& rights)
{
    for (qsizetype i = 0; i < m_boxes.size(); ++i)
        m_boxes.at(i)->setChecked(rights.contains(int(i) + 1));
}

void PermissionBoxes::resetToggle()
{
    if (m_toggle)
        m_toggle->setText(SelectAll);
}

void PermissionBoxes::toggle()
{
    const bool all = !m_toggle || m_toggle->text() == SelectAll;
    for (QCheckBox* box : std::as_const(m_boxes))
        box->setChecked(all);
    if (m_toggle)
        m_toggle->setText(all ? ClearAll : SelectAll);
}
