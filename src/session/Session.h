#pragma once

#include "Clock.h"
#include "DataModule1.h"

#include <QDate>
#include <QString>

// What a window or an operation needs of the run: the connection, the logged-in user and the
// roles, the active cycle and the clock. Handed over explicitly; nothing reaches for a global.
class Session
{
public:
    explicit Session(TDataModule1 &dm, const Clock &clock = Clock::system()) : m_dm(dm), m_clock(&clock) {}

    TDataModule1 &dataModule() const { return m_dm; }
    Connection &connection() const { return m_dm.ADOConnection1; }
    const QString &user() const { return m_dm.Current_UserID; }
    bool hasRole(const QString &role) const { return m_dm.hasRole(role); }
    // First row of PayrollActiveCycle, read once per run. Throws DbError.
    CycleMonth activeCycle() const { return m_dm.activeCycle(); }

    const Clock &clock() const { return *m_clock; }
    void setClock(const Clock &clock) { m_clock = &clock; }
    QDate today() const { return m_clock->today(); }

private:
    TDataModule1 &m_dm;
    const Clock *m_clock;
};
