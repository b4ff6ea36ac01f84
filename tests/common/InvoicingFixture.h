#pragma once

// Invoice lines and disputed attendance for the invoicing tests, on top of the attendance
// fixture's projects and cycle (March 2026).

#include "AttendanceFixture.h"

namespace InvFixture {

// One invoice line of the active cycle: hours, rates, amounts and total as the check writes them.
inline void line(Connection &c, qint64 ref, const QString &no, int wh, double whRate, int ot = 0, double otRate = 0,
                 const QString &project = AttFixture::Project, int month = AttFixture::Month)
{
    TestDb::exec(
        c,
        QStringLiteral("Insert Into Invoices (Col_Year, Col_Month, Assignment, Ref_No, Employee_No, Employee_Name, "
                       "Our_Job, Client_Job, Days_Calander, Days_Present, Earned_WH_Hours, Earned_WH_Rate, "
                       "Earned_WH_Amount, Earned_OT_Hours, Earned_OT_Rate, Earned_OT_Amount, Earned_HT_Hours, "
                       "Earned_HT_Rate, Earned_HT_Amount, Earned_Total, D01_Code, D01_Hour) "
                       "Values (:Y, :M, :A, :R, :N, :EN, 'Labourer', 'Helper', 31, 20, :WH, :WR, :WA, :OT, :OR, :OA, "
                       "0, 0, 0, :T, 'P', '8,2,0')"),
        {AttFixture::Year, month, project, ref, no, QStringLiteral("Name ") + no, wh, whRate, wh * whRate, ot, otRate,
         ot * otRate, wh * whRate + ot * otRate});
}

// A second connection to the same database: another user of it.
inline std::unique_ptr<Connection> otherUser(Connection &c)
{
    auto other = std::make_unique<Connection>(QStringLiteral("other-user"));
    other->open(c.params());
    return other;
}

} // namespace InvFixture
