#pragma once

#include "points/history.h"

#include <QWidget>

class ListExport;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class RecordGrid;
class TDM1;

// The points history 会员积分增减历史记录: the log filtered by a column value and a date range,
// with its count and points total, export, and the correction of a wrong entry.
class Txiangxijilu : public QWidget
{
    Q_OBJECT
public:
    explicit Txiangxijilu(TDM1& dm, QWidget* parent = nullptr);

    RecordGrid* grid() const { return m_grid; }
    QComboBox* column() const { return m_column; }
    QLineEdit* value() const { return m_value; }
    QDateEdit* fromDate() const { return m_from; }
    QDateEdit* toDate() const { return m_to; }
    QCheckBox* allDates() const { return m_allDates; }
    QCheckBox* allOther() const { return m_allOther; }
    ListExport* exporter() const { return m_export; }

    void runQuery();
    void deleteCurrent();

private:
    // Run once, when the screen opens; showing it again keeps what it holds.
    void opening();

    TDM1& m_dm;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QComboBox* m_column;
    QLineEdit* m_value;
    QCheckBox* m_allDates;
    QCheckBox* m_allOther;
    RecordGrid* m_grid;
    ListExport* m_export;
};
