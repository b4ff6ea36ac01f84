#include "ClientAttendance.h"

#include "ActiveProjects.h"
#include "Connection.h"
#include "DbError.h"
#include "Transaction.h"

#include <QHash>
#include <utility>

namespace {

bool isClientCode(const QString &code)
{
    return code == QLatin1String("A") || code == QLatin1String("P") || code == QLatin1String("H");
}

// Re-reading after a failed write must not hide the write's own error.
template <typename F> void quietly(F &&f)
{
    try {
        f();
    } catch (const DbError &) {
    }
}

// Text columns take empty text, never null: the drivers bind a null QString as NULL.
QVariant text(const QString &s)
{
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

using Binding = std::pair<QString, QVariant>;
void bind(Query &q, std::initializer_list<Binding> values)
{
    for (const Binding &b : values)
        q.setParam(b.first, b.second);
}

} // namespace

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
    AssignmentQ.open();
    QStringList names;
    for (AssignmentQ.first(); !AssignmentQ.eof(); AssignmentQ.next())
        names << AssignmentQ.asString(QStringLiteral("Assignment"));
    AssignmentQ.first();
    return names;
}

namespace {
const QString WorkersSql = QStringLiteral(
    "Select Distinct(Employee_No) From TimeSheets Where Assignment = :Assignment And Col_Year = :Col_Year "
    "And Col_Month = :Col_Month Order By Employee_No");
const QString ClientJobsSql = QStringLiteral(
    "Select Distinct(Site_Job) As ClientJob From AssignmentsRates Where Assignment = :Assignment Order By Site_Job");
} // namespace

void ClientAttendance::openProject(const QString &project)
{
    m_project = project;
    bind(WorkersInOurAttQ, {{QStringLiteral("Assignment"), project},
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
const QString WorkerSql = QStringLiteral(
    "Select Rec_ID, Employee_No, FirstName, SecondName, LastName, Nationality, OurJob, Arrival_Date, Assignment, SiteJob "
    "From Workers Where Employee_No = :Emp_No");
const QString OurAttHistorySql = QStringLiteral(
    "Select * From TimeSheets Where Employee_No = :Employee_No And Assignment = :Assignemnt And Col_Year = :Col_Year "
    "And Col_Month = :Col_Month Order By Col_Date");
const QString ClientAttHistorySql = QStringLiteral(
    "Select * From ClientTimeSheets Where Employee_No = :Employee_No And Assignment = :Assignemnt "
    "And Col_Year = :Col_Year And Col_Month = :Col_Month Order By Col_Date");
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
        bind(*q, {{QStringLiteral("Employee_No"), employeeNo},
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
    q.setParam(QStringLiteral("Entered_By"), text(userId));
    q.setParam(QStringLiteral("Entered_Date"), today());
}

namespace {
// One client row per worker and day: a day the worker already has, under any project, is
// overwritten; otherwise the row is inserted. Update, then insert when nothing was updated, in
// the caller's transaction.
const QString MoveUpdateSql = QStringLiteral(
    "Update ClientTimeSheets SET Assignment = :Assignment, ClientJob = :ClientJob, ClientAtt_Code = :ClientAtt_Code, "
    "ClientAtt_Desc = :ClientAtt_Desc, Client_WH = :Client_WH, Client_OT = :Client_OT, Client_HT = :Client_HT, "
    "Entered_By = :Entered_By, Entered_Date = :Entered_Date, Checked = 0 Where Col_Date = :The_Date AND Ref_No = :The_Ref_No");
// Shared by the move and the post.
const QString InsertRowSql = QStringLiteral(
    "Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, Employee_Name, ClientJob, "
    "Assignment, ClientAtt_Code, ClientAtt_Desc, Client_WH, Client_OT, Client_HT, Entered_By, Entered_Date) "
    "Values (:Col_Date, :Col_Year, :Col_Month, :Col_Day, :Ref_No, :Employee_No, :Employee_Name, :ClientJob, :Assignment, "
    ":ClientAtt_Code, :ClientAtt_Desc, :Client_WH, :Client_OT, :Client_HT, :Entered_By, :Entered_Date)");
} // namespace

// Columns of an own row that the move reads, looked up once per walk rather than per value.
struct ClientAttendance::OwnColumns
{
    int code, desc, siteJob, ourJob, date, ref, assignment, wh, ot, ht, year, month, day, employeeNo, employeeName;
    explicit OwnColumns(const Query &q)
    {
        auto at = [&](const char *name) {
            const int c = q.fieldIndex(QLatin1String(name));
            if (c < 0)
                throw DbError(QStringLiteral("Field '%1' not found").arg(QLatin1String(name)));
            return c;
        };
        code = at("OurAtt_Code"), desc = at("OurAtt_Desc"), siteJob = at("SiteJob"), ourJob = at("OurJob");
        date = at("Col_Date"), ref = at("Ref_No"), assignment = at("Assignment");
        wh = at("Our_WH"), ot = at("Our_OT"), ht = at("Our_HT");
        year = at("Col_Year"), month = at("Col_Month"), day = at("Col_Day");
        employeeNo = at("Employee_No"), employeeName = at("Employee_Name");
    }
};

void ClientAttendance::batchMove(const Query &o, int row, const OwnColumns &c)
{
    auto v = [&](int col) { return o.valueAt(row, col); };
    QString code = v(c.code).toString();
    QString desc = v(c.desc).toString();
    if (!isClientCode(code)) {
        code = QStringLiteral("A");
        desc = QStringLiteral("Absent");
    }
    const QString siteJob = v(c.siteJob).toString();
    const QDateTime date = toDateTime(v(c.date));
    const qint64 refNo = v(c.ref).toLongLong();
    const QString assignment = v(c.assignment).toString();
    const int wh = v(c.wh).toInt(), ot = v(c.ot).toInt(), ht = v(c.ht).toInt();
    // An overwritten day takes the site job as it is, empty included.
    bind(ComMoveUpdate, {{QStringLiteral("Assignment"), text(assignment)},
                         {QStringLiteral("ClientJob"), text(siteJob)},
                         {QStringLiteral("ClientAtt_Code"), text(code)},
                         {QStringLiteral("ClientAtt_Desc"), text(desc)},
                         {QStringLiteral("Client_WH"), wh},
                         {QStringLiteral("Client_OT"), ot},
                         {QStringLiteral("Client_HT"), ht},
                         {QStringLiteral("The_Date"), date},
                         {QStringLiteral("The_Ref_No"), refNo}});
    stamp(ComMoveUpdate);
    if (ComMoveUpdate.exec() > 0)
        return;
    bind(ComMoveInsert, {{QStringLiteral("Col_Date"), date},
                         {QStringLiteral("Col_Year"), v(c.year).toInt()},
                         {QStringLiteral("Col_Month"), v(c.month).toInt()},
                         {QStringLiteral("Col_Day"), v(c.day).toInt()},
                         {QStringLiteral("Ref_No"), refNo},
                         {QStringLiteral("Employee_No"), text(v(c.employeeNo).toString())},
                         {QStringLiteral("Employee_Name"), text(v(c.employeeName).toString())},
                         {QStringLiteral("ClientJob"), text(siteJob.isEmpty() ? v(c.ourJob).toString() : siteJob)},
                         {QStringLiteral("Assignment"), text(assignment)},
                         {QStringLiteral("ClientAtt_Code"), text(code)},
                         {QStringLiteral("ClientAtt_Desc"), text(desc)},
                         {QStringLiteral("Client_WH"), wh},
                         {QStringLiteral("Client_OT"), ot},
                         {QStringLiteral("Client_HT"), ht}});
    stamp(ComMoveInsert);
    ComMoveInsert.exec();
}

namespace {
// The rows the window loads for the employee (ClientAttHistory), whatever their Ref_No.
const QString ClientRowsCountSql = QStringLiteral(
    "Select Count(*) As N From ClientTimeSheets Where Employee_No = :Employee_No And Assignment = :Assignment "
    "And Col_Year = :Col_Year And Col_Month = :Col_Month");
} // namespace

bool ClientAttendance::moveRows(Query &o, const QList<int> &rows)
{
    Transaction tx(m_conn);
    // Asked inside the transaction: another clerk may have moved this employee since the rows
    // were loaded, and moving twice would overwrite that clerk's corrections.
    o.setRow(rows.first());
    ComClientRowsCount.close();
    bind(ComClientRowsCount, {{QStringLiteral("Employee_No"), text(o.asString(QStringLiteral("Employee_No")))},
                              {QStringLiteral("Assignment"), text(m_project)},
                              {QStringLiteral("Col_Year"), cycleYear},
                              {QStringLiteral("Col_Month"), cycleMonth}});
    ComClientRowsCount.open();
    const bool already = ComClientRowsCount.asInt(QStringLiteral("N")) > 0;
    ComClientRowsCount.close();
    if (already)
        return false;
    const OwnColumns cols(o);
    for (int r : rows)
        batchMove(o, r, cols);
    tx.commit();
    return true;
}

bool ClientAttendance::moveEmployee()
{
    if (!employeeLoaded() || OurAttHistory.isEmpty() || !ClientAttHistory.isEmpty())
        return false;
    QList<int> rows;
    for (int r = 0; r < OurAttHistory.recordCount(); ++r)
        rows << r;
    bool moved = false;
    try {
        moved = moveRows(OurAttHistory, rows);
    } catch (const DbError &) {
        quietly([this] { reloadClientRows(); });
        throw;
    }
    reloadClientRows();
    return moved;
}

namespace {
const QString ProjectOwnRowsSql = QStringLiteral(
    "Select * From TimeSheets Where Assignment = :Assignment And Col_Year = :Col_Year And Col_Month = :Col_Month "
    "Order By Employee_No, Col_Date");
} // namespace

QList<ClientAttendance::MoveAllLine> ClientAttendance::moveAll(const std::function<void(const MoveAllLine &)> &eachDone)
{
    QList<MoveAllLine> lines;
    if (!projectOpen())
        return lines;
    QStringList employees;
    const int listCol = WorkersInOurAttQ.fieldIndex(QStringLiteral("Employee_No"));
    for (int r = 0; r < WorkersInOurAttQ.recordCount(); ++r)
        employees << WorkersInOurAttQ.valueAt(r, listCol).toString();
    // The project's own rows are read once instead of once per employee: the walk does what
    // loading each employee and moving it would do, at a fraction of the reads. Without them
    // nothing can be moved: the failure is the pass's, thrown once, not one per employee.
    ProjectOwnRowsQ.close();
    bind(ProjectOwnRowsQ, {{QStringLiteral("Assignment"), text(m_project)},
                           {QStringLiteral("Col_Year"), cycleYear},
                           {QStringLiteral("Col_Month"), cycleMonth}});
    ProjectOwnRowsQ.open();
    QHash<QString, QList<int>> rowsOf;
    const int empCol = ProjectOwnRowsQ.fieldIndex(QStringLiteral("Employee_No"));
    for (int r = 0; r < ProjectOwnRowsQ.recordCount(); ++r)
        rowsOf[ProjectOwnRowsQ.valueAt(r, empCol).toString()] << r;
    for (const QString &no : std::as_const(employees)) {
        MoveAllLine line;
        line.employeeNo = no;
        const QList<int> rows = rowsOf.value(no);
        try {
            if (!rows.isEmpty() && moveRows(ProjectOwnRowsQ, rows))
                line.outcome = MoveAllLine::Moved;
        } catch (const DbError &e) {
            line.outcome = MoveAllLine::Failed;
            line.message = e.message();
        }
        lines << line;
        if (eachDone)
            eachDone(line);
    }
    ProjectOwnRowsQ.close();
    // The last employee of the list stays loaded, as walking the window would leave it.
    if (!employees.isEmpty())
        findEmployee(employees.last());
    return lines;
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
        const std::initializer_list<Binding> day = {{QStringLiteral("Assignment"), text(m_project)},
                                                    {QStringLiteral("ClientJob"), text(e.clientJob)},
                                                    {QStringLiteral("ClientAtt_Code"), text(e.code)},
                                                    {QStringLiteral("ClientAtt_Desc"), text(e.desc)},
                                                    {QStringLiteral("Client_WH"), e.wh},
                                                    {QStringLiteral("Client_OT"), e.ot},
                                                    {QStringLiteral("Client_HT"), e.ht}};
        bind(ComPostUpdate, day);
        ComPostUpdate.setParam(QStringLiteral("Rec_ID"), recId);
        stamp(ComPostUpdate);
        if (recId == 0 || ComPostUpdate.exec() == 0) {
            const QString name = WorkerQ.asString(QStringLiteral("FirstName")) + QLatin1Char(' ') +
                                 WorkerQ.asString(QStringLiteral("LastName"));
            bind(ComPostInsert, day);
            bind(ComPostInsert, {{QStringLiteral("Col_Date"), e.date},
                                 {QStringLiteral("Col_Year"), e.date.year()},
                                 {QStringLiteral("Col_Month"), e.date.month()},
                                 {QStringLiteral("Col_Day"), e.date.day()},
                                 {QStringLiteral("Ref_No"), WorkerQ.asInt64(QStringLiteral("Rec_ID"))},
                                 {QStringLiteral("Employee_No"), text(WorkerQ.asString(QStringLiteral("Employee_No")))},
                                 {QStringLiteral("Employee_Name"), text(name)}});
            stamp(ComPostInsert);
            ComPostInsert.exec();
        }
        tx.commit();
    } catch (const DbError &) {
        quietly([this] { reloadClientRows(); });
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
        quietly([this] { findEmployee(m_employeeNo); });
        throw;
    }
    findEmployee(m_employeeNo);
    return stamped;
}

namespace {
const QString UpdateJobSql = QStringLiteral("Update ClientTimeSheets Set ClientJob = :ClientJob, Entered_By = :Entered_By, "
                                            "Entered_Date = :Entered_Date, Checked = 0 Where Rec_ID = :Rec_ID");
} // namespace

int ClientAttendance::changeJob(const QString &job)
{
    const QList<qint64> ids = loadedClientRowIds();
    int changed = 0;
    try {
        Transaction tx(m_conn);
        for (qint64 id : ids) {
            ComUpdateJob.setParam(QStringLiteral("ClientJob"), text(job));
            stamp(ComUpdateJob);
            ComUpdateJob.setParam(QStringLiteral("Rec_ID"), id);
            changed += ComUpdateJob.exec();
        }
        tx.commit();
    } catch (const DbError &) {
        quietly([this] { findEmployee(m_employeeNo); });
        throw;
    }
    findEmployee(m_employeeNo);
    return changed;
}

namespace {
const QString UpdateDisputeSql = QStringLiteral("Update ClientTimeSheets Set Dispute = :Dispute Where Rec_ID = :Rec_ID");
} // namespace

void ClientAttendance::setDispute(qint64 recId, bool disputed)
{
    try {
        Transaction tx(m_conn);
        ComUpdateDispute.setParam(QStringLiteral("Dispute"), disputed);
        ComUpdateDispute.setParam(QStringLiteral("Rec_ID"), recId);
        ComUpdateDispute.exec();
        tx.commit();
    } catch (const DbError &) {
        quietly([this] { reloadClientRows(); });
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
        quietly([this] { findEmployee(m_employeeNo); });
        throw;
    }
    findEmployee(m_employeeNo);
}

// Every statement is defined beside the operation that runs it, above.
ClientAttendance::ClientAttendance(Connection &c, const Clock &clock)
    : AssignmentQ(c, ActiveProjects::Sql), WorkersInOurAttQ(c, WorkersSql), ClientJobsQ(c, ClientJobsSql),
      WorkerQ(c, WorkerSql), OurAttHistory(c, OurAttHistorySql), ClientAttHistory(c, ClientAttHistorySql), m_conn(c),
      m_clock(clock), ComMoveUpdate(c, MoveUpdateSql), ComMoveInsert(c, InsertRowSql),
      ComClientRowsCount(c, ClientRowsCountSql), ProjectOwnRowsQ(c, ProjectOwnRowsSql), ComPostUpdate(c, PostUpdateSql),
      ComPostInsert(c, InsertRowSql), ComUpdateBase8(c, UpdateBase8Sql), ComUpdateBase10(c, UpdateBase10Sql),
      ComUpdateJob(c, UpdateJobSql), ComDelete(c, DeleteSql), ComUpdateDispute(c, UpdateDisputeSql)
{
}
