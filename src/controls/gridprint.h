#pragma once

#include "sheets/recordexport.h"

#include <QList>
#include <QString>

class QPrinter;
class QWidget;
class RecordGrid;

// Printing a record list: a one-line title above the grid's columns and rows, 2 mm margins,
// the titles repeated on every page.
namespace GridPrint {

struct Layout
{
    QString title;
    int titlePointSize = 13;
    QList<RecordExport::Column> columns;
    QList<int> widths; // relative widths of the columns, as the grid shows them
};

// Lays the rows out on the printer's pages.
void render(QPrinter& printer, const Layout& layout, RecordExport::RowSource& rows);
// The print preview of a grid, from which the operator prints, sets up the printer or closes.
void preview(QWidget* parent, RecordGrid* grid, const QString& title, int titlePointSize);
Layout layoutOf(RecordGrid* grid, const QString& title, int titlePointSize);

} // namespace GridPrint
