#pragma once

#include "Query.h"

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <functional>
#include <memory>

// Hours of one day of the dashboard.
struct DashboardDay
{
    QDate date;
    qint64 hours = 0;
};

// One chart's worth: a bar per day that has "P"/"H" rows, in date order, and their sum.
struct DashboardSeries
{
    QList<DashboardDay> days;
    qint64 total = 0;
};

struct DashboardData
{
    DashboardSeries deployed;
    DashboardSeries billed;
    bool totalsAgree() const { return deployed.total == billed.total; }
};

// Hours deployed (own timesheets) against hours billed (client attendance) per day of a cycle.
// A null hour counts as 0, as everywhere else in the program.
class CycleDashboard
{
public:
    explicit CycleDashboard(Connection &connection);
    ~CycleDashboard();
    CycleDashboard(const CycleDashboard &) = delete;
    CycleDashboard &operator=(const CycleDashboard &) = delete;

    Query HoursDeployedQ;
    Query HoursBilledQ;

    // Each runs its query for the cycle and walks the rows. Throw DbError.
    DashboardSeries deployed(int year, int month);
    DashboardSeries billed(int year, int month);
    // Both, the billed sums on a second connection while the deployed ones run here; the
    // callback sees the deployed series as soon as it is there.
    DashboardData refresh(int year, int month, const std::function<void(const DashboardSeries &)> &deployedReady = {});

    // Each of the two month-long sums may run this long (180 s) before the server cancels it;
    // the failure then says so. Tests shorten it.
    static int timeoutMs();
    static void setTimeoutMs(int ms);

    // "#,##0": whole number with the locale's thousands separator.
    static QString formatTotal(qint64 total, const QLocale &locale = QLocale());

    static const QString HoursDeployedSql;
    static const QString HoursBilledSql;

private:
    class SideRunner;
    std::unique_ptr<SideRunner> m_side;

    static DashboardSeries run(Query &q, int year, int month);
    static DashboardSeries walk(Query &q);
};
