#pragma once

#include <QWidget>

class PermissionBoxes;
class QPushButton;
class RecordGrid;
class TDM1;

// The operator list 系统设置: every operator but the built-in one, the rights of the one
// clicked, and the buttons that add, change and delete operators.
class Txtshezhi : public QWidget
{
    Q_OBJECT
public:
    explicit Txtshezhi(TDM1& dm, QWidget* parent = nullptr);

    RecordGrid* grid() const { return m_grid; }
    PermissionBoxes* permissions() const { return m_permissions; }

    void addOperators();
    void changeCurrent();
    void deleteCurrent();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Re-reads the list, staying on the operator with this ID when it is still there.
    void refresh(const QString& stayOn);
    QString currentId() const;

    TDM1& m_dm;
    RecordGrid* m_grid;
    PermissionBoxes* m_permissions;
};
