#pragma once

#include "members/memberdraft.h"
#include "members/memberrecord.h"

#include "controls/refillingcombo.h"

#include <QComboBox>
#include <QHash>
#include <QWidget>

class QAbstractButton;
class QCheckBox;
class QDateEdit;
class QLineEdit;
class EnterChain;

// The member's fields as the registration screen and the edit dialog lay them out. The two
// differ only in the birthday (a date picker, or free m-d text), the address (a drop-down of
// earlier values, or plain text) and the names of a few controls.
class MemberForm : public QWidget
{
    Q_OBJECT
public:
    enum class Variant { Registration, Edit };

    MemberForm(QSqlDatabase db, Variant variant, QWidget* parent = nullptr);

    Variant variant() const { return m_variant; }
    MemberDraft draft() const;
    // The edit dialog's filling: a date column that is empty leaves its picker as it was.
    void fill(const MemberRecord& member);
    // The opening and after-save state: texts cleared, dates today, insurance ticked with
    // expiry one year on, the first category and "男".
    void reset();
    // Refills the category box (in table order) and the sex box; keepText leaves the shown texts.
    void loadChoices(bool keepText);

    QWidget* input(MemberField field) const;
    QWidget* byName(const QString& objectName) const;
    QLineEdit* cardField() const { return m_card; }
    QComboBox* categoryBox() const { return m_category; }
    QCheckBox* insuredBox() const { return m_insured; }
    QDateEdit* insuranceDate() const { return m_insuranceDate; }
    QDateEdit* insuranceExpiry() const { return m_insuranceExpiry; }

    // Enter moves through the fields in their fixed order and from the last to `button`.
    void chainEnterTo(QAbstractButton* button);
    // Focus (and clearing) for an operation's refusal.
    void focusFor(const Notice& notice);

private:
    void build();
    void takeBirthdayFromId();

    QSqlDatabase m_db;
    Variant m_variant;
    QHash<QString, QWidget*> m_byName;
    QList<QWidget*> m_enterOrder;
    EnterChain* m_enter = nullptr;

    QLineEdit* m_card = nullptr;
    QComboBox* m_category = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_sex = nullptr;
    QLineEdit* m_id = nullptr;
    QDateEdit* m_birthdayDate = nullptr; // registration
    QLineEdit* m_birthdayText = nullptr; // edit dialog
    QComboBox* m_addressBox = nullptr;   // registration
    QLineEdit* m_addressText = nullptr;  // edit dialog
    QLineEdit* m_phone = nullptr;
    QLineEdit* m_mobile = nullptr;
    QDateEdit* m_start = nullptr;
    RefillingCombo* m_occupation = nullptr;
    RefillingCombo* m_hobby = nullptr;
    QLineEdit* m_plate = nullptr;
    QLineEdit* m_vin = nullptr;
    RefillingCombo* m_model = nullptr;
    RefillingCombo* m_colour = nullptr;
    QDateEdit* m_purchase = nullptr;
    QCheckBox* m_insured = nullptr;
    QDateEdit* m_insuranceDate = nullptr;
    QDateEdit* m_insuranceExpiry = nullptr;
};
