#pragma once

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QLineEdit;
class RecordGrid;

// The grid's find box: stays open while the operator steps from match to match.
class FindRowDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FindRowDialog(RecordGrid* grid);

    // Offers the grid's columns as they stand now, keeping the chosen one when it still exists.
    void refreshColumns();
    // Moves the grid to the next match, telling the operator when there is none.
    void findNext();

private:
    QPointer<RecordGrid> m_grid;
    QLineEdit* m_text;
    QComboBox* m_column;
    QCheckBox* m_caseSensitive;
};
