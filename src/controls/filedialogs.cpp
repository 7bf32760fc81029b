#include "controls/filedialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

namespace {
FileDialogs* g_dialogs = nullptr;

QHash<QString, QString>& lastFolders()
{
    static QHash<QString, QString> folders;
    return folders;
}

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

QString FileDialogs::startFolder(const QString& screen)
{
    const QString last = lastFolders().value(screen);
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void FileDialogs::remember(const QString& screen, const QString& chosenPath)
{
    lastFolders().insert(screen, QFileInfo(chosenPath).absolutePath());
}

FileDialogs::Choice QtFileDialogs::save(QWidget* parent, const QString& caption, const QString& folder,
                                        const QString& name, const QStringList& filters, int filter)
{
    QFileDialog dialog(parent, caption);
    // Qt's own dialog: the same look and the same Chinese labels on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (filter >= 1 && filter <= filters.size())
        dialog.selectNameFilter(filters.at(filter - 1));
    dialog.setDirectory(folder);
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
