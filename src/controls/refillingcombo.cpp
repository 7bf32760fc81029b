#include "controls/refillingcombo.h"

#include "controls/inputs.h"

RefillingCombo::RefillingCombo(std::function<QStringList()> source, QWidget* parent)
    : QComboBox(parent), m_source(std::move(source))
{
    makeTypable(this);
}

void RefillingCombo::refill()
{
    const QString text = currentText();
    clear();
    addItems(m_source());
    setCurrentIndex(-1);
    setEditText(text);
}

void RefillingCombo::showPopup()
{
    refill();
    QComboBox::showPopup();
}
