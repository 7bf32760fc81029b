#pragma once

#include "data/sharedquery.h"
#include "data/values.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QTableView;
class QLabel;

// How a grid column shows its value.
struct GridColumn
{
    using Format = DisplayFormat;
    QString field;      // column of the query; a field the query lacks shows empty cells
    QString title = {}; // empty: the field name
    Format format = Format::Plain;
};

// One cell of the yellow footer row, standing under a column.
struct GridFooter
{
    enum class Kind { Text, Count, Sum };
    QString underField; // the grid column it stands under
    Kind kind = Kind::Text;
    QString text = {};     // for Text
    QString sumField = {}; // for Sum: the query column summed (usually underField)
};

// The record grid of every list screen: read-only unless given a cell writer, centred titles and cells, whole-row or
// single-cell selection, sorting on a title click (Ctrl+click adds a further key), a find
// dialog (Ctrl+F) and a yellow footer row. It shows a SharedQuery; rows are fetched lazily and
// the footer comes from one aggregate statement over the same condition, so a grid over
// 100,000 rows opens at once.
class RecordGrid : public QWidget
{
    Q_OBJECT
public:
    enum class Selection { Row, Cell };

    explicit RecordGrid(QWidget* parent = nullptr);
    ~RecordGrid() override;

    void setColumns(const QList<GridColumn>& columns);
    // Columns in on-screen order (the operator may drag titles), as export needs them.
    QList<GridColumn> visibleColumns() const;
    void setFooters(const QList<GridFooter>& footers);
    void setSelection(Selection selection);

    // Makes the cells editable, as a list whose rows are corrected in place: a cell the
    // operator changes is handed to `write` with its row and field, which stores the text and
    // returns the engine's error text (empty when stored). Stored, the query is reopened so the
    // grid shows what was stored; refused, the text is shown and the cell keeps its value.
    using CellWriter = std::function<QString(int row, const QString& field, const QString& text)>;
    void setCellWriter(CellWriter write);

    // Binds the grid to a shared query; every reopen of the query refreshes the grid and footer.
    void setSource(SharedQuery* query);
    SharedQuery* source() const;

    QTableView* view() const;
    // Row of the source that is current, -1 when none (also when the source has no rows).
    int currentRow() const;
    void setCurrentRow(int row);
    QVariant value(int row, const QString& field) const;
    QVariant currentValue(const QString& field) const;
    // Shown text of a cell, as the grid formats it (what export writes).
    QString displayText(int row, const QString& field) const;

    // The footer text shown under a grid column ("" when none).
    QString footerText(const QString& field) const;
    void refreshFooters();

    // Sort by the grid column's field: alone, or added after the current keys.
    void sortBy(const QString& field, bool addToKeys = false);

    void showFindDialog();
    // Moves to the next row at or after the current one (wrapping) whose cell in `field`
    // (any column when empty) contains `text`; false when none does.
    bool findNext(const QString& text, const QString& field = {}, Qt::CaseSensitivity cs = Qt::CaseInsensitive);

    // Formats a value the way a column of that format shows it.
    static QString format(const QVariant& value, GridColumn::Format format);

Q_SIGNALS:
    void rowDoubleClicked(int row);
    void currentRowChanged(int row);

private:
    class Private;
    Private* d;
};
