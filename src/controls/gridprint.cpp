#include "controls/gridprint.h"

#include "controls/messageservice.h"
#include "controls/recordgrid.h"
#include "data/sqlrun.h"

#include <QHeaderView>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTableView>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace GridPrint {

Layout layoutOf(RecordGrid* grid, const QString& title, int titlePointSize)
{
    Layout layout{title, titlePointSize, {}, {}};
    const QHeaderView* header = grid->view()->horizontalHeader();
    const QList<GridColumn> columns = grid->visibleColumns();
    for (int visual = 0; visual < columns.size(); ++visual) {
        const GridColumn& c = columns.at(visual);
        layout.columns << RecordExport::Column{c.field, c.title.isEmpty() ? c.field : c.title, c.format};
        layout.widths << std::max(1, header->sectionSize(header->logicalIndex(visual)));
    }
    return layout;
}

void render(QPrinter& printer, const Layout& layout, RecordExport::RowSource& rows)
{
    printer.setPageMargins(QMarginsF(2, 2, 2, 2), QPageLayout::Millimeter);
    QPainter p;
    if (!p.begin(&printer))
        return;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRect area(0, 0, page.width(), page.height());

    QFont titleFont(u"Noto Sans CJK SC"_s);
    titleFont.setPointSize(layout.titlePointSize);
    QFont cellFont(u"Noto Sans CJK SC"_s);
    cellFont.setPointSize(8);
    QFont headFont = cellFont;
    headFont.setBold(true);

    int total = 0;
    for (int w : layout.widths)
        total += w;
    QList<int> x{0};
    for (int w : layout.widths)
        x << x.last() + (total > 0 ? w * area.width() / total : 0);

    p.setFont(cellFont);
    const int rowHeight = p.fontMetrics().height() * 3 / 2;
    int y = 0;
    auto drawRow = [&](const QStringList& cells, const QFont& font) {
        p.setFont(font);
        for (int i = 0; i < cells.size() && i + 1 < x.size(); ++i) {
            const QRect cell(x.at(i), y, x.at(i + 1) - x.at(i), rowHeight);
            p.drawRect(cell);
            p.drawText(cell.adjusted(2, 0, -2, 0), Qt::AlignCenter | Qt::TextSingleLine,
                       p.fontMetrics().elidedText(cells.at(i), Qt::ElideRight, cell.width() - 4));
        }
        y += rowHeight;
    };
    QStringList titles;
    for (const RecordExport::Column& c : layout.columns)
        titles << c.title;
    auto startPage = [&](bool first) {
        y = 0;
        if (first) {
            p.setFont(titleFont);
            const int h = p.fontMetrics().height() * 3 / 2;
            p.drawText(QRect(0, 0, area.width(), h), Qt::AlignLeft | Qt::AlignVCenter, layout.title);
            y = h;
        }
        drawRow(titles, headFont);
    };

    startPage(true);
    while (rows.next()) {
        if (y + rowHeight > area.height()) {
            printer.newPage();
            startPage(false);
        }
        QStringList cells;
        for (const RecordExport::Column& c : layout.columns)
            cells << Values::displayText(rows.value(c.field), c.format);
        drawRow(cells, cellFont);
    }
    p.end();
}

void preview(QWidget* parent, RecordGrid* grid, const QString& title, int titlePointSize)
{
    const Layout layout = layoutOf(grid, title, titlePointSize);
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(u"打印预览"_s);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        SharedQuery* query = grid->source();
        try {
            std::unique_ptr<RecordExport::RowSource> rows;
            if (query && query->isOpen())
                rows = std::make_unique<RecordExport::QueryRows>(*query);
            else
                rows = std::make_unique<RecordExport::ListRows>(QList<QVariantMap>());
            render(*target, layout, *rows);
        } catch (const Failure& failure) {
            MessageService::notify(parent, Notice::plain(failure.text()));
        }
    });
    dialog.exec();
}

} // namespace GridPrint
