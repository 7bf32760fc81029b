#pragma once

#include "operators/password.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;

// The away lock 离开挂起: the operator locks the counter with the password typed at login and
// only that password wakes it. Once locked it covers the whole program and nothing closes
// it: no Escape, no close from the window manager, no Alt+F4; only "唤醒".
class Tguaqi : public QDialog
{
    Q_OBJECT
public:
    explicit Tguaqi(const QString& loginPassword, QWidget* parent = nullptr);

    // Made for one use: shows the lock over the whole program until it is woken or cancelled.
    static void lockCounter(QWidget* parent);

    bool isLocked() const { return m_lock.isLocked(); }
    QLineEdit* passwordField() const { return m_password; }
    QPushButton* lockButton() const { return m_lockButton; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* wakeButton() const { return m_wake; }
    QGroupBox* group() const { return m_group; }

    void lock();
    void wake();

    // Refused while locked.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AwayLock m_lock;
    QGroupBox* m_group;
    QLineEdit* m_password;
    QPushButton* m_lockButton;
    QPushButton* m_cancel;
    QPushButton* m_wake;
};
