#include "CheckerLookup.h"

#include "ActiveProjects.h"

#include <QStringList>

QString monthGridSql(Engine engine, MonthSide side)
{
    const bool client = side == MonthSide::Client;
    const QString day = Dialect::dayOfMonth(engine, QStringLiteral("t.Col_Date"));
    // One pass over the rows feeds all four kinds; hours become text so that one grid holds
    // codes and hours, wide enough for any whole number.
    const QString value =
        client ? QStringLiteral(
                     "CASE k.Row_Order WHEN 1 THEN t.ClientAtt_Code WHEN 2 THEN CAST(t.Client_WH AS VARCHAR(11)) "
                     "WHEN 3 THEN CAST(t.Client_OT AS VARCHAR(11)) ELSE CAST(t.Client_HT AS VARCHAR(11)) END")
               : QStringLiteral("CASE k.Row_Order WHEN 1 THEN t.OurAtt_Code WHEN 2 THEN CAST(t.Our_WH AS VARCHAR(11)) "
                                "WHEN 3 THEN CAST(t.Our_OT AS VARCHAR(11)) ELSE CAST(t.Our_HT AS VARCHAR(11)) END");
    QString s = QStringLiteral("Select k.Col01, k.Row_Order");
    for (int d = 1; d <= 31; ++d)
        s += QStringLiteral(", COALESCE(MAX(CASE WHEN %1 = %2 THEN %3 END), 'NA') As \"%4\"")
                 .arg(day)
                 .arg(d)
                 .arg(value)
                 .arg(d, 2, 10, QLatin1Char('0'));
    // The rows' table first: SQLite keeps a CROSS JOIN in the written order, so it is read once.
    s += QStringLiteral(
             " From %1 t Cross Join (Select 'Attendance' As Col01, 1 As Row_Order Union All Select 'Normal Hours', 2 "
             "Union All Select 'Overtime Hours', 3 Union All Select 'Holiday Hours', 4) k")
             .arg(client ? QStringLiteral("ClientTimeSheets") : QStringLiteral("TimeSheets"));
    s += client ? QStringLiteral(
                      " Where t.Employee_No = :Employee_No And t.Assignment = :Assignemnt And t.Col_Year = :Col_Year"
                      " And t.Col_Month = :Col_Month")
                : QStringLiteral(
                      " Where t.Employee_No = :Employee_No And t.Assignment = :Assignment AND t.Col_Year = :Col_Year"
                      " AND t.Col_Month = :Col_Month");
    // Rows of one worker whose name, reference (or, on our side, job) differ within the month
    // give one row per kind each.
    s += client
             ? QStringLiteral(
                   " Group By k.Row_Order, k.Col01, t.Employee_No, t.Ref_No, t.Employee_Name, t.Col_Year, t.Col_Month")
             : QStringLiteral(" Group By k.Row_Order, k.Col01, t.Employee_No, t.Ref_No, t.Employee_Name, t.OurJob, "
                              "t.Col_Year, t.Col_Month");
    return s + QStringLiteral(" Order By k.Row_Order");
}

namespace {
const QString WorkerSql = QStringLiteral(
    "Select Rec_ID, Employee_No, FirstName,  LastName, Assignment, OurJob From Workers Where Employee_No = :Emp_No "
    "Order By Rec_ID");
} // namespace

CheckerLookup::CheckerLookup(Connection &c)
    : WorkersInOurAttQ(c, MonthHistory::EmployeesSql), WorkerQ(c, WorkerSql), OurAttHistory(c, MonthHistory::OursSql),
      OurSpreadSheetQ(c, monthGridSql(c.engine(), MonthSide::Ours)), ClientAttHistory(c, MonthHistory::ClientSql),
      ClientSpreadSheetQ(c, monthGridSql(c.engine(), MonthSide::Client))
{
    WorkersInOurAttQ.defineField({QStringLiteral("Employee_No"), FieldKind::Text, QStringLiteral("Workers"), {}, true});
    WorkerQ.defineField({QStringLiteral("Rec_ID"), FieldKind::LargeInt, QStringLiteral("Ref No"), {}, true});
    for (Query *grid : {&OurSpreadSheetQ, &ClientSpreadSheetQ}) {
        grid->defineField({QStringLiteral("Col01"), FieldKind::Text, QStringLiteral("Description"), {}, true});
        grid->defineField({QStringLiteral("Row_Order"), FieldKind::Integer, {}, {}, false});
    }
}

void CheckerLookup::openWorkers(const QString &project, int year, int month)
{
    m_project = project;
    m_year = year;
    m_month = month;
    WorkersInOurAttQ.close();
    WorkersInOurAttQ.setParam(QStringLiteral("Assignment"), project);
    WorkersInOurAttQ.setParam(QStringLiteral("Col_Year"), year);
    WorkersInOurAttQ.setParam(QStringLiteral("Col_Month"), month);
    closeEmployee();
    WorkersInOurAttQ.open();
}

void CheckerLookup::closeEmployee()
{
    for (Query *q : {&WorkerQ, &OurAttHistory, &OurSpreadSheetQ, &ClientAttHistory, &ClientSpreadSheetQ})
        q->close();
    ours = {};
    client = {};
}

void CheckerLookup::openForEmployee(Query &q)
{
    q.close();
    q.setParamAll(QStringLiteral("Employee_No"), m_employeeNo);
    q.setParamAll(&q == &OurSpreadSheetQ ? QStringLiteral("Assignment") : QStringLiteral("Assignemnt"), m_project);
    q.setParamAll(QStringLiteral("Col_Year"), m_year);
    q.setParamAll(QStringLiteral("Col_Month"), m_month);
    q.open();
}

void CheckerLookup::openGrids()
{
    openForEmployee(OurSpreadSheetQ);
    openForEmployee(ClientSpreadSheetQ);
    ClientSpreadSheetQ.first();
}

bool CheckerLookup::findEmployee(const QString &employeeNo, bool withGrids)
{
    if (!WorkersInOurAttQ.isActive())
        return false;
    if (employeeNo.isEmpty() || !WorkersInOurAttQ.locate(QStringLiteral("Employee_No"), employeeNo)) {
        closeEmployee();
        return false;
    }
    WorkerQ.close();
    WorkerQ.setParam(QStringLiteral("Emp_No"), employeeNo);
    WorkerQ.open();
    m_employeeNo = employeeNo;
    openForEmployee(OurAttHistory);
    openForEmployee(ClientAttHistory);
    if (withGrids) {
        openGrids();
    } else {
        OurSpreadSheetQ.close();
        ClientSpreadSheetQ.close();
    }
    ours = AttendanceTotals::ofOwnRows(OurAttHistory);
    client = AttendanceTotals::ofClientRows(ClientAttHistory);
    // The history lists stand on their last row after the totals walk; the grid on "Attendance".
    if (!OurAttHistory.isEmpty())
        OurAttHistory.setRow(OurAttHistory.recordCount() - 1);
    if (!ClientAttHistory.isEmpty())
        ClientAttHistory.setRow(ClientAttHistory.recordCount() - 1);
    return true;
}

bool CheckerLookup::disputed() const
{
    const int col = ClientAttHistory.fieldIndex(QStringLiteral("Dispute"));
    if (!ClientAttHistory.isActive() || col < 0)
        return false;
    for (int r = 0; r < ClientAttHistory.recordCount(); ++r)
        if (ClientAttHistory.valueAt(r, col).toInt() != 0)
            return true;
    return false;
}

QString CheckerLookup::fullName() const
{
    if (!hasWorkerRow())
        return {};
    return WorkerQ.asString(QStringLiteral("FirstName")) + QLatin1Char(' ') +
           WorkerQ.asString(QStringLiteral("LastName"));
}
