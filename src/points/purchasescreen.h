#pragma once

#include "points/pointsops.h"

#include <QWidget>

class MemberPanel;
class QComboBox;
class QLineEdit;
class QPushButton;
class RefillingCombo;
class TDM1;

// The purchase and return screens: find the member, name the goods, type the amount, take
// the proposed points (amount ÷ the category's ratio) and save. The two differ only in their
// texts and in the sign of the points.
class PurchaseScreen : public QWidget
{
    Q_OBJECT
public:
    MemberPanel* panel() const { return m_panel; }
    QComboBox* goods() const;
    QLineEdit* amount() const { return m_amount; }
    QLineEdit* points() const { return m_points; }
    QPushButton* confirmButton() const { return m_confirm; }

    void save();

protected:
    struct Texts
    {
        QString title;        // window caption and heading
        QString heading;
        QString goodsLabel;
        QString amountLabel;
        QString amountNote;   // a red note under the amount, or empty
        QString pointsLabel;
    };
    PurchaseScreen(TDM1& dm, PointsOps::PurchaseKind kind, const Texts& texts, QWidget* parent);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startState();
    // The goods, amount and points emptied and disabled with 确定.
    void clearInputs();
    void enableInputs(bool on);
    void proposePoints();

    TDM1& m_dm;
    PointsOps::PurchaseKind m_kind;
    MemberPanel* m_panel;
    RefillingCombo* m_goods;
    QLineEdit* m_amount;
    QLineEdit* m_points;
    QPushButton* m_confirm;
};

// 购物或换货增加积分: points for a purchase or an exchange.
class Tzengjiajifen : public PurchaseScreen
{
    Q_OBJECT
public:
    explicit Tzengjiajifen(TDM1& dm, QWidget* parent = nullptr);
};

// 退货或换货减积分: points taken back for a return, or the difference of an exchange.
class Ttuihuo : public PurchaseScreen
{
    Q_OBJECT
public:
    explicit Ttuihuo(TDM1& dm, QWidget* parent = nullptr);
};
