#pragma once

#include <QDate>
#include <QDateTime>

// "Now" as the program sees it: the cycle picker's default, the Entered_Date and Checked_Date
// stamps and the demo generator all ask this object, so that tests can fix the time.
class Clock
{
public:
    virtual ~Clock() = default;
    // Local date and time.
    virtual QDateTime now() const;
    QDate today() const { return now().date(); }

    // The system clock, shared by the whole run.
    static const Clock &system();
};

// A clock that shows what it was set to, for tests and benchmarks.
class TestClock : public Clock
{
public:
    explicit TestClock(const QDateTime &now) : m_now(now) {}
    explicit TestClock(const QDate &today) : m_now(today.startOfDay().addSecs(12 * 3600)) {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &now) { m_now = now; }
    void set(const QDate &today) { m_now = today.startOfDay().addSecs(12 * 3600); }

private:
    QDateTime m_now;
};
