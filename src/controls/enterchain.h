#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QAbstractButton;
class QWidget;

// Enter moves the focus through a screen's inputs in a fixed order, and from the last input
// to the screen's main button, which a second Enter presses; a counter operator never needs
// the mouse, and no single Enter saves what the operator has not looked at.
class QApplication;

// Enter on a focused push button presses it, as on the shop's Windows desks: the chains end on
// a screen's main button, and the operator confirms with a second Enter.
void pressFocusedButtonsOnEnter(QApplication& app);

class EnterChain : public QObject
{
    Q_OBJECT
public:
    explicit EnterChain(QObject* parent = nullptr);

    // Enter in `from` moves the focus to `to`.
    void link(QWidget* from, QWidget* to);
    // Enter in `from` clicks `button` while it is enabled (a search field runs its search).
    void linkToButton(QWidget* from, QAbstractButton* button);
    // Enter in `from` runs `action` (a lookup, a search).
    void linkToAction(QWidget* from, std::function<void()> action);
    // Links each widget to the next, and the last to the button while the button is enabled.
    void chain(const QList<QWidget*>& order, QAbstractButton* finalButton = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* w);
    struct Step
    {
        QPointer<QWidget> from;
        std::function<void()> action;
    };
    QList<Step> m_steps;
};
