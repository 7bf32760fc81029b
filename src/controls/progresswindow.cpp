#include "controls/progresswindow.h"

#include <QProgressDialog>

using namespace Qt::Literals::StringLiterals;

ProgressWindow::ProgressWindow(QWidget* owner, QString title, QString label, qint64 from)
    : m_owner(owner), m_title(std::move(title)), m_label(std::move(label)), m_from(from)
{
}

ProgressWindow::~ProgressWindow() = default;

bool ProgressWindow::step(qint64 done, qint64 total)
{
    if (!m_dialog && total >= m_from) {
        m_dialog = std::make_unique<QProgressDialog>(m_label, u"取消"_s, 0, 100, m_owner);
        m_dialog->setObjectName(u"progress"_s);
        m_dialog->setWindowTitle(m_title);
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setMinimumDuration(0); // a run this long is worth watching from its start
    }
    if (!m_dialog)
        return true;
    // A modal progress window handles the events on each step, the cancel button's included.
    m_dialog->setValue(total > 0 ? int(done * 100 / total) : 0);
    m_cancelled = m_dialog->wasCanceled();
    return !m_cancelled;
}

void ProgressWindow::close()
{
    m_dialog.reset();
}
