#pragma once

#include "operators/login.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class EnterChain;

// The login dialog 进入系统: the operator picks or types an ID, types the password and enters.
class Tloginform : public QDialog
{
    Q_OBJECT
public:
    explicit Tloginform(QSqlDatabase db, QWidget* parent = nullptr);
    ~Tloginform() override;

    QComboBox* operatorBox() const { return m_operator; }
    QLineEdit* nameField() const { return m_name; }
    QLineEdit* passwordField() const { return m_password; }
    QPushButton* enterButton() const { return m_enter; }
    QPushButton* quitButton() const { return m_quit; }
    const LoginSession& session() const { return m_session; }
    // The item the operator chose or whose ID the typed text matched; -1 for none.
    int selectedItem() const { return m_selected; }

    // "进入": checks the password of the selected operator.
    void enter();

protected:
    void showEvent(QShowEvent* event) override;
    // Esc is no way out: only "退出", the close box or the fifth wrong password end the login.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void prepare();
    void lookUpName();
    void focusChanged(QWidget* old, QWidget* now);
    void selectItem(int index);

    LoginSession m_session;
    QComboBox* m_operator = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_enter = nullptr;
    QPushButton* m_quit = nullptr;
    EnterChain* m_enterKeys = nullptr;
    int m_selected = -1;
    bool m_checkingLeave = false;
};
