#pragma once

#include "points/pointsops.h"

#include <QWidget>

class MemberPanel;
class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTableWidget;
class RecordGrid;
class TDM1;

// The redemption screen 积分兑换: a member trades points for gifts from stock or for cash, as
// the card category allows.
class Tduihuan : public QWidget
{
    Q_OBJECT
public:
    explicit Tduihuan(TDM1& dm, QWidget* parent = nullptr);

    static constexpr int GiftRows = 20;

    MemberPanel* panel() const { return m_panel; }
    QButtonGroup* modes() const { return m_modes; }
    QLineEdit* points() const { return m_points; }
    QLineEdit* cash() const { return m_cash; }
    QGroupBox* giftGroup() const { return m_giftGroup; }
    QTableWidget* gifts() const { return m_gifts; }
    RecordGrid* pickList() const { return m_pick; }
    QPushButton* confirmButton() const { return m_confirm; }

    void save();
    void showHistory();
    // The pick list's double click: its gift and unit into the current gift row.
    void takePicked(int row);
    void showPickList();

private:
    void startState();
    void disableInputs();
    bool checkRights();
    // The member fields, points and cash emptied; keepCard leaves the card field as typed.
    void clearMember(bool keepCard = false);
    QList<PointsOps::GiftRow> giftRows() const;
    void clearGiftCells();

    TDM1& m_dm;
    MemberPanel* m_panel;
    QButtonGroup* m_modes;
    QLineEdit* m_points;
    QLineEdit* m_cash;
    QGroupBox* m_giftGroup;
    QTableWidget* m_gifts;
    RecordGrid* m_pick;
    QPushButton* m_confirm;
};
