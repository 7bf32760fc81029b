#include "app/statuspanes.h"

#include "data/clock.h"

#include <QLocale>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;

MarqueePane::MarqueePane(QWidget* parent) : QWidget(parent)
{
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &MarqueePane::step);
}

void MarqueePane::setText(const QString& text)
{
    m_text = text;
    m_offset = width(); // the slogan reads at once from the left edge, then keeps scrolling
    setAccessibleName(text);
    update();
}

void MarqueePane::step()
{
    const int textWidth = fontMetrics().horizontalAdvance(m_text);
    // Start just beyond the right edge, leave fully at the left, then start again.
    ++m_offset;
    if (m_offset > width() + textWidth)
        m_offset = 0;
    update();
}

void MarqueePane::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(QColor(0xd0, 0x10, 0x10));
    const int x = width() - m_offset;
    p.drawText(QRect(x, 0, fontMetrics().horizontalAdvance(m_text) + 4, height()), Qt::AlignVCenter | Qt::AlignLeft,
               m_text);
}

void MarqueePane::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_timer.start();
}

void MarqueePane::hideEvent(QHideEvent* event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

ClockPane::ClockPane(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &ClockPane::refresh);
    m_timer.start();
    refresh();
}

void ClockPane::refresh()
{
    setText(textFor(Clock::currentDateTime()));
}

QString ClockPane::textFor(const QDateTime& at)
{
    // The long date as a Chinese desk calendar writes it, then the time as everywhere else.
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    return chinese.toString(at.date(), u"yyyy年M月d日 dddd"_s) + u' ' + at.time().toString(u"HH:mm:ss"_s);
}
