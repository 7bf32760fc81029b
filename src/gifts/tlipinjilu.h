#pragma once

#include <QDialog>

class ListExport;
class RecordGrid;
class TDM1;

// The redemption records 礼品使用历史记录: every gift handed out, by date, sortable and
// searchable; a corrected cell is written back to its record. A modal dialog made for one use.
class Tlipinjilu : public QDialog
{
    Q_OBJECT
public:
    explicit Tlipinjilu(TDM1& dm, QWidget* parent = nullptr);

    RecordGrid* grid() const { return m_grid; }
    ListExport* exporter() const { return m_export; }

private:
    QString writeCell(int row, const QString& field, const QString& text);

    TDM1& m_dm;
    RecordGrid* m_grid;
    ListExport* m_export;
};
