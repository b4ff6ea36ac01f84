#include "ClientAttendance.h"
#include "ClientAttendanceSql.h"

#include "ActiveProjects.h"
#include "Connection.h"
#include "DbError.h"
#include "Transaction.h"

#include <utility>

EntryHours entryHours(const QString &code)
{
    EntryHours h;
    if (code == QLatin1String("P")) {
        h.wh = 8;
        h.whEnabled = h.otEnabled = true;
    } else if (code == QLatin1String("H")) {
        h.htEnabled = true;
    }
    return h;
}

QString attDescForCode(const QString &code)
{
    if (code == QLatin1String("A"))
        return QStringLiteral("Absent");
    if (code == QLatin1String("P"))
        return QStringLiteral("Present");
    if (code == QLatin1String("H"))
        return QStringLiteral("Holiday");
    return {};
}

QString weekdayName(const QDate &date)
{
    static const char *const names[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    const int d = date.dayOfWeek();
    return d >= 1 && d <= 7 ? QString::fromLatin1(names[d - 1]) : QString();
}

QString failureText(const DbError &e)
{
    return QStringLiteral("Something went wrong!, DbError: ") + e.message();
}

QString moveFailureText(const DbError &e)
{
    return QStringLiteral("Something went wrong!, \n\r") + e.message();
}

QDate ClientAttendance::today() const
{
    return m_clock.today();
}

QStringList ClientAttendance::projectNames()
{
    return ActiveProjects::names(m_conn);
}

namespace {
const QString ClientJobsSql = QStringLiteral(
    "Select Distinct(Site_Job) As ClientJob From AssignmentsRates Where Assignment = :Assignment Order By Site_Job");
} // namespace

void ClientAttendance::openProject(const QString &project)
{
    m_project = project;
    WorkersInOurAttQ.setParams({{QStringLiteral("Assignment"), project},
                                {QStringLiteral("Col_Year"), cycleYear},
                                {QStringLiteral("Col_Month"), cycleMonth}});
    ClientJobsQ.setParam(QStringLiteral("Assignment"), project);
    closeEmployee();
    WorkersInOurAttQ.open();
    ClientJobsQ.open();
}

QStringList ClientAttendance::clientJobs() const
{
    QStringList jobs;
    if (!ClientJobsQ.isActive())
        return jobs;
    const int c = ClientJobsQ.fieldIndex(QStringLiteral("ClientJob"));
    for (int r = 0; r < ClientJobsQ.recordCount(); ++r)
        jobs << ClientJobsQ.valueAt(r, c).toString();
    return jobs;
}

void ClientAttendance::closeEmployee()
{
    WorkerQ.close();
    OurAttHistory.close();
    ClientAttHistory.close();
    m_employeeNo.clear();
}

namespace {
const QString WorkerSql = QStringLiteral("Select Rec_ID, Employee_No, FirstName, SecondName, LastName, Nationality, "
                                         "OurJob, Arrival_Date, Assignment, SiteJob "
                                         "From Workers Where Employee_No = :Emp_No");
} // namespace

bool ClientAttendance::findEmployee(QString employeeNo)
{
    if (!projectOpen())
        return false;
    if (WorkersInOurAttQ.isEmpty() || !WorkersInOurAttQ.locate(QStringLiteral("Employee_No"), employeeNo)) {
        closeEmployee();
        return false;
    }
    WorkerQ.setParam(QStringLiteral("Emp_No"), employeeNo);
    for (Query *q : {&OurAttHistory, &ClientAttHistory})
        q->setParams({{QStringLiteral("Employee_No"), employeeNo},
                      {QStringLiteral("Assignemnt"), m_project},
                      {QStringLiteral("Col_Year"), cycleYear},
                      {QStringLiteral("Col_Month"), cycleMonth}});
    try {
        WorkerQ.open();
        OurAttHistory.open();
        ClientAttHistory.open();
    } catch (const DbError &) {
        closeEmployee();
        throw;
    }
    m_employeeNo = employeeNo;
    return true;
}

void ClientAttendance::reloadClientRows()
{
    if (ClientAttHistory.isActive())
        ClientAttHistory.refresh();
}

QList<qint64> ClientAttendance::loadedClientRowIds() const
{
    QList<qint64> ids;
    if (!ClientAttHistory.isActive())
        return ids;
    const int c = ClientAttHistory.fieldIndex(QStringLiteral("Rec_ID"));
    for (int r = 0; r < ClientAttHistory.recordCount(); ++r)
        ids << ClientAttHistory.valueAt(r, c).toLongLong();
    return ids;
}

void ClientAttendance::stamp(Query &q)
{
    q.setParam(QStringLiteral("Entered_By"), Query::text(userId));
    q.setParam(QStringLiteral("Entered_Date"), today());
}

int ClientAttendance::clientRowForDate(const QDate &date) const
{
    if (!ClientAttHistory.isActive() || !date.isValid())
        return -1;
    const int c = ClientAttHistory.fieldIndex(QStringLiteral("Col_Date"));
    const QDateTime want = date.startOfDay();
    for (int r = 0; r < ClientAttHistory.recordCount(); ++r)
        if (toDateTime(ClientAttHistory.valueAt(r, c)) == want)
            return r;
    return -1;
}

qint64 ClientAttendance::clientRowIdForDate(const QDate &date) const
{
    const int r = clientRowForDate(date);
    return r < 0 ? 0 : ClientAttHistory.valueAt(r, ClientAttHistory.fieldIndex(QStringLiteral("Rec_ID"))).toLongLong();
}

DayProposal ClientAttendance::proposeForDate(const QDate &date) const
{
    DayProposal p;
    p.row = clientRowForDate(date);
    if (p.row < 0) {
        p.code = date.dayOfWeek() == Qt::Friday ? QStringLiteral("H") : QStringLiteral("P");
        const EntryHours h = entryHours(p.code);
        p.wh = h.wh;
        p.ot = h.ot;
        p.ht = h.ht;
        return p;
    }
    const Query &q = ClientAttHistory;
    auto at = [&](const char *name) { return q.valueAt(p.row, q.fieldIndex(QLatin1String(name))); };
    p.recId = at("Rec_ID").toLongLong();
    p.code = at("ClientAtt_Code").toString();
    p.wh = at("Client_WH").toInt();
    p.ot = at("Client_OT").toInt();
    p.ht = at("Client_HT").toInt();
    return p;
}

namespace {
const QString PostUpdateSql = QStringLiteral(
    "Update ClientTimeSheets SET Assignment = :Assignment, ClientJob = :ClientJob, ClientAtt_Code = :ClientAtt_Code, "
    "ClientAtt_Desc = :ClientAtt_Desc, Client_WH = :Client_WH, Client_OT = :Client_OT, Client_HT = :Client_HT, "
    "Entered_By = :Entered_By, Entered_Date = :Entered_Date, Checked = 0 Where Rec_ID = :Rec_ID");
} // namespace

qint64 ClientAttendance::post(const AttendanceEntry &e)
{
    if (!employeeLoaded())
        return 0;
    // Derived at every post from this employee's loaded rows, so a row of the employee shown
    // before is never overwritten.
    const qint64 recId = clientRowIdForDate(e.date);
    try {
        if (WorkerQ.isEmpty())
            throw DbError(QStringLiteral("Worker Not Found"));
        Transaction tx(m_conn);
        // No site job or no code chosen is written as empty text.
        const std::initializer_list<std::pair<QString, QVariant>> day = {
            {QStringLiteral("Assignment"), Query::text(m_project)},
            {QStringLiteral("ClientJob"), Query::text(e.clientJob)},
            {QStringLiteral("ClientAtt_Code"), Query::text(e.code)},
            {QStringLiteral("ClientAtt_Desc"), Query::text(e.desc)},
            {QStringLiteral("Client_WH"), e.wh},
            {QStringLiteral("Client_OT"), e.ot},
            {QStringLiteral("Client_HT"), e.ht}};
        ComPostUpdate.setParams(day);
        ComPostUpdate.setParam(QStringLiteral("Rec_ID"), recId);
        stamp(ComPostUpdate);
        if (recId == 0 || ComPostUpdate.exec() == 0) {
            const QString name = WorkerQ.asString(QStringLiteral("FirstName")) + QLatin1Char(' ') +
                                 WorkerQ.asString(QStringLiteral("LastName"));
            ComPostInsert.setParams(day);
            ComPostInsert.setParams(
                {{QStringLiteral("Col_Date"), e.date},
                 {QStringLiteral("Col_Year"), e.date.year()},
                 {QStringLiteral("Col_Month"), e.date.month()},
                 {QStringLiteral("Col_Day"), e.date.day()},
                 {QStringLiteral("Ref_No"), WorkerQ.asInt64(QStringLiteral("Rec_ID"))},
                 {QStringLiteral("Employee_No"), Query::text(WorkerQ.asString(QStringLiteral("Employee_No")))},
                 {QStringLiteral("Employee_Name"), Query::text(name)}});
            stamp(ComPostInsert);
            ComPostInsert.exec();
        }
        tx.commit();
    } catch (const DbError &) {
        ignoringDbError([this] { reloadClientRows(); });
        throw;
    }
    reloadClientRows();
    return clientRowIdForDate(e.date);
}

namespace {
// The shift is decided by the row's stored values in the statement itself, so a change another
// clerk made after the rows were loaded is shifted, not overwritten.
const QString UpdateBase8Sql = QStringLiteral(
    "Update ClientTimeSheets Set Client_OT = COALESCE(Client_OT, 0) + Client_WH - 8, Client_WH = 8, "
    "Entered_By = :Entered_By, Entered_Date = :Entered_Date, Checked = 0 Where Rec_ID = :Rec_ID And Client_WH > 8");
const QString UpdateBase10Sql = QStringLiteral(
    "Update ClientTimeSheets Set "
    "Client_WH = Client_WH + CASE WHEN COALESCE(Client_OT, 0) > 2 THEN 2 ELSE COALESCE(Client_OT, 0) END, "
    "Client_OT = CASE WHEN COALESCE(Client_OT, 0) > 2 THEN Client_OT - 2 ELSE 0 END, "
    "Entered_By = :Entered_By, Entered_Date = :Entered_Date, Checked = 0 Where Rec_ID = :Rec_ID And Client_WH = 8");
} // namespace

int ClientAttendance::calculateBase(NormalBase base)
{
    const QList<qint64> ids = loadedClientRowIds();
    if (ids.isEmpty())
        return 0;
    Query &cmd = base == NormalBase::Eight ? ComUpdateBase8 : ComUpdateBase10;
    int stamped = 0;
    try {
        Transaction tx(m_conn);
        for (qint64 id : ids) {
            stamp(cmd);
            cmd.setParam(QStringLiteral("Rec_ID"), id);
            stamped += cmd.exec();
        }
        tx.commit();
    } catch (const DbError &) {
        ignoringDbError([this] { findEmployee(m_employeeNo); });
        throw;
    }
    findEmployee(m_employeeNo);
    return stamped;
}

namespace {
const QString UpdateJobSql =
    QStringLiteral("Update ClientTimeSheets Set ClientJob = :ClientJob, Entered_By = :Entered_By, "
                   "Entered_Date = :Entered_Date, Checked = 0 Where Rec_ID = :Rec_ID");
} // namespace

int ClientAttendance::changeJob(const QString &job)
{
    const QList<qint64> ids = loadedClientRowIds();
    int changed = 0;
    try {
        Transaction tx(m_conn);
        for (qint64 id : ids) {
            ComUpdateJob.setParam(QStringLiteral("ClientJob"), Query::text(job));
            stamp(ComUpdateJob);
            ComUpdateJob.setParam(QStringLiteral("Rec_ID"), id);
            changed += ComUpdateJob.exec();
        }
        tx.commit();
    } catch (const DbError &) {
        ignoringDbError([this] { findEmployee(m_employeeNo); });
        throw;
    }
    findEmployee(m_employeeNo);
    return changed;
}

namespace {
const QString UpdateDisputeSql =
    QStringLiteral("Update ClientTimeSheets Set Dispute = :Dispute Where Rec_ID = :Rec_ID");
} // namespace

bool setClientRowDispute(Connection &connection, qint64 recId, bool disputed)
{
    Query q(connection, UpdateDisputeSql); // outlives the transaction, so it is freed after the rollback
    Transaction tx(connection);
    // A flag column: bound as 0/1 on every engine.
    q.setParams({{QStringLiteral("Dispute"), disputed ? 1 : 0}, {QStringLiteral("Rec_ID"), recId}});
    const int changed = q.exec();
    tx.commit();
    return changed > 0;
}

void ClientAttendance::setDispute(qint64 recId, bool disputed)
{
    try {
        setClientRowDispute(m_conn, recId, disputed);
    } catch (const DbError &) {
        ignoringDbError([this] { reloadClientRows(); });
        throw;
    }
    reloadClientRows();
    if (ClientAttHistory.isActive() && !ClientAttHistory.isEmpty())
        ClientAttHistory.locate(QStringLiteral("Rec_ID"), recId);
}

namespace {
const QString DeleteSql = QStringLiteral("Delete From ClientTimeSheets Where Rec_ID = :Rec_ID");
} // namespace

void ClientAttendance::deleteRow(qint64 recId)
{
    try {
        Transaction tx(m_conn);
        ComDelete.setParam(QStringLiteral("Rec_ID"), recId);
        ComDelete.exec();
        tx.commit();
    } catch (const DbError &) {
        ignoringDbError([this] { findEmployee(m_employeeNo); });
        throw;
    }
    findEmployee(m_employeeNo);
}

// Every statement is defined beside the operation that runs it, above.
ClientAttendance::ClientAttendance(Connection &c, const Clock &clock)
    : WorkersInOurAttQ(c, MonthHistory::EmployeesSql), ClientJobsQ(c, ClientJobsSql), WorkerQ(c, WorkerSql),
      OurAttHistory(c, MonthHistory::OursSql), ClientAttHistory(c, MonthHistory::ClientSql), m_conn(c), m_clock(clock),
      ComMoveUpdate(c, AttendanceSql::MoveUpdateSql), ComMoveInsert(c, AttendanceSql::MoveInsertSql),
      ComClientRowsCount(c, AttendanceSql::ClientRowsCountSql), ProjectOwnRowsQ(c, AttendanceSql::ProjectOwnRowsSql),
      ComPostUpdate(c, PostUpdateSql), ComPostInsert(c, AttendanceSql::InsertRowSql), ComUpdateBase8(c, UpdateBase8Sql),
      ComUpdateBase10(c, UpdateBase10Sql), ComUpdateJob(c, UpdateJobSql), ComDelete(c, DeleteSql)
{
}
