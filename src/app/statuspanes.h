#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>

// The slogan pane: red text that scrolls from right to left without end.
class MarqueePane : public QWidget
{
    Q_OBJECT
public:
    explicit MarqueePane(QWidget* parent = nullptr);
    void setText(const QString& text);
    const QString& text() const { return m_text; }
    // One step of the scroll; public so a test can step it without waiting.
    void step();
    int offset() const { return m_offset; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QString m_text;
    int m_offset = 0;
    QTimer m_timer;
};

// The clock pane: today's long date and the time, refreshed every second.
class ClockPane : public QLabel
{
    Q_OBJECT
public:
    explicit ClockPane(QWidget* parent = nullptr);
    void refresh();
    static QString textFor(const QDateTime& at);

private:
    QTimer m_timer;
};
