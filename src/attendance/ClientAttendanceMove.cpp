// Moving the company's own rows into client rows: one employee, or every employee of the project.
#include "ClientAttendance.h"
#include "ClientAttendanceSql.h"

#include "Connection.h"
#include "DbError.h"
#include "Transaction.h"

#include <QHash>

bool isClientCode(const QString &code)
{
    return code == QLatin1String("A") || code == QLatin1String("P") || code == QLatin1String("H");
}

namespace AttendanceSql {
// One client row per worker and day: a day the worker already has, under any project, is
// overwritten; otherwise the row is inserted. Update, then insert when nothing was updated, in
// the caller's transaction.
const QString MoveUpdateSql = QStringLiteral(
    "Update ClientTimeSheets SET Assignment = :Assignment, ClientJob = :ClientJob, ClientAtt_Code = :ClientAtt_Code, "
    "ClientAtt_Desc = :ClientAtt_Desc, Client_WH = :Client_WH, Client_OT = :Client_OT, Client_HT = :Client_HT, "
    "Entered_By = :Entered_By, Entered_Date = :Entered_Date, Checked = 0 Where Col_Date = :The_Date AND Ref_No = "
    ":The_Ref_No");
// Shared by the move and the post.
const QString InsertRowSql = QStringLiteral(
    "Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, Employee_Name, "
    "ClientJob, "
    "Assignment, ClientAtt_Code, ClientAtt_Desc, Client_WH, Client_OT, Client_HT, Entered_By, Entered_Date) "
    "Values (:Col_Date, :Col_Year, :Col_Month, :Col_Day, :Ref_No, :Employee_No, :Employee_Name, :ClientJob, "
    ":Assignment, "
    ":ClientAtt_Code, :ClientAtt_Desc, :Client_WH, :Client_OT, :Client_HT, :Entered_By, :Entered_Date)");
} // namespace AttendanceSql

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
    ComMoveUpdate.setParams({{QStringLiteral("Assignment"), Query::text(assignment)},
                             {QStringLiteral("ClientJob"), Query::text(siteJob)},
                             {QStringLiteral("ClientAtt_Code"), Query::text(code)},
                             {QStringLiteral("ClientAtt_Desc"), Query::text(desc)},
                             {QStringLiteral("Client_WH"), wh},
                             {QStringLiteral("Client_OT"), ot},
                             {QStringLiteral("Client_HT"), ht},
                             {QStringLiteral("The_Date"), date},
                             {QStringLiteral("The_Ref_No"), refNo}});
    stamp(ComMoveUpdate);
    if (ComMoveUpdate.exec() > 0)
        return;
    ComMoveInsert.setParams(
        {{QStringLiteral("Col_Date"), date},
         {QStringLiteral("Col_Year"), v(c.year).toInt()},
         {QStringLiteral("Col_Month"), v(c.month).toInt()},
         {QStringLiteral("Col_Day"), v(c.day).toInt()},
         {QStringLiteral("Ref_No"), refNo},
         {QStringLiteral("Employee_No"), Query::text(v(c.employeeNo).toString())},
         {QStringLiteral("Employee_Name"), Query::text(v(c.employeeName).toString())},
         {QStringLiteral("ClientJob"), Query::text(siteJob.isEmpty() ? v(c.ourJob).toString() : siteJob)},
         {QStringLiteral("Assignment"), Query::text(assignment)},
         {QStringLiteral("ClientAtt_Code"), Query::text(code)},
         {QStringLiteral("ClientAtt_Desc"), Query::text(desc)},
         {QStringLiteral("Client_WH"), wh},
         {QStringLiteral("Client_OT"), ot},
         {QStringLiteral("Client_HT"), ht}});
    stamp(ComMoveInsert);
    ComMoveInsert.exec();
}

namespace AttendanceSql {
// The rows the window loads for the employee (ClientAttHistory), whatever their Ref_No.
const QString ClientRowsCountSql = QStringLiteral(
    "Select Count(*) As N From ClientTimeSheets Where Employee_No = :Employee_No And Assignment = :Assignment "
    "And Col_Year = :Col_Year And Col_Month = :Col_Month");
} // namespace AttendanceSql

bool ClientAttendance::moveRows(Query &o, const QList<int> &rows)
{
    Transaction tx(m_conn);
    // Asked inside the transaction: another clerk may have moved this employee since the rows
    // were loaded, and moving twice would overwrite that clerk's corrections.
    o.setRow(rows.first());
    ComClientRowsCount.close();
    ComClientRowsCount.setParams(
        {{QStringLiteral("Employee_No"), Query::text(o.asString(QStringLiteral("Employee_No")))},
         {QStringLiteral("Assignment"), Query::text(m_project)},
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
        ignoringDbError([this] { reloadClientRows(); });
        throw;
    }
    reloadClientRows();
    return moved;
}

namespace AttendanceSql {
const QString ProjectOwnRowsSql = QStringLiteral(
    "Select * From TimeSheets Where Assignment = :Assignment And Col_Year = :Col_Year And Col_Month = :Col_Month "
    "Order By Employee_No, Col_Date");
} // namespace AttendanceSql

ClientAttendance::MoveAllLine ClientAttendance::moveOne(const QString &employeeNo, const QList<int> &rows)
{
    MoveAllLine line;
    line.employeeNo = employeeNo;
    if (rows.isEmpty())
        return line;
    // After a lost connection the count inside the transaction skips the employee if the lost
    // commit had in fact gone through.
    try {
        runRetrying(m_conn, [&] {
            line.outcome = moveRows(ProjectOwnRowsQ, rows) ? MoveAllLine::Moved : MoveAllLine::Skipped;
        });
    } catch (const DbError &e) {
        line.outcome = MoveAllLine::Failed;
        line.message = e.message();
    }
    return line;
}

QList<ClientAttendance::MoveAllLine> ClientAttendance::moveAll(const std::function<void(const MoveAllLine &)> &eachDone,
                                                               const PassControl &control)
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
    ProjectOwnRowsQ.setParams({{QStringLiteral("Assignment"), Query::text(m_project)},
                               {QStringLiteral("Col_Year"), cycleYear},
                               {QStringLiteral("Col_Month"), cycleMonth}});
    ProjectOwnRowsQ.open();
    QHash<QString, QList<int>> rowsOf;
    const int empCol = ProjectOwnRowsQ.fieldIndex(QStringLiteral("Employee_No"));
    for (int r = 0; r < ProjectOwnRowsQ.recordCount(); ++r)
        rowsOf[ProjectOwnRowsQ.valueAt(r, empCol).toString()] << r;
    bool stoppedByDatabase = false;
    for (const QString &no : std::as_const(employees)) {
        if (control.stop())
            break;
        control.start(int(lines.size()), int(employees.size()), no);
        MoveAllLine line = moveOne(no, rowsOf.value(no));
        lines << line;
        if (eachDone)
            eachDone(line);
        // The database as a whole failed (busy, or the server stayed away): the employees left
        // would all fail the same way, so the pass ends on this one line.
        if (line.outcome == MoveAllLine::Failed && classifyDbFailure(line.message) != DbFailureKind::Other) {
            stoppedByDatabase = true;
            break;
        }
    }
    ProjectOwnRowsQ.close();
    // The last employee walked stays loaded, as walking the window would leave it.
    if (!lines.isEmpty()) {
        if (stoppedByDatabase)
            ignoringDbError([&] { findEmployee(lines.last().employeeNo); });
        else
            findEmployee(lines.last().employeeNo);
    }
    return lines;
}
