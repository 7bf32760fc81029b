#include "controls/findrowdialog.h"

#include "controls/messageservice.h"
#include "controls/recordgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

FindRowDialog::FindRowDialog(RecordGrid* grid)
    : QDialog(grid), m_grid(grid), m_text(new QLineEdit), m_column(new QComboBox),
      m_caseSensitive(new QCheckBox)
{
    setObjectName(u"findDialog"_s);
    setWindowTitle(u"查找"_s);
    m_text->setObjectName(u"findText"_s);
    m_text->setMinimumWidth(220);
    m_column->setObjectName(u"findColumn"_s);
    m_caseSensitive->setObjectName(u"findCase"_s);
    m_caseSensitive->setText(u"区分大小写"_s);

    auto* textLabel = new QLabel(u"查找内容"_s);
    textLabel->setBuddy(m_text);
    auto* columnLabel = new QLabel(u"查找列"_s);
    columnLabel->setBuddy(m_column);

    auto* form = new QFormLayout;
    form->addRow(textLabel, m_text);
    form->addRow(columnLabel, m_column);
    form->addRow(QString(), m_caseSensitive);

    auto* next = new QPushButton(u"查找下一个"_s);
    next->setObjectName(u"findNext"_s);
    next->setDefault(true);
    auto* close = new QPushButton(u"关闭"_s);
    close->setObjectName(u"findClose"_s);
    connect(next, &QPushButton::clicked, this, &FindRowDialog::findNext);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(next);
    buttons->addWidget(close);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addLayout(buttons);
    refreshColumns();
}

void FindRowDialog::refreshColumns()
{
    const QString chosen = m_column->currentData().toString();
    m_column->clear();
    m_column->addItem(u"全部列"_s, QString());
    if (m_grid) {
        for (const GridColumn& c : m_grid->visibleColumns())
            m_column->addItem(c.title.isEmpty() ? c.field : c.title, c.field);
    }
    const int at = m_column->findData(chosen);
    m_column->setCurrentIndex(at < 0 ? 0 : at);
}

void FindRowDialog::findNext()
{
    const QString text = m_text->text();
    if (text.isEmpty() || !m_grid) {
        m_text->setFocus();
        return;
    }
    const Qt::CaseSensitivity cs = m_caseSensitive->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (!m_grid->findNext(text, m_column->currentData().toString(), cs)) {
        MessageService::information(this, u"提示"_s, u"没有找到“%1”。"_s.arg(text));
        m_text->setFocus();
        m_text->selectAll();
    }
}
