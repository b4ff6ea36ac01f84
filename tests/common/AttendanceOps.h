#pragma once

// What the attendance operation tests share: the operations opened on the fixture's project and
// the stored client rows of a worker.

#include "AttendanceFixture.h"
#include "ClientAttendance.h"
#include "Query.h"
#include "TestDb.h"

#include <QTest>
#include <functional>
#include <memory>

namespace AttFixture {

inline std::unique_ptr<ClientAttendance> openOps(Connection &c)
{
    static const TestClock clock(Today);
    auto ops = std::make_unique<ClientAttendance>(c, clock);
    ops->userId = User;
    ops->cycleYear = Year;
    ops->cycleMonth = Month;
    ops->openProject(Project);
    return ops;
}

// Every client row of a worker, by day.
struct ClientRow
{
    qint64 recId;
    QString project, job, code, desc;
    int wh, ot, ht, day, checked, dispute;
    QString enteredBy;
    QDateTime enteredDate;
};

inline QList<ClientRow> clientRows(Connection &c, qint64 ref)
{
    Query q(c, QStringLiteral("Select * From ClientTimeSheets Where Ref_No = :R Order By Col_Date, Rec_ID"));
    q.setParam(0, ref);
    q.open();
    QList<ClientRow> rows;
    for (q.first(); !q.eof(); q.next())
        rows << ClientRow{q.asInt64(QStringLiteral("Rec_ID")),          q.asString(QStringLiteral("Assignment")),
                          q.asString(QStringLiteral("ClientJob")),      q.asString(QStringLiteral("ClientAtt_Code")),
                          q.asString(QStringLiteral("ClientAtt_Desc")), q.asInt(QStringLiteral("Client_WH")),
                          q.asInt(QStringLiteral("Client_OT")),         q.asInt(QStringLiteral("Client_HT")),
                          q.asInt(QStringLiteral("Col_Day")),           q.asInt(QStringLiteral("Checked")),
                          q.asInt(QStringLiteral("Dispute")),           q.asString(QStringLiteral("Entered_By")),
                          q.asDateTime(QStringLiteral("Entered_Date"))};
    return rows;
}

inline void addEngineRows(const std::function<void(const QString &engine)> &rows)
{
    for (const QString &e : TestDb::engines())
        rows(e);
}

} // namespace AttFixture
