#pragma once

// A small fixture writer for the checking tests: workers, own and client rows, rates.

#include "AttendanceFixture.h"
#include "Query.h"
#include "TestDb.h"

#include <QDate>
#include <QString>

namespace CheckFixture {

inline const QString Project = QStringLiteral("MARINA");

// Small fixture writer over one test database; rows go to `project`.
struct Fx
{
    Connection &c;
    QString project = Project;

    void worker(qint64 id, const QString &emp, const QString &first = QStringLiteral("Ali"),
                const QString &last = QStringLiteral("Khan"), const QString &job = QStringLiteral("Mason"))
    {
        TestDb::exec(
            c,
            QStringLiteral(
                "Insert Into Workers (Rec_ID, Employee_No, FirstName, LastName, OurJob) Values (:v, :v, :v, :v, :v)"),
            {id, emp, first, last, job});
    }
    void own(qint64 ref, const QString &emp, const QDate &d, const QString &code, int wh, int ot = 0, int ht = 0,
             const QString &name = QStringLiteral("Ali Khan"), const QString &job = QStringLiteral("Mason"))
    {
        TestDb::exec(c,
                     QStringLiteral(
                         "Insert Into TimeSheets (Rec_ID, Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, "
                         "Employee_Name, Assignment, OurJob, OurAtt_Code, Our_WH, Our_OT, Our_HT) "
                         "Values (:v, :v, :v, :v, :v, :v, :v, :v, :v, :v, :v, :v, :v, :v)"),
                     {++ownId, d, d.year(), d.month(), d.day(), ref, emp, name, project, job, code, wh, ot, ht});
    }
    void client(qint64 ref, const QString &emp, const QDate &d, const QString &code, const QVariant &wh, int ot = 0,
                int ht = 0, const QString &job = QStringLiteral("Mason"), int dispute = 0,
                const QString &name = QStringLiteral("Ali Khan"))
    {
        TestDb::exec(
            c,
            QStringLiteral(
                "Insert Into ClientTimeSheets (Col_Date, Col_Year, Col_Month, Col_Day, Ref_No, Employee_No, "
                "Employee_Name, Assignment, ClientJob, ClientAtt_Code, Client_WH, Client_OT, Client_HT, Dispute) "
                "Values (:v, :v, :v, :v, :v, :v, :v, :v, :v, :v, :v, :v, :v, :v)"),
            {d, d.year(), d.month(), d.day(), ref, emp, name, project, job, code, wh, ot, ht, dispute});
    }
    void rate(const QString &job, double wh, double ot, double ht)
    {
        TestDb::exec(c,
                     QStringLiteral("Insert Into AssignmentsRates (Assignment, Site_Job, WH_Rate, OT_Rate, HT_Rate) "
                                    "Values (:v, :v, :v, :v, :v)"),
                     {project, job, wh, ot, ht});
    }
    // One invoice line as a query standing on it (empty when there is none).
    std::unique_ptr<Query> line(qint64 ref, int year, int month)
    {
        auto q = std::make_unique<Query>(
            c, QStringLiteral("Select * From Invoices Where Ref_No = :R And Col_Year = :Y And Col_Month = :M"));
        q->setParam(QStringLiteral("R"), ref);
        q->setParam(QStringLiteral("Y"), year);
        q->setParam(QStringLiteral("M"), month);
        q->open();
        return q;
    }
    int count(const QString &sql, const QVariantList &v = {}) { return TestDb::scalar(c, sql, v).toInt(); }
    int checkedRows(qint64 ref)
    {
        return count(QStringLiteral("Select COUNT(*) From ClientTimeSheets Where Ref_No = :v And Checked = 1"), {ref});
    }

    qint64 ownId = 0;
};

// The cells of a month grid as "label|01|02|...|31" lines, for comparing engines.
inline QStringList gridCells(const Query &q)
{
    QStringList rows;
    const int label = q.fieldIndex(QStringLiteral("Col01"));
    for (int r = 0; r < q.recordCount(); ++r) {
        QStringList cells{q.valueAt(r, label).toString()};
        for (int d = 1; d <= 31; ++d)
            cells << q.valueAt(r, q.fieldIndex(QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0')))).toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

inline QString naFrom(int firstDay)
{
    QStringList s;
    for (int d = firstDay; d <= 31; ++d)
        s << QStringLiteral("NA");
    return s.join(QLatin1Char('|'));
}

} // namespace CheckFixture
