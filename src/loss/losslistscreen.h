#pragma once

#include "controls/recordgrid.h"
#include "loss/lossviews.h"

#include <QWidget>

class ListExport;
class QComboBox;
class QLineEdit;
class QPushButton;
class TDM1;

// A list of loss records: the whole table, one column equal to a value, export and sorting.
// It shows a shared query that other screens may have filled before bringing it up, so it
// never opens the query itself when shown.
class LossListScreen : public QWidget
{
    Q_OBJECT
public:
    RecordGrid* grid() const { return m_grid; }
    QComboBox* filterColumn() const { return m_column; }
    QLineEdit* filterValue() const { return m_value; }
    ListExport* exporter() const { return m_export; }

    void showAll();
    void find();

protected:
    LossListScreen(TDM1& dm, const LossViews::View& view, const QString& listCaption,
                   const QList<GridColumn>& columns, QWidget* parent);

private:
    // Run once, when the screen opens; showing it again keeps what it holds.
    void opening();

    TDM1& m_dm;
    const LossViews::View& m_view;
    RecordGrid* m_grid;
    QComboBox* m_column;
    QLineEdit* m_value;
    ListExport* m_export;
};

// The verbal loss reports 口头挂失记录 (ADOQuery10).
class Tkoutoujilu : public LossListScreen
{
    Q_OBJECT
public:
    explicit Tkoutoujilu(TDM1& dm, QWidget* parent = nullptr);
};

// The replacement records 全部挂失历史记录 (ADOQuery9).
class Tguashilishi : public LossListScreen
{
    Q_OBJECT
public:
    explicit Tguashilishi(TDM1& dm, QWidget* parent = nullptr);
};
