#include "controls/filedialogs.h"

#include <QFileDialog>

namespace {
FileDialogs* g_dialogs = nullptr;

FileDialogs::Choice run(QFileDialog& dialog, const QStringList& filters)
{
    FileDialogs::Choice choice;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return choice;
    choice.accepted = true;
    choice.path = dialog.selectedFiles().first();
    choice.filter = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (choice.filter < 1)
        choice.filter = 1;
    return choice;
}
} // namespace

FileDialogs& FileDialogs::instance()
{
    static QtFileDialogs real;
    return g_dialogs ? *g_dialogs : real;
}

void FileDialogs::setInstance(FileDialogs* dialogs)
{
    g_dialogs = dialogs;
}

FileDialogs::Choice QtFileDialogs::save(QWidget* parent, const QString& caption, const QString& name,
                                        const QStringList& filters, int filter)
{
    QFileDialog dialog(parent, caption);
    // Qt's own dialog: the same look and the same Chinese labels on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (filter >= 1 && filter <= filters.size())
        dialog.selectNameFilter(filters.at(filter - 1));
    dialog.selectFile(name);
    return run(dialog, filters);
}

FileDialogs::Choice QtFileDialogs::open(QWidget* parent, const QString& caption, const QStringList& filters)
{
    QFileDialog dialog(parent, caption);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    return run(dialog, filters);
}
