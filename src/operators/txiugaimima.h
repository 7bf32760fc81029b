#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;
class TDM1;

// The password change 修改密码: the operator at the counter changes the own password.
class Txiugaimima : public QWidget
{
    Q_OBJECT
public:
    explicit Txiugaimima(TDM1& dm, QWidget* parent = nullptr);

    QLineEdit* field(int n) const { return m_fields[n - 1]; } // Edit1 to Edit4
    QPushButton* confirmButton() const { return m_confirm; }

    // "确认".
    void confirm();

protected:
    bool event(QEvent* event) override;

private:
    TDM1& m_dm;
    QLineEdit* m_fields[4] = {};
    QPushButton* m_confirm;
};
