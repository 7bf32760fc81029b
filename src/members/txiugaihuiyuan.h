#pragma once

#include "controls/reuseddialog.h"

#include <QDialog>

class MemberForm;
class QPushButton;
class TDM1;
struct MemberRecord;

// The member edit dialog 修改会员信息: corrects any field of a member, the card number included;
// never the points or the verbal-loss flag. Made once at start and reused.
class Txiugaihuiyuan : public QDialog, public ReusedDialog<Txiugaihuiyuan>
{
    Q_OBJECT
public:
    explicit Txiugaihuiyuan(TDM1& dm, QWidget* parent = nullptr);


    // Fills from the member and remembers its number as the row to change.
    void fill(const MemberRecord& member);
    const QString& oldCardNo() const { return m_oldCard; }
    MemberForm* form() const { return m_form; }
    QPushButton* confirmButton() const { return m_confirm; }
    void confirm();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TDM1& m_dm;
    MemberForm* m_form;
    QPushButton* m_confirm;
    QString m_oldCard;
};
