#pragma once

#include <QWidget>

class QDateEdit;
class QPushButton;
class TDM1;

// The history clearing screen 数据整理: deletes the loss, log and redemption rows dated before
// the chosen day.
class Tzhengli : public QWidget
{
    Q_OBJECT
public:
    explicit Tzhengli(TDM1& dm, QWidget* parent = nullptr);

    QDateEdit* datePicker() const { return m_date; }
    QPushButton* confirmButton() const { return m_confirm; }
    void confirm();

private:
    TDM1& m_dm;
    QDateEdit* m_date;
    QPushButton* m_confirm;
};
