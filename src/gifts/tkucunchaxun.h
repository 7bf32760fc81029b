#pragma once

#include <QDialog>

class ListExport;
class QLineEdit;
class QPushButton;
class RecordGrid;
class TDM1;

// The stock list 礼品库存查询: every gift and unit with its stock and their total, one gift
// looked up by name and unit, a gift deleted with all its movements, and the export.
// A modal dialog made for one use.
class Tkucunchaxun : public QDialog
{
    Q_OBJECT
public:
    explicit Tkucunchaxun(TDM1& dm, QWidget* parent = nullptr);

    RecordGrid* grid() const { return m_grid; }
    QLineEdit* nameField() const { return m_name; }
    QLineEdit* unitField() const { return m_unit; }
    ListExport* exporter() const { return m_export; }

    void showAll();  // "显示全部"
    void showOne();  // "查询"
    void removeCurrent(); // "删除"

private:
    TDM1& m_dm;
    RecordGrid* m_grid;
    QLineEdit* m_name;
    QLineEdit* m_unit;
    ListExport* m_export;
};
