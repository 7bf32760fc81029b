#include "sheets/listexport.h"

#include "controls/filedialogs.h"
#include "controls/messageservice.h"
#include "controls/progresswindow.h"
#include "controls/recordgrid.h"
#include "data/sqlrun.h"
#include "sheets/recordexport.h"

#include <QFileInfo>
#include <QWidget>

#include <memory>

using namespace Qt::Literals::StringLiterals;

ListExport::ListExport(RecordGrid* grid, Texts texts, QWidget* owner)
    : QObject(owner), m_grid(grid), m_texts(std::move(texts)), m_owner(owner), m_kind(int(RecordExport::Kind::Xls))
{
}

void ListExport::run()
{
    SharedQuery* query = m_grid->source();
    const bool open = query && query->isOpen();
    if (m_texts.skipWhenEmpty && (!open || query->totalRows() == 0))
        return;

    const QString screen = m_owner ? m_owner->objectName() : QString();
    const FileDialogs::Choice choice = FileDialogs::instance().save(
        m_owner, u"另存为"_s, FileDialogs::startFolder(screen), u"file1"_s, RecordExport::filters(), m_kind);
    if (!choice.accepted)
        return;
    m_kind = choice.filter;
    FileDialogs::remember(screen, choice.path);
    const auto kind = RecordExport::Kind(m_kind);
    const QString path = RecordExport::withExtension(choice.path, kind);
    // The dialog asked about the name it was given; a name the extension was added to may
    // stand for another existing file, which must not be replaced without a word.
    if (path != choice.path && QFileInfo::exists(path)
        && !MessageService::question(m_owner, u"确认另存为"_s,
                                     u"%1 已存在。\n要替换它吗？"_s.arg(QFileInfo(path).fileName()),
                                     MessageService::Buttons::YesNo))
        return;

    QList<RecordExport::Column> columns;
    for (const GridColumn& c : m_grid->visibleColumns())
        columns << RecordExport::Column{c.field, c.title.isEmpty() ? c.field : c.title, c.format};

    std::unique_ptr<RecordExport::RowSource> rows;
    try {
        if (open)
            rows = std::make_unique<RecordExport::QueryRows>(*query);
        else
            rows = std::make_unique<RecordExport::ListRows>(QList<QVariantMap>());
    } catch (const Failure& failure) {
        MessageService::notify(m_owner, Notice::plain(failure.text()));
        return;
    }

    ProgressWindow progress(m_owner, u"导出"_s, u"正在导出数据…"_s);
    QString error;
    const bool ok = RecordExport::writeFile(
        kind, path, columns, *rows, [&](qint64 done, qint64 total) { return progress.step(done, total); }, &error);
    progress.close();
    if (ok)
        MessageService::information(m_owner, m_texts.caption, m_texts.text);
    else if (!progress.cancelled())
        MessageService::notify(m_owner, Notice::plain(error));
}
