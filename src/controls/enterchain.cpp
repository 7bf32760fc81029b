#include "controls/enterchain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

namespace {
class ButtonEnterKey : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || key->modifiers() & ~Qt::KeypadModifier)
            return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->hasFocus() || !button->isEnabled())
            return false;
        button->click();
        return true;
    }
};
} // namespace

void pressFocusedButtonsOnEnter(QApplication& app)
{
    app.installEventFilter(new ButtonEnterKey(&app));
}

EnterChain::EnterChain(QObject* parent) : QObject(parent) {}

void EnterChain::watch(QWidget* w)
{
    w->installEventFilter(this);
    // An editable drop-down takes the keys in its line edit.
    if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit())
        combo->lineEdit()->installEventFilter(this);
}

void EnterChain::link(QWidget* from, QWidget* to)
{
    QPointer<QWidget> target(to);
    linkToAction(from, [target] {
        if (target) {
            target->setFocus(Qt::OtherFocusReason);
            if (auto* edit = qobject_cast<QLineEdit*>(target.data()))
                edit->selectAll();
        }
    });
}

void EnterChain::linkToButton(QWidget* from, QAbstractButton* button)
{
    QPointer<QAbstractButton> target(button);
    linkToAction(from, [target] {
        if (target && target->isEnabled())
            target->click();
    });
}

void EnterChain::linkToAction(QWidget* from, std::function<void()> action)
{
    watch(from);
    m_steps.append({from, std::move(action)});
}

void EnterChain::chain(const QList<QWidget*>& order, QAbstractButton* finalButton)
{
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        link(order.at(i), order.at(i + 1));
    if (finalButton && !order.isEmpty()) {
        QPointer<QAbstractButton> target(finalButton);
        linkToAction(order.last(), [target] {
            if (target && target->isEnabled())
                target->setFocus(Qt::OtherFocusReason);
        });
    }
}

bool EnterChain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    for (const Step& step : std::as_const(m_steps)) {
        if (!step.from)
            continue;
        QObject* owner = step.from.data();
        if (watched == owner || watched->parent() == owner) {
            // Copy: the action may change the chain.
            const auto action = step.action;
            action();
            return true;
        }
    }
    return false;
}
