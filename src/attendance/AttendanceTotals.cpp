#include "AttendanceTotals.h"
#include "Query.h"

void AttendanceTotals::add(const QString &code, int wh, int ot, int ht)
{
    normalHours += wh;
    overtimeHours += ot;
    holidayHours += ht;
    if (code == QLatin1String("P") || code == QLatin1String("H"))
        ++presentDays;
}

AttendanceTotals AttendanceTotals::of(const Query &q, const QString &code, const QString &wh, const QString &ot,
                                      const QString &ht)
{
    AttendanceTotals t;
    if (!q.isActive())
        return t;
    const int c = q.fieldIndex(code), w = q.fieldIndex(wh), o = q.fieldIndex(ot), h = q.fieldIndex(ht);
    if (c < 0 || w < 0 || o < 0 || h < 0)
        return t;
    for (int r = 0; r < q.recordCount(); ++r)
        t.add(q.valueAt(r, c).toString(), q.valueAt(r, w).toInt(), q.valueAt(r, o).toInt(), q.valueAt(r, h).toInt());
    return t;
}

AttendanceTotals AttendanceTotals::ofOwnRows(const Query &q)
{
    return of(q, QStringLiteral("OurAtt_Code"), QStringLiteral("Our_WH"), QStringLiteral("Our_OT"),
              QStringLiteral("Our_HT"));
}

AttendanceTotals AttendanceTotals::ofClientRows(const Query &q)
{
    return of(q, QStringLiteral("ClientAtt_Code"), QStringLiteral("Client_WH"), QStringLiteral("Client_OT"),
              QStringLiteral("Client_HT"));
}

QString AttendanceTotals::presentDaysText() const
{
    return QStringLiteral("Total Present Days: %1").arg(presentDays);
}
QString AttendanceTotals::normalHoursText() const
{
    return QStringLiteral("Total Normal Hours: %1").arg(normalHours);
}
QString AttendanceTotals::overtimeHoursText() const
{
    return QStringLiteral("Total Overtime Hours: %1").arg(overtimeHours);
}
QString AttendanceTotals::holidayHoursText() const
{
    return QStringLiteral("Total Holiday Hours: %1").arg(holidayHours);
}
QString AttendanceTotals::totalHoursText() const
{
    return QStringLiteral("Total Hours: %1").arg(totalHours());
}

namespace MonthHistory {
const QString EmployeesSql = QStringLiteral(
    "Select Distinct(Employee_No) From TimeSheets Where Assignment = :Assignment And Col_Year = :Col_Year "
    "And Col_Month = :Col_Month Order By Employee_No");
const QString OursSql = QStringLiteral(
    "Select * From TimeSheets Where Employee_No = :Employee_No And Assignment = :Assignemnt And Col_Year = :Col_Year "
    "And Col_Month = :Col_Month Order By Col_Date");
const QString ClientSql =
    QStringLiteral("Select * From ClientTimeSheets Where Employee_No = :Employee_No And Assignment = :Assignemnt "
                   "And Col_Year = :Col_Year And Col_Month = :Col_Month Order By Col_Date");
} // namespace MonthHistory
