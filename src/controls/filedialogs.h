#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Every file dialog the operator sees goes through here; tests install a scripted one that
// answers with the next file name (or a cancel), so no test ever blocks on a dialog.
class FileDialogs
{
public:
    struct Choice
    {
        bool accepted = false;
        QString path;
        int filter = 1; // position of the chosen filter entry, from 1
    };

    virtual ~FileDialogs() = default;
    // A save dialog in `folder` proposing `name`, with the filters in order and `filter`
    // preselected. Asking before an existing file is overwritten is the dialog's own business.
    virtual Choice save(QWidget* parent, const QString& caption, const QString& folder, const QString& name,
                        const QStringList& filters, int filter) = 0;
    virtual Choice open(QWidget* parent, const QString& caption, const QStringList& filters) = 0;

    static FileDialogs& instance();
    static void setInstance(FileDialogs* dialogs); // nullptr: the real dialogs

    // Where a screen's dialog starts: the folder of the file last chosen on that screen during
    // this run, else the user's documents folder (the home folder when there is none).
    static QString startFolder(const QString& screen);
    static void remember(const QString& screen, const QString& chosenPath);
};

class QtFileDialogs : public FileDialogs
{
public:
    Choice save(QWidget* parent, const QString& caption, const QString& folder, const QString& name,
                const QStringList& filters, int filter) override;
    Choice open(QWidget* parent, const QString& caption, const QStringList& filters) override;
};
