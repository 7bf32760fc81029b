#pragma once

#include "controls/reuseddialog.h"

#include <QDialog>

class CategoryFields;
class QPushButton;
class TDM1;
struct Category;

// The category edit dialog 卡类别修改: changes the ratio and rights; the name stays. Made once
// at start and reused.
class Tkaleibiexiugai : public QDialog, public ReusedDialog<Tkaleibiexiugai>
{
    Q_OBJECT
public:
    explicit Tkaleibiexiugai(TDM1& dm, QWidget* parent = nullptr);

    // The one dialog of the run (made on first use when start-up has not made it yet).

    void fill(const Category& category);
    CategoryFields* fields() const { return m_fields; }
    QPushButton* saveButton() const { return m_save; }
    void save();

private:
    TDM1& m_dm;
    CategoryFields* m_fields;
    QPushButton* m_save;
};
