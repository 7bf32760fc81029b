#pragma once

#include "sheets/xlsbook.h"

#include <QList>
#include <QString>
#include <QStringList>

// One row of a worksheet as read: its number as the spreadsheet shows it (the first row is 1)
// and its cells by column, empty cells included up to the last one that holds a value.
struct SheetRow
{
    int number = 0;
    QList<SheetCell> cells;
};

// Reading one worksheet of a workbook: Excel 97-2003 (.xls, through freexl) or Excel 2007+
// (.xlsx, a zip of XML parts). Which one a file is comes from its first bytes, not its name.
// Numbers are numbers, texts texts, and a cell with a date format is a date.
namespace SheetReader {

struct Sheet
{
    QString name;
    QList<SheetRow> rows; // rows without any value are left out
    bool dates1904 = false; // day numbers count from 1904 (SheetDates::fromSerial)
};

// Reads the worksheet whose name equals `sheetName` without regard to case. False with a
// reason the operator can act on: no such file, not a workbook, a damaged or protected one,
// or no worksheet of that name (the reason lists the ones there are).
bool read(const QString& path, const QString& sheetName, Sheet* sheet, QString* error);

} // namespace SheetReader
