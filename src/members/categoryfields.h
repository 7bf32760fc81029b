#pragma once

#include "members/categories.h"

#include <QWidget>

class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QSpinBox;
class EnterChain;

// The four inputs of a card category, as the category screen and its edit dialog show them:
// the name, "本类别的会员消费 [N] 元积 1 分", and the two rights.
class CategoryFields : public QWidget
{
    Q_OBJECT
public:
    explicit CategoryFields(QWidget* parent = nullptr);

    Category category() const;
    void setCategory(const Category& category);
    // Name empty, ratio 1, both rights ticked.
    void reset();

    QLineEdit* nameField() const { return m_name; }
    QSpinBox* ratioField() const { return m_ratio; }
    QCheckBox* giftsBox() const { return m_gifts; }
    QCheckBox* cashBox() const { return m_cash; }

    // Enter: name → ratio → gifts → cash → `button` (when given and enabled).
    void chainEnterTo(QAbstractButton* button);
    void focusFor(const Notice& notice);

private:
    QLineEdit* m_name;
    QSpinBox* m_ratio;
    QCheckBox* m_gifts;
    QCheckBox* m_cash;
    EnterChain* m_enter;
};
