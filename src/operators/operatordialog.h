#pragma once

#include "operators/operatoradmin.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;
class PermissionBoxes;
class TDM1;

// What the new and the change operator dialogs share: the ID, name, password and
// confirmation fields (Edit1 to Edit4), the permission boxes with their toggle, the main
// button (BitBtn1) and 退出 (BitBtn2). Enter walks the four fields and then presses the main
// button. Centred, modal, with only a close box.
class OperatorDialog : public QDialog
{
    Q_OBJECT
public:
    QLineEdit* idField() const { return m_fields[Operators::IdField]; }
    QLineEdit* field(Operators::Field f) const { return m_fields[f]; }
    PermissionBoxes* permissions() const { return m_permissions; }
    QPushButton* mainButton() const { return m_main; }
    QPushButton* quitButton() const { return m_quit; }

    OperatorDraft draft() const;

protected:
    OperatorDialog(TDM1& dm, const QString& title, const QString& mainCaption, QWidget* parent);

    // Clears the four fields.
    void clearFields();
    // After a refusal: empties what the notice says and puts the focus on its field.
    void focusFor(const Notice& notice);
    // Runs the check when the operator leaves the ID field for another control.
    void checkIdOnLeaving(std::function<std::optional<Notice>(const QString& id)> check);

    TDM1& m_dm;

private:
    QLineEdit* m_fields[4] = {};
    PermissionBoxes* m_permissions;
    QPushButton* m_main;
    QPushButton* m_quit;
};
