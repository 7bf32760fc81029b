#pragma once

#include "controls/filedialogs.h"

#include <QList>

// Answers file dialogs from a script: the next choice given, or a cancel when none is left.
// Records what each dialog proposed.
class ScriptedFileDialogs : public FileDialogs
{
public:
    struct Asked
    {
        QString caption;
        QString folder;
        QString name;
        QStringList filters;
        int filter;
    };

    ScriptedFileDialogs() { FileDialogs::setInstance(this); }
    ~ScriptedFileDialogs() override { FileDialogs::setInstance(nullptr); }

    void chooseNext(const QString& path, int filter) { m_next.append({true, path, filter}); }
    void cancelNext() { m_next.append(Choice{}); }
    const QList<Asked>& asked() const { return m_asked; }

    Choice save(QWidget*, const QString& caption, const QString& folder, const QString& name,
                const QStringList& filters, int filter) override
    {
        m_asked.append({caption, folder, name, filters, filter});
        return m_next.isEmpty() ? Choice{} : m_next.takeFirst();
    }
    Choice open(QWidget*, const QString& caption, const QStringList& filters) override
    {
        m_asked.append({caption, {}, {}, filters, 1});
        return m_next.isEmpty() ? Choice{} : m_next.takeFirst();
    }

private:
    QList<Choice> m_next;
    QList<Asked> m_asked;
};
