#pragma once

#include <QString>
#include <QStringList>

class SharedQuery;
class TDM1;

// The two lists of loss records: the verbal reports (ADOQuery10) and the replacements
// (ADOQuery9). Other screens fill the same queries before bringing a list up.
namespace LossViews {

struct View
{
    const char* table;
    const char* caption;   // the window caption it opens under
    QStringList filterColumns; // the quick filter's chooser, first selected
};

const View& verbal();
const View& formal();
SharedQuery* queryOf(TDM1& dm, const View& view);

// "显示全部": every record of the view's table.
QString showAll(TDM1& dm, const View& view);
// "查找": records whose column equals the value. The column must be one of the table's;
// anything else closes the list and returns an error text instead of reaching the database.
QString filter(TDM1& dm, const View& view, const QString& column, const QString& value);

} // namespace LossViews
