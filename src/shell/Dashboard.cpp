#include "Dashboard.h"
#include "DbError.h"

#include <QAtomicInt>
#include <future>

const QString CycleDashboard::HoursDeployedSql = QStringLiteral(
    "Select Col_Date, Sum(COALESCE(Our_WH, 0) + COALESCE(Our_OT, 0) + COALESCE(Our_HT, 0)) As Total_Count "
    "From TimeSheets Where OurAtt_Code in ('P', 'H') And Col_Year = :Col_Year And Col_Month = :Col_Month "
    "Group By Col_Date Order By Col_Date");

const QString CycleDashboard::HoursBilledSql = QStringLiteral(
    "Select Col_Date, Sum(COALESCE(Client_WH, 0) + COALESCE(Client_OT, 0) + COALESCE(Client_HT, 0)) As Total_Count "
    "From ClientTimeSheets Where ClientAtt_Code in ('P', 'H') And Col_Year = :Col_Year And Col_Month = :Col_Month "
    "Group By Col_Date Order By Col_Date");

CycleDashboard::CycleDashboard(Connection &connection)
    : HoursDeployedQ(connection, HoursDeployedSql), HoursBilledQ(connection, HoursBilledSql)
{
}

namespace {
QAtomicInt s_sideConnections;

void setCycle(Query &q, int year, int month)
{
    q.close();
    q.setParam(QStringLiteral("Col_Year"), year);
    q.setParam(QStringLiteral("Col_Month"), month);
}

// The billed sums on a connection of their own, in a thread of their own: the two month-long
// aggregates then run side by side instead of one after the other.
Query::Snapshot billedElsewhere(const ConnectionParams &params, int year, int month)
{
    Connection side(QStringLiteral("dashboard-side-%1").arg(s_sideConnections.fetchAndAddRelaxed(1)));
    side.open(params);
    Query q(side, CycleDashboard::HoursBilledSql);
    setCycle(q, year, month);
    q.open();
    return q.takeSnapshot();
}
} // namespace

DashboardSeries CycleDashboard::run(Query &q, int year, int month)
{
    setCycle(q, year, month);
    q.open();
    return walk(q);
}

DashboardSeries CycleDashboard::walk(Query &q)
{
    DashboardSeries s;
    s.days.reserve(q.recordCount());
    for (q.first(); !q.eof(); q.next()) {
        const QDate date = q.asDate(QStringLiteral("Col_Date"));
        const qint64 hours = q.asInt64(QStringLiteral("Total_Count"));
        s.total += hours;
        // Rows stamped with a time of day group apart; the chart has one bar per day.
        if (!s.days.isEmpty() && s.days.last().date == date)
            s.days.last().hours += hours;
        else
            s.days << DashboardDay{date, hours};
    }
    q.first();
    return s;
}

DashboardSeries CycleDashboard::deployed(int year, int month)
{
    return run(HoursDeployedQ, year, month);
}

DashboardSeries CycleDashboard::billed(int year, int month)
{
    return run(HoursBilledQ, year, month);
}

DashboardData CycleDashboard::refresh(int year, int month, const std::function<void(const DashboardSeries &)> &deployedReady)
{
    DashboardData d;
    Connection &main = HoursDeployedQ.connection();
    main.ensureOpen();
    ConnectionParams params = main.params();
    params.createIfMissing = false;
    std::future<Query::Snapshot> side;
    if (!main.inTransaction()) // a second connection would not see uncommitted rows
        side = std::async(std::launch::async, billedElsewhere, params, year, month);
    d.deployed = deployed(year, month);
    if (deployedReady)
        deployedReady(d.deployed);
    bool billedDone = false;
    if (side.valid()) {
        try {
            HoursBilledQ.adoptSnapshot(side.get());
            HoursBilledQ.first();
            d.billed = walk(HoursBilledQ);
            billedDone = true;
        } catch (const DbError &) {
            // A second login refused (licences, limits): the shared connection does both.
        }
    }
    if (!billedDone)
        d.billed = billed(year, month);
    return d;
}

QString CycleDashboard::formatTotal(qint64 total, const QLocale &locale)
{
    QLocale l = locale;
    l.setNumberOptions(l.numberOptions() & ~QLocale::OmitGroupSeparator);
    return l.toString(total);
}
