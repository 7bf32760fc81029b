#pragma once

#include <QWidget>

class MemberPanel;
class QLineEdit;
class QPushButton;
class TDM1;

// The formal loss screen 会员卡正式挂失/换卡: the member, balance and history move to a new card.
class Tguashi : public QWidget
{
    Q_OBJECT
public:
    explicit Tguashi(TDM1& dm, QWidget* parent = nullptr);

    MemberPanel* panel() const { return m_panel; }
    QLineEdit* newCardField() const { return m_newCard; }
    QPushButton* confirmButton() const { return m_confirm; }
    void confirm();
    void showAllRecords();

private:
    // Run once, when the screen opens; showing it again keeps what it holds.
    void opening();

    TDM1& m_dm;
    MemberPanel* m_panel;
    QLineEdit* m_newCard;
    QPushButton* m_confirm;
    QString m_lookedUp; // the number a member was last loaded for
};
