#pragma once

#include <QWidget>

class MemberPanel;
class QButtonGroup;
class QGroupBox;
class QPushButton;
class TDM1;

// The verbal loss screen 会员卡口头挂失及取消: freezes a card at once, or lifts the freeze.
class Tkoutou : public QWidget
{
    Q_OBJECT
public:
    explicit Tkoutou(TDM1& dm, QWidget* parent = nullptr);

    MemberPanel* panel() const { return m_panel; }
    QButtonGroup* modes() const { return m_modes; }
    QPushButton* confirmButton() const { return m_confirm; }
    void confirm();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Run once, when the screen opens; showing it again keeps what it holds.
    void opening();

    TDM1& m_dm;
    MemberPanel* m_panel;
    QGroupBox* m_modeBox;
    QButtonGroup* m_modes;
    QPushButton* m_confirm;
};
