#include "Dashboard.h"
#include "DbError.h"

#include <QAtomicInt>
#include <condition_variable>
#include <future>
#include <mutex>
#include <optional>
#include <thread>

const QString CycleDashboard::HoursDeployedSql = QStringLiteral(
    "Select Col_Date, Sum(COALESCE(Our_WH, 0) + COALESCE(Our_OT, 0) + COALESCE(Our_HT, 0)) As Total_Count "
    "From TimeSheets Where OurAtt_Code in ('P', 'H') And Col_Year = :Col_Year And Col_Month = :Col_Month "
    "Group By Col_Date Order By Col_Date");

const QString CycleDashboard::HoursBilledSql = QStringLiteral(
    "Select Col_Date, Sum(COALESCE(Client_WH, 0) + COALESCE(Client_OT, 0) + COALESCE(Client_HT, 0)) As Total_Count "
    "From ClientTimeSheets Where ClientAtt_Code in ('P', 'H') And Col_Year = :Col_Year And Col_Month = :Col_Month "
    "Group By Col_Date Order By Col_Date");

namespace {
void setCycle(Query &q, int year, int month)
{
    q.close();
    q.setParam(QStringLiteral("Col_Year"), year);
    q.setParam(QStringLiteral("Col_Month"), month);
}

bool sameDatabase(const ConnectionParams &a, const ConnectionParams &b)
{
    return a.engine == b.engine && a.host == b.host && a.port == b.port && a.database == b.database &&
           a.user == b.user && a.password == b.password && a.odbcDriver == b.odbcDriver;
}

QAtomicInt s_sideConnections;
QAtomicInt s_timeoutMs = 180000;

// Opening the side connection failed: the shared connection does both sums instead.
struct SideUnavailable
{
};

// A sum the server cancelled at the time-out.
class TimedOut : public DbError
{
public:
    using DbError::DbError;
};

// Runs the sums; a time-out is told as such, once, with the driver's words.
template <typename F> auto timed(F &&work)
{
    try {
        return work();
    } catch (const DbError &e) {
        if (!isStatementTimeout(e.message()))
            throw;
        throw TimedOut(QStringLiteral("The hours of the cycle could not be read: the database did not answer within %1 "
                                      "seconds.\n%2")
                           .arg(qMax(1, (CycleDashboard::timeoutMs() + 999) / 1000))
                           .arg(e.message()));
    }
}
} // namespace

int CycleDashboard::timeoutMs()
{
    return s_timeoutMs.loadRelaxed();
}

void CycleDashboard::setTimeoutMs(int ms)
{
    s_timeoutMs.storeRelaxed(ms);
}

// The billed sums on a connection of their own, in a thread of their own, so that the two
// month-long aggregates run side by side. The thread and its connection stay for the next
// refresh: opening them anew each time would cost about as much as the parallel run saves.
class CycleDashboard::SideRunner
{
public:
    SideRunner() : m_thread([this] { loop(); }) {}
    ~SideRunner()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    std::future<Query::Snapshot> billed(const ConnectionParams &params, int year, int month)
    {
        Task t{params, year, month, {}};
        std::future<Query::Snapshot> result = t.promise.get_future();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_task = std::move(t);
        }
        m_wake.notify_all();
        return result;
    }

private:
    struct Task
    {
        ConnectionParams params;
        int year;
        int month;
        std::promise<Query::Snapshot> promise;
    };

    void loop()
    {
        // Connections belong to the thread that opened them: both live and die here.
        std::unique_ptr<Connection> conn;
        std::unique_ptr<Query> query;
        for (;;) {
            std::optional<Task> task;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stop || m_task.has_value(); });
                if (m_stop)
                    break;
                task.swap(m_task);
            }
            try {
                if (!conn || !conn->isOpen() || !sameDatabase(conn->params(), task->params)) {
                    query.reset();
                    conn.reset();
                    conn = std::make_unique<Connection>(
                        QStringLiteral("dashboard-side-%1").arg(s_sideConnections.fetchAndAddRelaxed(1)));
                    try {
                        conn->open(task->params);
                    } catch (const DbError &) {
                        throw SideUnavailable();
                    }
                    query = std::make_unique<Query>(*conn, CycleDashboard::HoursBilledSql);
                }
                query->setTimeoutMs(CycleDashboard::timeoutMs());
                setCycle(*query, task->year, task->month);
                query->open();
                task->promise.set_value(query->takeSnapshot());
            } catch (...) {
                query.reset();
                conn.reset();
                task->promise.set_exception(std::current_exception());
            }
        }
        query.reset();
        conn.reset();
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::optional<Task> m_task;
    std::thread m_thread; // last: starts once the members above exist
};

CycleDashboard::CycleDashboard(Connection &connection)
    : HoursDeployedQ(connection, HoursDeployedSql), HoursBilledQ(connection, HoursBilledSql)
{
}

CycleDashboard::~CycleDashboard() = default;

DashboardSeries CycleDashboard::run(Query &q, int year, int month)
{
    setCycle(q, year, month);
    q.setTimeoutMs(timeoutMs());
    timed([&q] { q.open(); });
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

DashboardData CycleDashboard::refresh(int year, int month,
                                      const std::function<void(const DashboardSeries &)> &deployedReady)
{
    DashboardData d;
    Connection &main = HoursDeployedQ.connection();
    main.ensureOpen();
    ConnectionParams params = main.params();
    params.createIfMissing = false;
    std::future<Query::Snapshot> side;
    if (!main.inTransaction()) { // a second connection would not see uncommitted rows
        if (!m_side)
            m_side = std::make_unique<SideRunner>();
        side = m_side->billed(params, year, month);
    }
    d.deployed = deployed(year, month);
    if (deployedReady)
        deployedReady(d.deployed);
    bool billedDone = false;
    if (side.valid()) {
        try {
            HoursBilledQ.adoptSnapshot(timed([&side] { return side.get(); }));
            HoursBilledQ.first();
            d.billed = walk(HoursBilledQ);
            billedDone = true;
        } catch (const SideUnavailable &) {
            // A second login refused (licences, limits): the shared connection does both.
        } catch (const TimedOut &) {
            throw; // the whole time-out was waited already
        } catch (const DbError &) {
            // The side failed otherwise (its connection lost): the shared connection runs it.
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
