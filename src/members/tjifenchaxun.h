#pragma once

#include <QWidget>

class MemberPanel;
class QPushButton;
class TDM1;

// The member query screen 会员信息查询: one member's whole record, found by card or by a fuzzy
// search, and the way to that member's points history. Nothing typed here is stored.
class Tjifenchaxun : public QWidget
{
    Q_OBJECT
public:
    explicit Tjifenchaxun(TDM1& dm, QWidget* parent = nullptr);

    MemberPanel* panel() const { return m_panel; }
    QPushButton* historyButton() const { return m_history; }

private:
    // Run once, when the screen opens; showing it again keeps what it holds.
    void opening();

    MemberPanel* m_panel;
    QPushButton* m_history;
};
