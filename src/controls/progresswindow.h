#pragma once

#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

// The progress window of a long run over many rows (an export, an import), with a cancel
// button. It appears only once the total is known to reach `from` rows: below that the run is
// over before a window could be read.
class ProgressWindow
{
public:
    ProgressWindow(QWidget* owner, QString title, QString label, qint64 from = 2000);
    ~ProgressWindow();

    // The progress callback of the run: false once the operator has cancelled.
    bool step(qint64 done, qint64 total);
    bool cancelled() const { return m_cancelled; }
    void close();

private:
    QWidget* m_owner;
    QString m_title;
    QString m_label;
    qint64 m_from;
    bool m_cancelled = false;
    std::unique_ptr<QProgressDialog> m_dialog;
};
