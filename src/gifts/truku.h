#pragma once

#include <QDialog>

class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TDM1;

// The stock-in 礼品入库: date, gift, unit, quantity and remark of gifts taken into stock.
// A modal dialog made for one use.
class Truku : public QDialog
{
    Q_OBJECT
public:
    explicit Truku(TDM1& dm, QWidget* parent = nullptr);

    QDateEdit* dateField() const { return m_date; }
    QLineEdit* nameField() const { return m_name; }
    QLineEdit* unitField() const { return m_unit; }
    QLineEdit* quantityField() const { return m_quantity; }
    QPlainTextEdit* remarkField() const { return m_remark; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* nextButton() const { return m_next; }

    // "保存": asks, checks, books the stock-in.
    void save();
    // "下一个": empties everything but the date for the next gift.
    void next();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TDM1& m_dm;
    QDateEdit* m_date;
    QLineEdit* m_name;
    QLineEdit* m_unit;
    QLineEdit* m_quantity;
    QPlainTextEdit* m_remark;
    QPushButton* m_save;
    QPushButton* m_next;
};
