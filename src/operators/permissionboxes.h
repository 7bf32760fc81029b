#pragma once

#include <QGroupBox>
#include <QList>
#include <QSet>

class QCheckBox;
class QPushButton;

// The group 操作员权限列表: the 24 permissions as CheckBox1 to CheckBox24, each captioned
// with its permission name, in three columns. The operator list only shows an operator's
// rights; the two operator dialogs edit them and carry the toggle BitBtn3 (全选 / 全清).
class PermissionBoxes : public QGroupBox
{
    Q_OBJECT
public:
    enum class Mode { Show, Edit };
    explicit PermissionBoxes(Mode mode, QWidget* parent = nullptr);

    QSet<int> ticked() const;
    void setTicked(const QSet<int>& rights);
    QCheckBox* box(int k) const { return m_boxes.value(k - 1); }
    QPushButton* toggleButton() const { return m_toggle; }

    // The toggle offers 全选 again.
    void resetToggle();
    // 全选 ticks every box and offers 全清; 全清 unticks them and offers 全选.
    void toggle();

private:
    QList<QCheckBox*> m_boxes;
    QPushButton* m_toggle = nullptr;
};
