// Moving the company's own rows into client rows: one employee, or every employee of the project.
#include "ClientAttendance.h"
#include "ClientAttendanceSql.h"

#include "Connection.h"
#include "DbError.h"
#include "Transaction.h"

#include <QSet>

bool isClientCode(const QString &code)
{
    return code == QLatin1String("A") || code == QLatin1String("P") || code == QLatin1String("H");
}

namespace {
// The worker's own rows of the project and cycle, one per day and Ref_No: of two own rows of
// the same day the later one (by Rec_ID) is the one moved. Shared by both statements below.
const QString OwnRowsOfTheWorker = QStringLiteral(
    "From TimeSheets t Where t.Employee_No = :Employee_No And t.Assignment = :Assignment "
    "And t.Col_Year = :Col_Year And t.Col_Month = :Col_Month "
    "And Not Exists (Select 1 From TimeSheets l Where l.Employee_No = t.Employee_No And l.Assignment = t.Assignment "
    "And l.Col_Year = t.Col_Year And l.Col_Month = t.Col_Month And l.Col_Date = t.Col_Date "
    "And COALESCE(l.Ref_No, 0) = COALESCE(t.Ref_No, 0) And l.Rec_ID > t.Rec_ID) ");
// Codes other than A, P and H become "A", "Absent"; missing texts are written empty and
// missing hours as 0, as the screens show them.
const QString MovedCode = QStringLiteral("CASE WHEN t.OurAtt_Code IN ('A', 'P', 'H') THEN t.OurAtt_Code ELSE 'A' END");
const QString MovedDesc =
    QStringLiteral("CASE WHEN t.OurAtt_Code IN ('A', 'P', 'H') THEN COALESCE(t.OurAtt_Desc, '') ELSE 'Absent' END");
} // namespace

namespace AttendanceSql {
// One client row per worker and day, whatever its project: the days the worker already has are
// overwritten first (the target is named, not aliased, so that one text serves every engine),
// then the days without a row are inserted. An overwritten day takes the site job as it is,
// empty included, and keeps its dispute mark; the caller's transaction holds both.
const QString MoveUpdateSql =
    QStringLiteral("Update ClientTimeSheets Set Assignment = t.Assignment, ClientJob = COALESCE(t.SiteJob, ''), "
                   "ClientAtt_Code = ") +
    MovedCode + QStringLiteral(", ClientAtt_Desc = ") + MovedDesc +
    QStringLiteral(", Client_WH = COALESCE(t.Our_WH, 0), Client_OT = COALESCE(t.Our_OT, 0), "
                   "Client_HT = COALESCE(t.Our_HT, 0), Entered_By = :Entered_By, Entered_Date = :Entered_Date, "
                   "Checked = 0 ") +
    OwnRowsOfTheWorker +
    QStringLiteral("And ClientTimeSheets.Col_Date = t.Col_Date And ClientTimeSheets.Ref_No = COALESCE(t.Ref_No, 0)");
// An inserted day takes the own job when the site job is empty; the days go in in date order.
const QString MoveInsertSql =
    QStringLiteral("Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, "
                   "Employee_Name, ClientJob, Assignment, ClientAtt_Code, ClientAtt_Desc, Client_WH, Client_OT, "
                   "Client_HT, Entered_By, Entered_Date) "
                   "Select t.Col_Date, t.Col_Year, t.Col_Month, COALESCE(t.Col_Day, 0), COALESCE(t.Ref_No, 0), "
                   "t.Employee_No, COALESCE(t.Employee_Name, ''), "
                   "CASE WHEN COALESCE(t.SiteJob, '') = '' THEN COALESCE(t.OurJob, '') ELSE t.SiteJob END, "
                   "t.Assignment, ") +
    MovedCode + QStringLiteral(", ") + MovedDesc +
    QStringLiteral(", COALESCE(t.Our_WH, 0), COALESCE(t.Our_OT, 0), COALESCE(t.Our_HT, 0), :Entered_By, "
                   ":Entered_Date ") +
    OwnRowsOfTheWorker +
    QStringLiteral("And Not Exists (Select 1 From ClientTimeSheets c Where c.Col_Date = t.Col_Date "
                   "And c.Ref_No = COALESCE(t.Ref_No, 0)) Order By t.Col_Date, t.Rec_ID");
// Shared by the move and the post.
const QString InsertRowSql = QStringLiteral(
    "Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, Employee_Name, "
    "ClientJob, "
    "Assignment, ClientAtt_Code, ClientAtt_Desc, Client_WH, Client_OT, Client_HT, Entered_By, Entered_Date) "
    "Values (:Col_Date, :Col_Year, :Col_Month, :Col_Day, :Ref_No, :Employee_No, :Employee_Name, :ClientJob, "
    ":Assignment, "
    ":ClientAtt_Code, :ClientAtt_Desc, :Client_WH, :Client_OT, :Client_HT, :Entered_By, :Entered_Date)");
} // namespace AttendanceSql

namespace AttendanceSql {
// The rows the window loads for the employee (ClientAttHistory), whatever their Ref_No.
const QString ClientRowsCountSql = QStringLiteral(
    "Select Count(*) As N From ClientTimeSheets Where Employee_No = :Employee_No And Assignment = :Assignment "
    "And Col_Year = :Col_Year And Col_Month = :Col_Month");
} // namespace AttendanceSql

bool ClientAttendance::moveRows(const QString &employeeNo)
{
    Transaction tx(m_conn);
    const std::initializer_list<std::pair<QString, QVariant>> worker = {
        {QStringLiteral("Employee_No"), Query::text(employeeNo)},
        {QStringLiteral("Assignment"), Query::text(m_project)},
        {QStringLiteral("Col_Year"), cycleYear},
        {QStringLiteral("Col_Month"), cycleMonth}};
    // Asked inside the transaction: another clerk may have moved this employee since the rows
    // were loaded, and moving twice would overwrite that clerk's corrections.
    ComClientRowsCount.close();
    ComClientRowsCount.setParams(worker);
    ComClientRowsCount.open();
    const bool already = ComClientRowsCount.asInt(QStringLiteral("N")) > 0;
    ComClientRowsCount.close();
    if (already)
        return false;
    // Two statements for all of the worker's days, whatever their number: over a network each
    // statement is a round trip.
    for (Query *q : {&ComMoveUpdate, &ComMoveInsert}) {
        q->setParams(worker);
        stamp(*q);
        q->exec();
    }
    tx.commit();
    return true;
}

bool ClientAttendance::moveEmployee()
{
    if (!employeeLoaded() || OurAttHistory.isEmpty() || !ClientAttHistory.isEmpty())
        return false;
    bool moved = false;
    try {
        moved = moveRows(m_employeeNo);
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

ClientAttendance::MoveAllLine ClientAttendance::moveOne(const QString &employeeNo, bool hasOwnRows)
{
    MoveAllLine line;
    line.employeeNo = employeeNo;
    if (!hasOwnRows)
        return line;
    // After a lost connection the count inside the transaction skips the employee if the lost
    // commit had in fact gone through.
    try {
        runRetrying(m_conn, [&] { line.outcome = moveRows(employeeNo) ? MoveAllLine::Moved : MoveAllLine::Skipped; });
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
    // The project's own rows are read once, before any employee: they tell who has rows to move,
    // and rows that cannot be read fail the pass once instead of every employee in turn.
    ProjectOwnRowsQ.close();
    ProjectOwnRowsQ.setParams({{QStringLiteral("Assignment"), Query::text(m_project)},
                               {QStringLiteral("Col_Year"), cycleYear},
                               {QStringLiteral("Col_Month"), cycleMonth}});
    ProjectOwnRowsQ.open();
    QSet<QString> withOwnRows;
    const int empCol = ProjectOwnRowsQ.fieldIndex(QStringLiteral("Employee_No"));
    for (int r = 0; r < ProjectOwnRowsQ.recordCount(); ++r)
        withOwnRows.insert(ProjectOwnRowsQ.valueAt(r, empCol).toString());
    ProjectOwnRowsQ.close();
    bool stoppedByDatabase = false;
    for (const QString &no : std::as_const(employees)) {
        if (control.stop())
            break;
        control.start(int(lines.size()), int(employees.size()), no);
        MoveAllLine line = moveOne(no, withOwnRows.contains(no));
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
    // The last employee walked stays loaded, as walking the window would leave it.
    if (!lines.isEmpty()) {
        if (stoppedByDatabase)
            ignoringDbError([&] { findEmployee(lines.last().employeeNo); });
        else
            findEmployee(lines.last().employeeNo);
    }
    return lines;
}
