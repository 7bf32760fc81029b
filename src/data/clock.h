#pragma once

#include <QDateTime>

// The one source of "now". Reminders, dates written into rows and receipts all ask it,
// so tests can pin the day (31 December, 29 February) instead of waiting for it.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    static QDateTime currentDateTime();
    static QDate today() { return currentDateTime().date(); }

    // Replaces the system clock; passing nullptr restores it. The caller keeps ownership.
    static void setInstance(Clock* clock);
    // The clock set in place of the system clock, nullptr when none is.
    static Clock* instance();
};

// A clock that stands still at a chosen moment until told otherwise.
class FixedClock : public Clock
{
public:
    explicit FixedClock(QDateTime at) : m_at(std::move(at)) {}
    QDateTime now() const override { return m_at; }
    void set(QDateTime at) { m_at = std::move(at); }
    void advanceSeconds(qint64 s) { m_at = m_at.addSecs(s); }

private:
    QDateTime m_at;
};
